// The settings record: the search form, the window placement, the panel sizes and the folder
// tree's selected folder, and its byte layout in "settings.dt" (little-endian, UTF-16LE strings).
#pragma once

#include <cstdint>
#include <QByteArray>
#include <QString>

// The values of the record's 22 fields in file order. The defaults are the main window's design
// defaults; the window fills the dates and the bounds before reading a record over them.
struct TSettingsRecord
{
    int32_t fVersion = 1;                         // 1
    QString fSearchField = QStringLiteral("*.*"); // 2 file-name filter
    QString fTextToFind;                          // 3
    bool fSearchAll = true;                       // 4 true: "All files", false: "Find files" (dates)
    int32_t fSearchOption = 2;                    // 5 0 Accessed, 1 Created, 2 Modified
    double fMinDate = 0;                          // 6 days since 1899-12-30, local time
    double fMaxDate = 0;                          // 7
    bool fSizeAll = true;                         // 8 true: "All files", false: "Size is:"
    int32_t fFileSizeOption = 0;                  // 9 0 greater or equals, 1 less or equals
    QString fFileSize = QStringLiteral("0");      // 10 kilobytes as typed
    bool fShowHidden = false;                     // 11
    bool fSearchInSubfolders = true;              // 12
    bool fUnrecognizedFormats = false;            // 13
    bool fMaximized = false;                      // 14
    int32_t fLeft = 0;                            // 15
    int32_t fTop = 0;                             // 16
    int32_t fWidth = 0;                           // 17
    int32_t fHeight = 0;                          // 18
    int32_t fPanel3Width = 329;                   // 19 left column
    int32_t fPanel7Height = 97;                   // 20 where-to-search list
    int32_t fPreviewHeight = 101;                 // 21 preview pane
    QString fSelectedFolder;                      // 22 full path

    bool operator==(const TSettingsRecord &) const = default;
};

inline constexpr int kSettingsFieldCount = 22;

// The record's bytes: 78 with every string empty. Any thread.
QByteArray EncodeSettingsRecord(const TSettingsRecord &aRecord);

// Reads fields 1 to 22 in order into aRecord and returns how many were read; fields after the
// first one that cannot be read keep the values aRecord had. A field cannot be read when the
// bytes end inside it; a string whose count exceeds the bytes left ends the reading without
// allocating it. Field 10 is kept when its text is not a decimal integer, but the reading stops
// after it. Never throws. Any thread.
int DecodeSettingsRecord(const QByteArray &aBytes, TSettingsRecord &aRecord);

// The size text read as a decimal integer (spaces around it allowed, an optional sign), as the
// spin control takes it; false (aValue untouched) when it is not one or does not fit 32 bits.
bool ParseSizeText(const QString &aText, int32_t &aValue);
