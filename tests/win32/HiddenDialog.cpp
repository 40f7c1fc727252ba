#include "HiddenDialog.h"

#include <commctrl.h>

#include <vector>

#include "win32/DialogBytes.h"

namespace ditdahl::testing {
namespace {

INT_PTR CALLBACK plainDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

HiddenDialog::HiddenDialog(const DialogTemplate& dialog) {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    const std::vector<std::uint16_t> bytes = dialogBytes(dialog, DialogFrame{});
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                         nullptr, &plainDialog, 0);
}

HiddenDialog::~HiddenDialog() {
    if (window_) DestroyWindow(window_);
}

}  // namespace ditdahl::testing
