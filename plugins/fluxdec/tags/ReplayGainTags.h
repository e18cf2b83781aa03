// ReplayGain from the tags that taggers write: an ID3v2 tag's TXXX frames and an APEv2 tag's items,
// named REPLAYGAIN_TRACK_GAIN, REPLAYGAIN_TRACK_PEAK, REPLAYGAIN_ALBUM_GAIN and
// REPLAYGAIN_ALBUM_PEAK in any letter case, with values such as "-7.89 dB" and "0.988553".
// The tag reader (SongTitle.cpp) calls these on the tags it reads anyway.
#pragma once

#include <taglib/apetag.h>
#include <taglib/id3v2tag.h>

#include "plugins/fluxdec/core/ReplayGain.h"

namespace fluxdec {

ReplayGainSource ReplayGainFromId3v2(const TagLib::ID3v2::Tag& tag);
ReplayGainSource ReplayGainFromApe(const TagLib::APE::Tag& tag);

// One named value into `source`: nothing when the name is not one of the four or the text is not
// a number ("dB" after a gain, blanks around either are allowed; a decimal point, never a comma).
void TakeReplayGainValue(const TagLib::String& name, const TagLib::String& text,
                         ReplayGainSource* source);

}  // namespace fluxdec
