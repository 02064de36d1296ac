#include <gtest/gtest.h>

#include "data/core/basis.h"
#include "data/core/catalogue.h"

using namespace kyomat;

TEST(Basis, TrimRightRemovesTrailingBlanksOnly) {
    EXPECT_EQ(trim_right("  a  "), "  a");
    EXPECT_EQ(trim_right("   "), "");
    EXPECT_EQ(trim_right("a\t"), "a\t");
    EXPECT_EQ(trim_right(""), "");
}

TEST(Basis, UpperCaseMapsLettersAndUmlautsOnly) {
    EXPECT_EQ(upper_case_de("weiß grün"), "WEIß GRÜN");
    EXPECT_EQ(upper_case_de("äöü é"), "ÄÖÜ é");
    EXPECT_EQ(upper_case_de("$0113c4"), "$0113C4");
}

TEST(Basis, IsIntegerFollowsTheStandardConversion) {
    EXPECT_TRUE(is_integer("12"));
    EXPECT_TRUE(is_integer("  -30"));
    EXPECT_TRUE(is_integer("+7"));
    EXPECT_TRUE(is_integer("2147483647"));
    EXPECT_TRUE(is_integer("-2147483648"));
    EXPECT_FALSE(is_integer("2147483648"));
    EXPECT_FALSE(is_integer(""));
    EXPECT_FALSE(is_integer("-"));
    EXPECT_FALSE(is_integer("12 "));
    EXPECT_FALSE(is_integer("abc"));
    EXPECT_FALSE(is_integer("H"));
    EXPECT_EQ(to_integer(" -30"), -30);
}

TEST(Basis, DigitsToNumberJoinsTheDigits) {
    EXPECT_EQ(digits_to_number(""), 0);
    EXPECT_EQ(digits_to_number("abc"), 0);
    EXPECT_EQ(digits_to_number("0:12"), 12);
    EXPECT_EQ(digits_to_number("12:3"), 123);
    EXPECT_EQ(digits_to_number("Punkte 7"), 7);
    EXPECT_EQ(digits_to_number("-5"), 5);
    EXPECT_EQ(digits_to_number("2,5"), 25);
    // Beyond 32 bits the conversion fails instead of wrapping.
    EXPECT_FALSE(digits_to_number_checked("99999999999").has_value());
    EXPECT_EQ(digits_to_number("99999999999"), 0);
    EXPECT_EQ(conversion_error_text("abc"), "'abc' ist kein gültiger Integerwert");
}

TEST(Basis, FormatNumberPadsOnTheLeft) {
    EXPECT_EQ(format_number(5, 2), "05");
    EXPECT_EQ(format_number(7, 2), "07");
    EXPECT_EQ(format_number(12, 2), "12");
    EXPECT_EQ(format_number(100, 2), "100");
    EXPECT_EQ(format_number(0, 1), "0");
    EXPECT_EQ(format_number(-5, 3), "0-5");
    EXPECT_EQ(format_number(1, 40), std::string(15, '0') + "1");
    EXPECT_EQ(larger_of(3, 9), 9);
    EXPECT_EQ(bool_to_digit(true), "1");
    EXPECT_EQ(bool_to_digit(false), "0");
}

TEST(Basis, DateTextsBecomeNumbers) {
    EXPECT_EQ(date_text_to_number("29.02.2023"), 1);
    EXPECT_EQ(date_text_to_number("31.04.2024"), 1);
    EXPECT_EQ(date_text_to_number("29.02.2024"), 20240229);
    EXPECT_EQ(date_text_to_number("1.3.24"), 20240301);
    EXPECT_EQ(date_text_to_number("010399"), 19990301);
    EXPECT_EQ(date_text_to_number("06122026"), 20261206);
    EXPECT_EQ(date_text_to_number("6.12.2026"), 20261206);
    EXPECT_EQ(date_text_to_number(""), 0);
    EXPECT_EQ(date_text_to_number("2026-12-06"), 1);  // no dots, wrong length
    EXPECT_EQ(date_text_to_number("1.3."), 1);        // no year
    EXPECT_EQ(date_text_to_number("1.13.2024"), 1);
    EXPECT_EQ(date_text_to_number("1.3.1899"), 1);
    EXPECT_EQ(date_text_to_number("29.02.2100"), 21000229);  // no century rule
    EXPECT_EQ(date_text_to_number("1.3.45"), 20450301);
    EXPECT_EQ(date_text_to_number("1.3.46"), 19460301);
    const int today = today_as_number();
    EXPECT_GT(today, 20000101);
}

TEST(Basis, TimeTextsBecomeNumbers) {
    EXPECT_EQ(time_text_to_number("23:59:59"), 235959);
    EXPECT_EQ(time_text_to_number("10:23:45"), 102345);
    EXPECT_EQ(time_text_to_number("10:23:75"), 2501);
    EXPECT_EQ(time_text_to_number(""), 2500);
    EXPECT_EQ(time_text_to_number("25:00:00"), 0);
    const int now = now_as_number();
    EXPECT_GE(now, 0);
    EXPECT_LE(now, 240000);
}

TEST(Catalogue, TextsKindsAndFallback) {
    EXPECT_EQ(catalogue_message(3002), "Altersklasse nicht eindeutig (3002)");
    EXPECT_EQ(catalogue_kind(3002), MessageKind::warning);
    EXPECT_EQ(catalogue_message(306),
              "Kein offener Kampf mehr in der Kampfliste, oder die Kampfliste kann nicht gelesen "
              "werden. Öffnen Sie die Liste mit einem Doppelklick im Listenbereich der Steuerung, "
              "oder geben Sie den nächsten Kampf mit \"Kampf eingeben\" ein (306)");
    EXPECT_EQ(catalogue_kind(306), MessageKind::hint);
    EXPECT_EQ(catalogue_kind(1000), MessageKind::hint);
    EXPECT_EQ(catalogue_kind(1001), MessageKind::warning);
    EXPECT_EQ(catalogue_kind(10000), MessageKind::warning);
    EXPECT_EQ(catalogue_kind(10001), MessageKind::error);
    EXPECT_EQ(catalogue_message(10001), "Programmfehler (10001)");
    // The numbers the program raises itself all say what happened, each with its icon.
    for (const int n : {k_msg_reconnected, k_msg_no_open_bout, k_msg_gong_unavailable, 19909}) {
        EXPECT_EQ(catalogue_text(n).find("Programmfehler"), std::string::npos) << n;
    }
    EXPECT_EQ(catalogue_message(105),
              "Verbindung erneuert: die Kampfliste wird wieder gelesen und geschrieben (105)");
    EXPECT_EQ(catalogue_kind(105), MessageKind::hint);
    EXPECT_EQ(catalogue_kind(3007), MessageKind::warning);
    EXPECT_EQ(catalogue_kind(19909), MessageKind::error);
    EXPECT_EQ(catalogue_text(31023), "Barcode nicht korrekt !");
    EXPECT_EQ(catalogue_text(31035), "Wiegedaten außerhalb Toleranz");
}
