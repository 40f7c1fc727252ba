// A keying line for tests and benchmarks: remembers every change of DTR and
// RTS with the clock's tick count at that moment. Thread-safe: the sending
// thread changes it while another thread reads it.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "station/Clock.h"
#include "station/KeyLine.h"

namespace ditdahl {

struct LineChange {
    std::uint32_t tick;
    Line line;
    bool raised;
    friend bool operator==(const LineChange&, const LineChange&) = default;
};

class RecordingKeyLine final : public KeyLine {
public:
    explicit RecordingKeyLine(Clock& clock) : clock_(clock) {}

    // A raise of a raised line, or a release of a released one, is no change
    // and is not recorded.
    void raise(Line line) override;
    void release(Line line) override;

    std::vector<LineChange> changes() const;
    bool isRaised(Line line) const;

private:
    void change(Line line, bool raised);

    Clock& clock_;
    mutable std::mutex mutex_;
    std::vector<LineChange> changes_;
    bool dtrRaised_ = false;
    bool rtsRaised_ = false;
};

}  // namespace ditdahl
