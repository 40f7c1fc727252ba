#include "win32/DialogBytes.h"

#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <string_view>

namespace ditdahl {
namespace {

// Classes the dialog manager knows by atom.
constexpr std::uint16_t buttonAtom = 0x0080;
constexpr std::uint16_t editAtom = 0x0081;
constexpr std::uint16_t staticAtom = 0x0082;
constexpr std::uint16_t listBoxAtom = 0x0083;
constexpr std::uint16_t comboBoxAtom = 0x0085;

static_assert(sizeof(DLGTEMPLATE) == 18 && sizeof(DLGITEMTEMPLATE) == 18, "the dialog manager's packed layout");

DWORD editStyle(std::uint32_t styles) {
    DWORD style = ES_LEFT;
    if (styles & style::alignRight) style = ES_RIGHT;
    if (styles & style::alignCentre) style = ES_CENTER;
    if (styles & style::multiLine) style |= ES_MULTILINE;
    if (styles & style::autoHScroll) style |= ES_AUTOHSCROLL;
    if (styles & style::readOnly) style |= ES_READONLY;
    if (styles & style::digitsOnly) style |= ES_NUMBER;
    if (styles & style::border) style |= WS_BORDER;
    return style;
}

class Words {
public:
    template <typename Struct>
    void put(const Struct& value) {
        static_assert(sizeof(Struct) % 2 == 0);
        const std::size_t at = words_.size();
        words_.resize(at + sizeof(Struct) / 2);
        std::memcpy(words_.data() + at, &value, sizeof(Struct));
    }
    void put(std::uint16_t word) { words_.push_back(word); }
    // The texts of the table are single-byte text in the system's code page.
    void putText(std::string_view text) {
        if (!text.empty()) {
            std::vector<wchar_t> wide(text.size() + 1);
            const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                              static_cast<int>(wide.size()));
            for (int i = 0; i < n; ++i) words_.push_back(static_cast<std::uint16_t>(wide[static_cast<std::size_t>(i)]));
        }
        words_.push_back(0);
    }
    void putName(const wchar_t* name) {
        for (; *name; ++name) words_.push_back(static_cast<std::uint16_t>(*name));
        words_.push_back(0);
    }
    // Each item starts on a 32-bit boundary.
    void alignToDword() {
        if (words_.size() % 2 != 0) words_.push_back(0);
    }
    std::vector<std::uint16_t> take() { return std::move(words_); }

private:
    std::vector<std::uint16_t> words_;
};

}  // namespace

ControlClass controlClass(const ControlTemplate& control) {
    const std::uint32_t s = control.styles;
    ControlClass c;
    c.style = WS_CHILD | WS_VISIBLE;
    if (s & style::tabStop) c.style |= WS_TABSTOP;
    if (s & style::disabled) c.style |= WS_DISABLED;
    if (s & style::staticEdge) c.extendedStyle |= WS_EX_STATICEDGE;
    switch (control.kind) {
        case ControlKind::Label:
            c.atom = staticAtom;
            // A caption wider than its place is cut at the end, never wrapped
            // onto a hidden second line.
            c.style |= (s & style::alignCentre) ? SS_CENTER : SS_LEFTNOWORDWRAP;
            break;
        case ControlKind::Edit:
            c.atom = editAtom;
            c.style |= editStyle(s);
            break;
        case ControlKind::Button:
            c.atom = buttonAtom;
            c.style |= (s & style::defaultPushButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            break;
        // Radio buttons and tick boxes do not change themselves: a click is
        // reported, the control model decides (the other radio buttons of
        // the group included) and the view shows the model.
        case ControlKind::Radio:
            c.atom = buttonAtom;
            c.style |= BS_RADIOBUTTON;
            break;
        case ControlKind::TickBox:
            c.atom = buttonAtom;
            c.style |= BS_CHECKBOX;
            break;
        case ControlKind::Group:
            c.atom = buttonAtom;
            c.style |= BS_GROUPBOX;
            break;
        case ControlKind::ListBox:
            c.atom = listBoxAtom;
            if (s & style::notify) c.style |= LBS_NOTIFY;
            if (s & style::noIntegralHeight) c.style |= LBS_NOINTEGRALHEIGHT;
            if (s & style::border) c.style |= WS_BORDER;
            if (s & style::vScroll) c.style |= WS_VSCROLL;
            break;
        case ControlKind::DropDownList:
            c.atom = comboBoxAtom;
            c.style |= CBS_DROPDOWNLIST;
            if (s & style::vScroll) c.style |= WS_VSCROLL;
            break;
        case ControlKind::ProgressBar:
            c.name = PROGRESS_CLASSW;
            if (s & style::vertical) c.style |= PBS_VERTICAL;
            if (s & style::smooth) c.style |= PBS_SMOOTH;
            break;
        case ControlKind::TrackBar:
            c.name = TRACKBAR_CLASSW;
            if (s & style::vertical) c.style |= TBS_VERT;
            if (s & style::ticksLeft) c.style |= TBS_LEFT;
            if (s & style::selectionRange) c.style |= TBS_ENABLESELRANGE;
            break;
    }
    return c;
}

std::vector<std::uint16_t> dialogBytes(const DialogTemplate& dialog, const DialogFrame& frame) {
    Words words;
    DLGTEMPLATE head{};
    head.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    if (frame.centred) head.style |= DS_CENTER;
    if (frame.minimiseBox) {
        head.style |= WS_MINIMIZEBOX;
        head.dwExtendedStyle = WS_EX_APPWINDOW;
    }
    head.cdit = static_cast<WORD>(dialog.controls.size());
    head.cx = static_cast<short>(dialog.width);
    head.cy = static_cast<short>(dialog.height);
    words.put(head);
    words.put(std::uint16_t{0});  // no menu: it is attached at run time
    words.put(std::uint16_t{0});  // the dialog manager's own class
    words.putText(dialog.title);
    words.put(static_cast<std::uint16_t>(dialog.fontPoints));
    words.putText(dialog.fontFace);

    for (const ControlTemplate& control : dialog.controls) {
        const ControlClass c = controlClass(control);
        words.alignToDword();
        DLGITEMTEMPLATE item{};
        item.style = c.style;
        item.dwExtendedStyle = c.extendedStyle;
        item.x = static_cast<short>(control.x);
        item.y = static_cast<short>(control.y);
        item.cx = static_cast<short>(control.width);
        item.cy = static_cast<short>(control.height);
        // Controls without an identifier share 0xFFFF, as in resource files.
        item.id = static_cast<WORD>(control.id);
        words.put(item);
        if (c.name) {
            words.putName(c.name);
        } else {
            words.put(std::uint16_t{0xFFFF});
            words.put(c.atom);
        }
        words.putText(control.caption);
        words.put(std::uint16_t{0});  // no creation data
    }
    return words.take();
}

}  // namespace ditdahl
