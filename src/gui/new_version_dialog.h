// The new-version dialog: offers the announced version at start-up, downloads and starts its
// installer on "Update Now", and tells start-up through its Tag whether the program goes on. A
// build that does not update itself (a package) only tells of the new version.
#pragma once

#include "platform/program_info.h"
#include "update/installer_download.h"

#include <functional>
#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;
class QPushButton;

// Whether "Update Now" is offered, and the download it runs (replaceable in tests).
struct TSelfUpdate
{
    // False in a package: the dialog has no "Update Now", only "Close", never downloads or starts
    // anything, and a required update does not end the program.
    bool fEnabled = UpdatesItself();
    std::function<TDownloadedInstaller(const QString &aBaseUrl, const TDownloadProgress &aOnProgress)>
        fDownload = DownloadUpdate;
};

class TfrmNewVersion : public QDialog
{
    Q_OBJECT
public:
    // A dialog without owner, 414 x 197, centred on the screen. aBaseUrl is the vendor's web
    // server the installer is downloaded from. UI thread only.
    explicit TfrmNewVersion(const QString &aBaseUrl, TSelfUpdate aSelfUpdate = {},
                            QWidget *aParent = nullptr);

    QLabel *VirtualImage1 = nullptr;
    QLabel *Label1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *btUpdateNow = nullptr;
    QPushButton *btCancel = nullptr;

    // The result marker: 1 while the dialog is shown; 0 once it has closed with UpdateRequired
    // set in a build that updates itself, which means the program ends.
    int Tag = 0;

    // Tag := 1, captions from UpdateRequired and UpdateMessage.
    void FormShow();
    // Any way of closing: Tag := 0 when UpdateRequired is set and the build updates itself.
    void FormClose();
    // "Abort" while a download runs sets DownloadCancelled; otherwise closes the dialog.
    void btCancelClick();
    // Downloads the installer with progress and starts it when it matched its published checksum,
    // or, when none is published, after the user agreed; otherwise shows the error box (or removes
    // the declined installer) and opens the home page. Then closes the dialog. Returns when all of
    // that has happened. Does nothing in a build that does not update itself.
    void btUpdateNowClick();

    // Every way of closing ends here. While a download runs, closing asks it to stop instead,
    // and the dialog closes when the download has ended.
    void done(int aResult) override;

protected:
    void showEvent(QShowEvent *aEvent) override;

private:
    void PlaceButtons();
    // Says that the download cannot be verified and asks whether to start it: true on
    // "Start Anyway", false on "Cancel" or Escape.
    bool AskToStartUnverified();

    QString fBaseUrl;
    TSelfUpdate fSelfUpdate;
    bool fDownloading = false;
};

// Shows the new-version dialog modally and returns its Tag after it has closed: 0 when the program
// must end now. UI thread only.
int ShowNewVersionDialog(const QString &aBaseUrl, const TSelfUpdate &aSelfUpdate = {});
