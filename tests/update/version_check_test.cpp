// The start-up version check against a loopback stand-in for the vendor's server.
#include "i18n/translation.h"
#include "support/vendor_test_server.h"
#include "update/version_check.h"

#include <gtest/gtest.h>
#include <QRegularExpression>

namespace {

const std::string kVersionPath = "/download/version/ordwell-version.html";
const std::string kChangesPath = "/download/version/ordwell-changes.html";

// Serves the two pages, also below "/hop<N>/", which redirects N times before it answers.
class VersionServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fServer.fServer.Get(R"(/hop(\d+)(/download/version/.*))", [this](const httplib::Request &aReq,
                                                                         httplib::Response &aRes) {
            const int hops = std::stoi(aReq.matches[1]);
            if (hops == 0)
                Serve(aReq.matches[2], aReq, aRes);
            else
                aRes.set_redirect("/hop" + std::to_string(hops - 1) + std::string(aReq.matches[2]));
        });
        fServer.fServer.Get(R"((/download/version/.*))",
                            [this](const httplib::Request &aReq, httplib::Response &aRes) {
                                Serve(aReq.matches[1], aReq, aRes);
                            });
        fServer.Start();
        UpdateRequired() = false;
        UpdateMessage().clear();
    }
    void TearDown() override
    {
        TranslationTable().clear();
        CurrentLanguageIndex() = 0;
    }
    void Serve(const std::string &aPath, const httplib::Request &aReq, httplib::Response &aRes)
    {
        fAgent = aReq.get_header_value("User-Agent");
        if (aPath == kVersionPath)
            aRes.set_content(fVersionPage, "text/html");
        else if (aPath == kChangesPath)
            aRes.set_content(fChangesPage, "text/html");
        else
            aRes.status = 404;
    }

    TVendorTestServer fServer;
    std::string fVersionPage = "24/20\n";
    std::string fChangesPage = "Faster search\n";
    std::string fAgent;
};

struct TVersionCase
{
    const char *fLine;
    bool fOffered;
    bool fRequired;
    const char *fStart;
    // A build that updates itself; a package's message also names the package manager.
    bool fUpdatesItself = true;
};

class VersionLines : public VersionServer, public ::testing::WithParamInterface<TVersionCase>
{
};

TEST_P(VersionLines, DecideTheOffer)
{
    const TVersionCase &c = GetParam();
    fVersionPage = c.fLine;
    EXPECT_EQ(CheckForNewVersion(fServer.BaseUrl(), c.fUpdatesItself), c.fOffered);
    EXPECT_EQ(UpdateRequired(), c.fRequired);
    if (c.fOffered)
        EXPECT_TRUE(UpdateMessage().startsWith(QString::fromUtf8(c.fStart))) << UpdateMessage().toStdString();
    else
        EXPECT_TRUE(UpdateMessage().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, VersionLines,
    ::testing::Values(
        TVersionCase{"24/20\r\nignored\r\n", true, false, "The new version 2.4 is available\n\n"},
        TVersionCase{"30/25", true, true,
                     "This version of the software is out of date. You must download the current "
                     "version 3.0 to continue using the software.\n\n"},
        TVersionCase{"23/23\n", false, false, ""},
        TVersionCase{"24/23\n", true, false, "The new version 2.4"},
        TVersionCase{"22/24\n", true, true,
                     "This version of the software is out of date. You must "
                     "download the current version 2.2 "},
        TVersionCase{"110/20\n", true, false, "The new version 11.0 is available"},
        TVersionCase{" 25 / 20 \n", true, false, "The new version 2.5 is available\n"},
        TVersionCase{"2420\n", false, false, ""}, TVersionCase{"x/20\n", false, false, ""},
        TVersionCase{"24/\n", false, false, ""}, TVersionCase{"/20\n", false, false, ""},
        TVersionCase{"\n24/20\n", false, false, ""}, TVersionCase{"", false, false, ""},
        TVersionCase{"24/20\n", true, false,
                     "The new version 2.4 is available\n\nInstall it with your system's package manager.\n\n"
                     "What's new:\nFaster search\n",
                     false},
        TVersionCase{"30/25", true, true,
                     "This version of the software is out of date. You must download the current version 3.0 "
                     "to continue using the software.\n\nInstall it with your system's package manager.\n\n"
                     "What's new:\n",
                     false},
        TVersionCase{"23/20\n", false, false, "", false}));

TEST_F(VersionServer, BlankLinesOfTheChangesPageAreDropped)
{
    fChangesPage = "Faster search\r\n\r\nNew icons\n\n\nFixes\n";
    ASSERT_TRUE(CheckForNewVersion(fServer.BaseUrl(), true));
    EXPECT_EQ(
        UpdateMessage(),
        QStringLiteral("The new version 2.4 is available\n\nWhat's new:\nFaster search\nNew icons\nFixes\n"));
    EXPECT_EQ(fAgent, "Mozilla/4.0 (compatible; MyApp)");
}

TEST_F(VersionServer, EmptyChangesPageGivesNoEntries)
{
    fChangesPage.clear();
    ASSERT_TRUE(CheckForNewVersion(fServer.BaseUrl()));
    EXPECT_TRUE(UpdateMessage().endsWith(QStringLiteral("What's new:\n")));
}

TEST_F(VersionServer, MissingChangesPageFailsTheCheck)
{
    fServer.fServer.Get(R"(/gone(/download/version/ordwell-version.html))",
                        [this](const httplib::Request &, httplib::Response &aRes) {
                            aRes.set_content(fVersionPage, "text/html");
                        });
    EXPECT_FALSE(CheckForNewVersion(fServer.BaseUrl() + QStringLiteral("/gone")));
}

TEST_F(VersionServer, RedirectsAreFollowedAtMostTenTimes)
{
    EXPECT_TRUE(CheckForNewVersion(fServer.BaseUrl() + QStringLiteral("/hop10")));
    EXPECT_FALSE(CheckForNewVersion(fServer.BaseUrl() + QStringLiteral("/hop11")));
    EXPECT_TRUE(UpdateMessage().isEmpty());
}

TEST_F(VersionServer, OversizedVersionPageFails)
{
    fVersionPage = "24/20\n" + std::string(2 * 1024 * 1024, 'x');
    EXPECT_FALSE(CheckForNewVersion(fServer.BaseUrl()));
}

TEST_F(VersionServer, MessageUsesTheCurrentLanguage)
{
    TranslationTable() = {{QStringLiteral("English"), QStringLiteral("en"),
                           QStringLiteral("The new version %s is available"), QStringLiteral("What's new:")},
                          {QStringLiteral("Deutsch"), QStringLiteral("de"),
                           QStringLiteral("Die neue Version %s ist verfügbar"),
                           QStringLiteral("Neuigkeiten:")}};
    CurrentLanguageIndex() = 1;
    ASSERT_TRUE(CheckForNewVersion(fServer.BaseUrl(), true));
    EXPECT_EQ(UpdateMessage(),
              QStringLiteral("Die neue Version 2.4 ist verfügbar\n\nNeuigkeiten:\nFaster search\n"));
}

TEST(VersionCheck, UnreachableServerFailsSilently)
{
    EXPECT_FALSE(CheckForNewVersion(UnreachableBaseUrl()));
    EXPECT_TRUE(UpdateMessage().isEmpty());
    EXPECT_FALSE(UpdateRequired());
}

TEST(VersionCheck, PlainHttpToTheInternetIsNotAsked)
{
    EXPECT_FALSE(CheckForNewVersion(QStringLiteral("http://ordwell.example")));
}

TEST(VersionCheck, DisplayVersionAndRunningNumber)
{
    EXPECT_EQ(DisplayVersion(QStringLiteral("24")), QStringLiteral("2.4"));
    EXPECT_EQ(DisplayVersion(QStringLiteral("110")), QStringLiteral("11.0"));
    EXPECT_EQ(DisplayVersion(QStringLiteral("7")), QStringLiteral(".7"));
    EXPECT_EQ(RunningVersionNumber(), 23);
}

} // namespace
