// Start-up against a loopback vendor server: the new-version dialog's offer, "Skip" and "Exit",
// the program ending before the main window when required, "Update Now" with "Abort" and with a
// matching, tampered or missing published checksum, and a package's dialog, which only tells.
#include "gui/new_version_dialog.h"
#include "gui/startup.h"
#include "i18n/translation.h"
#include "platform/config_location.h"
#include "platform/program_info.h"
#include "support/pump.h"
#include "support/vendor_test_server.h"
#include "update/installer_download.h"
#include "update/version_check.h"

#include <functional>
#include <gtest/gtest.h>
#include <QApplication>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <stdexcept>

namespace {

constexpr char kVersionPath[] = "/download/version/ordwell-version.html";
constexpr char kChangesPath[] = "/download/version/ordwell-changes.html";
constexpr char kInstallerPath[] = "/download/ordwell.exe";

// Receives the addresses the program asks the desktop to open, instead of a browser.
class TUrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> fOpened;
public Q_SLOTS:
    void OpenUrl(const QUrl &aUrl) { fOpened.append(aUrl); }
};

// What a test saw of the dialog while it was shown.
struct TSeen
{
    QString fCaption;
    QString fMessage;
    QString fUpdateNow;
    QString fCancel;
    QSize fSize;
    int fTag = -1;
    bool fProgressShown = false;
    int fProgress = 0;
    QString fErrorBox;
    QString fQuestion;
};

class NewVersionDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fTemp.isValid());
        fOldAppData = qgetenv("APPDATA");
        fOldTmp = qgetenv("TMPDIR");
        qputenv("APPDATA", QFile::encodeName(fTemp.filePath(QStringLiteral("appdata"))));
        qputenv("TMPDIR", QFile::encodeName(fTemp.path()));
        UpdateRequired() = false;
        UpdateMessage().clear();
        DownloadCancelled() = false;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &fCatcher, "OpenUrl");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &fCatcher, "OpenUrl");
    }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        qputenv("APPDATA", fOldAppData);
        qputenv("TMPDIR", fOldTmp);
        fServer.Stop();
    }

    void ServeVersion(const std::string &aVersionLine, const std::string &aChanges)
    {
        fServer.fServer.Get(kVersionPath, [aVersionLine](const httplib::Request &, httplib::Response &aRes) {
            aRes.set_content(aVersionLine + "\n", "text/html");
        });
        fServer.fServer.Get(kChangesPath, [aChanges](const httplib::Request &, httplib::Response &aRes) {
            aRes.set_content(aChanges, "text/html");
        });
    }

    // Runs the start-up steps while aDrive is called every 20 ms with the dialog shown (or null)
    // until it returns true; returns RunStartupSequence's result.
    bool RunStartup(const std::function<bool(TfrmNewVersion *)> &aDrive)
    {
        fServer.Start();
        QTimer driver;
        driver.setInterval(20);
        bool finished = false;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                QAbstractButton *answer = box->button(QMessageBox::Ok);
                if (box->icon() == QMessageBox::Question) {
                    fSeen.fQuestion = box->text();
                    for (QAbstractButton *button : box->buttons())
                        if (button->text() == fAnswer)
                            answer = button;
                } else {
                    fSeen.fErrorBox = box->text();
                }
                if (answer)
                    QMetaObject::invokeMethod(answer, "click", Qt::QueuedConnection);
                return;
            }
            TfrmNewVersion *dialog = nullptr;
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *candidate = qobject_cast<TfrmNewVersion *>(widget);
                    candidate && candidate->isVisible())
                    dialog = candidate;
            if (dialog) {
                fSeen.fCaption = dialog->windowTitle();
                fSeen.fMessage = dialog->Label1->text();
                fSeen.fUpdateNow = dialog->btUpdateNow->text();
                fSeen.fSize = dialog->size();
                fSeen.fTag = dialog->Tag;
                fSeen.fProgressShown = fSeen.fProgressShown || dialog->ProgressBar1->isVisible();
                fSeen.fProgress = std::max(fSeen.fProgress, dialog->ProgressBar1->value());
                if (fSeen.fCancel.isEmpty())
                    fSeen.fCancel = dialog->btCancel->text();
            }
            if (!finished && aDrive(dialog))
                finished = true;
        });
        driver.start();
        const bool goOn = RunStartupSequence(fServer.BaseUrl(), fSelfUpdate);
        driver.stop();
        return goOn;
    }

    bool SettingsWritten() const { return QFile::exists(SettingsFolder() + QStringLiteral("/settings.dt")); }

    QTemporaryDir fTemp;
    QByteArray fOldAppData;
    QByteArray fOldTmp;
    TVendorTestServer fServer;
    TUrlCatcher fCatcher;
    TSeen fSeen;
    // The caption of the button pressed in a question box.
    QString fAnswer;
    // A build that updates itself, whatever this build's option says; package cases change it.
    TSelfUpdate fSelfUpdate{true, DownloadUpdate};
};

void Click(QPushButton *aButton)
{
    // Queued, so the driving timer returns before a download starts in the click.
    QMetaObject::invokeMethod(aButton, "click", Qt::QueuedConnection);
}

TEST_F(NewVersionDialog, OptionalUpdateOffersSkipAndStartUpGoesOn)
{
    ServeVersion("24/20", "Faster search\n\n\nNew icons\n");
    const bool goOn = RunStartup([](TfrmNewVersion *aDialog) {
        if (!aDialog)
            return false;
        Click(aDialog->btCancel);
        return true;
    });
    EXPECT_TRUE(goOn);
    EXPECT_FALSE(UpdateRequired());
    EXPECT_EQ(fSeen.fCaption, QStringLiteral(" Ordwell"));
    EXPECT_EQ(fSeen.fCancel, QStringLiteral("Skip"));
    EXPECT_EQ(fSeen.fUpdateNow, QStringLiteral("Update Now"));
    EXPECT_EQ(fSeen.fSize, QSize(414, 197));
    EXPECT_EQ(fSeen.fTag, 1);
    EXPECT_EQ(fSeen.fMessage,
              QStringLiteral("The new version 2.4 is available\n\nWhat's new:\nFaster search\n"
                             "New icons\n"));
    EXPECT_FALSE(fSeen.fProgressShown);
    EXPECT_TRUE(fCatcher.fOpened.isEmpty());
}

TEST_F(NewVersionDialog, ClosingAnOptionalOfferByItsCloseBoxAlsoGoesOn)
{
    ServeVersion("24/23", "");
    const bool goOn = RunStartup([](TfrmNewVersion *aDialog) {
        if (!aDialog)
            return false;
        QMetaObject::invokeMethod(aDialog, "close", Qt::QueuedConnection);
        return true;
    });
    EXPECT_TRUE(goOn);
}

TEST_F(NewVersionDialog, RequiredUpdateShowsExitAndEndsTheProgramWithoutSettings)
{
    ServeVersion("30/25", "Rewritten\n");
    const bool goOn = RunStartup([](TfrmNewVersion *aDialog) {
        if (!aDialog)
            return false;
        // The window's close box, not the button: any way of closing ends the program.
        QMetaObject::invokeMethod(aDialog, "close", Qt::QueuedConnection);
        return true;
    });
    EXPECT_FALSE(goOn);
    EXPECT_TRUE(UpdateRequired());
    EXPECT_EQ(fSeen.fCancel, QStringLiteral("Exit"));
    EXPECT_TRUE(fSeen.fMessage.startsWith(QStringLiteral(
        "This version of the software is out of date. You must download the current version 3.0")));
    EXPECT_FALSE(SettingsWritten());
    for (QWidget *widget : QApplication::topLevelWidgets())
        EXPECT_TRUE(qobject_cast<TfrmNewVersion *>(widget) || !widget->inherits("TMainForm"));
}

TEST_F(NewVersionDialog, ExitButtonOfARequiredUpdateEndsTheProgram)
{
    ServeVersion("30/25", "");
    const bool goOn = RunStartup([](TfrmNewVersion *aDialog) {
        if (!aDialog)
            return false;
        Click(aDialog->btCancel);
        return true;
    });
    EXPECT_FALSE(goOn);
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(NewVersionDialog, NothingNewerOrNoServerShowsNoDialog)
{
    ServeVersion("23/23", "");
    bool dialogSeen = false;
    EXPECT_TRUE(RunStartup([&dialogSeen](TfrmNewVersion *aDialog) {
        dialogSeen = dialogSeen || aDialog;
        return false;
    }));
    EXPECT_FALSE(dialogSeen);
    EXPECT_TRUE(RunStartupSequence(UnreachableBaseUrl()));
}

TEST_F(NewVersionDialog, AbortDuringUpdateNowShowsTheCancelSentenceAndEnds)
{
    ServeVersion("24/20", "Faster search\n");
    // The installer: 100000 of 2000000 bytes, then nothing until the test ends.
    const std::string part(100000, 'x');
    fServer.fServer.Get(kInstallerPath, [this, &part](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_content_provider(2000000, "application/octet-stream",
                                  [this, &part](size_t aOffset, size_t, httplib::DataSink &aSink) {
                                      if (aOffset >= part.size()) {
                                          while (!fServer.fRelease && aSink.is_writable())
                                              std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                          return false;
                                      }
                                      return aSink.write(part.data(), part.size());
                                  });
    });
    enum
    {
        stOffer,
        stDownloading,
        stAborted
    } step = stOffer;
    const bool goOn = RunStartup([&step](TfrmNewVersion *aDialog) {
        if (!aDialog)
            return false;
        switch (step) {
        case stOffer:
            Click(aDialog->btUpdateNow);
            step = stDownloading;
            return false;
        case stDownloading:
            // 100000 of 2000000 bytes: the bar shows 5 before the user aborts.
            if (aDialog->ProgressBar1->value() < 5)
                return false;
            EXPECT_FALSE(aDialog->btUpdateNow->isEnabled());
            EXPECT_EQ(aDialog->btCancel->text(), QStringLiteral("Abort"));
            aDialog->btCancel->click();
            step = stAborted;
            return true;
        case stAborted:
            return true;
        }
        return true;
    });
    EXPECT_FALSE(goOn);
    EXPECT_EQ(step, stAborted);
    EXPECT_TRUE(fSeen.fProgressShown);
    EXPECT_EQ(fSeen.fProgress, 5);
    EXPECT_FALSE(QFileInfo::exists(InstallerFileName()));
    EXPECT_EQ(fSeen.fErrorBox,
              DownloadFailureText(QStringLiteral("Download is cancelled. Please download manually.")));
    ASSERT_EQ(fCatcher.fOpened.size(), 1);
    EXPECT_EQ(fCatcher.fOpened.front(), QUrl(VendorBaseUrl()));
    EXPECT_FALSE(SettingsWritten());
}

TEST_F(NewVersionDialog, UpdateNowWithAFailingServerShowsItsStatusAndEnds)
{
    ServeVersion("24/20", "");
    fServer.fServer.Get(kInstallerPath,
                        [](const httplib::Request &, httplib::Response &aRes) { aRes.status = 404; });
    bool clicked = false;
    const bool goOn = RunStartup([&clicked](TfrmNewVersion *aDialog) {
        if (!aDialog || clicked)
            return clicked;
        Click(aDialog->btUpdateNow);
        clicked = true;
        return false;
    });
    EXPECT_FALSE(goOn);
    EXPECT_TRUE(fSeen.fErrorBox.startsWith(
        QStringLiteral("Failed to download update. Please download manually on website.\n\n")));
    EXPECT_TRUE(fSeen.fErrorBox.contains(QStringLiteral("404")));
    EXPECT_EQ(fCatcher.fOpened.size(), 1);
}

// What the vendor publishes beside the installer, and what "Update Now" then does.
struct TUpdateCase
{
    const char *fName;
    // The reply to the checksum's request: its status, and whether it is the digest of the installer
    // as published rather than of the tampered one that is served.
    int fChecksumStatus;
    bool fInstallerTampered;
    // The button pressed in the question about an unverified installer; empty when none is asked.
    const char *fAnswer;
    bool fStarted;
};

void PrintTo(const TUpdateCase &aCase, std::ostream *aStream)
{
    *aStream << aCase.fName;
}

class NewVersionDialogUpdate : public NewVersionDialog, public ::testing::WithParamInterface<TUpdateCase>
{
};

TEST_P(NewVersionDialogUpdate, StartsOnlyAVerifiedOrAcceptedInstaller)
{
    const TUpdateCase &c = GetParam();
    const QString marker = fTemp.filePath(QStringLiteral("started"));
    const std::string published = "#!/bin/sh\necho started > '" + marker.toStdString() + "'\n";
    const std::string served = c.fInstallerTampered ? published + "echo tampered\n" : published;
    const std::string checksum =
        QCryptographicHash::hash(QByteArray::fromStdString(published), QCryptographicHash::Sha256)
            .toHex()
            .toStdString() +
        "  ordwell.exe\n";
    ServeVersion("24/20", "");
    fServer.fServer.Get(kInstallerPath, [&served](const httplib::Request &, httplib::Response &aRes) {
        aRes.set_content(served, "application/octet-stream");
    });
    fServer.fServer.Get(std::string(kInstallerPath) + ".sha256",
                        [&c, &checksum](const httplib::Request &, httplib::Response &aRes) {
                            aRes.status = c.fChecksumStatus;
                            aRes.set_content(checksum, "text/plain");
                        });
    fAnswer = QString::fromUtf8(c.fAnswer);
    bool clicked = false;
    const bool goOn = RunStartup([&clicked](TfrmNewVersion *aDialog) {
        if (!aDialog || clicked)
            return clicked;
        Click(aDialog->btUpdateNow);
        clicked = true;
        return false;
    });
    EXPECT_FALSE(goOn);
    EXPECT_EQ(fSeen.fQuestion, fAnswer.isEmpty()
                                   ? QString()
                                   : QStringLiteral("The download cannot be verified: the vendor "
                                                    "has published no checksum for it. Start it anyway?"));
    EXPECT_EQ(fSeen.fErrorBox, c.fChecksumStatus == 200 && c.fInstallerTampered
                                   ? DownloadFailureText(QStringLiteral(
                                         "The downloaded file does not match the checksum published by the "
                                         "vendor. It has been removed and was not started."))
                                   : QString());
    EXPECT_EQ(QFileInfo::exists(InstallerFileName()), c.fStarted);
    EXPECT_EQ(fCatcher.fOpened.size(), c.fStarted ? 0 : 1);
    if (c.fStarted)
        EXPECT_TRUE(PumpUntil([&marker] { return QFileInfo::exists(marker); }));
    else
        EXPECT_FALSE(QFileInfo::exists(marker));
}

INSTANTIATE_TEST_SUITE_P(
    Checksums, NewVersionDialogUpdate,
    ::testing::Values(TUpdateCase{"Matching", 200, false, "", true},
                      TUpdateCase{"Tampered", 200, true, "", false},
                      TUpdateCase{"NonePublishedAndDeclined", 404, false, "Cancel", false},
                      TUpdateCase{"NonePublishedAndAccepted", 404, true, "Start Anyway", true}),
    [](const ::testing::TestParamInfo<TUpdateCase> &aInfo) { return std::string(aInfo.param.fName); });

// The download start-up runs on "Update Now" is the one it is given.
TEST_F(NewVersionDialog, UpdateNowRunsTheGivenDownload)
{
    ServeVersion("24/20", "");
    int downloads = 0;
    fSelfUpdate.fDownload = [&downloads](const QString &, const TDownloadProgress &) -> TDownloadedInstaller {
        ++downloads;
        throw std::runtime_error("no installer here");
    };
    bool clicked = false;
    const bool goOn = RunStartup([&clicked](TfrmNewVersion *aDialog) {
        if (!aDialog || clicked)
            return clicked;
        Click(aDialog->btUpdateNow);
        clicked = true;
        return false;
    });
    EXPECT_FALSE(goOn);
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(fSeen.fErrorBox, DownloadFailureText(QStringLiteral("no installer here")));
}

// How the user leaves a package's dialog.
enum TPackageClose
{
    pcCloseButton,
    pcCloseBox,
    pcUpdateNowByCode
};

struct TPackageCase
{
    const char *fName;
    const char *fVersionLine;
    bool fRequired;
    const char *fStart;
    TPackageClose fClose;
};

void PrintTo(const TPackageCase &aCase, std::ostream *aStream)
{
    *aStream << aCase.fName;
}

class NewVersionDialogPackage : public NewVersionDialog, public ::testing::WithParamInterface<TPackageCase>
{
};

TEST_P(NewVersionDialogPackage, TellsOfTheNewVersionButNeverDownloadsNorEnds)
{
    const TPackageCase &c = GetParam();
    ServeVersion(c.fVersionLine, "Faster search\n");
    int downloads = 0;
    fSelfUpdate.fEnabled = false;
    fSelfUpdate.fDownload = [&downloads](const QString &, const TDownloadProgress &) {
        ++downloads;
        return TDownloadedInstaller{};
    };
    bool updateNowShown = true;
    const bool goOn = RunStartup([&c, &updateNowShown](TfrmNewVersion *aDialog) {
        if (!aDialog)
            return false;
        updateNowShown = aDialog->btUpdateNow->isVisible();
        if (c.fClose == pcCloseButton) {
            Click(aDialog->btCancel);
            return true;
        }
        // The hidden button's handler, reached by code, does nothing either.
        if (c.fClose == pcUpdateNowByCode)
            aDialog->btUpdateNowClick();
        QMetaObject::invokeMethod(aDialog, "close", Qt::QueuedConnection);
        return true;
    });
    EXPECT_TRUE(goOn);
    EXPECT_EQ(downloads, 0);
    EXPECT_EQ(UpdateRequired(), c.fRequired);
    EXPECT_FALSE(updateNowShown);
    EXPECT_EQ(fSeen.fCancel, QStringLiteral("Close"));
    EXPECT_EQ(fSeen.fTag, 1);
    EXPECT_EQ(fSeen.fMessage, QString::fromUtf8(c.fStart) +
                                  QStringLiteral("\n\nInstall it with your system's package manager.\n\n"
                                                 "What's new:\nFaster search\n"));
    EXPECT_FALSE(fSeen.fProgressShown);
    EXPECT_TRUE(fSeen.fErrorBox.isEmpty());
    EXPECT_TRUE(fCatcher.fOpened.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(InstallerFileName()));
    EXPECT_FALSE(SettingsWritten());
}

INSTANTIATE_TEST_SUITE_P(
    Offers, NewVersionDialogPackage,
    ::testing::Values(TPackageCase{"OptionalClosedByButton", "24/20", false,
                                   "The new version 2.4 is available", pcCloseButton},
                      TPackageCase{"RequiredClosedByButton", "30/25", true,
                                   "This version of the software is out of date. You must download the "
                                   "current version 3.0 to continue using the software.",
                                   pcCloseButton},
                      TPackageCase{"RequiredClosedByCloseBox", "30/25", true,
                                   "This version of the software is out of date. You must download the "
                                   "current version 3.0 to continue using the software.",
                                   pcCloseBox},
                      TPackageCase{"RequiredWithUpdateNowByCode", "30/25", true,
                                   "This version of the software is out of date. You must download the "
                                   "current version 3.0 to continue using the software.",
                                   pcUpdateNowByCode}),
    [](const ::testing::TestParamInfo<TPackageCase> &aInfo) { return std::string(aInfo.param.fName); });

} // namespace

#include "new_version_dialog_test.moc"
