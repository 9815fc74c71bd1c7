// The program's entry: command line, start-up order, main window and message loop.
#include "gui/startup.h"

#include "app/command_line.h"
#include "gui/main_form/main_form.h"
#include "gui/new_version_dialog.h"
#include "i18n/translation.h"
#include "platform/file_name.h"
#include "platform/program_info.h"
#include "update/version_check.h"

#include <cstdio>
#include <QApplication>

namespace {

QStringList ArgumentsAfterProgramName(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(FileNameText(argv[i]));
    return arguments;
}

// The vendor's web server: ORDWELL_VENDOR_URL from the environment when it is set (a test server),
// else the address fixed at build time.
QString StartupVendorBaseUrl()
{
    const QString overridden = qEnvironmentVariable("ORDWELL_VENDOR_URL");
    return overridden.isEmpty() ? VendorBaseUrl() : overridden;
}

} // namespace

bool RunStartupSequence(const QString &aVendorBaseUrl, const TSelfUpdate &aSelfUpdate)
{
    LoadTranslations();
    if (!CheckForNewVersion(aVendorBaseUrl, aSelfUpdate.fEnabled))
        return true;
    return ShowNewVersionDialog(aVendorBaseUrl, aSelfUpdate) != 0;
}

int RunOrdwell(int argc, char **argv)
{
    const TCommandLine commandLine = ParseCommandLine(ArgumentsAfterProgramName(argc, argv));
    if (commandLine.Action != caRun) {
        const QString text = commandLine.Action == caShowHelp ? UsageText() : VersionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    // The installed desktop entry's name, so that docks and Wayland match the window to its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.ordwell.Ordwell"));
    if (!RunStartupSequence(StartupVendorBaseUrl()))
        return 0;
    TMainForm mainForm(commandLine);
    mainForm.show();
    return QApplication::exec();
}
