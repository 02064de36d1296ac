#include "live/core/qr_code.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace kyomat {
namespace {

struct Version {
    int data_codewords;
    int ec_codewords;
};
// Level L, versions 1 to 5: one block each.
constexpr std::array<Version, 5> k_versions{{{19, 7}, {34, 10}, {55, 15}, {80, 20}, {108, 26}}};

std::uint8_t gf_multiply(std::uint8_t a, std::uint8_t b) {
    unsigned result = 0;
    for (int i = 7; i >= 0; --i) {
        result = (result << 1) ^ ((result >> 7) * 0x11D);
        result ^= ((static_cast<unsigned>(b) >> i) & 1U) * a;
    }
    return static_cast<std::uint8_t>(result);
}

class Matrix {
  public:
    explicit Matrix(int size)
        : size_(size),
          dark_(static_cast<std::size_t>(size) * static_cast<std::size_t>(size)),
          fixed_(static_cast<std::size_t>(size) * static_cast<std::size_t>(size)) {}
    void set(int x, int y, bool dark) {
        dark_[index(x, y)] = dark;
        fixed_[index(x, y)] = true;
    }
    bool fixed(int x, int y) const { return fixed_[index(x, y)]; }
    void put(int x, int y, bool dark) { dark_[index(x, y)] = dark; }
    void flip(int x, int y) { dark_[index(x, y)] = !dark_[index(x, y)]; }
    int size() const { return size_; }
    std::vector<bool> take() { return std::move(dark_); }

  private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(size_) +
               static_cast<std::size_t>(x);
    }
    int size_;
    std::vector<bool> dark_, fixed_;
};

void finder(Matrix& m, int cx, int cy) {
    for (int dy = -4; dy <= 4; ++dy) {
        for (int dx = -4; dx <= 4; ++dx) {
            const int x = cx + dx;
            const int y = cy + dy;
            if (x < 0 || y < 0 || x >= m.size() || y >= m.size()) continue;
            const int ring = std::max(std::abs(dx), std::abs(dy));
            m.set(x, y, ring != 2 && ring != 4);
        }
    }
}

// The format bits for level L and mask 0, around the finders; the dark module beside them.
void format_bits(Matrix& m) {
    constexpr int data = 1 << 3;  // level L (01), mask 000
    int rem = data;
    for (int i = 0; i < 10; ++i) rem = (rem << 1) ^ ((rem >> 9) * 0x537);
    const int bits = ((data << 10) | rem) ^ 0x5412;
    const auto bit = [bits](int i) { return ((bits >> i) & 1) != 0; };
    const int n = m.size();
    for (int i = 0; i <= 5; ++i) m.set(8, i, bit(i));
    m.set(8, 7, bit(6));
    m.set(8, 8, bit(7));
    m.set(7, 8, bit(8));
    for (int i = 9; i < 15; ++i) m.set(14 - i, 8, bit(i));
    for (int i = 0; i < 8; ++i) m.set(n - 1 - i, 8, bit(i));
    for (int i = 8; i < 15; ++i) m.set(8, n - 15 + i, bit(i));
    m.set(8, n - 8, true);
}

}  // namespace

std::vector<std::uint8_t> qr_error_correction(const std::vector<std::uint8_t>& data, int count) {
    // The generator (x - a^0)(x - a^1)...(x - a^(count-1)), highest term left out.
    const auto n = static_cast<std::size_t>(count);
    std::vector<std::uint8_t> generator(n);
    generator[n - 1] = 1;
    std::uint8_t root = 1;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            generator[j] = gf_multiply(generator[j], root);
            if (j + 1 < n) generator[j] ^= generator[j + 1];
        }
        root = gf_multiply(root, 0x02);
    }
    std::vector<std::uint8_t> remainder(n);
    for (const std::uint8_t b : data) {
        const auto factor = static_cast<std::uint8_t>(b ^ remainder.front());
        remainder.erase(remainder.begin());
        remainder.push_back(0);
        for (std::size_t i = 0; i < n; ++i) remainder[i] ^= gf_multiply(generator[i], factor);
    }
    return remainder;
}

QrCode qr_code(std::string_view text) {
    std::size_t version = 0;
    while (version < k_versions.size() &&
           text.size() + 2 > static_cast<std::size_t>(k_versions[version].data_codewords)) {
        ++version;
    }
    if (version == k_versions.size()) return {};
    const Version v = k_versions[version];

    // Mode "byte", the count, the bytes, a terminator, then the pad bytes.
    std::vector<bool> bits;
    const auto append = [&bits](unsigned value, int width) {
        for (int i = width - 1; i >= 0; --i) bits.push_back(((value >> i) & 1U) != 0);
    };
    append(0b0100, 4);
    append(static_cast<unsigned>(text.size()), 8);
    for (const char c : text) append(static_cast<unsigned char>(c), 8);
    const auto capacity = static_cast<std::size_t>(v.data_codewords) * 8;
    append(0, static_cast<int>(std::min<std::size_t>(4, capacity - bits.size())));
    while (bits.size() % 8 != 0) bits.push_back(false);
    for (unsigned pad = 0xEC; bits.size() < capacity; pad ^= 0xEC ^ 0x11) append(pad, 8);
    std::vector<std::uint8_t> codewords(bits.size() / 8);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (bits[i]) codewords[i / 8] |= static_cast<std::uint8_t>(0x80U >> (i % 8));
    }
    const auto ec = qr_error_correction(codewords, v.ec_codewords);
    codewords.insert(codewords.end(), ec.begin(), ec.end());

    const int n = 21 + 4 * static_cast<int>(version);
    Matrix m(n);
    for (int i = 0; i < n; ++i) {
        m.set(6, i, i % 2 == 0);
        m.set(i, 6, i % 2 == 0);
    }
    finder(m, 3, 3);
    finder(m, n - 4, 3);
    finder(m, 3, n - 4);
    if (version > 0) {
        const int c = n - 7;
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx)
                m.set(c + dx, c + dy, std::max(std::abs(dx), std::abs(dy)) != 1);
        }
    }
    format_bits(m);

    // The codewords in two-module columns from the bottom right, up and down in turn.
    std::size_t i = 0;
    for (int right = n - 1; right >= 1; right -= 2) {
        if (right == 6) right = 5;
        const bool upward = ((right + 1) & 2) == 0;
        for (int step = 0; step < n; ++step) {
            const int y = upward ? n - 1 - step : step;
            for (int x = right; x >= right - 1; --x) {
                if (m.fixed(x, y)) continue;
                const bool dark =
                    i < codewords.size() * 8 && ((codewords[i / 8] >> (7 - i % 8)) & 1U) != 0;
                m.put(x, y, dark);
                ++i;
            }
        }
    }
    // Mask 0: every module whose row and column add up to an even number is inverted.
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            if (!m.fixed(x, y) && (x + y) % 2 == 0) m.flip(x, y);
        }
    }
    return {n, m.take()};
}

}  // namespace kyomat
