// The order in which people expect names: letters without regard to case, runs of digits by
// their value, so "Track 2" comes before "Track 10" and "track 3" sits between them.
#pragma once

#include <string_view>

// Below zero when `a` comes first, zero only when the two are the same bytes, above zero when
// `b` comes first. Names equal but for case or leading zeros are ordered by those, so the order
// is total and a sort by it is the same on every run.
int CompareNatural(std::string_view a, std::string_view b);
