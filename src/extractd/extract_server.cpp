// The HTTP side of ordwell-extractd: Tika-compatible routes, admission of requests, one
// sandboxed child per document, one log line per request.
#include "extractd/extract_server.h"

#include "extractd/child_job.h"
#include "extractd/child_pool.h"
#include "extractd/gate_points.h"
#include "extractd/http_connection.h"
#include "extractd/request_headers.h"
#include "extractd/sandbox.h"
#include "extractd/scratch_file.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <httplib.h>
#include <optional>
#include <sys/socket.h>

namespace {

constexpr const char *TextType = "text/plain; charset=UTF-8";
// Names the kind of a refusal for the program ("encrypted", "corrupt", "timeout", "too-large",
// ...): a Tika client ignores it, Ordwell tells its user why a document was not read.
constexpr const char *FailureHeader = "X-Extraction-Failure";

// Requests beyond this many per worker, running or waiting, are refused with 503.
constexpr unsigned AdmittedPerWorker = 4;

void LogRequest(const std::string &aMethod, const std::string &aPath, const char *aType,
                std::uint64_t aBytesIn, std::uint64_t aCharsOut, std::chrono::steady_clock::time_point aStart,
                int aStatus, const char *aNote)
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - aStart)
                  .count();
    std::fprintf(stderr, "%s %s type=%s in=%" PRIu64 " out=%" PRIu64 " ms=%lld status=%d%s%s\n",
                 aMethod.c_str(), aPath.c_str(), aType, aBytesIn, aCharsOut, static_cast<long long>(ms),
                 aStatus, *aNote ? " note=" : "", aNote);
}

void LogRequest(const httplib::Request &aRequest, const char *aType, std::uint64_t aBytesIn,
                std::uint64_t aCharsOut, std::chrono::steady_clock::time_point aStart, int aStatus,
                const char *aNote)
{
    LogRequest(aRequest.method, aRequest.path, aType, aBytesIn, aCharsOut, aStart, aStatus, aNote);
}

THttpLimits HttpLimits(const TServerOptions &aOptions)
{
    THttpLimits limits;
    limits.MaxBodyBytes = aOptions.MaxBodyMb * 1024 * 1024;
    limits.HeaderTimeout = std::chrono::milliseconds(aOptions.HeaderTimeoutMs);
    limits.MinBodyBytesPerSecond = std::uint64_t(aOptions.MinBodyRateKib) * 1024;
    limits.IdleTimeout = std::chrono::milliseconds(aOptions.IdleTimeoutMs);
    // Every admitted request may hold a connection, and slow clients must not starve them.
    limits.MaxConnections = std::max(128u, aOptions.Workers * (AdmittedPerWorker + 1) + 2);
    return limits;
}

} // namespace

std::string ServerGreeting()
{
    return "This is Ordwell Extraction Server (ordwell-extractd " ORDWELL_VERSION "). Please PUT\n";
}

std::string ServerVersion()
{
    return "ordwell-extractd " ORDWELL_VERSION;
}

TExtractServer::TExtractServer(const TServerOptions &aOptions)
    : fOptions(aOptions),
      fServer(std::make_unique<THttpServer>(HttpLimits(aOptions),
                                            [](const THeadCheck &aRefusal) {
                                                LogRequest(aRefusal.Method, aRefusal.Path, "-", 0, 0,
                                                           std::chrono::steady_clock::now(), aRefusal.Status,
                                                           aRefusal.Note);
                                            })),
      fChildren(std::make_unique<TChildPool>(aOptions.Workers, aOptions.TimeoutMs))
{
    // Remember the listening socket (the library's own options are kept: address reuse).
    fServer->set_socket_options([this](int aSocket) {
        int yes = 1;
        setsockopt(aSocket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        fListenSocket = aSocket;
    });
    // The library calls its logger once an answer is written: the time to fork the next child.
    fServer->set_logger([this](const httplib::Request &, const httplib::Response &) { fChildren->Refill(); });
    auto greeting = [](const httplib::Request &aRequest, httplib::Response &aResponse) {
        aResponse.set_content(ServerGreeting(), "text/plain");
        LogRequest(aRequest, "-", 0, 0, std::chrono::steady_clock::now(), 200, "");
    };
    fServer->Get("/tika", greeting);
    fServer->Get("/version", [](const httplib::Request &aRequest, httplib::Response &aResponse) {
        aResponse.set_content(ServerVersion(), "text/plain");
        LogRequest(aRequest, "-", 0, 0, std::chrono::steady_clock::now(), 200, "");
    });
    auto extract = [this](const httplib::Request &aRequest, httplib::Response &aResponse,
                          const httplib::ContentReader &aReader) {
        HandleExtract(aRequest, aResponse, aReader);
    };
    fServer->Put("/tika", extract);
    fServer->Put("/tika/text", extract);
}

TExtractServer::~TExtractServer() = default;

int TExtractServer::Bind()
{
    int port = fOptions.Port == 0
                   ? fServer->bind_to_any_port(fOptions.Host)
                   : (fServer->bind_to_port(fOptions.Host, fOptions.Port) ? fOptions.Port : -1);
    // The library listens with a backlog of 5; a burst of clients (the program's preview and
    // search at once, or several programs) would wait for TCP retransmissions.
    if (port > 0 && fListenSocket >= 0)
        ::listen(fListenSocket, SOMAXCONN);
    return port;
}

bool TExtractServer::Serve()
{
    // A stop sets the flag before it closes the socket: either it is seen here, or the socket is
    // closed before the accept loop waits on it (or wakes it), so no stop is lost.
    if (fStopped) {
        fServer->StopListening(); // a stop that came before Bind()
        return true;
    }
    PassGatePoint(GatePointServing);
    return fServer->listen_after_bind();
}

void TExtractServer::Stop()
{
    fStopped = true;
    fServer->StopListening();
    // Requests in progress end now: those waiting for a worker and the documents being extracted
    // are answered 503 at once.
    {
        // Taken and left: a request between its look at fStopped and its wait gets the wake.
        std::lock_guard lock(fSlotLock);
    }
    fSlotFree.notify_all();
    fChildren->Cancel();
    PassGatePoint(GatePointStopped);
}

bool TExtractServer::AcquireSlot()
{
    std::unique_lock lock(fSlotLock);
    bool free = fSlotFree.wait_for(lock, std::chrono::milliseconds(fOptions.TimeoutMs), [this] {
        return fBusySlots < fOptions.Workers || fStopped;
    }) && !fStopped;
    if (free)
        ++fBusySlots;
    return free;
}

void TExtractServer::ReleaseSlot()
{
    {
        std::lock_guard lock(fSlotLock);
        --fBusySlots;
    }
    fSlotFree.notify_one();
}

void TExtractServer::HandleExtract(const httplib::Request &aRequest, httplib::Response &aResponse,
                                   const httplib::ContentReader &aReader)
{
    auto start = std::chrono::steady_clock::now();
    struct TAdmission
    {
        std::atomic<unsigned> &Count;
        unsigned Value;
        ~TAdmission() { --Count; }
    } admission{fAdmitted, ++fAdmitted};
    auto refuse = [&](int aStatus, const char *aNote, std::uint64_t aBytesIn) {
        aResponse.status = aStatus;
        aResponse.set_header(FailureHeader, aNote);
        aResponse.set_content("", TextType);
        LogRequest(aRequest, "-", aBytesIn, 0, start, aStatus, aNote);
    };
    if (admission.Value > fOptions.Workers * AdmittedPerWorker) {
        aReader([](const char *, size_t) { return true; });
        refuse(503, "overloaded", 0);
        return;
    }

    std::uint64_t expected = 0;
    if (aRequest.has_header("Content-Length"))
        expected = std::strtoull(aRequest.get_header_value("Content-Length").c_str(), nullptr, 10);
    std::optional<TScratchFile> body;
    try {
        body.emplace(expected);
    } catch (const std::exception &) {
        refuse(503, "no-scratch-file", 0);
        return;
    }
    // A Content-Length beyond the limit was refused before; a chunked body is cut here.
    const std::uint64_t limit = fOptions.MaxBodyMb * 1024 * 1024;
    bool written = true;
    bool tooLarge = false;
    bool received = aReader([&](const char *aData, size_t aLength) {
        tooLarge = body->Size() + aLength > limit;
        written = !tooLarge && body->Append(std::string_view(aData, aLength));
        return written;
    });
    written = written && body->Finish();
    std::uint64_t bytesIn = body->Size();
    if (tooLarge) {
        refuse(413, "too-large", bytesIn);
        return;
    }
    if (!written) {
        refuse(503, "scratch-file-full", bytesIn);
        return;
    }
    if (!received) {
        const TBodyRefusal framing = CurrentBodyRefusal();
        if (framing.Status != 0)
            refuse(framing.Status, framing.Note, bytesIn);
        else
            refuse(400, "body-incomplete", bytesIn);
        return;
    }
    if (bytesIn == 0) {
        refuse(422, "empty", 0);
        return;
    }
    if (!AcquireSlot()) {
        refuse(503, fStopped ? "stopping" : "overloaded", bytesIn);
        return;
    }
    struct TSlot
    {
        TExtractServer *Server;
        ~TSlot() { Server->ReleaseSlot(); }
    } slot{this};

    // Most documents give less text than their size: a large one gets a file on disk.
    auto output = std::make_shared<TScratchFile>(bytesIn);
    TChildReport report;
    TChildJob job;
    job.BodyFd = body->Fd();
    job.BodyBytes = bytesIn;
    job.OutFd = output->Fd();
    job.Name = RequestFileName(aRequest.get_header_value("Content-Disposition"));
    job.Password = RequestPassword(aRequest.get_header_value("Password"),
                                   aRequest.get_header_value("Password_Base64_UTF-8"));
    job.MaxMemoryBytes = fOptions.MaxMemoryMb * 1024 * 1024;
    TSandboxResult result = fChildren->Run(job, report);

    const char *type = DocTypeMime(report.Type);
    const char *note = "";
    int status = 422;
    switch (result.Outcome) {
    case TSandboxOutcome::soExited:
        status = result.ExitCode == ceOk ? 200 : 422;
        note = result.ExitCode == ceOk ? "" : ChildExitName(result.ExitCode);
        break;
    case TSandboxOutcome::soCrashed:
        note = "crashed";
        break;
    case TSandboxOutcome::soTimedOut:
        note = "timeout";
        break;
    case TSandboxOutcome::soNotStarted:
        status = 503;
        note = "fork-failed";
        break;
    case TSandboxOutcome::soCancelled:
        status = 503;
        note = "stopping";
        break;
    }
    std::uint64_t chars = status == 200 ? report.Characters : 0;
    std::uint64_t length = status == 200 ? output->Size() : 0;
    aResponse.status = status;
    // A refused document says why: the kind of failure in a header, the extractor's words in the
    // body of the answer, both in the log.
    if (status != 200)
        aResponse.set_header(FailureHeader, note);
    std::string noted = note;
    for (char &c : report.Reason)
        if (static_cast<unsigned char>(c) < 0x20 || c == '"')
            c = ' ';
    if (status == 422 && !report.Reason.empty()) {
        aResponse.set_content(report.Reason + "\n", TextType);
        noted += " reason=\"" + report.Reason + "\"";
    } else if (length == 0) {
        aResponse.set_content("", TextType);
    } else {
        aResponse.set_content_provider(static_cast<size_t>(length), TextType,
                                       [output](size_t aOffset, size_t aLength, httplib::DataSink &aSink) {
                                           char buffer[65536];
                                           long n = output->Read(aOffset, buffer,
                                                                 std::min(aLength, sizeof buffer));
                                           if (n <= 0)
                                               return false;
                                           aSink.write(buffer, static_cast<size_t>(n));
                                           return true;
                                       });
    }
    LogRequest(aRequest, type, bytesIn, chars, start, status, noted.c_str());
}
