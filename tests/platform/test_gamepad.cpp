// Game controllers through SDL's virtual joysticks (no hardware): found when plugged in, their
// buttons told by name from whichever controller, and one unplugged let go.
#include <gtest/gtest.h>

#include <SDL.h>

#include <QCoreApplication>
#include <vector>

#include "platform/gamepad.h"

namespace {

struct Seen {
    std::vector<std::string> buttons;  // "pad:button:down"
    std::vector<std::string> devices;  // "+name" / "-name"
};

// A virtual controller with every button of a game controller, opened to press them.
struct VirtualPad {
    explicit VirtualPad(const char* name) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = name;
        index = SDL_JoystickAttachVirtualEx(&desc);
        joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
        id = joystick != nullptr ? SDL_JoystickInstanceID(joystick) : -1;
    }
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;
    void set(SDL_GameControllerButton b, bool down) const {
        SDL_JoystickSetVirtualButton(joystick, b, down ? SDL_PRESSED : SDL_RELEASED);
    }
    void unplug() {
        if (joystick == nullptr) return;
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        }
    }
    int index = -1;
    SDL_Joystick* joystick = nullptr;
    SDL_JoystickID id = -1;
};

}  // namespace

TEST(Gamepads, FoundPressedAndLetGo) {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
    Seen seen;
    kyomat::Gamepads pads({[&seen](int pad, const std::string& button, bool down, int /*late_ms*/) {
                               seen.buttons.push_back(std::to_string(pad) + ":" + button +
                                                      (down ? ":down" : ":up"));
                           },
                           [&seen](int, const QString& n, bool added) {
                               seen.devices.push_back((added ? "+" : "-") + n.toStdString());
                           }});
    QString why;
    ASSERT_TRUE(pads.start(why)) << why.toStdString();
    EXPECT_TRUE(pads.connected().isEmpty());

    VirtualPad first("Pad Eins");
    VirtualPad second("Pad Zwei");
    ASSERT_GE(first.index, 0) << SDL_GetError();
    ASSERT_GE(second.index, 0) << SDL_GetError();
    pads.look();
    EXPECT_EQ(pads.connected(), (QStringList{"Pad Eins", "Pad Zwei"}));
    EXPECT_EQ(seen.devices, (std::vector<std::string>{"+Pad Eins", "+Pad Zwei"}));

    // Two controllers at once, each told as itself.
    first.set(SDL_CONTROLLER_BUTTON_A, true);
    pads.look();
    second.set(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    pads.look();
    first.set(SDL_CONTROLLER_BUTTON_A, false);
    pads.look();
    const std::string a = std::to_string(first.id), b = std::to_string(second.id);
    EXPECT_EQ(seen.buttons,
              (std::vector<std::string>{a + ":a:down", b + ":dpup:down", a + ":a:up"}));

    // Unplugged while its button is held: let go, and the other one goes on.
    first.set(SDL_CONTROLLER_BUTTON_B, true);
    first.unplug();
    seen.buttons.clear();
    pads.look();
    EXPECT_EQ(pads.connected(), QStringList{"Pad Zwei"});
    EXPECT_EQ(seen.devices.back(), "-Pad Eins");
    second.set(SDL_CONTROLLER_BUTTON_DPAD_UP, false);
    pads.look();
    EXPECT_EQ(seen.buttons.back(), b + ":dpup:up");
}
