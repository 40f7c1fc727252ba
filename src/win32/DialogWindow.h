// A dialog of the window template as a real Windows dialog, modal or
// modeless: built in memory from the template table (DialogBoxIndirectParam,
// CreateDialogIndirectParam), shown from its
// control model by a repaint timer at display rate and after every
// notification, and turning the user's clicks, typing, list choices,
// track-bar moves, menu commands and the close box into the window
// procedure's notifications, with the input written into the model first.
// The model is what the program's threads change, so none of them ever waits
// for the window thread. Window thread only.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "portable/ControlModel.h"
#include "shell/WindowProcedure.h"
#include "win32/ControlSync.h"
#include "win32/DialogBytes.h"

namespace ditdahl {

class DialogWindow {
public:
    static constexpr int refreshRateHz = 60;

    DialogWindow(ControlModel& model, WindowProcedure& procedure, DialogFrame frame);
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // The main window's extras: its menu bar and its icon (a resource of the
    // program).
    void setMenu(std::span<const MenuItemTemplate> menu) { menu_ = menu; }
    void setIcon(int resourceId) { iconId_ = resourceId; }
    // Told the dialog's window (an HWND) as soon as it exists, before the
    // procedure's start-up.
    void onCreated(std::function<void(void*)> created) { created_ = std::move(created); }

    // Runs the procedure's start-up and the dialog, owned by owner (an HWND or
    // nullptr), until the procedure has ended. False when the dialog could
    // not be created.
    bool run(void* owner);
    // Runs the procedure's start-up and shows the dialog beside owner (an
    // HWND), returning at once; the owner's message loop runs it, and it is
    // destroyed once the procedure has ended (or with this object). False when
    // the dialog could not be created.
    bool show(void* owner);

private:
    friend struct DialogAccess;
    std::intptr_t handle(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void initialise();
    void onControlCommand(int id, int code, void* control);
    void onVScroll(int code, void* control);
    std::intptr_t controlColour(void* deviceContext, void* control);
    void command(int id, int code);
    void afterDispatch();
    void refresh();
    int focusedControl() const;
    const ControlTemplate* layoutOf(ControlId id) const;

    ControlModel& model_;
    WindowProcedure& procedure_;
    DialogFrame frame_;
    std::span<const MenuItemTemplate> menu_;
    int iconId_ = 0;
    std::function<void(void*)> created_;

    void* window_ = nullptr;
    void* menuBar_ = nullptr;
    std::unique_ptr<ControlSync> sync_;
    std::map<ControlId, void*> brushes_;
    std::vector<void*> fonts_;
    bool refreshing_ = false;
    bool ending_ = false;
    bool modeless_ = false;
};

// Runs dialog boxes (the About box, the Band window) owned by the main window.
class WinDialogRunner final : public DialogRunner {
public:
    void setOwner(void* owner) { owner_ = owner; }
    void runModal(ControlModel& model, WindowProcedure& procedure) override;
    void showModeless(ControlModel& model, WindowProcedure& procedure) override;

private:
    void* owner_ = nullptr;
    std::unique_ptr<DialogWindow> modeless_;
};

}  // namespace ditdahl
