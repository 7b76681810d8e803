#include "ui/Unit8.h"

#include "commands/BlockTables.h"
#include "ui/StringGrid.h"

namespace volmar {

TForm8::TForm8(const GridCells& cells, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form8"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(PairTableCaption));
  setToolTip(QStringLiteral("blocks denote choice alternatives (brands, destinations, service providers)"));
  setFont(gridFont({QStringLiteral("Tahoma")}, 11));
  StringGrid1 = fillWithGrid(this, 44, cells, QStringLiteral("blocks represent choice alternatives (brands, destinations, service providers)"));
  resize(544, 273);
}

}  // namespace volmar
