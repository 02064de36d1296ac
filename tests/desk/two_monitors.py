#!/usr/bin/env python3
"""The two-monitor desk: the real program on an Xorg server with the dummy video driver and two
RandR monitors, a laptop (LAPTOP, 1366 x 768 at 0,0) and a projector (BEAMER, 1920 x 1080 at
1366,0). The projector's cable is pulled with `xrandr --delmonitor` and plugged back with
`--setmonitor`. Read back through the live view, the X window list and real keys.

    two_monitors.py PROGRAM ASSETS_DIR WM [CASE ...]
"""
import os
import shutil
import sys
import tempfile
import time
import traceback

import desk
from desk import BOARD, GREEN, PANEL, QUESTION, DeskFailure, Program, close_enough

BEAMER = (1366, 0, 1920, 1080)
NOTE = "KYOMAT - Hinweis"
WAIT = "KYOMAT - Bitte warten"
ENTRY = "KYOMAT - Kampf eingeben für Anzeigetafel"
CONFIG = """Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "3286x1080" 300.00 3286 3288 3290 3292 1080 1082 1084 1086
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "3286x1080"
    Virtual 3286 1080
  EndSubSection
EndSection
"""


class TwoMonitorDesk(desk.Desk):
    def start(self):
        self.folder = tempfile.mkdtemp(prefix="kyomat-xorg-")
        config = os.path.join(self.folder, "xorg.conf")
        with open(config, "w") as f:
            f.write(CONFIG)
        self.start_server(["Xorg", "-config", config, "-noreset", "-nolisten", "tcp",
                           "-logfile", os.path.join(self.folder, "xorg.log")])
        self.x("xrandr", "--setmonitor", "LAPTOP", "1366/340x768/190+0+0", "DUMMY0")
        self.plug()
        self.start_wm()

    def close(self):
        super().close()
        if getattr(self, "folder", None):
            shutil.rmtree(self.folder, ignore_errors=True)

    def plug(self):
        self.x("xrandr", "--setmonitor", "BEAMER", "1920/480x1080/270+1366+0", "none")

    def pull(self):
        self.x("xrandr", "--delmonitor", "BEAMER")


def board_geometry(p):
    """Where the board is and how large, or None when it is not shown."""
    window = p.window(BOARD)
    if window is None:
        return None
    out = p.desk.x("xwininfo", "-id", window)
    values = dict(line.split(":", 1) for line in out.splitlines() if ":" in line)
    get = lambda key: int(values[key].strip())
    return (get("  Absolute upper-left X"), get("  Absolute upper-left Y"), get("  Width"),
            get("  Height"))


def on_the_beamer(p):
    return board_geometry(p) == BEAMER


def named_monitor(p):
    p.wait(lambda: on_the_beamer(p), "the board full screen on BEAMER")


def pulled_and_plugged(p):
    p.wait(lambda: on_the_beamer(p), "the board on BEAMER")
    p.desk.pull()
    p.wait(lambda: board_geometry(p) is None, "the board hidden, not on the laptop")
    p.wait(lambda: p.window(PANEL) is not None, "the panel on the laptop")
    # The keys still count: typed into the panel, they reach the board.
    p.wait(lambda: p.focus() == PANEL, "the panel with the keys")
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the bout loaded")
    p.key("2")
    p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "1", "the Waza-ari counted")
    p.desk.plug()
    p.wait(lambda: on_the_beamer(p), "the board back full screen on BEAMER")
    p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "1", "the board as it is now")


def window_box(p, name):
    out = p.desk.x("xwininfo", "-id", p.window(name))
    values = dict(line.split(":", 1) for line in out.splitlines() if ":" in line)
    get = lambda key: int(values[key].strip())
    return (get("  Absolute upper-left X"), get("  Absolute upper-left Y"), get("  Width"),
            get("  Height"))


def on_the_laptop(box):
    x, y, w, h = box
    return x >= 0 and x + w <= 1366 and y + h <= 768


def note_on_the_operators_monitor(p):
    """With the panel closed, a note appears on the laptop, not on the projector behind."""
    p.wait(lambda: on_the_beamer(p), "the board on BEAMER")
    p.click(1366 + 900, 700)
    p.wait(lambda: p.focus() == BOARD, "the board with the keys")
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the bout loaded")
    p.key("space")
    p.wait_state(lambda s: s["clock"]["running"], "the clock running")
    p.key("ctrl+n")
    p.wait(lambda: p.window(NOTE), "the note window")
    if not on_the_laptop(window_box(p, NOTE)):
        raise DeskFailure(f"the note is not on the laptop: {window_box(p, NOTE)}")
    if p.focus() != BOARD:
        raise DeskFailure(f"the note took the keys: {p.focus()!r}")


def wait_notice_above_the_panel(p):
    """'Bitte warten ...' while a page covers the projector: on the laptop, above the panel."""
    p.wait(lambda: on_the_beamer(p), "the board on BEAMER")
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the bout loaded")
    p.key("ctrl+t")
    p.wait(lambda: p.window(WAIT), "the wait notice")
    if not on_the_laptop(window_box(p, WAIT)):
        raise DeskFailure(f"the notice is not on the laptop: {window_box(p, WAIT)}")
    p.wait(lambda: PANEL in p.stacking() and WAIT in p.stacking() and
           p.stacking().index(WAIT) > p.stacking().index(PANEL), "the notice above the panel")


def dialog_after_a_page_above_the_panel(p):
    """A dialog opened right after a page is above the panel, and stays there."""
    p.wait(lambda: on_the_beamer(p), "the board on BEAMER")
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the bout loaded")
    p.key("ctrl+t")
    p.wait(lambda: p.window("KYOMAT - Textseite") is None, "the pages over")
    p.key("ctrl+e")
    p.key("ctrl+k")
    p.wait(lambda: p.window(ENTRY), "the bout entry")
    for _ in range(3):
        time.sleep(1)
        order = p.stacking()
        if ENTRY not in order or order.index(ENTRY) < order.index(PANEL):
            raise DeskFailure(f"the bout entry is under the panel: {order}")
    p.key("Escape")


def focus_circle(p):
    """Where the board's focus circle is: the green spot in its bottom right corner."""
    x0, y0, size = 1366 + 1920 - 90, 1080 - 90, 90
    pixels = p.area(x0, y0, size, size)
    for i in range(0, len(pixels), 3):
        if close_enough(tuple(pixels[i:i + 3]), GREEN, 30):
            return x0 + (i // 3) % size + 3, y0 + (i // 3) // size + 3
    raise DeskFailure("no green focus circle on the board")


def questions_on_the_laptop(p):
    """After a click on the board, every question opens on the laptop, and a reflex Space at
    the exit question during a bout leaves the program running."""
    p.wait(lambda: on_the_beamer(p), "the board on BEAMER")
    p.click(1366 + 900, 700)
    p.wait(lambda: p.focus() == BOARD, "the board with the keys")
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the bout loaded")
    p.key("2", "space")
    p.wait_state(lambda s: s["clock"]["running"], "the bout running")
    p.key("ctrl+e")
    p.wait(lambda: p.window(QUESTION), "the question before the reset")
    if not on_the_laptop(window_box(p, QUESTION)):
        raise DeskFailure(f"Ctrl+E's question is on the projector: {window_box(p, QUESTION)}")
    p.key("Escape")
    p.wait(lambda: not p.window(QUESTION), "the question closed")
    p.click(*focus_circle(p))
    p.wait(lambda: p.window(QUESTION), "the exit question")
    if not on_the_laptop(window_box(p, QUESTION)):
        raise DeskFailure(f"the exit question is on the projector: {window_box(p, QUESTION)}")
    p.wait(lambda: p.focus() == QUESTION, "the question with the keys")
    p.key("space")
    p.wait(lambda: not p.window(QUESTION), "the exit question answered by Space")
    time.sleep(0.5)
    if p.proc.poll() is not None or p.state()["blue"]["waza_ari"]["text"] != "1":
        raise DeskFailure("Space at the exit question ended the bout")


def keys_on_the_board_after_a_replug(p):
    """control=0, panel_tasten=0: the panel the program opened for a pulled projector leaves
    the keys working when the projector comes back."""
    p.wait(lambda: on_the_beamer(p), "the board on BEAMER")
    p.click(1366 + 900, 700)
    p.wait(lambda: p.focus() == BOARD, "the board with the keys")
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the bout loaded")
    p.desk.pull()
    p.wait(lambda: p.window(PANEL) is not None and p.focus() == PANEL, "the panel with the keys")
    p.key("8")
    p.wait_state(lambda s: s["white"]["waza_ari"]["text"] == "1", "a key relayed by the panel")
    p.desk.plug()
    p.wait(lambda: on_the_beamer(p), "the board back on BEAMER")
    p.wait(lambda: p.focus() in (BOARD, PANEL), "the keys at the board or the panel")
    p.key("2")
    p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "1", "the Waza-ari typed after it")


def keys_through_a_replug_with_the_panel_open(p):
    """control=1: the panel open from the start. Pulled mid-bout, the panel relays the keys;
    plugged back during a hold-down, the keys that worked a moment ago go on working (F6,
    a Shido, Space), whatever panel_tasten says."""
    p.wait(lambda: on_the_beamer(p), "the board on BEAMER")
    p.desk.pull()
    # The panel had the keys already: the pull has been dealt with once the board is gone.
    p.wait(lambda: board_geometry(p) is None, "the board gone with the projector")
    p.wait(lambda: p.window(PANEL) is not None and p.focus() == PANEL, "the panel with the keys")
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the bout loaded by key")
    p.key("space")
    p.wait_state(lambda s: s["clock"]["running"], "the clock started by Space")
    p.key("8")
    p.wait_state(lambda s: s["white"]["waza_ari"]["text"] == "1", "a Waza-ari by key")
    p.key("F5")
    p.wait_state(lambda s: s["hold_down"]["running"], "the hold-down by F5")
    p.desk.plug()
    p.wait(lambda: on_the_beamer(p), "the board back on BEAMER")
    p.wait(lambda: p.focus() in (BOARD, PANEL), "the keys at the board or the panel")
    p.wait_state(lambda s: s["hold_down"]["seconds"] >= 2, "the hold-down counting on")
    p.key("F6")
    p.wait_state(lambda s: not s["hold_down"]["running"], "the hold-down ended by F6")
    p.key("4")
    p.wait_state(lambda s: s["blue"]["shido"]["text"] == "1", "a Shido by key")
    p.key("space")
    p.wait_state(lambda s: not s["clock"]["running"], "the clock stopped by Space")
    if p.state()["hold_down"]["seconds"] >= 10:
        raise DeskFailure("the hold-down ran on after the projector came back")


def started_without_the_beamer(p):
    p.wait(lambda: board_geometry(p) is None and p.window(PANEL), "the panel, no board")
    p.desk.plug()
    p.wait(lambda: on_the_beamer(p), "the board on BEAMER once it is plugged")


CASES = [
    (note_on_the_operators_monitor, {"anz_links": "1366", "control": "0"}),
    (wait_notice_above_the_panel, {"anz_links": "1366", "titel_dauer": "3"}),
    (dialog_after_a_page_above_the_panel, {"anz_links": "1366", "titel_dauer": "1"}),
    (named_monitor, {"anz_monitor": "BEAMER", "anz_links": ""}),
    (named_monitor, {"anz_monitor": "extern", "anz_links": ""}),
    (named_monitor, {"anz_monitor": "2", "anz_links": ""}),
    (named_monitor, {"anz_links": "1500"}),
    (pulled_and_plugged, {"anz_monitor": "BEAMER"}),
    (pulled_and_plugged, {"anz_links": "1366"}),
    (started_without_the_beamer, {"anz_monitor": "BEAMER"}),
    (questions_on_the_laptop, {"anz_links": "1366", "control": "0"}),
    (keys_on_the_board_after_a_replug,
     {"anz_monitor": "BEAMER", "anz_links": "", "control": "0", "panel_tasten": "0"}),
    (keys_through_a_replug_with_the_panel_open,
     {"anz_monitor": "BEAMER", "anz_links": "", "control": "1", "panel_tasten": "0"}),
    (keys_through_a_replug_with_the_panel_open,
     {"anz_monitor": "BEAMER", "anz_links": "", "control": "1", "panel_tasten": None}),
    (keys_through_a_replug_with_the_panel_open,
     {"anz_monitor": "BEAMER", "anz_links": "", "control": "1", "panel_tasten": "1"}),
]


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    program, assets, wm = sys.argv[1:4]
    wanted = sys.argv[4:]
    if os.geteuid() != 0:
        print("SKIP: Xorg with the dummy driver needs root")
        return 0
    the_desk = TwoMonitorDesk(wm)
    passed = failed = 0
    try:
        for case, settings in CASES:
            if wanted and case.__name__ not in wanted:
                continue
            name = f"{case.__name__} {settings}"
            p = None
            try:
                if case is started_without_the_beamer:
                    the_desk.pull()
                p = Program(the_desk, program, assets, settings,
                            panel=settings.get("control") != "0")
                case(p)
                print(f"PASS {wm} {name}")
                passed += 1
            except Exception as e:  # one case's failure must not stop the others
                failed += 1
                print(f"FAIL {wm} {name}: "
                      f"{e if isinstance(e, DeskFailure) else traceback.format_exc()}")
                shot = os.path.join(tempfile.gettempdir(), f"kyomat-two-{wm}-{case.__name__}.png")
                the_desk.x("import", "-window", "root", shot, check=False)
                print(f"     screenshot {shot}")
            finally:
                if p is not None:
                    p.close()
                if "BEAMER" not in the_desk.x("xrandr", "--listmonitors"):
                    the_desk.plug()
    finally:
        the_desk.close()
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
