// The log is appended to while another program may read it, and the settings
// file is replaced whole.
#include <windows.h>

#include <gtest/gtest.h>

#include "station/AppendFile.h"
#include "station/ReplaceFile.h"
#include "support/TempDir.h"

namespace ditdahl {
namespace {

using testing::readFileBytes;

TEST(Files, TheLogGrowsLineByLineAndCanBeReadAndDeletedWhileOpen) {
    testing::TempDir dir;
    const std::string path = dir.file("Ditdahl.log");
    testing::writeFileBytes(path, "old\r\n");
    auto log = openAppendFile(path);
    ASSERT_NE(log, nullptr);
    for (const char* line : {"one\r\n", "two\r\n"}) ASSERT_TRUE(log->write(line));
    EXPECT_EQ(readFileBytes(path), "old\r\none\r\ntwo\r\n");
    EXPECT_TRUE(deleteFile(path));
    log.reset();
    EXPECT_EQ(openAppendFile(dir.file("missing folder\\Ditdahl.log")), nullptr);
}

TEST(Files, ReplacingLeavesTheNewBytesAndNothingBeside) {
    testing::TempDir dir;
    const std::string path = dir.file("Ditdahl.ini");
    const struct {
        const char* bytes;
    } cases[] = {{"[Ditdahl]\r\nFilter=1\r\n"}, {""}, {"[Ditdahl]\r\nFilter=0\r\nDelay=2\r\n"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(replaceFile(path, c.bytes));
        EXPECT_EQ(readFileBytes(path), c.bytes);
        EXPECT_EQ(GetFileAttributesA((path + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_FALSE(replaceFile(dir.file("missing folder\\Ditdahl.ini"), "x"));
}

}  // namespace
}  // namespace ditdahl
