#include "ui/ImportDialog.h"
#include "ui/QtPrompter.h"
#include "ui/Unit4.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "ui/HelpViewer.h"
#include "ui/Param.h"
#include "ui/QtShell.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"

namespace volmar {

QString messageText(const std::string& text) {
  QString t = QString::fromStdString(text);
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return t;
}

QtPrompter::QtPrompter(HelpViewer& help) : help_(help) {}

namespace {

QString boxCaption() { return QCoreApplication::applicationName(); }

Answer ask(QWidget* parent, const std::string& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(QMessageBox::Question, boxCaption(), messageText(text), buttons, parent);
  box.setTextFormat(Qt::PlainText);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

}  // namespace

FilePreset filePreset(const FileDialog& d, const QString& lastDir) {
  FilePreset p;
  p.folder = lastDir;
  if (d.fileName.empty()) return p;
  const QFileInfo given(QFile::decodeName(QByteArray::fromStdString(d.fileName)));
  if (given.path() != QLatin1String(".") && given.dir().exists()) p.folder = given.absolutePath();
  // A pattern ("*.wgt") is shown as it is; a name only when the chosen
  // filter would list it, so that Return never takes a file of another kind.
  const QString name = given.fileName();
  if (name.contains(QLatin1Char('*'))) {
    p.name = name;
    return p;
  }
  QStringList patterns;
  if (d.filterIndex >= 1 && d.filterIndex <= static_cast<int>(d.filters.size())) {
    const std::string& f = d.filters[static_cast<std::size_t>(d.filterIndex - 1)];
    const auto bar = f.find('|');
    const QString list = QString::fromStdString(bar == std::string::npos ? f : f.substr(bar + 1));
    patterns = list.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
  }
  if (patterns.isEmpty() || QDir::match(patterns, name)) p.name = name;
  return p;
}

namespace {

// Sets up a Qt file dialog from the component's filters, chosen filter,
// default extension and file name; after a choice, writes the path and the
// filter back. A name without a folder opens where the last file was chosen.
bool runFileDialog(QWidget* parent, FileDialog& d, QFileDialog::AcceptMode mode,
                   QString& lastDir) {
  QFileDialog dlg(parent);
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setOption(QFileDialog::HideNameFilterDetails);
  // The commands ask before replacing a file.
  dlg.setOption(QFileDialog::DontConfirmOverwrite);
  dlg.setAcceptMode(mode);
  dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                  : QFileDialog::AnyFile);
  dlg.setWindowTitle(mode == QFileDialog::AcceptOpen ? QStringLiteral("Open")
                                                     : QStringLiteral("Save As"));
  const QStringList filters = qtNameFilters(d);
  dlg.setNameFilters(filters);
  if (d.filterIndex >= 1 && d.filterIndex <= filters.size())
    dlg.selectNameFilter(filters[d.filterIndex - 1]);
  dlg.setDefaultSuffix(QString::fromStdString(d.defaultExt));
  const FilePreset preset = filePreset(d, lastDir);
  if (!preset.folder.isEmpty()) dlg.setDirectory(preset.folder);
  if (!preset.name.isEmpty()) dlg.selectFile(preset.name);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  const QString chosen = dlg.selectedFiles().constFirst();
  // The name as the system's bytes, the form every file function takes.
  d.fileName = QFile::encodeName(chosen).toStdString();
  lastDir = QFileInfo(chosen).absolutePath();
  const qsizetype idx = filters.indexOf(dlg.selectedNameFilter());
  if (idx >= 0) d.filterIndex = static_cast<int>(idx) + 1;
  return true;
}

}  // namespace

void QtPrompter::message(QWidget* parent, const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, boxCaption(), messageText(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

Answer QtPrompter::askYesNo(QWidget* parent, const std::string& text) {
  const Answer a = ask(parent, text, QMessageBox::Yes | QMessageBox::No);
  return a == Answer::Cancel ? Answer::No : a;
}

Answer QtPrompter::askYesNoCancel(QWidget* parent, const std::string& text) {
  return ask(parent, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

std::string QtPrompter::inputBox(QWidget* parent, const std::string& caption,
                                 const std::string& prompt, const std::string& defaultText) {
  QInputDialog dlg(parent);
  dlg.setWindowTitle(QString::fromStdString(caption));
  dlg.setLabelText(QString::fromStdString(prompt));
  dlg.setTextValue(QString::fromStdString(defaultText));
  if (dlg.exec() != QDialog::Accepted) return defaultText;
  return dlg.textValue().toStdString();
}

bool QtPrompter::openFile(QWidget* parent, FileDialog& dialog) {
  return runFileDialog(parent, dialog, QFileDialog::AcceptOpen, lastDir_);
}

bool QtPrompter::saveFile(QWidget* parent, FileDialog& dialog) {
  return runFileDialog(parent, dialog, QFileDialog::AcceptSave, lastDir_);
}

bool QtPrompter::dataMatrixDialog(QWidget* parent, DataMatrixDialog& dialog) {
  TBtnRightDlg dlg(dialog, parent);
  return dlg.exec() == QDialog::Accepted;
}

std::optional<ImportOptions> QtPrompter::importDialog(QWidget* parent, const SurveyFile& file) {
  TImportDlg dlg(file, parent);
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  return dlg.options();
}

void QtPrompter::paramDialog(QWidget* parent, ParamDialog& dialog) {
  TForm1 dlg(dialog, parent);
  dlg.exec();
}

void QtPrompter::aboutBox(QWidget* parent) {
  TAboutBox box(parent);
  box.exec();
}

void QtPrompter::openHelp(QWidget* parent, int topic) { help_.showTopic(parent, topic); }

void QtPrompter::prototypesTable(QWidget* parent, const GridCells& cells) {
  TPrTable table(cells, parent);
  table.exec();
}

bool QtPrompter::printDialog(QWidget* parent, QPrinter& printer) {
  QPrintDialog dlg(&printer, parent);
  // One copy of the whole job; no page ranges to pick from.
  dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dlg.setOption(QAbstractPrintDialog::PrintSelection, false);
  return dlg.exec() == QDialog::Accepted;
}

void QtPrompter::printerSetupDialog(QWidget* parent, QPrinter& printer) {
  QPageSetupDialog dlg(&printer, parent);
  dlg.exec();
}

}  // namespace volmar
