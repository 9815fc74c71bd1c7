// The main window's translated texts as a table of (control, property, English text), in the
// order the window sets them after a language change, and the list of every phrase the program
// passes through Translate (the phrases "transl.dt" must carry).
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

enum TInterfaceProperty
{
    ipTabCaption,
    ipCaption,
    ipItems,
    ipStatusText,
    ipHint
};

struct TInterfaceText
{
    QString fControl;
    TInterfaceProperty fProperty;
    // One text, or the items of a drop-down list in item order.
    QStringList fEnglish;
    // Put around each translated text: two spaces before "Where to search:" and "Ready", three
    // dots after "About...".
    QString fPrefix;
    QString fSuffix;
};

// The 29 rows the window sets, in order. Any thread.
const std::vector<TInterfaceText> &InterfaceTexts();

// fPrefix + Translate(text) + fSuffix for each English text of the row. UI thread.
QStringList TranslatedInterfaceTexts(const TInterfaceText &aRow);

// Every English phrase the program passes through Translate: the main window's table above, the
// status line, the about box, the result list's columns and commands, the new-version dialog and
// the installer download. "transl.dt" has a row for each. Any thread.
QStringList ProgramPhrases();

// The about box's text: title, "Version:" and the version, "Website:" and the vendor's host, the
// four-sentence notice and the closing line with aYear and the vendor's name, lines separated by
// "\n", every phrase translated. UI thread.
QString AboutBoxText(int aYear);
