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

bool usableForTraining(const Workspace& ws) {
  return ws.LowerLimit >= 1 && ws.LowerLimit <= MaxPrototypes && ws.UpperLimit >= 1 &&
         ws.UpperLimit <= MaxPrototypes && ws.NumTrials >= 0 && ws.NumEpochs >= 1 &&
         ws.InitLearningRate > 0 && ws.InitLearningRate < 1 && ws.InitNeighborRange > 0 &&
         ws.InitLifetime > 0 && ws.InitLifetime < MaxLifetime && ws.NumReplications <= MaxReplications;
}

}  // namespace

bool ParamDialog::ok() {
  Workspace& ws = ctx_.ws;
  Shell& sh = ctx_.shell;
  Converter conv(sh);
  const std::int64_t intMax = std::numeric_limits<std::int32_t>::max();
  try {
    ws.LowerLimit = conv.integer(edits[0], "lower limit for # of prototypes", 1, MaxPrototypes,
                                 "from 1 to 30");
    ws.UpperLimit = conv.integer(edits[1], "upper limit for # of prototypes", 1, MaxPrototypes,
                                 "from 1 to 30");
    ws.NumTrials = conv.integer(edits[2], "# of random initializations", 0, intMax, "0 or more");
    // The schedules run over cases x epochs presentations, counted in 32 bits.
    const std::int64_t maxEpochs = ws.NumCases > 0 ? intMax / ws.NumCases : intMax;
    ws.NumEpochs = conv.integer(edits[3], "# of training epochs", 1, maxEpochs,
                                "from 1 to " + std::to_string(maxEpochs) + " for " +
                                    std::to_string(ws.NumCases) + " cases");
    ws.InitLearningRate =
        conv.real(edits[4], "learning rate", 0, true, 1, true, "above 0 and below 1");
    ws.InitNeighborRange = conv.real(edits[5], "adjacency update parameter", 0, true,
                                     std::numeric_limits<double>::max(), false, "above 0");
    ws.InitLifetime = conv.real(edits[6], "lifetime parameter", 0, true, MaxLifetime, true,
                                "above 0 and below 127");
    ws.NumReplications = conv.integer(edits[7], "# of replications",
                                      std::numeric_limits<std::int32_t>::min(), MaxReplications,
                                      "at most 50");
    if (ws.UpperLimit != ws.LowerLimit && ws.NumReplications > 1) {
      sh.message(std::string("Replication runs require") + LineBreak +
                 "a constant # of prototypes!" + LineBreak + "Reps set to unity.");
      ws.NumReplications = 1;
    }
  } catch (const ConversionFailed&) {
    sh.message("Input  error. Repeat.");
    // The entries after the faulty one keep their earlier values. Before the
    // first accepted set those are not usable for training: let the user
    // repeat the input instead of closing.
    if (!usableForTraining(ws)) return false;
  } catch (const OutOfRange&) {
    return false;
  }
  if (ws.NumReplications < 1) ws.NumReplications = 1;
  if (ws.NumReplications < 2) sh.enableMenu(MenuItem::Compareoverreplications1, false);
  if (ws.UpperLimit < ws.LowerLimit) {
    sh.message("Lower <= upper required; re-enter.");
    return false;
  }
  ws.NeighborUpdate = checkBox1;
  sh.enableMenu(MenuItem::Subtractiveclustering1, true);
  sh.enableMenu(MenuItem::Run1, true);
  ws.ParamsEntered = true;
  return true;
}

}  // namespace volmar
