#pragma once
// The numbered message catalogue. Showing a message is the platform's job; this only turns a
// number into its text and its kind letter.
#include <string>

namespace kyomat {

// How a message is shown. The letter is the kind's name in the operator's message log and in
// the scenario files ("message F ...").
enum class MessageKind : char { hint = 'H', warning = 'W', error = 'F', plain = 'M' };
inline char letter(MessageKind kind) {
    return static_cast<char>(kind);
}

// The numbers the program itself raises.
constexpr int k_msg_reconnected = 105;
constexpr int k_msg_no_open_bout = 306;
constexpr int k_msg_values_cleared = 2001;
constexpr int k_msg_gong_unavailable = 3007;

// The catalogue text, or "Programmfehler" for a number that is not in it.
std::string catalogue_text(int number);
// A hint up to 1000, a warning from 1001 to 10000, an error above.
MessageKind catalogue_kind(int number);
// The text as the operator sees it: catalogue text, a blank, the number in parentheses.
std::string catalogue_message(int number);

}  // namespace kyomat
