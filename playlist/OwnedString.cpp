#include "playlist/OwnedString.h"

#include <cstring>
#include <new>

int OwnedString::Assign(const char* source)
{
    Empty();
    const size_t sourceLength = std::strlen(source);
    char* copy = new (std::nothrow) char[sourceLength + 1];
    if (copy == nullptr)
        return 0;
    std::memcpy(copy, source, sourceLength + 1);
    text = copy;
    owned = 1;
    length = static_cast<int32_t>(sourceLength);
    return 1;
}

int32_t OwnedString::Empty()
{
    const int32_t wasOwned = owned;
    if (owned)
        delete[] text;
    text = nullptr;
    owned = 0;
    length = 0;
    return wasOwned;
}

void OwnedString::TakeFrom(OwnedString& from)
{
    Empty();
    text = from.text;
    owned = from.owned;
    length = from.length;
    from.text = nullptr;
    from.owned = 0;
    from.length = 0;
}
