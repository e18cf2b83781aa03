#include "app/HandedPath.h"

#include <cstring>

int PathFromHandedText(const char* text, size_t length, char (&path)[kPathChars])
{
    path[0] = '\0';
    if (text == nullptr)
        return 1;
    const size_t textLength = strnlen(text, length);
    const char* start = text;
    size_t pathLength = textLength;
    if (textLength > 0 && text[0] == '"') {
        ++start;
        pathLength = textLength >= 2 ? textLength - 2 : 0;
    }
    if (pathLength >= sizeof path)
        return 0;
    std::memcpy(path, start, pathLength);
    path[pathLength] = '\0';
    return 1;
}

const char* ArgumentsOf(const char* commandLine)
{
    if (commandLine == nullptr)
        return "";
    const char* at = commandLine;
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"')
            ++at;
        if (*at == '"')
            ++at;
    } else {
        while (*at != '\0' && *at != ' ' && *at != '\t')
            ++at;
    }
    while (*at == ' ' || *at == '\t')
        ++at;
    return at;
}
