// Turns the text that names one song (the program's command line, or the text another
// instance sends) into a path.
//
// The whole text is one path. When it starts with a double quote, the first and the last
// character are dropped: the closing quote is taken to be the last character.
#pragma once

#include <cstddef>

inline constexpr int kPathChars = 2048;  // a path and its terminating zero

// Reads at most `length` characters of `text` (it need not be terminated). Returns 1 with the
// path in `path`; a text that is only a quote gives an empty path. Returns 0, with `path`
// empty, when the path would not fit 2047 characters: a cut path could name another file.
int PathFromHandedText(const char* text, size_t length, char (&path)[kPathChars]);

// The arguments of a whole command line (GetCommandLineW's, in UTF-8): the program's name is
// skipped (up to its closing quote when it starts with one, else up to the first blank), then
// the blanks after it. Points into `commandLine`; an empty text when there are no arguments.
const char* ArgumentsOf(const char* commandLine);
