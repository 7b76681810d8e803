#pragma once

#include <QTableWidget>

#include "commands/Shell.h"

class QLabel;

namespace volmar {

// A string grid with one fixed header row and one fixed header column: the
// cells of row 0 head the columns, those of column 0 head the rows, cell
// (0, 0) stands in the corner. The headers stay in view when the body
// scrolls. Cells are read only.
class StringGrid : public QTableWidget {
  Q_OBJECT

 public:
  explicit StringGrid(QWidget* parent = nullptr);

  void setCells(const GridCells& cells);
  // Cell (col, row), both counted from 0 as in GridCells.
  QString cell(int col, int row) const;
  int gridRowCount() const { return rowCount() + 1; }
  int gridColCount() const { return columnCount() + 1; }
  // Minimum width of a column in pixels.
  void setDefaultColWidth(int width) { defaultColWidth_ = width; }
  // The hint shown over every part of the grid.
  void setHint(const QString& hint);

 protected:
  void updateGeometries() override;

 private:
  QLabel* corner_ = nullptr;
  int defaultColWidth_ = 64;
};

// A font of the given family (or the nearest one installed) and pixel
// height.
QFont gridFont(const QStringList& families, int pixelHeight);

}  // namespace volmar
