// A plain-http stand-in for the vendor's web server on a free loopback port, started by each
// test that needs it and stopped when it goes.
#pragma once

#include <atomic>
#include <chrono>
#include <httplib.h>
#include <QString>
#include <thread>

class TVendorTestServer
{
public:
    TVendorTestServer() = default;
    ~TVendorTestServer() { Stop(); }
    TVendorTestServer(const TVendorTestServer &) = delete;
    TVendorTestServer &operator=(const TVendorTestServer &) = delete;

    // Binds a free port and serves on a thread of its own; handlers are added before.
    void Start()
    {
        fPort = fServer.bind_to_any_port("127.0.0.1");
        fThread = std::thread([this] { fServer.listen_after_bind(); });
        while (!fServer.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void Stop()
    {
        fRelease = true;
        if (fThread.joinable()) {
            fServer.stop();
            fThread.join();
        }
    }
    QString BaseUrl() const { return QStringLiteral("http://127.0.0.1:%1").arg(fPort); }
    int Port() const { return fPort; }

    httplib::Server fServer;
    // Set when the test ends: handlers that hold a reply back let go.
    std::atomic<bool> fRelease{false};

private:
    std::thread fThread;
    int fPort = 0;
};

// A loopback address where nothing listens (a port bound once and closed again).
inline QString UnreachableBaseUrl()
{
    TVendorTestServer server;
    server.Start();
    const QString url = server.BaseUrl();
    server.Stop();
    return url;
}
