#include "core/Parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace volmar {

namespace {

std::atomic<int> requestedThreads{0};
thread_local bool insideTask = false;

// A fixed set of worker threads that sleep until a batch of tasks comes.
// One batch runs at a time; tasks are handed out by an atomic counter.
class Pool {
 public:
  static Pool& instance() {
    static Pool pool;
    return pool;
  }

  void run(int count, int threads, const std::function<void(int)>& task) {
    std::lock_guard<std::mutex> batchLock(batchMutex_);  // one batch at a time
    ensureWorkers(threads - 1);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      task_ = &task;
      count_ = count;
      next_.store(0);
      error_ = nullptr;
      helpers_ = threads - 1;
      pending_ = threads - 1;
      ++batch_;
    }
    wake_.notify_all();
    work();
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
    task_ = nullptr;
    if (error_) std::rethrow_exception(error_);
  }

  ~Pool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (auto& t : workers_) t.join();
  }

 private:
  void ensureWorkers(int n) {
    while (static_cast<int>(workers_.size()) < n) {
      const int index = static_cast<int>(workers_.size());
      workers_.emplace_back([this, index] { loop(index); });
    }
  }

  void work() {
    const bool outer = insideTask;
    insideTask = true;
    for (int i = next_.fetch_add(1); i < count_; i = next_.fetch_add(1)) {
      try {
        (*task_)(i);
      } catch (...) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!error_) error_ = std::current_exception();
      }
    }
    insideTask = outer;
  }

  void loop(int index) {
    long seen = 0;
    for (;;) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [&] { return stop_ || (batch_ != seen && index < helpers_); });
        if (stop_) return;
        seen = batch_;
      }
      work();
      std::lock_guard<std::mutex> lock(mutex_);
      if (--pending_ == 0) done_.notify_all();
    }
  }

  std::mutex batchMutex_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> workers_;
  const std::function<void(int)>* task_ = nullptr;
  int count_ = 0;
  std::atomic<int> next_{0};
  std::exception_ptr error_;
  int helpers_ = 0;
  int pending_ = 0;
  long batch_ = 0;
  bool stop_ = false;
};

}  // namespace

int EngineThreads() {
  const int n = requestedThreads.load();
  if (n > 0) return n;
  return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void SetEngineThreads(int n) { requestedThreads.store(std::max(0, n)); }

void RunTasks(int count, const std::function<void(int)>& task) {
  const int threads = std::min(count, EngineThreads());
  if (threads <= 1 || insideTask) {
    for (int i = 0; i < count; ++i) task(i);
    return;
  }
  Pool::instance().run(count, threads, task);
}

int BalancedWorkers(int items, int threads) {
  items = std::max(items, 1);
  threads = std::max(threads, 1);
  if (items <= std::min(4 * threads, threads + 16)) return items;
  return threads;
}

EngineSerialScope::EngineSerialScope() : outer_(insideTask) { insideTask = true; }
EngineSerialScope::~EngineSerialScope() { insideTask = outer_; }

}  // namespace volmar
