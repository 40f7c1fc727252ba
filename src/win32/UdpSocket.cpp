#include <vector>
#include <winsock2.h>
#include <ws2tcpip.h>

#include "station/DatagramSocket.h"
#include "win32/Winsock.h"

namespace ditdahl {

namespace {

// The largest datagram UDP carries, so that a long one is seen whole and
// judged by its real length.
constexpr int receiveCapacity = 65536;

// "192.0.2.1:6789" or "[2001:db8::1]:6789".
std::string peerName(const sockaddr_storage& address, int length) {
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return {};
    }
    if (address.ss_family == AF_INET6) return "[" + std::string(host) + "]:" + service;
    return std::string(host) + ":" + service;
}

class WinsockSocket final : public DatagramSocket {
public:
    explicit WinsockSocket(SOCKET socket) : socket_(socket), buffer_(receiveCapacity) {}
    ~WinsockSocket() override { closesocket(socket_); }
    WinsockSocket(const WinsockSocket&) = delete;
    WinsockSocket& operator=(const WinsockSocket&) = delete;

    std::optional<Datagram> receive() override {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait{0, static_cast<long>(datagramWaitMs) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return std::nullopt;
        sockaddr_storage from{};
        int fromLength = sizeof from;
        const int got =
            recvfrom(socket_, buffer_.data(), receiveCapacity, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
        // A reply to a peer that has gone comes back as WSAECONNRESET on the
        // next receive; it is no datagram.
        if (got < 0) return std::nullopt;
        return Datagram{std::string(buffer_.data(), static_cast<std::size_t>(got)), peerName(from, fromLength)};
    }

    void send(std::string_view peer, std::string_view bytes) override {
        const std::size_t colon = peer.rfind(':');
        if (colon == std::string_view::npos) return;
        std::string host(peer.substr(0, colon));
        if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
        addrinfo* to = numericAddress(host, std::string(peer.substr(colon + 1)), SOCK_DGRAM, false);
        if (!to) return;
        sendto(socket_, bytes.data(), static_cast<int>(bytes.size()), 0, to->ai_addr, static_cast<int>(to->ai_addrlen));
        freeaddrinfo(to);
    }

    int localPort() const override { return boundPort(socket_); }

private:
    SOCKET socket_;
    std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<DatagramSocket> openDatagramSocket(const std::string& address, int port, std::string& error) {
    if (!startWinsock()) {
        error = "the network is not available";
        return nullptr;
    }
    addrinfo* local = numericAddress(address, std::to_string(port), SOCK_DGRAM, true);
    if (!local) {
        error = "not a numeric IP address";
        return nullptr;
    }
    const SOCKET socket = ::socket(local->ai_family, SOCK_DGRAM, IPPROTO_UDP);
    if (socket == INVALID_SOCKET) {
        error = winsockError();
        freeaddrinfo(local);
        return nullptr;
    }
    // Without it another program could bind the same port and take the
    // logging program's datagrams.
    BOOL exclusive = TRUE;
    setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    if (bind(socket, local->ai_addr, static_cast<int>(local->ai_addrlen)) != 0) {
        error = winsockError();
        closesocket(socket);
        freeaddrinfo(local);
        return nullptr;
    }
    freeaddrinfo(local);
    return std::make_unique<WinsockSocket>(socket);
}

}  // namespace ditdahl
