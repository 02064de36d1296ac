#pragma once
// A QR code of a short text (the remote's address), drawn by the panel so that a tablet's
// camera opens the page: byte mode, error correction level L, versions 1 to 5 (up to 106
// bytes), one block each. Plain arithmetic; nothing of a picture library.
#include <cstdint>
#include <string_view>
#include <vector>

namespace kyomat {

struct QrCode {
    int size = 0;            // modules per side; 0: the text is too long for a code
    std::vector<bool> dark;  // size * size, row by row
    bool at(int x, int y) const {
        return dark[static_cast<std::size_t>(y) * static_cast<std::size_t>(size) +
                    static_cast<std::size_t>(x)];
    }
};

QrCode qr_code(std::string_view text);

// The error correction codewords of data for a code with `count` of them (Reed-Solomon over
// GF(256), the QR code's polynomial 0x11D).
std::vector<std::uint8_t> qr_error_correction(const std::vector<std::uint8_t>& data, int count);

}  // namespace kyomat
