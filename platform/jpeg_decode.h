#pragma once
// JPEG decoding with libjpeg, without Qt: a corrupt or truncated stream is an error, never
// an exit of the program.
#include <cstdint>
#include <string>
#include <vector>

namespace kyomat {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, rows top to bottom
};

// False (and error set) for anything that is not a decodable colour or grey JPEG.
bool decode_jpeg_rgb(const std::string& bytes, RgbImage& image, std::string& error);

}  // namespace kyomat
