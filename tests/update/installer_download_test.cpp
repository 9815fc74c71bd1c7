// The installer download against a loopback stand-in for the vendor's server: progress, cancel,
// errors, the published checksum, the private target folder, and starting the downloaded file.
#include "support/vendor_test_server.h"
#include "update/installer_checksum.h"
#include "update/installer_download.h"
#include "update/version_check.h"

#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <vector>

namespace {

const char kInstallerPath[] = "/download/ordwell.exe";
constexpr size_t kInstallerSize = 2000000;

struct TReport
{
    int64_t fCount;
    int fPercent;
};

class InstallerDownload : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fTemp.isValid());
        fOldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(fTemp.path()));
        fBody.resize(kInstallerSize);
        for (size_t i = 0; i < fBody.size(); ++i)
            fBody[i] = char(i * 7);
        UpdateRequired() = false;
    }
    void TearDown() override
    {
        fServer.Stop();
        qputenv("TMPDIR", fOldTmp);
        DownloadCancelled() = false;
    }
    // Serves the installer with a Content-Length, in pieces of 100000 bytes.
    void ServeSized()
    {
        fServer.fServer.Get(kInstallerPath, [this](const httplib::Request &, httplib::Response &aRes) {
            aRes.set_content_provider(fBody.size(), "application/octet-stream",
                                      [this](size_t aOffset, size_t, httplib::DataSink &aSink) {
                                          const size_t n = std::min<size_t>(100000, fBody.size() - aOffset);
                                          return aSink.write(fBody.data() + aOffset, n);
                                      });
        });
    }
    QString Download()
    {
        return DownloadUpdate(fServer.BaseUrl(),
                              [this](int64_t aCount, int aPercent) {
                                  fReports.push_back({aCount, aPercent});
                              })
            .fFileName;
    }
    QByteArray ReadAll(const QString &aPath)
    {
        QFile file(aPath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    std::string ErrorOf(const std::function<void()> &aRun)
    {
        try {
            aRun();
        } catch (const std::runtime_error &e) {
            return e.what();
        }
        return "(no error)";
    }

    QTemporaryDir fTemp;
    QByteArray fOldTmp;
    std::string fBody;
    TVendorTestServer fServer;
    std::vector<TReport> fReports;
};

TEST(DownloadPercentRule, SixtyFourBitPercent)
{
    EXPECT_EQ(DownloadPercent(500000, 2000000, QString()), 25);
    EXPECT_EQ(DownloadPercent(0, 2000000, QString()), 0);
    EXPECT_EQ(DownloadPercent(1999999, 2000000, QString()), 99);
    EXPECT_EQ(DownloadPercent(2000000, 2000000, QStringLiteral("identity")), 100);
    EXPECT_EQ(DownloadPercent(5000000000LL, 10000000000LL, QString()), 50);
    EXPECT_EQ(DownloadPercent(INT64_MAX - 1, INT64_MAX, QString()), 99);
    EXPECT_EQ(DownloadPercent(3000000, 2000000, QString()), 100);
    EXPECT_EQ(DownloadPercent(500000, 2000000, QStringLiteral("Chunked")), -1);
    EXPECT_EQ(DownloadPercent(500000, 0, QString()), -1);
    EXPECT_EQ(DownloadPercent(500000, -1, QString()), -1);
}

TEST_F(InstallerDownload, ProgressFollowsContentLength)
{
    ServeSized();
    fServer.Start();
    const QString path = Download();
    EXPECT_TRUE(UpdateRequired());
    EXPECT_EQ(path, fTemp.path() + QStringLiteral("/ordwell-%1/brannick_update.exe").arg(::geteuid()));
    EXPECT_EQ(ReadAll(path), QByteArray::fromStdString(fBody));
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ExeUser | QFile::ReadUser | QFile::WriteUser),
              QFile::ExeUser | QFile::ReadUser | QFile::WriteUser);
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_FALSE(fReports.empty());
    int last = -1;
    for (const TReport &report : fReports) {
        if (report.fPercent < 0)
            continue;
        EXPECT_EQ(report.fPercent, int(report.fCount * 100 / int64_t(kInstallerSize)));
        EXPECT_GE(report.fPercent, last);
        last = report.fPercent;
    }
    EXPECT_EQ(last, 100);
}

TEST_F(InstallerDownload, ChunkedReplyKeepsTheBarAndCompletes)
{
    fServer.fServer.Get(kInstallerPath, [this](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_chunked_content_provider(
            "application/octet-stream", [this](size_t aOffset, httplib::DataSink &aSink) {
                if (aOffset >= fBody.size()) {
                    aSink.done();
                    return true;
                }
                const size_t n = std::min<size_t>(100000, fBody.size() - aOffset);
                return aSink.write(fBody.data() + aOffset, n);
            });
    });
    fServer.Start();
    const QString path = Download();
    EXPECT_EQ(ReadAll(path), QByteArray::fromStdString(fBody));
    ASSERT_FALSE(fReports.empty());
    for (const TReport &report : fReports)
        EXPECT_EQ(report.fPercent, -1);
}

TEST_F(InstallerDownload, CancelStopsAtTheNextReport)
{
    // The server sends a part and then holds the rest back until the test ends.
    fServer.fServer.Get(kInstallerPath, [this](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_content_provider(fBody.size(), "application/octet-stream",
                                  [this](size_t aOffset, size_t, httplib::DataSink &aSink) {
                                      if (aOffset >= 100000) {
                                          while (!fServer.fRelease)
                                              std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                          return false;
                                      }
                                      return aSink.write(fBody.data(), 100000);
                                  });
    });
    fServer.Start();
    const std::string error = ErrorOf([this] {
        DownloadUpdate(fServer.BaseUrl(), [](int64_t aCount, int) {
            if (aCount >= 100000)
                DownloadCancelled() = true;
        });
    });
    EXPECT_EQ(error, "Download is cancelled. Please download manually.");
    EXPECT_TRUE(UpdateRequired());
    EXPECT_FALSE(QFileInfo::exists(InstallerFileName()));
}

TEST_F(InstallerDownload, BrokenTransferLeavesNoPartialFile)
{
    // 100000 of the announced 2000000 bytes, then the connection closes.
    fServer.fServer.Get(kInstallerPath, [this](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_content_provider(fBody.size(), "application/octet-stream",
                                  [this](size_t aOffset, size_t, httplib::DataSink &aSink) {
                                      return aOffset == 0 && aSink.write(fBody.data(), 100000);
                                  });
    });
    fServer.Start();
    EXPECT_NE(ErrorOf([this] { Download(); }), "(no error)");
    EXPECT_FALSE(QFileInfo::exists(InstallerFileName()));
}

TEST_F(InstallerDownload, RedirectIsNotFollowed)
{
    bool followed = false;
    fServer.fServer.Get(kInstallerPath, [](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_redirect("/elsewhere.exe");
    });
    fServer.fServer.Get("/elsewhere.exe", [&followed](const httplib::Request &, httplib::Response &aRes) {
        followed = true;
        aRes.set_content("x", "application/octet-stream");
    });
    fServer.Start();
    EXPECT_EQ(ErrorOf([this] { Download(); }), "HTTP/1.1 302 Found");
    EXPECT_FALSE(followed);
}

TEST_F(InstallerDownload, ErrorStatusAndUnreachableServerFail)
{
    fServer.Start();
    EXPECT_EQ(ErrorOf([this] { Download(); }), "HTTP/1.1 404 Not Found");
    const QString unreachable = UnreachableBaseUrl();
    EXPECT_NE(ErrorOf([&unreachable] { DownloadUpdate(unreachable, {}); }), "(no error)");
    EXPECT_NE(ErrorOf([] { DownloadUpdate(QStringLiteral("http://ordwell.example"), {}); }), "(no error)");
}

TEST_F(InstallerDownload, PlantedLinkIsReplacedNotFollowed)
{
    ServeSized();
    fServer.Start();
    const QString victim = fTemp.filePath(QStringLiteral("victim"));
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }
    ASSERT_TRUE(QDir().mkpath(InstallerFolder()));
    ASSERT_TRUE(QFile::link(victim, InstallerFileName()));
    const QString path = Download();
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(ReadAll(victim), QByteArray("precious"));
    EXPECT_EQ(ReadAll(path).size(), qsizetype(kInstallerSize));
}

TEST_F(InstallerDownload, OlderDownloadIsReplaced)
{
    ServeSized();
    fServer.Start();
    ASSERT_TRUE(QDir().mkpath(InstallerFolder()));
    {
        QFile file(InstallerFileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3000000, 'o'));
    }
    EXPECT_EQ(ReadAll(Download()), QByteArray::fromStdString(fBody));
}

TEST_F(InstallerDownload, FolderThatIsALinkIsRefused)
{
    ServeSized();
    fServer.Start();
    const QString elsewhere = fTemp.filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, InstallerFolder()));
    EXPECT_NE(ErrorOf([this] { Download(); }), "(no error)");
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
}

TEST_F(InstallerDownload, OpenFolderIsMadePrivate)
{
    ServeSized();
    fServer.Start();
    ASSERT_TRUE(QDir().mkpath(InstallerFolder()));
    ASSERT_EQ(::chmod(QFile::encodeName(InstallerFolder()).constData(), 0777), 0);
    Download();
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(InstallerFolder()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(InstallerDownload, DownloadedProgramIsStarted)
{
    const QString marker = fTemp.filePath(QStringLiteral("started"));
    const std::string script = "#!/bin/sh\necho started > '" + marker.toStdString() + "'\n";
    fServer.fServer.Get(kInstallerPath, [&script](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_content(script, "application/octet-stream");
    });
    fServer.Start();
    ASSERT_TRUE(StartInstaller(Download()));
    for (int i = 0; i < 500 && !QFileInfo::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(QFileInfo::exists(marker));
}

TEST(Sha256FileRule, DigestAtTheStartInEitherCase)
{
    const QByteArray hex = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
    const struct
    {
        QByteArray fText;
        bool fValid;
    } cases[] = {{hex + "  ordwell.exe\n", true},
                 {hex.toUpper(), true},
                 {"\xEF\xBB\xBF \r\n" + hex, true},
                 {hex + " *ordwell.exe", true},
                 {hex.left(63), false},
                 {hex.left(63) + "g", false},
                 {hex + "0", false},
                 {"<html>" + hex, false},
                 {QByteArray(), false}};
    for (const auto &c : cases)
        EXPECT_EQ(ParseSha256File(c.fText), c.fValid ? std::optional(QByteArray::fromHex(hex)) : std::nullopt)
            << c.fText.toStdString();
}

// The reply beside the installer, and what the download makes of it.
struct TChecksumCase
{
    const char *fName;
    int fStatus;
    // The reply's text; "=" stands for the served installer's digest, "~" for that of a copy that
    // differs in one bit, as if the installer had been tampered with.
    std::string fText;
    std::string fError;
    bool fVerified;
};

void PrintTo(const TChecksumCase &aCase, std::ostream *aStream)
{
    *aStream << aCase.fName;
}

class InstallerChecksum : public InstallerDownload, public ::testing::WithParamInterface<TChecksumCase>
{
};

TEST_P(InstallerChecksum, DecidesWhetherTheInstallerIsKept)
{
    const TChecksumCase &c = GetParam();
    QByteArray installer = QByteArray::fromStdString(fBody);
    const QByteArray digest = QCryptographicHash::hash(installer, QCryptographicHash::Sha256).toHex();
    installer[1000] = char(installer[1000] ^ 1);
    const QByteArray tamperedDigest = QCryptographicHash::hash(installer, QCryptographicHash::Sha256).toHex();
    std::string text = c.fText;
    if (const size_t at = text.find_first_of("=~"); at != std::string::npos)
        text.replace(at, 1, (text[at] == '=' ? digest : tamperedDigest).toStdString());
    fServer.fServer.Get(std::string(kInstallerPath) + ".sha256",
                        [&c, &text](const httplib::Request &, httplib::Response &aRes) {
                            aRes.status = c.fStatus;
                            aRes.set_content(text, "text/plain");
                        });
    ServeSized();
    fServer.Start();
    TDownloadedInstaller downloaded;
    EXPECT_EQ(ErrorOf([this, &downloaded] { downloaded = DownloadUpdate(fServer.BaseUrl(), {}); }), c.fError);
    EXPECT_EQ(downloaded.fVerified, c.fVerified);
    // Only a download that succeeded leaves a file.
    EXPECT_EQ(QFileInfo::exists(InstallerFileName()), c.fError == "(no error)");
}

INSTANTIATE_TEST_SUITE_P(
    Replies, InstallerChecksum,
    ::testing::Values(
        TChecksumCase{"Sha256sumLine", 200, "=  ordwell.exe\n", "(no error)", true},
        TChecksumCase{"Tampered", 200, "~  ordwell.exe\n",
                      "The downloaded file does not match the checksum published by the vendor. "
                      "It has been removed and was not started.",
                      false},
        TChecksumCase{"NotFound", 404, "=", "(no error)", false},
        TChecksumCase{"Gone", 410, "", "(no error)", false},
        TChecksumCase{"LongPageThatIsNoChecksum", 200, std::string(100000, 'p'), "(no error)", false},
        TChecksumCase{"ServerError", 500, "=", "HTTP/1.1 500 Internal Server Error", false}),
    [](const ::testing::TestParamInfo<TChecksumCase> &aInfo) { return std::string(aInfo.param.fName); });

TEST(DownloadFailure, BoxTextHasBothParts)
{
    EXPECT_EQ(DownloadFailureText(QStringLiteral("Download is cancelled. Please download manually.")),
              QStringLiteral("Failed to download update. Please download manually on website.\n\n"
                             "Download is cancelled. Please download manually."));
}

} // namespace
