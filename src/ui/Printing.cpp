#include "ui/Printing.h"

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QGraphicsLayout>
#include <QFontMetrics>
#include <QGraphicsScene>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QWidget>
#include <algorithm>
#include <memory>

#include "commands/Context.h"
#include "commands/FileIO.h"
#include "commands/Printing.h"

namespace volmar {

QFont outputListFont() {
  QFont mono(QStringLiteral("Courier New"));
  mono.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                    QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Nimbus Mono PS")});
  mono.setStyleHint(QFont::TypeWriter);
  mono.setFixedPitch(true);
  mono.setPixelSize(12);
  return mono;
}

namespace {

// Resolution the screen fonts and pictures are measured in.
constexpr double ScreenDpi = 96.0;

bool writesPdfFile(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

// The lines of the output list on a printer page.
class PainterCanvas : public PrintCanvas {
 public:
  PainterCanvas(QPainter& painter, QPagedPaintDevice& device)
      : painter_(painter), device_(device), metrics_(painter.font(), &device) {}

  int pageHeight() const override { return device_.height(); }
  int textHeight(const std::string&) const override { return metrics_.height(); }
  void drawText(int x, int y, const std::string& text) override {
    painter_.drawText(x, y + metrics_.ascent(), QString::fromStdString(text));
  }
  void newPage() override {
    if (!device_.newPage()) throw CommandError("Printing failed: the printer did not take a new page.");
  }

 private:
  QPainter& painter_;
  QPagedPaintDevice& device_;
  QFontMetrics metrics_;
};

}  // namespace

QFont printFontFor(const QFont& screenFont) {
  QFont f = screenFont;
  if (screenFont.pixelSize() > 0) f.setPointSizeF(screenFont.pixelSize() * 72.0 / ScreenDpi);
  return f;
}

namespace {

// Memory set aside while a job is painted and given back when the painting
// fails: ending a job writes its tail (fonts, page index), and after an
// allocation failed, that tail needs memory that was not there.
constexpr std::size_t EndingReserve = std::size_t{8} << 20;

// Begins a painter on `device`, paints and ends it; false when the device
// did not finish the job. Whatever fails on the way, the painter is ended
// before the exception goes on: a painter still active when it is destroyed
// finishes the job in its destructor, and when memory is short (as it often
// is when painting fails) an allocation failing there ends the program.
// `drop` first frees what the job holds, so that ending it needs little.
bool paintAndEnd(QPaintDevice& device, const char* beginFailure,
                 const std::function<void(QPainter&)>& paint, const std::function<void()>& drop) {
  // It takes address space, not pages: only its first byte is written, and
  // written as volatile so that the compiler keeps the allocation.
  std::unique_ptr<char[]> reserve(new char[EndingReserve]);
  static_cast<volatile char*>(reserve.get())[0] = 0;
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(&device)) throw CommandError(beginFailure);
  try {
    paint(*painter);
    return painter->end();
  } catch (...) {
    reserve.reset();
    try {
      drop();
      if (painter->isActive()) painter->end();
    } catch (...) {
      // Not even ending worked; the destructor would try again and fail
      // the same way. The painter is left behind instead (a few hundred
      // bytes) so that the first failure is the one reported.
      static_cast<void>(painter.release());
    }
    throw;
  }
}

}  // namespace

void printOn(QPrinter& printer, const std::function<void(QPainter&, QPagedPaintDevice&)>& paint,
             const std::optional<PdfFile>& file) {
  if (!file && !writesPdfFile(printer)) {
    // A job that failed part way is aborted rather than printed.
    const bool ended = paintAndEnd(
        printer, "Printing failed: the printer could not be started.",
        [&](QPainter& painter) { paint(painter, printer); }, [&] { printer.abort(); });
    if (!ended) throw CommandError("Printing failed: the printer did not finish the job.");
    return;
  }
  QBuffer pdf;
  pdf.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&pdf);
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    writer.setTitle(printer.docName());
    writer.setCreator(QStringLiteral("Volmar"));
    // After a failure the pages so far are dropped: no file is written.
    paintAndEnd(
        writer, "Printing failed: the PDF could not be started.",
        [&](QPainter& painter) { paint(painter, writer); },
        [&] {
          pdf.buffer().clear();
          pdf.buffer().squeeze();
          pdf.seek(0);
        });
  }
  const QByteArray bytes = pdf.data();
  const std::string contents(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  if (file) {
    if (file->mayReplace)
      writeFileReplacing(file->path, contents);
    else
      writeNewFile(file->path, contents);
  } else {
    // The print dialog asks before it takes a file that exists. Its name in
    // the system's encoding, as the dialog listed it.
    writeFileReplacing(QFile::encodeName(printer.outputFileName()).toStdString(), contents);
  }
}

void printPages(QPrinter& printer, const QFont& font, const std::function<void(PrintCanvas&)>& draw,
                const std::optional<PdfFile>& file) {
  printOn(printer, [&](QPainter& painter, QPagedPaintDevice& device) {
    painter.setFont(QFont(font, &device));
    painter.setPen(Qt::black);
    PainterCanvas canvas(painter, device);
    draw(canvas);
  }, file);
}

void printChartView(QChartView& view, QPrinter& printer, ChartMargins m, const std::optional<PdfFile>& file) {
  QGraphicsScene* scene = view.scene();
  // A chart that was never shown has not been laid out at its view's size.
  const QSize shown = view.contentsRect().size();
  if (QChart* chart = view.chart(); chart && chart->size() != QSizeF(shown) && !shown.isEmpty()) {
    chart->resize(shown);
    if (chart->layout()) chart->layout()->activate();
  }
  const QRectF source = view.chart() ? view.chart()->geometry() : QRectF();
  if (!scene || source.isEmpty()) throw CommandError("Printing failed: the chart has no size.");
  printOn(printer, [&](QPainter& painter, QPagedPaintDevice& device) {
    const double W = device.width(), H = device.height();
    const QRectF box(W * m.left / 100, H * m.top / 100, W * (1 - (m.left + m.right) / 100),
                     H * (1 - (m.top + m.bottom) / 100));
    painter.setRenderHint(QPainter::Antialiasing);
    // Scaled to fit, keeping its shape, and centred in the box.
    const double scale = std::min(box.width() / source.width(), box.height() / source.height());
    const QSizeF size = source.size() * scale;
    const QRectF target(box.x() + (box.width() - size.width()) / 2, box.y() + (box.height() - size.height()) / 2,
                        size.width(), size.height());
    scene->render(&painter, target, source, Qt::IgnoreAspectRatio);
  }, file);
}

void printWidgetPicture(QWidget& widget, QPrinter& printer, const std::optional<PdfFile>& file) {
  const QPixmap picture = widget.grab();
  if (picture.isNull()) throw CommandError("Printing failed: the window's picture could not be taken.");
  printOn(printer, [&](QPainter& painter, QPagedPaintDevice& device) {
    const double screenDpi = widget.logicalDpiX() > 0 ? widget.logicalDpiX() : ScreenDpi;
    const double enlarge = device.logicalDpiX() / screenDpi;
    const QSizeF size = QSizeF(picture.size()) / picture.devicePixelRatio() * enlarge;
    painter.drawPixmap(QRectF(QPointF(0, 0), size), picture, QRectF(picture.rect()));
  }, file);
}

}  // namespace volmar
