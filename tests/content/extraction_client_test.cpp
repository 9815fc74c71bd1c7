// The extraction-server exchange against the fake server: the request as sent, the replies,
// the failures (no file, no server, error status, stall, connection closed mid-reply) and a busy
// server, asked again until the document's time limit.
#include "content/extraction_client.h"
#include "support/fake_extraction_server.h"
#include "support/gate.h"
#include "support/test_files.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <numeric>
#include <QFile>
#include <QTemporaryDir>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A clock that moves only when the client pauses for a busy server, by the pause: the pauses are
// recorded, and a time limit passes without any real waiting.
struct TPausedTime
{
    std::chrono::steady_clock::time_point fNow;
    std::vector<std::chrono::milliseconds> fPauses;

    TBusyRetry Retry()
    {
        TBusyRetry retry;
        retry.fNow = [this] { return fNow; };
        retry.fPause = [this](std::chrono::milliseconds aPause, const ICancellationIndicator *) {
            fPauses.push_back(aPause);
            fNow += aPause;
            return true;
        };
        return retry;
    }
};

class ExtractionClientTest : public ::testing::Test
{
protected:
    QTemporaryDir fDir;
    TFakeExtractionServer fServer;
    QString fText = "stale";
    QString fError = "stale";

    QString File(const QByteArray &aBytes = "%PDF-1.4 body")
    {
        return WriteTestFile(fDir.filePath("doc.pdf"), aBytes);
    }
    bool Extract(const QString &aPath, int32_t aReadTimeoutMs = 5000)
    {
        return ExtractTextViaServer(aPath, fText, fError, fServer.Address(aReadTimeoutMs));
    }
};

TEST_F(ExtractionClientTest, SendsTheWholeFileAsSpecifiedAndKeepsTheReplyUnchanged)
{
    QByteArray bytes(3 * 1024 * 1024 + 17, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 % 256);
    const std::string reply = "  Grüße\r\nline two\n\n";
    fServer.SetReply(TFakeReply::frText, reply);

    EXPECT_TRUE(Extract(File(bytes)));
    EXPECT_EQ(fText, QString::fromStdString(reply));
    EXPECT_TRUE(fError.isEmpty());

    const std::vector<TRecordedRequest> requests = fServer.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const TRecordedRequest &request = requests[0];
    EXPECT_EQ(request.fMethod, "PUT");
    EXPECT_EQ(request.fPath, "/tika");
    EXPECT_EQ(request.Header("Content-Type"), "application/octet-stream");
    EXPECT_EQ(request.Header("Accept"), "text/plain; charset=utf-8");
    EXPECT_EQ(request.Header("Content-Length"), std::to_string(bytes.size()));
    EXPECT_EQ(request.Header("Host"), "localhost:" + std::to_string(fServer.Port()));
    EXPECT_EQ(request.HeaderCount("Content-Type"), 1u);
    EXPECT_EQ(request.HeaderCount("Expect"), 0u);
    EXPECT_EQ(request.HeaderCount("Transfer-Encoding"), 0u);
    EXPECT_EQ(request.HeaderCount("Authorization"), 0u);
    EXPECT_TRUE(request.fBody == bytes.toStdString()) << "body differs";
}

TEST_F(ExtractionClientTest, EmptyFileIsSentAsEmptyBody)
{
    EXPECT_TRUE(Extract(File(QByteArray())));
    ASSERT_EQ(fServer.RequestCount(), 1u);
    EXPECT_EQ(fServer.Requests()[0].Header("Content-Length"), "0");
}

TEST_F(ExtractionClientTest, EachCallIsItsOwnExchange)
{
    const QString path = File();
    EXPECT_TRUE(Extract(path));
    fServer.SetReply(TFakeReply::frText, "second");
    EXPECT_TRUE(Extract(path));
    EXPECT_EQ(fText, "second");
    EXPECT_EQ(fServer.RequestCount(), 2u);
}

TEST_F(ExtractionClientTest, WhiteSpaceReplyCounts)
{
    fServer.SetReply(TFakeReply::frWhiteSpace);
    EXPECT_TRUE(Extract(File()));
    EXPECT_EQ(fText, " \r\n\t ");
}

TEST_F(ExtractionClientTest, EmptyReplyFailsWithoutErrorText)
{
    fServer.SetReply(TFakeReply::frEmpty);
    EXPECT_FALSE(Extract(File()));
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_TRUE(fError.isEmpty());
}

// A refusal says why: its status and words, and the kind of failure the user is told about.
TEST_F(ExtractionClientTest, ErrorStatusGivesStatusReasonAndKind)
{
    struct TCase
    {
        TFakeReply fReply;
        const char *fError;
        TDocumentProblem fProblem;
    };
    const TCase cases[] = {
        {TFakeReply::frUnprocessable, "HTTP error (422): Unprocessable Entity (cannot parse)",
         TDocumentProblem::Corrupt},
        {TFakeReply::frEncrypted, "HTTP error (422): Unprocessable Entity (the workbook is locked)",
         TDocumentProblem::Encrypted},
        {TFakeReply::frTooLarge, "HTTP error (413): Payload Too Large", TDocumentProblem::TooLarge},
        {TFakeReply::frCloseMidReply, nullptr, TDocumentProblem::ServerError},
    };
    for (const TCase &test : cases) {
        fServer.SetReply(test.fReply);
        TDocumentProblem problem = TDocumentProblem::None;
        EXPECT_FALSE(ExtractTextViaServer(File(), fText, fError, fServer.Address(), nullptr, &problem));
        EXPECT_TRUE(fText.isEmpty());
        if (test.fError) {
            EXPECT_EQ(fError, test.fError);
        }
        EXPECT_EQ(problem, test.fProblem) << fError.toStdString();
    }
    TDocumentProblem problem = TDocumentProblem::None;
    TExtractionServerAddress nobody = fServer.Address();
    nobody.fPort = UnusedLoopbackPort();
    EXPECT_FALSE(ExtractTextViaServer(File(), fText, fError, nobody, nullptr, &problem));
    EXPECT_EQ(problem, TDocumentProblem::NoServer) << fError.toStdString();
}

TEST_F(ExtractionClientTest, FileThatCannotBeOpenedSendsNothing)
{
    EXPECT_FALSE(Extract(fDir.filePath("missing.pdf")));
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_TRUE(fError.startsWith("EFOpenError: ")) << fError.toStdString();
    EXPECT_FALSE(Extract(fDir.path()));
    EXPECT_EQ(fServer.RequestCount(), 0u);
}

TEST_F(ExtractionClientTest, FileBeyondTheServersBodyLimitSendsNothing)
{
    // A sparse file one byte beyond the limit: nothing of it is read.
    const QString path = File();
    QFile file(path);
    ASSERT_TRUE(file.resize(MaxExtractionRequestBytes + 1));
    EXPECT_FALSE(Extract(path));
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_TRUE(fError.startsWith("Error: the file is larger than the extraction server accepts"))
        << fError.toStdString();
    EXPECT_EQ(fServer.RequestCount(), 0u);
}

TEST_F(ExtractionClientTest, NoServerFails)
{
    const TExtractionServerAddress nowhere{"localhost", UnusedLoopbackPort(), 30000};
    EXPECT_FALSE(ExtractTextViaServer(File(), fText, fError, nowhere));
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_TRUE(fError.startsWith("Error: ")) << fError.toStdString();
}

TEST_F(ExtractionClientTest, StalledServerEndsAfterReadTimeOut)
{
    fServer.SetReply(TFakeReply::frStall);
    EXPECT_FALSE(Extract(File(), 1000));
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_TRUE(fError.startsWith("Error: ")) << fError.toStdString();
    EXPECT_EQ(fServer.RequestCount(), 1u);
}

TEST_F(ExtractionClientTest, SlowButSteadyReplyIsNotCutOff)
{
    fServer.SetReply(TFakeReply::frSlowText, "twelve bytes");
    EXPECT_TRUE(Extract(File(), 1000)) << fError.toStdString();
    EXPECT_EQ(fText, "twelve bytes");
}

TEST_F(ExtractionClientTest, ConnectionClosedMidReplyFails)
{
    fServer.SetReply(TFakeReply::frCloseMidReply);
    EXPECT_FALSE(Extract(File()));
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_TRUE(fError.startsWith("Error: ")) << fError.toStdString();
}

TEST_F(ExtractionClientTest, ProxyFromEnvironmentIsIgnored)
{
    const QByteArray proxy = "http://127.0.0.1:" + QByteArray::number(UnusedLoopbackPort());
    const QByteArray saved[] = {qgetenv("http_proxy"), qgetenv("HTTP_PROXY"), qgetenv("ALL_PROXY"),
                                qgetenv("no_proxy")};
    qputenv("http_proxy", proxy);
    qputenv("HTTP_PROXY", proxy);
    qputenv("ALL_PROXY", proxy);
    qunsetenv("no_proxy");
    const bool extracted = Extract(File());
    qputenv("http_proxy", saved[0]);
    qputenv("HTTP_PROXY", saved[1]);
    qputenv("ALL_PROXY", saved[2]);
    qputenv("no_proxy", saved[3]);
    EXPECT_TRUE(extracted) << fError.toStdString();
    EXPECT_EQ(fServer.RequestCount(), 1u);
}

// A busy server (503) is asked again after growing pauses, the whole file each time, until it
// answers.
TEST_F(ExtractionClientTest, BusyServerIsAskedAgainUntilItAnswers)
{
    const QByteArray bytes = "%PDF-1.4 asked again";
    fServer.SetBusy(3);
    TPausedTime time;
    TDocumentProblem problem = TDocumentProblem::ServerError;
    EXPECT_TRUE(
        ExtractTextViaServer(File(bytes), fText, fError, fServer.Address(), nullptr, &problem, time.Retry()))
        << fError.toStdString();
    EXPECT_EQ(fText, "extracted text");
    EXPECT_EQ(problem, TDocumentProblem::None);
    EXPECT_EQ(time.fPauses, (std::vector<std::chrono::milliseconds>{100ms, 200ms, 400ms}));
    const std::vector<TRecordedRequest> requests = fServer.Requests();
    ASSERT_EQ(requests.size(), 4u);
    for (const TRecordedRequest &request : requests)
        EXPECT_EQ(request.fBody, bytes.toStdString());
}

// A server busy for the whole time limit: the document is not read, because of a time-out.
TEST_F(ExtractionClientTest, ServerBusyUntilTheTimeLimitIsATimeOut)
{
    fServer.SetBusy(-1);
    TPausedTime time;
    TDocumentProblem problem = TDocumentProblem::None;
    EXPECT_FALSE(
        ExtractTextViaServer(File(), fText, fError, fServer.Address(30000), nullptr, &problem, time.Retry()));
    EXPECT_EQ(problem, TDocumentProblem::TimedOut);
    EXPECT_TRUE(fText.isEmpty());
    EXPECT_TRUE(fError.startsWith("HTTP error (503): Service Unavailable")) << fError.toStdString();
    // Pauses double up to five seconds; the last one ends at the limit, where the last try is made.
    EXPECT_EQ(std::accumulate(time.fPauses.begin(), time.fPauses.end(), 0ms), 30000ms);
    ASSERT_GE(time.fPauses.size(), 2u);
    EXPECT_EQ(time.fPauses[0], 100ms);
    EXPECT_EQ(*std::max_element(time.fPauses.begin(), time.fPauses.end()), 5000ms);
    EXPECT_EQ(fServer.RequestCount(), time.fPauses.size() + 1);
}

// The server's Retry-After (seconds) sets the pause, within five seconds; a date is not taken.
TEST_F(ExtractionClientTest, RetryAfterSetsThePause)
{
    struct TCase
    {
        int fBusyTimes;
        const char *fRetryAfter;
        std::vector<std::chrono::milliseconds> fPauses;
    };
    const TCase cases[] = {
        {2, "2", {2000ms, 2000ms}},
        {2, "0", {0ms, 0ms}},
        {1, "3600", {5000ms}},
        {2, "Wed, 21 Oct 2015 07:28:00 GMT", {100ms, 200ms}},
    };
    for (const TCase &test : cases) {
        fServer.SetBusy(test.fBusyTimes, test.fRetryAfter);
        TPausedTime time;
        EXPECT_TRUE(
            ExtractTextViaServer(File(), fText, fError, fServer.Address(), nullptr, nullptr, time.Retry()))
            << test.fRetryAfter << ": " << fError.toStdString();
        EXPECT_EQ(time.fPauses, test.fPauses) << test.fRetryAfter;
    }
}

// A search's stop during the pause for a busy server ends the call at once, as a cancellation.
TEST_F(ExtractionClientTest, StopDuringTheBusyPauseEndsAtOnce)
{
    fServer.SetBusy(-1, "5");
    TCustomCancellationToken stop;
    TGate pausing;
    TBusyRetry retry;
    retry.fPause = [&pausing](std::chrono::milliseconds aPause, const ICancellationIndicator *aCancel) {
        pausing.Open();
        return PauseUnlessCancelled(aPause, aCancel);
    };
    const QString path = File();
    bool extracted = true;
    TDocumentProblem problem = TDocumentProblem::ServerError;
    std::thread check([&] {
        extracted = ExtractTextViaServer(path, fText, fError, fServer.Address(), &stop, &problem, retry);
    });
    ASSERT_TRUE(pausing.Wait());
    const auto stopped = std::chrono::steady_clock::now();
    stop.Cancel();
    check.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 1s); // the pause was five seconds
    EXPECT_FALSE(extracted);
    EXPECT_EQ(fError, "Error: Cancelled.");
    EXPECT_EQ(problem, TDocumentProblem::None);
    EXPECT_EQ(fServer.RequestCount(), 1u);
}

} // namespace
