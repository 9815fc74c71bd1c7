// The main window's life: creation, closing, resizing, the About box, the home-page link and the
// centring of the two overlay notices.
#include "gui/main_form/main_form.h"

#include "app/settings_file.h"
#include "app/window_geometry.h"
#include "gui/main_form/main_form_search.h"
#include "gui/views/shell_tree.h"
#include "gui/widgets/link_label.h"
#include "i18n/mnemonics.h"
#include "i18n/translation.h"
#include "platform/program_info.h"

#include <algorithm>
#include <array>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

// The window's icons are compiled into the GUI library; a static library must register them.
// Q_INIT_RESOURCE declares its function in the enclosing namespace: keep this one global.
static void InitIconResources()
{
    Q_INIT_RESOURCE(icons);
}

TMainForm::TMainForm(const TCommandLine &aCommandLine, QWidget *aParent)
    : QMainWindow(aParent), fCommandLine(aCommandLine),
      fSearchWindow(std::make_unique<TMainFormSearchWindow>(*this)),
      fSession(std::make_unique<TSearchSession>(*fSearchWindow))
{
    InitIconResources();
    CreateControls();
    ConnectHandlers();
    FormCreate();
}

TMainForm::~TMainForm()
{
    fSession->Close();
    fSearchWindow->SetBusyCursor(false);
    // The view goes with the widgets, after the session that owns its list.
    SearchResultList->SetFileList(nullptr);
}

void TMainForm::ConnectHandlers()
{
    connect(SpeedButton1, &QToolButton::clicked, this, &TMainForm::SpeedButton1Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TMainForm::SpeedButton3Click);
    connect(lbHomepageURL, &TLinkLabel::Clicked, this, &TMainForm::lbHomepageURLClick);
    connect(SpeedButton2, &QToolButton::clicked, this, &TMainForm::SpeedButton2Click);
    connect(btNext, &QToolButton::clicked, this, &TMainForm::btNextClick);
    connect(btPrevious, &QToolButton::clicked, this, &TMainForm::btPreviousClick);
    connect(chkTextCache, &QCheckBox::toggled, this, &TMainForm::ApplyTextCacheOptions);
    connect(btnClearTextCache, &QPushButton::clicked, this, &TMainForm::btnClearTextCacheClick);
    connect(btnAddFolder, &QToolButton::clicked, this, &TMainForm::btnAddFolderClick);
    AskFolder = [this] {
        return QFileDialog::getExistingDirectory(this, WithoutMnemonic(btnAddFolder->text()),
                                                 QDir::homePath());
    };
    SearchResultList->FileList().OnSelectionChanged = [this](TZorCustomFileList &, const QString &) {
        SearchResultListSelectionChanged();
    };
    Panel7->installEventFilter(this);
    Panel8->installEventFilter(this);
    // Folders dropped from a file manager on the tree or the where-to-search list are ticked.
    const std::array<QAbstractScrollArea *, 2> dropTargets{ZorShellTree1, Memo1};
    for (QAbstractScrollArea *target : dropTargets) {
        target->setAcceptDrops(true);
        target->viewport()->setAcceptDrops(true);
        target->viewport()->installEventFilter(this);
    }
    ConnectFolderTree();
    ConnectSearch();
}

void TMainForm::FormCreate()
{
    setWindowTitle(ApplicationTitle() + u' ' + ApplicationVersion());
    lbHomepageURL->setText(VendorBaseUrl());
    const QDateTime now = QDateTime::currentDateTime();
    SearchMinDate->setDateTime(now.addDays(-30));
    SearchMaxDate->setDateTime(now);
    SearchOptionsCombo->setCurrentIndex(2);
    PlaceDesignedGeometry();
    // The restored values replace the defaults above; only without a settings file is the window
    // centred.
    SettingsFileName = GetSettingsFileName();
    LoadSettings();
    LoadProgramOptions();
    // At a first start the home folder is open below the root, where a user's folders are; the
    // selection stays on the root.
    if (ZorShellTree1->SelectedFolder().isEmpty() && !fCommandLine.HasArguments) {
        ZorShellTree1->SetSelectedFolder(QDir::homePath());
        ZorShellTree1->expand(ZorShellTree1->currentIndex());
        ZorShellTree1->SetSelectedFolder(QString());
    }
    ApplyCommandLineFolders();
    UpdateLanguageMenu();
    TranslateInterface();
    ClearPreview();
}

void TMainForm::PlaceDesignedGeometry()
{
    QSize size(1371, 663);
    QRect available(358, 152, size.width(), size.height());
    if (const QScreen *screen = this->screen()) {
        available = screen->availableGeometry();
        size = size.boundedTo(available.size());
    }
    resize(size);
    move(available.center() - QPoint(size.width() / 2, size.height() / 2));
}

void TMainForm::ApplyCommandLineFolders()
{
    if (!fCommandLine.HasArguments)
        return;
    fSession->TickCommandLineFolders(fCommandLine.FolderEntries);
    ZorShellTree1->SetSelectedFolder(fCommandLine.LastFolder);
    RestartListUpdateTimer();
}

void TMainForm::RestartListUpdateTimer()
{
    TimerListUpdate->stop();
    TimerListUpdate->start();
}

void TMainForm::closeEvent(QCloseEvent *aEvent)
{
    if (SearchControl().DeferClose()) {
        aEvent->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(aEvent);
}

void TMainForm::FormClose()
{
    SaveSettings();
    fSession->EndExtractionServer();
    SearchResultList->FileList().Clear();
    SearchField->clear();
}

void TMainForm::resizeEvent(QResizeEvent *aEvent)
{
    QMainWindow::resizeEvent(aEvent);
    FormResize();
}

void TMainForm::FormResize()
{
    const QRect bar = StatusBar1->geometry();
    QPoint link = HomepageLinkPosition(width(), lbHomepageURL->width(), lbHomepageURL->height(), bar.top(),
                                       bar.height());
    // The link keeps to the status line's trailing end, mirrored for a right-to-left language.
    if (isRightToLeft())
        link.setX(width() - link.x() - lbHomepageURL->width());
    lbHomepageURL->move(link);
    lbHomepageURL->raise();
}

bool TMainForm::eventFilter(QObject *aWatched, QEvent *aEvent)
{
    SearchKeyFilter(aWatched, aEvent);
    if (FolderDropFilter(aWatched, aEvent))
        return true;
    if (aWatched == fStatusPanel && aEvent->type() == QEvent::MouseButtonRelease && fStatusLinksUnread &&
        static_cast<QMouseEvent *>(aEvent)->button() == Qt::LeftButton) {
        ShowUnreadDocuments();
        return true;
    }
    if (aEvent->type() == QEvent::Resize) {
        if (aWatched == Panel7)
            Panel7ConstrainedResize();
        else if (aWatched == Panel8)
            Panel8ConstrainedResize();
    }
    return QMainWindow::eventFilter(aWatched, aEvent);
}

void TMainForm::Panel7ConstrainedResize()
{
    StaticText1->adjustSize();
    StaticText1->move(
        CentredPosition(Panel7->width(), Panel7->height(), StaticText1->width(), StaticText1->height()));
}

void TMainForm::Panel8ConstrainedResize()
{
    StaticText2->adjustSize();
    StaticText2->move(
        CentredPosition(Panel8->width(), Panel8->height(), StaticText2->width(), StaticText2->height()));
    const int failureWidth = std::max(Panel8->width() - 16, 1);
    PreviewFailure->setFixedWidth(failureWidth);
    PreviewFailure->setFixedHeight(std::max(PreviewFailure->heightForWidth(failureWidth), 0));
    PreviewFailure->move((Panel8->width() - failureWidth) / 2, StaticText2->geometry().bottom() + 4);
    PreviewFailure->raise();
}

void TMainForm::SetStatusText(const QString &aText)
{
    // The note of the documents a search could not read opens their list.
    const QString note = SearchControl().UnreadNote();
    const bool links = !note.isEmpty() && aText.endsWith(note);
    if (links != fStatusLinksUnread) {
        fStatusLinksUnread = links;
        if (links)
            fStatusPanel->setCursor(Qt::PointingHandCursor);
        else
            fStatusPanel->unsetCursor();
        fStatusPanel->setToolTip(links ? Translate(QStringLiteral("Documents that could not be read..."))
                                       : QString());
    }
    fStatusPanel->setText(aText);
}

QString TMainForm::StatusText() const
{
    return fStatusPanel->text();
}

void TMainForm::RepaintStatusLine()
{
    StatusBar1->repaint();
}

void TMainForm::SpeedButton1Click()
{
    QString text = AboutText(false);
    QMessageBox::information(this, ApplicationTitle(),
                             text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TMainForm::SpeedButton3Click()
{
    QString text = AboutText(true);
    QMessageBox::information(this, ApplicationTitle(),
                             text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TMainForm::lbHomepageURLClick()
{
    QDesktopServices::openUrl(QUrl(VendorBaseUrl()));
}
