#pragma once

#include <array>
#include <string>

#include "commands/Context.h"

namespace volmar {

// "Set parameters": the state of the dialog's controls and what they do.
// Creating it fills the edits (defaults at first use, the stored values
// afterwards).
class ParamDialog {
 public:
  explicit ParamDialog(Context& ctx);

  // Edit1..Edit8: lower, upper, trials, epochs, learning rate,
  // neighbourhood range, lifetime, replications.
  std::array<std::string, 8> edits;
  bool checkBox1 = true;  // perform neighbour update
  bool radioButton1 = false;  // Tanimoto
  bool radioButton2 = false;  // Euclidean

  void selectTanimoto();
  void selectEuclidean();
  // "&OK": true when the dialog closes, false when it stays open.
  bool ok();

 private:
  Context& ctx_;
};

}  // namespace volmar
