// The desktop program: the main window on the real clock, the real desktop
// and the system's devices. It runs until the window closes, by the close
// box, File "Exit" or a termination signal, and then ends the process at once
// without waiting for a transmission that is still running.
#include <QApplication>
#include <QSocketNotifier>
#include <QStyleFactory>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "audio/Recorder.h"
#include "linux/SerialKeyLine.h"
#include "portable/ControlModel.h"
#include "portable/SystemClock.h"
#include "portaudio/PortAudioWaveIn.h"
#include "qt/DialogBoxView.h"
#include "qt/MainWindowView.h"
#include "qt/QtDesktop.h"
#include "shell/MainWindow.h"
#include "shell/Settings.h"
#include "station/ControlIds.h"
#include "transmit/PttPort.h"

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    // Nothing else is safe in a signal handler; the window thread does the rest.
    [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
}

void catchTerminationSignals() {
    if (pipe(signalPipe) != 0) return;
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace

int main(int argc, char* argv[]) {
    catchTerminationSignals();
    QApplication application(argc, argv);
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(classic);

    ditdahl::ControlModel window(ditdahl::mainWindowTemplate());
    ditdahl::SystemClock clock;
    ditdahl::QtDesktop desktop;
    ditdahl::QtDialogRunner dialogs;
    // The station, the input and the recorder are shared with threads that
    // may outlive the window; they are never destroyed.
    auto* state = new ditdahl::StationState;
    state->mainWindow = &window;
    state->clock = &clock;
    state->desktop = &desktop;

    state->openKeyLine = [state](int portNumber) -> std::shared_ptr<ditdahl::KeyLine> {
        return ditdahl::SerialKeyLine::open(ditdahl::linuxSerialDevice(ditdahl::settingsPath(*state), portNumber));
    };
    auto* waveIn = new ditdahl::PortAudioWaveIn;
    auto* recorder = new ditdahl::Recorder(*state, *waveIn);

    ditdahl::MainWindowParts parts;
    parts.dialogs = &dialogs;
    parts.waveIn = waveIn;
    parts.recorder = recorder;
    ditdahl::MainWindow procedure(*state, std::move(parts));
    ditdahl::MainWindowView view(window, procedure, ditdahl::mainMenuTemplate());
    desktop.setOwner(&view);
    dialogs.setOwner(&view);

    if (signalPipe[0] >= 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &view);
        QObject::connect(notifier, &QSocketNotifier::activated, &view, [&window] {
            char byte = 0;
            [[maybe_unused]] const auto got = read(signalPipe[0], &byte, 1);
            window.postMessage({ditdahl::wmClose, 0, 0});
        });
    }

    view.start();
    if (!procedure.ended()) application.exec();
    std::fflush(nullptr);
    std::_Exit(0);
}
