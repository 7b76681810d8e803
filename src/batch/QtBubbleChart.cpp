#include "batch/QtBubbleChart.h"

#include <QApplication>

#include "batch/QtRuntime.h"
#include "commands/BubbleMap.h"
#include "ui/Unit10.h"

namespace volmar::batch {

bool saveBubbleChartBitmap(BatchShell& shell, const BubbleChart& chart) {
  ensureQtApplication();
  TForm10 form(shell, chart);
  form.setAttribute(Qt::WA_DeleteOnClose, false);
  // Laid out and painted as on screen, without a screen.
  form.setAttribute(Qt::WA_DontShowOnScreen);
  form.show();
  QApplication::processEvents();
  const bool written = savechart1Click(shell, form.saveDialog1(), [&] { return form.bitmap(); });
  form.close();
  return written;
}

}  // namespace volmar::batch
