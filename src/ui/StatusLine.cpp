#include "ui/StatusLine.h"

namespace volmar {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setTextFormat(Qt::PlainText);
  setIndent(4);
  QFont f = font();
  f.setBold(true);
  setFont(f);
}

void StatusLine::setStatus(const QString& text) {
  status_ = text;
  if (hint_.isEmpty()) showCurrent();
}

void StatusLine::showHint(const QString& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  showCurrent();
}

void StatusLine::showCurrent() { setText(hint_.isEmpty() ? status_ : hint_); }

}  // namespace volmar
