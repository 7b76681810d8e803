#include "batch/CommandTable.h"

#include <algorithm>
#include <array>
#include <vector>

#include "batch/Session.h"
#include "batch/StabilityCommands.h"
#if VOLMAR_BATCH_HAS_QT
#include "batch/QtBubbleChart.h"
#endif
// Segment profiles.
#if VOLMAR_BATCH_HAS_QT
#include "batch/QtProfiles.h"
#endif
#include "commands/Profiles.h"
#include "commands/BlockTables.h"
#include "commands/BubbleMap.h"
#include "commands/Commands.h"
#include "commands/Compare.h"
#include "commands/DataMatrixDialog.h"
#include "commands/Import.h"
#include "commands/ParamDialog.h"
#include "commands/Printing.h"
#include "commands/PrototypesTable.h"
#include "commands/ReadPrototypes.h"
#include "commands/Recall.h"
#include "commands/Refine.h"
#include "commands/SaveFiles.h"
#include "commands/Similarity.h"
#include "commands/SubtClus.h"
#include "commands/Train.h"
#include "commands/TrimGraph.h"
#include "core/NumberFormat.h"
#include "core/NumberReader.h"

namespace volmar::batch {

namespace {

// Caption of the input box in which subtractive clustering asks its radius.
constexpr const char* RadiusCaption = "Input the radius parameter";

// A menu command that asks nothing the script could answer.
template <void (*Command)(Context&)>
bool menu(Session& s, const ScriptLine&) {
  return s.run(Command);
}

bool openData(Session& s, const ScriptLine& l) {
  auto& a = s.shell().answers();
  a.openFiles.push_back(l.arguments[0]);
  if (l.has("subsamples")) a.openFiles.push_back(l.answer("subsamples"));
  a.dataMatrix = [&l](DataMatrixDialog& d) {
    if (l.has("cases")) d.edit1 = l.answer("cases");
    if (l.has("vars")) d.edit2 = l.answer("vars");
    const std::string kind = l.answer("kind");
    if (kind == "kblocks") d.selectKBlock();
    if (kind == "ksamples") d.selectKSample();
    if (l.has("blocksize")) d.bssize = l.answer("blocksize");
    // After the kind: choosing k-blocks selects "case first" by itself.
    const std::string order = l.answer("order");
    if (order == "casefirst") d.selectCaseFirst();
    if (order == "measfirst") d.selectMeasFirst();
  };
  return s.run(open1Click);
}

std::optional<std::string> checkOpen(const ScriptLine& l) {
  const std::string kind = l.answer("kind", "none");
  // The block size edit is disabled unless k-blocks is chosen.
  if (l.has("blocksize") && kind != "kblocks") return "blocksize= needs kind=kblocks";
  if (kind == "ksamples" && !l.has("subsamples"))
    return "kind=ksamples needs subsamples=FILE, the file of subsample indicators";
  if (l.has("subsamples") && kind != "ksamples") return "subsamples= needs kind=ksamples";
  return std::nullopt;
}

// The parameter dialog's edits, Edit1..Edit8, by answer key.
constexpr std::array<const char*, 8> ParamEditKeys = {"lower", "upper", "trials", "epochs",
                                                     "rate",  "range", "lifetime", "reps"};

bool parameterize(Session& s, const ScriptLine& l) {
  s.shell().answers().params = [&l](ParamDialog& d) {
    for (std::size_t k = 0; k < ParamEditKeys.size(); ++k)
      if (l.has(ParamEditKeys[k])) d.edits[k] = l.answer(ParamEditKeys[k]);
    if (l.has("neighbor")) d.checkBox1 = l.answer("neighbor") == "on";
    const std::string distance = l.answer("distance");
    if (distance == "tanimoto") d.selectTanimoto();
    if (distance == "euclidean") d.selectEuclidean();
  };
  return s.run(parameterize1Click);
}

bool subtractive(Session& s, const ScriptLine& l) {
  // The radius is asked later, when the training run seeds from the centres.
  s.shell().presetInput(RadiusCaption, l.has("radius") ? std::optional(l.answer("radius")) : std::nullopt);
  return s.run(subtractiveclustering1Click);
}

bool readPrototypes(Session& s, const ScriptLine& l) {
  s.shell().answers().openFiles.push_back(l.arguments[0]);
  return s.run(readprototypesfromfile1Click);
}

// A File > Save command: the file is named by the script; an existing file
// is replaced only when the script says so, otherwise the command refuses.
template <void (*Command)(Context&)>
bool save(Session& s, const ScriptLine& l) {
  auto& a = s.shell().answers();
  a.saveFiles.push_back(l.arguments[0]);
  if (l.answer("replace") == "yes") {
    a.questions = Answer::Yes;
    a.questionsReason = "replace=yes";
  }
  if (!s.run(Command)) return false;
  if (s.shell().questionDeclined())
    return s.fail(l, l.arguments[0] + " exists and was not replaced; add replace=yes to overwrite it");
  return true;
}

// A File > Print command, printed to a PDF file instead of a printer. As
// for saves, an existing file is replaced only when the script says so.
template <void (*Command)(Context&)>
bool printTo(Session& s, const ScriptLine& l) {
  auto& a = s.shell().answers();
  a.printFiles.push_back(l.arguments[0]);
  a.printReplace = l.answer("replace") == "yes";
  const bool ran = s.run(Command);
  // Also when the file appeared only while the job was printed.
  if (s.shell().questionDeclined())
    return s.fail(l, l.arguments[0] + " exists and was not replaced; add replace=yes to overwrite it");
  if (!ran) return false;
  if (const auto& why = s.shell().printFailure()) return s.fail(l, *why);
  return true;
}

const std::vector<AnswerKey> ReplaceKey = {{"replace", ValueKind::Choice, {"yes", "no"}}};

std::string number(double v) { return formatGeneral(v); }

bool showChart(Session& s, const ScriptLine&) {
  BatchShell& sh = s.shell();
  sh.print("title\t" + sh.chartTitle());
  sh.print("foot\t" + sh.chartFoot());
  if (const auto axis = sh.leftAxis()) sh.print("axis\t" + number(axis->first) + "\t" + number(axis->second));
  for (const auto& p : sh.bars()) sh.print("bar\t" + p.label + "\t" + number(p.value));
  for (const auto& p : sh.linePoints()) sh.print("line\t" + p.label + "\t" + number(p.value));
  return true;
}

bool showPrototypes(Session& s, const ScriptLine&) {
  // Imported data: the variables' names over their numbers.
  if (const DataNames& names = s.context().names; names.imported) {
    std::string line = "name:";
    for (int v = 1; v <= std::clamp(s.ws().NumVars, 0, MaxVars); ++v) line += "\t" + names.variable(v);
    s.shell().print(line);
  }
  for (const auto& row : prototypesTableCells(s.ws())) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) line += (c > 0 ? "\t" : "") + row[c];
    s.shell().print(line);
  }
  return true;
}

// What the graph view draws: each prototype at its projected position and
// the connections of the upper triangle of the adjacency matrix.
bool showGraph(Session& s, const ScriptLine&) {
  if (!s.run(adjacencygraph1Click)) return false;
  const Workspace& ws = s.ws();
  const int k = std::clamp(ws.NumPrototypes, 0, MaxPrototypes);
  for (int p = 1; p <= k; ++p)
    s.shell().print("node\t" + std::to_string(p) + "\t" + number(ws.SammonX[p]) + "\t" + number(ws.SammonY[p]));
  for (int i = 1; i < k; ++i)
    for (int j = i + 1; j <= k; ++j)
      if (ws.Adjacency(i, j) == 1) s.shell().print("edge\t" + std::to_string(i) + "\t" + std::to_string(j));
  return true;
}

// "refine [iterations=N] [replications=last|all]": replications= answers
// the question whether to refine every replication of the last run (asked
// only after a run with several).
bool refine(Session& s, const ScriptLine& l) {
  s.shell().presetInput("Refine prototypes",
                        l.has("iterations") ? std::optional(l.answer("iterations")) : std::nullopt);
  auto& a = s.shell().answers();
  const std::string replications = l.answer("replications", "last");
  a.questions = replications == "all" ? Answer::Yes : Answer::No;
  a.questionsReason = l.has("replications") ? "replications=" + replications : "replications=last, the default";
  return s.run(refineprototypes1Click);
}

// Caption of the input box in which the pair of blocks is typed.
constexpr const char* PairCaption = "Prepare crosstabulation";

// "crosstab PAIR abs|dev": the display's menu item, with PAIR typed into
// the input box; "crosstab abs" alone cancels the box (its default pair).
bool crosstab(Session& s, const ScriptLine& l) {
  const bool withPair = l.arguments.size() == 2;
  const std::string mode = withPair ? l.arguments[1] : std::string(l.spec->phrase.substr(l.spec->phrase.rfind(' ') + 1));
  BatchShell& sh = s.shell();
  if (mode == "abs" && !sh.menuEnabled(MenuItem::absfrequencies1))
    return s.fail(l, "Analysis > Crosstabulate blocks pairwise > abs. frequencies is disabled in the menu "
                     "until a training run on k-blocks data has ended");
  sh.presetInput(PairCaption, withPair ? std::optional(l.arguments[0]) : std::nullopt);
  return s.run(mode == "abs" ? absfrequencies1Click : standardizeddeviations1Click);
}

std::optional<std::string> checkCrosstab(const ScriptLine& l) {
  if (l.arguments[1] != "abs" && l.arguments[1] != "dev")
    return "crosstab " + l.arguments[1] + ": expected 'abs' (abs. frequencies) or 'dev' (standardized deviations)";
  return std::nullopt;
}

bool bubbles(Session& s, const ScriptLine& l) {
  BatchShell& sh = s.shell();
  sh.presetInput("Determine block or sample", l.arguments[0]);
  sh.presetInput("Rescale bubble size?", l.has("factor") ? std::optional(l.answer("factor")) : std::nullopt);
  if (!s.run(adjgraphforselectedblockssamples1Click)) return false;
  const auto chart = sh.takeBubbleChart();
  if (!chart) return s.fail(l, "no chart was drawn (see the message above)");
  sh.print("title\t" + chart->title);
  sh.print("foot\t" + chart->foot);
  for (const Bubble& b : chart->bubbles)
    sh.print("bubble\t" + number(b.x) + "\t" + number(b.y) + "\t" + number(b.radius) + "\t" + b.label);
  if (!l.has("bmp")) return true;
#if VOLMAR_BATCH_HAS_QT
  auto& a = sh.answers();
  a.saveFiles.push_back(l.answer("bmp"));
  if (l.answer("replace") == "yes") {
    a.questions = Answer::Yes;
    a.questionsReason = "replace=yes";
  }
  if (saveBubbleChartBitmap(sh, *chart)) return true;
  if (sh.questionDeclined())
    return s.fail(l, l.answer("bmp") + " exists and was not replaced; add replace=yes to overwrite it");
  return s.fail(l, "the chart bitmap was not written");
#else
  return s.fail(l, "bmp= needs the desktop program's libraries, which this build of volmar-batch lacks");
#endif
}

std::optional<std::string> checkBubbles(const ScriptLine& l) {
  if (l.has("replace") && !l.has("bmp")) return "replace= needs bmp=FILE";
  return std::nullopt;
}

// Analysis > Compare over replications: FILE answers the save dialog for
// the error-hits file; without it the dialog is cancelled and only the
// analysis runs. An existing file is replaced only with replace=yes.
bool compare(Session& s, const ScriptLine& l) {
  auto& a = s.shell().answers();
  if (!l.arguments.empty()) a.saveFiles.push_back(l.arguments[0]);
  if (l.answer("replace") == "yes") {
    a.questions = Answer::Yes;
    a.questionsReason = "replace=yes";
  }
  if (!s.run(compareoverreplications1Click)) return false;
  if (s.shell().questionDeclined())
    return s.fail(l, l.arguments[0] + " exists and was not replaced; add replace=yes to overwrite it");
  return true;
}

std::optional<std::string> checkCompare(const ScriptLine& l) {
  if (l.has("replace") && l.arguments.empty()) return "replace= needs a FILE to replace";
  return std::nullopt;
}

// Caption of the input box in which trimming asks its cutoff.
constexpr const char* CutoffCaption = "Input a minimum cutoff value...";

// Analysis > Trim adjacency graph: CUTOFF is typed into the input box;
// without it the box is cancelled (its default "0", which changes nothing).
bool trim(Session& s, const ScriptLine& l) {
  s.shell().presetInput(CutoffCaption, l.arguments.empty() ? std::nullopt : std::optional(l.arguments[0]));
  return s.run(trimadjacencygraph1Click);
}

// A comma-separated list of an answer: "q1,q2,q3".
std::vector<std::string> listOf(const std::string& text) {
  std::vector<std::string> items;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t comma = text.find(',', pos);
    items.push_back(text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos));
    if (comma == std::string::npos) return items;
    pos = comma + 1;
  }
}

// File > Import...: FILE answers the open dialog, the other answers fill in
// the import dialog; vars= left out (or "all") takes every numeric variable
// but the ID and the subsample variable.
bool importData(Session& s, const ScriptLine& l) {
  s.shell().answers().openFiles.push_back(l.arguments[0]);
  CsvFormat format;
  const std::string sep = l.answer("sep");
  if (sep == "comma") format.separator = ',';
  if (sep == "semicolon") format.separator = ';';
  if (sep == "tab") format.separator = '\t';
  if (l.has("decimal")) format.decimalComma = l.answer("decimal") == "comma";
  const ImportChooser choose = [&l](const SurveyFile& file) {
    ImportOptions o;
    o.id = l.answer("id");
    o.subsamples = l.answer("subsamples");
    const std::string vars = l.answer("vars", "all");
    if (vars == "all") {
      for (const std::string& v : defaultImportVariables(file, o.id))
        if (v != o.subsamples) o.variables.push_back(v);
    } else {
      o.variables = listOf(vars);
    }
    if (l.has("missing")) o.missingCodes = listOf(l.answer("missing"));
    if (l.answer("kind") == "kblocks") {
      o.kBlocks = true;
      o.blockSize = parseIntegerEntry(l.answer("blocksize", "1")).value_or(1);
      o.caseFirst = l.answer("order", "casefirst") == "casefirst";
    }
    return std::optional<ImportOptions>(o);
  };
  return s.run([&](Context& ctx) { import1Click(ctx, format, choose); });
}

std::optional<std::string> checkImport(const ScriptLine& l) {
  const std::string kind = l.answer("kind", "none");
  if (l.has("blocksize") && kind != "kblocks") return "blocksize= needs kind=kblocks";
  if (l.has("order") && kind != "kblocks") return "order= needs kind=kblocks";
  if (kind == "kblocks" && !l.has("blocksize")) return "kind=kblocks needs blocksize=K";
  if (kind == "kblocks" && l.has("subsamples")) return "kind=kblocks and subsamples= exclude each other";
  if (l.answer("sep") == "comma" && l.answer("decimal") == "comma")
    return "decimal=comma needs sep=semicolon or sep=tab";
  if (l.has("blocksize")) {
    const std::string b = l.answer("blocksize");
    const auto k = parseIntegerEntry(b);
    if (!k || *k < 1 || *k > MaxBlocks) return "blocksize= must be from 1 to 20";
  }
  return std::nullopt;
}

// ---- Segment profiles ---------------------------------------------------------

// The chart a profiles line asks for: absolute= and relative= set the
// marker thresholds, which stay chosen for later lines (the description
// file follows them, as it follows the window's); order= is the line's own.
std::optional<ProfileChart> profileChartFor(Session& s, const ScriptLine& l) {
  std::optional<ProfileChart> chart;
  const bool ran = s.run([&](Context& ctx) {
    MarkerThresholds t = ctx.profileThresholds;
    if (l.has("absolute")) t.absolute = static_cast<double>(*parseRealEntry(l.answer("absolute")));
    if (l.has("relative")) t.relative = static_cast<double>(*parseRealEntry(l.answer("relative")));
    chart = profileChart(ctx);
    ctx.profileThresholds = t;
    chart->thresholds = t;
    chart->bySimilarity = l.answer("order", "file") == "similarity";
  });
  if (!ran) chart.reset();
  return chart;
}

std::optional<std::string> checkProfileSettings(const ScriptLine& l) {
  for (const char* key : {"absolute", "relative"})
    if (l.has(key)) {
      const auto v = parseRealEntry(l.answer(key));
      if (!v || *v < 0) return std::string(key) + "= must be a number of 0 or more";
    }
  return std::nullopt;
}

std::optional<std::string> checkProfiles(const ScriptLine& l) {
  if (!chartFileKind(l.arguments[0]))
    return "profiles " + l.arguments[0] + ": the chart is saved as FILE.png, FILE.svg or FILE.pdf";
  return checkProfileSettings(l);
}

// "show profiles": one line per segment and variable.
bool showProfiles(Session& s, const ScriptLine& l) {
  const auto chart = profileChartFor(s, l);
  if (!chart) return false;
  for (const std::string& line : profileLines(*chart)) s.shell().print(line);
  return true;
}

// "profiles FILE": the window's "Save chart..." with the file from the line.
bool profiles(Session& s, const ScriptLine& l) {
  const auto chart = profileChartFor(s, l);
  if (!chart) return false;
#if VOLMAR_BATCH_HAS_QT
  BatchShell& sh = s.shell();
  auto& a = sh.answers();
  a.saveFiles.push_back(l.arguments[0]);
  if (l.answer("replace") == "yes") {
    a.questions = Answer::Yes;
    a.questionsReason = "replace=yes";
  }
  if (saveProfileChartFile(sh, *chart)) return true;
  if (sh.questionDeclined())
    return s.fail(l, l.arguments[0] + " exists and was not replaced; add replace=yes to overwrite it");
  return s.fail(l, "the chart was not written (see the message above)");
#else
  return s.fail(l, "profiles needs the desktop program's libraries, which this build of volmar-batch lacks");
#endif
}

const std::vector<AnswerKey> ProfileKeys = {{"order", ValueKind::Choice, {"file", "similarity"}},
                                            {"absolute", ValueKind::Real},
                                            {"relative", ValueKind::Real}};
const std::vector<AnswerKey> ProfileFileKeys = {{"order", ValueKind::Choice, {"file", "similarity"}},
                                                {"absolute", ValueKind::Real},
                                                {"relative", ValueKind::Real},
                                                {"replace", ValueKind::Choice, {"yes", "no"}}};

// ---- end of segment profiles ------------------------------------------------

using K = ValueKind;

const std::vector<CommandSpec>& table() {
  static const std::vector<CommandSpec> t = {
      {"open", {"FILE"},
       {{"cases", K::Integer}, {"vars", K::Integer}, {"kind", K::Choice, {"none", "kblocks", "ksamples"}},
        {"blocksize", K::Integer}, {"order", K::Choice, {"casefirst", "measfirst"}}, {"subsamples", K::Text}},
       MenuItem::Open1, MenuItem::Count_, "File > Open", openData, checkOpen},
      {"import", {"FILE"},
       {{"vars", K::Text}, {"id", K::Text}, {"missing", K::Text},
        {"sep", K::Choice, {"comma", "semicolon", "tab"}}, {"decimal", K::Choice, {"point", "comma"}},
        {"subsamples", K::Text}, {"kind", K::Choice, {"none", "kblocks"}}, {"blocksize", K::Integer},
        {"order", K::Choice, {"casefirst", "measfirst"}}},
       MenuItem::Import1, MenuItem::Count_, "File > Import...", importData, checkImport},
      {"parameterize", {},
       {{"lower", K::Integer}, {"upper", K::Integer}, {"trials", K::Integer}, {"epochs", K::Integer},
        {"rate", K::Real}, {"range", K::Real}, {"lifetime", K::Real}, {"reps", K::Integer},
        {"neighbor", K::Choice, {"on", "off"}}, {"distance", K::Choice, {"euclidean", "tanimoto"}}},
       MenuItem::Parameterize1, MenuItem::Count_, "Analysis > Parameterize", parameterize},
      {"subtractive", {}, {{"radius", K::Real}}, MenuItem::Subtractiveclustering1, MenuItem::Initialize1,
       "Analysis > Initialize > Subtractive clustering", subtractive},
      {"readprototypes", {"FILE"}, {}, MenuItem::Readprototypesfromfile1, MenuItem::Initialize1,
       "Analysis > Initialize > Read prototypes from file", readPrototypes},
      {"train", {}, {}, MenuItem::Run1, MenuItem::Count_, "Analysis > Train", menu<run1Click>},
      {"recall", {}, {}, MenuItem::Recall, MenuItem::Count_, "Analysis > Recall", menu<recallClick>},
      {"refine", {}, {{"iterations", K::Integer}, {"replications", K::Choice, {"last", "all"}}}, MenuItem::Refineprototypes1, MenuItem::Count_,
       "Analysis > Refine prototypes (batch k-means)", refine},
      {"save prototypes", {"FILE"}, ReplaceKey, MenuItem::Prototypes2, MenuItem::SaveAs1,
       "File > Save > Prototypes", save<prototypes2Click>},
      {"save labels", {"FILE"}, ReplaceKey, MenuItem::Classlabels1, MenuItem::SaveAs1,
       "File > Save > Class labels", save<classlabels1Click>},
      {"save info", {"FILE"}, ReplaceKey, MenuItem::Infooverreplications1, MenuItem::SaveAs1,
       "File > Save > Info over replications", save<infooverreplications1Click>},
      {"save blocks", {"FILE"}, ReplaceKey, MenuItem::BlocksSamplesxPrototypestable2, MenuItem::SaveAs1,
       "File > Save > Blocks (Samples) x Prototypes table", save<blocksSamplesxPrototypestable2Click>},
      {"save segments", {"FILE.csv|FILE.sav"}, ReplaceKey, MenuItem::SegmentswithIDs1, MenuItem::SaveAs1,
       "File > Save > Segments with IDs...", save<segmentswithIDs1Click>},
      {"compare", {"[FILE]"}, ReplaceKey, MenuItem::Compareoverreplications1, MenuItem::Count_,
       "Analysis > Compare over replications", compare, checkCompare},
      {"similarity neighborhood", {}, {}, MenuItem::statNeighborhood1, MenuItem::Similarityofprototypes1,
       "Analysis > Similarity of prototypes > stat. Neighborhood", menu<statNeighborhood1Click>},
      {"similarity distance", {}, {}, MenuItem::squEuclDist1, MenuItem::Similarityofprototypes1,
       "Analysis > Similarity of prototypes > - squ.Eucl. Dist.", menu<squEuclDist1Click>},
      {"similarity ratio", {}, {}, MenuItem::statNbhdsquEucD1, MenuItem::Similarityofprototypes1,
       "Analysis > Similarity of prototypes > statNbhd / squEucD", menu<statNbhdsquEucD1Click>},
      {"trim", {"[CUTOFF]"}, {}, MenuItem::Trimadjacencygraph1, MenuItem::Count_,
       "Analysis > Trim adjacency graph", trim},
      {"restore", {}, {}, MenuItem::Restoreadjacencygraph1, MenuItem::Count_,
       "Analysis > Restore adjacency graph", menu<restoreadjacencygraph1Click>},
      {"print listbox", {"FILE.pdf"}, ReplaceKey, MenuItem::Print1, MenuItem::Count_,
       "File > Print Listbox", printTo<print1Click>},
      {"print chart", {"FILE.pdf"}, ReplaceKey, MenuItem::PrintChart1, MenuItem::Count_,
       "File > Print Chart", printTo<printChart1Click>},
      {"print graph", {"FILE.pdf"}, ReplaceKey, MenuItem::PrintAdjacencygraph1, MenuItem::Count_,
       "File > Print Adjacency graph", printTo<printAdjacencygraph1Click>},
      {"show chart", {}, {}, MenuItem::Count_, MenuItem::Count_, "", showChart},
      {"show prototypes", {}, {}, MenuItem::Prototypes1, MenuItem::Count_, "Show > Prototypes Table", showPrototypes},
      {"show graph", {}, {}, MenuItem::Adjacencygraph1, MenuItem::Count_, "Show > Adjacency Graph", showGraph},
      {"contingency", {}, {}, MenuItem::BlockssamplesxPrototypescontingencytable1, MenuItem::Count_,
       "Analysis > Blocks(samples)xPrototypes contingency table",
       menu<blockssamplesxPrototypescontingencytable1Click>},
      {"show blocks", {}, {}, MenuItem::BlockssamplesxPrototypestable1, MenuItem::Count_,
       "Show > Blocks (samples) x Prototypes table", menu<blockssamplesxPrototypestable1Click>},
      {"crosstab", {"PAIR", "abs|dev"}, {}, MenuItem::Crosstabulateblockspairwise1, MenuItem::Count_,
       "Analysis > Crosstabulate blocks pairwise > abs. frequencies | standardized deviations", crosstab,
       checkCrosstab},
      {"crosstab abs", {}, {}, MenuItem::absfrequencies1, MenuItem::Crosstabulateblockspairwise1,
       "the same with the input box cancelled (pair 1&2)", crosstab},
      {"crosstab dev", {}, {}, MenuItem::standardizeddeviations1, MenuItem::Crosstabulateblockspairwise1,
       "the same with the input box cancelled (pair 1&2)", crosstab},
      {"show pair", {}, {}, MenuItem::Frequencyofprototypesforpairofblocks1, MenuItem::Count_,
       "Show > Frequency of prototypes for current pair of blocks", menu<frequencyofprototypesforpairofblocks1Click>},
      {"bubbles", {"BLOCK"}, {{"factor", K::Real}, {"bmp", K::Text}, {"replace", K::Choice, {"yes", "no"}}},
       MenuItem::Adjgraphforselectedblockssamples1, MenuItem::Count_,
       "Show > Frequency of prototypes for selected blocks (samples)", bubbles, checkBubbles},
      // Segment profiles.
      {"save description", {"FILE.csv"}, ReplaceKey, MenuItem::Segmentdescription1, MenuItem::SaveAs1,
       "File > Save > Segment description...", save<segmentdescription1Click>},
      {"show profiles", {}, ProfileKeys, MenuItem::Segmentprofiles1, MenuItem::Count_, "Show > Segment profiles",
       showProfiles, checkProfileSettings},
      {"profiles", {"FILE.png|FILE.svg|FILE.pdf"}, ProfileFileKeys, MenuItem::Segmentprofiles1, MenuItem::Count_,
       "Show > Segment profiles > Save chart...", profiles, checkProfiles},
      // Stability by bootstrap.
      {"stability global", {},
       {{"lower", K::Integer}, {"upper", K::Integer}, {"pairs", K::Integer}, {"refine", K::Choice, {"yes", "no"}},
        {"values", K::Text}, {"chart", K::Text}, {"replace", K::Choice, {"yes", "no"}}, {"tasks", K::Integer},
        {"task", K::Integer}, {"part", K::Text}},
       MenuItem::Globalbootstrap1, MenuItem::Stability1, "Analysis > Stability > Global (bootstrap)...",
       stabilityGlobal, checkStabilityGlobal},
      {"stability segments", {},
       {{"pairs", K::Integer}, {"refine", K::Choice, {"yes", "no"}}, {"values", K::Text}, {"chart", K::Text},
        {"replace", K::Choice, {"yes", "no"}}},
       MenuItem::Segmentsbootstrap1, MenuItem::Stability1, "Analysis > Stability > Segments (bootstrap)...",
       stabilitySegments, checkStabilityResults},
      {"stability merge", {"FILE..."},
       {{"values", K::Text}, {"chart", K::Text}, {"replace", K::Choice, {"yes", "no"}}}, MenuItem::Count_,
       MenuItem::Count_, "the parts of a split 'stability global' as one study", stabilityMerge,
       checkStabilityResults},
  };
  return t;
}

// What enables a menu item that starts disabled.
const char* enabledBy(MenuItem item) {
  switch (item) {
    case MenuItem::Parameterize1:
      return "a data file has been read ('open')";
    case MenuItem::Initialize1:
      return "the parameter dialog has been used ('parameterize')";
    case MenuItem::Subtractiveclustering1:
    case MenuItem::Run1:
      return "parameters have been accepted ('parameterize')";
    case MenuItem::Recall:
      return "a prototypes file has been read ('readprototypes')";
    case MenuItem::Refineprototypes1:
      return "prototypes exist ('train' or 'readprototypes')";
    case MenuItem::Adjacencygraph1:
      return "a training run with neighbor=on has ended";
    case MenuItem::BlockssamplesxPrototypescontingencytable1:
      return "a training run on k-blocks or k-samples data has ended";
    case MenuItem::Crosstabulateblockspairwise1:
    case MenuItem::absfrequencies1:
      return "a training run on k-blocks data has ended";
    case MenuItem::BlockssamplesxPrototypestable1:
    case MenuItem::Adjgraphforselectedblockssamples1:
      return "the contingency table has been counted ('contingency')";
    case MenuItem::Frequencyofprototypesforpairofblocks1:
      return "a pair of blocks has been cross-tabulated ('crosstab')";
    case MenuItem::Compareoverreplications1:
      return "a training run with reps=2 or more has ended";
    case MenuItem::Similarityofprototypes1:
      return "a training run has ended ('train')";
    case MenuItem::Trimadjacencygraph1:
      return "the statistical neighborhood has been listed ('similarity neighborhood')";
    case MenuItem::Restoreadjacencygraph1:
      return "the graph has been trimmed with a cutoff above 0 ('trim CUTOFF')";
    case MenuItem::Segmentprofiles1:
    case MenuItem::Segmentdescription1:
      return "a training run, a recall or a refinement has given the data segments ('train')";
    // Stability by bootstrap.
    case MenuItem::Stability1:
    case MenuItem::Globalbootstrap1:
      return "parameters have been accepted ('parameterize')";
    case MenuItem::Segmentsbootstrap1:
      return "a training run of 2 or more prototypes, a recall or a refine has ended";
    default:
      return "an earlier command enables it";
  }
}

}  // namespace

std::span<const CommandSpec> commandTable() { return table(); }

std::optional<std::string> unavailable(const CommandSpec& spec, const BatchShell& shell) {
  if (spec.item == MenuItem::Count_) return std::nullopt;
  const std::string path(spec.menuPath);
  if (spec.submenu != MenuItem::Count_ && !shell.menuEnabled(spec.submenu))
    return path + " lies in a submenu that is disabled until " + enabledBy(spec.submenu);
  if (!shell.menuEnabled(spec.item)) return path + " is disabled in the menu until " + enabledBy(spec.item);
  return std::nullopt;
}

}  // namespace volmar::batch
