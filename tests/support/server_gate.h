// The test's side of ordwell-extractd's gate (ORDWELL_EXTRACTD_GATE): a Unix socket in a
// temporary folder. The server reports each named point of its life there and waits at it until
// the connection of that point is closed.
#pragma once

#include <cstring>
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <string>
#include <sys/socket.h>
#include <sys/types.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

// A descriptor closed when it goes out of scope.
class TScopedFd
{
public:
    explicit TScopedFd(int aFd = -1) : fFd(aFd) {}
    TScopedFd(TScopedFd &&aOther) noexcept : fFd(std::exchange(aOther.fFd, -1)) {}
    TScopedFd &operator=(TScopedFd &&aOther) noexcept
    {
        std::swap(fFd, aOther.fFd);
        return *this;
    }
    ~TScopedFd()
    {
        if (fFd >= 0)
            ::close(fFd);
    }
    int Get() const { return fFd; }

private:
    int fFd;
};

class TServerGate
{
public:
    // One point reached: its name, the process that reached it, and the connection that holds it
    // there until it is closed.
    struct TPoint
    {
        std::string fName;
        pid_t fPid = -1;
        TScopedFd fConnection;
    };

    TServerGate() : fSocket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = Path().toLocal8Bit();
        if (size_t(path.size()) >= sizeof address.sun_path)
            return;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        fListening = ::bind(fSocket.Get(), reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
                     ::listen(fSocket.Get(), 16) == 0;
    }

    bool Listening() const { return fListening; }
    // The value of ORDWELL_EXTRACTD_GATE.
    QString Path() const { return fDir.filePath(QStringLiteral("gate")); }
    // Readable when a point has been reached.
    int Fd() const { return fSocket.Get(); }

    // The point of the next connection (blocks until one comes).
    TPoint Accept() const
    {
        TPoint point;
        point.fConnection = TScopedFd(::accept4(fSocket.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (point.fConnection.Get() < 0)
            return point;
        ucred peer{};
        socklen_t length = sizeof peer;
        if (::getsockopt(point.fConnection.Get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0)
            point.fPid = peer.pid;
        char c = 0;
        while (::recv(point.fConnection.Get(), &c, 1, 0) == 1 && c != '\n')
            point.fName += c;
        return point;
    }

private:
    QTemporaryDir fDir;
    TScopedFd fSocket;
    bool fListening = false;
};
