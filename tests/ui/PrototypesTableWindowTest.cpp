// The prototypes table window shows its corner cell "var#:" whatever the
// grid holds: before any data (the corner alone), with data but no
// prototypes (the header row only) and with prototypes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QTest>

#include "commands/PrototypesTable.h"
#include "core/Workspace.h"
#include "ui/StringGrid.h"
#include "ui/Unit4.h"

using namespace volmar;

namespace {

// Pixels of the rectangle that are clearly darker than the background:
// drawn text.
int darkPixels(const QImage& image, const QRect& rect) {
  int n = 0;
  const QRect r = rect.intersected(image.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (qGray(image.pixel(x, y)) < 110) ++n;
  return n;
}

}  // namespace

TEST(PrototypesTableWindow, TheCornerCellIsShownBeforeAnyDataAndAfter) {
  struct Case {
    const char* name;
    int protos, vars;
  };
  const Case cases[] = {{"no data, no prototypes", 0, 0}, {"data, no prototypes", 0, 3}, {"prototypes", 2, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ws = Workspace::create();
    ws->NumPrototypes = c.protos;
    ws->NumVars = c.vars;
    TPrTable table(prototypesTableCells(*ws));
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    QApplication::processEvents();
    StringGrid* grid = table.stringGrid1();
    ASSERT_EQ(grid->cell(0, 0), "var#:");
    auto* corner = grid->findChild<QLabel*>(QStringLiteral("GridCorner"));
    ASSERT_NE(corner, nullptr);
    EXPECT_TRUE(corner->isVisible());
    // Wide and high enough for its text, and inside the grid.
    const QRect box = corner->geometry();
    EXPECT_GE(box.width(), corner->fontMetrics().horizontalAdvance(corner->text())) << box.width();
    EXPECT_GE(box.height(), corner->fontMetrics().height()) << box.height();
    EXPECT_TRUE(grid->rect().contains(box)) << box.x() << "," << box.y() << " " << box.width() << "x"
                                            << box.height();
    // And the text is drawn there.
    const QImage shot = grid->grab().toImage();
    EXPECT_GT(darkPixels(shot, box), 10);
    // Variable numbers head their columns beside it.
    if (c.vars > 0) {
      EXPECT_EQ(grid->horizontalHeader()->count(), c.vars);
      EXPECT_TRUE(grid->horizontalHeader()->isVisible());
    }
    table.close();
  }
}
