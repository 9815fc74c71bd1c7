// The fake extraction server on cpp-httplib, run by a thread of its own.
#include "support/fake_extraction_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <httplib.h>
#include <mutex>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

bool SameNameIgnoreCase(std::string_view aLeft, std::string_view aRight)
{
    return std::equal(aLeft.begin(), aLeft.end(), aRight.begin(), aRight.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

} // namespace

uint16_t UnusedLoopbackPort()
{
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    uint16_t port = 0;
    if (socket >= 0 && ::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (socket >= 0)
        ::close(socket);
    if (port == 0)
        throw std::runtime_error("no free loopback port");
    return port;
}

std::string TRecordedRequest::Header(std::string_view aName) const
{
    for (const auto &[name, value] : fHeaders)
        if (SameNameIgnoreCase(name, aName))
            return value;
    return {};
}

size_t TRecordedRequest::HeaderCount(std::string_view aName) const
{
    return size_t(std::count_if(fHeaders.begin(), fHeaders.end(), [aName](const auto &aHeader) {
        return SameNameIgnoreCase(aHeader.first, aName);
    }));
}

struct TFakeExtractionServer::TState
{
    httplib::Server fServer;
    std::thread fThread;
    uint16_t fPort = 0;
    mutable std::mutex fLock;
    std::condition_variable fStopped;
    bool fStopping = false;
    TFakeReply fReply = TFakeReply::frText;
    std::string fText = "extracted text";
    std::string fVersion = "fake extraction server 1";
    int fBusyLeft = 0; // negative: always busy
    std::string fRetryAfter;
    std::vector<TRecordedRequest> fRequests;

    void Handle(const httplib::Request &aRequest, httplib::Response &aResponse)
    {
        TRecordedRequest record{aRequest.method, aRequest.path, {}, aRequest.body};
        for (const auto &[name, value] : aRequest.headers)
            // cpp-httplib adds these itself; they were not sent.
            if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" &&
                name != "LOCAL_PORT")
                record.fHeaders.emplace(name, value);
        std::unique_lock lock(fLock);
        fRequests.push_back(std::move(record));
        if (fBusyLeft != 0) {
            if (fBusyLeft > 0)
                --fBusyLeft;
            aResponse.status = 503;
            aResponse.set_header("X-Extraction-Failure", "overloaded");
            if (!fRetryAfter.empty())
                aResponse.set_header("Retry-After", fRetryAfter);
            aResponse.set_content("", "text/plain; charset=UTF-8");
            return;
        }
        switch (fReply) {
        case TFakeReply::frText:
            aResponse.set_content(fText, "text/plain; charset=UTF-8");
            break;
        case TFakeReply::frSlowText:
            aResponse.set_content_provider(
                fText.size(), "text/plain; charset=UTF-8",
                [this, text = fText](size_t aOffset, size_t, httplib::DataSink &aSink) {
                    std::unique_lock waitLock(fLock);
                    if (fStopped.wait_for(waitLock, std::chrono::milliseconds(250),
                                          [this] { return fStopping; }))
                        return false;
                    aSink.write(text.data() + aOffset, 1);
                    return true;
                });
            break;
        case TFakeReply::frWhiteSpace:
            aResponse.set_content(" \r\n\t ", "text/plain; charset=UTF-8");
            break;
        case TFakeReply::frEmpty:
            aResponse.set_content("", "text/plain; charset=UTF-8");
            break;
        case TFakeReply::frUnprocessable:
            aResponse.status = 422;
            aResponse.set_content("cannot parse", "text/plain");
            break;
        case TFakeReply::frEncrypted:
            aResponse.status = 422;
            aResponse.set_header("X-Extraction-Failure", "encrypted");
            aResponse.set_content("the workbook is locked", "text/plain");
            break;
        case TFakeReply::frTooLarge:
            aResponse.status = 413;
            break;
        case TFakeReply::frStall:
            fStopped.wait(lock, [this] { return fStopping; });
            aResponse.status = 503;
            break;
        case TFakeReply::frCloseMidReply:
            aResponse.set_content_provider(1000, "text/plain", [](size_t, size_t, httplib::DataSink &aSink) {
                aSink.write("partial", 7);
                return false; // abandons the reply: the connection is closed
            });
            break;
        }
    }
};

TFakeExtractionServer::TFakeExtractionServer() : fState(std::make_unique<TState>())
{
    TState &state = *fState;
    const auto handler = [&state](const httplib::Request &aRequest, httplib::Response &aResponse) {
        state.Handle(aRequest, aResponse);
    };
    state.fServer.Put(".*", handler);
    state.fServer.Post(".*", handler);
    state.fServer.Get("/version", [&state](const httplib::Request &, httplib::Response &aResponse) {
        std::lock_guard lock(state.fLock);
        if (state.fVersion.empty())
            aResponse.status = 404;
        else
            aResponse.set_content(state.fVersion, "text/plain");
    });
    state.fServer.Get(".*", handler);
    const int port = state.fServer.bind_to_any_port("127.0.0.1");
    if (port <= 0)
        throw std::runtime_error("the fake extraction server cannot listen");
    state.fPort = uint16_t(port);
    state.fThread = std::thread([&state] { state.fServer.listen_after_bind(); });
    // The socket already listens; wait for the accept loop so Stop() cannot come before it.
    for (int i = 0; i < 5000 && !state.fServer.is_running(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TFakeExtractionServer::~TFakeExtractionServer()
{
    Stop();
}

uint16_t TFakeExtractionServer::Port() const
{
    return fState->fPort;
}

TExtractionServerAddress TFakeExtractionServer::Address(int32_t aReadTimeoutMs) const
{
    return TExtractionServerAddress{"localhost", fState->fPort, aReadTimeoutMs};
}

void TFakeExtractionServer::SetReply(TFakeReply aReply, std::string aText)
{
    std::lock_guard lock(fState->fLock);
    fState->fReply = aReply;
    fState->fText = std::move(aText);
}

void TFakeExtractionServer::SetBusy(int aTimes, std::string aRetryAfter)
{
    std::lock_guard lock(fState->fLock);
    fState->fBusyLeft = aTimes;
    fState->fRetryAfter = std::move(aRetryAfter);
}

void TFakeExtractionServer::SetVersion(std::string aVersion)
{
    std::lock_guard lock(fState->fLock);
    fState->fVersion = std::move(aVersion);
}

std::vector<TRecordedRequest> TFakeExtractionServer::Requests() const
{
    std::lock_guard lock(fState->fLock);
    return fState->fRequests;
}

size_t TFakeExtractionServer::RequestCount() const
{
    std::lock_guard lock(fState->fLock);
    return fState->fRequests.size();
}

void TFakeExtractionServer::Stop()
{
    {
        std::lock_guard lock(fState->fLock);
        fState->fStopping = true;
    }
    fState->fStopped.notify_all();
    if (fState->fThread.joinable()) {
        fState->fServer.stop();
        fState->fThread.join();
    }
}
