#include "commands/DataMatrixDialog.h"

#include <optional>

#include "core/Limits.h"
#include "core/NumberReader.h"

namespace volmar {

DataShape DataShape::of(const Workspace& ws) {
  return {ws.NumCases, ws.NumVars, ws.KBlocks, ws.KSamples, ws.BlockSize, ws.CaseFirst};
}

DataMatrixDialog::DataMatrixDialog(Context& ctx) : shape(DataShape::of(ctx.ws)), ctx_(ctx) {}

void DataMatrixDialog::selectKBlock() {
  kblock = true;
  ksample = false;
  askforfnEnabled = false;
  bssizeEnabled = true;
  selectCaseFirst();
}

void DataMatrixDialog::selectKSample() {
  ksample = true;
  kblock = false;
  askforfnEnabled = true;
}

void DataMatrixDialog::selectCaseFirst() {
  casefirst = true;
  measfirst = false;
  shape.CaseFirst = true;
}

void DataMatrixDialog::selectMeasFirst() {
  measfirst = true;
  casefirst = false;
  shape.CaseFirst = false;
}

void DataMatrixDialog::help() { ctx_.shell.message("Use the context-specific hints."); }

namespace {

// Converts one entry; on a bad entry shows why and returns nothing.
std::optional<int> entry(Shell& shell, const std::string& text, int lo, int hi, const char* what) {
  const auto v = parseIntegerEntry(text);
  const auto refuse = [&](const std::string& entered) {
    shell.message(std::string("The ") + what + " must be from " + std::to_string(lo) + " to " +
                  std::to_string(hi) + "; " + entered + " was entered." + LineBreak +
                  "Please correct the entry.");
    return std::nullopt;
  };
  if (!v) {
    // Digits beyond 32 bits are a number all the same, just far too large.
    if (isIntegerEntry(text)) return refuse(quoteToken(text));
    shell.message(quoteToken(text) + " is not a valid integer value");
    return std::nullopt;
  }
  if (*v < lo || *v > hi) return refuse(std::to_string(*v));
  return *v;
}

}  // namespace

bool DataMatrixDialog::ok() {
  Shell& sh = ctx_.shell;
  const auto cases = entry(sh, edit1, 1, MaxCases, "number of cases");
  if (!cases) return false;
  const auto vars = entry(sh, edit2, 1, MaxVars, "number of variables");
  if (!vars) return false;
  int block = 1;
  if (kblock) {
    const auto b = entry(sh, bssize, 1, MaxBlocks, "block size");
    if (!b) return false;
    block = *b;
  }
  shape.NumCases = *cases;
  shape.NumVars = *vars;
  shape.KBlocks = kblock;
  shape.KSamples = ksample;
  shape.BlockSize = block;
  return true;
}

}  // namespace volmar
