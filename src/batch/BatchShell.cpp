#include "batch/BatchShell.h"

#include "batch/QtPrinting.h"
#include "commands/DataMatrixDialog.h"
#include "commands/FileIO.h"
#include "commands/ParamDialog.h"

namespace volmar::batch {

namespace {

const char* answerText(Answer a) {
  switch (a) {
    case Answer::Ok:
      return "OK";
    case Answer::Yes:
      return "Yes";
    case Answer::No:
      return "No";
    case Answer::Cancel:
      return "Cancel";
  }
  return "?";
}

}  // namespace

DialogRefused::DialogRefused(const std::string& caption)
    : CommandError("The \"" + caption + "\" dialog did not accept these answers.") {}

BatchShell::BatchShell(std::FILE* out, std::FILE* err, bool showStatus)
    : out_(out), err_(err), showStatus_(showStatus) {
  // As designed every item is enabled; the main window's creation disables
  // those that wait for an earlier step.
  menu_.fill(true);
}

BatchShell::LineAnswers& BatchShell::beginLine() {
  answers_ = LineAnswers{};
  declined_ = false;
  printFailure_.reset();
  return answers_;
}

void BatchShell::presetInput(const std::string& caption, std::optional<std::string> text) {
  if (text)
    inputs_[caption] = *text;
  else
    inputs_.erase(caption);
}

void BatchShell::print(const std::string& line) {
  std::fputs(line.c_str(), out_);
  std::fputc('\n', out_);
}

void BatchShell::keepResponsive() { std::fflush(out_); }

void BatchShell::note(const std::string& text) { errLines("volmar-batch", text); }

bool BatchShell::outputOk() const { return std::ferror(out_) == 0; }

void BatchShell::errLines(const char* kind, const std::string& text) {
  // Keep the two streams in order when they go to the same place.
  std::fflush(out_);
  std::size_t pos = 0;
  while (true) {
    const std::size_t nl = text.find('\n', pos);
    std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::fprintf(err_, "%s: %s\n", kind, line.c_str());
    if (nl == std::string::npos) break;
    pos = nl + 1;
  }
  std::fflush(err_);
}

void BatchShell::appendLine(const std::string& line) {
  lines_.push_back(line);
  print(line);
}

void BatchShell::setStatus(const std::string& text) {
  if (!showStatus_ || lastStatus_ == text) return;
  lastStatus_ = text;
  errLines("status", text);
}

void BatchShell::message(const std::string& text) { errLines("message", text); }

Answer BatchShell::ask(const std::string& text, Answer safe) {
  errLines("question", text);
  if (answers_.questions) {
    errLines("answer", std::string(answerText(*answers_.questions)) + " (" + answers_.questionsReason + ")");
    return *answers_.questions;
  }
  declined_ = true;
  errLines("answer", std::string(answerText(safe)) + " (the safe answer; the script gave none)");
  return safe;
}

Answer BatchShell::askYesNo(const std::string& text) { return ask(text, Answer::No); }

Answer BatchShell::askYesNoCancel(const std::string& text) { return ask(text, Answer::Cancel); }

std::string BatchShell::inputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultText) {
  const auto it = inputs_.find(caption);
  std::string text = defaultText;
  std::string how = "the default";
  if (it != inputs_.end()) {
    text = it->second;
    how = "from the script";
    inputs_.erase(it);
  }
  errLines("input", caption + " (" + prompt + "): " + text + " (" + how + ")");
  return text;
}

bool BatchShell::fileDialog(std::deque<std::string>& files, FileDialog& dialog, const char* which) {
  if (files.empty()) {
    note(std::string("the ") + which + " dialog was cancelled: the script names no file for it");
    return false;
  }
  dialog.fileName = files.front();
  files.pop_front();
  return true;
}

bool BatchShell::executeOpenDialog(FileDialog& dialog) { return fileDialog(answers_.openFiles, dialog, "file-open"); }

bool BatchShell::executeSaveDialog(FileDialog& dialog) { return fileDialog(answers_.saveFiles, dialog, "save"); }

bool BatchShell::showDataMatrixDialog(DataMatrixDialog& dialog) {
  if (answers_.dataMatrix) answers_.dataMatrix(dialog);
  if (!dialog.ok()) throw DialogRefused("Define data matrix");
  return true;
}

void BatchShell::showParamDialog(ParamDialog& dialog) {
  if (answers_.params) answers_.params(dialog);
  if (!dialog.ok()) throw DialogRefused("Set parameters");
}

// Stability by bootstrap.
bool BatchShell::showStabilityDialog(StabilityDialog& dialog) {
  if (answers_.stability) answers_.stability(dialog);
  return true;
}

std::optional<StabilityChart> BatchShell::takeStabilityChart() {
  std::optional<StabilityChart> chart;
  chart.swap(stabilityChart_);
  return chart;
}

void BatchShell::clearSeries(Series s) { (s == Series::Bars ? bars_ : line_).clear(); }

void BatchShell::addPoint(Series s, double value, const std::string& label) {
  (s == Series::Bars ? bars_ : line_).push_back({value, label});
}

void BatchShell::setPointValue(Series s, int position, double value) {
  auto& points = s == Series::Bars ? bars_ : line_;
  if (position >= 0 && position < static_cast<int>(points.size()))
    points[static_cast<std::size_t>(position)].value = value;
}

void BatchShell::enableMenu(MenuItem item, bool enabled) {
  if (item != MenuItem::Count_) menu_[static_cast<std::size_t>(item)] = enabled;
}

void BatchShell::openHelp(int topic) {
  note("help topic " + std::to_string(topic) + " is not shown in a batch run");
}

void BatchShell::printCells(const GridCells& cells) {
  for (const auto& row : cells) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) line += (c > 0 ? "\t" : "") + row[c];
    print(line);
  }
}

std::optional<BubbleChart> BatchShell::takeBubbleChart() {
  std::optional<BubbleChart> chart;
  chart.swap(bubbleChart_);
  return chart;
}

void BatchShell::executePrinterSetupDialog() {
  note("the printer setup dialog is not shown in a batch run; PDF files are printed on A4");
}

bool BatchShell::executePrintDialog() {
  auto& files = answers_.printFiles;
  if (files.empty()) {
    note("the print dialog was cancelled: the script names no PDF file for it");
    return false;
  }
  const std::string file = files.front();
  files.pop_front();
  if (fileExists(file) && !answers_.printReplace) {
    declined_ = true;
    note("the print dialog was cancelled: " + file + " exists");
    return false;
  }
  printFile_ = file;
  return true;
}

void BatchShell::printing(const std::function<void()>& print) {
  try {
#if VOLMAR_BATCH_HAS_QT
    print();
#else
    (void)print;
    throw CommandError("Printing failed: this volmar-batch was built without Qt.");
#endif
  } catch (const FileExistsError&) {
    // Another program made the file after the dialog: not replaced, as
    // for a file that existed before.
    declined_ = true;
    throw;
  } catch (const std::exception& e) {
    printFailure_ = e.what();
    throw;
  }
}

void BatchShell::printJob(const std::function<void(PrintCanvas&)>& draw) {
  printing([&] { printJobToPdf(printFile_, answers_.printReplace, draw); });
}

void BatchShell::printChart() {
  printing([&] {
    ChartContents chart;
    chart.title = chartTitle_;
    chart.foot = chartFoot_;
    for (const auto& p : bars_) chart.bars.push_back({p.value, p.label});
    for (const auto& p : line_) chart.line.push_back({p.value, p.label});
    chart.leftAxis = leftAxis_;
    printChartToPdf(printFile_, answers_.printReplace, chart);
  });
}

void BatchShell::printGraphView() {
  printing([&] {
    if (!ws_) throw CommandError("Printing failed: no workspace to draw the graph from.");
    printGraphToPdf(printFile_, answers_.printReplace, *ws_);
  });
}

#if !VOLMAR_BATCH_HAS_QT
// Without Qt there is no PDF writer; printing() refuses before these are
// reached, and they refuse too.
void printJobToPdf(const std::string&, bool, const std::function<void(PrintCanvas&)>&) {
  throw CommandError("Printing failed: this volmar-batch was built without Qt.");
}
void printChartToPdf(const std::string&, bool, const ChartContents&) {
  throw CommandError("Printing failed: this volmar-batch was built without Qt.");
}
void printGraphToPdf(const std::string&, bool, const Workspace&) {
  throw CommandError("Printing failed: this volmar-batch was built without Qt.");
}
#endif

}  // namespace volmar::batch
