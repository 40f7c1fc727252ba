#include <gtest/gtest.h>

#include "portable/ManualClock.h"
#include "remote/Complaints.h"

namespace ditdahl {
namespace {

TEST(Complaints, AtMostOneLineASecondCountingThoseHeldBack) {
    struct Case {
        std::vector<std::uint32_t> atMs;
        std::vector<std::string> said;
    };
    const Case cases[] = {
        {{0}, {"a0"}},
        {{0, 999}, {"a0"}},
        {{0, 1000}, {"a0", "a1"}},
        {{0, 10, 20, 1500}, {"a0", "a3 (and 2 more ignored before)"}},
    };
    for (const Case& c : cases) {
        ManualClock clock;
        const std::uint32_t start = clock.tickCount();
        std::vector<std::string> said;
        Complaints complaints(clock, [&](std::string_view line) { said.emplace_back(line); });
        for (std::size_t i = 0; i < c.atMs.size(); ++i) {
            clock.advance(start + c.atMs[i] - clock.tickCount());
            complaints.complain("a" + std::to_string(i));
        }
        EXPECT_EQ(said, c.said);
    }
}

}  // namespace
}  // namespace ditdahl
