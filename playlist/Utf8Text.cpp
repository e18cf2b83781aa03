#include "playlist/Utf8Text.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

}  // namespace

uint32_t DecodeUtf8At(std::string_view text, size_t at, size_t& length)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    length = 1;
    size_t needed;
    uint32_t value;
    uint32_t smallest;  // below this the form is overlong
    if (lead < 0x80)
        return lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
        needed = 1, value = lead & 0x1Fu, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        needed = 2, value = lead & 0x0Fu, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        needed = 3, value = lead & 0x07u, smallest = 0x10000;
    } else {
        return lead;
    }
    if (text.size() - at <= needed)
        return lead;
    for (size_t i = 1; i <= needed; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(next))
            return lead;
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return lead;
    length = needed + 1;
    return value;
}

std::string ValidUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    size_t at = 0;
    while (at < bytes.size()) {
        size_t length;
        const uint32_t value = DecodeUtf8At(bytes, at, length);
        if (length == 1 && value >= 0x80)
            text += kReplacement;
        else
            text.append(bytes.substr(at, length));
        at += length;
    }
    return text;
}

namespace {

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool EqualsFoldingAscii(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

bool StartsWithFoldingAscii(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsFoldingAscii(text.substr(0, prefix.size()), prefix);
}
