// The server as a real process: routes, statuses, limits and hostile input (truncated and
// random documents, a 2 GiB sparse file, concurrent requests); it must answer each request
// within its limit, stay alive and leave no child behind.
#include "fixtures.h"
#include "server_process.h"
#include "support/server_gate.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <random>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// A raw client connection to the server on the loopback interface.
class TRawConnection
{
public:
    explicit TRawConnection(int aPort) : fFd(socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(aPort));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        fConnected = connect(fFd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    ~TRawConnection() { close(fFd); }
    TRawConnection(const TRawConnection &) = delete;
    TRawConnection &operator=(const TRawConnection &) = delete;

    bool Connected() const { return fConnected; }
    // Sends what it can of aBytes; the server may close early.
    void Send(const std::string &aBytes)
    {
        for (std::size_t sent = 0; sent < aBytes.size();) {
            ssize_t n = send(fFd, aBytes.data() + sent, aBytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
    }
    void HalfClose() { shutdown(fFd, SHUT_WR); }
    // Reads until aDone accepts what arrived so far, the server closes or aDeadline passes;
    // true when aDone accepted it. What arrived is kept in Received().
    bool ReadUntil(std::chrono::steady_clock::time_point aDeadline,
                   const std::function<bool(const std::string &)> &aDone)
    {
        for (auto now = std::chrono::steady_clock::now(); !aDone(fReceived) && now < aDeadline;
             now = std::chrono::steady_clock::now()) {
            pollfd entry{fFd, POLLIN, 0};
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(aDeadline - now);
            if (poll(&entry, 1, static_cast<int>(left.count()) + 1) <= 0)
                continue;
            char buffer[65536];
            ssize_t n = recv(fFd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            fReceived.append(buffer, static_cast<std::size_t>(n));
        }
        return aDone(fReceived);
    }
    std::string &Received() { return fReceived; }
    // Everything the server sends until it closes the connection or aDeadline passes; aClosed
    // tells which.
    std::string ReadAll(std::chrono::steady_clock::time_point aDeadline, bool &aClosed)
    {
        std::string answer;
        aClosed = false;
        for (auto now = std::chrono::steady_clock::now(); now < aDeadline;
             now = std::chrono::steady_clock::now()) {
            pollfd entry{fFd, POLLIN, 0};
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(aDeadline - now);
            if (poll(&entry, 1, static_cast<int>(left.count()) + 1) <= 0)
                continue;
            char buffer[65536];
            ssize_t n = recv(fFd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                aClosed = true;
                break;
            }
            answer.append(buffer, static_cast<std::size_t>(n));
        }
        return answer;
    }

private:
    int fFd;
    bool fConnected = false;
    std::string fReceived;
};

// The status codes of the answers in aAnswer, in order.
std::vector<int> Statuses(const std::string &aAnswer)
{
    std::vector<int> statuses;
    for (std::size_t at = aAnswer.find("HTTP/1.1 "); at != std::string::npos;
         at = aAnswer.find("HTTP/1.1 ", at + 1))
        statuses.push_back(std::atoi(aAnswer.c_str() + at + 9));
    return statuses;
}

std::string PutHead(const std::string &aHeaders)
{
    return "PUT /tika HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/plain\r\n" + aHeaders + "\r\n";
}

// aBody in chunks of aChunkBytes, each with aExtension after its size, then the last chunk and
// aTrailer.
std::string Chunked(const std::string &aBody, std::size_t aChunkBytes = 65536,
                    const std::string &aExtension = "", const std::string &aTrailer = "")
{
    std::string out;
    for (std::size_t at = 0; at < aBody.size(); at += aChunkBytes) {
        std::string chunk = aBody.substr(at, aChunkBytes);
        char size[32];
        std::snprintf(size, sizeof size, "%zx", chunk.size());
        out += size + aExtension + "\r\n" + chunk + "\r\n";
    }
    return out + "0\r\n" + aTrailer + "\r\n";
}

void ExpectAlive(const TServerProcess &aServer, int aWorkers)
{
    auto greeting = aServer.Client()->Get("/tika");
    ASSERT_TRUE(greeting) << "the server no longer answers";
    EXPECT_EQ(greeting->status, 200);
    ExpectNothingLeftBehind(aServer, aWorkers);
}

} // namespace

TEST(ExtractServer, GreetingVersionAndUnknownRoutes)
{
    TServerProcess server;
    auto greeting = server.Client()->Get("/tika");
    ASSERT_TRUE(greeting);
    EXPECT_EQ(greeting->status, 200);
    EXPECT_TRUE(greeting->body.ends_with("Please PUT\n")) << greeting->body;
    auto version = server.Client()->Get("/version");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->body, "ordwell-extractd 2.3");
    auto missing = server.Client()->Get("/nothing");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST(ExtractServer, DocumentsOfSeveralFormatsAndTheTextRoute)
{
    TServerProcess server;
    auto pdf = server.Put(MakePdf("Server side PDF words"));
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->status, 200);
    EXPECT_NE(pdf->body.find("Server side PDF words"), std::string::npos) << pdf->body;
    EXPECT_EQ(pdf->get_header_value("Content-Type"), "text/plain; charset=UTF-8");
    auto docx = server.Client()->Put("/tika/text", MakeDocx("Docx over the text route", "h", "f"),
                                     "application/octet-stream");
    ASSERT_TRUE(docx);
    EXPECT_EQ(docx->status, 200);
    EXPECT_NE(docx->body.find("Docx over the text route"), std::string::npos);
    // The file name only breaks ties: a fragment of markup named .html is read as HTML.
    auto html =
        server.Put("<b>bold</b> &amp; more", {{"Content-Disposition", "attachment; filename=\"x.html\""}});
    ASSERT_TRUE(html);
    EXPECT_EQ(html->body.find("<b>"), std::string::npos) << html->body;
    EXPECT_EQ(CollapseSpaces(html->body), "bold & more") << html->body;
    std::string log = server.Log();
    EXPECT_NE(log.find("PUT /tika type=application/pdf in="), std::string::npos) << log;
    EXPECT_NE(log.find("status=200"), std::string::npos) << log;
}

TEST(ExtractServer, EmptyBodyUnknownBinaryAndCorruptDocuments)
{
    TServerProcess server({"--workers", "1"});
    auto empty = server.Put("");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->status, 422);
    auto binary = server.Put(std::string("\x00\x01\x02\x03\x04\x05\xFE\xFF", 8));
    ASSERT_TRUE(binary);
    EXPECT_EQ(binary->status, 200);
    EXPECT_TRUE(binary->body.empty());
    auto corrupt = server.Put("PK\x03\x04 this is no zip at all");
    ASSERT_TRUE(corrupt);
    EXPECT_EQ(corrupt->status, 422);
    EXPECT_EQ(corrupt->get_header_value("X-Extraction-Failure"), "corrupt");
    auto bomb = server.Put(MakeGzip(std::string(5 * 1000 * 1000, 'a')));
    ASSERT_TRUE(bomb);
    EXPECT_EQ(bomb->status, 422);
    // A refused document says why, in the answer and in the log.
    auto drm = server.Put(MakeMobi("Locked", "Author", "<p>secret</p>", true));
    ASSERT_TRUE(drm);
    EXPECT_EQ(drm->status, 422);
    EXPECT_EQ(drm->body, "the book is protected by DRM\n");
    EXPECT_EQ(drm->get_header_value("X-Extraction-Failure"), "encrypted");
    EXPECT_NE(server.Log().find("note=encrypted reason=\"the book is protected by DRM\""), std::string::npos)
        << server.Log();
    ExpectAlive(server, 1);
}

TEST(ExtractServer, MemoryLimitEndsOnlyThatDocument)
{
    TServerProcess server({"--max-memory-mb", "32", "--workers", "1"});
    // An uncompressed archive whose one entry is larger than the child may hold.
    auto big = server.Put(MakeArchive({{"big.txt", std::string(64 * 1024 * 1024, 'x')}}, "tar.gz"));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->status, 422);
    auto small = server.Put("still serving");
    ASSERT_TRUE(small);
    EXPECT_EQ(small->body, "still serving");
    ExpectAlive(server, 1);
}

TEST(ExtractServer, DocumentBeyondTheTimeLimitIsKilled)
{
    TServerProcess server({"--timeout-ms", "100", "--workers", "1"});
    std::string text;
    for (int i = 0; i < 4 * 1000 * 1000; ++i)
        text += "line of text number " + std::to_string(i) + "\n";
    auto slow = server.Put(text);
    ASSERT_TRUE(slow);
    EXPECT_EQ(slow->status, 422);
    EXPECT_EQ(slow->get_header_value("X-Extraction-Failure"), "timeout");
    EXPECT_NE(server.Log().find("note=timeout"), std::string::npos) << server.Log();
    auto quick = server.Put("after the time-out");
    ASSERT_TRUE(quick);
    EXPECT_EQ(quick->body, "after the time-out");
    ExpectAlive(server, 1);
}

TEST(ExtractServer, RefusesRemoteAddressesWithoutAllowRemote)
{
    QProcess process;
    process.start(QStringLiteral(ORDWELL_EXTRACTD_PATH),
                  {QStringLiteral("--host"), QStringLiteral("0.0.0.0")});
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("loopback"));
}

TEST(ExtractServerHostile, TruncatedDocumentsOfEveryFormat)
{
    std::vector<std::string> documents = {MakeDocx("a", "b", "c"),
                                          MakeXlsx("s", {"x"}),
                                          MakePptx("p", "n"),
                                          MakeOdt("o", "f"),
                                          MakeEpub({"e"}),
                                          MakePdf("pdf"),
                                          MakeEml("p", "h", "a"),
                                          MakeArchive({{"x.txt", "t"}}, "tar.gz"),
                                          MakeArchive({{"x.txt", "t"}}, "7z")};
    std::string dir = CorpusDir();
    if (!dir.empty())
        for (const QString &name : QDir(QString::fromStdString(dir)).entryList(QDir::Files))
            if (!name.endsWith(QStringLiteral(".tsv")) && !name.endsWith(QStringLiteral(".md")))
                documents.push_back(ReadFileBytes(dir + "/" + name.toStdString()));
    const QDir written(QStringLiteral(ORDWELL_TEST_SOURCE_DIR "/tests/extractd/documents"));
    for (const QString &name : written.entryList(QDir::Files))
        if (!name.endsWith(QStringLiteral(".md")))
            documents.push_back(WrittenDocument(name.toStdString()));
    TServerProcess server({"--workers", "2", "--timeout-ms", "10000"});
    int answered = 0;
    for (const std::string &document : documents) {
        for (std::size_t length : {std::size_t(1), std::size_t(100), std::size_t(1500), document.size() / 2,
                                   document.size() - 1}) {
            if (length == 0 || length >= document.size())
                continue;
            auto result = server.Put(document.substr(0, length));
            ASSERT_TRUE(result) << "no answer for a document cut at " << length;
            EXPECT_TRUE(result->status == 200 || result->status == 422) << result->status;
            ++answered;
        }
    }
    EXPECT_GT(answered, 20);
    ExpectAlive(server, 2);
}

TEST(ExtractServerHostile, RandomBytesBehindEveryMagicNumber)
{
    std::mt19937 random(20261209);
    const std::vector<std::string> magics = {"",
                                             "PK\x03\x04",
                                             "%PDF-1.7\n",
                                             "{\\rtf1 ",
                                             std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8),
                                             "7z\xBC\xAF\x27\x1C",
                                             "\x1F\x8B\x08",
                                             "BZh9",
                                             std::string("\xFD"
                                                         "7zXZ\0",
                                                         6),
                                             std::string("Rar!\x1A\x07\x00", 7),
                                             std::string("Rar!\x1A\x07\x01\x00", 8),
                                             "\xFFWPC",
                                             std::string("AT&TFORM\0\0\0\0DJVU", 16),
                                             "<?xml version=\"1.0\"?>",
                                             "<html>",
                                             "From: a@b\nTo: c@d\nSubject: s\n\n"};
    TServerProcess server({"--workers", "2", "--timeout-ms", "10000"});
    for (const std::string &magic : magics) {
        for (std::size_t size : {16u, 3000u, 200000u}) {
            std::string body = magic;
            while (body.size() < size)
                body += static_cast<char>(random() & 0xFF);
            auto result = server.Put(body);
            ASSERT_TRUE(result) << "no answer for random bytes behind '" << magic << "'";
            EXPECT_TRUE(result->status == 200 || result->status == 422) << result->status;
        }
    }
    ExpectAlive(server, 2);
}

TEST(ExtractServerHostile, SparseFileOfTwoGibibytes)
{
    QTemporaryDir dir;
    std::string path = dir.filePath(QStringLiteral("sparse.bin")).toStdString();
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::uint64_t size = 2ull << 30;
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
    TServerProcess server({"--timeout-ms", "20000", "--workers", "1", "--max-body-mb", "2048"});
    auto client = server.Client();
    auto start = std::chrono::steady_clock::now();
    auto result = client->Put(
        "/tika", {{"Accept", "text/plain"}}, static_cast<size_t>(size),
        [fd](size_t aOffset, size_t aLength, httplib::DataSink &aSink) {
            std::vector<char> buffer(std::min<size_t>(aLength, 1 << 20));
            ssize_t n = pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(aOffset));
            if (n <= 0)
                return false;
            aSink.write(buffer.data(), static_cast<size_t>(n));
            return true;
        },
        "application/octet-stream");
    close(fd);
    ASSERT_TRUE(result) << "no answer for the sparse file";
    // Zeros are no text: an empty answer, well before the client's 30 s time-out.
    EXPECT_EQ(result->status, 200);
    EXPECT_TRUE(result->body.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(90));
    ExpectAlive(server, 1);
}

TEST(ExtractServerHostile, SixteenConcurrentRequests)
{
    TServerProcess server({"--workers", "2"});
    const std::string pdf = MakePdf("Concurrent words");
    std::atomic<int> ok{0}, busy{0}, other{0};
    std::mutex errorsLock;
    std::string errors;
    std::vector<std::thread> threads;
    for (int i = 0; i < 16; ++i)
        threads.emplace_back([&] {
            auto result = server.Put(pdf);
            if (result && result->status == 200 && result->body.find("Concurrent words") != std::string::npos)
                ++ok;
            else if (result && result->status == 503)
                ++busy;
            else {
                ++other;
                std::lock_guard lock(errorsLock);
                errors +=
                    result ? std::to_string(result->status) + " " : httplib::to_string(result.error()) + " ";
            }
        });
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(other.load(), 0) << errors;
    EXPECT_EQ(ok + busy, 16);
    EXPECT_GE(ok.load(), 2);
    ExpectAlive(server, 2);
}

TEST(ExtractServerHttp, FramingBodyLimitAndConnectionUse)
{
    // 128 gzip members of 16 MiB of zeros each: 2 MB that would inflate to 2 GiB.
    const std::string member = MakeGzip(std::string(16 << 20, '\0'));
    std::string bomb;
    for (int i = 0; i < 128; ++i)
        bomb += member;
    std::string pipelined;
    for (int i = 0; i < 10; ++i)
        pipelined += PutHead("Content-Length: 6\r\n" + std::string(i == 9 ? "Connection: close\r\n" : "")) +
                     "text " + std::to_string(i);
    struct TCase
    {
        const char *Name;
        std::string Request;
        bool HalfClose;
        std::vector<int> Statuses;
        std::string Text;
    };
    const std::vector<TCase> cases = {
        {"conflicting lengths",
         PutHead("Content-Length: 5\r\nContent-Length: 4\r\n") + "hello",
         false,
         {400},
         ""},
        {"equal lengths",
         PutHead("Content-Length: 5\r\nContent-Length: 5\r\nConnection: close\r\n") + "hello",
         false,
         {200},
         "hello"},
        {"length and chunked",
         PutHead("Content-Length: 5\r\nTransfer-Encoding: chunked\r\n") + Chunked("hello"),
         false,
         {400},
         ""},
        {"chunked",
         PutHead("Transfer-Encoding: chunked\r\n") + Chunked("chunked words"),
         false,
         {200},
         "chunked words"},
        {"chunked beyond the limit",
         PutHead("Transfer-Encoding: chunked\r\n") + Chunked(std::string(5 << 20, 'x')),
         false,
         {413},
         ""},
        // The framing of a chunked body that carries no data is bounded as a head is (64 KiB).
        {"many small chunks",
         PutHead("Transfer-Encoding: chunked\r\n") + Chunked(std::string(1 << 20, 'c'), 50),
         false,
         {200},
         std::string(50, 'c')},
        {"a chunk extension beyond the limit",
         PutHead("Transfer-Encoding: chunked\r\n") + Chunked("extended", 8, ";" + std::string(1 << 20, 'e')),
         false,
         {400},
         "X-Extraction-Failure: chunk-extension-too-large"},
        {"small chunk extensions adding up beyond the limit",
         PutHead("Transfer-Encoding: chunked\r\n") +
             Chunked(std::string(100, 'x'), 1, ";" + std::string(1000, 'e')),
         false,
         {400},
         "X-Extraction-Failure: chunk-extension-too-large"},
        {"a trailer beyond the limit",
         PutHead("Transfer-Encoding: chunked\r\n") +
             Chunked("trailed", 65536, "", "X-Pad: " + std::string(1 << 20, 't') + "\r\n"),
         false,
         {431},
         "X-Extraction-Failure: trailer-too-large"},
        {"a chunk size that is not hexadecimal digits alone",
         PutHead("Transfer-Encoding: chunked\r\n") + "0x5\r\nhello\r\n0\r\n\r\n",
         false,
         {400},
         "X-Extraction-Failure: bad-chunk-size"},
        {"gzip body",
         PutHead("Content-Encoding: gzip\r\nContent-Length: " + std::to_string(bomb.size()) + "\r\n") + bomb,
         false,
         {415},
         ""},
        {"length beyond the limit, no body sent",
         PutHead("Content-Length: 5000000000\r\n"),
         false,
         {413},
         ""},
        {"ten pipelined requests", pipelined, false, std::vector<int>(10, 200), "text 9"},
        {"half-closed after the request",
         PutHead("Content-Length: 9\r\n") + "half shut",
         true,
         {200},
         "half shut"},
    };
    TServerProcess server({"--workers", "1", "--max-body-mb", "4"});
    for (const TCase &test : cases) {
        TRawConnection connection(server.Port());
        ASSERT_TRUE(connection.Connected());
        connection.Send(test.Request);
        if (test.HalfClose)
            connection.HalfClose();
        bool closed = false;
        std::string answer = connection.ReadAll(std::chrono::steady_clock::now() + 10s, closed);
        // Every case ends the connection by itself: a refusal, Connection: close or the half-close.
        EXPECT_TRUE(closed) << test.Name;
        EXPECT_EQ(Statuses(answer), test.Statuses) << test.Name << ": " << answer.substr(0, 300);
        EXPECT_NE(answer.find(test.Text), std::string::npos) << test.Name;
    }
    ExpectAlive(server, 1);
}

TEST(ExtractServerHttp, ExpectContinueIsAnsweredAtOnceAndTheAnswerIsNotHeldBack)
{
    // A client that waits for 100 Continue before its body (as curl does) must get the answer as
    // soon as it is ready, not ~40 ms later when a delayed acknowledgement releases it. Such a
    // stall holds back every round trip, so it shows in the median; a busy machine slows only
    // some of them.
    TServerProcess server({"--workers", "1"});
    TRawConnection connection(server.Port());
    ASSERT_TRUE(connection.Connected());
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    std::vector<std::chrono::steady_clock::duration> roundTrips;
    for (int i = 0; i < 20; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const std::string body = "continue words " + std::to_string(i);
        connection.Send(
            PutHead("Content-Length: " + std::to_string(body.size()) + "\r\nExpect: 100-continue\r\n"));
        ASSERT_TRUE(
            connection.ReadUntil(deadline, [](const std::string &aIn) { return aIn.ends_with("\r\n\r\n"); }));
        EXPECT_EQ(Statuses(connection.Received()), std::vector<int>{100});
        connection.Received().clear();
        connection.Send(body);
        ASSERT_TRUE(connection.ReadUntil(deadline, [&](const std::string &aIn) {
            return aIn.ends_with(body);
        })) << connection.Received();
        EXPECT_EQ(Statuses(connection.Received()), std::vector<int>{200});
        connection.Received().clear();
        roundTrips.push_back(std::chrono::steady_clock::now() - start);
    }
    std::nth_element(roundTrips.begin(), roundTrips.begin() + 10, roundTrips.end());
    EXPECT_LT(roundTrips[10], 30ms);
    ExpectAlive(server, 1);
}

TEST(ExtractServerHttp, SlowClientsDoNotHoldBackOthers)
{
    TServerProcess server({"--workers", "1", "--header-timeout-ms", "1500", "--idle-timeout-ms", "1000"});
    std::vector<std::unique_ptr<TRawConnection>> slow;
    for (int i = 0; i < 20; ++i) {
        slow.push_back(std::make_unique<TRawConnection>(server.Port()));
        ASSERT_TRUE(slow.back()->Connected());
        slow.back()->Send("PUT /tika HTTP/1.1\r\n");
    }
    TRawConnection idle(server.Port());
    // The slow clients send a header line every 100 ms until told to stop, for 10 s at most.
    std::mutex lock;
    std::condition_variable wake;
    bool stop = false;
    std::thread trickle([&] {
        std::unique_lock guard(lock);
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!wake.wait_for(guard, 100ms, [&] { return stop; }) && std::chrono::steady_clock::now() < end)
            for (auto &connection : slow)
                connection->Send("X-Slow: 1\r\n");
    });
    auto start = std::chrono::steady_clock::now();
    auto normal = server.Put("a normal request");
    auto took = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->body, "a normal request");
    EXPECT_LT(took, 2s);
    // Past its header time-out each slow client is answered 408 and its connection ends; the
    // idle connection is closed without an answer.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    for (auto &connection : slow) {
        bool closed = false;
        std::string answer = connection->ReadAll(deadline, closed);
        EXPECT_TRUE(closed);
        EXPECT_EQ(Statuses(answer), std::vector<int>{408});
    }
    bool idleClosed = false;
    EXPECT_EQ(idle.ReadAll(deadline, idleClosed), "");
    EXPECT_TRUE(idleClosed);
    {
        std::lock_guard guard(lock);
        stop = true;
    }
    wake.notify_all();
    trickle.join();
    ExpectAlive(server, 1);
}

TEST(ExtractServerChildren, AKilledZygoteIsReplacedAndTheServerGoesOn)
{
    TServerProcess server({"--workers", "1"});
    auto first = server.Put("before the zygote dies");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->body, "before the zygote dies");
    const qint64 zygote = server.ZygotePid();
    ASSERT_GT(zygote, 0) << "no zygote among the server's children";
    ASSERT_EQ(kill(static_cast<pid_t>(zygote), SIGKILL), 0);
    // More requests than children wait, so that new ones must be forked.
    for (int i = 0; i < 4; ++i) {
        auto result = server.Put("after the zygote died " + std::to_string(i));
        ASSERT_TRUE(result) << "no answer after the zygote died";
        EXPECT_EQ(result->status, 200);
        EXPECT_EQ(result->body, "after the zygote died " + std::to_string(i));
    }
    qint64 replacement = 0;
    for (int i = 0; i < 100 && (replacement = server.ZygotePid()) == 0; ++i)
        QThread::msleep(20);
    EXPECT_GT(replacement, 0);
    EXPECT_NE(replacement, zygote);
    EXPECT_NE(kill(static_cast<pid_t>(zygote), 0), 0) << "the dead zygote was not reaped";
    ExpectAlive(server, 1);
}

TEST(ExtractServerChildren, AStopSignalEndsTheServerAndAllItsChildren)
{
    for (int signal : {SIGTERM, SIGINT}) {
        TServerProcess server({"--workers", "2"});
        auto result = server.Put("one document");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        // The waiting children are forked after the answer: wait for them (at most 10 s).
        QList<qint64> children = server.ChildPids();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (children.size() < 2 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::yield();
            children = server.ChildPids();
        }
        EXPECT_GE(children.size(), 2) << "the zygote and the waiting children";
        EXPECT_TRUE(server.Stop(signal)) << "signal " << signal << ": " << server.Log();
        // The server reaped its children before it ended: none is left, not even as a zombie
        // handed to init.
        for (qint64 child : children)
            EXPECT_NE(kill(static_cast<pid_t>(child), 0), 0) << "child " << child << " outlived the server";
    }
}

// A stop signal does not wait for the documents in progress: with one document held in its child
// (at the child's gate point) and another waiting for the one worker, SIGTERM ends the server
// within a second, the children included.
TEST(ExtractServerChildren, AStopSignalDoesNotWaitForTheDocumentsInProgress)
{
    TServerGate gate;
    ASSERT_TRUE(gate.Listening());
    TServerProcess server({"--workers", "1", "--timeout-ms", "60000"}, gate.Path());
    ASSERT_GT(server.Port(), 0);
    const TScopedFd ended(int(syscall(SYS_pidfd_open, pid_t(server.Pid()), 0)));
    ASSERT_GE(ended.Get(), 0);
    std::vector<std::thread> clients;
    std::vector<int> statuses(2, 0);
    auto put = [&](std::size_t aIndex) {
        clients.emplace_back([&server, &statuses, aIndex] {
            auto result = server.Put("document " + std::to_string(aIndex));
            statuses[aIndex] = result ? result->status : -1;
        });
    };
    put(0);
    // Every point goes on at once but the first document's: its child stays at work.
    std::optional<TServerGate::TPoint> extracting;
    std::optional<pid_t> child;
    std::chrono::steady_clock::time_point signalled;
    bool stopped = false;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watched[2] = {{gate.Fd(), POLLIN, 0}, {ended.Get(), POLLIN, 0}};
        const int polled = left.count() > 0 ? poll(watched, 2, int(left.count())) : 0;
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        if (watched[1].revents != 0) {
            stopped = true;
            break;
        }
        TServerGate::TPoint point = gate.Accept();
        if (point.fName == "extracting" && !extracting) {
            child = point.fPid;
            extracting = std::move(point);
            put(1);
            signalled = std::chrono::steady_clock::now();
            kill(pid_t(server.Pid()), SIGTERM);
        }
    }
    const auto took = std::chrono::steady_clock::now() - signalled;
    ASSERT_TRUE(extracting) << server.Log();
    EXPECT_TRUE(stopped) << server.Log();
    EXPECT_LT(took, 1s) << server.Log();
    for (std::thread &client : clients)
        client.join();
    EXPECT_NE(statuses[0], 200);
    EXPECT_NE(statuses[1], 200);
    EXPECT_NE(kill(*child, 0), 0) << "the child outlived the server";
    EXPECT_NE(server.Log().find("status=503 note=stopping"), std::string::npos) << server.Log();
}
