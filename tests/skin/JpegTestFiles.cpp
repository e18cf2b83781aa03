#include "tests/skin/JpegTestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

extern "C" {
#include <jpeglib.h>
}

std::vector<uint8_t> EncodeJpeg(int32_t width, int32_t height, int32_t components,
                                const SampleAt& sample) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);

    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    for (int i = 0; i < info.num_components; ++i) {
        info.comp_info[i].h_samp_factor = 1;
        info.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * components);
    while (info.next_scanline < info.image_height) {
        const int32_t y = static_cast<int32_t>(info.next_scanline);
        for (int32_t x = 0; x < width; ++x) {
            for (int32_t c = 0; c < components; ++c) row[x * components + c] = sample(x, y, c);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

std::string ScratchPath(const std::string& name) {
    // Test cases may run in parallel processes: each process draws its own stamp.
    static const std::string stamp = std::to_string(std::random_device{}());
    return (std::filesystem::temp_directory_path() / ("skin-test-" + stamp + "-" + name)).string();
}
