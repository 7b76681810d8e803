#include "ui/Unit6.h"

#include <QVBoxLayout>

#include "commands/BlockTables.h"
#include "ui/StringGrid.h"

namespace volmar {

TBSPrTable::TBSPrTable(const GridCells& cells, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("BSPrTable"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(BlocksTableCaption));
  setFont(gridFont({QStringLiteral("MS Sans Serif")}, 11));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  StringGrid1 = new StringGrid(this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setDefaultColWidth(44);
  StringGrid1->setCells(cells);
  StringGrid1->setHint(QStringLiteral("values are cell pct"));
  layout->addWidget(StringGrid1);
  resize(453, 231);
}

}  // namespace volmar
