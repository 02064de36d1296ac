#!/usr/bin/env python3
"""How soon the board is back on the projector: the real program on the two-monitor desk
(Xorg with the dummy driver, see tests/desk/two_monitors.py), the projector's monitor pulled
and plugged back ROUNDS times (10 by default); the time from the plug (`xrandr --setmonitor`
returning) until the board's window is mapped full screen on it again, and from the pull until
it is hidden. Needs root (Xorg).

    board_comes_back.py PROGRAM ASSETS_DIR [ROUNDS]
"""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "desk"))
import desk  # noqa: E402
import two_monitors  # noqa: E402


def measure(condition):
    start = time.monotonic()
    while not condition():
        if time.monotonic() - start > 30:
            raise desk.DeskFailure("timed out")
        time.sleep(0.005)
    return (time.monotonic() - start) * 1000


def main():
    program, assets = sys.argv[1:3]
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    the_desk = two_monitors.TwoMonitorDesk("openbox")
    back, gone = [], []
    try:
        p = desk.Program(the_desk, program, assets, {"anz_monitor": "BEAMER"})
        p.wait(lambda: two_monitors.on_the_beamer(p), "the board on BEAMER")
        for _ in range(rounds):
            the_desk.pull()
            gone.append(measure(lambda: two_monitors.board_geometry(p) is None))
            time.sleep(0.5)
            the_desk.plug()
            back.append(measure(lambda: two_monitors.on_the_beamer(p)))
            time.sleep(0.5)
        p.close()
    finally:
        the_desk.close()
    for what, values in (("hidden after the pull", gone), ("back after the plug", back)):
        print(f"{what}: median {statistics.median(values):.0f} ms, "
              f"longest {max(values):.0f} ms ({len(values)} rounds)")


if __name__ == "__main__":
    sys.exit(main())
