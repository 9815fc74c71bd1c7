// The HTTP side of ordwell-extractd: Tika-compatible routes, admission of requests, one
// sandboxed child per document, one log line per request.
#pragma once

#include "extractd/server_options.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

class TChildPool;
class THttpServer;

namespace httplib {
struct Request;
struct Response;
class ContentReader;
} // namespace httplib

class TExtractServer
{
public:
    explicit TExtractServer(const TServerOptions &aOptions);
    ~TExtractServer();
    TExtractServer(const TExtractServer &) = delete;
    TExtractServer &operator=(const TExtractServer &) = delete;

    // Binds the listening socket; returns the port (the chosen one for port 0) or -1.
    int Bind();
    // Serves on the calling thread until Stop(); false when the socket fails. Returns at once
    // when Stop() came first.
    bool Serve();
    // Ends Serve() whenever it comes: before Serve(), while it starts or while it serves (a stop
    // sticks, and it closes the listening socket itself). Documents being extracted and requests
    // waiting for a worker are answered 503 at once. Any thread, any number of times.
    void Stop();

private:
    void HandleExtract(const httplib::Request &aRequest, httplib::Response &aResponse,
                       const httplib::ContentReader &aReader);
    bool AcquireSlot();
    void ReleaseSlot();

    TServerOptions fOptions;
    std::unique_ptr<THttpServer> fServer;
    std::unique_ptr<TChildPool> fChildren;
    int fListenSocket = -1;
    std::atomic<bool> fStopped{false};
    std::atomic<unsigned> fAdmitted{0};
    std::mutex fSlotLock;
    std::condition_variable fSlotFree;
    unsigned fBusySlots = 0;
};

// The greeting of GET /tika.
std::string ServerGreeting();
// The answer of GET /version.
std::string ServerVersion();
