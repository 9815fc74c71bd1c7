// The connections of ordwell-extractd: head checks, the framing of chunked bodies, deadlines, a
// buffer per connection and a thread per connection around the HTTP library's request handling.
#include "extractd/http_connection.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

// A request head (request line and headers) beyond this is refused with 431.
constexpr std::size_t MaxHeadBytes = 64 * 1024;
// The bytes of a chunked body's framing that carry no data (chunk extensions, zeros before a size
// beyond its 16 digits, the trailer section) allowed in all: as much as a request head.
constexpr std::size_t MaxFramingBytes = MaxHeadBytes;
// After the last answer, what the client still sends is read and dropped for at most this
// long, so that closing does not reset the connection before the client has read the answer.
constexpr auto LingerTime = std::chrono::seconds(1);
// Waits are cut into slices this long to notice that the server stops.
constexpr auto WaitSlice = std::chrono::milliseconds(100);

std::string Lower(std::string_view aText)
{
    std::string out(aText);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char aChar) { return static_cast<char>(std::tolower(aChar)); });
    return out;
}

std::string_view Trim(std::string_view aText)
{
    while (!aText.empty() && (aText.front() == ' ' || aText.front() == '\t'))
        aText.remove_prefix(1);
    while (!aText.empty() && (aText.back() == ' ' || aText.back() == '\t' || aText.back() == '\r'))
        aText.remove_suffix(1);
    return aText;
}

// Whether the comma-separated list aList holds aToken (both lower case).
bool HasToken(const std::string &aList, std::string_view aToken)
{
    std::string_view rest = aList;
    while (!rest.empty()) {
        std::size_t comma = rest.find(',');
        if (Trim(rest.substr(0, comma)) == aToken)
            return true;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return false;
}

const char *Reason(int aStatus)
{
    switch (aStatus) {
    case 400:
        return "Bad Request";
    case 408:
        return "Request Timeout";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Not Implemented";
    }
}

// The value of a hexadecimal digit, or -1.
int HexValue(char aChar)
{
    if (aChar >= '0' && aChar <= '9')
        return aChar - '0';
    if (aChar >= 'a' && aChar <= 'f')
        return aChar - 'a' + 10;
    if (aChar >= 'A' && aChar <= 'F')
        return aChar - 'A' + 10;
    return -1;
}

// Follows the framing of a chunked body as the library reads it. The library keeps each framing
// line whole in memory and reads it a byte at a time, and the body's deadline counts its bytes as
// progress, while the body limit counts only the data: what carries no data is bounded here.
// A size line must start with the size's hexadecimal digits, so the two agree on where each chunk
// ends.
class TChunkFraming
{
public:
    // Takes the next bytes of the body; false once the framing is refused (Refusal() says how;
    // later bytes are refused too).
    bool Pass(std::string_view aBytes)
    {
        for (std::size_t at = 0; at < aBytes.size() && fRefusal.Status == 0;) {
            if (fState == TState::sData) {
                const std::uint64_t take = std::min<std::uint64_t>(fChunkLeft, aBytes.size() - at);
                fChunkLeft -= take;
                at += static_cast<std::size_t>(take);
                if (fChunkLeft == 0)
                    fState = TState::sDataEnd;
                continue;
            }
            Step(aBytes[at++]);
        }
        return fRefusal.Status == 0;
    }

    const TBodyRefusal &Refusal() const { return fRefusal; }

private:
    enum class TState
    {
        sSize,      // the digits of a chunk's size
        sExtension, // the rest of a size line
        sData,
        sDataEnd, // the line end after a chunk's data
        sTrailer, // the trailer section, up to its blank line
        sDone
    };

    void Step(char aChar)
    {
        switch (fState) {
        case TState::sSize:
            if (const int digit = HexValue(aChar); digit >= 0) {
                // Digits beyond 16 are zeros before the size (or a size no body has).
                if (++fDigits > 16 && !Count(1, 400, "chunk-extension-too-large"))
                    return;
                if (fSize >> 60 != 0) {
                    Refuse(400, "bad-chunk-size");
                    return;
                }
                fSize = fSize << 4 | static_cast<std::uint64_t>(digit);
                return;
            }
            // A size is hexadecimal digits alone; the library would also read "0x5" as 5.
            if (fDigits == 0 || (fDigits == 1 && fSize == 0 && (aChar == 'x' || aChar == 'X'))) {
                Refuse(400, "bad-chunk-size");
                return;
            }
            fState = TState::sExtension;
            [[fallthrough]];
        case TState::sExtension:
            // The line end (CR LF, or LF alone) is free; every other byte counts.
            if (aChar == '\n') {
                EndSizeLine();
                return;
            }
            if (fPendingCr && !Count(1, 400, "chunk-extension-too-large"))
                return;
            fPendingCr = aChar == '\r';
            if (!fPendingCr)
                Count(1, 400, "chunk-extension-too-large");
            return;
        case TState::sData:
            return;
        case TState::sDataEnd:
            // The library takes only CR LF here.
            if (aChar == '\r' && !fPendingCr) {
                fPendingCr = true;
            } else if (aChar == '\n' && fPendingCr) {
                fPendingCr = false;
                fState = TState::sSize;
                fDigits = 0;
                fSize = 0;
            } else {
                Refuse(400, "bad-chunk");
            }
            return;
        case TState::sTrailer:
        case TState::sDone:
            // Every byte counts, the blank line that ends the section too.
            if (!Count(1, 431, "trailer-too-large"))
                return;
            if (aChar == '\n') {
                if (fLineLength == 1 && fPendingCr)
                    fState = TState::sDone;
                fLineLength = 0;
                fPendingCr = false;
            } else {
                ++fLineLength;
                fPendingCr = aChar == '\r';
            }
            return;
        }
    }

    void EndSizeLine()
    {
        fPendingCr = false;
        if (fSize == 0) {
            fState = TState::sTrailer;
            fLineLength = 0;
        } else {
            fState = TState::sData;
            fChunkLeft = fSize;
        }
    }

    bool Count(std::size_t aBytes, int aStatus, const char *aNote)
    {
        fCounted += aBytes;
        if (fCounted > MaxFramingBytes)
            Refuse(aStatus, aNote);
        return fRefusal.Status == 0;
    }

    void Refuse(int aStatus, const char *aNote) { fRefusal = {aStatus, aNote}; }

    TState fState = TState::sSize;
    unsigned fDigits = 0;
    std::uint64_t fSize = 0;
    std::uint64_t fChunkLeft = 0;
    bool fPendingCr = false;
    std::size_t fLineLength = 0;
    std::size_t fCounted = 0;
    TBodyRefusal fRefusal;
};

// One client connection as the library's stream. The head of each request is read into
// fBuffer first; what follows it in the buffer (a pipelined request) stays for the next one.
class TConnectionStream final : public httplib::Stream
{
public:
    enum class THead
    {
        hComplete,
        hClosed, // end of stream, idle time-out or the server stops: no answer
        hTimedOut,
        hTooLarge
    };

    TConnectionStream(int aSocket, const THttpLimits &aLimits, const std::atomic<socket_t> &aListenSocket)
        : fSocket(aSocket), fLimits(aLimits), fListenSocket(aListenSocket)
    {
    }

    // Waits until the buffer holds a whole request head; aLength is its length, blank line
    // included.
    THead ReadHead(std::size_t &aLength)
    {
        fLimited = false;
        const auto firstByteBy = TClock::now() + fLimits.IdleTimeout;
        std::optional<TClock::time_point> headBy;
        for (;;) {
            // Blank lines before a request line are skipped.
            while (fStart < fBuffer.size() && (fBuffer[fStart] == '\r' || fBuffer[fStart] == '\n'))
                ++fStart;
            if (fStart < fBuffer.size() && !headBy)
                headBy = TClock::now() + fLimits.HeaderTimeout;
            if (std::size_t end = HeadEnd(); end != 0) {
                aLength = end - fStart;
                return THead::hComplete;
            }
            if (fBuffer.size() - fStart > MaxHeadBytes)
                return THead::hTooLarge;
            if (fStart > 0) {
                fBuffer.erase(0, fStart);
                fStart = 0;
            }
            if (!WaitReadable(headBy.value_or(firstByteBy)))
                return headBy ? THead::hTimedOut : THead::hClosed;
            char chunk[16384];
            ssize_t n = ::recv(fSocket, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                return THead::hClosed;
            fBuffer.append(chunk, static_cast<std::size_t>(n));
        }
    }

    // The library reads the head of aHeadLength bytes and then at most aBodyLength body bytes
    // (any amount for a chunked body).
    void StartRequest(std::size_t aHeadLength, std::optional<std::uint64_t> aBodyLength)
    {
        fLimited = aBodyLength.has_value();
        fRequestLeft = aHeadLength + aBodyLength.value_or(0);
        fHeadLeft = aHeadLength;
        fFraming.reset();
        if (!aBodyLength)
            fFraming.emplace();
        fBodyBytes = 0;
        fBodyStart = fLastByte = TClock::now();
    }

    // The head ReadHead() found.
    std::string_view Head(std::size_t aLength) const
    {
        return std::string_view(fBuffer).substr(fStart, aLength);
    }

    bool BodyConsumed() const { return fLimited && fRequestLeft == 0; }

    // How the framing of the request's chunked body was refused, if it was.
    TBodyRefusal BodyRefusal() const { return fFraming ? fFraming->Refusal() : TBodyRefusal{}; }

    void WriteRefusal(int aStatus)
    {
        std::string answer = "HTTP/1.1 " + std::to_string(aStatus) + " " + Reason(aStatus) +
                             "\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Length: 0\r\n"
                             "Connection: close\r\n\r\n";
        httplib::Stream::write(answer);
    }

    // Ends the connection: the answer goes out first, what the client still sends is dropped
    // for a moment, then the socket is closed.
    void Close()
    {
        ::shutdown(fSocket, SHUT_WR);
        const auto until = TClock::now() + LingerTime;
        char sink[16384];
        while (WaitReadable(until) && ::recv(fSocket, sink, sizeof sink, MSG_DONTWAIT) > 0) {
        }
        ::close(fSocket);
    }

    bool is_readable() const override { return fStart < fBuffer.size() || WaitReadable(BodyDeadline()); }

    bool is_writable() const override
    {
        // Unlike the library's own stream this does not ask whether the client still sends: a
        // client that has half-closed its side waits for the answer. A client that does not read
        // holds the connection no longer than the write time-out, or until the server stops.
        const auto deadline = TClock::now() + fLimits.WriteTimeout;
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
            if (left.count() <= 0)
                return false;
            pollfd entry{fSocket, POLLOUT, 0};
            int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, WaitSlice).count()) + 1);
            if (ready > 0)
                return (entry.revents & POLLOUT) != 0;
            if ((ready < 0 && errno != EINTR) || fListenSocket == INVALID_SOCKET)
                return false;
        }
    }

    ssize_t read(char *pBuffer, size_t aSize) override
    {
        if (fFraming && fFraming->Refusal().Status != 0)
            return -1;
        if (fLimited) {
            if (fRequestLeft == 0)
                return 0;
            aSize = static_cast<size_t>(std::min<std::uint64_t>(aSize, fRequestLeft));
        }
        ssize_t n = 0;
        if (fStart < fBuffer.size()) {
            n = static_cast<ssize_t>(std::min(aSize, fBuffer.size() - fStart));
            std::memcpy(pBuffer, fBuffer.data() + fStart, static_cast<size_t>(n));
            fStart += static_cast<size_t>(n);
        } else {
            // Body bytes come straight from the socket, at most up to the request's end.
            do {
                if (!WaitReadable(BodyDeadline()))
                    return -1;
                n = ::recv(fSocket, pBuffer, aSize, MSG_DONTWAIT);
            } while (n < 0 && (errno == EAGAIN || errno == EINTR));
            if (n <= 0)
                return n;
        }
        if (fFraming) {
            const std::size_t head = static_cast<std::size_t>(std::min<std::uint64_t>(n, fHeadLeft));
            if (!fFraming->Pass(std::string_view(pBuffer + head, static_cast<std::size_t>(n) - head)))
                return -1;
        }
        Consumed(static_cast<std::uint64_t>(n));
        return n;
    }

    ssize_t write(const char *pData, size_t aSize) override
    {
        for (;;) {
            if (!is_writable())
                return -1;
            ssize_t n = ::send(fSocket, pData, aSize, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n >= 0 || (errno != EAGAIN && errno != EINTR))
                return n;
        }
    }

    void get_remote_ip_and_port(std::string &aIp, int &aPort) const override { Address(true, aIp, aPort); }
    void get_local_ip_and_port(std::string &aIp, int &aPort) const override { Address(false, aIp, aPort); }
    socket_t socket() const override { return fSocket; }

private:
    // The end of the head in the buffer (after its blank line), or 0 while it is incomplete.
    std::size_t HeadEnd() const
    {
        for (std::size_t at = fBuffer.find('\n', fStart); at != std::string::npos;
             at = fBuffer.find('\n', at + 1)) {
            if (at + 1 < fBuffer.size() && fBuffer[at + 1] == '\n')
                return at + 2;
            if (at + 2 < fBuffer.size() && fBuffer[at + 1] == '\r' && fBuffer[at + 2] == '\n')
                return at + 3;
        }
        return 0;
    }

    void Consumed(std::uint64_t aBytes)
    {
        if (fLimited)
            fRequestLeft -= aBytes;
        std::uint64_t head = std::min<std::uint64_t>(aBytes, fHeadLeft);
        fHeadLeft -= head;
        if (aBytes > head) {
            fBodyBytes += aBytes - head;
            fLastByte = TClock::now();
        }
    }

    // A body gets the header time-out as grace, must then come at the minimum average rate,
    // and may pause for no longer than the header time-out.
    TClock::time_point BodyDeadline() const
    {
        auto earned = std::chrono::milliseconds(fBodyBytes * 1000 /
                                                std::max<std::uint64_t>(fLimits.MinBodyBytesPerSecond, 1));
        return std::min(fBodyStart + fLimits.HeaderTimeout + earned, fLastByte + fLimits.HeaderTimeout);
    }

    // Waits until the socket can be read (or has ended); false at aDeadline or when the server
    // stops.
    bool WaitReadable(TClock::time_point aDeadline) const
    {
        for (;;) {
            if (fListenSocket == INVALID_SOCKET)
                return false;
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(aDeadline - TClock::now());
            if (left.count() <= 0)
                return false;
            pollfd entry{fSocket, POLLIN, 0};
            int ready = ::poll(&entry, 1, static_cast<int>(std::min(left, WaitSlice).count()) + 1);
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return false;
        }
    }

    void Address(bool aPeer, std::string &aIp, int &aPort) const
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        auto *generic = reinterpret_cast<sockaddr *>(&address);
        if ((aPeer ? ::getpeername(fSocket, generic, &length) : ::getsockname(fSocket, generic, &length)) !=
            0)
            return;
        char text[INET6_ADDRSTRLEN] = {};
        if (address.ss_family == AF_INET) {
            auto *v4 = reinterpret_cast<sockaddr_in *>(&address);
            ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
            aPort = ntohs(v4->sin_port);
        } else if (address.ss_family == AF_INET6) {
            auto *v6 = reinterpret_cast<sockaddr_in6 *>(&address);
            ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
            aPort = ntohs(v6->sin6_port);
        }
        aIp = text;
    }

    int fSocket;
    const THttpLimits &fLimits;
    const std::atomic<socket_t> &fListenSocket;
    std::string fBuffer;
    std::size_t fStart = 0;
    bool fLimited = false;
    std::uint64_t fRequestLeft = 0;
    std::uint64_t fHeadLeft = 0;
    std::optional<TChunkFraming> fFraming; // while the request's body is chunked
    std::uint64_t fBodyBytes = 0;
    TClock::time_point fBodyStart;
    TClock::time_point fLastByte;
};

// The connection the calling thread serves, for CurrentBodyRefusal().
thread_local const TConnectionStream *tServedStream = nullptr;

// The library's task queue: a thread per connection, started when no thread is free, up to a
// bound; the threads stay for later connections.
class TConnectionThreads final : public httplib::TaskQueue
{
public:
    explicit TConnectionThreads(unsigned aMax) : fMax(aMax) {}

    void enqueue(std::function<void()> aJob) override
    {
        {
            std::lock_guard lock(fLock);
            fJobs.push_back(std::move(aJob));
            if (fJobs.size() > fIdle && fThreads.size() < fMax)
                fThreads.emplace_back([this] { Work(); });
        }
        fWake.notify_one();
    }

    void shutdown() override
    {
        {
            std::lock_guard lock(fLock);
            fStopping = true;
        }
        fWake.notify_all();
        for (std::thread &thread : fThreads)
            thread.join();
    }

private:
    void Work()
    {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(fLock);
                ++fIdle;
                fWake.wait(lock, [this] { return !fJobs.empty() || fStopping; });
                --fIdle;
                if (fJobs.empty())
                    return;
                job = std::move(fJobs.front());
                fJobs.pop_front();
            }
            job();
        }
    }

    unsigned fMax;
    std::mutex fLock;
    std::condition_variable fWake;
    std::deque<std::function<void()>> fJobs;
    std::vector<std::thread> fThreads;
    std::size_t fIdle = 0;
    bool fStopping = false;
};

} // namespace

TBodyRefusal CurrentBodyRefusal()
{
    return tServedStream ? tServedStream->BodyRefusal() : TBodyRefusal{};
}

THeadCheck CheckRequestHead(std::string_view aHead, std::uint64_t aMaxBodyBytes)
{
    THeadCheck check;
    auto refuse = [&](int aStatus, const char *aNote) {
        check.Status = aStatus;
        check.Note = aNote;
        return check;
    };
    std::size_t lineEnd = aHead.find('\n');
    std::string_view requestLine = Trim(aHead.substr(0, lineEnd));
    std::size_t space1 = requestLine.find(' ');
    std::size_t space2 = space1 == std::string_view::npos ? space1 : requestLine.find(' ', space1 + 1);
    if (space2 == std::string_view::npos)
        return refuse(400, "bad-request-line");
    check.Method = requestLine.substr(0, space1);
    check.Path = requestLine.substr(space1 + 1, space2 - space1 - 1);
    const std::string_view version = requestLine.substr(space2 + 1);
    if (!version.starts_with("HTTP/1."))
        return refuse(400, "bad-request-line");

    std::optional<std::string> length, transfer, encoding;
    std::string connection;
    std::string_view rest =
        lineEnd == std::string_view::npos ? std::string_view() : aHead.substr(lineEnd + 1);
    while (!rest.empty()) {
        lineEnd = rest.find('\n');
        std::string_view line = rest.substr(0, lineEnd);
        rest = lineEnd == std::string_view::npos ? std::string_view() : rest.substr(lineEnd + 1);
        if (Trim(line).empty())
            break;
        // A folded line or a space before the colon makes the head ambiguous.
        std::size_t colon = line.find(':');
        if (line.front() == ' ' || line.front() == '\t' || colon == 0 || colon == std::string_view::npos ||
            line.substr(0, colon).find_first_of(" \t") != std::string_view::npos)
            return refuse(400, "bad-header");
        const std::string name = Lower(line.substr(0, colon));
        const std::string value = Lower(Trim(line.substr(colon + 1)));
        auto append = [&](std::optional<std::string> &aField) {
            aField = aField ? *aField + ", " + value : value;
        };
        if (name == "content-length") {
            if (value.empty() || value.size() > 18 ||
                value.find_first_not_of("0123456789") != std::string::npos)
                return refuse(400, "bad-length");
            if (length && *length != value)
                return refuse(400, "conflicting-length");
            length = value;
        } else if (name == "transfer-encoding") {
            append(transfer);
        } else if (name == "content-encoding") {
            append(encoding);
        } else if (name == "connection") {
            connection += value + ",";
        }
    }
    check.Close =
        HasToken(connection, "close") || (version == "HTTP/1.0" && !HasToken(connection, "keep-alive"));
    if (transfer) {
        if (length)
            return refuse(400, "length-and-chunked");
        // Only chunked is understood; a body whose last coding is not chunked has no end.
        if (transfer->ends_with(", chunked"))
            return refuse(501, "transfer-coding");
        if (*transfer != "chunked")
            return refuse(400, "transfer-coding");
        check.Chunked = true;
    }
    if (length)
        check.ContentLength = std::stoull(*length);
    const bool hasBody = check.Chunked || check.ContentLength > 0;
    if (hasBody && encoding && *encoding != "identity")
        return refuse(415, "content-encoding");
    if (check.ContentLength > aMaxBodyBytes)
        return refuse(413, "too-large");
    return check;
}

THttpServer::THttpServer(const THttpLimits &aLimits, TRefusalLog aLog)
    : fLimits(aLimits), fLog(std::move(aLog))
{
    const unsigned connections = fLimits.MaxConnections;
    // The library owns its task queue and deletes it when it stops listening.
    new_task_queue = [connections] { return std::make_unique<TConnectionThreads>(connections).release(); };
    // What the library announces in its Keep-Alive header.
    set_keep_alive_max_count(fLimits.MaxRequestsPerConnection);
    set_keep_alive_timeout(std::max<time_t>(1, static_cast<time_t>(fLimits.IdleTimeout.count() / 1000)));
    set_write_timeout(std::chrono::duration_cast<std::chrono::seconds>(fLimits.WriteTimeout).count());
}

void THttpServer::StopListening()
{
    // The loop and the connections test the socket before each wait; whoever takes it closes it.
    const socket_t listening = svr_sock_.exchange(INVALID_SOCKET);
    if (listening == INVALID_SOCKET)
        return;
    // The shutdown wakes an accept that already waits on the socket.
    ::shutdown(listening, SHUT_RDWR);
    ::close(listening);
}

bool THttpServer::process_and_close_socket(socket_t aSocket)
{
    // An answer goes out as soon as it is written. Otherwise its body, written after its head,
    // waits for the client's delayed acknowledgement of the head (some 40 ms on Linux), which
    // every client meets that sends Expect: 100-continue, as curl does for each upload.
    int noDelay = 1;
    ::setsockopt(aSocket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    TConnectionStream stream(aSocket, fLimits, svr_sock_);
    tServedStream = &stream;
    bool ok = true;
    for (unsigned served = 0; ok && served < fLimits.MaxRequestsPerConnection; ++served) {
        std::size_t headLength = 0;
        TConnectionStream::THead head = stream.ReadHead(headLength);
        if (head == TConnectionStream::THead::hClosed)
            break;
        THeadCheck check;
        if (head == TConnectionStream::THead::hTimedOut) {
            check.Status = 408;
            check.Note = "header-timeout";
        } else if (head == TConnectionStream::THead::hTooLarge) {
            check.Status = 431;
            check.Note = "header-too-large";
        } else {
            check = CheckRequestHead(stream.Head(headLength), fLimits.MaxBodyBytes);
        }
        if (check.Status != 0) {
            stream.WriteRefusal(check.Status);
            if (fLog)
                fLog(check);
            break;
        }
        stream.StartRequest(headLength, check.Chunked ? std::nullopt : std::optional(check.ContentLength));
        // After a chunked body the connection ends: where such a body ends is the library's
        // business, and a refused one may not have been read to its end.
        const bool last = check.Chunked || check.Close || served + 1 == fLimits.MaxRequestsPerConnection;
        bool closed = false;
        ok = process_request(stream, last, closed, {});
        // A body that was not read to its end (a refused request) ends the connection too.
        if (closed || last || !stream.BodyConsumed())
            break;
    }
    tServedStream = nullptr;
    stream.Close();
    return ok;
}
