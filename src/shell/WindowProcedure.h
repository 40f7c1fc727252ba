// What a dialog does with the user's input: the receiving end of the window's
// notifications, commands, scroll events and messages. The desktop view calls
// it on the window thread only, after it has written the input into the
// dialog's control model; tests call it the same way.
#pragma once

#include <optional>
#include <string_view>

#include "station/Controls.h"

namespace ditdahl {

class ControlModel;

// Notification codes that come with a command.
namespace notify {
inline constexpr int buttonClicked = 0;  // buttons, radio buttons, tick boxes, menu items
inline constexpr int editSetFocus = 0x100;
inline constexpr int editKillFocus = 0x200;
inline constexpr int editChange = 0x300;
inline constexpr int listSelectionChange = 1;  // drop-down lists and list boxes
inline constexpr int listDoubleClick = 2;      // list boxes
inline constexpr int listDropDown = 7;         // drop-down list opened
inline constexpr int listCloseUp = 8;          // drop-down list closed
}  // namespace notify

// Scroll codes of a track bar.
namespace scroll {
inline constexpr int lineUp = 0;
inline constexpr int lineDown = 1;
inline constexpr int pageUp = 2;
inline constexpr int pageDown = 3;
inline constexpr int thumbPosition = 4;
inline constexpr int thumbTrack = 5;
inline constexpr int top = 6;
inline constexpr int bottom = 7;
inline constexpr int endTrack = 8;
}  // namespace scroll

struct FontRequest {
    std::string_view face;
    int pixelHeight = 0;
    bool fixedPitch = false;
};

class WindowProcedure {
public:
    virtual ~WindowProcedure() = default;
    // The controls exist and are not yet shown.
    virtual void onInit() = 0;
    virtual void onCommand(int id, int notificationCode) = 0;
    virtual void onVScroll(int /*id*/, int /*scrollCode*/) {}
    // Posted messages and the close request (wmClose).
    virtual void onMessage(const WindowMessage& message) = 0;
    // About once a second while the dialog runs.
    virtual void onSecond() {}
    // Colours and fonts a control is drawn with instead of the default ones.
    virtual std::optional<Rgb> controlBackground(int /*id*/) const { return std::nullopt; }
    virtual std::optional<FontRequest> controlFont(int /*id*/) const { return std::nullopt; }
    // Whether a menu item that shows a tick has it now.
    virtual bool menuItemTicked(int /*id*/) const { return false; }
    // True once the dialog has ended; the view then closes it.
    virtual bool ended() const = 0;
};

// Runs dialogs on the window thread, owned by the main window.
class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // Until its procedure has ended.
    virtual void runModal(ControlModel& model, WindowProcedure& procedure) = 0;
    // Runs the procedure's start-up, shows the dialog beside the main window
    // and returns; the dialog closes once its procedure has ended (the view
    // looks at display rate). One at a time: a modeless dialog still shown is
    // closed first. Model and procedure outlive the dialog.
    virtual void showModeless(ControlModel& model, WindowProcedure& procedure) = 0;
};

}  // namespace ditdahl
