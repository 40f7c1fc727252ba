// A listening TCP socket and the connections it accepts: what the spot server
// serves telnet clients on. One thread owns a listener and its connections;
// nothing here ever waits longer than streamWaitMs, so that thread looks at
// its stop flag that often and one slow client never holds up the others.
// Each platform's adapter implements openStreamListener and connectStream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ditdahl {

// How long accept waits at most.
inline constexpr std::uint32_t streamWaitMs = 100;

class StreamConnection {
public:
    // Closes the connection.
    virtual ~StreamConnection() = default;
    // The bytes that have come, without waiting: empty when none have;
    // nothing once the peer has closed or the connection has failed.
    virtual std::optional<std::string> receiveNow() = 0;
    // Hands the system what it takes at once, without waiting: how many bytes
    // it took (0 when its buffer is full); nothing once the peer has gone.
    virtual std::optional<std::size_t> sendNow(std::string_view bytes) = 0;
};

class StreamListener {
public:
    // Stops listening; connections already accepted stay open.
    virtual ~StreamListener() = default;
    // The next connection; nothing when none came within streamWaitMs.
    virtual std::unique_ptr<StreamConnection> accept() = 0;
    // The port it listens on: the one asked for, or the one the system chose.
    virtual int localPort() const = 0;
};

// Listens on a numeric IPv4 or IPv6 address ("127.0.0.1", "::1", "0.0.0.0")
// and a port (0: any free one); nullptr, and why in error, when the address is
// no address or the port is taken or not permitted.
std::unique_ptr<StreamListener> openStreamListener(const std::string& address, int port, std::string& error);

// Connects to a listener as a client program does; nullptr, and why in error,
// when nothing listens there. Waits for the connection, so only for addresses
// that answer at once (this computer's).
std::unique_ptr<StreamConnection> connectStream(const std::string& address, int port, std::string& error);

}  // namespace ditdahl
