// Importing 30000 cases: a CSV file of 100 variables (";" and decimal
// commas, an ID column) and an SPSS file of 300 variables written by
// ReadStat's tool (100 chosen), beside File > Open of the same numbers as
// a plain data file. Peak memory of the whole process is reported as the
// counter "maxrss_MB" (the workspace alone takes some 15 MB).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "NullShell.h"
#include "commands/DataReading.h"
#include "commands/FileIO.h"
#include "commands/Import.h"

namespace {

namespace fs = std::filesystem;

constexpr int Cases = 30000;

fs::path folder() {
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / "volmar-bench-import";
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

double value(std::uint32_t& s) {
  s = s * 134775813u + 1u;
  return static_cast<double>(s >> 8) / 16777216.0 * 200.0 - 100.0;
}

// The same numbers three ways: plain data (100 variables), CSV (ID + 100),
// and CSV + metadata for ReadStat's tool (ID + 300, as .sav).
void writeFiles() {
  static bool done = false;
  if (done) return;
  done = true;
  std::ofstream dat(folder() / "data.dat"), csv(folder() / "data.csv"), wide(folder() / "wide.csv");
  csv << "id";
  wide << "id";
  for (int v = 1; v <= 100; ++v) csv << ";v" << v;
  for (int v = 1; v <= 300; ++v) wide << ",v" << v;
  csv << "\r\n";
  wide << "\n";
  std::uint32_t s = 12345;
  char buf[32];
  for (int c = 1; c <= Cases; ++c) {
    csv << c;
    wide << c;
    for (int v = 1; v <= 300; ++v) {
      const double x = value(s);
      std::snprintf(buf, sizeof buf, "%.3f", x);
      wide << ',' << buf;
      if (v > 100) continue;
      dat << (v > 1 ? " " : "") << buf;
      for (char* p = buf; *p; ++p)
        if (*p == '.') *p = ',';
      csv << ';' << buf;
    }
    dat << "\r\n";
    csv << "\r\n";
    wide << "\n";
  }
  std::ofstream meta(folder() / "wide.json");
  meta << R"({"type": "SPSS", "variables": [{"type": "NUMERIC", "name": "id"})";
  for (int v = 1; v <= 300; ++v) meta << R"(, {"type": "NUMERIC", "name": "v)" << v << "\"}";
  meta << "]}";
  meta.close();
  wide.close();
  const std::string cmd = "readstat -f '" + (folder() / "wide.csv").string() + "' '" + (folder() / "wide.json").string() +
                          "' '" + (folder() / "wide.sav").string() + "' >/dev/null";
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "readstat (Debian package readstat) failed: %s\n", cmd.c_str());
}

void reportMemory(benchmark::State& state) {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  state.counters["maxrss_MB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
}

void BM_OpenPlainData(benchmark::State& state) {
  writeFiles();
  auto ws = volmar::Workspace::create();
  for (auto _ : state) {
    const std::string text = volmar::readTextFile((folder() / "data.dat").string());
    ws->NumCases = Cases;
    ws->NumVars = 100;
    benchmark::DoNotOptimize(volmar::readDataRows(*ws, text));
  }
  reportMemory(state);
}

void importFile(benchmark::State& state, const std::string& name) {
  writeFiles();
  auto ws = volmar::Workspace::create();
  volmar::NullShell shell;
  volmar::Context ctx(*ws, shell);
  for (auto _ : state) {
    const volmar::SurveyFile file = volmar::scanSurveyFile((folder() / name).string());
    volmar::ImportOptions o;
    o.id = "id";
    for (int v = 1; v <= 300 && o.variables.size() < 100; v += (name == "wide.sav" ? 3 : 1))
      o.variables.push_back("v" + std::to_string(v));
    volmar::importSurveyData(ctx, file, o);
    if (ws->NumCases != Cases) state.SkipWithError("not every case was imported");
  }
  reportMemory(state);
}

void BM_ImportCsv(benchmark::State& state) { importFile(state, "data.csv"); }
void BM_ImportSav(benchmark::State& state) { importFile(state, "wide.sav"); }

}  // namespace

BENCHMARK(BM_OpenPlainData)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ImportSav)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
