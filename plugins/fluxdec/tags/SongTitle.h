// The song's title as the player shows it, read from the file's tags.
//
//   - "Artist - Title" from the first of the ID3v2 tag at the start, the APEv2 tag at the end and
//     the ID3v1 tag at the end that has a title (in that order, so ID3v2 wins), or the title
//     alone when that tag names no artist;
//   - without a tag that has a title, the file's name without folder and extension ("Harbour"
//     for C:\Music\Harbour.mp3 or /music/Harbour.mp3);
//   - folded to printable ASCII (text/AsciiFold.h), or kept as UTF-8 for a host that asked for
//     it (TitleText::utf8), and at most kMaxTitleChars characters (bytes in UTF-8), so that it
//     fits the plug-in API's 2048-character title with its terminating zero.
//
// Reading is bounded by the file, never by what a tag claims: a damaged or hostile tag gives the
// file name, never a crash or a long stall. Read the title once per song (when it is opened):
// it costs a file open and a few reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "plugins/fluxdec/core/ReplayGain.h"
#include "text/AsciiFold.h"

namespace fluxdec {

inline constexpr size_t kMaxTitleChars = 2047;

// What the player takes from a song's tags, read in one pass (a file open and a few reads).
struct SongTags {
    std::string title;          // as ReadSongTitle gives it
    ReplayGainSource id3v2Gain; // the ID3v2 tag's TXXX REPLAYGAIN_* frames (ReplayGainTags.h)
    ReplayGainSource apeGain;   // the APEv2 tag's REPLAYGAIN_* items
};

// The title and the gains of the file at `path` (as ReadSongTitle), or of its bytes in memory.
SongTags ReadSongTags(const char* path, TitleText form = TitleText::ascii);
SongTags SongTagsFromBytes(const uint8_t* data, size_t size, const char* path,
                           TitleText form = TitleText::ascii);

// A song's ReplayGain sources in order of belief: its tags', then its LAME tag's
// (SongInfo::lameGain); ReplayGainChoice::source indexes these names.
inline constexpr const char* kReplayGainSourceNames[] = {"id3v2", "ape", "lame"};
inline ReplayGainChoice ChooseSongReplayGain(const SongTags& tags, const ReplayGainSource& lameGain,
                                             ReplayGainMode mode) {
    const ReplayGainSource sources[] = {tags.id3v2Gain, tags.apeGain, lameGain};
    return ChooseReplayGain(sources, 3, mode);
}

// Reads the tags of the file at `path` (an 8-bit path: UTF-8 natively, the system's code page
// under Windows, as the plug-in API hands it over). The file is opened for reading only and with
// read sharing, so the plug-in's own handle on the song may be open at the same time.
std::string ReadSongTitle(const char* path, TitleText form = TitleText::ascii);

// The same rules over a file's bytes already in memory; `path` gives the fallback name.
std::string SongTitleFromBytes(const uint8_t* data, size_t size, const char* path,
                               TitleText form = TitleText::ascii);

// The fallback alone: the last part of `path` after '/' or '\', without its extension.
std::string FileNameTitle(const char* path, TitleText form = TitleText::ascii);

}  // namespace fluxdec
