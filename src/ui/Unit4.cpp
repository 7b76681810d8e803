#include "ui/Unit4.h"

#include <QVBoxLayout>

#include "commands/PrototypesTable.h"
#include "ui/StringGrid.h"

namespace volmar {

TPrTable::TPrTable(const GridCells& cells, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PrTable"));
  setWindowTitle(QString::fromUtf8(PrototypesTableCaption));
  setToolTip(QStringLiteral("Prototypes in data space"));
  setModal(true);
  setFont(gridFont({QStringLiteral("System")}, 13));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  StringGrid1 = new StringGrid(this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  // "Small Fonts" in black; a bitmap font that small has no scalable
  // stand-in that stays readable below 10 pixels.
  StringGrid1->setFont(gridFont({QStringLiteral("Small Fonts")}, 10));
  QPalette pal = StringGrid1->palette();
  pal.setColor(QPalette::Text, Qt::black);
  StringGrid1->setPalette(pal);
  StringGrid1->setDefaultColWidth(40);
  StringGrid1->setCells(cells);
  StringGrid1->setHint(QStringLiteral("click X to proceed"));
  layout->addWidget(StringGrid1);
  resize(421, 242);
}

}  // namespace volmar
