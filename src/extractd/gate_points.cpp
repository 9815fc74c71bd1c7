// The gate: one Unix socket connection per point reached.
#include "extractd/gate_points.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

void PassGatePoint(std::string_view aPoint)
{
    static const char *const gate = std::getenv("ORDWELL_EXTRACTD_GATE");
    if (!gate || *gate == '\0')
        return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(gate) >= sizeof address.sun_path)
        return;
    std::strcpy(address.sun_path, gate);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        const std::string line = std::string(aPoint) + "\n";
        if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == ssize_t(line.size())) {
            char reply = 0;
            while (::recv(fd, &reply, 1, 0) < 0 && errno == EINTR) {
            }
        }
    }
    ::close(fd);
}
