#include "ui/OutputListDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace volmar {

namespace {
// Lines kept laid out; the cache starts over beyond this.
constexpr int CacheLimit = 4096;
}  // namespace

const QStaticText& OutputListDelegate::layoutOf(const QString& text, const QFont& font) const {
  if (font != cachedFont_ || cache_.size() > CacheLimit) {
    cache_.clear();
    cachedFont_ = font;
  }
  auto it = cache_.find(text);
  if (it == cache_.end()) {
    QStaticText st(text);
    st.setTextFormat(Qt::PlainText);
    st.setPerformanceHint(QStaticText::AggressiveCaching);
    st.prepare(QTransform(), font);
    it = cache_.insert(text, st);
  }
  return it.value();
}

bool OutputListDelegate::noteLine(const QString& text, const QFont& font) {
  // The text's width, the margins the style puts around it and one blank.
  const QFontMetrics fm(font);
  const int width = fm.horizontalAdvance(text) + fm.horizontalAdvance(QLatin1Char(' ')) + 8;
  if (width <= widest_) return false;
  widest_ = width;
  return true;
}

QSize OutputListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QSize size = QStyledItemDelegate::sizeHint(option, index);
  size.setWidth(std::max(size.width(), widest_));
  return size;
}

void OutputListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  // Background, selection and focus as the style draws them, without text.
  const QWidget* widget = opt.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
  if (text.isEmpty()) return;
  const QRect r = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
  const QStaticText& st = layoutOf(text, opt.font);
  const QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
  painter->save();
  painter->setFont(opt.font);
  painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                : QPalette::Text));
  painter->setClipRect(r);
  const int textMargin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const qreal y = r.top() + (r.height() - st.size().height()) / 2.0;
  painter->drawStaticText(QPointF(r.left() + textMargin, y), st);
  painter->restore();
}

}  // namespace volmar
