// Drawing the segment profile chart at its largest, 30 segments of 100
// variables, as the window and the saved files draw it (layout, then the
// painter routine into an image at the files' width). The baseline is
// clearing an image of the same size, so that the ratio says what the
// drawing itself costs over touching the pixels once. The window repaints
// only what scrolls into view: one screenful is timed too.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "ui/ProfilePainter.h"

namespace {

using namespace volmar;

ProfileChart largestChart() {
  ProfileChart c;
  SegmentProfiles& p = c.numbers;
  p.numSegments = MaxPrototypes;
  p.numVars = MaxVars;
  p.numCases = MaxCases;
  for (int v = 1; v <= MaxVars; ++v) {
    p.variables.push_back({0.2 + 0.006 * v, 0.2, false, 0, 1});
    c.names.push_back("variable " + std::to_string(v) + (v % 4 == 0 ? " with a name too long for its column" : ""));
    c.fileOrder.push_back(v);
  }
  c.similarityOrder = c.fileOrder;
  for (int s = 1; s <= MaxPrototypes; ++s) {
    p.size.push_back(1000);
    p.share.push_back(100.0 / 30);
    for (int v = 1; v <= MaxVars; ++v) {
      p.prototype.push_back(((s * 53 + v * 29) % 100) / 100.0);
      p.caseMean.push_back(0.5);
      p.caseSd.push_back(0.1);
    }
  }
  return c;
}

void BM_ProfileChart_ClearImage_Baseline(benchmark::State& state) {
  const ProfileChart chart = largestChart();
  const ProfileLayout L = layoutProfileChart(chart, 1200);
  QImage image(static_cast<int>(L.width), static_cast<int>(L.height), QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["height_px"] = L.height;
}

void BM_ProfileChart_LayoutAndPaint_30x100(benchmark::State& state) {
  const ProfileChart chart = largestChart();
  const ProfileLayout first = layoutProfileChart(chart, 1200);
  QImage image(static_cast<int>(first.width), static_cast<int>(first.height), QImage::Format_RGB32);
  for (auto _ : state) {
    const ProfileLayout L = layoutProfileChart(chart, 1200);
    QPainter painter(&image);
    paintProfileChart(painter, chart, L);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}

// What the window repaints when one screenful (1200 x 600, halfway down)
// is exposed: only the rows that meet it are drawn.
void BM_ProfileChart_PaintOneScreenful_30x100(benchmark::State& state) {
  const ProfileChart chart = largestChart();
  const ProfileLayout L = layoutProfileChart(chart, 1200);
  QImage image(static_cast<int>(L.width), static_cast<int>(L.height), QImage::Format_RGB32);
  const QRectF exposed(0, L.height / 2, L.width, 600);
  for (auto _ : state) {
    QPainter painter(&image);
    painter.setClipRect(exposed);
    paintProfileChart(painter, chart, L, exposed);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}

void BM_ProfileChart_LayoutOnly_30x100(benchmark::State& state) {
  const ProfileChart chart = largestChart();
  for (auto _ : state) benchmark::DoNotOptimize(layoutProfileChart(chart, 1200).height);
}

}  // namespace

BENCHMARK(BM_ProfileChart_ClearImage_Baseline)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ProfileChart_LayoutAndPaint_30x100)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ProfileChart_PaintOneScreenful_30x100)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ProfileChart_LayoutOnly_30x100)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
