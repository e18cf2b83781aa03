#include "text/AsciiFold.h"

#include <cstdint>

namespace {

// U+00A0 .. U+00FF, the Latin-1 Supplement: the letters of western European names and the
// signs of the Windows code pages.
const char* const kLatin1Supplement[96] = {
    // A0
    " ", "!", "c", "L", " ", "Y", "|", "S", "\"", "(C)", "a", "<<", "-", "-", "(R)", "-",
    // B0
    "o", "+-", "2", "3", "'", "u", "P", ".", ",", "1", "o", ">>", "1/4", "1/2", "3/4", "?",
    // C0
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",
    // D0
    "D", "N", "O", "O", "O", "O", "O", "x", "O", "U", "U", "U", "U", "Y", "TH", "ss",
    // E0
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    // F0
    "d", "n", "o", "o", "o", "o", "o", "/", "o", "u", "u", "u", "u", "y", "th", "y",
};

// U+0100 .. U+017F, Latin Extended-A: central and eastern European, Baltic, Turkish and Maltese
// letters, each its base letter.
const char* const kLatinExtendedA[128] = {
    // 0100
    "A", "a", "A", "a", "A", "a", "C", "c", "C", "c", "C", "c", "C", "c", "D", "d",
    // 0110
    "D", "d", "E", "e", "E", "e", "E", "e", "E", "e", "E", "e", "G", "g", "G", "g",
    // 0120
    "G", "g", "G", "g", "H", "h", "H", "h", "I", "i", "I", "i", "I", "i", "I", "i",
    // 0130
    "I", "i", "IJ", "ij", "J", "j", "K", "k", "k", "L", "l", "L", "l", "L", "l", "L",
    // 0140
    "l", "L", "l", "N", "n", "N", "n", "N", "n", "'n", "N", "n", "O", "o", "O", "o",
    // 0150
    "O", "o", "OE", "oe", "R", "r", "R", "r", "R", "r", "S", "s", "S", "s", "S", "s",
    // 0160
    "S", "s", "T", "t", "T", "t", "T", "t", "U", "u", "U", "u", "U", "u", "U", "u",
    // 0170
    "U", "u", "U", "u", "W", "w", "Y", "y", "Y", "Z", "z", "Z", "z", "Z", "z", "s",
};

// U+2010 .. U+203A, General Punctuation: the dashes, quotes and dots that tagging programs
// put in place of the plain ones.
const char* const kPunctuation[43] = {
    // 2010: hyphens and dashes, double bar, double low line
    "-", "-", "-", "-", "-", "-", "|", "_",
    // 2018: single and double quotation marks
    "'", "'", "'", "'", "\"", "\"", "\"", "\"",
    // 2020: daggers, bullets, leaders, ellipsis, hyphenation point
    "+", "+", "*", "*", ".", "..", "...", ".",
    // 2028: line and paragraph separators, directional formatting (dropped), narrow space
    " ", " ", " ", " ", " ", " ", " ", " ",
    // 2030: per mille, per ten thousand, primes, reversed primes, caret, angle quotes
    "%", "%", "'", "\"", "\"", "'", "\"", "\"", "^", "<", ">",
};

// U+0400 .. U+045F, Cyrillic: Russian, Ukrainian, Belarusian, Serbian, Macedonian and Bulgarian
// letters, transliterated as their names are usually written in Latin letters.
const char* const kCyrillic[96] = {
    // 0400: Ѐ Ё Ђ Ѓ Є Ѕ І Ї Ј Љ Њ Ћ Ќ Ѝ Ў Џ
    "E", "Yo", "Dj", "Gj", "Ye", "Dz", "I", "Yi", "J", "Lj", "Nj", "C", "Kj", "I", "U", "Dz",
    // 0410: А Б В Г Д Е Ж З И Й К Л М Н О П
    "A", "B", "V", "G", "D", "E", "Zh", "Z", "I", "Y", "K", "L", "M", "N", "O", "P",
    // 0420: Р С Т У Ф Х Ц Ч Ш Щ Ъ Ы Ь Э Ю Я
    "R", "S", "T", "U", "F", "Kh", "Ts", "Ch", "Sh", "Shch", "'", "Y", "'", "E", "Yu", "Ya",
    // 0430: а б в г д е ж з и й к л м н о п
    "a", "b", "v", "g", "d", "e", "zh", "z", "i", "y", "k", "l", "m", "n", "o", "p",
    // 0440: р с т у ф х ц ч ш щ ъ ы ь э ю я
    "r", "s", "t", "u", "f", "kh", "ts", "ch", "sh", "shch", "'", "y", "'", "e", "yu", "ya",
    // 0450: ѐ ё ђ ѓ є ѕ і ї ј љ њ ћ ќ ѝ ў џ
    "e", "yo", "dj", "gj", "ye", "dz", "i", "yi", "j", "lj", "nj", "c", "kj", "i", "u", "dz",
};

// U+0386 .. U+03CE, Greek: capitals, small letters and their accented forms, transliterated
// letter by letter ("" marks the code points that are no letter).
const char* const kGreek[73] = {
    // 0386: Ά · Έ Ή Ί (0x038B) Ό (0x038D) Ύ Ώ ΐ
    "A", ".", "E", "I", "I", "", "O", "", "Y", "O", "i",
    // 0391: Α Β Γ Δ Ε Ζ Η Θ Ι Κ Λ Μ Ν Ξ Ο Π Ρ (0x03A2) Σ Τ Υ Φ Χ Ψ Ω
    "A", "V", "G", "D", "E", "Z", "I", "Th", "I", "K", "L", "M", "N", "X", "O", "P", "R", "",
    "S", "T", "Y", "F", "Ch", "Ps", "O",
    // 03AA: Ϊ Ϋ ά έ ή ί ΰ
    "I", "Y", "a", "e", "i", "i", "y",
    // 03B1: α β γ δ ε ζ η θ ι κ λ μ ν ξ ο π ρ ς σ τ υ φ χ ψ ω
    "a", "v", "g", "d", "e", "z", "i", "th", "i", "k", "l", "m", "n", "x", "o", "p", "r", "s",
    "s", "t", "y", "f", "ch", "ps", "o",
    // 03CA: ϊ ϋ ό ύ ώ
    "i", "y", "o", "y", "o",
};

// U+0080 .. U+009F are control characters that real text never holds; in tags they are almost
// always Windows-1252 bytes read as Latin-1 (ID3v1 has no encoding field), so they are read as
// the Windows-1252 characters they stand for (0: undefined there, a blank).
const char16_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool IsInvisible(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F)     // combining diacritical marks
           || (c >= 0x200B && c <= 0x200F)  // zero-width space, non-joiner, joiner, marks
           || (c >= 0x202A && c <= 0x202E)  // directional embeddings and overrides
           || (c >= 0x2060 && c <= 0x2064)  // word joiner and invisible operators
           || c == 0xFEFF;                  // byte order mark, zero-width no-break space
}

const char* FoldedText(char32_t c) {
    if (c >= 0xA0 && c <= 0xFF) return kLatin1Supplement[c - 0xA0];
    if (c >= 0x100 && c <= 0x17F) return kLatinExtendedA[c - 0x100];
    if (c >= 0x2010 && c <= 0x203A) return kPunctuation[c - 0x2010];
    if (c >= 0x400 && c <= 0x45F) return kCyrillic[c - 0x400];
    if (c >= 0x386 && c <= 0x3CE) return *kGreek[c - 0x386] != '\0' ? kGreek[c - 0x386] : " ";
    switch (c) {
        case 0x0192: return "f";
        case 0x02C6: return "^";
        case 0x02DC: return "~";
        case 0x2044: return "/";
        case 0x20AC: return "EUR";
        case 0x2122: return "TM";
        case 0x2212: return "-";
        case 0x0490: return "G";   // Ґ
        case 0x0491: return "g";   // ґ
        default: return " ";
    }
}

// Appends `c` as UTF-8, a control as a blank and a non-character as U+FFFD.
void AppendKept(char32_t c, std::string& out) {
    if (c >= 0x80 && c <= 0x9F) c = kWindows1252High[c - 0x80] ? kWindows1252High[c - 0x80] : ' ';
    if (c < 32 || c == 0x7F) c = ' ';
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Appends the folding of `c` unless it would take `out` past `maxChars`; false once it is full.
bool AppendBounded(char32_t c, size_t maxChars, TitleText form, std::string& out) {
    std::string folded;
    if (form == TitleText::utf8)
        AppendKept(c, folded);
    else
        AppendFolded(c, folded);
    if (out.size() + folded.size() > maxChars) return false;
    out += folded;
    return out.size() < maxChars;
}

}  // namespace

void AppendFolded(char32_t c, std::string& out) {
    if (c >= 32 && c <= 126) {
        out += char(c);
    } else if (c >= 0xFF01 && c <= 0xFF5E) {  // fullwidth forms of '!' .. '~'
        out += char(c - 0xFEE0);
    } else if (c >= 0x80 && c <= 0x9F) {
        const char16_t stand = kWindows1252High[c - 0x80];
        out += stand ? FoldedText(stand) : " ";
    } else if (!IsInvisible(c)) {
        out += FoldedText(c);
    }
}

void AppendFoldedUtf16(const char16_t* units, size_t count, size_t maxChars, std::string& out,
                       TitleText form) {
    if (out.size() >= maxChars) return;
    for (size_t i = 0; i < count; ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        // A lone surrogate is not a character: AppendFolded gives it a blank.
        if (!AppendBounded(c, maxChars, form, out)) return;
    }
}

void AppendFoldedUtf8(const char* text, size_t length, size_t maxChars, std::string& out,
                      TitleText form) {
    if (out.size() >= maxChars) return;
    const auto* s = reinterpret_cast<const uint8_t*>(text);
    size_t i = 0;
    while (i < length) {
        const uint8_t lead = s[i];
        int more = lead < 0x80 ? 0 : lead >= 0xC2 && lead <= 0xDF ? 1
                 : lead >= 0xE0 && lead <= 0xEF ? 2 : lead >= 0xF0 && lead <= 0xF4 ? 3 : -1;
        char32_t c = more == 0   ? lead
                     : more == 1 ? lead & 0x1F
                     : more == 2 ? lead & 0x0F
                                 : lead & 0x07;
        size_t used = 1;
        for (int k = 0; k < more; ++k, ++used) {
            if (i + used >= length || (s[i + used] & 0xC0) != 0x80) {
                more = -1;
                break;
            }
            c = (c << 6) | (s[i + used] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are as invalid as a stray byte:
        // one blank for the lead byte, and decoding goes on after it.
        const bool overlong = (more == 2 && c < 0x800) || (more == 3 && c < 0x10000);
        if (more < 0 || overlong || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
            c = 0xFFFD;
            used = 1;
        }
        if (!AppendBounded(c, maxChars, form, out)) return;
        i += used;
    }
}
