// Words hyphenated at a line end in a PDF page's text, joined again so that a search finds them.
#pragma once

#include <string>
#include <string_view>

// The UTF-8 text of one page, lines separated by "\n", with each word hyphenated at a line end
// joined with the next line's first word; the rest of the next line stays on a line of its own.
//
// A line ending in a soft hyphen (U+00AD) is joined with a word starting the next line, and the
// soft hyphen is always dropped. A line ending in a letter and a hyphen ("-" or U+2010), where the
// next line starts with a lower-case letter, is joined with the next line's first word:
//   - the hyphen is dropped when both halves are letters only (outer punctuation aside), the
//     ordinary end-of-line hyphenation of typeset text: "exam-\nple." gives "example.";
//   - it is kept when either half holds anything else, a hyphen included, so a compound stays one:
//     "state-of-the-\nart" gives "state-of-the-art", "B2B-\nsales" keeps its hyphen.
// A dropped hyphen also drops the one of a real compound split at its hyphen ("well-\nknown" gives
// "wellknown"); keeping it instead would break every ordinary split word, which is by far the more
// common case in justified text, so the letters-only rule drops it. A hyphen before a capital,
// a digit or an empty line is left as it is, with its line break ("Anglo-\nSaxon"). Spaces and tabs
// around the joint go. Pure; any thread.
std::string JoinLineEndHyphens(std::string_view aPageText);
