// The keying line of a COM port on Windows: DTR or RTS driven with
// EscapeCommFunction, one line at a time. Opening takes the port for this
// program alone (no sharing) and releases both lines; the port's speed and
// framing are left as they are and nothing is ever written to it. Closing
// releases both lines again. Window thread opens and closes; the sending
// thread raises and releases.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "station/KeyLine.h"

namespace ditdahl {

class ComKeyLine final : public KeyLine {
public:
    // name as pttPortName gives it ("COM3", "\\.\COM12"); nullptr when the
    // port is missing, busy or not a serial port.
    static std::unique_ptr<ComKeyLine> open(const std::string& name);

    ~ComKeyLine() override;
    ComKeyLine(const ComKeyLine&) = delete;
    ComKeyLine& operator=(const ComKeyLine&) = delete;

    // A failed line change changes nothing else; one that says the device has
    // gone (an adapter unplugged) marks the line gone.
    void raise(Line line) override;
    void release(Line line) override;
    bool gone() const override { return gone_; }

private:
    explicit ComKeyLine(void* handle) : handle_(handle) {}
    void change(unsigned long function);

    void* handle_;
    std::atomic<bool> gone_{false};
};

}  // namespace ditdahl
