// The main window's settings: the search form, the window bounds, the panel sizes and the folder
// tree's selected folder, read from "settings.dt" at creation and written at each search start
// and on closing; and the options kept beside the language choice in Ordwell.conf.
#include "app/program_settings.h"
#include "app/settings_file.h"
#include "app/window_geometry.h"
#include "content/extraction_service.h"
#include "gui/main_form/main_form.h"
#include "gui/views/shell_tree.h"
#include "gui/widgets/date_picker_value.h"
#include "gui/widgets/up_down.h"
#include "gui/widgets/wrap_check_box.h"
#include "platform/file_time.h"

#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>

namespace {

// Checks aButton as the user's click would, so the handlers of the option pages enable or
// disable the dependent controls; its sibling is unchecked by the button group. A button that is
// already checked is left alone.
void CheckRadioButton(QRadioButton *aButton)
{
    if (!aButton->isChecked())
        aButton->click();
}

// Gives the first pane of aSplitter aSize pixels, taking the difference from the second pane.
void SetFirstPaneSize(QSplitter *aSplitter, int aSize)
{
    QList<int> sizes = aSplitter->sizes();
    sizes[1] = std::max(0, sizes[1] - (aSize - sizes[0]));
    sizes[0] = aSize;
    aSplitter->setSizes(sizes);
}

// Gives the second pane of aSplitter aSize pixels, taking the difference from the first pane.
void SetSecondPaneSize(QSplitter *aSplitter, int aSize)
{
    QList<int> sizes = aSplitter->sizes();
    sizes[0] = std::max(0, sizes[0] - (aSize - sizes[1]));
    sizes[1] = aSize;
    aSplitter->setSizes(sizes);
}

} // namespace

QString TMainForm::SelectedFolderForSettings() const
{
    return ZorShellTree1->SelectedFolder();
}

void TMainForm::SetSelectedFolderFromSettings(const QString &aFolder)
{
    ZorShellTree1->SetSelectedFolder(aFolder);
}

void TMainForm::SaveSettings()
{
    TSettingsRecord record;
    record.fSearchField = SearchField->text();
    record.fTextToFind = edtTextToFind->text();
    record.fSearchAll = SearchAllRB->isChecked();
    record.fSearchOption = SearchOptionsCombo->currentIndex();
    record.fMinDate = DateTimeValue(*SearchMinDate);
    record.fMaxDate = DateTimeValue(*SearchMaxDate);
    record.fSizeAll = chSize1->isChecked();
    record.fFileSizeOption = FileSizeCombo->currentIndex();
    record.fFileSize = FileSize->text();
    record.fShowHidden = chkShowHidden->isChecked();
    record.fSearchInSubfolders = chSearchInSubfolders->isChecked();
    record.fUnrecognizedFormats = CheckBox1->isChecked();
    record.fMaximized = isMaximized();
    record.fLeft = x();
    record.fTop = y();
    record.fWidth = width();
    record.fHeight = height();
    record.fPanel3Width = Panel3->width();
    record.fPanel7Height = Panel7->height();
    record.fPreviewHeight = pnlPreview->height();
    record.fSelectedFolder = SelectedFolderForSettings();
    // A failure leaves the previous file whole and is not reported: the search starts, or the
    // window goes on closing.
    SaveSettingsFile(SettingsFileName, record);
    SaveProgramOptions();
}

void TMainForm::LoadProgramOptions()
{
    const TProgramSettings settings = LoadProgramSettings();
    edtExclude->setText(settings.fExclude);
    chkMatchCase->setChecked(settings.fMatchCase);
    chkWholeWords->setChecked(settings.fWholeWords);
    chkRegularExpression->setChecked(settings.fRegularExpression);
    const auto server = ParseExtractionServerSetting(settings.fExtractionServer);
    // A value that is not valid is shown for the user to mend; the automatic choice stays.
    const bool automatic = server && !*server;
    edtExtractionServer->setText(automatic ? QString() : settings.fExtractionServer.trimmed());
    fTextCacheLimitMb = settings.fTextCacheLimitMb;
    {
        const QSignalBlocker quiet(chkTextCache);
        chkTextCache->setChecked(settings.fTextCache);
    }
    ApplyTextCacheOptions();
    if (server && *server) {
        fAppliedExtractionServer = settings.fExtractionServer.trimmed();
        fSession->SetExtractionServer(*server);
    }
}

void TMainForm::SaveProgramOptions()
{
    const QString value = edtExtractionServer->text().trimmed();
    const auto server = ParseExtractionServerSetting(value);
    TProgramSettings settings = LoadProgramSettings();
    settings.fExclude = edtExclude->text();
    settings.fMatchCase = chkMatchCase->isChecked();
    settings.fWholeWords = chkWholeWords->isChecked();
    settings.fRegularExpression = chkRegularExpression->isChecked();
    // A server address that is not valid is kept out; the one stored stays.
    const QString stored = !server   ? settings.fExtractionServer
                           : *server ? value
                                     : QString::fromUtf16(AutomaticExtractionServer);
    settings.fExtractionServer = stored;
    settings.fTextCache = chkTextCache->isChecked();
    settings.fTextCacheLimitMb = fTextCacheLimitMb;
    SaveProgramSettings(settings);
    if (server && stored != fAppliedExtractionServer) {
        fAppliedExtractionServer = stored;
        fSession->SetExtractionServer(*server);
    }
}

void TMainForm::ApplyTextCacheOptions()
{
    constexpr int64_t kBytesPerMb = 1024 * 1024;
    fSession->ApplyTextCacheSettings(TTextCache::DefaultFolder(), chkTextCache->isChecked(),
                                     fTextCacheLimitMb * kBytesPerMb);
    UpdateClearTextCacheCaption();
}

void TMainForm::btnClearTextCacheClick()
{
    if (const std::shared_ptr<TTextCache> cache = fSession->TextCache())
        cache->Clear();
    UpdateClearTextCacheCaption();
}

void TMainForm::LoadSettings()
{
    TSettingsRecord record;
    int fieldsRead = 0;
    switch (LoadSettingsFile(SettingsFileName, record, fieldsRead)) {
    case slMissing: {
        const QRect screenArea = screen() ? screen()->geometry() : QRect(0, 0, 0, 0);
        move(CentredPosition(screenArea.width(), screenArea.height(), width(), height()) +
             screenArea.topLeft());
        return;
    }
    case slUnreadable:
        return;
    case slRead:
        break;
    }
    // Each field goes to its control in file order, up to the last one that could be read. Field 1,
    // the format version, is not examined.
    for (int field = 2; field <= fieldsRead; ++field) {
        switch (field) {
        case 2:
            SearchField->setText(record.fSearchField);
            break;
        case 3:
            edtTextToFind->setText(record.fTextToFind);
            break;
        case 4:
            CheckRadioButton(record.fSearchAll ? SearchAllRB : SearchDateRB);
            break;
        case 5:
            SearchOptionsCombo->setCurrentIndex(record.fSearchOption);
            break;
        case 6:
            SetDateTimeValue(*SearchMinDate, record.fMinDate);
            break;
        case 7:
            SetDateTimeValue(*SearchMaxDate, record.fMaxDate);
            break;
        case 8:
            CheckRadioButton(record.fSizeAll ? chSize1 : chSize2);
            break;
        case 9:
            FileSizeCombo->setCurrentIndex(record.fFileSizeOption);
            break;
        case 10: {
            FileSize->setText(record.fFileSize);
            // The spin buttons take the number and write it back within their range; a text that
            // is no number stays as it is (and the reading ended with it).
            int32_t size = 0;
            if (ParseSizeText(record.fFileSize, size))
                FileSize->setText(QString::number(std::clamp(size, UpDown1->Minimum(), UpDown1->Maximum())));
            break;
        }
        case 11:
            chkShowHidden->setChecked(record.fShowHidden);
            break;
        case 12:
            chSearchInSubfolders->setChecked(record.fSearchInSubfolders);
            break;
        case 13:
            CheckBox1->setChecked(record.fUnrecognizedFormats);
            break;
        case 14:
            if (record.fMaximized)
                setWindowState(windowState() | Qt::WindowMaximized);
            break;
        case 15:
            if (!isMaximized())
                move(record.fLeft, y());
            break;
        case 16:
            if (!isMaximized())
                move(x(), record.fTop);
            break;
        case 17:
            if (!isMaximized())
                resize(record.fWidth, height());
            break;
        case 18:
            if (!isMaximized())
                resize(width(), record.fHeight);
            break;
        case 19:
            SetFirstPaneSize(Splitter1, record.fPanel3Width);
            break;
        case 20:
            SetSecondPaneSize(Splitter3, record.fPanel7Height);
            break;
        case 21:
            SetSecondPaneSize(Splitter2, record.fPreviewHeight);
            break;
        case 22:
            SetSelectedFolderFromSettings(record.fSelectedFolder);
            break;
        default:
            break;
        }
    }
}
