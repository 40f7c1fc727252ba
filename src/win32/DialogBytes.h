// A dialog of the window template as the Windows dialog manager reads it: a
// DLGTEMPLATE followed by one DLGITEMTEMPLATE per control, built in memory
// from the same table the other desktop views build their windows from.
// Window thread.
#pragma once

#include <cstdint>
#include <vector>

#include "station/WindowTemplate.h"

namespace ditdahl {

// What the frame of the window looks like beyond the template's table.
struct DialogFrame {
    bool centred = false;      // on the screen; else at the owner's client origin
    bool minimiseBox = false;  // and a task-bar button of its own
};

// The window class and styles a control of the table is created with.
struct ControlClass {
    std::uint16_t atom = 0;         // a predefined class, or 0 for a named one
    const wchar_t* name = nullptr;  // a common control's class
    std::uint32_t style = 0;
    std::uint32_t extendedStyle = 0;
};

ControlClass controlClass(const ControlTemplate& control);

// The template, in 16-bit words as it lies in memory (the vector's storage is
// aligned for DLGTEMPLATE). The menu is not part of it: the dialog gets it at
// run time.
std::vector<std::uint16_t> dialogBytes(const DialogTemplate& dialog, const DialogFrame& frame);

}  // namespace ditdahl
