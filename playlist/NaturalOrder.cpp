#include "playlist/NaturalOrder.h"

#include <cstdint>

#include "playlist/Utf8Text.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Capital letters of the scripts a song name most often uses (Latin, Latin-1, Greek, Cyrillic)
// to their small forms; everything else is itself.
uint32_t FoldCase(uint32_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3AB && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

// One run of digits: where its value starts after the leading zeros, and where it ends.
struct DigitRun {
    size_t significant;
    size_t end;
};

DigitRun RunAt(std::string_view text, size_t at)
{
    DigitRun run{at, at};
    while (run.end < text.size() && IsDigit(text[run.end]))
        ++run.end;
    while (run.significant + 1 < run.end && text[run.significant] == '0')
        ++run.significant;
    return run;
}

}  // namespace

int CompareNatural(std::string_view a, std::string_view b)
{
    int tieBreak = 0;  // the first difference in case or leading zeros
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // Compared as text, so a run of any length is compared without overflow.
            const DigitRun left = RunAt(a, i);
            const DigitRun right = RunAt(b, j);
            const size_t leftDigits = left.end - left.significant;
            const size_t rightDigits = right.end - right.significant;
            if (leftDigits != rightDigits)
                return leftDigits < rightDigits ? -1 : 1;
            const int byValue = a.substr(left.significant, leftDigits)
                                    .compare(b.substr(right.significant, rightDigits));
            if (byValue != 0)
                return byValue < 0 ? -1 : 1;
            if (tieBreak == 0 && left.end - i != right.end - j)
                tieBreak = left.end - i < right.end - j ? -1 : 1;  // fewer zeros first
            i = left.end;
            j = right.end;
            continue;
        }
        size_t leftLength;
        size_t rightLength;
        const uint32_t left = DecodeUtf8At(a, i, leftLength);
        const uint32_t right = DecodeUtf8At(b, j, rightLength);
        if (FoldCase(left) != FoldCase(right))
            return FoldCase(left) < FoldCase(right) ? -1 : 1;
        if (tieBreak == 0 && left != right)
            tieBreak = left < right ? -1 : 1;
        i += leftLength;
        j += rightLength;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;  // a name before its longer twin
    if (tieBreak != 0)
        return tieBreak;
    const int bytes = a.compare(b);
    return bytes < 0 ? -1 : (bytes > 0 ? 1 : 0);
}
