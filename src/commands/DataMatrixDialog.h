#pragma once

#include <string>

#include "commands/Context.h"

namespace volmar {

// "Define data matrix": the state of the dialog's controls and what each of
// them does. The Qt dialog shows this state and calls these methods; it
// keeps no logic of its own.
class DataMatrixDialog {
 public:
  explicit DataMatrixDialog(Context& ctx);

  // Control texts and states, as the window shows them.
  std::string edit1 = "30000";  // # of cases
  std::string edit2 = "100";    // # of vars
  std::string bssize = "20";    // block size
  bool kblock = false;
  bool ksample = false;
  bool casefirst = false;
  bool measfirst = false;
  bool bssizeEnabled = false;
  bool askforfnEnabled = false;

  void selectKBlock();
  void selectKSample();
  void selectCaseFirst();
  void selectMeasFirst();
  void help();
  // "&OK": true when the entries were accepted and stored (the dialog then
  // closes); false after a message naming the faulty entry (it stays open).
  bool ok();

 private:
  Context& ctx_;
};

}  // namespace volmar
