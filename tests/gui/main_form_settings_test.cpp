// The main window's settings file: what one window writes when it closes, the next one shows; a
// maximized window, a missing, empty or cut file, and a size text that is no number.
#include "app/settings_file.h"
#include "app/settings_record.h"
#include "app/window_geometry.h"
#include "gui/main_form/main_form.h"
#include "gui/widgets/wrap_check_box.h"

#include <gtest/gtest.h>
#include <memory>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSplitter>
#include <QTemporaryDir>

namespace {

class MainFormSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fTemp.isValid());
        fOldAppData = qgetenv("APPDATA");
        fOldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("APPDATA", QFile::encodeName(fTemp.filePath(QStringLiteral("appdata"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(fTemp.filePath(QStringLiteral("config"))));
        fFileName = GetSettingsFileName();
    }
    void TearDown() override
    {
        qputenv("APPDATA", fOldAppData);
        qputenv("XDG_CONFIG_HOME", fOldConfigHome);
    }

    std::unique_ptr<TMainForm> NewForm()
    {
        auto form = std::make_unique<TMainForm>(TCommandLine{});
        form->show();
        return form;
    }
    void WriteSettings(const QByteArray &aBytes)
    {
        QFile file(fFileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(aBytes);
    }
    // The position the window is designed at: centred in the screen's available area.
    static QPoint DesignedPosition(const TMainForm &aForm)
    {
        const QRect area = aForm.screen()->availableGeometry();
        return area.center() - QPoint(aForm.width() / 2, aForm.height() / 2);
    }
    static void ExpectDefaultsFrom(const TMainForm &aForm, int aFirstField)
    {
        if (aFirstField <= 10) {
            EXPECT_EQ(aForm.FileSize->text(), QStringLiteral("0"));
        }
        EXPECT_FALSE(aForm.chkShowHidden->isChecked());
        EXPECT_TRUE(aForm.chSearchInSubfolders->isChecked());
        EXPECT_FALSE(aForm.CheckBox1->isChecked());
        EXPECT_FALSE(aForm.isMaximized());
        EXPECT_TRUE(aForm.SelectedFolderForSettings().isEmpty());
    }

    QTemporaryDir fTemp;
    QByteArray fOldAppData;
    QByteArray fOldConfigHome;
    QString fFileName;
};

TEST_F(MainFormSettings, EveryValueComesBackExactly)
{
    const QDateTime from(QDate(2024, 3, 1), QTime(10, 20, 30));
    const QDateTime to(QDate(2024, 6, 30), QTime(23, 59, 58));
    {
        auto form = NewForm();
        form->SearchField->setText(QStringLiteral("*.txt"));
        form->edtTextToFind->setText(QStringLiteral("Grüße \u4e2d"));
        form->SearchDateRB->click();
        form->SearchOptionsCombo->setCurrentIndex(1);
        form->SearchMinDate->setDateTime(from);
        form->SearchMaxDate->setDateTime(to);
        form->chSize2->click();
        form->FileSizeCombo->setCurrentIndex(1);
        form->FileSize->setText(QStringLiteral("250"));
        form->chkShowHidden->setChecked(true);
        form->chSearchInSubfolders->setChecked(false);
        form->CheckBox1->setChecked(true);
        form->move(100, 80);
        form->resize(900, 600);
        form->Splitter1->setSizes({300, 596});
        form->SetSelectedFolderFromSettings(QDir::tempPath() /* a folder the tree can show */);
        form->close();
        // Closing empties the filter field after the settings were written.
        EXPECT_TRUE(form->SearchField->text().isEmpty());
    }
    auto form = NewForm();
    EXPECT_EQ(form->SearchField->text(), QStringLiteral("*.txt"));
    EXPECT_EQ(form->edtTextToFind->text(), QStringLiteral("Grüße \u4e2d"));
    EXPECT_TRUE(form->SearchDateRB->isChecked());
    EXPECT_FALSE(form->SearchAllRB->isChecked());
    EXPECT_EQ(form->SearchOptionsCombo->currentIndex(), 1);
    EXPECT_EQ(form->SearchMinDate->dateTime(), from);
    EXPECT_EQ(form->SearchMaxDate->dateTime(), to);
    EXPECT_TRUE(form->chSize2->isChecked());
    EXPECT_FALSE(form->chSize1->isChecked());
    EXPECT_EQ(form->FileSizeCombo->currentIndex(), 1);
    EXPECT_EQ(form->FileSize->text(), QStringLiteral("250"));
    EXPECT_TRUE(form->chkShowHidden->isChecked());
    EXPECT_FALSE(form->chSearchInSubfolders->isChecked());
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_FALSE(form->isMaximized());
    EXPECT_EQ(form->pos(), QPoint(100, 80));
    EXPECT_EQ(form->size(), QSize(900, 600));
    EXPECT_EQ(form->Panel3->width(), 300);
    EXPECT_EQ(form->SelectedFolderForSettings(), QDir::tempPath() /* a folder the tree can show */);
}

// The options kept beside the record come back after a restart; a server address that is not
// valid is not stored over the one before.
TEST_F(MainFormSettings, OptionsBesideTheRecordComeBack)
{
    {
        auto form = NewForm();
        EXPECT_TRUE(form->edtExclude->text().isEmpty());
        EXPECT_TRUE(form->edtExtractionServer->text().isEmpty()); // automatic
        form->edtExclude->setText(QStringLiteral(".git;node_modules;*.bak"));
        form->chkWholeWords->setChecked(true);
        form->chkRegularExpression->setChecked(true);
        form->edtExtractionServer->setText(QStringLiteral("http://127.0.0.1:9000/tika"));
        form->close();
    }
    {
        auto form = NewForm();
        EXPECT_EQ(form->edtExclude->text(), QStringLiteral(".git;node_modules;*.bak"));
        EXPECT_FALSE(form->chkMatchCase->isChecked());
        EXPECT_TRUE(form->chkWholeWords->isChecked());
        EXPECT_TRUE(form->chkRegularExpression->isChecked());
        EXPECT_EQ(form->edtExtractionServer->text(), QStringLiteral("http://127.0.0.1:9000/tika"));
        TDocumentFailure failure;
        EXPECT_EQ(form->Session().Extraction()->Resolve(failure)->fPort, 9000);
        form->edtExtractionServer->setText(QStringLiteral("ftp://nowhere"));
        EXPECT_FALSE(form->edtExtractionServer->hasAcceptableInput());
        form->close();
    }
    auto form = NewForm();
    EXPECT_EQ(form->edtExtractionServer->text(), QStringLiteral("http://127.0.0.1:9000/tika"));
}

TEST_F(MainFormSettings, PanelSizesComeBack)
{
    {
        auto form = NewForm();
        TSettingsRecord record;
        int read = 0;
        form->SaveSettings();
        ASSERT_EQ(LoadSettingsFile(fFileName, record, read), slRead);
        record.fPanel3Width = 280;
        record.fPanel7Height = 150;
        record.fPreviewHeight = 180;
        ASSERT_TRUE(SaveSettingsFile(fFileName, record));
    }
    auto form = NewForm();
    EXPECT_EQ(form->Panel3->width(), 280);
    EXPECT_EQ(form->Panel7->height(), 150);
    EXPECT_EQ(form->pnlPreview->height(), 180);
}

TEST_F(MainFormSettings, SaveSettingsWritesTheFormAsItIsNow)
{
    auto form = NewForm();
    form->edtTextToFind->setText(QStringLiteral("needle"));
    form->SaveSettings();
    TSettingsRecord record;
    int read = 0;
    ASSERT_EQ(LoadSettingsFile(fFileName, record, read), slRead);
    EXPECT_EQ(read, kSettingsFieldCount);
    EXPECT_EQ(record.fTextToFind, QStringLiteral("needle"));
    EXPECT_EQ(record.fSearchField, QStringLiteral("*.*"));
    EXPECT_EQ(record.fSearchOption, 2);
    EXPECT_EQ(record.fWidth, form->width());
    EXPECT_EQ(record.fLeft, form->x());
}

TEST_F(MainFormSettings, MaximizedWindowComesBackMaximized)
{
    {
        auto form = NewForm();
        form->showMaximized();
        form->close();
    }
    TSettingsRecord record;
    int read = 0;
    ASSERT_EQ(LoadSettingsFile(fFileName, record, read), slRead);
    EXPECT_TRUE(record.fMaximized);
    // Bounds far away that a maximized window must not take.
    record.fLeft = 5000;
    record.fWidth = 500;
    ASSERT_TRUE(SaveSettingsFile(fFileName, record));
    auto form = NewForm();
    EXPECT_TRUE(form->isMaximized());
    EXPECT_NE(form->x(), 5000);
}

TEST_F(MainFormSettings, FirstRunCentresTheWindowAndClosingWritesTheRecord)
{
    ASSERT_FALSE(QFile::exists(fFileName));
    auto form = NewForm();
    const QRect screen = form->screen()->geometry();
    EXPECT_EQ(form->pos(), CentredPosition(screen.width(), screen.height(), form->width(), form->height()) +
                               screen.topLeft());
    EXPECT_EQ(form->SearchOptionsCombo->currentIndex(), 2);
    form->close();
    EXPECT_EQ(QFileInfo(fFileName).size(), 78 + 2 * 3 + 2 * 1); // the texts "*.*" and "0"
}

TEST_F(MainFormSettings, EmptyFileRestoresNothingAndKeepsTheDesignPosition)
{
    WriteSettings(QByteArray());
    auto form = NewForm();
    EXPECT_EQ(form->pos(), DesignedPosition(*form));
    EXPECT_EQ(form->SearchField->text(), QStringLiteral("*.*"));
    EXPECT_TRUE(form->SearchAllRB->isChecked());
    EXPECT_EQ(form->SearchOptionsCombo->currentIndex(), 2);
    ExpectDefaultsFrom(*form, 10);
}

TEST_F(MainFormSettings, FileCutAfterFieldNineRestoresOnlyTheFirstNine)
{
    TSettingsRecord record;
    record.fSearchField = QStringLiteral("*.md");
    record.fTextToFind = QStringLiteral("cut");
    record.fSearchAll = false;
    record.fSearchOption = 0;
    record.fMinDate = 45000.5;
    record.fMaxDate = 45100.25;
    record.fSizeAll = false;
    record.fFileSizeOption = 1;
    record.fFileSize = QStringLiteral("99");
    record.fShowHidden = true;
    record.fSearchInSubfolders = false;
    record.fUnrecognizedFormats = true;
    record.fMaximized = true;
    record.fSelectedFolder = QStringLiteral("/tmp");
    const int afterField9 = 4 + (4 + 2 * 4) + (4 + 2 * 3) + 1 + 4 + 8 + 8 + 1 + 4;
    WriteSettings(EncodeSettingsRecord(record).left(afterField9));
    auto form = NewForm();
    EXPECT_EQ(form->SearchField->text(), QStringLiteral("*.md"));
    EXPECT_EQ(form->edtTextToFind->text(), QStringLiteral("cut"));
    EXPECT_TRUE(form->SearchDateRB->isChecked());
    EXPECT_EQ(form->SearchOptionsCombo->currentIndex(), 0);
    EXPECT_EQ(form->SearchMinDate->dateTime(), QDateTime(QDate(2023, 3, 15), QTime(12, 0)));
    EXPECT_EQ(form->SearchMaxDate->dateTime(), QDateTime(QDate(2023, 6, 23), QTime(6, 0)));
    EXPECT_TRUE(form->chSize2->isChecked());
    EXPECT_EQ(form->FileSizeCombo->currentIndex(), 1);
    ExpectDefaultsFrom(*form, 10);
    EXPECT_EQ(form->pos(), DesignedPosition(*form));
}

TEST_F(MainFormSettings, SizeTextThatIsNoNumberIsRestoredAndEndsTheReading)
{
    TSettingsRecord record;
    record.fFileSize = QStringLiteral("1,000");
    record.fShowHidden = true;
    record.fSelectedFolder = QStringLiteral("/tmp");
    WriteSettings(EncodeSettingsRecord(record));
    auto form = NewForm();
    EXPECT_EQ(form->FileSize->text(), QStringLiteral("1,000"));
    ExpectDefaultsFrom(*form, 11);
}

TEST_F(MainFormSettings, SizeTextIsTakenByTheSpinButtonsWithinTheirRange)
{
    TSettingsRecord record;
    record.fFileSize = QStringLiteral(" 250000000");
    WriteSettings(EncodeSettingsRecord(record));
    auto form = NewForm();
    EXPECT_EQ(form->FileSize->text(), QStringLiteral("100000000"));
}

TEST_F(MainFormSettings, UnwritableSettingsFileIsNotReportedAndClosingGoesOn)
{
    // A folder where the file should be: it can be neither read nor replaced.
    ASSERT_TRUE(QDir().mkpath(fFileName));
    auto form = NewForm();
    EXPECT_EQ(form->pos(), DesignedPosition(*form));
    form->close();
    EXPECT_TRUE(QFileInfo(fFileName).isDir());
}

} // namespace
