#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "batch/BatchShell.h"
#include "batch/Script.h"
#include "commands/Context.h"
#include "core/Workspace.h"

namespace volmar::batch {

// One batch run: the workspace, the shell and the command context that
// live as long as the main window would, and the script being run.
class Session {
 public:
  Session(std::FILE* out, std::FILE* err, bool showStatus, std::string scriptName);

  Workspace& ws() { return *ws_; }
  BatchShell& shell() { return shell_; }
  Context& context() { return ctx_; }

  // Runs a menu command as the main window does (an error it raises ends it
  // and is shown in a message box); true when it ran to its end.
  bool run(void (*command)(Context&));
  bool run(const std::function<void(Context&)>& command);
  // Reports why the script line cannot go on; always false.
  bool fail(const ScriptLine& line, const std::string& text);

  // Runs the lines in order; 0 when all ran, 1 at the first that ended with
  // an error (the lines after it are not run).
  int runScript(std::span<const ScriptLine> lines);

 private:
  std::unique_ptr<Workspace> ws_;
  BatchShell shell_;
  Context ctx_;
  std::string scriptName_;
};

}  // namespace volmar::batch
