#pragma once

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace volmar {

class ParamDialog;

// "Set parameters": shows the state of a ParamDialog and hands the control
// events to it. "&OK" closes only when the logic says so; the close box
// closes it without storing the entries.
class TForm1 : public QDialog {
  Q_OBJECT

 public:
  TForm1(ParamDialog& logic, QWidget* parent = nullptr);

  std::array<QLabel*, 15> labels{};  // Label1..Label15 at [0..14]
  std::array<QLineEdit*, 8> edits{};  // Edit1..Edit8 at [0..7]
  QCheckBox* CheckBox1;
  QRadioButton* RadioButton1;  // Tanimoto
  QRadioButton* RadioButton2;  // Euclidean
  QPushButton* Button1;

  QLabel* label(int n) const { return labels.at(static_cast<std::size_t>(n - 1)); }
  QLineEdit* edit(int n) const { return edits.at(static_cast<std::size_t>(n - 1)); }

  void refresh();
  void okClick();

 private:
  void takeEntries();

  ParamDialog& logic_;
};

}  // namespace volmar
