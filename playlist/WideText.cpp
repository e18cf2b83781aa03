#include "playlist/WideText.h"

std::wstring WideFromUtf8(const char* text, int length)
{
    if (text == nullptr || length == 0)
        return std::wstring();
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text, length, nullptr, 0);
    if (needed <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, length, &wide[0], needed);
    // With length -1 the count includes the terminating zero, which the string holds already.
    if (length < 0)
        wide.resize(static_cast<size_t>(needed) - 1);
    return wide;
}

std::string Utf8FromWide(const wchar_t* text, int length)
{
    if (text == nullptr || length == 0)
        return std::string();
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string utf8(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &utf8[0], needed, nullptr, nullptr);
    if (length < 0)
        utf8.resize(static_cast<size_t>(needed) - 1);
    return utf8;
}

std::wstring WideFromCodePage(std::string_view text)
{
    const int bytes = static_cast<int>(text.size());
    const int chars = MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    if (chars <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(chars), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, &wide[0], chars);
    return wide;
}

std::string Utf8FromCodePage(std::string_view text)
{
    const std::wstring wide = WideFromCodePage(text);
    return Utf8FromWide(wide.c_str(), static_cast<int>(wide.size()));
}
