#include "ui/Unit10.h"

#include <QBuffer>
#include <QChart>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <vector>

#include "commands/BubbleMap.h"
#include "ui/Printing.h"
#include "ui/StringGrid.h"

namespace volmar {

namespace {

constexpr double AxisMin = -1;
constexpr double AxisMax = 10;

}  // namespace

BubbleChartView::BubbleChartView(QWidget* parent) : QChartView(new QChart, parent) {
  setRenderHint(QPainter::Antialiasing);
  QChart* c = chart();
  c->legend()->hide();
  auto* series = new QScatterSeries(c);
  series->setObjectName(QStringLiteral("Series1"));
  // The series only spans the axes; the bubbles are drawn over the plot.
  series->setMarkerSize(0);
  series->setPen(Qt::NoPen);
  series->setBrush(Qt::NoBrush);
  c->addSeries(series);
  auto* left = new QValueAxis(c);
  left->setRange(AxisMin, AxisMax);
  left->setTickCount(12);
  left->setLabelsVisible(false);
  auto* bottom = new QValueAxis(c);
  bottom->setRange(AxisMin, AxisMax);
  bottom->setTickCount(12);
  bottom->setLabelFormat(QStringLiteral("%d"));
  c->addAxis(left, Qt::AlignLeft);
  c->addAxis(bottom, Qt::AlignBottom);
  series->attachAxis(left);
  series->attachAxis(bottom);
}

void BubbleChartView::setBubbles(const BubbleChart& bubbles) {
  chart_ = bubbles;
  // The title's first line is empty; the foot stands under the bottom axis.
  chart()->setTitle(QStringLiteral("<br>") + QString::fromStdString(bubbles.title).toHtmlEscaped());
  auto* bottom = qobject_cast<QValueAxis*>(chart()->axes(Qt::Horizontal).value(0));
  if (bottom) {
    bottom->setTitleText(QString::fromStdString(bubbles.foot));
    // The bottom axis follows the map rows the bubbles stand in, with one
    // step to spare on either side, as the left axis does for the columns.
    double lo = 0, hi = BubbleGridSize - 1;
    for (const Bubble& b : bubbles.bubbles) {
      lo = std::min(lo, b.x);
      hi = std::max(hi, b.x);
    }
    bottom->setRange(std::floor(lo) - 1, std::ceil(hi) + 1);
    bottom->setTickCount(static_cast<int>(std::ceil(hi) - std::floor(lo)) + 3);
  }
  auto* series = qobject_cast<QScatterSeries*>(chart()->series().value(0));
  if (series) {
    series->clear();
    for (const Bubble& b : bubbles.bubbles) series->append(b.x, b.y);
  }
  viewport()->update();
}

QColor BubbleChartView::pointColour(int i) {
  static const QColor palette[] = {
      QColor(255, 0, 0),   QColor(0, 128, 0),   QColor(255, 255, 0), QColor(0, 0, 255),
      QColor(255, 255, 255), QColor(128, 128, 128), QColor(255, 0, 255), QColor(0, 128, 128),
      QColor(0, 0, 128),   QColor(128, 0, 0),   QColor(0, 255, 0),   QColor(128, 128, 0),
      QColor(128, 0, 128), QColor(192, 192, 192), QColor(0, 255, 255), QColor(0, 0, 0)};
  return palette[i % static_cast<int>(std::size(palette))];
}

QPointF BubbleChartView::centre(int i) const { return mapFromScene(sceneCentre(i)); }

QPointF BubbleChartView::sceneCentre(int i) const {
  const Bubble& b = chart_.bubbles[static_cast<std::size_t>(i)];
  return chart()->mapToPosition(QPointF(b.x, b.y));
}

double BubbleChartView::pixelRadius(int i) const {
  const double unit = chart()->plotArea().height() / (AxisMax - AxisMin);
  return std::max(0.0, chart_.bubbles[static_cast<std::size_t>(i)].radius) * unit;
}

QFont BubbleChartView::labelFont() const {
  QFont f = font();
  f.setBold(true);
  return f;
}

std::vector<QRectF> BubbleChartView::labelBoxes() const {
  const int n = static_cast<int>(chart_.bubbles.size());
  std::vector<QRectF> boxes(static_cast<std::size_t>(n));
  const QFontMetricsF fm(labelFont());
  const QRectF plot = chart()->plotArea();
  // Whether a box covers part of another bubble that has a radius.
  const auto covers = [&](const QRectF& box, int own) {
    int hits = 0;
    for (int j = 0; j < n; ++j) {
      const double r = pixelRadius(j);
      if (j == own || !(r > 0)) continue;
      const QPointF c = sceneCentre(j);
      const double dx = std::max({box.left() - c.x(), 0.0, c.x() - box.right()});
      const double dy = std::max({box.top() - c.y(), 0.0, c.y() - box.bottom()});
      hits += dx * dx + dy * dy < r * r;
    }
    return hits;
  };
  for (int i = 0; i < n; ++i) {
    const Bubble& b = chart_.bubbles[static_cast<std::size_t>(i)];
    if (b.label.empty()) continue;
    const QString text = QString::fromStdString(b.label);
    QRectF box(0, 0, fm.horizontalAdvance(text) + 4, fm.height());
    const QPointF c = sceneCentre(i);
    const double r = pixelRadius(i);
    const double halfDiagonal = std::hypot(box.width(), box.height()) / 2;
    // On the bubble when it holds the whole box with room to spare, so that
    // the ring around the box still shows the bubble; at the point of a
    // bubble of radius 0; otherwise beside the bubble, on the first side
    // that stays in the plot and covers no other bubble.
    box.moveCenter(c);
    if (r == 0 || halfDiagonal <= 0.75 * r) {
      boxes[static_cast<std::size_t>(i)] = box;
      continue;
    }
    const double gap = std::min(r, plot.width()) + 2;
    const QPointF sides[] = {{gap + box.width() / 2, 0},
                             {-gap - box.width() / 2, 0},
                             {0, -std::min(r, plot.height()) - 2 - box.height() / 2},
                             {0, std::min(r, plot.height()) + 2 + box.height() / 2}};
    QRectF best;
    int bestScore = -1;
    for (const QPointF& side : sides) {
      QRectF candidate = box;
      candidate.moveCenter(c + side);
      const int score = covers(candidate, i) * 2 + !plot.contains(candidate);
      if (bestScore < 0 || score < bestScore) {
        best = candidate;
        bestScore = score;
      }
      if (score == 0) break;
    }
    boxes[static_cast<std::size_t>(i)] = best;
  }
  return boxes;
}

QRectF BubbleChartView::labelRect(int i) const {
  const QRectF box = labelBoxes()[static_cast<std::size_t>(i)];
  return QRectF(mapFromScene(box.topLeft()), mapFromScene(box.bottomRight()));
}

void BubbleChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  painter->save();
  const int n = static_cast<int>(chart_.bubbles.size());
  // The largest first, so that no bubble hides a smaller one.
  std::vector<int> order(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) order[static_cast<std::size_t>(i)] = i;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return pixelRadius(a) > pixelRadius(b); });
  // A circle wider than the whole chart covers it all: drawn at that size.
  const QRectF whole = chart()->geometry();
  const double widest = std::hypot(whole.width(), whole.height()) * 2;
  for (const int i : order) {
    const double r = std::min(pixelRadius(i), widest);
    if (!(r > 0)) continue;
    QColor fill = pointColour(i);
    fill.setAlpha(200);
    painter->setPen(QPen(Qt::black, 1));
    painter->setBrush(fill);
    painter->drawEllipse(sceneCentre(i), r, r);
  }
  // Labels over the bubbles: on a bubble large enough to show around them,
  // beside a smaller one.
  const QFont f = labelFont();
  painter->setFont(f);
  const std::vector<QRectF> boxes = labelBoxes();
  for (int i = 0; i < n; ++i) {
    const Bubble& b = chart_.bubbles[static_cast<std::size_t>(i)];
    if (b.label.empty()) continue;
    const QRectF& box = boxes[static_cast<std::size_t>(i)];
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 255, 255, 170));
    painter->drawRect(box);
    painter->setPen(Qt::black);
    painter->drawText(box, Qt::AlignCenter, QString::fromStdString(b.label));
  }
  painter->restore();
}

TForm10::TForm10(Shell& shell, const BubbleChart& chart, QWidget* parent)
    : QMainWindow(parent, Qt::Window), shell_(shell) {
  setObjectName(QStringLiteral("Form10"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(BubbleChartCaption));
  setFont(gridFont({QStringLiteral("Tahoma")}, 11));
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  Savechart1 = file->addAction(QStringLiteral("&Save chart"));
  Savechart1->setObjectName(QStringLiteral("Savechart1"));
  Printchart1 = file->addAction(QStringLiteral("&Print chart"));
  Printchart1->setObjectName(QStringLiteral("Printchart1"));
  connect(Savechart1, &QAction::triggered, this, [this] { savechart1Click(); });
  connect(Printchart1, &QAction::triggered, this, [this] { printchart1Click(); });
  Chart1 = new BubbleChartView(this);
  Chart1->setObjectName(QStringLiteral("Chart1"));
  setCentralWidget(Chart1);
  Chart1->setBubbles(chart);
  resize(377, 365 + menuBar()->sizeHint().height());
  printDialog = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
  };
}

std::string TForm10::bitmap() const {
  const QImage image = Chart1->grab().toImage();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (image.isNull() || !image.save(&buffer, "BMP"))
    throw std::runtime_error("the chart could not be rendered as a bitmap");
  return bytes.toStdString();
}

void TForm10::savechart1Click() {
  volmar::savechart1Click(shell_, SaveDialog1, [this] { return bitmap(); });
}

void TForm10::printchart1Click() {
  QPrinter printer;
  volmar::printchart1Click(
      shell_, [&] { return printDialog(printer); },
      [&] {
        // Through printOn, so that a PDF file is rendered in memory first and
        // replaces a file of that name only when it was written whole.
        printOn(printer, [&](QPainter& painter, QPagedPaintDevice&) { Chart1->render(&painter); });
        return true;
      });
}

}  // namespace volmar
