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

 private:
  const QStaticText& layoutOf(const QString& text, const QFont& font) const;

  mutable QHash<QString, QStaticText> cache_;
  mutable QFont cachedFont_;
};

}  // namespace volmar
