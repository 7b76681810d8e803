#pragma once

#include <optional>
#include <string>

#include "commands/Import.h"
#include "commands/Shell.h"

class QPrinter;
class QWidget;

namespace volmar {

class DataMatrixDialog;
class ParamDialog;

// Everything the program asks of the person by a modal window, and the help
// viewer. The Qt shell hands these on to a Prompter so that the main window
// can be driven without blocking: the program uses QtPrompter, tests install
// one that answers from a script.
class Prompter {
 public:
  virtual ~Prompter() = default;

  virtual void message(QWidget* parent, const std::string& text) = 0;
  virtual Answer askYesNo(QWidget* parent, const std::string& text) = 0;
  virtual Answer askYesNoCancel(QWidget* parent, const std::string& text) = 0;
  // Cancelling returns the default text.
  virtual std::string inputBox(QWidget* parent, const std::string& caption,
                               const std::string& prompt, const std::string& defaultText) = 0;
  // True when a file was chosen; dialog.fileName and dialog.filterIndex then
  // say which, and how.
  virtual bool openFile(QWidget* parent, FileDialog& dialog) = 0;
  virtual bool saveFile(QWidget* parent, FileDialog& dialog) = 0;
  // "Define data matrix": true for OK.
  virtual bool dataMatrixDialog(QWidget* parent, DataMatrixDialog& dialog) = 0;
  // "Import survey data" on the scanned file: the choice, nothing = Cancel.
  virtual std::optional<ImportOptions> importDialog(QWidget* parent, const SurveyFile& file) = 0;
  // "Set parameters".
  virtual void paramDialog(QWidget* parent, ParamDialog& dialog) = 0;
  // Stability by bootstrap.
  // The stability dialog (StabilityDialogBox): true for OK.
  virtual bool stabilityDialog(QWidget* parent, StabilityDialog& dialog);
  virtual void aboutBox(QWidget* parent) = 0;
  virtual void openHelp(QWidget* parent, int topic) = 0;
  // The prototypes table (TPrTable), shown modally until the person closes it.
  virtual void prototypesTable(QWidget* parent, const GridCells& cells) = 0;

  // The print dialog for the printer (it may choose a PDF file); false when
  // cancelled. The printer setup dialog changes the printer's page.
  virtual bool printDialog(QWidget* parent, QPrinter& printer) = 0;
  virtual void printerSetupDialog(QWidget* parent, QPrinter& printer) = 0;
};

}  // namespace volmar
