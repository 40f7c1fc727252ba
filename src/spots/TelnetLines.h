// The lines a telnet client types, without the option negotiation a telnet
// program mixes in (IAC sequences) and without line ends ("\r\n", "\r\0",
// "\n"). Logging programs' cluster windows send plain lines; a real telnet
// program may negotiate first, and those bytes must not end up in the call
// it logs in with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ditdahl {

class TelnetLines {
public:
    // The lines the bytes complete; a line is kept to its first
    // longestLine characters.
    std::vector<std::string> take(std::string_view bytes);

    static constexpr std::size_t longestLine = 256;

private:
    enum class State { Text, Command, Option, Subnegotiation, SubnegotiationCommand };
    void takeText(char c, std::vector<std::string>& lines);

    State state_ = State::Text;
    std::string line_;
    bool afterCr_ = false;
};

}  // namespace ditdahl
