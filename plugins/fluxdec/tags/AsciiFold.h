// Folding Unicode text to the printable ASCII that the player's bitmap font can draw.
//
// The main window's glyph strip holds the characters 32 to 126 only, and the title reaches the
// player in its 8-bit code page, so the plug-in, which alone still has the tag's full Unicode
// text, folds every title to printable ASCII before handing it over. A character outside
// 32..126 becomes its nearest ASCII letter or letters where there is one ("ö" -> "o",
// "ß" -> "ss", "Æ" -> "AE", curly quotes and dashes -> plain ones, fullwidth forms -> their
// ASCII twins) and a blank otherwise, so that no visible character turns into nothing.
// Characters that are invisible by nature (combining accents, zero-width spaces and joiners, the
// byte order mark) are dropped: "o" followed by a combining diaeresis is "o", not "o ".
#pragma once

#include <cstddef>
#include <string>

namespace fluxdec {

// Appends the folded form of one code point (one to three characters, or none for an invisible
// one) to `out`. Code points that are not characters (surrogates, values past U+10FFFF) give a
// blank.
void AppendFolded(char32_t codePoint, std::string& out);

// Decodes UTF-16 code units (as TagLib and Windows hold text) and folds them, stopping once `out`
// holds `maxChars` characters; an unpaired surrogate gives a blank. The folding of one code point
// is never cut in half: a title that ends early rather ends with whole letters.
void AppendFoldedUtf16(const char16_t* units, size_t count, size_t maxChars, std::string& out);

// The same for UTF-8 (the paths of the native build); a byte that is not part of a valid UTF-8
// sequence gives a blank.
void AppendFoldedUtf8(const char* text, size_t length, size_t maxChars, std::string& out);

}  // namespace fluxdec
