#include "app/OpenFilter.h"

#include <cstring>

namespace {

std::string Upper(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

void AppendText(std::string& filter, const std::string& text)
{
    filter += text;
    filter += '\0';
}

}  // namespace

std::string BuildOpenFilter(const std::vector<std::vector<std::string>>& extensionsPerPlugin)
{
    std::string filter;
    for (const std::vector<std::string>& extensions : extensionsPerPlugin) {
        std::string names;
        std::string patterns;
        for (const std::string& extension : extensions) {
            if (!names.empty()) {
                names += '/';
                patterns += ';';
            }
            names += Upper(extension);
            patterns += "*." + extension;
        }
        if (patterns.empty())
            continue;
        AppendText(filter, names + " audio (" + patterns + ")");
        AppendText(filter, patterns);
    }
    AppendText(filter, "All files (*.*)");
    AppendText(filter, "*.*");
    filter += '\0';
    return filter;
}

std::vector<std::string> SplitExtensionList(const char* list, size_t limit)
{
    std::vector<std::string> extensions;
    if (list == nullptr)
        return extensions;
    size_t at = 0;
    while (at < limit && list[at] != '\0') {
        const size_t length = strnlen(list + at, limit - at);
        if (at + length >= limit)
            break;  // no terminating zero within the limit
        extensions.emplace_back(list + at, length);
        at += length + 1;
    }
    return extensions;
}
