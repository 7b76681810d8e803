#pragma once

namespace volmar {

// Creates the Qt application object the first time a batch command needs
// to render with Qt (printing to PDF, chart bitmaps). It uses the
// "offscreen" platform unless QT_QPA_PLATFORM says otherwise, and keeps the
// fixed decimal point for every conversion. Scripts without such commands
// never create one. Safe to call again; later calls do nothing.
void ensureQtApplication();

}  // namespace volmar
