#include "gui/keymap.h"

namespace kyomat {
namespace {

// Shifted symbols of the German digit row, 1 to 0.
std::optional<char> german_shifted_digit(int qt_key) {
    switch (qt_key) {
        case Qt::Key_Exclam:
            return '1';
        case Qt::Key_QuoteDbl:
            return '2';
        case Qt::Key_section:
            return '3';
        case Qt::Key_Dollar:
            return '4';
        case Qt::Key_Percent:
            return '5';
        case Qt::Key_Ampersand:
            return '6';
        case Qt::Key_Slash:
            return '7';
        case Qt::Key_ParenLeft:
            return '8';
        case Qt::Key_ParenRight:
            return '9';
        case Qt::Key_Equal:
            return '0';
        default:
            return std::nullopt;
    }
}

using Code = std::optional<std::uint16_t>;

// The number pad's digits and its "+".
Code keypad_key(int qt_key) {
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
        return static_cast<std::uint16_t>(vk::numpad0 + (qt_key - Qt::Key_0));
    if (qt_key == Qt::Key_Plus) return 0x6B;  // VK_ADD: not the "+" key of the main block
    return std::nullopt;
}

// The digits (by their place on the keyboard when it is known), letters, F1 to F12, Space.
Code named_key(int qt_key, quint32 scan_code, bool keypad) {
    // X11 key codes 10..19 are the digit row 1..9, 0 on every layout.
    if (!keypad && scan_code >= 10 && scan_code <= 19)
        return static_cast<std::uint16_t>(scan_code == 19 ? '0' : '1' + (scan_code - 10));
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
        return static_cast<std::uint16_t>('0' + (qt_key - Qt::Key_0));
    if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z)
        return static_cast<std::uint16_t>('A' + (qt_key - Qt::Key_A));
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12)
        return static_cast<std::uint16_t>(vk::f1 + (qt_key - Qt::Key_F1));
    if (qt_key == Qt::Key_Space) return vk::space;
    return std::nullopt;
}

// The "+" and "#" keys of the German and US layouts.
Code symbol_key(int qt_key, quint32 scan_code, bool shift) {
    // Without a physical key code the German layout's shifted digit symbols are digits.
    if (scan_code == 0 && shift) {
        if (const auto digit = german_shifted_digit(qt_key))
            return static_cast<unsigned char>(*digit);
    }
    switch (qt_key) {
        case Qt::Key_Plus:      // German "+", US Shift+"="
        case Qt::Key_Asterisk:  // German Shift+"+" (the digit row was handled above)
        case Qt::Key_Equal:     // US "="
            return vk::oem_plus;
        case Qt::Key_NumberSign:  // German "#"
        case Qt::Key_Apostrophe:  // German Shift+"#"
        case Qt::Key_Slash:       // US "/"
        case Qt::Key_Question:    // US Shift+"/"
            if (qt_key == Qt::Key_Apostrophe && !shift) return std::nullopt;
            return vk::oem_2;
        default:
            return std::nullopt;
    }
}

}  // namespace

std::optional<KeyEvent> map_key(int qt_key, Qt::KeyboardModifiers mods, quint32 scan_code,
                                quint32 native_virtual_key) {
    KeyEvent ev;
    ev.mods.shift = mods.testFlag(Qt::ShiftModifier);
    ev.mods.ctrl = mods.testFlag(Qt::ControlModifier);
    ev.mods.alt = mods.testFlag(Qt::AltModifier);
    const bool keypad = mods.testFlag(Qt::KeypadModifier);
    Code key = keypad ? keypad_key(qt_key) : std::nullopt;
#ifdef Q_OS_WIN
    if (!key && native_virtual_key != 0) key = static_cast<std::uint16_t>(native_virtual_key);
#else
    (void)native_virtual_key;
#endif
    if (!key) key = named_key(qt_key, scan_code, keypad);
    if (!key) key = symbol_key(qt_key, scan_code, ev.mods.shift);
    if (!key) return std::nullopt;
    ev.key = *key;
    return ev;
}

std::optional<KeyEvent> map_key(const QKeyEvent& event) {
    return map_key(event.key(), event.modifiers(), event.nativeScanCode(),
                   event.nativeVirtualKey());
}

}  // namespace kyomat
