// A UDP socket bound to one address and port: what the keying server listens
// on. Peers are named by text, "127.0.0.1:6789" or "[::1]:6789", so that the
// core can keep them, print them and answer them without knowing the system's
// address structures. Each platform's adapter implements openDatagramSocket;
// one thread receives while another sends.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ditdahl {

// How long receive waits at most, so that a receiving thread looks at its
// stop flag this often.
inline constexpr std::uint32_t datagramWaitMs = 100;

struct Datagram {
    std::string bytes;  // all of them, however many
    std::string peer;   // the sender, as send takes it
};

class DatagramSocket {
public:
    // Closes the socket.
    virtual ~DatagramSocket() = default;
    // The next datagram; nothing when none came within datagramWaitMs.
    virtual std::optional<Datagram> receive() = 0;
    // A datagram that cannot be sent (no such peer, a full buffer) is lost,
    // as UDP may lose any.
    virtual void send(std::string_view peer, std::string_view bytes) = 0;
    // The port it is bound to: the one asked for, or the one the system chose.
    virtual int localPort() const = 0;
};

// Binds a socket to a numeric IPv4 or IPv6 address ("127.0.0.1", "::1",
// "0.0.0.0") and a port (0: any free one); nullptr, and why in error, when the
// address is no address or the port is taken or not permitted.
std::unique_ptr<DatagramSocket> openDatagramSocket(const std::string& address, int port, std::string& error);

}  // namespace ditdahl
