// The JPEG decoder: any bytes give a picture or an error, never a crash or an exit.
#include <cstdint>
#include <string>

#include "platform/jpeg_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    kyomat::RgbImage image;
    std::string error;
    if (kyomat::decode_jpeg_rgb(bytes, image, error)) {
        if (image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
            __builtin_trap();
        }
    } else if (error.empty() || !image.rgb.empty()) {
        __builtin_trap();
    }
    return 0;
}
