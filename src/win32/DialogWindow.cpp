#include "win32/DialogWindow.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "shell/AutomaticButtons.h"
#include "station/ControlIds.h"
#include "win32/MenuBar.h"
#include "win32/WideText.h"

namespace ditdahl {
namespace {

// Posted to the dialog whenever the program posts a message to the window.
constexpr UINT wakeMessage = WM_APP + 1;
constexpr UINT_PTR refreshTimer = 1;
constexpr UINT_PTR secondTimer = 2;

// SetMenu takes the menu bar's height out of the client area: the window
// grows by what the client area lost, so that no control is cut off.
void attachMenu(HWND window, HMENU menu) {
    RECT before{};
    GetClientRect(window, &before);
    SetMenu(window, menu);
    RECT after{};
    GetClientRect(window, &after);
    const int lost = (before.bottom - before.top) - (after.bottom - after.top);
    if (lost <= 0) return;
    RECT frame{};
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, frame.left, frame.top - lost / 2, frame.right - frame.left,
                 frame.bottom - frame.top + lost, SWP_NOZORDER | SWP_NOACTIVATE);
}

HICON loadIcon(int resourceId, int size) {
    return static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

struct DialogAccess {
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrA(window, DWLP_USER, lParam);
            auto* dialog = reinterpret_cast<DialogWindow*>(lParam);
            dialog->window_ = window;
        }
        auto* dialog = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, DWLP_USER));
        if (dialog == nullptr) return FALSE;
        return dialog->handle(message, wParam, lParam);
    }
};

DialogWindow::DialogWindow(ControlModel& model, WindowProcedure& procedure, DialogFrame frame)
    : model_(model), procedure_(procedure), frame_(frame) {}

DialogWindow::~DialogWindow() {
    if (modeless_ && !ending_ && window_) {
        // Gone before its procedure ended: no message reaches this object again.
        const HWND window = static_cast<HWND>(window_);
        SetWindowLongPtrA(window, DWLP_USER, 0);
        DestroyWindow(window);
    }
    for (auto& [id, brush] : brushes_) DeleteObject(static_cast<HBRUSH>(brush));
    for (void* font : fonts_) DeleteObject(static_cast<HFONT>(font));
}

bool DialogWindow::run(void* owner) {
    const std::vector<std::uint16_t> bytes = dialogBytes(model_.dialog(), frame_);
    const INT_PTR result =
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                static_cast<HWND>(owner), &DialogAccess::procedure, reinterpret_cast<LPARAM>(this));
    return result != -1;
}

bool DialogWindow::show(void* owner) {
    modeless_ = true;
    const std::vector<std::uint16_t> bytes = dialogBytes(model_.dialog(), frame_);
    const HWND window =
        CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                   static_cast<HWND>(owner), &DialogAccess::procedure, reinterpret_cast<LPARAM>(this));
    if (!window) return false;
    if (ending_) return true;
    RECT frame{};
    if (owner && GetWindowRect(static_cast<HWND>(owner), &frame)) {
        SetWindowPos(window, nullptr, frame.right, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return true;
}

std::intptr_t DialogWindow::handle(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case WM_INITDIALOG:
            initialise();
            // The dialog manager puts the focus on the first tab stop.
            return TRUE;
        case WM_TIMER:
            if (wParam == refreshTimer) refresh();
            if (wParam == secondTimer && !ending_) {
                procedure_.onSecond();
                afterDispatch();
            }
            return TRUE;
        case wakeMessage:
            refresh();
            return TRUE;
        case WM_COMMAND:
            onControlCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<void*>(lParam));
            return TRUE;
        case WM_VSCROLL:
            onVScroll(LOWORD(wParam), reinterpret_cast<void*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORLISTBOX:
            return controlColour(reinterpret_cast<void*>(wParam), reinterpret_cast<void*>(lParam));
        case WM_INITMENUPOPUP:
            if (menuBar_) showMenuTicks(menuBar_, menu_, procedure_);
            return TRUE;
        case WM_SYSCOMMAND:
            // A modeless dialog's own close box and Alt+F4 close it alone.
            if (!modeless_ || (wParam & 0xFFF0) != SC_CLOSE) return FALSE;
            if (!ending_) procedure_.onMessage({wmClose, 0, 0});
            afterDispatch();
            return TRUE;
        case WM_CLOSE:
            // A request from outside (taskkill) reaches every window of the
            // program: for a modeless dialog it is the program's to decide.
            if (modeless_) {
                PostMessageA(GetWindow(static_cast<HWND>(window_), GW_OWNER), WM_CLOSE, 0, 0);
                return TRUE;
            }
            // The close box, Alt+F4 and a request from outside (taskkill):
            // the procedure decides, and the dialog ends once it has.
            if (!ending_) procedure_.onMessage({wmClose, 0, 0});
            afterDispatch();
            return TRUE;
        default:
            return FALSE;
    }
}

void DialogWindow::initialise() {
    const HWND window = static_cast<HWND>(window_);
    sync_ = std::make_unique<ControlSync>(model_, window_);
    model_.onMessagePosted([window] { PostMessageA(window, wakeMessage, 0, 0); });
    if (iconId_ != 0) {
        SendMessageA(window, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(loadIcon(iconId_, GetSystemMetrics(SM_CXICON))));
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(loadIcon(iconId_, 16)));
    }
    if (!menu_.empty()) {
        menuBar_ = buildMenuBar(menu_);
        attachMenu(window, static_cast<HMENU>(menuBar_));
    }
    for (const ControlTemplate& control : model_.dialog().controls) {
        if (control.id == ids::noId) continue;
        if (const auto request = procedure_.controlFont(control.id)) {
            const HFONT font = CreateFontA(request->pixelHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                                           ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                           request->fixedPitch ? FIXED_PITCH | FF_MODERN : DEFAULT_PITCH,
                                           std::string(request->face).c_str());
            fonts_.push_back(font);
            SendDlgItemMessageA(window, control.id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
    }
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (created_) created_(window_);
    procedure_.onInit();
    SetTimer(window, refreshTimer, 1000 / refreshRateHz, nullptr);
    SetTimer(window, secondTimer, 1000, nullptr);
    afterDispatch();
}

const ControlTemplate* DialogWindow::layoutOf(ControlId id) const {
    for (const ControlTemplate& control : model_.dialog().controls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

int DialogWindow::focusedControl() const {
    const HWND focus = GetFocus();
    if (!focus || !IsChild(static_cast<HWND>(window_), focus)) return 0;
    return GetDlgCtrlID(focus);
}

void DialogWindow::onControlCommand(int id, int code, void* control) {
    const ControlTemplate* layout = control ? layoutOf(id) : nullptr;
    if (!layout) {
        // Menu items, Escape (IDCANCEL) and Enter with no button to press.
        command(id, notify::buttonClicked);
        return;
    }
    const HWND item = static_cast<HWND>(control);
    switch (layout->kind) {
        case ControlKind::Edit:
            if (code == EN_CHANGE) {
                // Only what the user typed: the view's own updates are not news.
                if (refreshing_) return;
                model_.setText(id, windowText(item));
                command(id, notify::editChange);
            } else if (code == EN_SETFOCUS) {
                sync_->noticeFocus(id);
                command(id, notify::editSetFocus);
            } else if (code == EN_KILLFOCUS) {
                command(id, notify::editKillFocus);
            }
            return;
        case ControlKind::Button:
            if (code == BN_CLICKED) command(id, notify::buttonClicked);
            return;
        case ControlKind::Radio:
        case ControlKind::TickBox:
            if (code != BN_CLICKED) return;
            clickAutomaticButton(model_, model_.dialog(), id);
            command(id, notify::buttonClicked);
            return;
        case ControlKind::ListBox: {
            if (code == LBN_DBLCLK) command(id, notify::listDoubleClick);
            if (code != LBN_SELCHANGE) return;
            const int selection = static_cast<int>(SendMessageA(item, LB_GETCURSEL, 0, 0));
            if (selection == model_.selectedIndex(id)) return;
            model_.select(id, selection);
            command(id, notify::listSelectionChange);
            return;
        }
        case ControlKind::DropDownList: {
            if (code == CBN_DROPDOWN) command(id, notify::listDropDown);
            if (code == CBN_CLOSEUP) command(id, notify::listCloseUp);
            if (code != CBN_SELCHANGE) return;
            // Choosing the entry that is already selected changes nothing.
            const int selection = static_cast<int>(SendMessageA(item, CB_GETCURSEL, 0, 0));
            if (selection == model_.selectedIndex(id)) return;
            model_.select(id, selection);
            command(id, notify::listSelectionChange);
            return;
        }
        default:
            return;
    }
}

void DialogWindow::onVScroll(int code, void* control) {
    const HWND item = static_cast<HWND>(control);
    if (!item) return;
    const int id = GetDlgCtrlID(item);
    const ControlTemplate* layout = layoutOf(id);
    if (!layout || layout->kind != ControlKind::TrackBar) return;
    sync_->setDragging(code == TB_THUMBTRACK);
    model_.setTrackPosition(id, static_cast<int>(SendMessageA(item, TBM_GETPOS, 0, 0)));
    procedure_.onVScroll(id, code);
    // Keys, the wheel and clicks beside the thumb move it in steps; each step
    // is a finished move, as a release of the thumb is.
    if (code != TB_THUMBTRACK && code != TB_ENDTRACK && code != TB_THUMBPOSITION) {
        procedure_.onVScroll(id, scroll::endTrack);
    }
    afterDispatch();
}

std::intptr_t DialogWindow::controlColour(void* deviceContext, void* control) {
    const int id = GetDlgCtrlID(static_cast<HWND>(control));
    const auto colour = procedure_.controlBackground(id);
    if (!colour) return FALSE;
    const COLORREF rgb = RGB(colour->red, colour->green, colour->blue);
    void*& brush = brushes_[id];
    if (!brush) brush = CreateSolidBrush(rgb);
    SetBkColor(static_cast<HDC>(deviceContext), rgb);
    return reinterpret_cast<std::intptr_t>(brush);
}

void DialogWindow::command(int id, int code) {
    if (ending_) return;
    // A click moves the focus without telling the dialog; the model hears of
    // it first, so that the procedure's own focus request is shown.
    if (sync_) sync_->noticeFocus(focusedControl());
    procedure_.onCommand(id, code);
    afterDispatch();
}

void DialogWindow::afterDispatch() {
    if (!procedure_.ended()) {
        refresh();
        if (!procedure_.ended()) return;
    }
    if (ending_) return;
    ending_ = true;
    const HWND window = static_cast<HWND>(window_);
    KillTimer(window, refreshTimer);
    KillTimer(window, secondTimer);
    if (modeless_) {
        DestroyWindow(window);
    } else {
        EndDialog(window, 1);
    }
}

void DialogWindow::refresh() {
    if (refreshing_ || ending_) return;
    refreshing_ = true;
    sync_->apply();
    refreshing_ = false;
    for (const WindowMessage& posted : model_.takePostedMessages()) {
        procedure_.onMessage(posted);
        if (procedure_.ended()) break;
    }
    if (procedure_.ended()) afterDispatch();
}

void WinDialogRunner::runModal(ControlModel& model, WindowProcedure& procedure) {
    DialogWindow box(model, procedure, DialogFrame{});
    box.run(owner_);
}

void WinDialogRunner::showModeless(ControlModel& model, WindowProcedure& procedure) {
    modeless_.reset();
    modeless_ = std::make_unique<DialogWindow>(model, procedure, DialogFrame{});
    modeless_->show(owner_);
}

}  // namespace ditdahl
