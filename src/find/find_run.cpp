// ordwell-find's run: the search session driven from the command line's request.
#include "find/find_run.h"

#include "app/program_settings.h"
#include "find/signal_pipe.h"
#include "platform/file_name.h"
#include "threads/ui_thread.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int64_t cBytesPerMb = 1024 * 1024;

void WriteStderr(const QByteArray &aBytes)
{
    qsizetype done = 0;
    while (done < aBytes.size()) {
        const ssize_t written = ::write(2, aBytes.constData() + done, size_t(aBytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += written;
    }
}

// aFolder without trailing slashes ("/" stays "/").
QString WithoutTrailingSlashes(QString aFolder)
{
    while (aFolder.size() > 1 && aFolder.endsWith(u'/'))
        aFolder.chop(1);
    return aFolder;
}

QString WithSlash(const QString &aFolder)
{
    return aFolder.endsWith(u'/') ? aFolder : aFolder + u'/';
}

QString Counted(int64_t aCount, const char *aOne, const char *aMany)
{
    return QString::number(aCount) + u' ' + QString::fromLatin1(aCount == 1 ? aOne : aMany);
}

} // namespace

TFindRun::TFindRun(TFindRequest aRequest)
    : fRequest(std::move(aRequest)), fPrinter(fRequest), fProgress(!fRequest.fQuiet)
{
}

TFindRun::~TFindRun()
{
    if (fSession)
        fSession->Close();
}

TFindOutcome TFindRun::Run()
{
    // The thread that runs the search's hand-overs is this one.
    TUiThreadDispatcher::Instance();
    fContext = std::make_unique<QObject>();
    fSession = std::make_unique<TSearchSession>(static_cast<ISearchWindow &>(*this));
    TZorFileList &list = fSession->FileList();
    list.SetAutomaticRefresh(false);
    if (!Prepare())
        return {2, 0};

    TSignalPipe signalPipe([this](int aSignal) { SignalReceived(aSignal); });
    list.OnEndSearch = [this, controlEnd = list.OnEndSearch] {
        if (controlEnd)
            controlEnd();
        SearchEnded();
    };
    if (fProgress.Active()) {
        // The checks run ahead on the check threads, so they are counted there: a document the
        // server takes long over holds up the hand-overs, not the count.
        auto checked = std::make_shared<std::atomic<int64_t>>(0);
        fProgress.SetCheckedCounter(checked);
        TSearchControl &control = fSession->Control();
        control.CheckInBackground = [check = control.CheckInBackground,
                                     checked](const QString &aPath, const QString &aText,
                                              const ICancellationIndicator &aCancel,
                                              TDocumentFailure &aFailure, TMatchSummary *aSummary) {
            const bool contains = check(aPath, aText, aCancel, aFailure, aSummary);
            checked->fetch_add(1);
            return contains;
        };
        list.OnAddItem = [this](TZorFileListItem &aItem, bool &) {
            fProgress.Update(fSession->Control().MatchCount(), aItem.DisplayPath());
        };
        list.OnSearchProgress = [this](const QString &aPath) {
            fProgress.Update(fSession->Control().MatchCount(), aPath);
        };
    }
    QObject::connect(&list, &QAbstractItemModel::rowsInserted, fContext.get(), [this] { PrintNewRows(); });

    // The walks hand their files over only from the event loop below, so the header still comes
    // first when it is written after the start.
    fSession->Control().Start();
    if (!fTextError.isEmpty()) {
        Complain(QStringLiteral("'%1' is not a valid regular expression: %2")
                     .arg(fRequest.fForm.edtTextToFind.trimmed(), fTextError));
        return {2, 0};
    }
    // A start that could not queue any walk has ended the search already, without the list.
    if (fSession->Control().State() == scIdle)
        fEnded = true;
    if (!fRequest.fQuiet && !fPrinter.Write(fPrinter.Header()))
        EndEarly();
    {
        QEventLoop loop;
        fLoop = &loop;
        if (!fEnded)
            loop.exec();
        fLoop = nullptr;
    }
    // A signal that came while the search was ending still decides how the program ends.
    signalPipe.HandlePending();

    const bool found = list.Count() > 0;
    fProgress.Clear();
    if (!fSignal && !fPrinter.Broken())
        PrintSummary();
    // The program's own extraction server ends here, before the exit status is known outside.
    fContext.reset();
    fSession->Close();
    fSession.reset();

    if (fSignal)
        return {128 + fSignal, fSignal};
    if (fPrinter.Broken() && fPrinter.WriteError() == 0)
        return {128 + SIGPIPE, SIGPIPE};
    if (fPrinter.WriteError() != 0) {
        Complain(QStringLiteral("cannot write the results: %1")
                     .arg(QString::fromLocal8Bit(strerror(fPrinter.WriteError()))));
        return {2, 0};
    }
    if (fRequest.fQuiet && found)
        return {0, 0};
    if (fError)
        return {2, 0};
    return {found ? 0 : 1, 0};
}

bool TFindRun::Prepare()
{
    const bool named = !fRequest.fFolders.isEmpty();
    const QStringList folders = named ? fRequest.fFolders : QStringList{QStringLiteral(".")};
    QStringList entries;
    for (const QString &folder : folders) {
        char real[PATH_MAX];
        struct stat info = {};
        if (::realpath(FileNameBytes(folder).constData(), real) == nullptr || ::stat(real, &info) != 0) {
            Complain(QStringLiteral("%1: %2").arg(DisplayFileName(folder),
                                                  QString::fromLocal8Bit(strerror(errno))));
            fError = true;
            continue;
        }
        if (!S_ISDIR(info.st_mode)) {
            Complain(QStringLiteral("%1: not a folder").arg(DisplayFileName(folder)));
            fError = true;
            continue;
        }
        // A folder that cannot be listed would give nothing, silently.
        if (::access(real, R_OK | X_OK) != 0) {
            Complain(QStringLiteral("%1: %2").arg(DisplayFileName(folder),
                                                  QString::fromLocal8Bit(strerror(errno))));
            fError = true;
            continue;
        }
        const QString absolute = FileNameText(real);
        fRoots.emplace_back(WithSlash(absolute),
                            named ? WithSlash(WithoutTrailingSlashes(folder)) : QString());
        entries.append(WithSlash(absolute) + u'*');
    }
    if (entries.isEmpty())
        return false;

    const TProgramSettings settings = LoadProgramSettings();
    const QString server = fRequest.fServer.value_or(settings.fExtractionServer);
    const auto address = ParseExtractionServerSetting(server);
    if (!address) {
        Complain(
            QStringLiteral("'%1' is not an extraction server address (auto, or an http:// URL)").arg(server));
        fError = true;
        return false;
    }
    if (*address)
        fSession->SetExtractionServer(*address);
    if (settings.fTextCache && !fRequest.fNoCache)
        fSession->ApplyTextCacheSettings(TTextCache::DefaultFolder(), true,
                                         settings.fTextCacheLimitMb * cBytesPerMb);
    fSession->TickCommandLineFolders(entries);
    return true;
}

void TFindRun::PrintNewRows()
{
    TZorFileList &list = fSession->FileList();
    if (fEnding) {
        fPrinted = list.Count();
        return;
    }
    if (fRequest.fQuiet) {
        fPrinted = list.Count();
        if (fPrinted > 0)
            EndEarly();
        return;
    }
    QByteArray records;
    for (; fPrinted < list.Count(); ++fPrinted)
        records += fPrinter.Record(list, fPrinted, ShownPath(list.Item(fPrinted).DisplayPath()));
    if (records.isEmpty())
        return;
    if (::isatty(1) == 1)
        fProgress.Clear();
    if (!fPrinter.Write(records))
        EndEarly();
}

QString TFindRun::ShownPath(const QString &aPath) const
{
    for (const auto &[walked, shown] : fRoots)
        if (aPath.startsWith(walked))
            return shown + aPath.mid(walked.size());
    return aPath;
}

void TFindRun::EndEarly()
{
    if (fEnding)
        return;
    fEnding = true;
    TZorFileList &list = fSession->FileList();
    // Inside a hand-over the stop is finished from the event loop, which then ends the search.
    if (list.Stop() && !list.IsSearching())
        SearchEnded();
}

void TFindRun::SignalReceived(int aSignal)
{
    // A second interrupt while the first is being handled ends the program at once; the
    // extraction server it started ends with it (it watches its parent).
    if (fSignal)
        TSignalPipe::EndBySignal(aSignal);
    fSignal = aSignal;
    EndEarly();
}

void TFindRun::SearchEnded()
{
    fEnded = true;
    if (fLoop)
        fLoop->quit();
}

void TFindRun::StartStopperTimer()
{
    QTimer::singleShot(0, fContext.get(), [this] { fSession->Control().StopperTimerFired(); });
}

void TFindRun::QueueDeferred(std::function<void()> aCall)
{
    QTimer::singleShot(0, fContext.get(), std::move(aCall));
}

void TFindRun::ReportServerNotStarted(const QString &aDetail)
{
    Complain(QStringLiteral("documents cannot be read: the extraction server could not be started") +
             (aDetail.isEmpty() ? QString() : QStringLiteral(" (") + aDetail + u')'));
}

void TFindRun::PrintSummary()
{
    if (fRequest.fQuiet)
        return;
    const TUnreadDocuments &unread = fSession->Control().UnreadDocuments();
    const int32_t unreadCount = unread.Count();
    QString summary = Counted(fSession->FileList().Count(), "file found", "files found");
    if (unreadCount > 0)
        summary +=
            QStringLiteral(", ") +
            Counted(unreadCount, "document could not be read", "documents could not be read") +
            (fRequest.fListUnreadable ? QStringLiteral(":") : QStringLiteral(" (--unreadable lists them)"));
    QByteArray text = summary.toUtf8() + '\n';
    if (fRequest.fListUnreadable)
        for (const TUnreadDocument &document : unread.Entries()) {
            QString reason = DocumentProblemPhrase(document.fFailure.fProblem);
            if (!document.fFailure.fDetail.isEmpty())
                reason += QStringLiteral(" (") + document.fFailure.fDetail + u')';
            text += "  " + FileNameBytes(ShownPath(document.fPath)) + ": " + reason.toUtf8() + '\n';
        }
    WriteStderr(text);
}

void TFindRun::Complain(const QString &aMessage)
{
    fProgress.Clear();
    WriteStderr("ordwell-find: " + aMessage.toUtf8() + '\n');
}
