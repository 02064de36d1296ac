#!/usr/bin/env python3
"""A bout survives a kill: the real program under Xvfb and openbox, driven by real keys, is
killed with SIGKILL at a random moment of a scripted bout, started again in the same folder,
asked "Fortsetzen?" and answered with Return; the board must show the bout as it was.

    kill_restore.py PROGRAM ASSETS_DIR ROUNDS [SEED]

Checks per round: names, score cells, winner and list position exact; the clock within one
second of the last second shown and standing; the hold-down's holder exact and its seconds
within one second; and after Ctrl+N the result in the bout's own row of the list.
"""
import os
import random
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desk as d  # noqa: E402

QUESTION = "Bestätigung"


def write_list(folder, n):
    rows = "".join(f"#DAT|-{60 + i}|Blau {n}-{i}|JC|Weiß {n}-{i}|TV|||\r\n" for i in range(2))
    with open(os.path.join(folder, "neu.kfl"), "wb") as f:
        f.write(f"#STR|KFL|1|2\r\n#PAR|0|||3\r\n{rows}".encode("cp1252"))


def read_list(folder):
    with open(os.path.join(folder, "neu.kfl"), "rb") as f:
        return f.read().decode("cp1252")


# The scripted bouts: keys, and how long to run before the kill (seconds, chosen at random).
def clock_running(p, rnd):
    p.key("space")
    time.sleep(rnd.uniform(0.3, 2.0))


def hold_down_running(p, rnd):
    p.key("space", "2", "F5")
    time.sleep(rnd.uniform(0.5, 2.0))


def golden_score(p, rnd):
    p.key("space")
    p.wait_state(lambda s: not s["clock"]["running"] and s["clock"]["seconds"] == 0, "time up")
    p.key("ctrl+s", "space", "9")
    p.key("shift+9")  # taken back: the Golden Score goes on
    time.sleep(rnd.uniform(0.3, 1.5))


def right_after_a_score(p, rnd):
    p.key("space")
    time.sleep(rnd.uniform(0.2, 1.0))
    p.key("8", "4")


def during_a_page(p, rnd):
    # A bout begun and stopped (Matte), then the pause picture over it.
    p.key("space", "2", "space", "ctrl+q")
    time.sleep(rnd.uniform(0.2, 0.8))


def ended_not_handed_on(p, rnd):
    p.key("space", "3", "1")
    time.sleep(rnd.uniform(0.1, 0.5))


def desk_moves_the_row(p, rnd):
    # The desk inserts a bout above the one on the board, then the kill: the restored bout's
    # result must still reach its own row.
    p.key("space", "2")
    time.sleep(rnd.uniform(0.2, 0.8))
    text = read_list(p.folder)
    head, rest = text.split("#DAT", 1)
    with open(os.path.join(p.folder, "neu.kfl"), "wb") as f:
        f.write((head + "#DAT|-55|Eingefügt|JC|Vorne|TV|||\r\n#DAT" + rest).encode("cp1252"))


SCRIPTS = [clock_running, hold_down_running, golden_score, right_after_a_score, during_a_page,
           ended_not_handed_on, desk_moves_the_row]
# What may differ after the restart for a script: where the desk moved the bout's row.
MOVES_THE_ROW = {desk_moves_the_row}


def start(desk, program, folder):
    env = dict(desk.env, SDL_AUDIODRIVER="dummy")
    log = open(os.path.join(folder, "stderr.log"), "a")
    return subprocess.Popen([program], cwd=folder, env=env, stdout=log, stderr=subprocess.STDOUT)


def wanted(s):
    """What must survive, from a /state.json."""
    side = lambda x: (x["name"], x["ippon"]["text"], x["waza_ari"]["text"], x["yuko"]["text"],
                      x["shido"]["text"], x["winner"])
    return side(s["blue"]), side(s["white"]), s["list_position"], s["golden_score"]


def what_the_desk_shows(p, folder):
    """For a failure's report: the windows, the focus and the program's last words."""
    try:
        windows = f"windows {p.stacking()}, focus {p.focus()!r}"
    except Exception as e:  # the report must not hide the failure
        windows = f"windows unknown: {e!r}"
    with open(os.path.join(folder, "stderr.log"), errors="replace") as f:
        return windows + "\nprogram output:\n" + "".join(f.readlines()[-15:])


def answer(desk, p, what):
    """Return for a question once it has the keys: earlier, it would reach the panel."""
    desk.wait(lambda: p.window(QUESTION) and p.focus() == QUESTION, what)
    p.key("Return")


# "Anzeige beenden" in the panel: from the client area's left and from its bottom (a panel
# that shares a small screen with the board is lower).
EXIT_BUTTON = (731, 46)


def what_is_not_a_crash(desk, p, program_copy, folder):
    """A second program in the folder, a damaged state file and normal closes."""
    state_file = os.path.join(folder, "kampfstand.txt")
    failed = 0
    proc = None
    def up():
        return p.window(d.PANEL) and p.focus() == d.PANEL
    def close_normally(asks):
        x, y, _, h = p.rect(d.PANEL)
        p.click(x + EXIT_BUTTON[0], y + h - EXIT_BUTTON[1])
        # "Verlassen ohne Speichern ?" while a bout is in progress: a Return typed before the
        # question is up would reach the panel's focused button instead.
        if asks:
            # During a bout a reflex Return keeps the program: leaving takes Alt+O.
            desk.wait(lambda: p.window(QUESTION) and p.focus() == QUESTION,
                      "the question Verlassen ohne Speichern ?")
            p.key("Return")
            time.sleep(0.5)
            assert proc.poll() is None, "a Return at the exit question ended a bout"
            p.click(x + EXIT_BUTTON[0], y + h - EXIT_BUTTON[1])
            desk.wait(lambda: p.window(QUESTION) and p.focus() == QUESTION,
                      "the question again")
            p.key("alt+o")
        proc.wait(15)
    for case in ("second program", "damaged state", "normal closes"):
        try:
            write_list(folder, 900)
            if case == "damaged state":
                with open(state_file, "w") as f:
                    f.write("KYOMAT Kampfstand 1\nuhr=12\n")
            proc = p.proc = start(desk, program_copy, folder)
            desk.wait(up, "the panel after the start")
            if case == "second program":
                log = os.path.join(folder, "second.log")
                with open(log, "w") as out:
                    second = subprocess.Popen([program_copy], cwd=folder, stdout=out,
                                              stderr=subprocess.STDOUT, env=dict(desk.env))
                    desk.wait(lambda: "läuft in diesem Ordner schon" in open(log).read(),
                              "the second program's refusal")
                    second.kill()
                    second.wait()
                assert proc.poll() is None, "the first program went away"
            elif case == "damaged state":
                assert os.path.exists(os.path.join(folder, "kampfstand-beschaedigt.txt"))
                p.wait_state(lambda s: s["blue"]["name"] != "Blau 900-0", "a board of its own")
            else:
                # A bout in progress survives a normal close, and is offered back.
                p.key("ctrl+n", "2")
                p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "1", "the Waza-ari")
                close_normally(True)
                assert os.path.exists(state_file), "no state after closing a bout in progress"
                proc = p.proc = start(desk, program_copy, folder)
                # Escape at the restart question is no answer: the bout comes back.
                desk.wait(lambda: p.window(QUESTION) and p.focus() == QUESTION,
                          "the question Fortsetzen?")
                p.key("Escape")
                desk.wait(lambda: p.state()["blue"]["waza_ari"]["text"] == "1", "the bout back")
                desk.wait(up, "the keys back at the panel")
                # Decided and handed on: a normal close leaves nothing to offer.
                p.key("ctrl+b", "ctrl+n")
                p.wait_state(lambda s: s["blue"]["name"] == "Blau 900-1", "the next bout")
                close_normally(False)
                # Kept only for the list in use: no bout to offer.
                with open(state_file) as f:
                    assert "\noffen=0\n" in f.read(), "a bout offered after a normal close"
            print(f"PASS {case}")
        except Exception as e:
            failed += 1
            print(f"FAIL {case}: {e!r}")
            print(what_the_desk_shows(p, folder))
        finally:
            if proc is not None and proc.poll() is None:
                proc.kill()
                proc.wait()
            if os.path.exists(state_file):
                os.remove(state_file)
    return failed


def main():
    program, assets, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
    rnd = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 7)
    desk = d.Desk("openbox")
    first = d.Program(desk, program, assets, {"kampfzeit": "3", "titel_dauer": "1"})
    folder, port = first.folder, first.port
    program_copy = first.proc.args[0]
    first.proc.kill()
    first.proc.wait()
    failed = 0
    try:
        failed += what_is_not_a_crash(desk, first, program_copy, folder)
        for n in range(rounds):
            script = SCRIPTS[n % len(SCRIPTS)]
            write_list(folder, n)
            # Each round begins from a board with nothing to offer back.
            if os.path.exists(os.path.join(folder, "kampfstand.txt")):
                os.remove(os.path.join(folder, "kampfstand.txt"))
            proc = start(desk, program_copy, folder)
            p = first
            p.proc = proc
            # A kill leaves nothing to offer when the bout was handed on or not begun; the
            # question, if any, is answered.
            def up():
                if p.window(QUESTION) and p.focus() == QUESTION:
                    p.key("Return")
                return p.window(d.PANEL) and p.focus() == d.PANEL
            try:
                desk.wait(up, "the panel after the start")
                p.key("ctrl+n")
                p.wait_state(lambda s: s["blue"]["name"] == f"Blau {n}-0", "the bout loaded")
                script(p, rnd)
                # The state reaches the file within moments of a change; then the kill.
                time.sleep(0.3)
                before = p.state()
                proc.send_signal(signal.SIGKILL)
                proc.wait()
                proc = p.proc = start(desk, program_copy, folder)
                answer(desk, p, "the question Fortsetzen?")
                desk.wait(lambda: p.window(d.PANEL), "the panel")
                desk.wait(lambda: p.state()["blue"]["name"] == before["blue"]["name"],
                          "the restored bout")
                after = p.state()
                if script in MOVES_THE_ROW:
                    before["list_position"] = after["list_position"]
                assert wanted(after) == wanted(before), f"{wanted(before)} != {wanted(after)}"
                assert not after["clock"]["running"], "the clock runs after the restart"
                assert abs(after["clock"]["seconds"] - before["clock"]["seconds"]) <= 1, \
                    f"clock {before['clock']} -> {after['clock']}"
                hb, ha = before["hold_down"], after["hold_down"]
                assert ha["holder"] == hb["holder"] and abs(ha["seconds"] - hb["seconds"]) <= 1, \
                    f"hold-down {hb} -> {ha}"
                # The result goes into the bout's own row.
                if not after["blue"]["winner"] and not after["white"]["winner"]:
                    p.key("ctrl+b")
                p.key("ctrl+n")
                name = before["blue"]["name"]
                desk.wait(lambda: [l for l in read_list(folder).split("\r\n")
                                   if f"|{name}|" in l and "|1:0|" in l or
                                   f"|{name}|" in l and "|0:1|" in l], "the result in its row")
                print(f"PASS {n} {script.__name__}")
            except Exception as e:  # one round's failure must not stop the others
                failed += 1
                print(f"FAIL {n} {script.__name__}: {e!r}")
                print(what_the_desk_shows(p, folder))
            finally:
                proc.kill()
                proc.wait()
    finally:
        first.proc = subprocess.Popen(["true"])
        first.close()
        desk.close()
    print(f"{failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
