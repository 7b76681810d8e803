#include "commands/ParamDialog.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/Limits.h"
#include "core/NumberFormat.h"
#include "core/NumberReader.h"

namespace volmar {

namespace {

// Longest edge lifetime the 8-bit edge ages can count up to.
constexpr double MaxLifetime = 127;

}  // namespace

ParamDialog::ParamDialog(Context& ctx) : ctx_(ctx) {
  Workspace& ws = ctx_.ws;
  if (ws.ParamsEntered) {
    edits = {std::to_string(ws.LowerLimit),        std::to_string(ws.UpperLimit),
             std::to_string(ws.NumTrials),         std::to_string(ws.NumEpochs),
             formatGeneral(ws.InitLearningRate),   formatGeneral(ws.InitNeighborRange),
             formatGeneral(ws.InitLifetime),       formatGeneral(ws.NumReplications)};
    checkBox1 = ws.NeighborUpdate;
    if (ws.DistanceKind == DistTanimoto) radioButton1 = true;
    if (ws.DistanceKind == DistEuclidean) radioButton2 = true;
  } else {
    edits = {"1", "4", "100", "50", "0.3", "2", "1", "1"};
    selectEuclidean();
  }
}

void ParamDialog::selectTanimoto() {
  radioButton1 = true;
  radioButton2 = false;
  ctx_.ws.DistanceKind = DistTanimoto;
}

void ParamDialog::selectEuclidean() {
  radioButton2 = true;
  radioButton1 = false;
  ctx_.ws.DistanceKind = DistEuclidean;
}

namespace {

struct ConversionFailed {};
struct OutOfRange {};

class Converter {
 public:
  explicit Converter(Shell& shell) : shell_(shell) {}

  int integer(const std::string& text, const char* what, std::int64_t lo, std::int64_t hi,
              const std::string& rangeText) {
    const auto v = parseIntegerEntry(text);
    if (!v && isIntegerEntry(text)) refuse(what, text, rangeText);  // digits beyond 32 bits
    if (!v) throw ConversionFailed{};
    if (*v < lo || *v > hi) refuse(what, text, rangeText);
    return *v;
  }

  double real(const std::string& text, const char* what, double lo, bool loOpen, double hi,
              bool hiOpen, const std::string& rangeText) {
    const auto v = parseRealEntry(text);
    if (!v && isRealEntry(text)) beyondRange(text);
    if (!v) throw ConversionFailed{};
    // Values too small for a double read as 0, like those of a data file.
    const double d = static_cast<double>(*v);
    if (!std::isfinite(d)) beyondRange(text);
    if ((loOpen ? d <= lo : d < lo) || (hiOpen ? d >= hi : d > hi)) refuse(what, text, rangeText);
    return d;
  }

 private:
  [[noreturn]] void refuse(const char* what, const std::string& text, const std::string& rangeText) {
    shell_.message(std::string("The ") + what + " must be " + rangeText + "; " + quoteToken(text) +
                   " was entered." + LineBreak + "Please correct the entry.");
    throw OutOfRange{};
  }
  [[noreturn]] void beyondRange(const std::string& text) {
    shell_.message(quoteToken(text) + " is beyond the range of the values that can be held." + LineBreak +
                   "Please correct the entry.");
    throw OutOfRange{};
  }
  Shell& shell_;
};

// The values the dialog stores. They are converted into a copy and reach
// the workspace only when the dialog closes, so a refused attempt leaves the
// values of the last accepted one.
struct Entries {
  int LowerLimit, UpperLimit, NumTrials, NumEpochs;
  double InitLearningRate, InitNeighborRange, InitLifetime;
  int NumReplications;

  explicit Entries(const Workspace& ws)
      : LowerLimit(ws.LowerLimit),
        UpperLimit(ws.UpperLimit),
        NumTrials(ws.NumTrials),
        NumEpochs(ws.NumEpochs),
        InitLearningRate(ws.InitLearningRate),
        InitNeighborRange(ws.InitNeighborRange),
        InitLifetime(ws.InitLifetime),
        NumReplications(ws.NumReplications) {}

  void store(Workspace& ws) const {
    ws.LowerLimit = LowerLimit;
    ws.UpperLimit = UpperLimit;
    ws.NumTrials = NumTrials;
    ws.NumEpochs = NumEpochs;
    ws.InitLearningRate = InitLearningRate;
    ws.InitNeighborRange = InitNeighborRange;
    ws.InitLifetime = InitLifetime;
    ws.NumReplications = NumReplications;
  }

  bool usableForTraining() const {
    return LowerLimit >= 1 && LowerLimit <= MaxPrototypes && UpperLimit >= 1 &&
           UpperLimit <= MaxPrototypes && NumTrials >= 0 && NumEpochs >= 1 && InitLearningRate > 0 &&
           InitLearningRate < 1 && InitNeighborRange > 0 && InitLifetime > 0 &&
           InitLifetime < MaxLifetime && NumReplications <= MaxReplications;
  }
};

}  // namespace

bool ParamDialog::ok() {
  Workspace& ws = ctx_.ws;
  Shell& sh = ctx_.shell;
  Converter conv(sh);
  Entries e(ws);
  const std::int64_t intMax = std::numeric_limits<std::int32_t>::max();
  try {
    e.LowerLimit = conv.integer(edits[0], "lower limit for # of prototypes", 1, MaxPrototypes,
                                "from 1 to 30");
    e.UpperLimit = conv.integer(edits[1], "upper limit for # of prototypes", 1, MaxPrototypes,
                                "from 1 to 30");
    e.NumTrials = conv.integer(edits[2], "# of random initializations", 0, intMax, "0 or more");
    // The schedules run over cases x epochs presentations, counted in 32 bits.
    const std::int64_t maxEpochs = ws.NumCases > 0 ? intMax / ws.NumCases : intMax;
    e.NumEpochs = conv.integer(edits[3], "# of training epochs", 1, maxEpochs,
                               "from 1 to " + std::to_string(maxEpochs) + " for " +
                                   std::to_string(ws.NumCases) + " cases");
    e.InitLearningRate =
        conv.real(edits[4], "learning rate", 0, true, 1, true, "above 0 and below 1");
    e.InitNeighborRange = conv.real(edits[5], "adjacency update parameter", 0, true,
                                    std::numeric_limits<double>::max(), false, "above 0");
    e.InitLifetime = conv.real(edits[6], "lifetime parameter", 0, true, MaxLifetime, true,
                               "above 0 and below 127");
    e.NumReplications = conv.integer(edits[7], "# of replications",
                                     std::numeric_limits<std::int32_t>::min(), MaxReplications,
                                     "at most 50");
  } catch (const ConversionFailed&) {
    sh.message("Input  error. Repeat.");
    // The entries after the faulty one keep their earlier values. Before the
    // first accepted set those are not usable for training: let the user
    // repeat the input instead of closing.
    if (!e.usableForTraining()) return false;
  } catch (const OutOfRange&) {
    return false;
  }
  // Whatever the entries converted, replications need a constant number of
  // prototypes: the rule holds for every set the dialog stores.
  if (e.UpperLimit != e.LowerLimit && e.NumReplications > 1) {
    sh.message(std::string("Replication runs require") + LineBreak + "a constant # of prototypes!" +
               LineBreak + "Reps set to unity.");
    e.NumReplications = 1;
  }
  if (e.NumReplications < 1) e.NumReplications = 1;
  if (e.UpperLimit < e.LowerLimit) {
    sh.message("Lower <= upper required; re-enter.");
    return false;
  }
  e.store(ws);
  if (ws.NumReplications < 2) sh.enableMenu(MenuItem::Compareoverreplications1, false);
  ws.NeighborUpdate = checkBox1;
  sh.enableMenu(MenuItem::Subtractiveclustering1, true);
  sh.enableMenu(MenuItem::Run1, true);
  // Stability by bootstrap.
  sh.enableMenu(MenuItem::Stability1, true);
  sh.enableMenu(MenuItem::Globalbootstrap1, true);
  ws.ParamsEntered = true;
  return true;
}

}  // namespace volmar
