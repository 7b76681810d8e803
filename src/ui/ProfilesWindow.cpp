#include "ui/ProfilesWindow.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QToolTip>
#include <cmath>

#include "commands/BubbleMap.h"
#include "ui/Printing.h"

namespace volmar {

ProfileChartWidget::ProfileChartWidget(ProfileChart chart, QWidget* parent)
    : QWidget(parent), chart_(std::move(chart)) {
  setObjectName(QStringLiteral("Chart1"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  layOutFor(800);
}

void ProfileChartWidget::layOutFor(int width) {
  width_ = width;
  layout_ = layoutProfileChart(chart_, width);
  setFixedSize(static_cast<int>(std::ceil(layout_.width)), static_cast<int>(std::ceil(layout_.height)));
  update();
}

void ProfileChartWidget::setThresholds(const MarkerThresholds& t) {
  chart_.thresholds = t;
  layOutFor(width_);  // the legend names them
}

void ProfileChartWidget::setBySimilarity(bool bySimilarity) {
  chart_.bySimilarity = bySimilarity;
  layOutFor(width_);
}

void ProfileChartWidget::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.setClipRect(event->rect());
  paintProfileChart(painter, chart_, layout_, event->rect());
}

bool ProfileChartWidget::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(e);
    const QPointF at = help->pos();
    for (const auto& panel : layout_.labels)
      for (std::size_t row = 0; row < panel.size(); ++row)
        if (panel[row].contains(at)) {
          QToolTip::showText(help->globalPos(), layout_.fullNames[row], this);
          return true;
        }
    QToolTip::hideText();
    e->ignore();
    return true;
  }
  return QWidget::event(e);
}

TSegmentProfiles::TSegmentProfiles(Shell& shell, MarkerThresholds& lastThresholds, const ProfileChart& chart,
                                   QWidget* parent)
    : QMainWindow(parent, Qt::Window), shell_(shell), last_(lastThresholds) {
  setObjectName(QStringLiteral("SegmentProfiles"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(ProfilesCaption));
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  Savechart1 = file->addAction(QStringLiteral("&Save chart..."));
  Savechart1->setObjectName(QStringLiteral("Savechart1"));
  Printchart1 = file->addAction(QStringLiteral("&Print chart"));
  Printchart1->setObjectName(QStringLiteral("Printchart1"));

  QToolBar* bar = addToolBar(QStringLiteral("Settings"));
  bar->setMovable(false);
  bar->addWidget(new QLabel(QStringLiteral(" Marker variables differ from the mean by at least ")));
  Absolute1 = new QDoubleSpinBox;
  Absolute1->setObjectName(QStringLiteral("Absolute1"));
  Absolute1->setRange(0, 1000);
  Absolute1->setDecimals(2);
  Absolute1->setSingleStep(0.05);
  Absolute1->setValue(chart.thresholds.absolute);
  Absolute1->setToolTip(QStringLiteral("In the variable's standard deviations where its values leave 0..1"));
  bar->addWidget(Absolute1);
  bar->addWidget(new QLabel(QStringLiteral(" or ")));
  Relative1 = new QDoubleSpinBox;
  Relative1->setObjectName(QStringLiteral("Relative1"));
  Relative1->setRange(0, 10000);
  Relative1->setDecimals(0);
  Relative1->setSingleStep(5);
  Relative1->setSuffix(QStringLiteral(" %"));
  Relative1->setValue(chart.thresholds.relative);
  Relative1->setToolTip(QStringLiteral("Per cent of the sample mean"));
  bar->addWidget(Relative1);
  bar->addWidget(new QLabel(QStringLiteral("   Order: ")));
  Order1 = new QComboBox;
  Order1->setObjectName(QStringLiteral("Order1"));
  Order1->addItems({QStringLiteral("as in the file"), QStringLiteral("by similarity")});
  Order1->setCurrentIndex(chart.bySimilarity ? 1 : 0);
  bar->addWidget(Order1);

  ScrollBox1 = new QScrollArea(this);
  ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
  ScrollBox1->setWidgetResizable(false);
  ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  ScrollBox1->setBackgroundRole(QPalette::Base);
  Chart1 = new ProfileChartWidget(chart);
  ScrollBox1->setWidget(Chart1);
  setCentralWidget(ScrollBox1);
  resize(860, 640);

  connect(Absolute1, &QDoubleSpinBox::valueChanged, this, [this] { thresholdsChanged(); });
  connect(Relative1, &QDoubleSpinBox::valueChanged, this, [this] { thresholdsChanged(); });
  connect(Order1, &QComboBox::currentIndexChanged, this, [this](int i) { Chart1->setBySimilarity(i == 1); });
  connect(Savechart1, &QAction::triggered, this, [this] {
    const ProfileChart& c = Chart1->chart();
    saveProfileChart(shell_, SaveDialog1, [&c](ChartFileKind kind) { return renderProfileChart(c, kind); });
  });
  connect(Printchart1, &QAction::triggered, this, [this] {
    QPrinter printer;
    printchart1Click(
        shell_, [&] { return printDialog(printer); },
        [&] {
          printProfileChart(Chart1->chart(), printer);
          return true;
        });
  });
  printDialog = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
  };
}

void TSegmentProfiles::thresholdsChanged() {
  const MarkerThresholds t{Absolute1->value(), Relative1->value()};
  Chart1->setThresholds(t);
  // The description file follows the thresholds last chosen.
  last_ = t;
}

void TSegmentProfiles::relayout() { Chart1->layOutFor(ScrollBox1->viewport()->width()); }

void TSegmentProfiles::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  relayout();
}

void TSegmentProfiles::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  relayout();
}

void printProfileChart(const ProfileChart& chart, QPrinter& printer) {
  const ChartMargins m;
  printOn(printer, [&](QPainter& painter, QPagedPaintDevice& device) {
    const double W = device.width(), H = device.height();
    const QRectF box(W * m.left / 100, H * m.top / 100, W * (1 - (m.left + m.right) / 100),
                     H * (1 - (m.top + m.bottom) / 100));
    // Laid out at the width whose shape fills the box best (more columns
    // for a wide box, fewer for a tall one), then scaled into it.
    ProfileLayout L = layoutProfileChart(chart, 1200);
    double scale = std::min(box.width() / L.width, box.height() / L.height);
    for (double width = 340; width <= 2400; width += 60) {
      ProfileLayout candidate = layoutProfileChart(chart, width);
      const double s = std::min(box.width() / candidate.width, box.height() / candidate.height);
      if (s > scale) {
        scale = s;
        L = std::move(candidate);
      }
    }
    painter.translate(box.x() + (box.width() - L.width * scale) / 2, box.y() + (box.height() - L.height * scale) / 2);
    painter.scale(scale, scale);
    paintProfileChart(painter, chart, L);
  });
}

}  // namespace volmar
