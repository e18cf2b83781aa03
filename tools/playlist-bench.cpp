// Prints how long the playlist's portable half takes over 10,000 entries: writing them as
// M3U8, reading that back, filling the model, and a sort, a reverse and a shuffle. Each figure
// is the median of 15 runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "playlist/PlayList.h"
#include "playlist/PlayListOrder.h"
#include "playlist/PlaylistFile.h"

namespace {

constexpr int kEntries = 10000;
constexpr int kRuns = 15;

template <typename Work>
double MedianMillis(Work work)
{
    std::vector<double> millis;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work();
        millis.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(millis.begin(), millis.end());
    return millis[kRuns / 2];
}

}  // namespace

int main()
{
    // Names as a music folder has them: numbered tracks, mixed case, some outside the folder.
    std::vector<PlaylistEntry> entries;
    for (int i = 0; i < kEntries; ++i) {
        const int album = (i * 7919) % 500;
        entries.push_back({(i % 10 == 0 ? "D:\\Elsewhere\\" : "C:\\Music\\Album ") +
                               std::to_string(album) + "\\" + std::to_string(i % 23 + 1) +
                               (i % 3 ? " Track " : " track ") + std::to_string(i) + ".mp3",
                           "Artist - Title " + std::to_string(i), 180 + i % 120});
    }
    const char* listPath = "C:\\Music\\all.m3u8";
    std::string text;
    PlaylistContents read;
    PlayList list;
    int32_t current = 0;
    ShuffleRandom random(1);

    const double write = MedianMillis([&] { text = WriteM3u8(entries, listPath); });
    const double parse = MedianMillis(
        [&] { read = ReadPlaylist(text, PlaylistFormat::m3u8, listPath, CodePageToUtf8()); });
    const double fill = MedianMillis([&] {
        list.Clear();
        for (const PlaylistEntry& entry : read.entries)
            list.Append(entry.path.c_str());
    });
    const double sort = MedianMillis([&] {
        ShufflePlayList(list, 0, random);
        current = SortPlayList(list, current);
    });
    const double shuffle = MedianMillis([&] { current = ShufflePlayList(list, current, random); });
    const double reverse = MedianMillis([&] { current = ReversePlayList(list, current); });
    list.Clear();

    std::printf("%d entries, %zu bytes of M3U8, median of %d runs\n", kEntries, text.size(), kRuns);
    std::printf("write %.2f ms, read %.2f ms, fill the model %.2f ms\n", write, parse, fill);
    std::printf("shuffle and sort %.2f ms, shuffle %.2f ms, reverse %.2f ms\n", sort, shuffle,
                reverse);
    return read.entries.size() == static_cast<size_t>(kEntries) ? 0 : 1;
}
