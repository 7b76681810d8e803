#pragma once

#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace volmar {

// Paints the lines of the output list from laid-out text kept per line
// content. Long commands repaint the list after every progress line; shaping
// each visible line's text anew at every repaint would cost more than the
// command's own work between two repaints.
class OutputListDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  // Every line is as wide as the widest one listed, so that a list of lines
  // of one height (laid out from its first line) scrolls across to the end
  // of the longest.
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  // Notes a listed line; true when it is wider than every line before.
  bool noteLine(const QString& text, const QFont& font);
  void clearLines() { widest_ = 0; }
  int widest() const { return widest_; }

 private:
  const QStaticText& layoutOf(const QString& text, const QFont& font) const;

  mutable QHash<QString, QStaticText> cache_;
  mutable QFont cachedFont_;
  int widest_ = 0;
};

}  // namespace volmar
