#include "commands/Stability.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "commands/ClassifyingCommands.h"
#include "commands/FileIO.h"
#include "commands/SaveFiles.h"
#include "core/NeuralGas.h"
#include "core/NumberFormat.h"
#include "core/NumberReader.h"
#include "core/Parallel.h"
#include "core/Random.h"
#include "core/Stability.h"

namespace volmar {

namespace {

constexpr int MaxPairs = 1000;

// ---- Reporting ---------------------------------------------------------------

std::string padLeft(const std::string& s, std::size_t width) {
  return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string valueText(double v) { return padLeft(formatPicture(v, "0.000"), 7); }

bool isGlobal(const StabilityResult& r) { return r.settings.kind == StabilityKind::Global; }

// ---- The pairs of a study --------------------------------------------------------

// One pair of fits: its column (number of prototypes or 0 for segments),
// its number within the column and the generator's state it starts from.
struct PairJob {
  int prototypes = 0;
  int column = 0;  // 0-based
  int pair = 0;    // 0-based
  std::uint32_t start = 0;
};

// Every pair of the study in serial order with its start state, from the
// state s0 the study's seed gives.
std::vector<PairJob> planPairs(const Workspace& ws, const StabilitySettings& s, int prototypes, std::uint32_t s0) {
  std::vector<PairJob> jobs;
  std::uint32_t state = s0;
  const int first = s.kind == StabilityKind::Global ? s.lower : prototypes;
  const int last = s.kind == StabilityKind::Global ? s.upper : prototypes;
  for (int n = first; n <= last; ++n) {
    const std::uint64_t draws = 2 * BootstrapFitDraws(ws.NumCases, n, ws.NumTrials, ws.NumEpochs);
    for (int b = 0; b < s.pairs; ++b) {
      jobs.push_back({n, n - first, b, state});
      state = JumpAhead(state, draws);
    }
  }
  return jobs;
}

// What the segment study compares with: the current labels.
struct Reference {
  std::vector<std::int8_t> labels;
  int segments = 0;
};

// Fits the given pairs on all threads; values[job] holds one value (global)
// or one per segment. Waits on the calling thread, showing the progress
// and taking a request to stop between fits.
class PairRunner {
 public:
  PairRunner(Context& ctx, const std::vector<PairJob>& jobs, const StabilitySettings& s, const Reference* ref)
      : ctx_(ctx), jobs_(jobs), settings_(s), ref_(ref), values_(jobs.size()) {}

  std::vector<std::vector<double>> run() {
    const int threads = std::max(1, std::min(EngineThreads(), static_cast<int>(jobs_.size())));
    std::vector<std::thread> workers;
    const auto startTime = std::chrono::steady_clock::now();
    try {
      for (int w = 0; w < threads; ++w) {
        {
          std::lock_guard<std::mutex> lock(mutex_);
          ++running_;  // counted first: a worker that ends at once counts itself out
        }
        try {
          workers.emplace_back([this] { work(); });
        } catch (const std::system_error& e) {
          {
            std::lock_guard<std::mutex> lock(mutex_);
            --running_;
          }
          if (!workers.empty()) break;
          throw CommandError(std::string("The stability study could not start its threads: ") + e.what());
        }
      }
      const int totalFits = 2 * static_cast<int>(jobs_.size());
      int shownFits = -1;
      auto lastShown = startTime;
      for (;;) {
        int fits, running;
        {
          std::unique_lock<std::mutex> lock(mutex_);
          done_.wait_for(lock, std::chrono::milliseconds(50));
          fits = fitsDone_;
          running = running_;
        }
        if (ctx_.stopRequested.load()) stop_.store(true);
        const auto now = std::chrono::steady_clock::now();
        if (fits != shownFits &&
            (shownFits < 0 || now - lastShown > std::chrono::milliseconds(250) || running == 0)) {
          const double elapsed = std::chrono::duration<double>(now - startTime).count();
          const double left = fits > 0 ? elapsed / fits * (totalFits - fits) : -1.0;
          progress(fits, totalFits, left);
          shownFits = fits;
          lastShown = now;
        }
        ctx_.shell.keepResponsive();
        if (running == 0) break;
      }
    } catch (...) {
      stop_.store(true);
      for (std::thread& t : workers) t.join();
      throw;
    }
    for (std::thread& t : workers) t.join();
    if (failure_) std::rethrow_exception(failure_);
    if (stop_.load()) throw CommandStopped();
    return std::move(values_);
  }

 private:
  void progress(int fits, int total, double left) {
    std::string text = "Stability: " + std::to_string(fits) + " of " + std::to_string(total) + " fits done";
    if (left >= 0 && fits < total) text += ", about " + std::to_string(static_cast<long long>(std::ceil(left))) + " s left";
    ctx_.shell.setStatus(text + "...");
    ctx_.shell.showProgress(fits, total, left);
  }

  void work() {
    const EngineSerialScope serial;  // the other cores fit other pairs
    try {
      BootstrapFitter fitter(ctx_.ws);
      const auto n = static_cast<std::size_t>(ctx_.ws.NumCases);
      std::vector<std::int8_t> a(n), b(n);
      auto table = std::make_unique<PartitionTable>();
      for (;;) {
        if (stop_.load()) break;
        const std::size_t j = next_.fetch_add(1);
        if (j >= jobs_.size()) break;
        const PairJob& job = jobs_[j];
        const std::uint32_t mid = fitter.fit(job.prototypes, job.start, settings_.refine, a.data());
        countFit();
        if (stop_.load()) break;
        const std::uint32_t end = fitter.fit(job.prototypes, mid, settings_.refine, b.data());
        const std::uint64_t draws =
            BootstrapFitDraws(ctx_.ws.NumCases, job.prototypes, ctx_.ws.NumTrials, ctx_.ws.NumEpochs);
        if (end != JumpAhead(job.start, 2 * draws))
          throw std::logic_error("a fit of the stability study drew other numbers than planned");
        std::vector<double>& out = values_[j];
        if (!ref_) {
          table->fill(a.data(), b.data(), static_cast<int>(n));
          out.push_back(AdjustedRandIndex(*table));
        } else {
          out.assign(static_cast<std::size_t>(ref_->segments), 0.0);
          table->fill(ref_->labels.data(), a.data(), static_cast<int>(n));
          for (int m = 1; m <= ref_->segments; ++m) out[static_cast<std::size_t>(m - 1)] = BestJaccard(*table, m);
          table->fill(ref_->labels.data(), b.data(), static_cast<int>(n));
          for (int m = 1; m <= ref_->segments; ++m) {
            double& v = out[static_cast<std::size_t>(m - 1)];
            v = (v + BestJaccard(*table, m)) / 2;
          }
        }
        countFit();
      }
    } catch (...) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
      stop_.store(true);
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --running_;
    }
    done_.notify_all();
  }

  void countFit() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++fitsDone_;
    }
    done_.notify_all();
  }

  Context& ctx_;
  const std::vector<PairJob>& jobs_;
  const StabilitySettings settings_;
  const Reference* ref_;
  std::vector<std::vector<double>> values_;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable done_;
  int fitsDone_ = 0;
  int running_ = 0;  // workers not yet ended
  std::exception_ptr failure_;
};

// ---- Checks ---------------------------------------------------------------------

void checkSettings(const Workspace& ws, const StabilitySettings& s) {
  requireData(ws);
  if (!ws.ParamsEntered || ws.NumEpochs < 1)
    throw CommandError("The training parameters are not set: use Parameterize first.");
  requireLearningSchedule(ws);
  if (s.pairs < 1 || s.pairs > MaxPairs) throw CommandError("The number of pairs must be from 1 to 1000.");
  if (s.kind == StabilityKind::Global && (s.lower < 2 || s.upper > MaxPrototypes || s.lower > s.upper))
    throw CommandError("The numbers of segments must run from 2 to 30, the lower not above the upper.");
  if (s.refine && ws.DistanceKind == DistTanimoto)
    throw CommandError(std::string("Refining moves the prototypes to the means of their classes,") +
                       LineBreak + "which fits the squared Euclidean distance only:" + LineBreak +
                       "choose Euclidean in Parameterize, or leave refining off.");
  requireTrainableDistances(ws, 0);
}

Reference currentSolution(const Context& ctx) {
  const Workspace& ws = ctx.ws;
  const int n = ws.NumPrototypes;
  if (!ctx.names.labelledHere || ws.LabelsPrototypes != n || n < 2 || n > MaxPrototypes)
    throw CommandError(std::string("No segments are current:") + LineBreak +
                       "train two or more prototypes, recall or refine first.");
  const int column = std::clamp(ws.LabelsReplications, 1, MaxReplications);
  Reference ref;
  ref.segments = n;
  ref.labels.resize(static_cast<std::size_t>(ws.NumCases));
  for (int c = 1; c <= ws.NumCases; ++c) ref.labels[static_cast<std::size_t>(c - 1)] = ws.ClassLabels(c, column);
  return ref;
}

StabilityResult emptyResult(const StabilitySettings& s, int prototypes) {
  StabilityResult r;
  r.settings = s;
  if (s.kind == StabilityKind::Global) {
    for (int n = s.lower; n <= s.upper; ++n) r.columns.push_back(std::to_string(n));
  } else {
    r.settings.lower = r.settings.upper = prototypes;
    for (int m = 1; m <= prototypes; ++m) r.columns.push_back(std::to_string(m));
  }
  r.values.assign(r.columns.size(), std::vector<double>(static_cast<std::size_t>(s.pairs), 0.0));
  return r;
}

// Shows a finished study: its lines, its chart, and keeps it for saving.
void report(Context& ctx, StabilityResult r) {
  Shell& sh = ctx.shell;
  for (const std::string& line : stabilityLines(r)) sh.appendLine(line);
  sh.selectLastLine();
  sh.repaintList();
  sh.showStabilityChart(stabilityChart(r));
  ctx.stability = std::make_shared<const StabilityResult>(std::move(r));
  sh.enableMenu(MenuItem::Stabilityvalues1, true);
}

// ---- Part files ---------------------------------------------------------------------

constexpr const char* PartHeading = "volmar stability part";

std::uint64_t fnv(std::uint64_t h, const void* data, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

template <typename T>
std::uint64_t fnvValue(std::uint64_t h, T v) {
  return fnv(h, &v, sizeof v);
}

// What identifies a study: its data, its parameters, its seed and its split.
std::uint64_t studyHash(const Workspace& ws, const StabilitySettings& s, std::uint32_t s0, int tasks) {
  std::uint64_t h = 14695981039346656037ull;
  h = fnvValue(h, ws.NumCases);
  h = fnvValue(h, ws.NumVars);
  for (int c = 1; c <= ws.NumCases; ++c)
    h = fnv(h, ws.DataMatrix.row(c), sizeof(float) * static_cast<std::size_t>(ws.NumVars));
  for (int v : {static_cast<int>(s.kind), s.lower, s.upper, s.pairs, s.refine ? 1 : 0, ws.NumTrials, ws.NumEpochs,
                ws.DistanceKind, ws.NeighborUpdate ? 1 : 0, tasks})
    h = fnvValue(h, v);
  for (double v : {ws.InitLearningRate, ws.InitNeighborRange, ws.InitLifetime}) h = fnvValue(h, v);
  return fnvValue(h, s0);
}

std::string hex(std::uint64_t v) {
  char buf[17];
  for (int i = 15; i >= 0; --i, v >>= 4) buf[i] = "0123456789abcdef"[v & 15];
  buf[16] = 0;
  return buf;
}

std::string exact(double v) {
  char buf[40];
  const auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

std::string partText(const StabilityResult& r, std::uint64_t study, const StabilitySplit& split,
                     const std::vector<PairJob>& jobs, const std::vector<std::vector<double>>& values) {
  const StabilitySettings& s = r.settings;
  std::string t;
  const auto line = [&t](const std::string& l) { t += l + "\r\n"; };
  line(PartHeading);
  line("study " + hex(study));
  line("tasks " + std::to_string(split.tasks));
  line("task " + std::to_string(split.task));
  line("lower " + std::to_string(s.lower));
  line("upper " + std::to_string(s.upper));
  line("pairs " + std::to_string(s.pairs));
  line(std::string("refine ") + (s.refine ? "yes" : "no"));
  for (std::size_t j = 0; j < jobs.size(); ++j)
    line("value " + std::to_string(jobs[j].prototypes) + " " + std::to_string(jobs[j].pair + 1) + " " +
         exact(values[j].at(0)));
  line("end");
  return t;
}

struct Part {
  std::string file;
  std::string study;
  int tasks = 0, task = 0;
  StabilitySettings settings;
  struct Value {
    int prototypes, pair;
    double value;
  };
  std::vector<Value> values;
};

Part readPart(const std::string& file) {
  const std::string text = readTextFile(file);
  Part p;
  p.file = file;
  const auto bad = [&file](const std::string& why) {
    return CommandError(file + " is not a complete stability part file: " + why + ".");
  };
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t e = text.find('\n', pos);
    if (e == std::string::npos) e = text.size();
    std::string l = text.substr(pos, e - pos);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
    pos = e + 1;
  }
  if (lines.empty() || lines[0] != PartHeading) throw bad("its first line is not \"" + std::string(PartHeading) + "\"");
  bool ended = false;
  const auto integer = [&](const std::string& v) {
    int x = 0;
    const auto res = std::from_chars(v.data(), v.data() + v.size(), x);
    if (res.ec != std::errc() || res.ptr != v.data() + v.size()) throw bad("'" + v + "' is not a whole number");
    return x;
  };
  for (std::size_t k = 1; k < lines.size(); ++k) {
    const std::string& l = lines[k];
    if (l.empty()) continue;
    if (ended) throw bad("lines follow its end");
    const std::size_t sp = l.find(' ');
    const std::string key = l.substr(0, sp);
    const std::string rest = sp == std::string::npos ? "" : l.substr(sp + 1);
    if (key == "end") {
      ended = true;
    } else if (key == "study") {
      p.study = rest;
    } else if (key == "tasks") {
      p.tasks = integer(rest);
    } else if (key == "task") {
      p.task = integer(rest);
    } else if (key == "lower") {
      p.settings.lower = integer(rest);
    } else if (key == "upper") {
      p.settings.upper = integer(rest);
    } else if (key == "pairs") {
      p.settings.pairs = integer(rest);
    } else if (key == "refine") {
      p.settings.refine = rest == "yes";
    } else if (key == "value") {
      const std::size_t a = rest.find(' ');
      const std::size_t b = a == std::string::npos ? a : rest.find(' ', a + 1);
      if (b == std::string::npos) throw bad("a value line lacks its numbers");
      Part::Value v{integer(rest.substr(0, a)), integer(rest.substr(a + 1, b - a - 1)), 0.0};
      const std::string num = rest.substr(b + 1);
      const auto res = std::from_chars(num.data(), num.data() + num.size(), v.value);
      if (res.ec != std::errc() || res.ptr != num.data() + num.size()) throw bad("'" + num + "' is not a number");
      p.values.push_back(v);
    } else {
      throw bad("unknown line '" + l + "'");
    }
  }
  if (!ended) throw bad("it has no end line (it may have been cut off)");
  if (p.study.empty() || p.tasks < 1 || p.task < 1 || p.task > p.tasks) throw bad("its study or task is missing");
  const StabilitySettings& s = p.settings;
  if (s.lower < 2 || s.upper > MaxPrototypes || s.lower > s.upper || s.pairs < 1 || s.pairs > MaxPairs)
    throw bad("its settings are out of range");
  return p;
}

// ---- The menu commands' dialog ------------------------------------------------------

void runDialog(Context& ctx, StabilityKind kind) {
  StabilityDialog d = stabilityDialogFor(ctx.ws, kind);
  if (kind == StabilityKind::Segments) currentSolution(ctx);  // refuse before asking
  if (!ctx.shell.showStabilityDialog(d)) return;
  runStability(ctx, readStabilityDialog(d));
}

}  // namespace

FiveNumbers fiveNumbers(std::vector<double> v) {
  FiveNumbers f;
  if (v.empty()) return f;
  std::sort(v.begin(), v.end());
  const auto q = [&v](double p) {
    const double h = static_cast<double>(v.size() - 1) * p;
    const auto lo = static_cast<std::size_t>(std::floor(h));
    const std::size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (h - static_cast<double>(lo)) * (v[hi] - v[lo]);
  };
  f.minimum = v.front();
  f.q1 = q(0.25);
  f.median = q(0.5);
  f.q3 = q(0.75);
  f.maximum = v.back();
  return f;
}

std::vector<std::string> stabilityLines(const StabilityResult& r) {
  const StabilitySettings& s = r.settings;
  std::vector<std::string> lines;
  lines.push_back(" ");
  std::string title = isGlobal(r) ? "   Global stability (bootstrap), adjusted Rand index"
                                  : "   Segment-level stability (bootstrap), Jaccard coefficient, " +
                                        std::to_string(s.lower) + " segments";
  title += ", " + std::to_string(s.pairs) + " pairs";
  if (s.refine) title += ", refined";
  lines.push_back(title);
  lines.push_back(padLeft(isGlobal(r) ? "N" : "segment", 10) + "    min     Q1 median     Q3    max");
  for (std::size_t c = 0; c < r.columns.size(); ++c) {
    const FiveNumbers f = fiveNumbers(r.values[c]);
    lines.push_back(padLeft(r.columns[c], 10) + valueText(f.minimum) + valueText(f.q1) + valueText(f.median) +
                    valueText(f.q3) + valueText(f.maximum));
  }
  return lines;
}

StabilityChart stabilityChart(const StabilityResult& r) {
  StabilityChart chart;
  if (isGlobal(r)) {
    chart.title = "Global stability (" + std::to_string(r.settings.pairs) + " bootstrap pairs)";
    chart.xLabel = "# of segments (prototypes)";
    chart.yLabel = "adjusted Rand index";
  } else {
    chart.title = "Segment-level stability of " + std::to_string(r.settings.lower) + " segments (" +
                  std::to_string(r.settings.pairs) + " bootstrap pairs)";
    chart.xLabel = "segment";
    chart.yLabel = "Jaccard coefficient";
  }
  for (std::size_t c = 0; c < r.columns.size(); ++c) {
    const FiveNumbers f = fiveNumbers(r.values[c]);
    chart.boxes.push_back({r.columns[c], f.minimum, f.q1, f.median, f.q3, f.maximum});
  }
  return chart;
}

std::string stabilityValuesText(const StabilityResult& r) {
  std::string t;
  const std::size_t pairs = r.values.empty() ? 0 : r.values[0].size();
  for (std::size_t b = 0; b < pairs; ++b) {
    for (std::size_t c = 0; c < r.values.size(); ++c) {
      if (c > 0) t += '\t';
      t += formatGeneral(r.values[c][b]);
    }
    t += "\r\n";
  }
  return t;
}

StabilityDialog stabilityDialogFor(const Workspace& ws, StabilityKind kind) {
  StabilityDialog d;
  d.kind = kind;
  const int upper = std::clamp(ws.UpperLimit, 2, MaxPrototypes);
  d.lower = std::to_string(std::clamp(ws.LowerLimit, 2, upper));
  d.upper = std::to_string(upper);
  d.pairs = "100";
  d.refineAllowed = ws.DistanceKind != DistTanimoto;
  return d;
}

StabilitySettings readStabilityDialog(const StabilityDialog& d) {
  StabilitySettings s;
  s.kind = d.kind;
  const auto whole = [](const std::string& text, const char* what) {
    const auto v = parseIntegerEntry(text);
    if (!v) throw CommandError("'" + text + "' is not a whole number: enter the " + what + ".");
    return *v;
  };
  if (d.kind == StabilityKind::Global) {
    s.lower = whole(d.lower, "lowest number of segments");
    s.upper = whole(d.upper, "highest number of segments");
    if (s.lower < 2 || s.upper > MaxPrototypes || s.lower > s.upper)
      throw CommandError("The numbers of segments must run from 2 to 30, the lower not above the upper.");
  }
  s.pairs = whole(d.pairs, "number of pairs");
  if (s.pairs < 1 || s.pairs > MaxPairs) throw CommandError("The number of pairs must be from 1 to 1000.");
  s.refine = d.refine && d.refineAllowed;
  return s;
}

void runStability(Context& ctx, const StabilitySettings& settings, const StabilitySplit& split) {
  Workspace& ws = ctx.ws;
  Shell& sh = ctx.shell;
  ctx.stopRequested.store(false);
  checkSettings(ws, settings);
  if (split.tasks < 1 || split.task < 1 || split.task > split.tasks)
    throw CommandError("The task must be from 1 to the number of tasks.");
  if (split.tasks > 1 && settings.kind != StabilityKind::Global)
    throw CommandError("Only the global stability study can be split into tasks.");
  if (split.tasks > 1 && split.partFile.empty()) throw CommandError("A task of a split study needs a part file.");
  Reference ref;
  if (settings.kind == StabilityKind::Segments) ref = currentSolution(ctx);
  StabilityResult result = emptyResult(settings, ref.segments);
  if (!split.partFile.empty() && !split.replacePart && fileExists(split.partFile))
    throw FileExistsError(split.partFile);

  ws.Rng.seedFromClock();
  const std::uint32_t s0 = ws.Rng.state();
  std::vector<PairJob> jobs = planPairs(ws, result.settings, ref.segments, s0);
  if (split.tasks > 1) {
    std::vector<PairJob> mine;
    for (std::size_t p = 0; p < jobs.size(); ++p)
      if (static_cast<int>(p % static_cast<std::size_t>(split.tasks)) == split.task - 1) mine.push_back(jobs[p]);
    jobs = std::move(mine);
  }
  sh.setBusyCursor(true);
  std::vector<std::vector<double>> values;
  try {
    values = PairRunner(ctx, jobs, result.settings, settings.kind == StabilityKind::Segments ? &ref : nullptr).run();
  } catch (...) {
    sh.endProgress();
    sh.setBusyCursor(false);
    sh.setStatus("Stability study stopped.");
    throw;
  }
  sh.endProgress();
  sh.setBusyCursor(false);
  if (!split.partFile.empty()) {
    const std::string text = partText(result, studyHash(ws, result.settings, s0, split.tasks), split, jobs, values);
    if (split.replacePart)
      writeFileReplacing(split.partFile, text);
    else
      writeNewFile(split.partFile, text);
    sh.setStatus("Done.");
    sh.message("Part " + std::to_string(split.task) + " of " + std::to_string(split.tasks) + " written to " +
               split.partFile + ".");
    return;
  }
  for (std::size_t j = 0; j < jobs.size(); ++j) {
    const PairJob& job = jobs[j];
    for (std::size_t k = 0; k < values[j].size(); ++k)
      result.values[static_cast<std::size_t>(job.column) + k][static_cast<std::size_t>(job.pair)] = values[j][k];
  }
  report(ctx, std::move(result));
  sh.beep();
  sh.setStatus("Done.");
}

void mergeStabilityParts(Context& ctx, const std::vector<std::string>& files) {
  if (files.empty()) throw CommandError("Name the part files to merge.");
  std::vector<Part> parts;
  for (const std::string& f : files) parts.push_back(readPart(f));
  const Part& first = parts.front();
  std::map<int, std::string> byTask;
  for (const Part& p : parts) {
    if (p.study != first.study || p.tasks != first.tasks)
      throw CommandError(p.file + " belongs to another study than " + first.file +
                         " (other data, parameters, seed or number of tasks).");
    const auto [it, fresh] = byTask.emplace(p.task, p.file);
    if (!fresh)
      throw CommandError("Part " + std::to_string(p.task) + " of " + std::to_string(p.tasks) + " is given twice: " +
                         it->second + " and " + p.file + ".");
  }
  for (int t = 1; t <= first.tasks; ++t)
    if (!byTask.count(t))
      throw CommandError("Part " + std::to_string(t) + " of " + std::to_string(first.tasks) + " is missing.");
  StabilitySettings s = first.settings;
  s.kind = StabilityKind::Global;
  StabilityResult result = emptyResult(s, 0);
  std::vector<std::vector<char>> seen(result.columns.size(), std::vector<char>(static_cast<std::size_t>(s.pairs), 0));
  for (const Part& p : parts)
    for (const Part::Value& v : p.values) {
      if (v.prototypes < s.lower || v.prototypes > s.upper || v.pair < 1 || v.pair > s.pairs)
        throw CommandError(p.file + " holds a value outside its study.");
      char& mark = seen[static_cast<std::size_t>(v.prototypes - s.lower)][static_cast<std::size_t>(v.pair - 1)];
      if (mark) throw CommandError(p.file + " repeats a pair of another part.");
      mark = 1;
      result.values[static_cast<std::size_t>(v.prototypes - s.lower)][static_cast<std::size_t>(v.pair - 1)] = v.value;
    }
  for (const auto& column : seen)
    if (std::find(column.begin(), column.end(), 0) != column.end())
      throw CommandError("The parts do not hold every pair of the study: a part file is incomplete.");
  report(ctx, std::move(result));
  ctx.shell.setStatus("Done.");
}

void globalbootstrap1Click(Context& ctx) { runDialog(ctx, StabilityKind::Global); }
void segmentsbootstrap1Click(Context& ctx) { runDialog(ctx, StabilityKind::Segments); }

void stabilityvalues1Click(Context& ctx) {
  if (!ctx.stability) throw CommandError("No stability study has been run yet.");
  const auto choice = chooseSaveFile(ctx.shell, ctx.stabilityDialog, "txt", "*.txt", 1);
  if (!choice) return;
  ctx.shell.setStatus("Save stability values...");
  if (!writeChosenFile(ctx.shell, ctx.stabilityDialog, *choice, stabilityValuesText(*ctx.stability))) return;
  ctx.shell.message("Stability values written.");
  ctx.shell.setStatus("Done.");
}

}  // namespace volmar
