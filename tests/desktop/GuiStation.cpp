#include "GuiStation.h"

#include <QElapsedTimer>
#include <QThread>

#include "station/ControlIds.h"

namespace ditdahl::testing {

GuiStation::GuiStation(const std::string& settingsFile, const std::vector<std::int16_t>& audio, bool devicesWork) {
    if (!settingsFile.empty()) writeFileBytes(dir.file("Ditdahl.ini"), settingsFile);
    if (!audio.empty()) {
        waveIn.setPace(ScriptedWaveIn::Pace::asFastAsPossible);
        waveIn.feed(audio);
    }
    if (!devicesWork) waveIn.failNextOpen(WaveResult::noDevice);
    station.state.openKeyLine = [this, devicesWork](int portNumber) -> std::shared_ptr<KeyLine> {
        openedPorts.push_back(portNumber);
        if (!devicesWork) return nullptr;
        keyLine = std::make_shared<RecordingKeyLine>(station.clock);
        return keyLine;
    };
    openSocket = [](const std::string& address, int, std::string& error) {
        return openDatagramSocket(address, 0, error);
    };
    MainWindowParts parts;
    parts.openDatagramSocket = [this](const std::string& address, int port, std::string& error) {
        return openSocket(address, port, error);
    };
    parts.dialogs = &dialogs;
    parts.waveIn = &waveIn;
    parts.recorder = &recorder;
    parts.startDirectory = dir.path().string();
    // The tests here drive the input themselves; the restart of stalled
    // capture has its own test.
    parts.captureStallSeconds = 0;
    procedure = std::make_unique<MainWindow>(station.state, std::move(parts));
    view = std::make_unique<MainWindowView>(station.window, *procedure, mainMenuTemplate());
    dialogs.setOwner(view.get());
    view->start();
    settle();
}

GuiStation::~GuiStation() {
    recorder.close();
    view.reset();
    procedure.reset();
}

void GuiStation::settle() {
    QCoreApplication::processEvents();
    if (!procedure->ended()) view->dialogView().refresh();
    QCoreApplication::processEvents();
}

bool GuiStation::settleUntil(const std::function<bool()>& condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        // Only a ceiling for a failing test: under a sanitizer on a busy
        // machine, capture and decoding of a long text take many seconds.
        if (timer.elapsed() > 60000) return false;
        settle();
        QThread::msleep(1);
    }
    settle();
    return true;
}

void choose(QComboBox* box, int index) {
    box->showPopup();
    box->setCurrentIndex(index);
    emit box->activated(index);
    box->hidePopup();
}

}  // namespace ditdahl::testing
