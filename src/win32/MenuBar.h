// The main window's menu bar, built at run time from the menu table: one
// drop-down menu per name, in table order. Window thread.
#pragma once

#include <span>

#include "shell/WindowProcedure.h"
#include "station/WindowTemplate.h"

namespace ditdahl {

// A new menu bar (an HMENU); the window it is given to destroys it.
void* buildMenuBar(std::span<const MenuItemTemplate> items);

// Ticks the items that show a tick as the procedure says.
void showMenuTicks(void* menuBar, std::span<const MenuItemTemplate> items, const WindowProcedure& procedure);

}  // namespace ditdahl
