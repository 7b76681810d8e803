#include "ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <QPrinter>
#include <QPushButton>

#include "ui/StabilityWindow.h"
#include "ui/ImportDialog.h"
#include "ui/Param.h"
#include "ui/Unit2.h"
#include "ui/Unit4.h"

#include <QTimer>

namespace volmar::test {

void ScriptedPrompter::message(QWidget*, const std::string& text) { messages.push_back(text); }

Answer ScriptedPrompter::nextAnswer(const std::string& text, Answer fallback) {
  questions.push_back(text);
  if (answers.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return fallback;
  }
  const Answer a = answers.front();
  answers.pop_front();
  return a;
}

Answer ScriptedPrompter::askYesNo(QWidget*, const std::string& text) {
  return nextAnswer(text, Answer::No);
}

Answer ScriptedPrompter::askYesNoCancel(QWidget*, const std::string& text) {
  return nextAnswer(text, Answer::Cancel);
}

std::string ScriptedPrompter::inputBox(QWidget*, const std::string& caption,
                                       const std::string& prompt, const std::string& defaultText) {
  questions.push_back(caption + "|" + prompt + "|" + defaultText);
  if (inputs.empty()) return defaultText;
  std::string s = inputs.front();
  inputs.pop_front();
  return s;
}

bool ScriptedPrompter::openFile(QWidget*, FileDialog& dialog) {
  openDialogsShown.push_back(dialog);
  if (openFiles.empty()) {
    ADD_FAILURE() << "unexpected open dialog";
    return false;
  }
  const std::string f = openFiles.front();
  openFiles.pop_front();
  if (f.empty()) return false;
  dialog.fileName = f;
  return true;
}

bool ScriptedPrompter::saveFile(QWidget*, FileDialog& dialog) {
  saveDialogsShown.push_back(dialog);
  if (saveFiles.empty()) {
    ADD_FAILURE() << "unexpected save dialog";
    return false;
  }
  const std::string f = saveFiles.front();
  saveFiles.pop_front();
  if (f.empty()) return false;
  dialog.fileName = f;
  return true;
}

bool ScriptedPrompter::dataMatrixDialog(QWidget* parent, DataMatrixDialog& dialog) {
  ++dataDialogsShown;
  TBtnRightDlg dlg(dialog, parent);
  if (dataDialogs.empty()) {
    dlg.OKBtn->click();
  } else {
    auto script = dataDialogs.front();
    dataDialogs.pop_front();
    script(dlg);
  }
  return dlg.result() == QDialog::Accepted;
}

std::optional<ImportOptions> ScriptedPrompter::importDialog(QWidget* parent, const SurveyFile& file) {
  ++importDialogsShown;
  TImportDlg dlg(file, parent);
  bool ok = true;
  if (!importDialogs.empty()) {
    auto script = importDialogs.front();
    importDialogs.pop_front();
    ok = script(dlg);
  }
  if (!ok) return std::nullopt;
  return dlg.options();
}

void ScriptedPrompter::paramDialog(QWidget* parent, ParamDialog& dialog) {
  ++paramDialogsShown;
  TForm1 dlg(dialog, parent);
  if (paramDialogs.empty()) {
    dlg.Button1->click();
  } else {
    auto script = paramDialogs.front();
    paramDialogs.pop_front();
    script(dlg);
  }
  // A dialog the script leaves open is closed by its close box.
}

// Stability by bootstrap.
bool ScriptedPrompter::stabilityDialog(QWidget* parent, StabilityDialog& dialog) {
  ++stabilityDialogsShown;
  StabilityDialogBox box(dialog, parent);
  if (stabilityDialogs.empty()) {
    box.okClick();
  } else {
    auto script = stabilityDialogs.front();
    stabilityDialogs.pop_front();
    script(box);
  }
  return box.result() == QDialog::Accepted;
}

void ScriptedPrompter::aboutBox(QWidget*) { ++aboutBoxes; }

void ScriptedPrompter::openHelp(QWidget*, int topic) { helpTopics.push_back(topic); }

void ScriptedPrompter::prototypesTable(QWidget* parent, const GridCells& cells) {
  prototypesTables.push_back(cells);
  if (prototypesTableScripts.empty()) return;
  auto script = prototypesTableScripts.front();
  prototypesTableScripts.pop_front();
  TPrTable table(cells, parent);
  // Runs once the modal loop has started, then closes the window as its
  // close box would.
  QTimer::singleShot(0, &table, [&table, script] {
    script(table);
    table.close();
  });
  table.exec();
}

bool ScriptedPrompter::printDialog(QWidget*, QPrinter& printer) {
  ++printDialogsShown;
  if (printFiles.empty()) {
    ADD_FAILURE() << "unexpected print dialog";
    return false;
  }
  const std::string f = printFiles.front();
  printFiles.pop_front();
  if (f.empty()) return false;
  // What choosing "Print to File (PDF)" in the dialog does.
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(f));
  return true;
}

void ScriptedPrompter::printerSetupDialog(QWidget*, QPrinter&) { ++printerSetups; }

}  // namespace volmar::test
