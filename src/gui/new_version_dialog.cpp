// The new-version dialog: the offer, the download with its progress bar and abort, the question
// before an unverified installer starts, the error box and the result marker that start-up reads;
// in a package only the news and "Close".
#include "gui/new_version_dialog.h"

#include "i18n/translation.h"
#include "platform/program_info.h"
#include "update/installer_download.h"
#include "update/version_check.h"

#include <algorithm>
#include <exception>
#include <QApplication>
#include <QDesktopServices>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <utility>

// The dialog's image is compiled into the GUI library; the dialog may come before the main window,
// so it registers the resources itself. Q_INIT_RESOURCE must be used outside any namespace.
static void InitDialogIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace {

constexpr int kClientWidth = 414;
constexpr int kClientHeight = 197;
constexpr int kButtonTop = 162;
constexpr int kButtonHeight = 27;
constexpr int kButtonMinWidth = 85;
constexpr int kMargin = 8;

} // namespace

TfrmNewVersion::TfrmNewVersion(const QString &aBaseUrl, TSelfUpdate aSelfUpdate, QWidget *aParent)
    : QDialog(aParent), fBaseUrl(aBaseUrl), fSelfUpdate(std::move(aSelfUpdate))
{
    InitDialogIconResources();
    setWindowTitle(QStringLiteral("New Version"));
    setFixedSize(kClientWidth, kClientHeight);

    VirtualImage1 = new QLabel(this);
    VirtualImage1->setGeometry(kMargin, kMargin, 70, 75);
    VirtualImage1->setAlignment(Qt::AlignCenter);
    VirtualImage1->setPixmap(QIcon(QStringLiteral(":/icons/update-icon.svg")).pixmap(64, 64));

    Label1 = new QLabel(this);
    Label1->setGeometry(kClientWidth - 327 - kMargin, kMargin, 327, 115);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry((kClientWidth - 409) / 2, 135, 409, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(false);

    btUpdateNow = new QPushButton(QStringLiteral("Update Now"), this);
    btCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btUpdateNow->setDefault(true);
    // A package is updated by the package manager: nothing to start here.
    btUpdateNow->setVisible(fSelfUpdate.fEnabled);
    btCancel->setDefault(!fSelfUpdate.fEnabled);
    PlaceButtons();
    connect(btUpdateNow, &QPushButton::clicked, this, &TfrmNewVersion::btUpdateNowClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmNewVersion::btCancelClick);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
}

// The two buttons at the bottom right, "Update Now" left of the cancel button, each wide enough
// for its caption in any language.
void TfrmNewVersion::PlaceButtons()
{
    const int cancelWidth = std::max(kButtonMinWidth, btCancel->sizeHint().width());
    const int updateWidth = std::max(kButtonMinWidth, btUpdateNow->sizeHint().width());
    const int cancelLeft = kClientWidth - kMargin - cancelWidth;
    btCancel->setGeometry(cancelLeft, kButtonTop, cancelWidth, kButtonHeight);
    btUpdateNow->setGeometry(cancelLeft - 6 - updateWidth, kButtonTop, updateWidth, kButtonHeight);
}

void TfrmNewVersion::showEvent(QShowEvent *aEvent)
{
    FormShow();
    QDialog::showEvent(aEvent);
}

void TfrmNewVersion::FormShow()
{
    Tag = 1;
    setWindowTitle(u' ' + ApplicationTitle());
    btUpdateNow->setText(Translate(QStringLiteral("Update Now")));
    if (!fSelfUpdate.fEnabled)
        btCancel->setText(Translate(QStringLiteral("Close")));
    else
        btCancel->setText(UpdateRequired() ? Translate(QStringLiteral("Exit"))
                                           : Translate(QStringLiteral("Skip")));
    Label1->setText(QString(UpdateMessage()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    PlaceButtons();
}

void TfrmNewVersion::FormClose()
{
    // A package cannot update itself, so a required update does not end it.
    if (UpdateRequired() && fSelfUpdate.fEnabled)
        Tag = 0;
}

void TfrmNewVersion::done(int aResult)
{
    if (fDownloading) {
        DownloadCancelled() = true;
        return;
    }
    FormClose();
    QDialog::done(aResult);
}

void TfrmNewVersion::btCancelClick()
{
    if (btCancel->text() == Translate(QStringLiteral("Abort")))
        DownloadCancelled() = true;
    else
        close();
}

void TfrmNewVersion::btUpdateNowClick()
{
    if (!fSelfUpdate.fEnabled)
        return;
    UpdateRequired() = true;
    fDownloading = true;
    btCancel->setText(Translate(QStringLiteral("Abort")));
    PlaceButtons();
    btUpdateNow->setEnabled(false);
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(true);
    ProgressBar1->repaint();
    QCoreApplication::processEvents();
    bool failed = false;
    bool declined = false;
    QString failure;
    try {
        const TDownloadedInstaller installer = fSelfUpdate.fDownload(fBaseUrl, [this](int64_t, int aPercent) {
            if (aPercent >= 0) {
                ProgressBar1->setValue(aPercent);
                ProgressBar1->repaint();
            }
            // Keeps the dialog responsive, so that "Abort" can be pressed during the transfer.
            QCoreApplication::processEvents();
        });
        fDownloading = false;
        // Whether the installer starts is not examined: the program ends either way.
        if (installer.fVerified || AskToStartUnverified()) {
            StartInstaller(installer.fFileName);
        } else {
            RemoveInstaller(installer.fFileName);
            declined = true;
        }
    } catch (const std::exception &error) {
        failed = true;
        failure = QString::fromUtf8(error.what());
    }
    fDownloading = false;
    if (failed)
        QMessageBox::critical(this, ApplicationTitle(), DownloadFailureText(failure), QMessageBox::Ok);
    // Without a started installer the new version is to be fetched by hand from the home page.
    if (failed || declined)
        QDesktopServices::openUrl(QUrl(VendorBaseUrl()));
    close();
}

bool TfrmNewVersion::AskToStartUnverified()
{
    QMessageBox box(QMessageBox::Question, ApplicationTitle(),
                    Translate(QStringLiteral("The download cannot be verified: the vendor has published no "
                                             "checksum for it. Start it anyway?")),
                    QMessageBox::NoButton, this);
    const QPushButton *start =
        box.addButton(Translate(QStringLiteral("Start Anyway")), QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(Translate(QStringLiteral("Cancel")), QMessageBox::RejectRole);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == start;
}

int ShowNewVersionDialog(const QString &aBaseUrl, const TSelfUpdate &aSelfUpdate)
{
    TfrmNewVersion frmNewVersion(aBaseUrl, aSelfUpdate);
    frmNewVersion.exec();
    return frmNewVersion.Tag;
}
