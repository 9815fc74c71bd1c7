// What a search computes ahead, on check threads, for every file its walks hand over: whether
// the file holds the search's text.
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

// The check the walks of a search run ahead for every file.
struct TContentCheck
{
    // The text the verdicts answer for.
    QString fText;
    // Whether the file at aPath holds fText; asks aCancel between steps and gives up when it is
    // cancelled. Runs on check threads, several at once; must not throw.
    std::function<bool(const QString &aPath, const ICancellationIndicator &aCancel)> fContains;
};
