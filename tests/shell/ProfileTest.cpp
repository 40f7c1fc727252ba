#include <gtest/gtest.h>

#include "shell/Profile.h"
#include "support/TempDir.h"

namespace ditdahl {
namespace {

using testing::readFileBytes;
using testing::TempDir;
using testing::writeFileBytes;

TEST(Profile, ReadsValuesTheWayTheProfileFunctionsDo) {
    TempDir dir;
    const std::string path = dir.file("Ditdahl.ini");
    writeFileBytes(path,
                   "; a comment\r\n"
                   "[Other]\r\nFilter=9\r\n"
                   " [ ditdahl ] \r\n"
                   "  filter  =  0  \r\n"
                   "TX_Speed=5 wpm\r\n"
                   "Delay=abc\r\n"
                   "PTT_Port=-1\r\n"
                   "Quoted=\"  Line In  \"\r\n"
                   "Single='x'\r\n"
                   "Half=\"open\r\n"
                   "Empty=\r\n"
                   ";Threshold=70\r\n");
    struct IntCase {
        const char* key;
        int expected;
    };
    for (const IntCase& c : std::initializer_list<IntCase>{{"Filter", 0},
                                                           {"TX_SPEED", 5},
                                                           {"Delay", 0},
                                                           {"PTT_Port", -1},
                                                           {"Empty", 0},
                                                           {"Threshold", 50},
                                                           {"Missing", 50}}) {
        EXPECT_EQ(readProfileInt(path, "Ditdahl", c.key, 50), c.expected) << c.key;
    }
    struct StringCase {
        const char* key;
        const char* expected;
    };
    for (const StringCase& c : std::initializer_list<StringCase>{
             {"Quoted", "  Line In  "}, {"single", "x"}, {"Half", "\"open"}, {"Empty", ""}, {"Missing", "dflt"}}) {
        EXPECT_EQ(readProfileString(path, "DITDAHL", c.key, "dflt"), c.expected) << c.key;
    }
    EXPECT_EQ(readProfileString(path, "Ditdahl", "Quoted", "", 4), "  Li");
    EXPECT_EQ(readProfileInt(dir.file("none.ini"), "Ditdahl", "Filter", 1), 1);
}

TEST(Profile, WritesOnlyTheKeysLineAndKeepsEverythingElse) {
    TempDir dir;
    const std::string path = dir.file("Ditdahl.ini");
    const std::string before =
        "; my station\r\n"
        "[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n"
        "[Ditdahl]\r\n"
        "  filter = 1   ; old\r\n"
        "BeaconText=\"CQ DE X\"\r\n"
        "\r\n"
        "[Later]\r\nA=1";
    writeFileBytes(path, before);
    EXPECT_TRUE(writeProfileString(path, "Ditdahl", "Filter", "0"));
    EXPECT_TRUE(writeProfileString(path, "Ditdahl", "Delay", "4"));
    EXPECT_TRUE(writeProfileString(path, "New", "Key", "v\r\nInjected=1"));
    EXPECT_EQ(readFileBytes(path),
              "; my station\r\n"
              "[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n"
              "[Ditdahl]\r\n"
              "Filter=0\r\n"
              "BeaconText=\"CQ DE X\"\r\n"
              "Delay=4\r\n"
              "\r\n"
              "[Later]\r\nA=1\r\n"
              "[New]\r\nKey=v\r\n");
    EXPECT_EQ(readProfileString(path, "New", "Injected", "none"), "none");
}

// A read takes off blanks around a value and one pair of quotes: values that
// have them must still read back as they were written, and plain values stay
// plain for other programs that read the file.
TEST(Profile, AValueReadsBackAsItWasWritten) {
    TempDir dir;
    const std::string path = dir.file("Ditdahl.ini");
    struct Case {
        const char* value;
        const char* line;  // as written into the file
    };
    const Case cases[] = {
        {"CQ DE X", "Text=CQ DE X"},
        {"CQ DE X ", "Text=\"CQ DE X \""},
        {"\tQRL?", "Text=\"\tQRL?\""},
        {"\"CQ\"", "Text=\"\"CQ\"\""},
        {"'x'", "Text=\"'x'\""},
        {"\"", "Text=\""},
        {"a \"b\" c", "Text=a \"b\" c"},
        {"", "Text="},
        {" ", "Text=\" \""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeProfileString(path, "Ditdahl", "Text", c.value));
        EXPECT_EQ(readProfileString(path, "Ditdahl", "Text", "missing"), c.value) << c.value;
        EXPECT_EQ(readFileBytes(path), std::string("[Ditdahl]\r\n") + c.line + "\r\n") << c.value;
    }
}

// Line breaks converted twice leave a CR before the CR LF; a lone CR in a
// line ends its value, as it ends a value that is written, so that what was
// read is what a save writes back.
TEST(Profile, AValueEndsAtACarriageReturn) {
    TempDir dir;
    const std::string path = dir.file("Ditdahl.ini");
    writeFileBytes(path, "[Ditdahl]\r\nDoubled=CQ DE X\r\r\nInside=/tmp/a\rb.log\r\nAlone=\r7\r\nLast=9\r");
    struct Case {
        const char* key;
        const char* value;
    };
    for (const Case& c : {Case{"Doubled", "CQ DE X"}, Case{"Inside", "/tmp/a"}, Case{"Alone", ""}, Case{"Last", "9"}}) {
        const std::string value = readProfileString(path, "Ditdahl", c.key, "missing");
        EXPECT_EQ(value, c.value) << c.key;
        ASSERT_TRUE(writeProfileString(path, "Ditdahl", c.key, value));
        EXPECT_EQ(readProfileString(path, "Ditdahl", c.key, "missing"), value) << c.key;
    }
    EXPECT_EQ(readProfileInt(path, "Ditdahl", "Alone", 5), 0);
}

TEST(Profile, CreatesTheFileWithKeysInWriteOrderAndLeavesNoTemporary) {
    TempDir dir;
    const std::string path = dir.file("Ditdahl.ini");
    EXPECT_TRUE(writeProfileString(path, "Ditdahl", "Filter", "1"));
    EXPECT_TRUE(writeProfileString(path, "Ditdahl", "PTT_Signal", "0"));
    EXPECT_TRUE(writeProfileString(path, "Ditdahl", "filter", "0"));
    EXPECT_EQ(readFileBytes(path), "[Ditdahl]\r\nfilter=0\r\nPTT_Signal=0\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    // A file that cannot be written leaves a clear failure, not a half file.
    EXPECT_FALSE(writeProfileString(dir.file("missing/dir/Ditdahl.ini"), "Ditdahl", "Filter", "1"));
}

}  // namespace
}  // namespace ditdahl
