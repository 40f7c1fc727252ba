#include "doubles/RecordingKeyLine.h"

namespace ditdahl {

void RecordingKeyLine::raise(Line line) { change(line, true); }

void RecordingKeyLine::release(Line line) { change(line, false); }

void RecordingKeyLine::change(Line line, bool raised) {
    const std::uint32_t tick = clock_.tickCount();
    std::lock_guard lock(mutex_);
    bool& state = line == Line::Dtr ? dtrRaised_ : rtsRaised_;
    if (state == raised) return;
    state = raised;
    changes_.push_back({tick, line, raised});
}

std::vector<LineChange> RecordingKeyLine::changes() const {
    std::lock_guard lock(mutex_);
    return changes_;
}

bool RecordingKeyLine::isRaised(Line line) const {
    std::lock_guard lock(mutex_);
    return line == Line::Dtr ? dtrRaised_ : rtsRaised_;
}

}  // namespace ditdahl
