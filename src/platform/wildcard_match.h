// The program's own wildcard matcher for file-name masks ("*" and "?"), standing in for the
// system's file-name pattern matcher.
#pragma once

#include <QStringView>

// True when the whole of pName fits pMask. "*" stands for any run of characters (none
// included), "?" for exactly one character (a surrogate pair counts as one); letters compare
// without regard to case (simple Unicode case folding). A mask that ends in ".*" also accepts a
// name that stops before that "." (so "*.*" fits every name and "*.*.*" fits "notes.txt"); this
// applies to each trailing ".*" in turn.
// Runs in O(name length x mask length / 64) time with no backtracking, whatever the mask; memory
// stays below a few megabytes even for a 10000-character mask. Thread-safe: no shared state.
bool PathMatchSpec(QStringView pName, QStringView pMask);
