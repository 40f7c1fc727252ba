// One telnet client of the spot server, on the server's thread: the login
// prompt, any call as the login, a greeting, then every spot line. Nothing
// it does waits for the client: what the system does not take at once waits
// here, and a client that lets more than mostWaiting bytes pile up (one that
// stopped reading) is given up on rather than holding up the others.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "spots/TelnetLines.h"
#include "station/StreamListener.h"

namespace ditdahl {

class SpotClient {
public:
    // Hours of spots on a busy band: far more than a client that reads
    // ever lets wait.
    static constexpr std::size_t mostWaiting = 64 * 1024;

    // Asks for the login.
    explicit SpotClient(std::unique_ptr<StreamConnection> connection);

    // Takes what the client typed and sends what waits; false once the
    // client has gone or stopped reading, when it is to be dropped.
    bool serve();
    // A line for the client once it has logged in, CRLF added.
    void sendSpot(std::string_view line);

private:
    void logIn(const std::string& line);
    void send(std::string_view bytes) { waiting_ += bytes; }

    std::unique_ptr<StreamConnection> connection_;
    TelnetLines lines_;
    std::string waiting_;
    std::string call_;  // empty until logged in
};

}  // namespace ditdahl
