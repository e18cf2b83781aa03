// How long the plug-in's OpenFile spends reading a song's title, for ordinary and hostile files.
// Writes each file into a temporary folder, reads its title as OpenFile does (after one warm-up
// read, so the file is in the page cache), and prints the median of 7 reads and the title.
// A benchmark that prints figures, not a test.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "plugins/fluxdec/tags/SongTitle.h"

namespace {

using Bytes = std::string;

Bytes Synchsafe(uint32_t n) {
    return Bytes{char((n >> 21) & 127), char((n >> 14) & 127), char((n >> 7) & 127), char(n & 127)};
}
Bytes Frame(const Bytes& id, const Bytes& payload) {
    const uint32_t n = uint32_t(payload.size());
    return id + Bytes{char(n >> 24), char(n >> 16), char(n >> 8), char(n)} + Bytes(2, '\0') +
           payload;
}
Bytes Tag(const Bytes& body, uint32_t claimed = 0, char flags = 0) {
    return "ID3" + Bytes{3, 0, flags} + Synchsafe(claimed ? claimed : uint32_t(body.size())) + body;
}
Bytes Repeat(const Bytes& unit, size_t bytes) {
    Bytes out;
    out.reserve(bytes + unit.size());
    while (out.size() < bytes) out += unit;
    return out;
}
Bytes Random(size_t bytes) {
    std::mt19937 random(7);
    Bytes out(bytes, '\0');
    for (char& c : out) c = char(random());
    return out;
}

struct Case {
    const char* what;
    Bytes file;
    uint64_t sparseTo;  // the file is extended with a hole to this size
};

}  // namespace

int main() {
    const Bytes title =
        Frame("TIT2", Bytes(1, '\0') + "Harbour Lights") + Frame("TPE1", Bytes(1, '\0') + "Band");
    const Bytes audio = Bytes("\xff\xfb\x90\x64", 4) + Bytes(100000, 'U');
    const Bytes utf16Title = "\x01\xff\xfe" + Repeat(Bytes("\xe4\x00", 2), 200000);
    const std::vector<Case> cases = {
        {"plain ID3v2.3 tag", Tag(title + Bytes(2048, '\0')) + audio, 0},
        {"3 MB cover art before the title",
         Tag(Frame("APIC", Bytes(1, '\0') + "image/jpeg" + Bytes(2, '\0') + Random(3 << 20)) +
             title) +
             audio,
         0},
        {"tag claiming 200 MB in a 210 MB file", Tag(title, 200000000), 210000000},
        {"tag claiming 200 MB in a small file", Tag(title, 200000000) + audio, 0},
        {"frame length past the end",
         Tag(Frame("TIT2", Bytes("\x00x", 2)).replace(4, 4, "\x7f\xff\xff\xf0")) + audio, 0},
        {"title of 100,000 UTF-16 characters", Tag(Frame("TIT2", utf16Title)) + audio, 0},
        {"invalid UTF-16 (lone surrogates)",
         Tag(Frame("TIT2", "\x01\xff\xfe" + Repeat(Bytes("\x00\xd8"
                                                         "A\x00",
                                                         4),
                                                   20000))) +
             audio,
         0},
        {"8 MB of one-character frames",
         Tag(Repeat(Frame("TXXX", Bytes("\x00"
                                        "a\x00",
                                        3)),
                    8 << 20)),
         0},
        {"8 MB unsynchronised tag", Tag(Repeat(Bytes("\xff\x00\xe0", 3), 8 << 20), 0, char(0x80)),
         0},
        {"10 MB of junk, no tag", Random(10 << 20), 0},
        {"10 MB of 0xFF", Bytes(10 << 20, '\xff'), 0},
        {"1,000,000 chained empty tag headers",
         Repeat(Bytes("ID3\x03\x00\x00\x00\x00\x00\x00", 10), 10000000), 0},
    };
    const auto folder = std::filesystem::temp_directory_path() / "fluxdec-title-bench";
    std::filesystem::create_directories(folder);
    std::printf("%-42s %10s  %s\n", "file", "median ms", "title");
    for (const Case& c : cases) {
        const auto path = folder / "Harbour.mp3";
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(c.file.data(), std::streamsize(c.file.size()));
        }
        if (c.sparseTo) std::filesystem::resize_file(path, c.sparseTo);
        std::string read = fluxdec::ReadSongTitle(path.string().c_str());
        std::vector<double> ms;
        for (int i = 0; i < 7; ++i) {
            const auto start = std::chrono::steady_clock::now();
            read = fluxdec::ReadSongTitle(path.string().c_str());
            ms.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-42s %10.2f  %.30s%s\n", c.what, ms[3], read.c_str(),
                    read.size() > 30 ? "..." : "");
    }
    std::filesystem::remove_all(folder);
    return 0;
}
