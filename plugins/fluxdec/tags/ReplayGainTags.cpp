#include "plugins/fluxdec/tags/ReplayGainTags.h"

#include <string>

#include <taglib/id3v2frame.h>
#include <taglib/textidentificationframe.h>

namespace fluxdec {
namespace {

// A decimal number with an optional sign and fraction, read without the C library's locale (which
// may want a comma), then optional blanks and the unit `unit` (may be empty) in any case.
bool ParseNumber(const TagLib::String& text, const char* unit, float* value) {
    const std::string s = text.stripWhiteSpace().upper().to8Bit(true);
    size_t i = 0;
    const bool negative = i < s.size() && s[i] == '-';
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    double number = 0, scale = 1;
    bool digits = false, point = false;
    for (; i < s.size() && i < 32; ++i) {
        if (s[i] >= '0' && s[i] <= '9') {
            digits = true;
            if (point) scale /= 10;
            number = number * 10 + (s[i] - '0');
        } else if (s[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    while (i < s.size() && s[i] == ' ') ++i;
    if (!digits || s.compare(i, std::string::npos, unit) != 0) return false;
    *value = float((negative ? -number : number) * scale);
    return true;
}

}  // namespace

void TakeReplayGainValue(const TagLib::String& name, const TagLib::String& text,
                         ReplayGainSource* source) {
    const TagLib::String key = name.stripWhiteSpace().upper();
    GainAndPeak* gain = key.startsWith("REPLAYGAIN_TRACK_")   ? &source->track
                        : key.startsWith("REPLAYGAIN_ALBUM_") ? &source->album
                                                              : nullptr;
    if (!gain) return;
    const TagLib::String what = key.substr(17);
    float value = 0;
    if (what == "GAIN" && (ParseNumber(text, "DB", &value) || ParseNumber(text, "", &value))) {
        gain->hasGain = true;
        gain->gainDb = value;
    } else if (what == "PEAK" && ParseNumber(text, "", &value)) {
        gain->peak = value;
    }
}

ReplayGainSource ReplayGainFromId3v2(const TagLib::ID3v2::Tag& tag) {
    ReplayGainSource source;
    for (const TagLib::ID3v2::Frame* frame : tag.frameList("TXXX")) {
        const auto* text = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (!text) continue;
        const TagLib::StringList fields = text->fieldList();  // the description, then the values
        if (fields.size() >= 2) TakeReplayGainValue(text->description(), fields[1], &source);
    }
    return source;
}

ReplayGainSource ReplayGainFromApe(const TagLib::APE::Tag& tag) {
    ReplayGainSource source;
    for (const auto& item : tag.itemListMap())
        TakeReplayGainValue(item.first, item.second.toString(), &source);
    return source;
}

}  // namespace fluxdec
