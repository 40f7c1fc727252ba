#include <gtest/gtest.h>

#include "remote/Request.h"

namespace ditdahl {
namespace {

struct Case {
    std::string datagram;
    RequestKind kind;
    int value;
    std::string text;
    bool echo;
    bool problem;
};

const std::string esc(1, '\x1b');

TEST(Request, EachDatagramIsOneRequest) {
    const Case cases[] = {
        {"cq test", RequestKind::Text, 0, "cq test", false, false},
        {"tu 5nn\r\n", RequestKind::Text, 0, "tu 5nn", false, false},
        {"dl1abc^ignored", RequestKind::Text, 0, "dl1abc", true, false},
        {"", RequestKind::Ignored, 0, "", false, false},
        {"\r\n", RequestKind::Ignored, 0, "", false, false},
        {std::string(256, 'e'), RequestKind::Text, 0, std::string(256, 'e'), false, false},
        {std::string(257, 'e'), RequestKind::Ignored, 0, "", false, true},
        {esc + "225", RequestKind::Speed, 25, "", false, false},
        {esc + "210\r\n", RequestKind::Speed, 10, "", false, false},
        {esc + "230", RequestKind::Speed, 30, "", false, false},
        {esc + "231", RequestKind::Ignored, 0, "", false, true},
        {esc + "29", RequestKind::Ignored, 0, "", false, true},
        {esc + "2", RequestKind::Ignored, 0, "", false, true},
        {esc + "22x", RequestKind::Ignored, 0, "", false, true},
        {esc + "29999999999", RequestKind::Ignored, 0, "", false, true},
        {esc + "4", RequestKind::Abort, 0, "", false, false},
        {esc + "0", RequestKind::Reset, 0, "", false, false},
        {esc + "a1", RequestKind::Ptt, 1, "", false, false},
        {esc + "a0", RequestKind::Ptt, 0, "", false, false},
        {esc + "a2", RequestKind::Ignored, 0, "", false, true},
        {esc + "hcat", RequestKind::Echo, 0, "hcat", false, false},
        {esc + "h", RequestKind::Echo, 0, "h", false, false},
        {esc + "3800", RequestKind::Unsupported, 800, "", false, false},
        {esc + "3-1", RequestKind::Ignored, 0, "", false, true},
        {esc + "7-50", RequestKind::Weight, -50, "", false, false},
        {esc + "751", RequestKind::Ignored, 0, "", false, true},
        {esc + "5", RequestKind::Unsupported, 0, "", false, false},
        {esc + "8/dev/ttyS1", RequestKind::Unsupported, 0, "", false, false},
        {esc + "d500", RequestKind::Unsupported, 500, "", false, false},
        {esc + "fa", RequestKind::Unsupported, 0, "", false, false},
        {esc + "g101", RequestKind::Ignored, 0, "", false, true},
        {esc, RequestKind::Ignored, 0, "", false, true},
        {esc + "z", RequestKind::Ignored, 0, "", false, true},
        {esc + std::string(1, '\0'), RequestKind::Ignored, 0, "", false, true},
    };
    for (const Case& c : cases) {
        const Request r = parseRequest(c.datagram);
        EXPECT_EQ(r.kind, c.kind) << c.datagram;
        EXPECT_EQ(r.value, c.value) << c.datagram;
        EXPECT_EQ(r.text, c.text) << c.datagram;
        EXPECT_EQ(r.echo, c.echo) << c.datagram;
        EXPECT_EQ(!r.problem.empty(), c.problem) << c.datagram;
    }
}

}  // namespace
}  // namespace ditdahl
