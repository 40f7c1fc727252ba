// What the UDP and TCP sockets share: numeric addresses only (a name to look
// up could hang on a resolver or point anywhere), and the port a socket is
// bound to.
#pragma once

#include <netdb.h>

#include <string>

namespace ditdahl {

// nullptr when host or port is not numeric; freed with freeaddrinfo.
addrinfo* numericAddress(const std::string& host, const std::string& port, int socketType, bool passive);
// The port fd is bound to; 0 when it cannot be told.
int boundPort(int fd);

}  // namespace ditdahl
