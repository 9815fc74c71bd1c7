// The options kept in Ordwell.conf beside the language choice: everything the settings record
// has no field for (its layout is fixed).
#pragma once

#include <cstdint>
#include <QString>

struct TProgramSettings
{
    // The extraction server: "auto" (find or start one) or a URL.
    QString fExtractionServer = QStringLiteral("auto");
    // "Exclude:" on the Filter page.
    QString fExclude;
    // The match options on the Advanced page.
    bool fMatchCase = false;
    bool fWholeWords = false;
    bool fRegularExpression = false;
    // Whether documents' text is kept in the text cache between searches.
    bool fTextCache = true;
    // The text cache's size limit in MiB (2 GiB by default); at least 1, at most 2^30.
    int64_t fTextCacheLimitMb = 2048;
};

// The options stored in RegistryFileName(); the default of each one that is missing, of the
// wrong type, or when the file is missing, unreadable or too large. Any thread once the
// application object exists.
TProgramSettings LoadProgramSettings();

// Stores every option in RegistryFileName(), creating its folder; false on any failure.
bool SaveProgramSettings(const TProgramSettings &aSettings);
