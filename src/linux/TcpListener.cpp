#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>

#include "linux/SocketAddress.h"
#include "station/StreamListener.h"

namespace ditdahl {

namespace {

// Enough for a burst of spots between two reads of the server's thread.
constexpr std::size_t receiveCapacity = 4096;

bool wouldWait(int code) { return code == EAGAIN || code == EWOULDBLOCK || code == EINTR; }

class TcpConnection final : public StreamConnection {
public:
    explicit TcpConnection(int fd) : fd_(fd) {}
    ~TcpConnection() override { ::close(fd_); }
    TcpConnection(const TcpConnection&) = delete;
    TcpConnection& operator=(const TcpConnection&) = delete;

    std::optional<std::string> receiveNow() override {
        char buffer[receiveCapacity];
        const ssize_t got = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0) return std::string(buffer, static_cast<std::size_t>(got));
        if (got < 0 && wouldWait(errno)) return std::string();
        return std::nullopt;
    }

    std::optional<std::size_t> sendNow(std::string_view bytes) override {
        // No SIGPIPE: a client that has gone must not end the program.
        const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= 0) return static_cast<std::size_t>(sent);
        if (wouldWait(errno)) return 0;
        return std::nullopt;
    }

private:
    int fd_;
};

class TcpListener final : public StreamListener {
public:
    explicit TcpListener(int fd) : fd_(fd) {}
    ~TcpListener() override { ::close(fd_); }
    TcpListener(const TcpListener&) = delete;
    TcpListener& operator=(const TcpListener&) = delete;

    std::unique_ptr<StreamConnection> accept() override {
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(streamWaitMs)) <= 0) return nullptr;
        const int connection = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) return nullptr;
        return std::make_unique<TcpConnection>(connection);
    }

    int localPort() const override { return boundPort(fd_); }

private:
    int fd_;
};

}  // namespace

std::unique_ptr<StreamListener> openStreamListener(const std::string& address, int port, std::string& error) {
    addrinfo* local = numericAddress(address, std::to_string(port), SOCK_STREAM, true);
    if (!local) {
        error = "not a numeric IP address";
        return nullptr;
    }
    const int fd = socket(local->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // Without it a restart would find the port taken for a minute by the
    // connections the last run closed.
    const int reuse = 1;
    if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (fd < 0 || bind(fd, local->ai_addr, local->ai_addrlen) != 0 || listen(fd, SOMAXCONN) != 0) {
        error = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        freeaddrinfo(local);
        return nullptr;
    }
    freeaddrinfo(local);
    return std::make_unique<TcpListener>(fd);
}

std::unique_ptr<StreamConnection> connectStream(const std::string& address, int port, std::string& error) {
    addrinfo* remote = numericAddress(address, std::to_string(port), SOCK_STREAM, false);
    if (!remote) {
        error = "not a numeric IP address";
        return nullptr;
    }
    const int fd = socket(remote->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0 || connect(fd, remote->ai_addr, remote->ai_addrlen) != 0) {
        error = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        freeaddrinfo(remote);
        return nullptr;
    }
    freeaddrinfo(remote);
    return std::make_unique<TcpConnection>(fd);
}

}  // namespace ditdahl
