// Files of the system that are no text: a named pipe would hold the window
// until someone writes to it, and /dev/zero never ends.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "JobStation.h"

namespace ditdahl {
namespace {

TEST(FileJob, PipesAndDevicesAreNoTextToSend) {
    testing::JobStation s;
    ASSERT_EQ(mkfifo(s.dir.file("pipe").c_str(), 0600), 0);
    for (const std::string& path : {s.dir.file("pipe"), std::string("/dev/zero")}) {
        s.desktop.chooseNext(path);
        s.jobs.startFileTransmission();
        EXPECT_FALSE(s.jobs.jobRunning()) << path;
    }
    const MessageBoxRequest error{"Error opening file", "Error", MessageButtons::Ok, MessageIcon::Warning};
    EXPECT_EQ(s.desktop.messageBoxes(), (std::vector<MessageBoxRequest>(2, error)));
    EXPECT_EQ(s.now(), 0u);
}

}  // namespace
}  // namespace ditdahl
