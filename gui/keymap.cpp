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

}  // namespace

std::optional<KeyEvent> map_key(int qt_key, Qt::KeyboardModifiers mods, quint32 scan_code,
                                quint32 native_virtual_key) {
    KeyEvent ev;
    ev.mods.shift = mods.testFlag(Qt::ShiftModifier);
    ev.mods.ctrl = mods.testFlag(Qt::ControlModifier);
    ev.mods.alt = mods.testFlag(Qt::AltModifier);
    const bool keypad = mods.testFlag(Qt::KeypadModifier);

    if (keypad) {
        if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) {
            ev.key = static_cast<std::uint16_t>(vk::numpad0 + (qt_key - Qt::Key_0));
            return ev;
        }
        if (qt_key == Qt::Key_Plus) {
            ev.key = 0x6B;  // VK_ADD: not the "+" key of the main block
            return ev;
        }
    }
#ifdef Q_OS_WIN
    if (native_virtual_key != 0) {
        ev.key = static_cast<std::uint16_t>(native_virtual_key);
        return ev;
    }
#else
    (void)native_virtual_key;
#endif
    // X11 key codes 10..19 are the digit row 1..9, 0 on every layout.
    if (!keypad && scan_code >= 10 && scan_code <= 19) {
        ev.key = static_cast<std::uint16_t>(scan_code == 19 ? '0' : '1' + (scan_code - 10));
        return ev;
    }
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9) {
        ev.key = static_cast<std::uint16_t>('0' + (qt_key - Qt::Key_0));
        return ev;
    }
    if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) {
        ev.key = static_cast<std::uint16_t>('A' + (qt_key - Qt::Key_A));
        return ev;
    }
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F12) {
        ev.key = static_cast<std::uint16_t>(vk::f1 + (qt_key - Qt::Key_F1));
        return ev;
    }
    if (qt_key == Qt::Key_Space) {
        ev.key = vk::space;
        return ev;
    }
    // Without a physical key code the German layout's shifted digit symbols are digits.
    if (scan_code == 0 && ev.mods.shift) {
        if (const auto digit = german_shifted_digit(qt_key)) {
            ev.key = static_cast<unsigned char>(*digit);
            return ev;
        }
    }
    switch (qt_key) {
        case Qt::Key_Plus:      // German "+", US Shift+"="
        case Qt::Key_Asterisk:  // German Shift+"+" (the digit row was handled above)
        case Qt::Key_Equal:     // US "="
            ev.key = vk::oem_plus;
            return ev;
        case Qt::Key_NumberSign:  // German "#"
        case Qt::Key_Apostrophe:  // German Shift+"#"
        case Qt::Key_Slash:       // US "/"
        case Qt::Key_Question:    // US Shift+"/"
            if (qt_key == Qt::Key_Apostrophe && !ev.mods.shift) return std::nullopt;
            ev.key = vk::oem_2;
            return ev;
        default:
            return std::nullopt;
    }
}

std::optional<KeyEvent> map_key(const QKeyEvent& event) {
    return map_key(event.key(), event.modifiers(), event.nativeScanCode(),
                   event.nativeVirtualKey());
}

}  // namespace kyomat
