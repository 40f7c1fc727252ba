// The keying line of a real serial port on Linux: DTR or RTS driven with
// TIOCMBIS/TIOCMBIC, one line at a time. Opening takes the port for this
// program alone (TIOCEXCL) and releases both lines; nothing else of the port's
// settings (speed, framing, raw mode) is touched and nothing is ever written
// to it. Closing releases both lines again. Window thread opens and closes;
// the sending thread raises and releases.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "station/KeyLine.h"

namespace ditdahl {

// The device of a port number: the value of the key COMn in the section
// Ports of the settings file when there is one (e.g. COM1=/dev/ttyUSB0), else
// /dev/ttyS{n-1}.
std::string linuxSerialDevice(const std::string& settingsPath, int portNumber);

class SerialKeyLine final : public KeyLine {
public:
    // nullptr when the device is missing, busy, not permitted or not a
    // terminal device.
    static std::unique_ptr<SerialKeyLine> open(const std::string& devicePath);

    ~SerialKeyLine() override;
    SerialKeyLine(const SerialKeyLine&) = delete;
    SerialKeyLine& operator=(const SerialKeyLine&) = delete;

    // Failures of the line changes are ignored: a keying line that cannot be
    // driven changes nothing else.
    void raise(Line line) override;
    void release(Line line) override;
    bool gone() const override { return gone_; }

private:
    explicit SerialKeyLine(int fd) : fd_(fd) {}

    void change(int request, Line line);

    int fd_;
    std::atomic<bool> gone_{false};
};

}  // namespace ditdahl
