// One message over a unix socket together with open descriptors (SCM_RIGHTS): how the server
// hands a document to a child and how the zygote hands a new child's socket to the server.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <sys/types.h>

// Sends aData and the descriptors aFds (may be empty) as one message, retrying on EINTR and
// never raising SIGPIPE. Returns true when the whole message was sent.
bool SendWithFds(int aSocket, std::string_view aData, std::span<const int> aFds);

// Receives one message into aBuffer and the descriptors that came with it into aFds, opened
// close-on-exec; a slot without a descriptor is -1. Returns the byte count, 0 when the peer has
// gone, -1 on failure or when the message was cut or brought more than aFds.size() descriptors
// (those it brought are closed then, so that none leaks).
ssize_t ReceiveWithFds(int aSocket, std::span<char> aBuffer, std::span<int> aFds);
