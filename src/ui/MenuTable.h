#pragma once

#include <span>

#include "commands/MenuItem.h"

namespace volmar {

// One item of the main menu as designed: where it hangs, its caption with the
// accelerator letter, its hint, its help topic and how it starts out.
struct MenuEntry {
  MenuItem item;
  MenuItem parent;      // MenuItem::Count_ for the items of the menu bar
  const char* caption;
  const char* hint;     // "" = none
  int helpContext;      // 0 = none
  bool enabled;         // as designed, before the main window is created
  bool visible;
  bool submenu;
  bool separatorBefore;
  const char* shortcut;  // "" = none
};

// Every item, parents before their children, in menu order.
std::span<const MenuEntry> menuTable();
const MenuEntry& menuEntry(MenuItem item);

// Help topic of the main window itself.
inline constexpr int MainWindowHelpContext = 1;
// Topic that F1 opens.
inline constexpr int HelpFileTopic = 5;

}  // namespace volmar
