#include "linux/SocketAddress.h"

#include <sys/socket.h>

#include <arpa/inet.h>

namespace ditdahl {

addrinfo* numericAddress(const std::string& host, const std::string& port, int socketType, bool passive) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = socketType;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return nullptr;
    return found;
}

int boundPort(int fd) {
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
    if (bound.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(bound).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in&>(bound).sin_port);
}

}  // namespace ditdahl
