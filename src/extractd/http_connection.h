// The connections of ordwell-extractd: the HTTP library's server with our own handling of each
// connection. A request's head is read and its framing checked before the library sees it, the
// framing of a chunked body is followed as the library reads it, the head and the body have
// deadlines, the read buffer lives as long as the connection (pipelined requests), a client that
// half-closes still gets its answer, and each connection has its own thread up to a bound, so
// that slow clients do not hold back the others.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <httplib.h>
#include <string>
#include <string_view>

struct THttpLimits
{
    // Request bodies beyond this are refused with 413.
    std::uint64_t MaxBodyBytes = 1ull << 30;
    // Time for a request's line and headers from its first byte; also a body's grace and the
    // longest pause within a body.
    std::chrono::milliseconds HeaderTimeout{10000};
    // After the grace, a body must arrive at this average rate at least.
    std::uint64_t MinBodyBytesPerSecond = 64 * 1024;
    // A connection without a new request for this long is closed.
    std::chrono::milliseconds IdleTimeout{5000};
    // Time allowed for each write of an answer.
    std::chrono::milliseconds WriteTimeout{30000};
    unsigned MaxRequestsPerConnection = 100;
    // Connections served at once, one thread each; later ones wait for a free thread.
    unsigned MaxConnections = 128;
};

// What the check of a request head found.
struct THeadCheck
{
    // 0 when the request may go on; else the status to refuse it with.
    int Status = 0;
    const char *Note = "";
    std::string Method = "-";
    std::string Path = "-";
    bool Chunked = false;
    // The body's length when it is not chunked (0 without Content-Length).
    std::uint64_t ContentLength = 0;
    // The client asked to end the connection after this request.
    bool Close = false;
};

// How the framing of a chunked request body was refused (Status 0: it was not).
struct TBodyRefusal
{
    int Status = 0;
    const char *Note = "";
};

// Why the body of the request handled on the calling thread could not be read, when its chunked
// framing was refused. What carries no data (chunk extensions, zeros before a size beyond its 16
// digits, the trailer section) may take as much as a request head, 64 KiB, over the whole body:
// beyond it, 400 when chunk extensions cross the limit, 431 when the trailer does; 400 also for
// a malformed chunk. A handler whose content reader failed answers with it. Status 0 when the
// body was not refused so (or on a thread that serves no connection).
TBodyRefusal CurrentBodyRefusal();

// Checks a request head (request line and header lines, up to the blank line) before any of
// its body is read: 400 for a malformed head, conflicting Content-Length headers or
// Content-Length together with Transfer-Encoding; 501 for a transfer coding other than chunked;
// 415 for a body with a Content-Encoding other than identity (bodies are never inflated);
// 413 for a Content-Length beyond aMaxBodyBytes.
THeadCheck CheckRequestHead(std::string_view aHead, std::uint64_t aMaxBodyBytes);

class THttpServer : public httplib::Server
{
public:
    // Called for each request refused before the library saw it.
    using TRefusalLog = std::function<void(const THeadCheck &aRefusal)>;

    THttpServer(const THttpLimits &aLimits, TRefusalLog aLog);

    // Closes the listening socket, whether or not the library's accept loop runs yet (its own
    // stop() does nothing before the loop has started): a loop that has not started yet does not
    // start, a running one ends, and open connections end at their next wait. Any thread; later
    // calls do nothing.
    void StopListening();

private:
    bool process_and_close_socket(socket_t aSocket) override;

    THttpLimits fLimits;
    TRefusalLog fLog;
};
