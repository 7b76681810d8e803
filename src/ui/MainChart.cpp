#include "ui/MainChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
#include <QCursor>
#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace volmar {

// The view is made with its chart: a view made without one makes a default
// chart that setChart would only hide, never free.
MainChart::MainChart(QWidget* parent) : QChartView(new QChart, parent) {
  QChart* chart = this->chart();
  chart->legend()->hide();
  chart->setMargins(QMargins(4, 4, 4, 4));
  chart->setBackgroundRoundness(0);

  series1_ = new QBarSeries;
  barSet_ = new QBarSet(QStringLiteral("Series1"));
  series1_->append(barSet_);
  // The value labels are drawn by placeBarLabels, which shortens them to
  // the width of the bars.
  series1_->setLabelsVisible(false);
  chart->addSeries(series1_);

  series2_ = new QLineSeries;
  series2_->setName(QStringLiteral("Series2"));
  series2_->setPointsVisible(false);
  series2_->setPointLabelsVisible(false);
  chart->addSeries(series2_);

  bottom_ = new QBarCategoryAxis;
  left_ = new QValueAxis;
  right_ = new QValueAxis;
  right_->setRange(0.0, 1.0);
  right_->setLabelFormat(QStringLiteral("%.2f"));
  left_->setTickType(QValueAxis::TicksDynamic);
  left_->setLabelFormat(QStringLiteral("%.10g"));
  chart->addAxis(bottom_, Qt::AlignBottom);
  chart->addAxis(left_, Qt::AlignLeft);
  chart->addAxis(right_, Qt::AlignRight);
  series1_->attachAxis(bottom_);
  series1_->attachAxis(left_);
  series2_->attachAxis(bottom_);
  series2_->attachAxis(right_);

  setRenderHint(QPainter::Antialiasing);
  fitLeftAxis();
  // The category names are drawn by placeCategoryNames, which never
  // shortens them; the axis keeps its own (unseen) ones in the chart's font,
  // which keep the room under the plot for them (at most that font's size)
  // and the foot line's place below it. The room never depends on the
  // plot's width, so the layout settles in one pass.
  bottom_->setLabelsBrush(QBrush(Qt::transparent));
  connect(chart, &QChart::plotAreaChanged, this, [this] {
    placeBarLabels();
    placeCategoryNames();
  });
  connect(barSet_, &QBarSet::hovered, this, [this](bool inside, int index) {
    if (inside)
      QToolTip::showText(QCursor::pos(), barToolTip(index), this);
    else
      QToolTip::hideText();
  });
}

void MainChart::setTitleLine(const QString& text) {
  title_ = text;
  chart()->setTitle(text);
}

// The foot line stands under the category labels, where the bottom axis
// keeps its title.
void MainChart::setFootLine(const QString& text) {
  foot_ = text;
  bottom_->setTitleText(text);
}

void MainChart::clearSeries(Series s) {
  points(s).clear();
  if (s == Series::Bars) {
    barSet_->remove(0, barSet_->count());
    rebuildCategories();
    fitLeftAxis();
    placeBarLabels();
  } else {
    series2_->clear();
  }
}

void MainChart::addPoint(Series s, double value, const QString& label) {
  points(s).push_back({value, label});
  if (s == Series::Bars) {
    barSet_->append(value);
    rebuildCategories();
    fitLeftAxis();
    placeBarLabels();
  } else {
    series2_->append(static_cast<double>(line_.size() - 1), value);
    rebuildCategories();
  }
}

void MainChart::setPointValue(Series s, int position, double value) {
  auto& pts = points(s);
  if (position < 0 || position >= static_cast<int>(pts.size())) return;
  pts[static_cast<std::size_t>(position)].value = value;
  if (s == Series::Bars) {
    barSet_->replace(position, value);
    fitLeftAxis();
    placeBarLabels();
  } else {
    series2_->replace(position, static_cast<double>(position), value);
  }
}

namespace {

// A round tick step (1, 2 or 5 times a power of ten) giving about five
// intervals over the range.
double niceStep(double range) {
  if (!(range > 0) || !std::isfinite(range)) return 1.0;
  const double raw = range / 5.0;
  const double mag = std::pow(10.0, std::floor(std::log10(raw)));
  const double f = raw / mag;
  return (f <= 1.0 ? 1.0 : f <= 2.0 ? 2.0 : f <= 5.0 ? 5.0 : 10.0) * mag;
}

}  // namespace

void MainChart::setLeftAxis(double minimum, double maximum) {
  leftAuto_ = false;
  if (!(maximum > minimum)) maximum = minimum + 1.0;  // an empty range shows nothing
  setLeftRange(minimum, maximum, niceStep(maximum - minimum));
}

// Range and tick step change together: with the old step still in force a
// much wider range would first be laid out with millions of ticks.
void MainChart::setLeftRange(double minimum, double maximum, double step) {
  left_->setTickType(QValueAxis::TicksFixed);
  left_->setRange(minimum, maximum);
  left_->setTickAnchor(0.0);
  left_->setTickInterval(step);
  left_->setTickType(QValueAxis::TicksDynamic);
}

// Positions on the bottom axis come from the bars, or from the line where it
// is longer. A category axis needs distinct names; a repeated label gets a
// trailing blank, which does not show.
void MainChart::rebuildCategories() {
  const std::size_t n = std::max(bars_.size(), line_.size());
  QStringList cats, names;
  for (std::size_t i = 0; i < n; ++i) {
    QString text = i < bars_.size() ? bars_[i].label : line_[i].label;
    names << text;
    while (cats.contains(text)) text += QLatin1Char(' ');
    cats << text;
  }
  if (cats != bottom_->categories()) {
    bottom_->clear();
    if (!cats.isEmpty()) bottom_->append(cats);
  }
  if (names != names_) {
    names_ = names;
    placeCategoryNames();
  }
}

namespace {

// Makes `items` hold n text items over the chart's other items.
void keepTextItems(std::vector<QGraphicsSimpleTextItem*>& items, std::size_t n, QChart* chart) {
  while (items.size() > n) {
    delete items.back();
    items.pop_back();
  }
  while (items.size() < n) {
    auto* item = new QGraphicsSimpleTextItem(chart);
    item->setZValue(10);
    items.push_back(item);
  }
}

}  // namespace

// The category names stand centred under their positions, whole, in a font
// that shrinks with the room down to a readable size; where even that is
// too wide for every position, only every 2nd, 5th, 10th ... name is shown,
// starting with the first.
void MainChart::placeCategoryNames() {
  QChart* c = chart();
  keepTextItems(nameLabels_, static_cast<std::size_t>(names_.size()), c);
  if (names_.isEmpty()) return;
  const QRectF plot = c->plotArea();
  const double slot = plot.width() / static_cast<double>(names_.size());
  QFont font = c->font();
  double points = font.pointSizeF() > 0 ? font.pointSizeF() : 8.0;
  auto widest = [&](const QFont& f) {
    double w = 0;
    for (const QString& t : names_) w = std::max(w, QFontMetricsF(f).horizontalAdvance(t));
    return w;
  };
  while (points > 6.0 && widest(font) + 3 > slot) font.setPointSizeF(points -= 0.5);
  const double need = widest(font) + 3;
  int step = 1;
  for (int s : {1, 2, 5, 10, 20, 50, 100, 1000}) {
    step = s;
    if (need <= slot * s) break;
  }
  const QFontMetricsF fm(font);
  for (int i = 0; i < names_.size(); ++i) {
    QGraphicsSimpleTextItem* item = nameLabels_[static_cast<std::size_t>(i)];
    const bool shown = i % step == 0;
    item->setFont(font);
    item->setText(shown ? names_[i] : QString());
    const double w = fm.horizontalAdvance(names_[i]);
    const double cx = plot.left() + slot * (i + 0.5);
    item->setPos(cx - w / 2, plot.bottom() + 5);
    item->setVisible(shown && plot.width() > 0 && plot.height() > 0);
  }
}

void MainChart::fitLeftAxis() {
  if (!leftAuto_) return;
  double hi = 0, lo = 0;
  for (const auto& p : bars_) {
    hi = std::max(hi, p.value);
    lo = std::min(lo, p.value);
  }
  if (hi <= lo) hi = lo + 1.0;
  const double step = niceStep((hi - lo) * 1.1);
  setLeftRange(std::floor(lo / step) * step, std::ceil(hi * 1.1 / step) * step, step);
}

namespace {

// x with sig significant digits in fixed notation (no exponent).
QString fixedDigits(double x, int sig) {
  const double a = std::fabs(x);
  const int whole = a >= 1 ? static_cast<int>(std::floor(std::log10(a))) + 1 : 1;
  return QString::number(x, 'f', std::max(0, sig - whole));
}

// Texts for a bar's value, longest first: up to 8 significant digits (no
// exponent), the whole number, then 3, 2 and 1 significant digits, large
// values with a k/M/G suffix.
QStringList valueTexts(double v) {
  QStringList out;
  QString full = QString::number(v, 'g', 8);
  if (full.contains(QLatin1Char('e'))) full = QString::number(v, 'f', 0);
  out << full;
  const double a = std::fabs(v);
  if (a >= 1.0) out << QString::number(v, 'f', 0);
  const char* suffix = a >= 1e9 ? "G" : a >= 1e6 ? "M" : a >= 1e3 ? "k" : "";
  const double scale = a >= 1e9 ? 1e9 : a >= 1e6 ? 1e6 : a >= 1e3 ? 1e3 : 1.0;
  for (int digits : {4, 3, 2, 1}) out << fixedDigits(v / scale, digits) + QLatin1String(suffix);
  out.removeDuplicates();
  return out;
}

}  // namespace

// Each bar's value stands over it in the longest text that fits: across,
// when the whole number fits the bar's share of the plot's width, otherwise
// upright in the room above the bar (or inside its top), otherwise across in
// fewer digits. Crowded bars get a smaller font.
void MainChart::placeBarLabels() {
  QChart* c = chart();
  keepTextItems(barLabels_, bars_.size(), c);
  if (bars_.empty()) return;
  const QRectF plot = c->plotArea();
  const double slot = plot.width() / static_cast<double>(bars_.size());
  QFont font = c->font();
  double points = std::min(font.pointSizeF() > 0 ? font.pointSizeF() : 8.0, 8.0);
  font.setPointSizeF(points);
  while (points > 5.0 && QFontMetricsF(font).height() > slot - 0.25) font.setPointSizeF(points -= 0.5);
  const QFontMetricsF fm(font);
  const double across = fm.height();
  for (std::size_t i = 0; i < bars_.size(); ++i) {
    QGraphicsSimpleTextItem* item = barLabels_[i];
    item->setFont(font);
    const double v = bars_[i].value;
    const QStringList texts = valueTexts(v);
    const QPointF top = c->mapToPosition(QPointF(static_cast<double>(i), v), series1_);
    const QPointF base = c->mapToPosition(QPointF(static_cast<double>(i), 0.0), series1_);
    const double barTop = std::clamp(std::min(top.y(), base.y()), plot.top(), plot.bottom());
    const double above = barTop - plot.top() - 2;
    const double within = std::max(top.y(), base.y()) - barTop - 4;
    auto fitsAcross = [&](const QString& t) { return fm.horizontalAdvance(t) <= slot - 2; };
    QString text;
    bool upright = false;
    if (fitsAcross(texts[0]) || (texts.size() > 1 && fitsAcross(texts[1]))) {
      text = fitsAcross(texts[0]) ? texts[0] : texts[1];
    } else if (across <= slot - 0.25) {
      for (const QString& t : texts)
        if (fm.horizontalAdvance(t) <= std::max(above, within)) {
          text = t;
          upright = true;
          break;
        }
    }
    if (text.isEmpty()) {
      text = texts.back();
      for (const QString& t : texts)
        if (fitsAcross(t)) {
          text = t;
          break;
        }
      upright = !fitsAcross(text) && across <= slot - 0.25;
    }
    item->setText(text);
    item->setRotation(upright ? -90 : 0);
    const double along = fm.horizontalAdvance(text);
    const bool inside = (upright ? along : across) > above;
    item->setBrush(inside ? QColor(Qt::white) : QColor(Qt::black));
    const double cx = top.x();
    if (upright) {
      // Turned by -90 degrees about its top left corner, the text runs
      // upwards from (x, y).
      const double y = inside ? std::min(barTop + 2 + along, plot.bottom()) : barTop - 2;
      item->setPos(cx - across / 2, y);
    } else {
      const double y = inside ? barTop + 2 : barTop - 2 - across;
      const double x = std::clamp(cx - along / 2, plot.left(), std::max(plot.left(), plot.right() - along));
      item->setPos(x, y);
    }
    item->setVisible(plot.width() > 0 && plot.height() > 0);
  }
}

QString MainChart::barLabelText(int position) const {
  return barLabels_.at(static_cast<std::size_t>(position))->text();
}
QRectF MainChart::barLabelRect(int position) const {
  return barLabels_.at(static_cast<std::size_t>(position))->sceneBoundingRect();
}
QString MainChart::categoryLabelText(int position) const {
  return nameLabels_.at(static_cast<std::size_t>(position))->text();
}
QRectF MainChart::categoryLabelRect(int position) const {
  return nameLabels_.at(static_cast<std::size_t>(position))->sceneBoundingRect();
}
QRectF MainChart::plotArea() const { return chart()->plotArea(); }
QString MainChart::barToolTip(int position) const {
  const auto& p = bars_.at(static_cast<std::size_t>(position));
  return p.label + QStringLiteral(": ") + QString::number(p.value, 'g', 15);
}

int MainChart::pointCount(Series s) const { return static_cast<int>(points(s).size()); }
double MainChart::value(Series s, int position) const {
  return points(s).at(static_cast<std::size_t>(position)).value;
}
QString MainChart::label(Series s, int position) const {
  return points(s).at(static_cast<std::size_t>(position)).label;
}
double MainChart::leftMin() const { return left_->min(); }
double MainChart::leftMax() const { return left_->max(); }
double MainChart::rightMin() const { return right_->min(); }
double MainChart::rightMax() const { return right_->max(); }

}  // namespace volmar
