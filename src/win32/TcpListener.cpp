#include <winsock2.h>
#include <ws2tcpip.h>

#include "station/StreamListener.h"
#include "win32/Winsock.h"

namespace ditdahl {

namespace {

// Enough for a burst of spots between two reads of the server's thread.
constexpr int receiveCapacity = 4096;

class WinsockConnection final : public StreamConnection {
public:
    // Winsock has no per-call "do not wait" flag: the socket itself never
    // waits.
    explicit WinsockConnection(SOCKET socket) : socket_(socket) {
        u_long nonBlocking = 1;
        ioctlsocket(socket_, FIONBIO, &nonBlocking);
    }
    ~WinsockConnection() override { closesocket(socket_); }
    WinsockConnection(const WinsockConnection&) = delete;
    WinsockConnection& operator=(const WinsockConnection&) = delete;

    std::optional<std::string> receiveNow() override {
        char buffer[receiveCapacity];
        const int got = recv(socket_, buffer, receiveCapacity, 0);
        if (got > 0) return std::string(buffer, static_cast<std::size_t>(got));
        if (got == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return std::string();
        return std::nullopt;
    }

    std::optional<std::size_t> sendNow(std::string_view bytes) override {
        const int sent = send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
        if (sent >= 0) return static_cast<std::size_t>(sent);
        if (WSAGetLastError() == WSAEWOULDBLOCK) return 0;
        return std::nullopt;
    }

private:
    SOCKET socket_;
};

class WinsockListener final : public StreamListener {
public:
    explicit WinsockListener(SOCKET socket) : socket_(socket) {}
    ~WinsockListener() override { closesocket(socket_); }
    WinsockListener(const WinsockListener&) = delete;
    WinsockListener& operator=(const WinsockListener&) = delete;

    std::unique_ptr<StreamConnection> accept() override {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait{0, static_cast<long>(streamWaitMs) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return nullptr;
        const SOCKET connection = ::accept(socket_, nullptr, nullptr);
        if (connection == INVALID_SOCKET) return nullptr;
        return std::make_unique<WinsockConnection>(connection);
    }

    int localPort() const override { return boundPort(socket_); }

private:
    SOCKET socket_;
};

// The socket for the address, or INVALID_SOCKET with why in error.
SOCKET openSocket(const addrinfo& address, std::string& error) {
    const SOCKET socket = ::socket(address.ai_family, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET) error = winsockError();
    return socket;
}

}  // namespace

std::unique_ptr<StreamListener> openStreamListener(const std::string& address, int port, std::string& error) {
    if (!startWinsock()) {
        error = "the network is not available";
        return nullptr;
    }
    addrinfo* local = numericAddress(address, std::to_string(port), SOCK_STREAM, true);
    if (!local) {
        error = "not a numeric IP address";
        return nullptr;
    }
    const SOCKET socket = openSocket(*local, error);
    if (socket == INVALID_SOCKET) {
        freeaddrinfo(local);
        return nullptr;
    }
    // Without it another program could bind the same port and take the
    // clients' connections.
    BOOL exclusive = TRUE;
    setsockopt(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    if (bind(socket, local->ai_addr, static_cast<int>(local->ai_addrlen)) != 0 || listen(socket, SOMAXCONN) != 0) {
        error = winsockError();
        closesocket(socket);
        freeaddrinfo(local);
        return nullptr;
    }
    freeaddrinfo(local);
    return std::make_unique<WinsockListener>(socket);
}

std::unique_ptr<StreamConnection> connectStream(const std::string& address, int port, std::string& error) {
    if (!startWinsock()) {
        error = "the network is not available";
        return nullptr;
    }
    addrinfo* remote = numericAddress(address, std::to_string(port), SOCK_STREAM, false);
    if (!remote) {
        error = "not a numeric IP address";
        return nullptr;
    }
    const SOCKET socket = openSocket(*remote, error);
    if (socket == INVALID_SOCKET) {
        freeaddrinfo(remote);
        return nullptr;
    }
    if (connect(socket, remote->ai_addr, static_cast<int>(remote->ai_addrlen)) != 0) {
        error = winsockError();
        closesocket(socket);
        freeaddrinfo(remote);
        return nullptr;
    }
    freeaddrinfo(remote);
    return std::make_unique<WinsockConnection>(socket);
}

}  // namespace ditdahl
