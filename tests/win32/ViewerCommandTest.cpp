#include <gtest/gtest.h>

#include "win32/WinDesktop.h"

namespace ditdahl {
namespace {

// The log's path is one argument of the viewer, blanks and all.
TEST(ViewerCommand, QuotesThePath) {
    const struct {
        const char* path;
        const char* commandLine;
    } cases[] = {
        {"C:\\Ditdahl\\Ditdahl.log", "notepad.exe \"C:\\Ditdahl\\Ditdahl.log\""},
        {"C:\\Program Files\\Ditdahl/Ditdahl.log", "notepad.exe \"C:\\Program Files\\Ditdahl/Ditdahl.log\""},
        {"log with blanks.txt", "notepad.exe \"log with blanks.txt\""},
    };
    for (const auto& c : cases) EXPECT_EQ(viewerCommandLine("notepad.exe", c.path), c.commandLine) << c.path;
}

}  // namespace
}  // namespace ditdahl
