#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <vector>

#include "linux/SocketAddress.h"
#include "station/DatagramSocket.h"

namespace ditdahl {

namespace {

// The largest datagram UDP carries, so that a long one is seen whole and
// judged by its real length.
constexpr std::size_t receiveCapacity = 65536;

// "192.0.2.1:6789" or "[2001:db8::1]:6789".
std::string peerName(const sockaddr_storage& address, socklen_t length) {
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV) != 0) {
        return {};
    }
    if (address.ss_family == AF_INET6) return "[" + std::string(host) + "]:" + service;
    return std::string(host) + ":" + service;
}

class UdpSocket final : public DatagramSocket {
public:
    explicit UdpSocket(int fd) : fd_(fd), buffer_(receiveCapacity) {}
    ~UdpSocket() override { ::close(fd_); }
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    std::optional<Datagram> receive() override {
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(datagramWaitMs)) <= 0) return std::nullopt;
        sockaddr_storage from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got =
            recvfrom(fd_, buffer_.data(), buffer_.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
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
        sendto(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT, to->ai_addr, to->ai_addrlen);
        freeaddrinfo(to);
    }

    int localPort() const override { return boundPort(fd_); }

private:
    int fd_;
    std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<DatagramSocket> openDatagramSocket(const std::string& address, int port, std::string& error) {
    addrinfo* local = numericAddress(address, std::to_string(port), SOCK_DGRAM, true);
    if (!local) {
        error = "not a numeric IP address";
        return nullptr;
    }
    const int fd = socket(local->ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || bind(fd, local->ai_addr, local->ai_addrlen) != 0) {
        error = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        freeaddrinfo(local);
        return nullptr;
    }
    freeaddrinfo(local);
    return std::make_unique<UdpSocket>(fd);
}

}  // namespace ditdahl
