#include "remote/Complaints.h"

namespace ditdahl {

namespace {
constexpr std::uint32_t quietMs = 1000;
}

void Complaints::complain(std::string line) {
    const std::uint32_t now = clock_.tickCount();
    if (saidAny_ && now - lastTick_ < quietMs) {
        ++heldBack_;
        return;
    }
    if (heldBack_ > 0) line += " (and " + std::to_string(heldBack_) + " more ignored before)";
    saidAny_ = true;
    lastTick_ = now;
    heldBack_ = 0;
    say_(line);
}

}  // namespace ditdahl
