#include "skin/JpegDecode.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

// libjpeg's headers need FILE and size_t first, and are C.
extern "C" {
#include <jpeglib.h>
}

namespace {

// libjpeg's error manager extended by the place to return to after a fatal error. libjpeg
// hands the handler its `pub` member; being the first member, its address is the whole record's.
struct FatalErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    JpegAlert alert;
};

// libjpeg's error_exit hook: show libjpeg's message for the current error, then return to the
// jump point in DecodeJpegFile instead of ending the process. Only libjpeg's C frames lie
// between here and there, so nothing with a destructor is skipped.
void OnFatalJpegError(j_common_ptr info) {
    auto* manager = reinterpret_cast<FatalErrorManager*>(info->err);
    char text[JMSG_LENGTH_MAX];  // 200 characters, as format_message expects
    (*info->err->format_message)(info, text);
    if (manager->alert != nullptr) manager->alert(text, kJpegFatalCaption, true);
    std::longjmp(manager->jump, 1);
}

// Everything the decoding needs to find again after a fatal error. It lives in memory (its
// address is handed to libjpeg), and `pixels` is volatile, so that its value after the long
// jump is the last one stored.
struct DecodeJob {
    jpeg_decompress_struct info;
    FatalErrorManager errors;
    const uint8_t* data;
    size_t size;
    uint8_t* volatile pixels;
};

// Copies one decoded scanline into row `row` of the packed R, G, B result.
void StoreScanline(const DecodeJob& job, const JSAMPLE* line, uint32_t row) {
    const uint32_t width = job.info.output_width;
    uint8_t* out = job.pixels + static_cast<size_t>(row) * width * 3u;
    if (job.info.out_color_components == 3) {
        std::memcpy(out, line, static_cast<size_t>(width) * 3u);
    } else if (job.info.out_color_components == 1) {
        for (uint32_t x = 0; x < width; ++x) {
            out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = line[x];
        }
    }
    // Any other component count leaves the row unwritten.
}

// The decoding proper, from the bytes to the finished buffer. Kept apart from DecodeJpegMemory
// so that the frame holding the jump point has no objects with destructors. Returns the buffer
// (owned by the caller) or null.
uint8_t* RunDecode(DecodeJob& job, int32_t& width, int32_t& height, JpegAlert alert) {
    job.info.err = jpeg_std_error(&job.errors.pub);
    job.errors.pub.error_exit = OnFatalJpegError;
    job.errors.alert = alert;
    job.pixels = nullptr;
    if (setjmp(job.errors.jump) != 0) {
        // A fatal error inside libjpeg came back here through OnFatalJpegError.
        jpeg_destroy_decompress(&job.info);
        std::free(job.pixels);
        width = 0;
        height = 0;
        return nullptr;
    }

    // The macro passes the library version and structure size that this build was compiled
    // against; libjpeg refuses any other.
    jpeg_create_decompress(&job.info);
    // An empty buffer is refused by libjpeg itself, as "Empty input file", like an empty file.
    jpeg_mem_src(&job.info, job.data, static_cast<unsigned long>(job.size));
    jpeg_read_header(&job.info, TRUE);
    jpeg_start_decompress(&job.info);

    const uint64_t bytes =
        static_cast<uint64_t>(job.info.output_width) * job.info.output_height * 3u;
    if (bytes <= SIZE_MAX) job.pixels = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(bytes)));
    if (job.pixels == nullptr) {
        if (alert != nullptr) alert(kJpegOutOfMemoryText, kJpegErrorCaption, true);
        jpeg_destroy_decompress(&job.info);
        return nullptr;
    }
    width = static_cast<int32_t>(job.info.output_width);
    height = static_cast<int32_t>(job.info.output_height);

    const JDIMENSION samples = job.info.output_width * job.info.output_components;
    JSAMPARRAY line = (*job.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&job.info),
                                                   JPOOL_IMAGE, samples, 1);
    while (job.info.output_scanline < job.info.output_height) {
        jpeg_read_scanlines(&job.info, line, 1);
        StoreScanline(job, line[0], job.info.output_scanline - 1);
    }

    jpeg_finish_decompress(&job.info);
    jpeg_destroy_decompress(&job.info);
    return job.pixels;
}

}  // namespace

ByteBuffer DecodeJpegMemory(const uint8_t* data, size_t size, int32_t& width, int32_t& height,
                            JpegAlert alert) {
    width = 0;
    height = 0;
    // libjpeg reads at most `unsigned long` bytes from memory; no picture of the program is near.
    if (size > static_cast<size_t>(static_cast<unsigned long>(-1))) return nullptr;
    static const uint8_t kNothing = 0;
    DecodeJob job{};
    job.data = data != nullptr ? data : &kNothing;
    job.size = data != nullptr ? size : 0;
    return ByteBuffer(RunDecode(job, width, height, alert));
}

ByteBuffer DecodeJpegFile(const char* path, int32_t& width, int32_t& height, JpegAlert alert) {
    width = 0;
    height = 0;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        if (alert != nullptr) {
            char text[2048 + 64];
            std::snprintf(text, sizeof text, kJpegOpenFailedFormat, path);
            alert(text, kJpegErrorCaption, false);
        }
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[16384];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return DecodeJpegMemory(bytes.data(), bytes.size(), width, height, alert);
}

int32_t PaddedRowBytes(int32_t width, int32_t bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

void SwapRedBlue(uint8_t* pixels, int32_t width, int32_t height) {
    if (pixels == nullptr) return;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        uint8_t* pixel = pixels + 3 * i;
        const uint8_t red = pixel[0];
        pixel[0] = pixel[2];
        pixel[2] = red;
    }
}

ByteBuffer PadRows(const uint8_t* packed, int32_t width, int32_t height) {
    if (packed == nullptr || width <= 0 || height <= 0) return nullptr;
    const size_t rowBytes = static_cast<size_t>(PaddedRowBytes(width, 24));
    ByteBuffer padded(static_cast<uint8_t*>(std::calloc(rowBytes, static_cast<size_t>(height))));
    if (!padded) return nullptr;
    const size_t packedRow = static_cast<size_t>(width) * 3u;
    for (int32_t y = 0; y < height; ++y) {
        std::memcpy(padded.get() + y * rowBytes, packed + y * packedRow, packedRow);
    }
    return padded;
}
