#pragma once

#include <QLabel>

namespace volmar {

// The status line: the text the commands set, replaced for a while by the
// hint of the menu item under the mouse.
class StatusLine : public QLabel {
  Q_OBJECT

 public:
  explicit StatusLine(QWidget* parent = nullptr);

  void setStatus(const QString& text);
  const QString& status() const { return status_; }
  // An empty hint brings the status text back.
  void showHint(const QString& hint);
  const QString& hint() const { return hint_; }

 private:
  void showCurrent();

  QString status_;
  QString hint_;
};

}  // namespace volmar
