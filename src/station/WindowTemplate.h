// The layout of the main window, the About box and the Band window: every control with its
// identifier, kind, caption, place and size in dialog units, styles and
// initial enabled state, in template (and Tab) order; and the menu.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace ditdahl {

enum class ControlKind {
    Label,
    Edit,
    Button,
    ListBox,
    DropDownList,
    Radio,
    TickBox,
    Group,
    ProgressBar,
    TrackBar,
};

namespace style {
inline constexpr std::uint32_t tabStop = 1u << 0;
inline constexpr std::uint32_t border = 1u << 1;
inline constexpr std::uint32_t multiLine = 1u << 2;
inline constexpr std::uint32_t autoHScroll = 1u << 3;
inline constexpr std::uint32_t readOnly = 1u << 4;
inline constexpr std::uint32_t alignRight = 1u << 5;
inline constexpr std::uint32_t alignCentre = 1u << 6;
inline constexpr std::uint32_t digitsOnly = 1u << 7;
inline constexpr std::uint32_t defaultPushButton = 1u << 8;
inline constexpr std::uint32_t vertical = 1u << 9;
inline constexpr std::uint32_t smooth = 1u << 10;
inline constexpr std::uint32_t ticksLeft = 1u << 11;
inline constexpr std::uint32_t selectionRange = 1u << 12;
inline constexpr std::uint32_t staticEdge = 1u << 13;
inline constexpr std::uint32_t notify = 1u << 14;
inline constexpr std::uint32_t vScroll = 1u << 15;
inline constexpr std::uint32_t noIntegralHeight = 1u << 16;
inline constexpr std::uint32_t disabled = 1u << 17;  // disabled at creation
}  // namespace style

struct ControlTemplate {
    int id;  // ids::noId for labels and group boxes
    ControlKind kind;
    std::string_view caption;
    int x, y, width, height;  // dialog units
    std::uint32_t styles;
};

struct DialogTemplate {
    int id;
    std::string_view title;
    int width, height;  // dialog units
    std::string_view fontFace;
    int fontPoints;
    std::span<const ControlTemplate> controls;
};

struct MenuItemTemplate {
    std::string_view menu;  // "File", "View", "Help"
    std::string_view caption;
    int id;
    bool ticked = false;  // shows a tick, which the window procedure tells
};

const DialogTemplate& mainWindowTemplate();
const DialogTemplate& aboutBoxTemplate();
const DialogTemplate& bandWindowTemplate();
std::span<const MenuItemTemplate> mainMenuTemplate();

}  // namespace ditdahl
