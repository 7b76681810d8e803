#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/Prompter.h"

namespace volmar {
class TBtnRightDlg;
class TForm1;
class TPrTable;
class TImportDlg;
class StabilityDialogBox;
}  // namespace volmar

namespace volmar::test {

// Answers the main window's questions from queues and records what it was
// asked. The two dialogs are the real Qt dialogs, created but not run: a
// script works their controls, as a person would, and what the dialog did
// then counts.
class ScriptedPrompter : public Prompter {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  std::vector<FileDialog> openDialogsShown;
  std::vector<FileDialog> saveDialogsShown;
  std::vector<int> helpTopics;
  int aboutBoxes = 0;
  int dataDialogsShown = 0;
  int paramDialogsShown = 0;

  std::deque<Answer> answers;         // questions; an empty queue fails the test
  std::deque<std::string> inputs;     // input boxes; empty = default text
  std::deque<std::string> openFiles;  // "" = cancel; an empty queue fails the test
  std::deque<std::string> saveFiles;
  // Work the dialog's controls; an empty queue presses "&OK".
  std::deque<std::function<void(TBtnRightDlg&)>> dataDialogs;
  std::deque<std::function<void(TForm1&)>> paramDialogs;
  // Stability by bootstrap.
  // The stability dialog, worked like the parameter dialog.
  int stabilityDialogsShown = 0;
  std::deque<std::function<void(StabilityDialogBox&)>> stabilityDialogs;
  bool stabilityDialog(QWidget* parent, StabilityDialog& dialog) override;
  // The import dialog: the script works its controls and returns true for
  // "&OK"; an empty queue presses "&OK" on the dialog's own choice.
  int importDialogsShown = 0;
  std::deque<std::function<bool(TImportDlg&)>> importDialogs;
  // The prototypes tables shown; while one is open modally (the real
  // window, run by exec) the script looks at it, then it is closed. An
  // empty queue records the cells without showing the window.
  std::vector<GridCells> prototypesTables;
  std::deque<std::function<void(TPrTable&)>> prototypesTableScripts;

  void message(QWidget* parent, const std::string& text) override;
  Answer askYesNo(QWidget* parent, const std::string& text) override;
  Answer askYesNoCancel(QWidget* parent, const std::string& text) override;
  std::string inputBox(QWidget* parent, const std::string& caption, const std::string& prompt,
                       const std::string& defaultText) override;
  bool openFile(QWidget* parent, FileDialog& dialog) override;
  bool saveFile(QWidget* parent, FileDialog& dialog) override;
  bool dataMatrixDialog(QWidget* parent, DataMatrixDialog& dialog) override;
  void paramDialog(QWidget* parent, ParamDialog& dialog) override;
  std::optional<ImportOptions> importDialog(QWidget* parent, const SurveyFile& file) override;
  void aboutBox(QWidget* parent) override;
  void openHelp(QWidget* parent, int topic) override;
  void prototypesTable(QWidget* parent, const GridCells& cells) override;

  // Print dialogs: a PDF file to print to, "" = cancel; an empty queue
  // fails the test.
  std::deque<std::string> printFiles;
  int printDialogsShown = 0;
  int printerSetups = 0;
  bool printDialog(QWidget* parent, QPrinter& printer) override;
  void printerSetupDialog(QWidget* parent, QPrinter& printer) override;

 private:
  Answer nextAnswer(const std::string& text, Answer fallback);
};

}  // namespace volmar::test
