// The desktop program on Windows: the main window as a real modal dialog on
// the real clock, the wave-in devices and the COM ports. It runs until the
// window closes (the close box, File "Exit", Alt+F4 or a close request from
// outside) and then ends the process at once, without waiting for a
// transmission that is still running.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "audio/Recorder.h"
#include "portable/ControlModel.h"
#include "portable/SystemClock.h"
#include "shell/MainWindow.h"
#include "station/ControlIds.h"
#include "transmit/PttPort.h"
#include "win32/ComKeyLine.h"
#include "win32/DialogWindow.h"
#include "win32/WaveInDevice.h"
#include "win32/WinDesktop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The progress and track bar classes exist only once registered.
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);

    ditdahl::ControlModel window(ditdahl::mainWindowTemplate());
    ditdahl::SystemClock clock;
    ditdahl::WinDesktop desktop;
    ditdahl::WinDialogRunner dialogs;
    // The station, the input and the recorder are shared with threads that
    // may outlive the window; they are never destroyed.
    auto* state = new ditdahl::StationState;
    state->mainWindow = &window;
    state->clock = &clock;
    state->desktop = &desktop;
    state->openKeyLine = [](int portNumber) -> std::shared_ptr<ditdahl::KeyLine> {
        return ditdahl::ComKeyLine::open(ditdahl::pttPortName(portNumber - 1));
    };
    auto* waveIn = new ditdahl::WaveInDevice;
    auto* recorder = new ditdahl::Recorder(*state, *waveIn);

    ditdahl::MainWindowParts parts;
    parts.dialogs = &dialogs;
    parts.waveIn = waveIn;
    parts.recorder = recorder;
    ditdahl::MainWindow procedure(*state, std::move(parts));
    ditdahl::DialogWindow view(window, procedure, {.centred = true, .minimiseBox = true});
    view.setMenu(ditdahl::mainMenuTemplate());
    view.setIcon(ditdahl::ids::programIcon);
    view.onCreated([&](void* created) {
        desktop.setOwner(created);
        dialogs.setOwner(created);
    });
    const bool ran = view.run(nullptr);
    std::fflush(nullptr);
    ExitProcess(ran ? 0 : 1);
}
