// The program's entry: command line, start-up order, main window and message loop.
#include "app/startup.h"

#include "app/command_line.h"
#include "app/main_form.h"
#include "app/program_info.h"

#include <cstdio>
#include <QApplication>

namespace {

QStringList ArgumentsAfterProgramName(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// The start-up sequence between the title and the main window. Returns false when the program
// must end now, before the main window exists and without writing settings.
bool RunStartupSequence()
{
    // 1. LoadTranslations(): the translation table and the language choice. Never fails outwards;
    //    without a usable table the interface stays English.
    // 2. CheckForNewVersion(VendorBaseUrl()): blocks until both requests have finished or failed.
    //    When it returns true, show TfrmNewVersion modally without an owner; when it has closed,
    //    its Tag 0 means: destroy it and return false. Any other Tag: destroy it and go on.
    return true;
}

} // namespace

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
    if (!RunStartupSequence())
        return 0;
    TMainForm mainForm(commandLine);
    mainForm.show();
    return QApplication::exec();
}
