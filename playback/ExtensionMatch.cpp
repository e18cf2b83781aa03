#include "playback/ExtensionMatch.h"

#include <cstring>

namespace {

char FoldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (FoldCase(*a) != FoldCase(*b))
            return false;
    }
    return *a == *b;
}

}  // namespace

const char* FindExtension(const char* path)
{
    if (path == nullptr)
        return nullptr;
    const char* dot = std::strrchr(path, '.');
    return dot != nullptr ? dot + 1 : nullptr;
}

int ExtensionInList(const char* extension, const char* list)
{
    if (extension == nullptr || list == nullptr)
        return 0;
    // The extension is held in a fixed buffer before it is compared; one that does not fit
    // (with its terminating zero) is refused rather than cut, so that a long name can never match
    // by its first 255 characters.
    char buffer[kExtensionBufferChars];
    std::size_t length = 0;
    while (extension[length] != '\0') {
        if (++length >= kExtensionBufferChars)
            return 0;
    }
    std::memcpy(buffer, extension, length + 1);

    for (const char* entry = list; *entry != '\0'; entry += std::strlen(entry) + 1) {
        if (EqualIgnoringCase(buffer, entry))
            return 1;
    }
    return 0;
}

int PathMatchesExtensionList(const char* path, const char* list)
{
    const char* extension = FindExtension(path);
    return extension != nullptr ? ExtensionInList(extension, list) : 0;
}
