#include "ui/Unit8.h"

#include <QVBoxLayout>

#include "commands/BlockTables.h"
#include "ui/StringGrid.h"

namespace volmar {

TForm8::TForm8(const GridCells& cells, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form8"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(PairTableCaption));
  setToolTip(QStringLiteral("blocks denote choice alternatives (brands, destinations, service providers)"));
  setFont(gridFont({QStringLiteral("Tahoma")}, 11));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  StringGrid1 = new StringGrid(this);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->setDefaultColWidth(44);
  StringGrid1->setCells(cells);
  StringGrid1->setHint(QStringLiteral("blocks represent choice alternatives (brands, destinations, service providers)"));
  layout->addWidget(StringGrid1);
  resize(544, 273);
}

}  // namespace volmar
