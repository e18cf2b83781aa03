// Folding Unicode text to the printable ASCII that the player's bitmap font can draw.
//
// The main window's glyph strip holds the characters 32 to 126 only. The player folds the
// UTF-8 titles it receives for that font, and the decoder plug-in folds its titles for a host
// that takes 8-bit text in its code page. A character outside 32..126 becomes its nearest ASCII
// letter or letters where there is one ("ö" -> "o", "ß" -> "ss", "Æ" -> "AE", curly quotes and
// dashes -> plain ones, fullwidth forms -> their ASCII twins), Cyrillic and Greek letters are
// transliterated ("Кино" -> "Kino", "Ελλάδα" -> "Ellada"), and anything else is a blank, so
// that no visible character turns into nothing.
//
// Windows-free: built in every tree and shared by the player and the decoder plug-in.
// Characters that are invisible by nature (combining accents, zero-width spaces and joiners, the
// byte order mark) are dropped: "o" followed by a combining diaeresis is "o", not "o ".
#pragma once

#include <cstddef>
#include <string>

// How a title is handed on: folded to printable ASCII, or kept as UTF-8 (for a host that draws
// any script), where only control characters become blanks.
enum class TitleText { ascii, utf8 };

// Appends the folded form of one code point (one to four characters, or none for an invisible
// one) to `out`. Code points that are not characters (surrogates, values past U+10FFFF) give a
// blank.
void AppendFolded(char32_t codePoint, std::string& out);

// Decodes UTF-16 code units (as TagLib and Windows hold text) and folds them, stopping once `out`
// holds `maxChars` characters; an unpaired surrogate gives a blank. The folding of one code point
// is never cut in half: a title that ends early rather ends with whole letters. With
// TitleText::utf8 the characters are kept as UTF-8 instead (`maxChars` then counts bytes, and
// no character is cut either): controls become blanks, U+0080..U+009F the Windows-1252
// characters they stand for in old tags, and a character that is none (an unpaired surrogate)
// U+FFFD.
void AppendFoldedUtf16(const char16_t* units, size_t count, size_t maxChars, std::string& out,
                       TitleText form = TitleText::ascii);

// The same for UTF-8 (the paths of the native build); a byte that is not part of a valid UTF-8
// sequence gives a blank.
void AppendFoldedUtf8(const char* text, size_t length, size_t maxChars, std::string& out,
                      TitleText form = TitleText::ascii);
