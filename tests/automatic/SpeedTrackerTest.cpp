#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "automatic/SpeedTracker.h"
#include "synthesis/KeyedTone.h"

namespace ditdahl::automatic {
namespace {

// Feeds the marks and the gaps within words of text keyed at wpm, as the
// threshold decision's durations or as the likelihood decision's.
void feed(SpeedTracker& tracker, const std::string& text, double wpm, bool decided = false) {
    auto take = [&](double ms, bool mark) { decided ? tracker.decided(ms, mark) : tracker.track(ms, mark); };
    synthesis::KeyingPlan plan;
    plan.wpm = wpm;
    const auto marks = synthesis::keyTimeline(text, plan, nullptr);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        take(1000.0 * (marks[i].end - marks[i].start), true);
        if (i + 1 == marks.size()) break;
        const double gapMs = 1000.0 * (marks[i + 1].start - marks[i].end);
        // Word gaps are not judged.
        if (gapMs > 5.0 * 1200.0 / wpm) continue;
        take(gapMs, false);
    }
}

TEST(SpeedTracker, FollowsAChangeOfSpeedWithinAFewCharacters) {
    struct Case {
        double fromWpm;
        double toWpm;
        bool decided = false;  // the new speed seen by the likelihood decision only
    };
    const Case cases[] = {{28, 16}, {16, 28}, {20, 36}, {30, 18}, {22, 20}, {18, 35, true}, {30, 16, true}};
    for (const Case& c : cases) {
        SpeedTracker tracker;
        tracker.reset(1200.0 / c.fromWpm);
        feed(tracker, "CQ CQ DE EA3GHV EA3GHV K", c.fromWpm);
        EXPECT_NEAR(1200.0 / tracker.dotMs(), c.fromWpm, 0.05 * c.fromWpm);
        // Six characters at the new speed.
        feed(tracker, "TNX RST", c.toWpm, c.decided);
        EXPECT_NEAR(1200.0 / tracker.dotMs(), c.toWpm, 0.08 * c.toWpm) << c.fromWpm << " to " << c.toWpm;
    }
}

}  // namespace
}  // namespace ditdahl::automatic
