// A call heard in a context that makes it a call, with how it was heard:
// what the spotter reports and the spot server sends.
#pragma once

#include <string>

#include "station/Clock.h"

namespace ditdahl {

struct Spot {
    std::string call;
    double toneHz = 0;  // the channel's audio frequency
    double wpm = 0;
    double snrDb = 0;
    UtcTime time;     // when the text that made it a call was decoded
    bool cq = false;  // it was calling: CQ, or a contest's TEST
    friend bool operator==(const Spot&, const Spot&) = default;
};

}  // namespace ditdahl
