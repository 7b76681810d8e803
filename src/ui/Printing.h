#pragma once

#include <QFont>
#include <functional>
#include <optional>
#include <string>

class QChartView;
class QPagedPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace volmar {

class PrintCanvas;

// The output list's fixed-pitch font: Courier New, or a face that takes its
// place, 12 pixels high on the screen.
QFont outputListFont();

// The same face for a printer: its size in points, so that the lines keep
// the height they have on the screen.
QFont printFontFor(const QFont& screenFont);

// A PDF file a print job goes to when the caller names it: the name as the
// system's bytes (a QString would change a name that is not valid UTF-8),
// and whether a file of that name may be replaced.
struct PdfFile {
  std::string path;
  bool mayReplace = false;
};

// Paints one print job on the printer: paint gets a painter that is active
// on the device. A printer that writes a PDF file renders into memory first
// and the file is written like every saved file (beside the target, then
// renamed), so a failure never leaves half a file. The file is `file` when
// given; otherwise the printer's output file, which the print dialog has
// offered for replacing. Throws CommandError when the printer cannot start
// or the file cannot be written (FileExistsError when `file` may not be
// replaced and exists).
void printOn(QPrinter& printer, const std::function<void(QPainter&, QPagedPaintDevice&)>& paint,
             const std::optional<PdfFile>& file = std::nullopt);

// One job of text pages for the listbox printing, in the given font.
void printPages(QPrinter& printer, const QFont& font, const std::function<void(PrintCanvas&)>& draw,
                const std::optional<PdfFile>& file = std::nullopt);

// Print margins of a chart, in per cent of the page: left, top, right,
// bottom.
struct ChartMargins {
  double left = 28, top = 15, right = 28, bottom = 15;
};

// Prints a chart on one page, scaled (keeping its shape) into the page less
// the margins and centred there. For the main chart and for any other chart
// window ("&Print chart"). Throws CommandError on failure.
void printChartView(QChartView& view, QPrinter& printer, ChartMargins margins = {},
                    const std::optional<PdfFile>& file = std::nullopt);

// Prints what a window shows, its client area, as a picture at the top left
// corner of one page, enlarged by the ratio of the printer's resolution to
// the screen's so that it keeps its physical size.
void printWidgetPicture(QWidget& widget, QPrinter& printer, const std::optional<PdfFile>& file = std::nullopt);

}  // namespace volmar
