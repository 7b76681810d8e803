#include "ui/Unit6.h"

#include "commands/BlockTables.h"
#include "ui/StringGrid.h"

namespace volmar {

TBSPrTable::TBSPrTable(const GridCells& cells, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("BSPrTable"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(BlocksTableCaption));
  setFont(gridFont({QStringLiteral("MS Sans Serif")}, 11));
  StringGrid1 = fillWithGrid(this, 44, cells, QStringLiteral("values are cell pct"));
  resize(453, 231);
}

}  // namespace volmar
