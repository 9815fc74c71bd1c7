// Stop benchmark: how long the main window takes from a click on Stop to the end of a search in
// a large tree, while paths are being checked and while a narrow name filter offers none. Built,
// not run by ctest. Run with QT_QPA_PLATFORM=offscreen (or under a display).
#include "gui/main_form/main_form.h"

#include <algorithm>
#include <cstdio>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <vector>

namespace {

// Fills aRoot with aFolders folders of aFiles small text files each, none holding "needle".
bool MakeTree(const QString &aRoot, int aFolders, int aFiles)
{
    for (int folder = 0; folder < aFolders; ++folder) {
        const QString dir = QStringLiteral("%1/d%2/e%3").arg(aRoot).arg(folder % 100).arg(folder);
        if (!QDir().mkpath(dir))
            return false;
        for (int file = 0; file < aFiles; ++file) {
            QFile out(QStringLiteral("%1/f%2.txt").arg(dir).arg(file));
            if (!out.open(QIODevice::WriteOnly) || out.write("hay and more hay\n") < 0)
                return false;
        }
    }
    return true;
}

// Starts a search for "needle" with the given name filter, clicks Stop after aStopAfterMs and
// returns the milliseconds from the click to the end of the search (-1 when it never ended).
qint64 StopOnce(TMainForm &aForm, const QString &aFilter, int aStopAfterMs)
{
    aForm.SearchField->setText(aFilter);
    aForm.edtTextToFind->setText(QStringLiteral("needle"));
    QElapsedTimer sinceStop;
    QTimer::singleShot(aStopAfterMs, &aForm, [&] {
        sinceStop.start();
        aForm.StopSearchButton->click();
    });
    aForm.StartSearchButton->click();
    const QDeadlineTimer deadline(120000);
    while ((!sinceStop.isValid() || !aForm.StartSearchButton->isEnabled()) && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return aForm.StartSearchButton->isEnabled() && sinceStop.isValid() ? sinceStop.elapsed() : -1;
}

void Report(const char *aName, std::vector<qint64> aTimes)
{
    std::sort(aTimes.begin(), aTimes.end());
    std::printf("%-40s median %5lld ms, max %5lld ms (%zu runs; the stop timer alone is 1000 ms)\n", aName,
                static_cast<long long>(aTimes[aTimes.size() / 2]), static_cast<long long>(aTimes.back()),
                aTimes.size());
}

} // namespace

int main(int argc, char **argv)
{
    // The window saves its form at each start: keep that away from the user's own settings.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    const int folders = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4000;
    QTemporaryDir root;
    std::printf("making %d folders of 50 files...\n", folders);
    if (!root.isValid() || !MakeTree(root.path(), folders, 50)) {
        std::fprintf(stderr, "cannot make the tree\n");
        return 1;
    }
    TMainForm form{TCommandLine{}};
    form.show();
    form.ZorShellLink1->SelectionList().SetPaths({root.path() + QStringLiteral("/*")});
    std::vector<qint64> checking, filtered;
    for (int run = 0; run < 5; ++run) {
        checking.push_back(StopOnce(form, QStringLiteral("*.*"), 300));
        filtered.push_back(StopOnce(form, QStringLiteral("*.nothing-has-this"), 100));
    }
    Report("Stop while files are checked:", checking);
    Report("Stop while no path is offered:", filtered);
    return 0;
}
