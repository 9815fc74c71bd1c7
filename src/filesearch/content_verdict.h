// What a search computes ahead, on check threads, for every file its walks hand over: whether
// the file holds the search's text, and for one that does, what the Matches and Context columns
// show.
#pragma once

#include "threads/cancellation.h"

#include <cstdint>
#include <functional>
#include <QString>

// A hit's content verdict as the walk hands it over.
enum class TContentVerdict : uint8_t
{
    None,   // not computed (a folder, or a search without a check)
    Absent, // the file does not hold the text
    Present
};

// What a file that holds the text holds besides: how many matches, and the line of the first.
// No matches: not known (the file was found in its raw bytes, or nothing was counted).
struct TMatchFinding
{
    int32_t fMatches = 0;
    QString fContext;
    // The page of the first match in a document's text; 0: not paged (plain text, or not known).
    int32_t fPage = 0;
};

// The check the walks of a search run ahead for every file.
struct TContentCheck
{
    // The text the verdicts answer for.
    QString fText;
    // Whether the file at aPath holds fText, and when it does, what aFinding says; asks aCancel
    // between steps and gives up when it is cancelled. Runs on check threads, several at once;
    // must not throw.
    std::function<bool(const QString &aPath, const ICancellationIndicator &aCancel, TMatchFinding &aFinding)>
        fContains;
};
