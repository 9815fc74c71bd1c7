// The main window's controls: creation, arrangement, fonts and initial states.
#include "content/extraction_service.h"
#include "gui/main_form/main_form.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/page_control.h"
#include "gui/widgets/up_down.h"
#include "gui/widgets/wrap_check_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QValidator>
#include <QVBoxLayout>

namespace {

// Accepts what the extraction server setting can use: empty or "auto", or an http URL.
class TExtractionServerValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &aInput, int &) const override
    {
        return ParseExtractionServerSetting(aInput) ? Acceptable : Intermediate;
    }
};

constexpr int kFormPointSize = 8;
constexpr int kExcludeRowHeight = 28;
constexpr int kListPointSize = 11;
constexpr int kStripWidth = 33;
const QColor kNoticeColour(0x6D, 0x6D, 0x6D);

QFont SansFont(int aPointSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(aPointSize);
    return font;
}

QToolButton *MakeIconButton(const QString &aIconName, QWidget *aParent)
{
    auto *button = new QToolButton(aParent);
    button->setAutoRaise(true);
    button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(aIconName)));
    button->setIconSize(QSize(25, 25));
    button->setFixedSize(31, 31);
    // Reached with Tab; a click leaves the focus where it is.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// A read-only memo without word wrap or border, scroll bars as the text needs them.
QPlainTextEdit *MakeMemo(QWidget *aParent)
{
    auto *memo = new QPlainTextEdit(aParent);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFrameShape(QFrame::NoFrame);
    return memo;
}

// A sunken panel holding aMemo and, over its middle, a grey-on-white notice.
QFrame *MakeMemoPanel(QWidget *aParent, QPlainTextEdit *&aMemo, QLabel *&aNotice)
{
    auto *panel = new QFrame(aParent);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(1, 1, 1, 1);
    aMemo = MakeMemo(panel);
    layout->addWidget(aMemo);
    aNotice = new QLabel(panel);
    aNotice->setTextFormat(Qt::PlainText);
    aNotice->setAutoFillBackground(true);
    QPalette palette = aNotice->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, kNoticeColour);
    aNotice->setPalette(palette);
    aNotice->setAttribute(Qt::WA_TransparentForMouseEvents);
    aNotice->raise();
    return panel;
}

QVBoxLayout *MakeStrip(QWidget *aStrip)
{
    aStrip->setFixedWidth(kStripWidth);
    auto *layout = new QVBoxLayout(aStrip);
    layout->setContentsMargins(1, 2, 1, 2);
    layout->setSpacing(2);
    return layout;
}

QGridLayout *MakePageGrid(QWidget *aPage)
{
    auto *grid = new QGridLayout(aPage);
    grid->setContentsMargins(8, 6, 8, 6);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    return grid;
}

} // namespace

void TMainForm::CreateControls()
{
    setFont(SansFont(kFormPointSize));
    setWindowIcon(QIcon(QStringLiteral(":/icons/magnifying-glass.svg")));
    setMinimumWidth(471);

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    Splitter1->setHandleWidth(4);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(CreateLeftColumn());
    Splitter1->addWidget(CreateRightArea());
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({329, 1371 - 329 - 4});
    setCentralWidget(Splitter1);
    CreateStatusBar();

    TimerListUpdate = new QTimer(this);
    TimerListUpdate->setSingleShot(true);
    TimerListUpdate->setInterval(500);
    TimerStopper = new QTimer(this);
    TimerStopper->setSingleShot(true);
    TimerStopper->setInterval(1000);
    PopupMenuLang = new QMenu(this);
}

QWidget *TMainForm::CreateLeftColumn()
{
    Panel3 = new QWidget(this);
    auto *column = new QVBoxLayout(Panel3);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    SearchOptionControl = new TPageControl(30, Panel3);
    // One row taller than the designed 141 pixels: the Filter page holds "Exclude:" too.
    SearchOptionControl->setFixedHeight(141 + kExcludeRowHeight);
    SearchOptionControl->addTab(CreateFilterPage(), QString());
    SearchOptionControl->addTab(CreateDatePage(), QString());
    SearchOptionControl->addTab(CreateSizePage(), QString());
    SearchOptionControl->addTab(CreateAdvancedPage(), QString());
    SearchOptionControl->setCurrentIndex(0);
    // Every tab stays readable in every language: the column is at least as wide as the tabs.
    SearchOptionControl->setUsesScrollButtons(false);
    column->addWidget(SearchOptionControl);

    Panel6 = new QLabel(Panel3);
    Panel6->setTextFormat(Qt::PlainText);
    Panel6->setFixedHeight(25);
    Panel6->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto *header = new QHBoxLayout(Panel6);
    header->setContentsMargins(8, 0, 8, 0);
    header->setSpacing(8);
    header->addStretch(1);
    btnAddFolder = new QToolButton(Panel6);
    btnAddFolder->setAutoRaise(true);
    btnAddFolder->setFocusPolicy(Qt::TabFocus);
    btnAddFolder->setIcon(QIcon::fromTheme(QStringLiteral("folder-new")));
    btnAddFolder->setToolButtonStyle(Qt::ToolButtonTextOnly);
    header->addWidget(btnAddFolder);
    Label8 = new TLinkLabel(Panel6);
    header->addWidget(Label8);
    column->addWidget(Panel6);

    Splitter3 = new QSplitter(Qt::Vertical, Panel3);
    Splitter3->setHandleWidth(8);
    Splitter3->setChildrenCollapsible(false);
    fFolderTreePlace = new QWidget(Splitter3);
    fFolderTreePlace->setFont(SansFont(kListPointSize));
    auto *treeLayout = new QVBoxLayout(fFolderTreePlace);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    CreateFolderTree();
    Panel7 = MakeMemoPanel(Splitter3, Memo1, StaticText1);
    Splitter3->addWidget(fFolderTreePlace);
    Splitter3->addWidget(Panel7);
    Splitter3->setStretchFactor(0, 1);
    Splitter3->setStretchFactor(1, 0);
    Splitter3->setSizes({400, 97});
    column->addWidget(Splitter3, 1);
    return Panel3;
}

QWidget *TMainForm::CreateFilterPage()
{
    SearchValues = new QWidget(this);
    auto *grid = MakePageGrid(SearchValues);
    Label1 = new QLabel(SearchValues);
    SearchField = new QLineEdit(QStringLiteral("*.*"), SearchValues);
    Label2 = new QLabel(SearchValues);
    edtTextToFind = new QLineEdit(SearchValues);
    Label1->setBuddy(SearchField);
    Label2->setBuddy(edtTextToFind);
    lblExclude = new QLabel(SearchValues);
    edtExclude = new QLineEdit(SearchValues);
    edtExclude->setPlaceholderText(QStringLiteral(".git;node_modules;*.bak"));
    lblExclude->setBuddy(edtExclude);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(SearchField, 1, 0, 1, 2);
    lblTextToFindError = new QLabel(SearchValues);
    lblTextToFindError->setTextFormat(Qt::PlainText);
    QPalette errorPalette = lblTextToFindError->palette();
    errorPalette.setColor(QPalette::WindowText, QColor(0xB0, 0x00, 0x20));
    lblTextToFindError->setPalette(errorPalette);
    lblTextToFindError->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblTextToFindError->setVisible(false);
    grid->addWidget(Label2, 2, 0);
    grid->addWidget(lblTextToFindError, 2, 1);
    grid->addWidget(edtTextToFind, 3, 0, 1, 2);
    grid->addWidget(lblExclude, 4, 0);
    grid->addWidget(edtExclude, 4, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(5, 1);
    return SearchValues;
}

QWidget *TMainForm::CreateDatePage()
{
    SearchDate = new QWidget(this);
    auto *grid = MakePageGrid(SearchDate);
    SearchAllRB = new QRadioButton(SearchDate);
    SearchAllRB->setChecked(true);
    SearchDateRB = new QRadioButton(SearchDate);
    SearchOptionsCombo = new QComboBox(SearchDate);
    SearchOptionsCombo->addItems({QString(), QString(), QString()});
    Label3 = new QLabel(SearchDate);
    Label4 = new QLabel(SearchDate);
    SearchMinDate = new QDateTimeEdit(SearchDate);
    SearchMaxDate = new QDateTimeEdit(SearchDate);
    Label3->setBuddy(SearchMinDate);
    Label4->setBuddy(SearchMaxDate);
    for (QDateTimeEdit *picker : {SearchMinDate, SearchMaxDate}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QLocale().dateFormat(QLocale::ShortFormat));
    }
    for (QWidget *control : {static_cast<QWidget *>(SearchOptionsCombo), static_cast<QWidget *>(Label3),
                             static_cast<QWidget *>(SearchMinDate), static_cast<QWidget *>(Label4),
                             static_cast<QWidget *>(SearchMaxDate)})
        control->setEnabled(false);
    grid->addWidget(SearchAllRB, 0, 0, 1, 2);
    grid->addWidget(SearchDateRB, 1, 0, 1, 2);
    grid->addWidget(SearchOptionsCombo, 1, 2);
    grid->addWidget(Label3, 2, 0, 1, 1, Qt::AlignRight);
    grid->addWidget(SearchMinDate, 2, 1, 1, 2);
    grid->addWidget(Label4, 3, 0, 1, 1, Qt::AlignRight);
    grid->addWidget(SearchMaxDate, 3, 1, 1, 2);
    grid->setColumnMinimumWidth(0, 16);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(4, 1);
    return SearchDate;
}

QWidget *TMainForm::CreateSizePage()
{
    TabSheet1 = new QWidget(this);
    auto *grid = MakePageGrid(TabSheet1);
    chSize1 = new QRadioButton(TabSheet1);
    chSize1->setChecked(true);
    chSize2 = new QRadioButton(TabSheet1);
    FileSizeCombo = new QComboBox(TabSheet1);
    FileSizeCombo->addItems({QString(), QString()});
    FileSizeCombo->setCurrentIndex(0);
    FileSize = new QLineEdit(QStringLiteral("0"), TabSheet1);
    UpDown1 = new TUpDown(FileSize, 0, 100000000, TabSheet1);
    Label6 = new QLabel(TabSheet1);
    Label6->setBuddy(FileSize);
    for (QWidget *control : {static_cast<QWidget *>(FileSizeCombo), static_cast<QWidget *>(FileSize),
                             static_cast<QWidget *>(UpDown1), static_cast<QWidget *>(Label6)})
        control->setEnabled(false);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->setSpacing(2);
    // The list is as wide as its longest item in the current language; the number takes the rest.
    FileSizeCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    FileSize->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    FileSize->setMinimumWidth(60);
    sizeRow->addWidget(FileSizeCombo);
    sizeRow->addSpacing(4);
    sizeRow->addWidget(FileSize, 1);
    sizeRow->addWidget(UpDown1);
    sizeRow->addSpacing(4);
    sizeRow->addWidget(Label6);
    grid->addWidget(chSize1, 0, 0);
    grid->addWidget(chSize2, 1, 0);
    grid->addLayout(sizeRow, 2, 0);
    grid->setRowStretch(3, 1);
    return TabSheet1;
}

QWidget *TMainForm::CreateAdvancedPage()
{
    // The page keeps the height of the others and scrolls when its options need more (a long
    // language, a large font).
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab goes straight to the options: the area itself has nothing to focus.
    scroll->setFocusPolicy(Qt::NoFocus);
    SearchAdvanced = scroll;
    auto *page = new QWidget(scroll);
    page->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    auto *grid = MakePageGrid(page);
    chkShowHidden = new QCheckBox(page);
    chSearchInSubfolders = new QCheckBox(page);
    chSearchInSubfolders->setChecked(true);
    CheckBox1 = new TWrapCheckBox(page);
    chkMatchCase = new QCheckBox(page);
    chkWholeWords = new QCheckBox(page);
    chkRegularExpression = new QCheckBox(page);
    grid->addWidget(chkShowHidden, 0, 0, 1, 2);
    grid->addWidget(chSearchInSubfolders, 1, 0, 1, 2);
    grid->addWidget(CheckBox1, 2, 0, 1, 2);
    grid->addWidget(chkMatchCase, 3, 0, 1, 2);
    grid->addWidget(chkWholeWords, 4, 0, 1, 2);
    grid->addWidget(chkRegularExpression, 5, 0, 1, 2);
    lblExtractionServer = new QLabel(page);
    edtExtractionServer = new QLineEdit(page);
    edtExtractionServer->setValidator(new TExtractionServerValidator(edtExtractionServer));
    lblExtractionServer->setBuddy(edtExtractionServer);
    grid->addWidget(lblExtractionServer, 6, 0);
    grid->addWidget(edtExtractionServer, 6, 1);
    chkTextCache = new QCheckBox(page);
    chkTextCache->setChecked(true);
    btnClearTextCache = new QPushButton(page);
    grid->addWidget(chkTextCache, 7, 0, 1, 2);
    grid->addWidget(btnClearTextCache, 8, 0, 1, 2, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(9, 1);
    scroll->setWidget(page);
    return SearchAdvanced;
}

QWidget *TMainForm::CreateRightArea()
{
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    auto *strip = new QWidget(area);
    QVBoxLayout *buttons = MakeStrip(strip);
    StartSearchButton = MakeIconButton(QStringLiteral("magnifying-glass"), strip);
    StopSearchButton = MakeIconButton(QStringLiteral("stop2"), strip);
    StopSearchButton->setEnabled(false);
    SpeedButton2 = MakeIconButton(QStringLiteral("foreign-language"), strip);
    SpeedButton3 = MakeIconButton(QStringLiteral("information"), strip);
    for (QToolButton *button : {StartSearchButton, StopSearchButton, SpeedButton2, SpeedButton3})
        buttons->addWidget(button);
    buttons->addStretch(1);
    row->addWidget(strip);

    Splitter2 = new QSplitter(Qt::Vertical, area);
    Splitter2->setHandleWidth(8);
    Splitter2->setChildrenCollapsible(false);
    SearchResultList = new TFileListView(Splitter2);
    SearchResultList->SetFileList(&fSession->FileList());
    SearchResultList->setFont(SansFont(kListPointSize));
    SearchResultList->setMinimumHeight(50);
    // The Context column, the last, takes the rest of the width.
    const int widths[] = {260, 330, 90, 140, 150, 70};
    for (int column = 0; column < int(std::size(widths)); ++column)
        SearchResultList->header()->resizeSection(column, widths[column]);
    Splitter2->addWidget(SearchResultList);
    Splitter2->addWidget(CreatePreviewPane());
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    Splitter2->setSizes({520, 101});
    row->addWidget(Splitter2, 1);
    return area;
}

QWidget *TMainForm::CreatePreviewPane()
{
    pnlPreview = new QWidget(this);
    pnlPreview->setMinimumHeight(60);
    auto *row = new QHBoxLayout(pnlPreview);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto *strip = new QWidget(pnlPreview);
    QVBoxLayout *buttons = MakeStrip(strip);
    btPrevious = MakeIconButton(QStringLiteral("up-arrow"), strip);
    btNext = MakeIconButton(QStringLiteral("down-arrow"), strip);
    SpeedButton1 = MakeIconButton(QStringLiteral("information"), strip);
    SpeedButton1->setVisible(false);
    buttons->addWidget(btPrevious);
    buttons->addWidget(btNext);
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton1);
    row->addWidget(strip);

    Panel8 = MakeMemoPanel(pnlPreview, FPreview, StaticText2);
    PreviewCutNotice = new QLabel(Panel8);
    PreviewCutNotice->setTextFormat(Qt::PlainText);
    PreviewCutNotice->setWordWrap(true);
    PreviewCutNotice->setVisible(false);
    Panel8->layout()->addWidget(PreviewCutNotice);
    lblMatchCount = new QLabel(Panel8);
    lblMatchCount->setTextFormat(Qt::PlainText);
    lblMatchCount->setVisible(false);
    Panel8->layout()->addWidget(lblMatchCount);
    // Placed under the centred notice, in its colours.
    PreviewFailure = new QLabel(Panel8);
    PreviewFailure->setTextFormat(Qt::PlainText);
    PreviewFailure->setWordWrap(true);
    PreviewFailure->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    PreviewFailure->setAutoFillBackground(true);
    PreviewFailure->setPalette(StaticText2->palette());
    PreviewFailure->setAttribute(Qt::WA_TransparentForMouseEvents);
    PreviewFailure->setVisible(false);
    // The selection stays visible, in its usual colours, while the memo has no focus.
    QPalette palette = FPreview->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    FPreview->setPalette(palette);
    row->addWidget(Panel8, 1);
    return pnlPreview;
}

void TMainForm::CreateStatusBar()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    fStatusPanel = new QLabel(StatusBar1);
    fStatusPanel->setTextFormat(Qt::PlainText);
    fStatusPanel->installEventFilter(this);
    StatusBar1->addWidget(fStatusPanel, 1);
    setStatusBar(StatusBar1);

    lbHomepageURL = new TLinkLabel(this);
    lbHomepageURL->setFixedSize(264, 17);
    // The status text ends before the link, which lies over the status line.
    auto *linkRoom = new QWidget(StatusBar1);
    linkRoom->setFixedWidth(lbHomepageURL->width());
    StatusBar1->addPermanentWidget(linkRoom);
    lbHomepageURL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbHomepageURL->raise();
}
