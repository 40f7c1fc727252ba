#include "win32/Winsock.h"

#include "win32/WideText.h"

namespace ditdahl {

bool startWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

std::string winsockError() {
    wchar_t text[256] = {};
    const int code = WSAGetLastError();
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code), 0,
                   text, 256, nullptr);
    std::string message = fromWide(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}

addrinfo* numericAddress(const std::string& host, const std::string& port, int socketType, bool passive) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = socketType;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV | (passive ? AI_PASSIVE : 0);
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return nullptr;
    return found;
}

int boundPort(SOCKET socket) {
    sockaddr_storage bound{};
    int length = sizeof bound;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&bound), &length) != 0) return 0;
    if (bound.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(bound).sin6_port);
    return ntohs(reinterpret_cast<const sockaddr_in&>(bound).sin_port);
}

}  // namespace ditdahl
