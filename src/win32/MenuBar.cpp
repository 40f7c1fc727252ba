#include "win32/MenuBar.h"

#include <windows.h>

#include <string>

namespace ditdahl {

void* buildMenuBar(std::span<const MenuItemTemplate> items) {
    const HMENU bar = CreateMenu();
    HMENU current = nullptr;
    std::string_view currentName;
    for (const MenuItemTemplate& item : items) {
        if (!current || item.menu != currentName) {
            currentName = item.menu;
            current = CreatePopupMenu();
            AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(current), std::string(item.menu).c_str());
        }
        AppendMenuA(current, MF_STRING, static_cast<UINT_PTR>(item.id), std::string(item.caption).c_str());
    }
    return bar;
}

void showMenuTicks(void* menuBar, std::span<const MenuItemTemplate> items, const WindowProcedure& procedure) {
    for (const MenuItemTemplate& item : items) {
        if (!item.ticked) continue;
        const UINT state = procedure.menuItemTicked(item.id) ? MF_CHECKED : MF_UNCHECKED;
        CheckMenuItem(static_cast<HMENU>(menuBar), static_cast<UINT>(item.id), MF_BYCOMMAND | state);
    }
}

}  // namespace ditdahl
