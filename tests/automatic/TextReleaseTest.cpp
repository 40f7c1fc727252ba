#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "automatic/TextRelease.h"

namespace ditdahl::automatic {
namespace {

struct Heard : ReceiverListener {
    std::string written;
    void text(std::string_view t) override { written += t; }
    void speed(double, double) override {}
    void tone(double) override {}
};

TEST(TextRelease, LeavingAStationWritesWhatWasHeardWhileItsToneStoodOut) {
    // A short over is decided only once it has ended, when its tone no
    // longer stands out: left then for another station, what it sent is
    // written; what was read after the tone went (another station's leak,
    // noise) is not, nor anything where the gate is not open.
    struct Case {
        const char* what;
        double lastMarkMs;  // of the text decided after the tone went, at 2000 ms
        TextRelease::Gates gatesWhenLeft;
        const char* written;
    };
    const Case cases[] = {
        {"the over, its last mark before the tone went", 1800.0, {true, false}, "OK1RST "},
        {"marks read after the tone went", 2300.0, {true, false}, ""},
        {"the gate shut", 1800.0, {false, false}, ""},
        {"the gate undecided", 1800.0, {false, true}, ""},
    };
    for (const Case& c : cases) {
        Heard heard;
        TextRelease release(heard);
        release.startDecoding();
        release.write("", {true, false}, 1000.0, 1000.0, 900.0);
        release.setToneStands(false);
        release.write("", {true, false}, 2000.0, 1000.0, 900.0);
        release.write("OK1RST ", {true, false}, 2400.0, 2400.0, c.lastMarkMs);
        EXPECT_EQ(heard.written, "") << c.what;
        release.writeHeard(c.gatesWhenLeft);
        EXPECT_EQ(heard.written, c.written) << c.what;
    }
}

}  // namespace
}  // namespace ditdahl::automatic
