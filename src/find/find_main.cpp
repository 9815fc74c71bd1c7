// ordwell-find's start: command line, help, version and the run.
#include "find/find_main.h"

#include "find/find_request.h"
#include "find/find_run.h"
#include "find/signal_pipe.h"
#include "platform/program_info.h"

#include <cstdio>
#include <QCoreApplication>

int RunOrdwellFind(int argc, char **argv)
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    const TFindCommandLine commandLine = ParseFindCommandLine(arguments, CurrentDateTime());
    switch (commandLine.fAction) {
    case TFindCommandLine::caHelp:
        std::fputs(FindUsage().toUtf8().constData(), stdout);
        return 0;
    case TFindCommandLine::caVersion:
        std::fputs("ordwell-find " ORDWELL_VERSION "\n", stdout);
        return 0;
    case TFindCommandLine::caError:
        std::fprintf(stderr, "ordwell-find: %s\n%s", commandLine.fError.toUtf8().constData(),
                     FindShortUsage().toUtf8().constData());
        return 2;
    case TFindCommandLine::caSearch:
        break;
    }

    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(ApplicationTitle());
    TFindOutcome outcome;
    {
        TFindRun run(commandLine.fRequest);
        outcome = run.Run();
    }
    if (outcome.fSignal != 0)
        TSignalPipe::EndBySignal(outcome.fSignal);
    return outcome.fStatus;
}
