#pragma once

#include <QWidget>

#include "commands/Shell.h"

namespace volmar {

class StringGrid;

// "Crosstable for pair of blocks": the prototype x prototype table of a pair
// of blocks, in absolute frequencies or standardized deviations, as it was
// when the window was made; the grid fills the window.
class TForm8 : public QWidget {
  Q_OBJECT

 public:
  TForm8(const GridCells& cells, QWidget* parent = nullptr);
  StringGrid* stringGrid1() const { return StringGrid1; }

 private:
  StringGrid* StringGrid1;
};

}  // namespace volmar
