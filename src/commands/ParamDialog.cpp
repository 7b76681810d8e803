#include "commands/ParamDialog.h"

namespace volmar {

ParamDialog::ParamDialog(Context& ctx) : ctx_(ctx) {}
void ParamDialog::selectTanimoto() {}
void ParamDialog::selectEuclidean() {}
bool ParamDialog::ok() { return true; }

}  // namespace volmar
