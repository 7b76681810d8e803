#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace volmar {

class DataMatrixDialog;

// "Define data matrix": shows the state of a DataMatrixDialog, hands every
// control event to it and shows the state it leaves. "&OK" closes only when
// the entries were accepted.
class TBtnRightDlg : public QDialog {
  Q_OBJECT

 public:
  TBtnRightDlg(DataMatrixDialog& logic, QWidget* parent = nullptr);

  QLabel* Label1;
  QLabel* Label2;
  QLineEdit* Edit1;
  QLabel* Label3;
  QLineEdit* Edit2;
  QLabel* Label4;
  QLabel* Label5;
  QRadioButton* kblock;
  QRadioButton* ksample;
  QLabel* Label6;
  QLineEdit* bssize;
  QGroupBox* GroupBox1;
  QRadioButton* casefirst;
  QRadioButton* measfirst;
  QLabel* askforfn;
  QPushButton* OKBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

  // Shows the logic's state in the controls.
  void refresh();
  // "&OK": passes the entries on; accepts the dialog when they are taken.
  void okClick();

 private:
  void takeTexts();

  DataMatrixDialog& logic_;
};

}  // namespace volmar
