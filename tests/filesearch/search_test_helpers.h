// Helpers for the result list tests: a temporary tree, and waiting on the UI thread (the test's
// main thread) while walkers hand over, with a generous deadline so no test can hang.
#pragma once

#include "filesearch/file_list.h"
#include "threads/ui_thread.h"

#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

inline void PrintTo(const QString &aText, std::ostream *aStream)
{
    *aStream << '"' << aText.toStdString() << '"';
}

// Runs the UI thread's pending work until aDone holds or aDeadlineMs passed; returns aDone().
inline bool PumpUntil(const std::function<bool()> &aDone, int aDeadlineMs = 60000)
{
    QElapsedTimer timer;
    timer.start();
    while (!aDone()) {
        if (timer.elapsed() > aDeadlineMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ProcessPendingUiCalls();
        QThread::msleep(1);
    }
    return true;
}

// Runs the UI thread's pending work for aMs milliseconds (to see that nothing more comes).
inline void PumpFor(int aMs)
{
    PumpUntil([] { return false; }, aMs);
}

// A temporary folder that builds files and folders from relative paths.
class TTestTree
{
public:
    bool IsValid() const { return fDir.isValid(); }
    // The root without trailing "/".
    QString Root() const { return fDir.path(); }
    QString Path(const QString &aRelative) const { return Root() + u'/' + aRelative; }
    QString Folder(const QString &aRelative)
    {
        QDir().mkpath(Path(aRelative));
        return Path(aRelative);
    }
    QString File(const QString &aRelative, const QByteArray &aContent = "x")
    {
        const QString path = Path(aRelative);
        QDir().mkpath(path.left(path.lastIndexOf(u'/')));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(aContent);
        return path;
    }
    QString Link(const QString &aRelative, const QString &aTarget)
    {
        QFile::link(aTarget, Path(aRelative));
        return Path(aRelative);
    }

private:
    QTemporaryDir fDir;
};

// A result list over a temporary tree that counts its end-of-search events.
class TSearchListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fTree.IsValid());
        fList.OnEndSearch = [this] { ++fEndSearchCount; };
    }

    TTestTree fTree;
    TZorFileList fList;
    int fEndSearchCount = 0;
};
