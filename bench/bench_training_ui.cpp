// A whole training run on the largest data (30000 x 100, 10 prototypes,
// 10 epochs, one replication), once with the desktop window's shell
// (offscreen) and once with a shell that shows nothing: what the display
// adds to the run.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "NullShell.h"
#include "commands/Train.h"
#include "ui/Main.h"
#include "ui/Prompter.h"

namespace {

using namespace volmar;

// Answers every question without a window.
class SilentPrompter : public Prompter {
 public:
  void message(QWidget*, const std::string&) override {}
  Answer askYesNo(QWidget*, const std::string&) override { return Answer::No; }
  Answer askYesNoCancel(QWidget*, const std::string&) override { return Answer::Cancel; }
  std::string inputBox(QWidget*, const std::string&, const std::string&, const std::string& d) override {
    return d;
  }
  bool openFile(QWidget*, FileDialog&) override { return false; }
  bool saveFile(QWidget*, FileDialog&) override { return false; }
  bool dataMatrixDialog(QWidget*, DataMatrixDialog&) override { return false; }
  void paramDialog(QWidget*, ParamDialog&) override {}
  void aboutBox(QWidget*) override {}
  void openHelp(QWidget*, int) override {}
  void prototypesTable(QWidget*, const GridCells&) override {}
  bool printDialog(QWidget*, QPrinter&) override { return false; }
  void printerSetupDialog(QWidget*, QPrinter&) override {}
  std::optional<ImportOptions> importDialog(QWidget*, const SurveyFile&) override { return std::nullopt; }
};

void fill(Workspace& ws) {
  ws.NumCases = 30000;
  ws.NumVars = 100;
  std::uint32_t s = 11;
  for (int i = 1; i <= 30000; ++i)
    for (int v = 1; v <= 100; ++v) {
      s = s * 134775813u + 1u;
      ws.DataMatrix(i, v) = static_cast<float>((s >> 8) % 7 + 1);  // ratings 1..7
    }
  ws.BlockSize = 1;
  ws.LowerLimit = ws.UpperLimit = 10;
  ws.NumTrials = 10;
  ws.NumEpochs = 10;
  ws.NumReplications = 1;
  ws.InitLearningRate = 0.3;
  ws.InitNeighborRange = 2;
  ws.InitLifetime = 1;
  ws.NeighborUpdate = true;
  ws.DistanceKind = DistEuclidean;
  ws.ParamsEntered = true;
}

void BM_TrainingRun_NoDisplay(benchmark::State& state) {
  auto ws = Workspace::create();
  fill(*ws);
  NullShell shell;
  Context ctx(*ws, shell);
  for (auto _ : state) {
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(1));
    run1Click(ctx);
  }
}

void BM_TrainingRun_DesktopWindow(benchmark::State& state) {
  auto ws = Workspace::create();
  fill(*ws);
  SilentPrompter prompter;
  TFMain window(*ws, prompter);
  window.show();
  QCoreApplication::processEvents();
  for (auto _ : state) {
    ws->Rng.setSeedSource(std::make_unique<FixedSeedSource>(1));
    run1Click(window.context());
  }
}

}  // namespace

BENCHMARK(BM_TrainingRun_NoDisplay)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_TrainingRun_DesktopWindow)->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
