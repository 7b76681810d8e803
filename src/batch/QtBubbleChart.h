#pragma once

#include "batch/BatchShell.h"

namespace volmar::batch {

// The bubble window's "&Save chart" in a batch run: the chart is drawn in
// an offscreen TForm10 at the window's size and saved as a bitmap through
// the window's own save procedure, the file and the overwrite answer coming
// from the script line. False when the bitmap was not written.
bool saveBubbleChartBitmap(BatchShell& shell, const BubbleChart& chart);

}  // namespace volmar::batch
