// A gamepad on the real program, through SDL's virtual controllers: its buttons act while the
// control panel is open without keys relayed (typed keys would not reach the board), never
// while a dialog is open, and a controller unplugged mid-bout is let go with a note.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <SDL.h>

#include "gui/program_rig.h"

using namespace kyomat;

namespace {

const char* const k_ini =
    "[anzeige]\r\nanz_links=0\r\ncontrol=1\r\npanel_tasten=0\r\ngewk=-\r\n"
    "[gamepad]\r\ndpup=2\r\nb=Leertaste\r\numschalt=back\r\npaar1=start+guide:Strg+E\r\n";

// A virtual controller with every button of a game controller, opened to press them.
struct VirtualPad {
    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Testpad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        joystick = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    }
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;
    void tap(SDL_GameControllerButton b) const {
        SDL_JoystickSetVirtualButton(joystick, b, SDL_PRESSED);
        QTest::qWait(60);
        SDL_JoystickSetVirtualButton(joystick, b, SDL_RELEASED);
        QTest::qWait(60);
    }
    void unplug() {
        if (joystick == nullptr) return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
        SDL_JoystickClose(joystick);
        joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        }
    }
    SDL_Joystick* joystick = nullptr;
};

}  // namespace

class TestGamepadInput : public QObject {
    Q_OBJECT

  private slots:
    void buttons_act_past_the_panel_but_never_into_a_dialog() {
        testing::ProgramRig<> rig(k_ini);
        Program& program = rig.program;
        program.scoreboard.show();
        program.scoreboard.engine().internals_for_tests().state.control_panel_active = true;
        ControlPanel& panel = program.control_panel();
        panel.show();
        QVERIFY(program.gamepad != nullptr);
        const auto field = [&panel](const char* name) {
            return panel.findChild<QLineEdit*>(name)->text();
        };
        const auto note = [&panel] { return panel.findChild<QLabel*>("sbHinweis")->text(); };

        VirtualPad pad;
        QVERIFY2(pad.joystick != nullptr, SDL_GetError());
        QTRY_VERIFY_WITH_TIMEOUT(note().contains("Gamepad verbunden: Testpad"), 3000);
        QVERIFY(program.gamepad->status().contains("Testpad"));
        pad.tap(SDL_CONTROLLER_BUTTON_DPAD_UP);
        QTRY_COMPARE(field("edt_W_b"), QString("1"));

        // A dialog is open: the button is refused with a note and gives nothing.
        QDialog dialog(&program.scoreboard);
        dialog.open();
        QTRY_VERIFY(QApplication::activeModalWidget() == &dialog);
        pad.tap(SDL_CONTROLLER_BUTTON_DPAD_UP);
        QTRY_COMPARE(note(), QString("Erst den Dialog schließen"));
        QCOMPARE(field("edt_W_b"), QString("1"));
        dialog.close();

        // Back held: the take-back.
        SDL_JoystickSetVirtualButton(pad.joystick, SDL_CONTROLLER_BUTTON_BACK, SDL_PRESSED);
        QTest::qWait(60);
        pad.tap(SDL_CONTROLLER_BUTTON_DPAD_UP);
        QTRY_COMPARE(field("edt_W_b"), QString("0"));

        // Unplugged with Back still held: told, and gone from the status bar.
        pad.unplug();
        QTRY_VERIFY(note().contains("Gamepad getrennt: Testpad"));
        QVERIFY(program.gamepad->status().isEmpty());
        panel.hide();
        program.scoreboard.close();
    }
};

QTEST_MAIN(TestGamepadInput)
#include "test_gamepad_input.moc"
