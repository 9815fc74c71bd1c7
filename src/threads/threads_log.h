// The logging category of the worker threads ("ordwell.threads"): hard stops and errors that
// escaped a work item or an event handler are written here.
#pragma once

#include <exception>
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcThreads)

// Runs aCall; an exception it throws is logged as "<aContext> failed: <text>" and swallowed.
// Returns false when it threw.
template <class TCall> bool CallLoggingErrors(const QString &aContext, TCall &&aCall)
{
    try {
        aCall();
        return true;
    } catch (const std::exception &lError) {
        qCWarning(lcThreads).noquote() << aContext << "failed:" << lError.what();
    } catch (...) {
        qCWarning(lcThreads).noquote() << aContext << "failed";
    }
    return false;
}
