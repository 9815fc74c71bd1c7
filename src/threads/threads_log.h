// The logging category of the worker threads ("ordwell.threads"): hard stops and errors that
// escaped a work item are written here.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcThreads)
