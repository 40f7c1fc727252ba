// The main window as the program runs it, on in-memory devices: the real view
// over the real window procedure, with a manual clock, a scripted desktop, a
// scripted audio input, keying lines that record, and settings and log in a
// temporary start directory.
#pragma once

#include <QApplication>
#include <QComboBox>

#include <functional>
#include <memory>
#include <vector>

#include "audio/Recorder.h"
#include "doubles/RecordingKeyLine.h"
#include "doubles/ScriptedWaveIn.h"
#include "qt/DialogBoxView.h"
#include "qt/MainWindowView.h"
#include "shell/MainWindow.h"
#include "station/DatagramSocket.h"
#include "support/Station.h"
#include "support/TempDir.h"

namespace ditdahl::testing {

class GuiStation {
public:
    // settingsFile: contents of the settings file before start; empty: none.
    // audio: what the input hears, delivered as fast as capture takes it;
    // without it the input hears nothing until the test lets audio arrive.
    // devicesWork false: no keying port can be opened and the input fails.
    explicit GuiStation(const std::string& settingsFile = "", const std::vector<std::int16_t>& audio = {},
                        bool devicesWork = true);
    ~GuiStation();

    // Brings the view up to date and lets Qt deliver pending events.
    void settle();
    // Settles until condition holds; false when it does not within a minute.
    bool settleUntil(const std::function<bool()>& condition);

    template <typename W>
    W* widget(int id) {
        return qobject_cast<W*>(view->dialogView().widgetFor(id));
    }
    std::string log() const { return readFileBytes(dir.file("Ditdahl.log")); }
    std::string settings() const { return readFileBytes(dir.file("Ditdahl.ini")); }

    TempDir dir;
    TestStation station;
    ScriptedWaveIn waveIn{{"Test input A", "Test input B"}};
    Recorder recorder{station.state, waveIn};
    QtDialogRunner dialogs;
    std::vector<int> openedPorts;
    // Opens the keying server's socket. At first: on a free loopback port
    // whatever port the settings name, so that no test takes the real one.
    std::function<std::unique_ptr<DatagramSocket>(const std::string& address, int port, std::string& error)> openSocket;
    std::shared_ptr<RecordingKeyLine> keyLine;
    std::unique_ptr<MainWindow> procedure;
    std::unique_ptr<MainWindowView> view;
};

// Chooses an entry of a drop-down list as the user does: the list opens, the
// entry is activated, the list closes.
void choose(QComboBox* box, int index);

}  // namespace ditdahl::testing
