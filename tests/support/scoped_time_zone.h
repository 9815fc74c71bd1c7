// Test helper: switches the process's time zone (TZ) for one scope and restores it after.
#pragma once

#include <cstdlib>
#include <ctime>
#include <QByteArray>

class TScopedTimeZone
{
public:
    explicit TScopedTimeZone(const char *pZone)
        : fHadZone(std::getenv("TZ") != nullptr), fOldZone(std::getenv("TZ"))
    {
        setenv("TZ", pZone, 1);
        tzset();
    }
    ~TScopedTimeZone()
    {
        if (fHadZone)
            setenv("TZ", fOldZone.constData(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    TScopedTimeZone(const TScopedTimeZone &) = delete;
    TScopedTimeZone &operator=(const TScopedTimeZone &) = delete;

private:
    bool fHadZone;
    QByteArray fOldZone;
};
