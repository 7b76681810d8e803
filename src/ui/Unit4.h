#pragma once

#include <QDialog>

#include "commands/Shell.h"

namespace volmar {

class StringGrid;

// "Prototypes table": the current prototypes in the units of the data, one
// row per prototype. Shown modally; the person closes it to go on.
class TPrTable : public QDialog {
  Q_OBJECT

 public:
  TPrTable(const GridCells& cells, QWidget* parent = nullptr);
  StringGrid* stringGrid1() const { return StringGrid1; }

 private:
  StringGrid* StringGrid1;
};

}  // namespace volmar
