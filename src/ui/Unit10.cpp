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
  if (bottom) bottom->setTitleText(QString::fromStdString(bubbles.foot));
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

QPointF BubbleChartView::centre(int i) const {
  const Bubble& b = chart_.bubbles[static_cast<std::size_t>(i)];
  return mapFromScene(chart()->mapToPosition(QPointF(b.x, b.y)));
}

double BubbleChartView::pixelRadius(int i) const {
  const double unit = chart()->plotArea().height() / (AxisMax - AxisMin);
  return std::max(0.0, chart_.bubbles[static_cast<std::size_t>(i)].radius) * unit;
}

void BubbleChartView::drawForeground(QPainter* painter, const QRectF& rect) {
  QChartView::drawForeground(painter, rect);
  painter->save();
  const double unit = chart()->plotArea().height() / (AxisMax - AxisMin);
  for (int i = 0; i < static_cast<int>(chart_.bubbles.size()); ++i) {
    const Bubble& b = chart_.bubbles[static_cast<std::size_t>(i)];
    const double r = std::max(0.0, b.radius) * unit;
    if (r <= 0) continue;
    const QPointF c = chart()->mapToPosition(QPointF(b.x, b.y));
    QColor fill = pointColour(i);
    fill.setAlpha(200);
    painter->setPen(QPen(Qt::black, 1));
    painter->setBrush(fill);
    painter->drawEllipse(c, r, r);
  }
  // Labels over every bubble, so that a large one does not hide them.
  QFont f = font();
  f.setBold(true);
  painter->setFont(f);
  const QFontMetrics fm(f);
  for (const Bubble& b : chart_.bubbles) {
    if (b.label.empty()) continue;
    const QString text = QString::fromStdString(b.label);
    const QPointF c = chart()->mapToPosition(QPointF(b.x, b.y));
    QRectF box(0, 0, fm.horizontalAdvance(text) + 4, fm.height());
    box.moveCenter(c);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(255, 255, 255, 170));
    painter->drawRect(box);
    painter->setPen(Qt::black);
    painter->drawText(box, Qt::AlignCenter, text);
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
