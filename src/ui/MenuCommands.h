#pragma once

#include "commands/Context.h"

namespace volmar {

using Command = void (*)(Context&);

// The command a menu item runs, or nullptr when the item has none (yet) or
// is handled by the main window itself (Quit, About, Help, Import).
Command commandOf(MenuItem item);

}  // namespace volmar
