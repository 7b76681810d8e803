#include "ui/MainChart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLineSeries>
#include <QValueAxis>
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
  series1_->setLabelsVisible(true);
  series1_->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
  series1_->setLabelsFormat(QStringLiteral("@value"));
  series1_->setLabelsPrecision(8);
  barSet_->setLabelColor(Qt::black);
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
  QStringList cats;
  for (std::size_t i = 0; i < n; ++i) {
    QString text = i < bars_.size() ? bars_[i].label : line_[i].label;
    while (cats.contains(text)) text += QLatin1Char(' ');
    cats << text;
  }
  if (cats != bottom_->categories()) {
    bottom_->clear();
    if (!cats.isEmpty()) bottom_->append(cats);
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
