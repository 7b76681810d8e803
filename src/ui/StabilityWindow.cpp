#include "ui/StabilityWindow.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QFontMetricsF>
#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "commands/BubbleMap.h"
#include "commands/FileIO.h"
#include "commands/SaveFiles.h"
#include "core/NumberFormat.h"
#include "ui/Printing.h"
#include "ui/Prompter.h"

namespace volmar {

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

void paintStabilityChart(QPainter& p, const QRectF& area, const StabilityChart& chart) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.fillRect(area, Qt::white);
  const double unit = std::max(6.0, std::min(area.width(), area.height()) / 40.0);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(static_cast<int>(std::lround(unit * 1.15)));
  QFont titleFont = font;
  titleFont.setPixelSize(static_cast<int>(std::lround(unit * 1.5)));
  titleFont.setBold(true);
  const QFontMetricsF fm(font, p.device());
  const QFontMetricsF tm(titleFont, p.device());

  // Title on top, the axis label at the left, the box labels and the
  // foot underneath; the plot takes the rest.
  const QRectF titleBox(area.left(), area.top() + unit * 0.5, area.width(), tm.height() * 1.4);
  p.setPen(Qt::black);
  p.setFont(titleFont);
  p.drawText(titleBox, Qt::AlignCenter, text(chart.title));
  p.setFont(font);
  const double tickWidth = fm.horizontalAdvance(QStringLiteral("0.0")) + unit;
  const QRectF plot(area.left() + fm.height() * 1.6 + tickWidth, titleBox.bottom() + unit,
                    area.width() - (fm.height() * 1.6 + tickWidth) - unit * 2,
                    area.height() - (titleBox.bottom() - area.top()) - unit - fm.height() * 3.2);
  if (plot.width() <= 0 || plot.height() <= 0) {
    p.restore();
    return;
  }
  const auto y = [&plot](double v) { return plot.bottom() - std::clamp(v, 0.0, 1.0) * plot.height(); };

  // The axis from 0 to 1, a grid line every 0.1 and a label every 0.2.
  for (int k = 0; k <= 10; ++k) {
    const double v = k / 10.0;
    p.setPen(QPen(QColor(k % 2 == 0 ? 0xd0d0d0 : 0xececec), 0));
    p.drawLine(QPointF(plot.left(), y(v)), QPointF(plot.right(), y(v)));
    if (k % 2 == 0) {
      p.setPen(Qt::black);
      p.drawText(QRectF(plot.left() - tickWidth, y(v) - fm.height() / 2, tickWidth - unit * 0.4, fm.height()),
                 Qt::AlignRight | Qt::AlignVCenter, text(formatPicture(v, "0.0")));
    }
  }
  p.setPen(QPen(Qt::black, std::max(1.0, unit / 8)));
  p.drawLine(plot.bottomLeft(), plot.topLeft());
  p.drawLine(plot.bottomLeft(), plot.bottomRight());
  p.save();
  p.translate(area.left() + fm.height() * 0.2, plot.center().y());
  p.rotate(-90);
  p.drawText(QRectF(-plot.height() / 2, 0, plot.height(), fm.height() * 1.2), Qt::AlignCenter, text(chart.yLabel));
  p.restore();
  p.drawText(QRectF(plot.left(), plot.bottom() + fm.height() * 1.6, plot.width(), fm.height() * 1.4),
             Qt::AlignCenter, text(chart.xLabel));

  const int count = static_cast<int>(chart.boxes.size());
  if (count > 0) {
    const double slot = plot.width() / count;
    const double width = std::min(slot * 0.55, unit * 6);
    const QColor fill(0x9ec5e8), edge(0x1f4e79);
    for (int i = 0; i < count; ++i) {
      const StabilityBox& b = chart.boxes[static_cast<std::size_t>(i)];
      const double cx = plot.left() + slot * (i + 0.5);
      const QPen pen(edge, std::max(1.0, unit / 7));
      p.setPen(pen);
      p.drawLine(QPointF(cx, y(b.minimum)), QPointF(cx, y(b.q1)));
      p.drawLine(QPointF(cx, y(b.q3)), QPointF(cx, y(b.maximum)));
      p.drawLine(QPointF(cx - width / 4, y(b.minimum)), QPointF(cx + width / 4, y(b.minimum)));
      p.drawLine(QPointF(cx - width / 4, y(b.maximum)), QPointF(cx + width / 4, y(b.maximum)));
      const QRectF box(QPointF(cx - width / 2, y(b.q3)), QPointF(cx + width / 2, y(b.q1)));
      p.fillRect(box, fill);
      p.drawRect(box);
      p.setPen(QPen(QColor(0xc00000), std::max(2.0, unit / 3.5)));
      p.drawLine(QPointF(box.left(), y(b.median)), QPointF(box.right(), y(b.median)));
      p.setPen(Qt::black);
      p.drawText(QRectF(cx - slot / 2, plot.bottom() + unit * 0.3, slot, fm.height() * 1.2), Qt::AlignCenter,
                 text(b.label));
    }
  }
  p.restore();
}

std::string stabilityChartBytes(const StabilityChart& chart, const std::string& format, QSize size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const QRectF area(0, 0, size.width(), size.height());
  if (format == "png") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      paintStabilityChart(painter, area, chart);
    }
    if (!image.save(&buffer, "PNG")) throw std::runtime_error("the chart could not be rendered as PNG");
  } else if (format == "svg") {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(area);
    svg.setTitle(text(chart.title));
    QPainter painter;
    if (!painter.begin(&svg)) throw std::runtime_error("the chart could not be rendered as SVG");
    paintStabilityChart(painter, area, chart);
    painter.end();
  } else if (format == "pdf") {
    QPdfWriter pdf(&buffer);
    pdf.setTitle(text(chart.title));
    pdf.setCreator(QStringLiteral("Volmar"));
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(15, 15, 15, 15)));
    pdf.setResolution(150);
    QPainter painter;
    if (!painter.begin(&pdf)) throw std::runtime_error("the chart could not be rendered as PDF");
    const QRect page = painter.viewport();
    paintStabilityChart(painter, QRectF(0, 0, page.width(), page.height()), chart);
    painter.end();
  } else {
    throw std::runtime_error("charts are saved as .png, .svg or .pdf files");
  }
  buffer.close();
  return bytes.toStdString();
}

StabilityDialogBox::StabilityDialogBox(StabilityDialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog) {
  setObjectName(QStringLiteral("StabilityDialog"));
  const bool global = dialog.kind == StabilityKind::Global;
  setWindowTitle(global ? QStringLiteral("Global stability (bootstrap)") : QStringLiteral("Segment-level stability (bootstrap)"));
  auto* form = new QFormLayout;
  // Owned by the dialog also where the segment study leaves the range out
  // of the form.
  lower_ = new QLineEdit(text(dialog.lower), this);
  upper_ = new QLineEdit(text(dialog.upper), this);
  pairs_ = new QLineEdit(text(dialog.pairs), this);
  lower_->setObjectName(QStringLiteral("Lower"));
  upper_->setObjectName(QStringLiteral("Upper"));
  pairs_->setObjectName(QStringLiteral("Pairs"));
  if (global) {
    form->addRow(QStringLiteral("Lowest # of segments:"), lower_);
    form->addRow(QStringLiteral("Highest # of segments:"), upper_);
  } else {
    lower_->hide();
    upper_->hide();
  }
  form->addRow(QStringLiteral("# of bootstrap pairs (1 to 1000):"), pairs_);
  refine_ = new QCheckBox(QStringLiteral("Refine every fit (batch k-means)"));
  refine_->setObjectName(QStringLiteral("Refine"));
  refine_->setChecked(dialog.refine && dialog.refineAllowed);
  refine_->setEnabled(dialog.refineAllowed);
  if (!dialog.refineAllowed) refine_->setToolTip(QStringLiteral("Refining needs the squared Euclidean distance"));
  problem_ = new QLabel;
  problem_->setObjectName(QStringLiteral("Problem"));
  problem_->setStyleSheet(QStringLiteral("color: #b00000"));
  problem_->setWordWrap(true);
  problem_->hide();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] { okClick(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(refine_);
  layout->addWidget(problem_);
  layout->addWidget(buttons);
  setMinimumWidth(360);
}

void StabilityDialogBox::okClick() {
  StabilityDialog d = dialog_;
  d.lower = lower_->text().trimmed().toStdString();
  d.upper = upper_->text().trimmed().toStdString();
  d.pairs = pairs_->text().trimmed().toStdString();
  d.refine = refine_->isChecked();
  try {
    readStabilityDialog(d);
  } catch (const std::exception& e) {
    problem_->setText(text(e.what()));
    problem_->show();
    return;
  }
  dialog_ = d;
  accept();
}

bool Prompter::stabilityDialog(QWidget* parent, StabilityDialog& dialog) {
  StabilityDialogBox box(dialog, parent);
  return box.exec() == QDialog::Accepted;
}

StabilityChartWidget::StabilityChartWidget(const StabilityChart& chart, QWidget* parent)
    : QWidget(parent), chart_(chart) {
  setMinimumSize(320, 240);
}

void StabilityChartWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintStabilityChart(painter, QRectF(rect()), chart_);
}

StabilityWindow::StabilityWindow(Shell& shell, const StabilityChart& chart, QWidget* parent)
    : QMainWindow(parent, Qt::Window), shell_(shell) {
  setObjectName(QStringLiteral("StabilityWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(text(chart.title));
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  Savechart1 = file->addAction(QStringLiteral("&Save chart..."));
  Savechart1->setObjectName(QStringLiteral("Savechart1"));
  Printchart1 = file->addAction(QStringLiteral("&Print chart"));
  Printchart1->setObjectName(QStringLiteral("Printchart1"));
  connect(Savechart1, &QAction::triggered, this, [this] { savechart1Click(); });
  connect(Printchart1, &QAction::triggered, this, [this] { printchart1Click(); });
  Chart1 = new StabilityChartWidget(chart, this);
  Chart1->setObjectName(QStringLiteral("Chart1"));
  setCentralWidget(Chart1);
  SaveDialog1.filters = {"PNG picture (*.png)|*.png", "SVG drawing (*.svg)|*.svg", "PDF document (*.pdf)|*.pdf"};
  SaveDialog1.defaultExt = "png";
  resize(720, 480 + menuBar()->sizeHint().height());
  printDialog = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, this);
    return dialog.exec() == QDialog::Accepted;
  };
}

void StabilityWindow::savechart1Click() {
  try {
    const auto choice = chooseSaveFile(shell_, SaveDialog1, "png", "*.png", SaveDialog1.filterIndex);
    if (!choice) return;
    std::string path = choice->path;
    const auto dot = path.rfind('.');
    std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext != "png" && ext != "svg" && ext != "pdf") ext = SaveDialog1.filterIndex == 2 ? "svg" : SaveDialog1.filterIndex == 3 ? "pdf" : "png";
    const std::string bytes = stabilityChartBytes(Chart1->chart(), ext, Chart1->size());
    if (writeChosenFile(shell_, SaveDialog1, *choice, bytes)) shell_.message("Chart written.");
  } catch (const std::exception& e) {
    shell_.message(e.what());
  }
}

void StabilityWindow::printchart1Click() {
  QPrinter printer;
  volmar::printchart1Click(
      shell_, [&] { return printDialog(printer); },
      [&] {
        printOn(printer, [&](QPainter& painter, QPagedPaintDevice&) {
          const QRect page = painter.viewport();
          paintStabilityChart(painter, QRectF(0, 0, page.width(), page.height()), Chart1->chart());
        });
        return true;
      });
}

}  // namespace volmar
