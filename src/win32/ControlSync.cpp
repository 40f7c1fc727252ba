#include "win32/ControlSync.h"

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "station/ControlIds.h"
#include "win32/WideText.h"

namespace ditdahl {
namespace {

HWND item(void* dialog, ControlId id) { return GetDlgItem(static_cast<HWND>(dialog), id); }

COLORREF toColorRef(Rgb colour) { return RGB(colour.red, colour.green, colour.blue); }

struct ListMessages {
    UINT count, text, textLength, add, reset, deleteAt, setSelection;
};
constexpr ListMessages listBox{LB_GETCOUNT,     LB_GETTEXT,      LB_GETTEXTLEN, LB_ADDSTRING,
                               LB_RESETCONTENT, LB_DELETESTRING, LB_SETCURSEL};
constexpr ListMessages comboBox{CB_GETCOUNT,     CB_GETLBTEXT,    CB_GETLBTEXTLEN, CB_ADDSTRING,
                                CB_RESETCONTENT, CB_DELETESTRING, CB_SETCURSEL};

std::string entryText(HWND list, const ListMessages& m, int index) {
    const auto length = SendMessageW(list, m.textLength, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, m.text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return fromWide(text);
}

}  // namespace

ControlSync::ControlSync(ControlModel& model, void* dialog) : model_(model), dialog_(dialog) {
    for (const ControlTemplate& layout : model.dialog().controls) {
        if (layout.id != ids::noId) entries_.push_back({&layout});
    }
}

void ControlSync::apply() {
    const std::uint64_t revision = model_.revision();
    if (revision == seenRevision_) return;
    seenRevision_ = revision;
    for (Entry& entry : entries_) {
        const std::uint64_t seen = model_.revision(entry.layout->id);
        if (seen == entry.seenRevision) continue;
        entry.seenRevision = seen;
        applyControl(*entry.layout);
    }
    applyFocusAndDefault();
}

void ControlSync::applyControl(const ControlTemplate& layout) {
    const ControlId id = layout.id;
    const HWND control = item(dialog_, id);
    if (!control) return;
    const bool enabled = model_.isEnabled(id);
    if ((IsWindowEnabled(control) != 0) != enabled) EnableWindow(control, enabled);
    switch (layout.kind) {
        case ControlKind::Edit:
        case ControlKind::Label:
        case ControlKind::Button:
        case ControlKind::Group: {
            const std::string text = model_.text(id);
            if (windowText(control) != text) SetWindowTextW(control, toWide(text).c_str());
            break;
        }
        case ControlKind::Radio:
        case ControlKind::TickBox: {
            const std::string text = model_.text(id);
            if (windowText(control) != text) SetWindowTextW(control, toWide(text).c_str());
            SendMessageA(control, BM_SETCHECK, model_.isChecked(id) ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        }
        case ControlKind::ListBox:
            applyList(id, false);
            break;
        case ControlKind::DropDownList:
            applyList(id, true);
            break;
        case ControlKind::ProgressBar:
            applyBar(id);
            break;
        case ControlKind::TrackBar:
            if (!dragging_) SendMessageA(control, TBM_SETPOS, TRUE, model_.trackPosition(id));
            break;
    }
}

// A list that only grew (the traffic list, line by line) gets the new entries
// alone; any other change rebuilds it.
void ControlSync::applyList(ControlId id, bool dropDown) {
    const ListMessages& m = dropDown ? comboBox : listBox;
    const HWND list = item(dialog_, id);
    const std::vector<std::string> entries = model_.entries(id);
    const int shown = static_cast<int>(SendMessageA(list, m.count, 0, 0));
    int same = 0;
    while (same < shown && same < static_cast<int>(entries.size()) &&
           entryText(list, m, same) == entries[static_cast<std::size_t>(same)]) {
        ++same;
    }
    if (same < shown) {
        if (same == 0) {
            SendMessageA(list, m.reset, 0, 0);
        } else {
            for (int i = shown - 1; i >= same; --i) SendMessageA(list, m.deleteAt, static_cast<WPARAM>(i), 0);
        }
    }
    for (std::size_t i = static_cast<std::size_t>(same); i < entries.size(); ++i) {
        const std::wstring entry = toWide(entries[i]);
        SendMessageW(list, m.add, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    // Also scrolls the selected entry into view.
    SendMessageA(list, m.setSelection, static_cast<WPARAM>(model_.selectedIndex(id)), 0);
}

void ControlSync::applyBar(ControlId id) {
    const HWND bar = item(dialog_, id);
    const ControlModel::BarRange range = model_.barRange(id);
    SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(range.minimum), range.maximum);
    SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(model_.barPosition(id)), 0);
    // Both colours show on the classic progress bar only.
    SendMessageA(bar, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(toColorRef(model_.barBackground(id))));
    SendMessageA(bar, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(toColorRef(model_.barColour(id))));
}

void ControlSync::noticeFocus(ControlId id) {
    if (id == shownFocus_) return;
    shownFocus_ = id;
    model_.setFocus(id);
}

void ControlSync::applyFocusAndDefault() {
    const HWND dialog = static_cast<HWND>(dialog_);
    const ControlId defaultId = model_.defaultButton();
    if (defaultId != shownDefault_) {
        shownDefault_ = defaultId;
        SendMessageA(dialog, DM_SETDEFID, static_cast<WPARAM>(defaultId), 0);
    }
    const ControlId focusId = model_.focus();
    if (focusId != shownFocus_) {
        shownFocus_ = focusId;
        if (const HWND control = item(dialog_, focusId); control && GetFocus() != control) {
            // The dialog manager's way, which also moves the default button.
            SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        }
    }
}

}  // namespace ditdahl
