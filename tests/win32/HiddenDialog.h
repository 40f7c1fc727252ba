// A dialog of the window template created hidden and without a procedure of
// the program's, for reading back what the controls show.
#pragma once

#include <windows.h>

#include "station/WindowTemplate.h"

namespace ditdahl::testing {

class HiddenDialog {
public:
    explicit HiddenDialog(const DialogTemplate& dialog);
    ~HiddenDialog();
    HiddenDialog(const HiddenDialog&) = delete;
    HiddenDialog& operator=(const HiddenDialog&) = delete;

    HWND window() const { return window_; }
    HWND item(int id) const { return GetDlgItem(window_, id); }

private:
    HWND window_ = nullptr;
};

}  // namespace ditdahl::testing
