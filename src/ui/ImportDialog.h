#pragma once

#include <QDialog>

#include "commands/Import.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace volmar {

// "Import survey data": lists the file's variables (name, label, type,
// missing values) with a check box for each numeric one, and takes the ID,
// the missing codes and the three-way layout. "&OK" passes the choice on;
// the import itself checks it and says what is wrong.
class TImportDlg : public QDialog {
  Q_OBJECT

 public:
  TImportDlg(const SurveyFile& file, QWidget* parent = nullptr);

  QLabel* FileLabel;
  QTableWidget* Variables;  // columns: use, name, label, type, missing
  QLabel* ChosenLabel;
  QComboBox* IdBox;         // "(row number)" then every variable
  QLineEdit* MissingEdit;   // codes separated by commas
  QRadioButton* TwoWay;
  QRadioButton* KBlocks;
  QRadioButton* KSamples;
  QSpinBox* BlockSize;
  QRadioButton* CaseFirst;
  QRadioButton* MeasFirst;
  QComboBox* SubsampleBox;  // numeric variables
  QLabel* SubsampleLabels;  // the chosen variable's value labels
  QPushButton* OKBtn;
  QPushButton* CancelBtn;

  // Checks the data variables by name (and unchecks the others).
  void choose(const std::vector<std::string>& names);
  // What the controls say.
  ImportOptions options() const;

 private:
  void refresh();

  const SurveyFile& file_;
};

}  // namespace volmar
