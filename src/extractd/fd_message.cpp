// One message over a unix socket together with open descriptors (SCM_RIGHTS): how the server
// hands a document to a child and how the zygote hands a new child's socket to the server.
#include "extractd/fd_message.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Room for the most descriptors a message of ours carries.
constexpr std::size_t MaxFds = 2;

struct TFdMessage
{
    TFdMessage(void *aData, std::size_t aLength) : Data{aData, aLength}
    {
        Header.msg_iov = &Data;
        Header.msg_iovlen = 1;
        Header.msg_control = Control;
        Header.msg_controllen = sizeof Control;
    }
    TFdMessage(const TFdMessage &) = delete;
    TFdMessage &operator=(const TFdMessage &) = delete;

    iovec Data;
    alignas(cmsghdr) char Control[CMSG_SPACE(MaxFds * sizeof(int))] = {};
    msghdr Header{};
};

} // namespace

bool SendWithFds(int aSocket, std::string_view aData, std::span<const int> aFds)
{
    if (aFds.size() > MaxFds)
        return false;
    TFdMessage msg(const_cast<char *>(aData.data()), aData.size());
    if (aFds.empty()) {
        msg.Header.msg_control = nullptr;
        msg.Header.msg_controllen = 0;
    } else {
        msg.Header.msg_controllen = CMSG_SPACE(aFds.size_bytes());
        cmsghdr *cmsg = CMSG_FIRSTHDR(&msg.Header);
        cmsg->cmsg_level = SOL_SOCKET;
        cmsg->cmsg_type = SCM_RIGHTS;
        cmsg->cmsg_len = CMSG_LEN(aFds.size_bytes());
        std::memcpy(CMSG_DATA(cmsg), aFds.data(), aFds.size_bytes());
    }
    ssize_t sent;
    do {
        sent = sendmsg(aSocket, &msg.Header, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(aData.size());
}

ssize_t ReceiveWithFds(int aSocket, std::span<char> aBuffer, std::span<int> aFds)
{
    std::fill(aFds.begin(), aFds.end(), -1);
    TFdMessage msg(aBuffer.data(), aBuffer.size());
    ssize_t received;
    do {
        received = recvmsg(aSocket, &msg.Header, MSG_CMSG_CLOEXEC);
    } while (received < 0 && errno == EINTR);
    if (received <= 0)
        return received;
    std::size_t count = 0;
    bool complete = (msg.Header.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) == 0;
    for (cmsghdr *cmsg = CMSG_FIRSTHDR(&msg.Header); cmsg != nullptr; cmsg = CMSG_NXTHDR(&msg.Header, cmsg)) {
        if (cmsg->cmsg_level != SOL_SOCKET || cmsg->cmsg_type != SCM_RIGHTS)
            continue;
        std::size_t n = (cmsg->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (std::size_t i = 0; i < n; ++i) {
            int fd;
            std::memcpy(&fd, CMSG_DATA(cmsg) + i * sizeof(int), sizeof fd);
            if (count < aFds.size())
                aFds[count] = fd;
            else
                close(fd);
            ++count;
        }
    }
    if (complete && count <= aFds.size())
        return received;
    for (int &fd : aFds)
        if (fd >= 0) {
            close(fd);
            fd = -1;
        }
    return -1;
}
