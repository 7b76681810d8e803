#pragma once

#include <optional>
#include <span>
#include <string>

#include "batch/BatchShell.h"
#include "batch/Script.h"

namespace volmar::batch {

// Every command a script can name, one entry per menu command (and the
// batch views of the chart and the tables).
std::span<const CommandSpec> commandTable();

// Why the command cannot run now: its menu item, or the submenu holding
// it, is disabled, as it would be in the main window's menu.
std::optional<std::string> unavailable(const CommandSpec& spec, const BatchShell& shell);

}  // namespace volmar::batch
