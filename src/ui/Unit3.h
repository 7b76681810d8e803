#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace volmar {

// "About Volmar2008": picture, program name, version, what it implements and
// where the algorithm was published.
class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* Version;
  QLabel* Comments;
  QLabel* Citations[3];
  QPushButton* OKButton;
};

}  // namespace volmar
