// The main window: the search form, the folder column, the result list, the preview and the
// status line. Its methods are spread over files by subject (layout, captions, preview, ...).
#pragma once

#include "app/command_line.h"
#include "content/text_matcher.h"
#include "gui/views/file_list_view.h"
#include "preview/match_navigation.h"
#include "search/search_session.h"

#include <array>
#include <memory>
#include <QMainWindow>

class QAction;
class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QStatusBar;
class QTimer;
class QToolButton;
class TLinkLabel;
class TMainFormSearchWindow;
class TPageControl;
class TUpDown;
class TWrapCheckBox;
class TZorShellTree;
class TZorShellTreeNode;

class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    // Builds the window and runs FormCreate with the parsed command line. UI thread only.
    explicit TMainForm(const TCommandLine &aCommandLine, QWidget *aParent = nullptr);
    ~TMainForm() override;

    // ---- Controls, owned by the window through Qt parenting. ----
    // Left column.
    QWidget *Panel3 = nullptr;
    TPageControl *SearchOptionControl = nullptr;
    QWidget *SearchValues = nullptr; // page "Filter"
    QLabel *Label1 = nullptr;
    QLineEdit *SearchField = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *edtTextToFind = nullptr;
    // Beside "Text to find:": why the text cannot be used (a regular expression's error).
    QLabel *lblTextToFindError = nullptr;
    // Names left out of the walk, masks separated by ";".
    QLabel *lblExclude = nullptr;
    QLineEdit *edtExclude = nullptr;
    QWidget *SearchDate = nullptr; // page "Date"
    QRadioButton *SearchAllRB = nullptr;
    QRadioButton *SearchDateRB = nullptr;
    QComboBox *SearchOptionsCombo = nullptr;
    QLabel *Label3 = nullptr;
    QDateTimeEdit *SearchMinDate = nullptr;
    QLabel *Label4 = nullptr;
    QDateTimeEdit *SearchMaxDate = nullptr;
    QWidget *TabSheet1 = nullptr; // page "Size"
    QRadioButton *chSize1 = nullptr;
    QRadioButton *chSize2 = nullptr;
    QComboBox *FileSizeCombo = nullptr;
    QLineEdit *FileSize = nullptr;
    TUpDown *UpDown1 = nullptr;
    QLabel *Label6 = nullptr;
    QWidget *SearchAdvanced = nullptr; // page "Advanced"
    QCheckBox *chkShowHidden = nullptr;
    QCheckBox *chSearchInSubfolders = nullptr;
    TWrapCheckBox *CheckBox1 = nullptr;
    QCheckBox *chkMatchCase = nullptr;
    QCheckBox *chkWholeWords = nullptr;
    QCheckBox *chkRegularExpression = nullptr;
    // The extraction server: empty for the automatic choice, or a URL.
    QLabel *lblExtractionServer = nullptr;
    QLineEdit *edtExtractionServer = nullptr;
    // The text cache: on or off, and emptied on demand (its caption shows its size).
    QCheckBox *chkTextCache = nullptr;
    QPushButton *btnClearTextCache = nullptr;
    QLabel *Panel6 = nullptr; // "Where to search:" header
    // In the header: ticks a folder picked in a folder dialog.
    QToolButton *btnAddFolder = nullptr;
    TLinkLabel *Label8 = nullptr;
    // The folder tree goes into this widget's (empty) vertical layout.
    QWidget *fFolderTreePlace = nullptr;
    QSplitter *Splitter3 = nullptr;
    QFrame *Panel7 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QLabel *StaticText1 = nullptr;
    QSplitter *Splitter1 = nullptr;
    // Right area.
    QToolButton *StartSearchButton = nullptr;
    QToolButton *StopSearchButton = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QToolButton *SpeedButton3 = nullptr;
    // The result list view; its model, the TZorFileList, is SearchResultList->FileList().
    TFileListView *SearchResultList = nullptr;
    QSplitter *Splitter2 = nullptr;
    QWidget *pnlPreview = nullptr;
    QToolButton *btPrevious = nullptr;
    QToolButton *btNext = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QFrame *Panel8 = nullptr;
    QPlainTextEdit *FPreview = nullptr;
    QLabel *StaticText2 = nullptr;
    // Under the preview: says that only the start of a long text file is shown.
    QLabel *PreviewCutNotice = nullptr;
    // Under "Preview is not Available": why the selected file's text could not be read.
    QLabel *PreviewFailure = nullptr;
    // Under the preview: "Match i of N" while the shown text holds matches.
    QLabel *lblMatchCount = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    TLinkLabel *lbHomepageURL = nullptr;
    // Not visible.
    QTimer *TimerListUpdate = nullptr;
    QTimer *TimerStopper = nullptr;
    QMenu *PopupMenuLang = nullptr;

    // The search session behind the window: selection list, result list, search control, the
    // extraction server documents are sent to (the local one unless a test points it at its own)
    // and the one text to find.
    TSearchSession &Session() { return *fSession; }
    // The text to find as captured at the start of a search; empty until the first start.
    const QString &FTextToFind() const { return fSession->TextToFind(); }

    // The parsed command line this window was started with.
    const TCommandLine &CommandLine() const { return fCommandLine; }

    // Sets the captions and hints outside the translation table (the result list's columns, the
    // hidden About button) and centres the notices; TranslateInterface calls it after the table.
    void SetCaptions();

    // The one text of the status line; RepaintStatusLine draws it at once.
    void SetStatusText(const QString &aText);
    QString StatusText() const;
    void RepaintStatusLine();

    // The About box text (CR LF line breaks), translated or in plain English.
    QString AboutText(bool aTranslated) const;

    // ---- Preview (preview/main_form_preview.cpp). UI thread only. ----
    // Clears the preview and shows the notice.
    void ClearPreview();
    // Shows aText (line breaks normalised) with redrawing held, selects the first occurrence of
    // the text to find by aRule (that of where the text came from) without moving the keyboard
    // focus, and sets the notice's visibility.
    void ShowPreviewText(const QString &aText, TMatchRule aRule = TMatchRule::mrExact);
    // Fills the preview for the result list's selection (the first match selected).
    void UpdatePreview();
    // The result list's OnSelectionChanged: the preview, the status text, the notice.
    void SearchResultListSelectionChanged();
    // The navigation buttons: the preview takes the focus and selects the match.
    void btNextClick();
    void btPreviousClick();
    // Selects the next (or previous) match in the preview, wrapping around; the keyboard focus
    // moves to the preview only with aTakeFocus (F3 leaves it where it is).
    void GoToMatch(bool aNext, bool aTakeFocus);
    // The matcher of the text the preview shows: the search's text and match options, by the
    // rule of that text.
    TTextMatcher PreviewMatcher() const;

    // Shows "Match i of N" for the preview's selection and marks every match of the shown text.
    void UpdateMatchMarks();

    // ---- Keys, screen readers and folders (main_form_access.cpp). UI thread only. ----
    // Sets the mnemonics, the hints that name keys and the accessible names and descriptions,
    // from the captions and hints now shown; SetCaptions calls it after every language change.
    void SetKeyboardAccess();
    // Gives the captions of each page, the tabs and the header's button mnemonics that do not clash.
    void AssignMnemonics();
    // "Add folder...": ticks the folder AskFolder picks.
    void btnAddFolderClick();
    // Asks for a folder to search; "" when the user cancels. A folder dialog unless replaced (tests).
    std::function<QString()> AskFolder;
    // Ticks aFolders in the folder tree (as a tick on each would) and shows the last one there.
    void AddFolders(const QStringList &aFolders);
    // Drags of folders over the tree and the where-to-search list: accepted, and their drop
    // ticks them. True when the event was taken.
    bool FolderDropFilter(QObject *aWatched, QEvent *aEvent);

    // ---- Documents that could not be read (main_form_search.cpp). UI thread only. ----
    // Opens the list of the documents the latest search could not read, with their reasons.
    void ShowUnreadDocuments();
    // "Save results...": asks for a file name through AskSaveFileName and writes the result
    // list there as CSV; a failure is told in a message box.
    void SaveResults();
    // Asks for the file the results go to; "" when the user cancels. A save dialog unless
    // replaced (tests).
    std::function<QString()> AskSaveFileName;
    // Says once, without waiting for an answer, that documents cannot be searched because the
    // extraction server could not be started; plain-text search goes on.
    void ReportServerNotStarted(const QString &aDetail);

    // ---- Settings file (main_form_settings.cpp). UI thread only. ----
    // The settings file's full path, computed once by FormCreate.
    QString SettingsFileName;
    // Reads SettingsFileName and applies each field to its control as it is read; centres the
    // window when the file does not exist. Never fails outwards.
    void LoadSettings();
    // Writes the form, the window bounds, the panel sizes and the selected folder to
    // SettingsFileName. Called at every search start before the form changes, and by FormClose.
    // Never fails outwards.
    void SaveSettings();
    // The folder tree's selected folder as the settings file stores it (field 22):
    // ZorShellTree1->SelectedFolder() and its setter.
    QString SelectedFolderForSettings() const;
    void SetSelectedFolderFromSettings(const QString &aFolder);
    // Reads the options of Ordwell.conf into their controls and applies them.
    void LoadProgramOptions();
    // Stores the options of their controls in Ordwell.conf (a value that is not valid is kept
    // out) and applies them to the session.
    void SaveProgramOptions();
    // Applies the text cache's check box and limit to the session.
    void ApplyTextCacheOptions();
    // Empties the text cache; the button's caption then shows the size left (none).
    void btnClearTextCacheClick();
    // Sets the clear button's caption with the cache's size on disk now.
    void UpdateClearTextCacheCaption();

    // ---- Language menu and translation (main_form_language.cpp). UI thread only. ----
    // Fills PopupMenuLang with one checkable entry per language of the table, the current one checked.
    void UpdateLanguageMenu();
    // Pops the language menu up with its top-left corner at the language button's bottom-left.
    void SpeedButton2Click();
    // Makes the entry's language current, stores its code and translates the window at once.
    void MItemClick(QAction *aSender);
    // Sets every text of the window's translation table through Translate, keeping the selected
    // items of the two drop-down lists.
    void TranslateInterface();

    // ---- Handlers of the window itself. ----
    void FormResize();
    void SpeedButton1Click();
    void SpeedButton3Click();
    void lbHomepageURLClick();
    void Panel7ConstrainedResize();
    void Panel8ConstrainedResize();
    // Stops and restarts TimerListUpdate, so that it fires 500 ms after the latest call.
    void RestartListUpdateTimer();

    // ---- Folder tree and where-to-search list (selection/main_form_tree.cpp). UI thread. ----
    // The check-box folder tree in fFolderTreePlace, linked to ZorShellLink1.
    TZorShellTree *ZorShellTree1 = nullptr;
    // The session's link, which owns the selection list: SelectionList().Paths() holds what the
    // search covers.
    TZorShellLink *ZorShellLink1 = nullptr;
    // Rebuilds Memo1 from the selection list's folder entries that exist now.
    void TimerListUpdateTimer();
    // "Uncheck All": empties the selection list.
    void Label8Click();
    // Keeps folders whose extension is exactly ".zip" or ".rar" out of the tree.
    void ZorShellTree1AddFolder(TZorShellTreeNode &Node, const QString &path, bool &CanAdd);
    void ZorShellTree1TreeNodeCheckStateChanged(TZorShellTree &sender, TZorShellTreeNode &pShellTreeNode,
                                                TZorSelectionState CheckState);
    // ---- Search form (search/main_form_search.cpp). UI thread only. ----
    void StartSearchButtonClick();
    void StopSearchButtonClick();
    void TimerStopperTimer();
    void SearchResultListAddPath(const QString &Path, bool &CanAdd);
    void SearchResultListEndSearch();
    // Enter (13) starts a search; the key goes on to the focused control.
    void FormKeyPress(char16_t Key);
    void SearchAllRBClick();
    void SearchDateRBClick();
    void chSize2Click();
    TSearchControl &SearchControl() { return fSession->Control(); }
    const TSearchControl &SearchControl() const { return fSession->Control(); }

protected:
    void resizeEvent(QResizeEvent *aEvent) override;
    void closeEvent(QCloseEvent *aEvent) override;
    bool eventFilter(QObject *aWatched, QEvent *aEvent) override;

private:
    // Layout (main_form_layout.cpp).
    void CreateControls();
    QWidget *CreateLeftColumn();
    QWidget *CreateFilterPage();
    QWidget *CreateDatePage();
    QWidget *CreateSizePage();
    QWidget *CreateAdvancedPage();
    QWidget *CreateRightArea();
    QWidget *CreatePreviewPane();
    void CreateStatusBar();
    void ConnectHandlers();
    void CreateFolderTree();
    void ConnectFolderTree();

    // Search form (search/main_form_search.cpp).
    void ConnectSearch();
    // Enter in one of SearchKeyFields runs FormKeyPress; the event is never consumed.
    void SearchKeyFilter(QObject *aWatched, QEvent *aEvent);
    std::array<QWidget *, 6> SearchKeyFields() const;
    void ApplySearchFormEnabling();

    void FormCreate();
    void FormClose();
    void ApplyCommandLineFolders();
    void PlaceDesignedGeometry();
    void UpdatePreviewNotice();

    TCommandLine fCommandLine;
    QLabel *fStatusPanel = nullptr;
    // How the text to find matches in the text the preview shows: exactly in a plain-text file's,
    // by white-space runs in a document's.
    TMatchRule fPreviewRule = TMatchRule::mrExact;
    // The status line ends with the note of unread documents: a click on it opens their list.
    bool fStatusLinksUnread = false;
    // The extraction server setting the session uses now.
    QString fAppliedExtractionServer = QStringLiteral("auto");
    // The text cache's size limit from Ordwell.conf (no control shows it).
    int64_t fTextCacheLimitMb = 2048;
    std::unique_ptr<TMainFormSearchWindow> fSearchWindow;
    std::unique_ptr<TSearchSession> fSession;
};
