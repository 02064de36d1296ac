#pragma once
// Small text and number routines shared by every window and by the engine. All texts are
// UTF-8; positions and lengths are counted in characters where it matters.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kyomat {

// Removes trailing blanks (code 32) only; tabs and leading blanks stay.
std::string trim_right(std::string_view text);
// Without leading and trailing blanks and tabs.
std::string trim_blanks(std::string_view text);

// Capitals for a-z and the German umlauts ä ö ü; everything else (ß included) stays.
std::string upper_case_de(std::string_view text);

// The standard text-to-integer conversion: optional leading blanks, optional sign, decimal
// digits, nothing after them, within the signed 32-bit range.
std::optional<std::int32_t> to_integer(std::string_view text);
inline bool is_integer(std::string_view text) {
    return to_integer(text).has_value();
}

// The number formed by the decimal digits of the text, every other character ignored; a text
// without digits gives 0. Digits beyond the signed 32-bit range give no value: the caller
// reports them as a conversion error (see conversion_error_text).
std::optional<std::int32_t> digits_to_number_checked(std::string_view text);
// As above, with 0 for an overflow (for callers that report nothing).
std::int32_t digits_to_number(std::string_view text);
// Only the digits of a text (the text that the conversion of digits_to_number sees).
std::string digits_of(std::string_view text);

// A setting's number as written: blanks around it, then only the decimal digits 0 to 9; no
// text at all gives 0. Anything else ("-1", "+2", "0x3", "1e1", "2,5") and digits beyond the
// signed 32-bit range give no value: the caller reports it and keeps the usual value, since
// reading the digits alone would turn "-1" into 1 without a word.
std::optional<std::int32_t> setting_number(std::string_view text);

// "'<text>' ist kein gültiger Integerwert": the operator's message for a failed conversion.
std::string conversion_error_text(std::string_view text);

inline std::int64_t larger_of(std::int64_t a, std::int64_t b) {
    return b > a ? b : a;
}

// Decimal text of value, zero-padded on the left to width (at most 15 zeros); a negative
// value is padded in front of its minus sign: (-5, 3) gives "0-5".
std::string format_number(std::int64_t value, int width);

inline std::string bool_to_digit(bool b) {
    return b ? "1" : "0";
}

// Converts a short-date text (such as "29.02.2024", "1.3.24" or "010399") to yyyymmdd;
// an empty text gives 0, an invalid date 1.
std::int32_t date_text_to_number(std::string_view text);
// Converts a long-time text (such as "10:23:45") to hhmmss; empty gives 2500, seconds or
// minutes digits above 59 give 2501, a number above 240000 gives 0.
std::int32_t time_text_to_number(std::string_view text);
// Today's date and the time of day in the system's local time.
std::int32_t today_as_number();
// The local date and time in a strftime format ("%Y-%m-%d", "%H:%M:%S").
std::string local_time_text(const char* format);
std::int32_t now_as_number();

}  // namespace kyomat
