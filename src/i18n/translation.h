// The translation table loaded from "transl.dt" and Translate, through which every user-visible
// English phrase passes before it is shown. All of it runs on the UI thread only.
#pragma once

#include <cstdint>
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One entry per language (column 0 English), each holding the column's cells in row order: row 0
// the language names, row 1 the codes, rows 2 and up the phrases. Every column has the same
// number of cells. Empty when no usable table was loaded.
QList<QStringList> &TranslationTable();
// The current column; 0 means English.
int32_t &CurrentLanguageIndex();
// The current language's code as stored in the language setting ("en", "de", "cn", ...).
QString &CurrentLanguageCode();

// Files to try, in order: "transl.dt" in the executable's folder, then in ../share/ordwell/
// beside it (installed layout). Needs the application object.
QStringList TranslationFileCandidates();

// Called once at start-up before any window exists. Chooses CurrentLanguageCode (stored choice,
// else the system language), loads the first existing candidate file and sets
// CurrentLanguageIndex to the column of that code. Never fails outwards: without a usable file
// the table is empty and the interface stays English.
void LoadTranslations();
// The same with an explicit list of table files to try, for tests and other layouts.
void LoadTranslationsFrom(const QStringList &aFileNames);

// Parses the bytes of a table file into columns. Throws std::runtime_error when the first line
// is not a non-negative integer or the file has fewer than two complete rows (N = 0 gives an
// empty table). Never allocates more cells than the file has lines.
QList<QStringList> ParseTranslationTable(const QByteArray &aBytes);

// The phrase in the current language; the phrase itself while English is current, when the
// phrase has no row or when its cell is empty. UI thread only.
QString Translate(const QString &aPhrase);
