#pragma once

#include <QString>

#include "ui/Prompter.h"

namespace volmar {

class HelpViewer;

// The Prompter of the program: Qt message boxes, input boxes, file dialogs
// (Qt's own, the same on every desktop), the two dialogs, the about box and
// the help viewer.
class QtPrompter : public Prompter {
 public:
  explicit QtPrompter(HelpViewer& help);

  void message(QWidget* parent, const std::string& text) override;
  Answer askYesNo(QWidget* parent, const std::string& text) override;
  Answer askYesNoCancel(QWidget* parent, const std::string& text) override;
  std::string inputBox(QWidget* parent, const std::string& caption, const std::string& prompt,
                       const std::string& defaultText) override;
  bool openFile(QWidget* parent, FileDialog& dialog) override;
  bool saveFile(QWidget* parent, FileDialog& dialog) override;
  bool dataMatrixDialog(QWidget* parent, DataMatrixDialog& dialog) override;
  std::optional<ImportOptions> importDialog(QWidget* parent, const SurveyFile& file) override;
  void paramDialog(QWidget* parent, ParamDialog& dialog) override;
  void aboutBox(QWidget* parent) override;
  void openHelp(QWidget* parent, int topic) override;
  void prototypesTable(QWidget* parent, const GridCells& cells) override;
  bool printDialog(QWidget* parent, QPrinter& printer) override;
  void printerSetupDialog(QWidget* parent, QPrinter& printer) override;

 private:
  HelpViewer& help_;
  QString lastDir_;
};

// What a file dialog opens with: the folder of the preset name (else the
// folder last chosen) and, in the name box, the preset pattern or a name the
// chosen filter matches.
struct FilePreset {
  QString folder;
  QString name;
};
FilePreset filePreset(const FileDialog& dialog, const QString& lastDir);

// Message texts join their lines with CR LF; a label wants LF alone.
QString messageText(const std::string& text);

}  // namespace volmar
