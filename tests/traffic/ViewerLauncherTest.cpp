#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "linux/ViewerLauncher.h"
#include "support/TempDir.h"

namespace ditdahl {
namespace {

using testing::readFileBytes;
using testing::TempDir;

// The viewer gets the path as one argument, without a shell in between, and
// is not waited for.
TEST(ViewerLauncher, PassesAwkwardPathsAsOneArgumentAndReportsMissingPrograms) {
    TempDir dir;
    const std::string viewer = dir.file("fake-viewer");
    const std::string seen = dir.file("seen");
    testing::writeFileBytes(viewer, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > \"" + seen + ".tmp\"\nmv \"" + seen +
                                        ".tmp\" \"" + seen + "\"\n");
    std::filesystem::permissions(viewer, std::filesystem::perms::owner_all);

    const std::string paths[] = {"/logs/with blank/Ditdahl.log", "/logs/it's \"quoted\" $(rm -rf x);.log", "-n.log"};
    const std::string expected[] = {"1|/logs/with blank/Ditdahl.log|", "1|/logs/it's \"quoted\" $(rm -rf x);.log|",
                                    "1|./-n.log|"};
    for (int i = 0; i < 3; ++i) {
        std::filesystem::remove(seen);
        EXPECT_EQ(startViewerProgram(viewer, paths[i]), "");
        for (int wait = 0; wait < 500 && !std::filesystem::exists(seen); ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(readFileBytes(seen), expected[i]);
    }

    const std::string failure = startViewerProgram(dir.file("no-such-viewer"), "/x.log");
    EXPECT_NE(failure.find("no-such-viewer"), std::string::npos) << failure;
    EXPECT_NE(failure.find("No such file"), std::string::npos) << failure;
}

}  // namespace
}  // namespace ditdahl
