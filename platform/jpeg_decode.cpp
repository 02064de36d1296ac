#include "platform/jpeg_decode.h"

#include <csetjmp>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
}

namespace kyomat {
namespace {

// libjpeg calls error_exit on a fatal error and would end the program; jump back instead.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

extern "C" void on_jpeg_error(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

extern "C" void on_jpeg_warning(j_common_ptr /*info*/, int /*level*/) {}

// A progressive picture may hold thousands of scans, each a pass over the whole picture: a
// small file could keep the decoder busy for many seconds. Real pictures have about ten.
constexpr int k_max_scans = 100;

extern "C" void on_jpeg_progress(j_common_ptr info) {
    if (!info->is_decompressor) return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->input_scan_number > k_max_scans) {
        auto* err = reinterpret_cast<ErrorManager*>(info->err);
        std::snprintf(err->message, sizeof err->message, "more than %d scans", k_max_scans);
        std::longjmp(err->jump, 1);
    }
}

// A header can claim any size: larger pictures are refused before any memory is taken for
// them (25 million pixels is a 6000 x 4000 photo, far more than a logo needs).
constexpr unsigned k_max_side = 16384;
constexpr unsigned long long k_max_pixels = 25'000'000ULL;

// Kept apart from the function with setjmp, so nothing of the caller's frame is touched
// between setjmp and longjmp but these structures.
bool run_decoder(jpeg_decompress_struct& info, ErrorManager& err, jpeg_progress_mgr& progress,
                 const std::string& bytes, RgbImage& image, std::string& error) {
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_decompress(&info);
        error = err.message;
        return false;
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > k_max_side ||
        info.image_height > k_max_side ||
        static_cast<unsigned long long>(info.image_width) * info.image_height > k_max_pixels) {
        jpeg_destroy_decompress(&info);
        error = "unsupported picture size";
        return false;
    }
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        error = "unsupported colour space";
        return false;
    }
    image.width = static_cast<int>(info.output_width);
    image.height = static_cast<int>(info.output_height);
    image.rgb.assign(static_cast<std::size_t>(image.width) * image.height * 3, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row =
            image.rgb.data() + static_cast<std::size_t>(info.output_scanline) * image.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool decode_jpeg_rgb(const std::string& bytes, RgbImage& image, std::string& error) {
    if (bytes.empty()) {
        error = "empty file";
        return false;
    }
    jpeg_decompress_struct info{};
    ErrorManager err{};
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = on_jpeg_error;
    err.base.emit_message = on_jpeg_warning;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = on_jpeg_progress;
    image = RgbImage{};
    if (!run_decoder(info, err, progress, bytes, image, error)) {
        image = RgbImage{};
        return false;
    }
    return true;
}

}  // namespace kyomat
