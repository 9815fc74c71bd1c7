// The settings file "settings.dt": where it lives, and reading and writing its one record.
#pragma once

#include "app/settings_record.h"

#include <QString>

// The settings file's full path: SettingsFolder() + "/settings.dt". Creates the folder with its
// missing parents; a failure to create it is not examined. Any thread once the application
// object exists.
QString GetSettingsFileName();

enum TSettingsLoadResult
{
    slMissing,    // no file: the window centres itself
    slUnreadable, // the file exists but could not be opened: nothing is applied, no centring
    slRead        // the file was read; see the count of fields
};

// Reads the record in aFileName over aRecord (fields after the first unreadable one keep their
// values) and sets aFieldsRead to the number of fields read (0 unless slRead). Never throws; a
// path that is not a regular file counts as unreadable, and only the first 16 MiB are read.
TSettingsLoadResult LoadSettingsFile(const QString &aFileName, TSettingsRecord &aRecord, int &aFieldsRead);

// Writes the record to aFileName by writing a new file beside it and renaming it over the old
// one, so a crash or a full disk leaves the previous file whole. Returns false on any failure
// (nothing is reported). Any thread.
bool SaveSettingsFile(const QString &aFileName, const TSettingsRecord &aRecord);
