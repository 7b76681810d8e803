#pragma once

// Work on every core for the learning routines.
//
//   EngineThreads() / SetEngineThreads(n)
//                  how many threads the routines may use; 0 (the default)
//                  means one per core. 1 runs everything on the calling
//                  thread, exactly as before there were threads.
//   RunTasks(count, task)
//                  task(0), ..., task(count - 1), spread over up to
//                  EngineThreads() threads of one process-wide pool (the
//                  caller takes part); returns when all have ended. The first
//                  exception thrown by a task is rethrown here after the
//                  others ended. Called from inside a task it runs the tasks
//                  on that thread, one after another, so that nested work
//                  never waits for a pool it occupies.
//   BalancedWorkers(items, threads)
//                  how many workers should share `items` pieces of work of
//                  about equal cost on `threads` cores: every item at once
//                  while there are at most four per core (and at most 16
//                  more than cores), so that the system shares the cores out
//                  evenly where rounds of `threads` items would leave cores
//                  idle in the last one; else one worker per core.
//   EngineSerialScope
//                  while one exists, RunTasks on this thread runs its tasks
//                  on this thread (for threads that are themselves one of
//                  several workers).
//
// The results of the routines never depend on the number of threads: the
// tasks write separate parts of the output and every sum that crosses tasks
// is added afterwards in its serial order.

#include <functional>

namespace volmar {

int EngineThreads();
void SetEngineThreads(int n);
void RunTasks(int count, const std::function<void(int)>& task);
int BalancedWorkers(int items, int threads);

class EngineSerialScope {
 public:
  EngineSerialScope();
  ~EngineSerialScope();
  EngineSerialScope(const EngineSerialScope&) = delete;
  EngineSerialScope& operator=(const EngineSerialScope&) = delete;

 private:
  bool outer_;
};

}  // namespace volmar
