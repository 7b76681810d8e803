#pragma once

#include <string>

#include "commands/Context.h"

namespace volmar {

// The shape of the data matrix that the dialog defines. It describes the
// rows of a data file and reaches the workspace only together with them, so
// a file that cannot be read leaves the data held before intact.
struct DataShape {
  int NumCases = 0;
  int NumVars = 0;
  bool KBlocks = false;
  bool KSamples = false;
  int BlockSize = 1;
  bool CaseFirst = false;

  static DataShape of(const Workspace& ws);
};

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
  // "&OK": true when the entries were accepted and stored in `shape` (the
  // dialog then closes); false after a message naming the faulty entry (it
  // stays open).
  bool ok();

  // What the dialog defines: the workspace's shape at first, the entries
  // once OK accepted them. The data-order buttons change CaseFirst here at
  // once, whether the dialog ends with OK or Cancel.
  DataShape shape;

 private:
  Context& ctx_;
};

}  // namespace volmar
