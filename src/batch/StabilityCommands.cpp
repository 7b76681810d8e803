#include "batch/StabilityCommands.h"

#include "batch/Session.h"
#if VOLMAR_BATCH_HAS_QT
#include "batch/QtStabilityChart.h"
#endif
#include "commands/Stability.h"
#include "core/NumberReader.h"

namespace volmar::batch {

namespace {

bool replacing(const ScriptLine& l) { return l.answer("replace") == "yes"; }

// The results a study leaves: the values file and the chart file the
// script names.
bool saveResults(Session& s, const ScriptLine& l) {
  BatchShell& sh = s.shell();
  const auto chart = sh.takeStabilityChart();
  if (l.has("values")) {
    auto& a = sh.answers();
    a.saveFiles.push_back(l.answer("values"));
    if (replacing(l)) {
      a.questions = Answer::Yes;
      a.questionsReason = "replace=yes";
    }
    if (!s.run(stabilityvalues1Click)) return false;
    if (sh.questionDeclined())
      return s.fail(l, l.answer("values") + " exists and was not replaced; add replace=yes to overwrite it");
  }
  if (!l.has("chart")) return true;
  if (!chart) return s.fail(l, "no chart was drawn (see the message above)");
#if VOLMAR_BATCH_HAS_QT
  if (const auto why = saveStabilityChartFile(*chart, l.answer("chart"), replacing(l))) return s.fail(l, *why);
  return true;
#else
  return s.fail(l, "chart= needs the desktop program's libraries, which this build of volmar-batch lacks");
#endif
}

void dialogAnswers(Session& s, const ScriptLine& l) {
  s.shell().answers().stability = [&l](StabilityDialog& d) {
    if (l.has("lower")) d.lower = l.answer("lower");
    if (l.has("upper")) d.upper = l.answer("upper");
    if (l.has("pairs")) d.pairs = l.answer("pairs");
    if (l.has("refine")) d.refine = l.answer("refine") == "yes";
  };
}

int whole(const ScriptLine& l, const char* key) { return parseIntegerEntry(l.answer(key)).value_or(0); }

}  // namespace

bool stabilityGlobal(Session& s, const ScriptLine& l) {
  if (l.has("tasks")) {
    // One task of a split study: only its pairs, into its part file.
    StabilitySplit split;
    split.tasks = whole(l, "tasks");
    split.task = whole(l, "task");
    split.partFile = l.answer("part");
    split.replacePart = replacing(l);
    dialogAnswers(s, l);
    return s.run([&](Context& ctx) {
      StabilityDialog d = stabilityDialogFor(ctx.ws, StabilityKind::Global);
      ctx.shell.showStabilityDialog(d);
      runStability(ctx, readStabilityDialog(d), split);
    });
  }
  dialogAnswers(s, l);
  BatchShell& sh = s.shell();
  sh.takeStabilityChart();
  if (!s.run(globalbootstrap1Click)) return false;
  return saveResults(s, l);
}

bool stabilitySegments(Session& s, const ScriptLine& l) {
  dialogAnswers(s, l);
  s.shell().takeStabilityChart();
  if (!s.run(segmentsbootstrap1Click)) return false;
  return saveResults(s, l);
}

bool stabilityMerge(Session& s, const ScriptLine& l) {
  s.shell().takeStabilityChart();
  if (!s.run([&](Context& ctx) { mergeStabilityParts(ctx, l.arguments); })) return false;
  return saveResults(s, l);
}

std::optional<std::string> checkStabilityGlobal(const ScriptLine& l) {
  const bool split = l.has("tasks") || l.has("task") || l.has("part");
  if (split) {
    if (!l.has("tasks") || !l.has("task") || !l.has("part"))
      return "a task of a split study needs tasks=T, task=I and part=FILE together";
    const int tasks = whole(l, "tasks");
    const int task = whole(l, "task");
    if (tasks < 1 || tasks > 100000) return "tasks= must be from 1 to 100000";
    if (task < 1 || task > tasks) return "task= must be from 1 to tasks=";
    if (l.has("values") || l.has("chart"))
      return "a task writes only its part file: values= and chart= belong to 'stability merge'";
    return std::nullopt;
  }
  return checkStabilityResults(l);
}

std::optional<std::string> checkStabilityResults(const ScriptLine& l) {
  if (l.has("replace") && !l.has("values") && !l.has("chart") && !l.has("part"))
    return "replace= needs values=FILE or chart=FILE";
  if (l.has("chart")) {
    const std::string c = l.answer("chart");
    const auto dot = c.rfind('.');
    const std::string ext = dot == std::string::npos ? "" : c.substr(dot + 1);
    if (ext != "png" && ext != "svg" && ext != "pdf") return "chart= must name a .png, .svg or .pdf file";
  }
  return std::nullopt;
}

}  // namespace volmar::batch
