#include "ui/ProfilePainter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/NumberFormat.h"

namespace volmar {

namespace {

constexpr double Margin = 10;    // around the chart
constexpr double Gap = 10;       // between panels, and under the legend
constexpr double Pad = 6;        // inside a panel
constexpr double MinBarArea = 140;
constexpr double MaxLabel = 150;
constexpr double MinLabel = 40;
constexpr double Swatch = 12;

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString scaleText(double v) { return qs(formatGeneral(std::round(v * 1e4) / 1e4)); }

// The texts of the legend, the first naming the thresholds in force.
std::vector<QString> legendTexts(const ProfileChart& chart, bool anyOutside) {
  const MarkerThresholds& t = chart.thresholds;
  QString marker = QStringLiteral("Marker variable: %1 or more from the sample mean").arg(scaleText(t.absolute));
  if (anyOutside) marker += QStringLiteral(" (in SDs for values outside 0..1)");
  marker += QStringLiteral(", or %1 % of it").arg(scaleText(t.relative));
  return {marker, QStringLiteral("Other variable"), QStringLiteral("Whole sample's mean")};
}

}  // namespace

QFont profileChartFont() {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setStyleHint(QFont::SansSerif);
  // In pixels, so that the chart keeps its proportions on any device (a
  // printer scales it as a whole).
  f.setPixelSize(11);
  return f;
}

QColor segmentColour(int s) {
  // Ten well-separated hues, then the same again.
  static const QColor palette[] = {QColor(31, 119, 180),  QColor(255, 127, 14), QColor(44, 160, 44),
                                   QColor(214, 39, 40),   QColor(148, 103, 189), QColor(140, 86, 75),
                                   QColor(227, 119, 194), QColor(127, 127, 127), QColor(188, 189, 34),
                                   QColor(23, 190, 207)};
  return palette[(std::max(s, 1) - 1) % 10];
}

QColor paleColour(const QColor& full) {
  // A quarter of the colour over white.
  return QColor((full.red() + 3 * 255) / 4, (full.green() + 3 * 255) / 4, (full.blue() + 3 * 255) / 4);
}

ProfileLayout layoutProfileChart(const ProfileChart& chart, double width, const QFont& font) {
  ProfileLayout L;
  L.font = font;
  const QFontMetricsF fm(font);
  const SegmentProfiles& p = chart.numbers;
  const std::vector<int>& order = chart.order();
  const int S = p.numSegments;
  const int V = static_cast<int>(order.size());
  const double lineH = std::ceil(fm.height());
  L.rowHeight = std::max(lineH + 3, 14.0);

  // The variables' scales: one for all when they have like ranges,
  // otherwise each its own from its lowest to its highest value.
  double lo = 0, hi = 1;
  bool anyOutside = false;
  std::vector<double> vlo(static_cast<std::size_t>(p.numVars)), vhi(static_cast<std::size_t>(p.numVars));
  for (int v = 1; v <= p.numVars; ++v) {
    const VariableSpread& var = p.variables[static_cast<std::size_t>(v - 1)];
    double a = std::min(var.low, var.mean), b = std::max(var.high, var.mean);
    for (int s = 1; s <= S; ++s) {
      a = std::min(a, p.prototypeValue(s, v));
      b = std::max(b, p.prototypeValue(s, v));
    }
    vlo[static_cast<std::size_t>(v - 1)] = a;
    vhi[static_cast<std::size_t>(v - 1)] = b;
    lo = std::min(lo, a);
    hi = std::max(hi, b);
    anyOutside = anyOutside || var.outsideUnit;
  }
  for (int v = 1; v <= p.numVars; ++v) {
    const double span = vhi[static_cast<std::size_t>(v - 1)] - vlo[static_cast<std::size_t>(v - 1)];
    if (span > 0 && span < 0.25 * (hi - lo)) L.commonScale = false;
  }
  for (int v : order) {
    double a = L.commonScale ? lo : vlo[static_cast<std::size_t>(v - 1)];
    double b = L.commonScale ? hi : vhi[static_cast<std::size_t>(v - 1)];
    if (!(b > a)) b = a + 1;
    L.low.push_back(a);
    L.high.push_back(b);
  }

  // The label column: as wide as the longest name, within limits.
  double labelW = MinLabel;
  for (int v : order) labelW = std::max(labelW, std::ceil(fm.horizontalAdvance(qs(chart.name(v)))) + 4);
  labelW = std::min(labelW, MaxLabel);
  for (int v : order) {
    const QString full = qs(chart.name(v));
    L.fullNames.push_back(full);
    L.labelTexts.push_back(fm.elidedText(full, Qt::ElideMiddle, labelW - 3));
    QStaticText st(L.labelTexts.back());
    st.setTextFormat(Qt::PlainText);
    st.setPerformanceHint(QStaticText::AggressiveCaching);
    st.prepare(QTransform(), font);
    L.labelStatic.push_back(st);
    L.labelWidth.push_back(fm.horizontalAdvance(L.labelTexts.back()));
  }
  const double minPanel = Pad + labelW + 6 + MinBarArea + Pad;
  const double minTitle = fm.horizontalAdvance(QStringLiteral("Segment 30: 30000 cases (100.0 %)")) + 2 * Pad;
  const double panelMin = std::max(minPanel, minTitle);
  L.width = std::max(width, panelMin + 2 * Margin);
  L.columns = std::clamp(static_cast<int>((L.width - 2 * Margin + Gap) / (panelMin + Gap)), 1, std::max(S, 1));
  L.rows = S > 0 ? (S + L.columns - 1) / L.columns : 0;
  const double panelW = (L.width - 2 * Margin - (L.columns - 1) * Gap) / L.columns;

  // The legend, its items flowing into lines; an item wider than a whole
  // line wraps its words onto further lines.
  const std::vector<QString> texts = legendTexts(chart, anyOutside);
  const double itemH = lineH + 4;
  const double lineW = L.width - 2 * Margin - 2 * Pad;
  double x = Margin + Pad, y = Margin + Pad, rowH = itemH;
  for (const QString& t : texts) {
    const double w = Swatch + 6 + std::ceil(fm.horizontalAdvance(t)) + 1;
    if (x > Margin + Pad && x + w > Margin + Pad + lineW) {
      x = Margin + Pad;
      y += rowH;
      rowH = itemH;
    }
    const double textW = std::min(w - Swatch - 6, lineW - Swatch - 6);
    const double textH = std::max(itemH, std::ceil(fm.boundingRect(QRectF(0, 0, textW, 1e6), Qt::TextWordWrap, t).height()) + 4);
    L.legendTexts.emplace_back(x + Swatch + 6, y, textW, textH);
    L.legendStrings.push_back(t);
    rowH = std::max(rowH, textH);
    x += w + 18;
  }
  L.legend = QRectF(Margin, Margin, L.width - 2 * Margin, y + rowH + Pad - Margin);

  // The panels.
  const double titleH = lineH + 6;
  const double axisH = lineH + 4;
  const double panelH = Pad + titleH + V * L.rowHeight + 4 + axisH + Pad;
  const double top = L.legend.bottom() + Gap;
  for (int s = 1; s <= S; ++s) {
    const int r = (s - 1) / L.columns, c = (s - 1) % L.columns;
    const QRectF panel(Margin + c * (panelW + Gap), top + r * (panelH + Gap), panelW, panelH);
    L.panels.push_back(panel);
    const QRectF title(panel.left() + Pad, panel.top() + Pad, panel.width() - 2 * Pad, titleH);
    L.titles.push_back(title);
    L.titleTexts.push_back(fm.elidedText(qs(segmentTitle(p, s)), Qt::ElideRight, title.width()));
    std::vector<QRectF> labels, bars;
    const double barLeft = panel.left() + Pad + labelW + 6;
    const double barW = panel.right() - Pad - barLeft;
    for (int i = 0; i < V; ++i) {
      const double rowTop = title.bottom() + i * L.rowHeight;
      labels.emplace_back(panel.left() + Pad, rowTop, labelW, L.rowHeight);
      bars.emplace_back(barLeft, rowTop, barW, L.rowHeight);
    }
    L.labels.push_back(std::move(labels));
    L.bars.push_back(std::move(bars));
    L.axisTexts.emplace_back(barLeft, title.bottom() + V * L.rowHeight + 4, barW, axisH);
  }
  L.height = (S > 0 ? L.panels.back().bottom() : L.legend.bottom()) + Margin;
  return L;
}

void paintProfileChart(QPainter& painter, const ProfileChart& chart, const ProfileLayout& L, const QRectF& exposed) {
  const bool all = exposed.isEmpty();
  // Rows a little beyond the area: the mean line leaves a row to its neighbours.
  const QRectF near = all ? QRectF() : exposed.adjusted(0, -L.rowHeight, 0, L.rowHeight);
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.fillRect(QRectF(0, 0, L.width, L.height), Qt::white);
  painter.setFont(L.font);
  const SegmentProfiles& p = chart.numbers;
  const std::vector<int>& order = chart.order();
  const int V = static_cast<int>(order.size());
  const QColor ink(40, 40, 40);
  const QColor grid(225, 225, 225);
  const QColor meanInk(20, 20, 20);
  const double lineHeight = QFontMetricsF(L.font).height();

  auto diamond = [&](QPointF c, double r) {
    const QPointF pts[4] = {{c.x(), c.y() - r}, {c.x() + r, c.y()}, {c.x(), c.y() + r}, {c.x() - r, c.y()}};
    painter.drawPolygon(pts, 4);
  };

  // Legend.
  painter.setPen(QPen(QColor(190, 190, 190), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(L.legend);
  const QColor sample = segmentColour(1);
  for (std::size_t i = 0; i < L.legendTexts.size(); ++i) {
    const QRectF& t = L.legendTexts[i];
    const QRectF sw(t.left() - Swatch - 6, t.top() + (QFontMetricsF(L.font).height() + 4 - Swatch) / 2, Swatch, Swatch);
    if (i == 0) {
      painter.setPen(QPen(sample, 1));
      painter.setBrush(sample);
      painter.drawRect(sw);
    } else if (i == 1) {
      painter.setPen(QPen(sample, 1));
      painter.setBrush(paleColour(sample));
      painter.drawRect(sw);
    } else {
      painter.setPen(QPen(meanInk, 1));
      painter.drawLine(QPointF(sw.center().x(), sw.top() - 1), QPointF(sw.center().x(), sw.bottom() + 1));
      painter.setBrush(meanInk);
      diamond(sw.center(), 4);
    }
    painter.setPen(ink);
    painter.drawText(t.adjusted(0, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, L.legendStrings[i]);
  }

  for (int s = 1; s <= p.numSegments; ++s) {
    const std::size_t k = static_cast<std::size_t>(s - 1);
    const QRectF& panel = L.panels[k];
    if (!all && !panel.intersects(exposed)) continue;
    const QColor full = segmentColour(s);
    const QColor pale = paleColour(full);
    painter.setPen(QPen(QColor(170, 170, 170), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(panel);
    painter.setPen(ink);
    QFont bold = L.font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.drawText(L.titles[k], Qt::AlignLeft | Qt::AlignVCenter, L.titleTexts[k]);
    painter.setFont(L.font);
    if (V == 0) continue;
    const QRectF first = L.bars[k].front();
    const QRectF area(first.left(), first.top(), first.width(), V * L.rowHeight);
    // Grid lines at the quarters of the scale.
    painter.setPen(QPen(grid, 1));
    for (int q = 0; q <= 4; ++q) {
      const double gx = area.left() + area.width() * q / 4;
      painter.drawLine(QPointF(gx, area.top()), QPointF(gx, area.bottom()));
    }
    std::vector<QPointF> means;
    means.reserve(static_cast<std::size_t>(V));
    for (int i = 0; i < V; ++i) {
      const int v = order[static_cast<std::size_t>(i)];
      const std::size_t row = static_cast<std::size_t>(i);
      const QRectF& cell = L.bars[k][row];
      if (!all && !cell.intersects(near)) continue;
      const double lo = L.low[row], span = L.high[row] - L.low[row];
      auto xOf = [&](double value) {
        return cell.left() + std::clamp((value - lo) / span, 0.0, 1.0) * cell.width();
      };
      const double h = std::max(4.0, L.rowHeight * 0.62);
      const double x1 = xOf(p.prototypeValue(s, v));
      const QRectF bar(cell.left(), cell.center().y() - h / 2, std::max(3.0, x1 - cell.left()), h);
      if (chart.marker(s, v)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(full);
      } else {
        painter.setPen(QPen(full, 1));
        painter.setBrush(pale);
      }
      // Bars are upright rectangles: drawn sharp, without the cost of
      // antialiasing.
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.drawRect(bar.adjusted(0.5, 0.5, -0.5, -0.5));
      painter.setRenderHint(QPainter::Antialiasing, true);
      means.emplace_back(xOf(p.variables[static_cast<std::size_t>(v - 1)].mean), cell.center().y());
      painter.setPen(ink);
      const QRectF& label = L.labels[k][row];
      painter.drawStaticText(QPointF(label.right() - 2 - L.labelWidth[row], label.top() + (label.height() - lineHeight) / 2),
                             L.labelStatic[row]);
    }
    // The sample's means: a thin line through them and a marker on each.
    painter.setPen(QPen(meanInk, 1));
    painter.setBrush(Qt::NoBrush);
    if (means.size() > 1) painter.drawPolyline(means.data(), static_cast<int>(means.size()));
    painter.setBrush(meanInk);
    painter.setPen(Qt::NoPen);
    const double r = std::min(4.0, L.rowHeight / 3);
    for (const QPointF& m : means) diamond(m, r);
    // The scale under the bars.
    const QRectF& ax = L.axisTexts[k];
    painter.setPen(ink);
    if (L.commonScale) {
      painter.drawText(ax, Qt::AlignLeft | Qt::AlignVCenter, scaleText(L.low.front()));
      painter.drawText(ax, Qt::AlignHCenter | Qt::AlignVCenter, scaleText((L.low.front() + L.high.front()) / 2));
      painter.drawText(ax, Qt::AlignRight | Qt::AlignVCenter, scaleText(L.high.front()));
    } else {
      painter.drawText(ax, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("lowest"));
      painter.drawText(ax, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("highest value"));
    }
  }
  painter.restore();
}

std::string renderProfileChart(const ProfileChart& chart, ChartFileKind kind, double width) {
  const ProfileLayout L = layoutProfileChart(chart, width);
  const int w = static_cast<int>(std::ceil(L.width)), h = static_cast<int>(std::ceil(L.height));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  switch (kind) {
    case ChartFileKind::Png: {
      QImage image(w, h, QImage::Format_RGB32);
      if (image.isNull()) throw std::runtime_error("the chart is too large for an image");
      image.fill(Qt::white);
      {
        QPainter painter(&image);
        paintProfileChart(painter, chart, L);
      }
      if (!image.save(&buffer, "PNG")) throw std::runtime_error("the chart could not be written as PNG");
      break;
    }
    case ChartFileKind::Svg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&buffer);
      svg.setSize(QSize(w, h));
      svg.setViewBox(QRect(0, 0, w, h));
      svg.setResolution(96);
      svg.setTitle(QString::fromUtf8(ProfilesCaption));
      QPainter painter;
      if (!painter.begin(&svg)) throw std::runtime_error("the chart could not be drawn as SVG");
      paintProfileChart(painter, chart, L);
      painter.end();
      break;
    }
    case ChartFileKind::Pdf: {
      QPdfWriter pdf(&buffer);
      pdf.setResolution(96);
      pdf.setCreator(QStringLiteral("Volmar"));
      pdf.setTitle(QString::fromUtf8(ProfilesCaption));
      // One page of the chart's own size, in points.
      pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(w * 72.0 / 96, h * 72.0 / 96), QPageSize::Point),
                                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
      QPainter painter;
      if (!painter.begin(&pdf)) throw std::runtime_error("the chart could not be drawn as PDF");
      paintProfileChart(painter, chart, L);
      painter.end();
      break;
    }
  }
  buffer.close();
  if (bytes.isEmpty()) throw std::runtime_error("the chart could not be rendered");
  return bytes.toStdString();
}

}  // namespace volmar
