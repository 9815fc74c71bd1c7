// The logging category of the worker threads.
#include "threads/threads_log.h"

Q_LOGGING_CATEGORY(lcThreads, "ordwell.threads")
