#pragma once
// Code page 1252 <-> UTF-8. Files on disk (kyomat.ini, bout lists) are code page 1252; inside
// the program every text is UTF-8.
#include <string>
#include <string_view>

namespace kyomat {

// Every byte decodes; the five bytes without a character in code page 1252 become the C1
// control characters of the same value, so any file survives a decode/encode round trip.
std::string cp1252_to_utf8(std::string_view bytes);

// Encodes UTF-8 text. A character that code page 1252 cannot hold is replaced by '?' and
// counted in *unmappable (when given), so the caller can tell the operator instead of losing
// it silently. Malformed UTF-8 counts as unmappable too.
std::string utf8_to_cp1252(std::string_view text, int* unmappable = nullptr);
// The same, appended to out; returns the number of characters replaced by '?'.
int append_as_cp1252(std::string& out, std::string_view text);
// The same, written at out, which has room for text.size() bytes; returns the end of what
// was written and adds the replaced characters to unmappable.
char* encode_cp1252(char* out, std::string_view text, int& unmappable);
// The end of the run of ASCII bytes that starts at from (text.size() when it runs to the end).
std::size_t ascii_run_end(std::string_view text, std::size_t from);

// How a text file is read: a file that is valid UTF-8 and holds at least one character
// beyond ASCII, or starts with the UTF-8 byte order mark, is UTF-8 (an editor saved it so);
// every other file is code page 1252 (a mark before it is dropped), whose umlauts next to
// letters are never valid UTF-8. Text in code page 1252 that happens to be valid UTF-8
// ("Ã¤" and the like) is read as UTF-8: no real name or club looks like that. Files are
// always written in code page 1252.
std::string_view without_utf8_bom(std::string_view bytes);
bool is_utf8_text(std::string_view bytes);
// The file's bytes as code page 1252, whichever of the two it was written in (characters
// that code page 1252 cannot hold become '?').
std::string file_bytes_as_cp1252(std::string_view bytes);

// Number of characters (code points) in a UTF-8 text.
std::size_t utf8_length(std::string_view text);
// The characters [first, first + count) of a UTF-8 text, counted in code points.
std::string utf8_substr(std::string_view text, std::size_t first,
                        std::size_t count = std::string_view::npos);
// A text as far as anybody can read it on a board, a page, the panel or the live view: its
// first k_shown_characters characters, and "…" when there were more. The list and the
// protocol keep the whole text; measuring 100 000 characters would hold the clock.
constexpr std::size_t k_shown_characters = 300;
std::string shown_part(std::string_view text);
// Position (from 0, in code points) of the first occurrence of an ASCII character, or npos.
std::size_t utf8_find(std::string_view text, char c);

}  // namespace kyomat
