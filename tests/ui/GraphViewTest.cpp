#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "core/Workspace.h"
#include "ui/Unit5.h"

using namespace volmar;

namespace {

class GraphView : public ::testing::Test {
 protected:
  std::unique_ptr<Workspace> ws = Workspace::create();

  void place(std::initializer_list<std::pair<double, double>> pts) {
    ws->NumPrototypes = static_cast<int>(pts.size());
    int k = 1;
    for (auto [x, y] : pts) {
      ws->SammonX[k] = x;
      ws->SammonY[k] = y;
      ++k;
    }
  }

  // Renders the drawing area and counts the pure red pixels.
  static int redPixels(TForm5& view) {
    QImage img(view.paintBox1()->size(), QImage::Format_RGB32);
    img.fill(Qt::black);
    view.paintBox1()->render(&img);
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, y) == qRgb(255, 0, 0)) ++n;
    return n;
  }
};

}  // namespace

TEST_F(GraphView, HasItsCaptionSizeAndDrawingArea) {
  TForm5 view(*ws);
  EXPECT_EQ(view.windowTitle(), "Connection (un)learning - Sammon projection in 2 dims");
  EXPECT_EQ(view.size(), QSize(409, 410));
  EXPECT_EQ(view.paintBox1()->geometry(), QRect(0, 0, 400, 401));
  EXPECT_EQ(view.paintBox1()->toolTip(), "click X to proceed");
  EXPECT_EQ(view.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_FALSE(view.isVisible());
}

TEST_F(GraphView, PositionsScaleFromTheOuterSizeWithMargins40And30) {
  place({{0, 0}, {2, 1}, {1, 2}});
  // extent 2; (480 - 80) / 2 = 200 pixels per unit on both axes.
  const auto pos = graphPositions(*ws, 480, 480);
  ASSERT_EQ(pos.size(), 3u);
  EXPECT_EQ(pos[0], QPoint(40, 30));
  EXPECT_EQ(pos[1], QPoint(440, 230));
  EXPECT_EQ(pos[2], QPoint(240, 430));
  // A wide window stretches x only: the picture keeps its aspect only when
  // width equals height.
  const auto wide = graphPositions(*ws, 880, 480);
  EXPECT_EQ(wide[1], QPoint(840, 230));
}

TEST_F(GraphView, PositionsRoundHalvesToEven) {
  place({{0, 0}, {0.5, 1.5}, {2.5, 3.5}, {400, 0}});
  const auto pos = graphPositions(*ws, 480, 480);  // 1 pixel per unit
  EXPECT_EQ(pos[1], QPoint(40, 32));
  EXPECT_EQ(pos[2], QPoint(42, 34));
  EXPECT_EQ(pos[3], QPoint(440, 30));
}

TEST_F(GraphView, NoPrototypesOrNoExtentStillGivesAPicture) {
  ws->NumPrototypes = 0;
  EXPECT_TRUE(graphPositions(*ws, 409, 410).empty());
  place({{3, 4}});
  EXPECT_EQ(graphPositions(*ws, 409, 410), (std::vector<QPoint>{{40, 30}}));
  place({{1, 1}, {1, 1}});
  ws->Adjacency(1, 2) = 1;
  EXPECT_EQ(graphPositions(*ws, 409, 410), (std::vector<QPoint>{{40, 30}, {40, 30}}));
  TForm5 view(*ws);
  EXPECT_LE(redPixels(view), 4);  // a line of no length
  ws->NumPrototypes = 0;
  EXPECT_EQ(redPixels(view), 0);
}

TEST_F(GraphView, DrawsAConnectionOnlyFromTheUpperTriangle) {
  place({{0, 0}, {1, 1}, {1, 0}});
  TForm5 view(*ws);
  EXPECT_EQ(redPixels(view), 0);
  ws->Adjacency(2, 1) = 1;  // below the diagonal: not read
  EXPECT_EQ(redPixels(view), 0);
  ws->Adjacency(1, 2) = 1;
  const int one = redPixels(view);
  EXPECT_GT(one, 100);
  ws->Adjacency(1, 3) = 1;
  EXPECT_GT(redPixels(view), one);
}
