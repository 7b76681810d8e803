#include "commands/DataMatrixDialog.h"

namespace volmar {

DataMatrixDialog::DataMatrixDialog(Context& ctx) : ctx_(ctx) {}
void DataMatrixDialog::selectKBlock() {}
void DataMatrixDialog::selectKSample() {}
void DataMatrixDialog::selectCaseFirst() {}
void DataMatrixDialog::selectMeasFirst() {}
void DataMatrixDialog::help() {}
bool DataMatrixDialog::ok() { return true; }

}  // namespace volmar
