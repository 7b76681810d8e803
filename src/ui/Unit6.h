#pragma once

#include <QWidget>

#include "commands/Shell.h"

namespace volmar {

class StringGrid;

// "Blocks (samples) x Prototypes table [rel cell frequ]": the blocks x
// prototypes table as it was when the window was made; the grid fills the
// window.
class TBSPrTable : public QWidget {
  Q_OBJECT

 public:
  TBSPrTable(const GridCells& cells, QWidget* parent = nullptr);
  StringGrid* stringGrid1() const { return StringGrid1; }

 private:
  StringGrid* StringGrid1;
};

}  // namespace volmar
