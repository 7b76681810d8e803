#include "ui/StringGrid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

namespace volmar {

StringGrid::StringGrid(QWidget* parent) : QTableWidget(parent) {
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setCornerButtonEnabled(false);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  corner_ = new QLabel(this);
  corner_->setObjectName(QStringLiteral("GridCorner"));
  corner_->setAlignment(Qt::AlignCenter);
  corner_->setTextFormat(Qt::PlainText);
  corner_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void StringGrid::setCells(const GridCells& cells) {
  const int rows = cells.empty() ? 0 : static_cast<int>(cells.size()) - 1;
  const int cols = cells.empty() ? 0 : static_cast<int>(cells[0].size()) - 1;
  clear();
  setRowCount(rows);
  setColumnCount(cols);
  const auto text = [&](int col, int row) {
    const auto& r = cells[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(col) < r.size() ? QString::fromStdString(r[static_cast<std::size_t>(col)])
                                                     : QString();
  };
  corner_->setText(cells.empty() ? QString() : text(0, 0));
  for (int c = 1; c <= cols; ++c) setHorizontalHeaderItem(c - 1, new QTableWidgetItem(text(c, 0)));
  for (int r = 1; r <= rows; ++r) {
    setVerticalHeaderItem(r - 1, new QTableWidgetItem(text(0, r)));
    for (int c = 1; c <= cols; ++c) {
      auto* item = new QTableWidgetItem(text(c, r));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      item->setToolTip(toolTip());
      setItem(r - 1, c - 1, item);
    }
  }
  resizeColumnsToContents();
  for (int c = 0; c < cols; ++c)
    if (columnWidth(c) < defaultColWidth_) setColumnWidth(c, defaultColWidth_);
  resizeRowsToContents();
  // The corner text may be wider than the row headers, and a grid without
  // columns or rows has headers of no size: they keep room for the corner.
  const int cornerWidth = corner_->fontMetrics().horizontalAdvance(corner_->text()) + 12;
  verticalHeader()->setMinimumWidth(cornerWidth);
  horizontalHeader()->setMinimumHeight(corner_->fontMetrics().height() + 6);
  updateGeometries();
}

QString StringGrid::cell(int col, int row) const {
  if (col == 0 && row == 0) return corner_->text();
  if (row == 0) {
    const QTableWidgetItem* h = horizontalHeaderItem(col - 1);
    return h ? h->text() : QString();
  }
  if (col == 0) {
    const QTableWidgetItem* h = verticalHeaderItem(row - 1);
    return h ? h->text() : QString();
  }
  const QTableWidgetItem* i = item(row - 1, col - 1);
  return i ? i->text() : QString();
}

void StringGrid::setHint(const QString& hint) {
  setToolTip(hint);
  viewport()->setToolTip(hint);
  horizontalHeader()->setToolTip(hint);
  verticalHeader()->setToolTip(hint);
  for (int r = 0; r < rowCount(); ++r)
    for (int c = 0; c < columnCount(); ++c)
      if (QTableWidgetItem* i = item(r, c)) i->setToolTip(hint);
}

void StringGrid::updateGeometries() {
  QTableWidget::updateGeometries();
  if (!corner_) return;  // still being constructed
  // The corner lies where the two headers meet.
  const int left = frameWidth();
  const int top = frameWidth();
  const int w = verticalHeader()->isVisible() ? verticalHeader()->width() : 0;
  const int h = horizontalHeader()->isVisible() ? horizontalHeader()->height() : 0;
  corner_->setGeometry(left, top, w, h);
  corner_->raise();
}

QFont gridFont(const QStringList& families, int pixelHeight) {
  QFont f(families.value(0));
  QStringList all = families;
  all << QStringLiteral("DejaVu Sans") << QStringLiteral("Liberation Sans");
  f.setFamilies(all);
  f.setPixelSize(pixelHeight);
  return f;
}

StringGrid* fillWithGrid(QWidget* window, int defaultColWidth, const GridCells& cells, const QString& hint) {
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* grid = new StringGrid(window);
  grid->setObjectName(QStringLiteral("StringGrid1"));
  grid->setDefaultColWidth(defaultColWidth);
  grid->setCells(cells);
  grid->setHint(hint);
  layout->addWidget(grid);
  return grid;
}

}  // namespace volmar
