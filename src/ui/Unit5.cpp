#include "ui/Unit5.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/Limits.h"
#include "core/Sammon.h"
#include "core/Workspace.h"

namespace volmar {

namespace {

// Nearest integer, halves to the even neighbour; far-off values are held at
// a size a painter can take.
int toPixel(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::nearbyint(v);
  if (v > 1e6) return 1000000;
  if (v < -1e6) return -1000000;
  return static_cast<int>(v);
}

}  // namespace

std::vector<QPoint> graphPositions(const Workspace& ws, int outerWidth, int outerHeight) {
  const int K = std::clamp(ws.NumPrototypes, 0, MaxPrototypes);
  std::vector<QPoint> pos;
  if (K == 0) return pos;
  const ProjectionBox box = ProjectionBounds(ws);
  float sx = 0, sy = 0;
  if (box.extent > 0 && std::isfinite(box.extent)) {
    sx = static_cast<float>(outerWidth - 80) / box.extent;
    sy = static_cast<float>(outerHeight - 80) / box.extent;
  }
  for (int k = 1; k <= K; ++k) {
    const double dx = (ws.SammonX[k] - static_cast<double>(box.minX)) * static_cast<double>(sx);
    const double dy = (ws.SammonY[k] - static_cast<double>(box.minY)) * static_cast<double>(sy);
    pos.emplace_back(toPixel(dx) + 40, toPixel(dy) + 30);
  }
  return pos;
}

GraphPaintBox::GraphPaintBox(const Workspace& ws, TForm5* view)
    : QWidget(view), ws_(ws), view_(view) {
  setGeometry(0, 0, 400, 401);
  setToolTip(QStringLiteral("click X to proceed"));
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphPaintBox::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  const QRect outer = view_->frameGeometry();
  const std::vector<QPoint> pos = graphPositions(ws_, outer.width(), outer.height());
  const int K = static_cast<int>(pos.size());

  p.setFont(view_->font());
  p.setPen(Qt::black);
  p.setBackground(Qt::white);
  p.setBackgroundMode(Qt::OpaqueMode);
  const QFontMetrics fm(p.font());
  for (int k = 1; k <= K; ++k) {
    const QPoint at = pos[static_cast<std::size_t>(k - 1)];
    // The point is the text's top-left corner.
    p.drawText(at.x(), at.y() + fm.ascent(), QString::number(k));
  }

  p.setBackgroundMode(Qt::TransparentMode);
  p.setPen(QPen(QColor(255, 0, 0), 0));
  for (int i = 1; i <= K - 1; ++i)
    for (int j = i + 1; j <= K; ++j)
      if (ws_.Adjacency(i, j) == 1)
        p.drawLine(pos[static_cast<std::size_t>(i - 1)], pos[static_cast<std::size_t>(j - 1)]);
}

TForm5::TForm5(const Workspace& ws, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("Form5"));
  // F1 opens the help of Show > Adjacency Graph.
  setProperty("helpContext", 18);
  setWindowTitle(QStringLiteral("Connection (un)learning - Sammon projection in 2 dims"));
  resize(409, 410);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);
  QFont f(QStringLiteral("System"));
  f.setPixelSize(13);
  setFont(f);
  paintBox1_ = new GraphPaintBox(ws, this);
  paintBox1_->setObjectName(QStringLiteral("PaintBox1"));
}

void TForm5::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  paintBox1_->update();
}

void TForm5::showAndRepaint() {
  paintBox1_->update();
  show();
  paintBox1_->repaint();
}

}  // namespace volmar
