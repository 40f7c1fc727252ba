#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <regex>
#include <thread>

#include "station/DatagramSocket.h"
#include "support/TempDir.h"

extern char** environ;

namespace ditdahl {
namespace {

bool waitFor(const std::function<bool()>& condition) {
    for (int wait = 0; wait < 1000; ++wait) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// ditdahl-keyd keying a pseudo-terminal (whose modem lines take no change)
// on any free loopback port, its outputs in files.
class Keyd {
public:
    explicit Keyd(testing::TempDir& dir) : out_(dir.file("out.txt")), err_(dir.file("err.txt")) {
        char name[256] = {};
        int slave = -1;
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0) return;
        close(slave);
        const std::vector<std::string> arguments{KEYD_TOOL, "--port-device", name, "--udp-port", "0", "--wpm", "30"};
        std::vector<char*> argv;
        for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (posix_spawn(&pid_, KEYD_TOOL, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Keyd() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0) close(master_);
    }

    // The port it says it listens on; 0 when it says nothing within 10 s.
    int port() const {
        const std::regex listening("listening on 127\\.0\\.0\\.1 port ([0-9]+)");
        std::smatch found;
        std::string said;
        if (!waitFor([&] { return std::regex_search(said = err(), found, listening); })) return 0;
        return std::stoi(found[1]);
    }
    // Its exit status after SIGTERM; -1 when it did not end within 10 s.
    int terminate() {
        kill(pid_, SIGTERM);
        for (int wait = 0; wait < 1000; ++wait) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }
    std::string out() const { return testing::readFileBytes(out_); }
    std::string err() const { return testing::readFileBytes(err_); }

private:
    std::string out_;
    std::string err_;
    int master_ = -1;
    pid_t pid_ = -1;
};

TEST(KeydTool, KeysForALoggingProgramAndEndsOnSigtermWithTheLinesReleased) {
    struct Case {
        std::vector<std::string> datagrams;
        std::string reply;  // empty: terminated before any
        std::string sent;
    };
    const std::string esc(1, '\x1b');
    const Case cases[] = {
        {{esc + "hok", "e"}, "hok\r\n", "TX:   E\n"},
        // Ended in the middle of a long text: within its character.
        {{std::string(200, 't')}, "", "TX:   T"},
    };
    for (const Case& c : cases) {
        testing::TempDir dir;
        Keyd keyd(dir);
        const int port = keyd.port();
        ASSERT_NE(port, 0) << keyd.err();
        std::string error;
        auto client = openDatagramSocket("127.0.0.1", 0, error);
        ASSERT_TRUE(client) << error;
        for (const std::string& d : c.datagrams) client->send("127.0.0.1:" + std::to_string(port), d);
        if (!c.reply.empty()) {
            std::optional<Datagram> reply;
            for (int wait = 0; wait < 100 && !reply; ++wait) reply = client->receive();
            ASSERT_TRUE(reply);
            EXPECT_EQ(reply->bytes, c.reply);
        } else {
            ASSERT_TRUE(waitFor([&] { return keyd.err().find("Transmitting") != std::string::npos; }));
        }
        EXPECT_EQ(keyd.terminate(), 0) << keyd.err();
        EXPECT_NE(keyd.err().find("stopped; both lines released"), std::string::npos) << keyd.err();
        const std::string out = keyd.out();
        EXPECT_EQ(out.find(c.sent), 18u) << out;
        EXPECT_LT(out.size(), 18u + 6u + 200u) << out;
    }
}

}  // namespace
}  // namespace ditdahl
