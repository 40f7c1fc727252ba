// What the UDP and TCP sockets share on Windows: Winsock started once,
// its errors as text, numeric addresses only (a name to look up could hang
// on a resolver or point anywhere), and the port a socket is bound to.
#pragma once

#include <string>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace ditdahl {

// Started on the first call and left running to the process's end; false
// when Winsock cannot start.
bool startWinsock();
// The last Winsock error in the system's language, as UTF-8.
std::string winsockError();
// nullptr when host or port is not numeric; freed with freeaddrinfo.
addrinfo* numericAddress(const std::string& host, const std::string& port, int socketType, bool passive);
// The port socket is bound to; 0 when it cannot be told.
int boundPort(SOCKET socket);

}  // namespace ditdahl
