// Drawing ordwell-find's progress line.
#include "find/find_progress.h"

#include "platform/file_name.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr int cRedrawIntervalMs = 100;
constexpr int cDefaultColumns = 80;

void WriteAll(int aFd, const QByteArray &aBytes)
{
    qsizetype done = 0;
    while (done < aBytes.size()) {
        const ssize_t written = ::write(aFd, aBytes.constData() + done, size_t(aBytes.size() - done));
        if (written <= 0)
            return;
        done += written;
    }
}

int TerminalColumns(int aFd)
{
    winsize size = {};
    if (::ioctl(aFd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return cDefaultColumns;
}

} // namespace

TFindProgress::TFindProgress(bool aEnabled, int aFd) : fFd(aFd), fActive(aEnabled && ::isatty(aFd) == 1)
{
    fTimer.setInterval(cRedrawIntervalMs);
    QObject::connect(&fTimer, &QTimer::timeout, [this] { Draw(); });
    if (fActive)
        fTimer.start();
}

TFindProgress::~TFindProgress()
{
    Clear();
}

void TFindProgress::Update(int64_t aFound, const QString &aPath)
{
    fFound = aFound;
    fPath = aPath;
    fChanged = true;
}

void TFindProgress::Clear()
{
    if (!fShown)
        return;
    fShown = false;
    fChanged = true;
    WriteAll(fFd, "\r\033[K");
}

void TFindProgress::Draw()
{
    const int64_t checked = fChecked ? fChecked->load() : 0;
    if (!fActive || (!fChanged && checked == fDrawnChecked))
        return;
    fChanged = false;
    fDrawnChecked = checked;
    QString line = QStringLiteral("%1 %2 checked, %3 found")
                       .arg(checked)
                       .arg(checked == 1 ? QStringLiteral("file") : QStringLiteral("files"))
                       .arg(fFound);
    const int room = TerminalColumns(fFd) - 1 - int(line.size()) - 2;
    const QString path = DisplayFileName(fPath);
    if (room > 4 && !path.isEmpty())
        line += QStringLiteral(": ") + (path.size() <= room ? path : u'…' + path.right(room - 1));
    fShown = true;
    WriteAll(fFd, "\r\033[K" + line.toUtf8());
}
