#include <gtest/gtest.h>

#include "data/core/cp1252.h"

using namespace kyomat;

TEST(Cp1252, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = cp1252_to_utf8(all);
    int bad = -1;
    EXPECT_EQ(utf8_to_cp1252(utf8, &bad), all);
    EXPECT_EQ(bad, 0);
}

TEST(Cp1252, GermanAndSpecialCharacters) {
    EXPECT_EQ(cp1252_to_utf8("M\xFCller \x80 \x84"), "Müller € „");
    EXPECT_EQ(utf8_to_cp1252("Weiß €"), "Wei\xDF \x80");
}

TEST(Cp1252, UnmappableCharactersAreCountedNotDropped) {
    int bad = 0;
    EXPECT_EQ(utf8_to_cp1252("a\xE4\xB8\xAD"
                             "b",
                             &bad),
              "a?b");  // a Chinese character
    EXPECT_EQ(bad, 1);
    EXPECT_EQ(utf8_to_cp1252("x\xC3", &bad), "x?");  // cut-off sequence
    EXPECT_EQ(bad, 1);
}

TEST(Cp1252, CharacterPositions) {
    EXPECT_EQ(utf8_length("Müller"), 6u);
    EXPECT_EQ(utf8_find("Bö, Li", ','), 2u);
    EXPECT_EQ(utf8_substr("Jörg, Hans", 0, 4), "Jörg");
    EXPECT_EQ(utf8_substr("Jörg, Hans", 6), "Hans");
    EXPECT_EQ(utf8_find("abc", ','), std::string::npos);
}
