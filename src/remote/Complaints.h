// The lines the keying server says about requests it ignores, at most one a
// second by the station's clock, so that a flood of bad datagrams cannot fill
// the log; the lines held back are counted into the next one said.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "station/Clock.h"

namespace ditdahl {

class Complaints {
public:
    using Say = std::function<void(std::string_view line)>;
    Complaints(Clock& clock, Say say) : clock_(clock), say_(std::move(say)) {}

    void complain(std::string line);

private:
    Clock& clock_;
    Say say_;
    bool saidAny_ = false;
    std::uint32_t lastTick_ = 0;
    unsigned heldBack_ = 0;
};

}  // namespace ditdahl
