#include "batch/Session.h"

#include "batch/CommandTable.h"

namespace volmar::batch {

Session::Session(std::FILE* out, std::FILE* err, bool showStatus, std::string scriptName)
    : ws_(Workspace::create()), shell_(out, err, showStatus), ctx_(*ws_, shell_),
      scriptName_(std::move(scriptName)) {
  shell_.attachWorkspace(*ws_);
  mainWindowCreated(ctx_);
}

bool Session::run(void (*command)(Context&)) { return run(std::function<void(Context&)>(command)); }

bool Session::run(const std::function<void(Context&)>& command) {
  bool completed = false;
  runCommand(ctx_, [&](Context& c) {
    command(c);
    completed = true;
  });
  return completed;
}

bool Session::fail(const ScriptLine& line, const std::string& text) {
  shell_.note(scriptName_ + ":" + std::to_string(line.line) + ": " + text);
  return false;
}

int Session::runScript(std::span<const ScriptLine> lines) {
  for (const ScriptLine& line : lines) {
    const CommandSpec& spec = *line.spec;
    const std::string name(spec.phrase);
    shell_.beginLine();
    if (auto why = unavailable(spec, shell_)) {
      fail(line, "'" + name + "' cannot be run now: " + *why);
      return 1;
    }
    if (!spec.handler(*this, line)) {
      fail(line, "'" + name + "' ended with an error; the lines after it were not run");
      return 1;
    }
  }
  return 0;
}

}  // namespace volmar::batch
