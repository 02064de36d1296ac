#!/usr/bin/env python3
"""The operator's desk: the real program under Xvfb with a real window manager, driven only by
real X input (xdotool), read back through the live view's /state.json, the X focus, the
stacking order of the window manager and pixels of a screenshot.

    desk.py PROGRAM ASSETS_DIR WM [CASE ...]

WM is openbox, metacity or none. Each case starts a fresh program in a fresh folder with the
shipped settings (control panel open at start, keys relayed) and prints one line; the run
ends with "N passed, M failed". Every wait is for a condition, never a fixed sleep, so a
loaded machine only makes it slower.
"""
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import traceback
import urllib.request

BOARD = "KYOMAT - Anzeigetafel"
PANEL = "KYOMAT - Controlpanel für Anzeigetafel"
PAUSE = "KYOMAT - Pause"
PAGE = "KYOMAT - Textseite"
ENTRY = "KYOMAT - Kampf eingeben für Anzeigetafel"
QUESTION = "Bestätigung"
WIDTH, HEIGHT = 1280, 720
# A point of the board that the panel (top left, about 990 x 550) never covers.
BOARD_SPOT = (1180, 690)
# Pure colours of the two test logos, and the focus circle's green.
MAGENTA, CYAN, GREEN = (255, 0, 255), (0, 255, 255), (0, 128, 0)
TIMEOUT = 30.0


class DeskFailure(Exception):
    pass


def run(*args, env=None, check=True):
    out = subprocess.run(args, env=env, capture_output=True, text=True, timeout=60)
    if check and out.returncode != 0:
        raise DeskFailure(f"{' '.join(args)}: {out.stderr.strip()}")
    return out.stdout


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def bmp(colour, width=64, height=48):
    """A 24-bit BMP of one colour."""
    r, g, b = colour
    row = bytes([b, g, r]) * width + b"\0" * ((4 - width * 3 % 4) % 4)
    pixels = row * height
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


class Desk:
    """One X server with one window manager, for the whole run."""

    def __init__(self, wm):
        self.wm = wm
        self.procs = []
        # Another test's X server may take the same display at the same moment and go away
        # with it: the desk is set up again, up to three times.
        for attempt in range(3):
            try:
                self.start()
                return
            except DeskFailure:
                self.close()
                if attempt == 2:
                    raise

    def start(self):
        self.start_server(["Xvfb", "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten", "tcp"])
        self.start_wm()
        if self.procs[0].poll() is not None:
            raise DeskFailure("the X server went away")

    def start_server(self, command):
        """Starts the X server command; it picks a free display itself and tells which."""
        read_end, write_end = os.pipe()
        server = subprocess.Popen(
            [command[0], "-displayfd", str(write_end)] + command[1:], pass_fds=(write_end,),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs = [server]
        os.close(write_end)
        with os.fdopen(read_end) as f:
            number = f.readline().strip()
        if not number:
            raise DeskFailure(f"{command[0]} did not start")
        self.display = f":{number}"
        # No session bus: without one, the bus library forks a helper to start one, and a
        # fork of a program built with the sanitizers can hang before it runs the helper,
        # holding the program's files (its folder's lock, its windows) after it was killed.
        self.env = dict(os.environ, DISPLAY=self.display, DBUS_SESSION_BUS_ADDRESS="disabled:")
        self.env.pop("QT_QPA_PLATFORM", None)
        self.wait(lambda: subprocess.run(["xdpyinfo"], env=self.env, capture_output=True)
                  .returncode == 0, "the X server")

    def start_wm(self):
        if self.wm == "none":
            return
        command = {"openbox": ["openbox"], "metacity": ["metacity", "--replace"]}[self.wm]
        self.wm_log = tempfile.TemporaryFile(mode="w+")
        wm_proc = subprocess.Popen(command, env=self.env, stdout=self.wm_log,
                                   stderr=subprocess.STDOUT)
        self.procs.append(wm_proc)
        try:
            self.wait(lambda: wm_proc.poll() is None and "window id" in self.x(
                "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False),
                      "the window manager", timeout=15)
        except DeskFailure:
            self.wm_log.seek(0)
            raise DeskFailure(f"{self.wm} did not start (exit {wm_proc.poll()}): "
                              f"{self.wm_log.read()[-2000:]}")

    def close(self):
        for p in reversed(self.procs):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()

    def x(self, *args, check=True):
        return run(*args, env=self.env, check=check)

    @staticmethod
    def wait_briefly(condition, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if condition():
                return True
            time.sleep(0.05)
        return False

    @staticmethod
    def wait(condition, what, timeout=TIMEOUT):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            try:
                if condition():
                    return
            # A condition that cannot be read yet (the window manager has not set its
            # stacking list, the live view is not up) is a condition not yet met.
            except (DeskFailure, OSError, ValueError, LookupError, subprocess.SubprocessError):
                pass
            time.sleep(0.05)
        raise DeskFailure(f"timed out waiting for {what}")


class Program:
    """The real program in a fresh folder of its own, on the desk."""

    def __init__(self, desk, program, assets, extra_ini, panel=True, prepare=None, port=None):
        self.desk = desk
        self.panel = panel
        self.folder = tempfile.mkdtemp(prefix="kyomat-desk-")
        if prepare is not None:
            prepare(self.folder)
        shutil.copy(program, self.folder)
        shutil.copy(os.path.join(assets, "gong.wav"), self.folder)
        with open(os.path.join(self.folder, "logo1.bmp"), "wb") as f:
            f.write(bmp(MAGENTA))
        with open(os.path.join(self.folder, "logo2.bmp"), "wb") as f:
            f.write(bmp(CYAN))
        self.port = port or free_port()
        with open(os.path.join(assets, "kyomat.ini"), "rb") as f:
            ini = f.read().decode("cp1252")
        overrides = {"logo1": "logo1.bmp", "logo2": "logo2.bmp", "zeit1": "5", "zeit2": "5",
                     "zeit3": "0", "port": str(self.port), "adresse": "127.0.0.1",
                     "protokoll": "0", **extra_ini}
        lines = []
        for line in ini.split("\r\n"):
            key = line.split("=", 1)[0]
            if "=" in line and not line.startswith(";") and key in overrides:
                if overrides[key] is None:  # the key left out, as an older kyomat.ini has it
                    continue
                line = f"{key}={overrides[key]}"
            lines.append(line)
        with open(os.path.join(self.folder, "kyomat.ini"), "wb") as f:
            f.write("\r\n".join(lines).encode("cp1252"))
        with open(os.path.join(self.folder, "neu.kfl"), "wb") as f:
            f.write("#STR|KFL|1|2\r\n#PAR|0|||3|Männer\r\n"
                    "#DAT|-81|Meier, Hans|JC Nord|Li, Wei|TSV Süd|||\r\n"
                    "#DAT|-81|Berg, Ole|JC Ost|Kurz, Karl|JC West|||\r\n"
                    "#DAT|-90|Vogel, Jan|JC Süd|Wolf, Tim|JC Nord|||\r\n".encode("cp1252"))
        self.program = os.path.join(self.folder, os.path.basename(program))
        self.log = open(os.path.join(self.folder, "stderr.log"), "w")
        self.start()

    def start(self):
        """Starts the program in its folder (again, after a kill)."""
        env = dict(self.desk.env, SDL_AUDIODRIVER="dummy")
        self.proc = subprocess.Popen([self.program], cwd=self.folder, env=env, stdout=self.log,
                                     stderr=subprocess.STDOUT)
        self.desk.wait(lambda: self.state() is not None, "the live view")
        if self.panel:
            self.desk.wait(lambda: self.window(PANEL) and self.focus() == PANEL,
                           "the panel with the keys")

    def close(self):
        self.proc.terminate()
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    # What the program shows.
    def state(self):
        with urllib.request.urlopen(f"http://127.0.0.1:{self.port}/state.json", timeout=5) as r:
            return json.loads(r.read().decode("utf-8"))

    def window(self, name):
        # This program's window: several programs may share the desk (--all: both the name
        # and the program, not either).
        out = self.desk.x("xdotool", "search", "--all", "--onlyvisible", "--pid",
                          str(self.proc.pid), "--name", f"^{name}$", check=False)
        ids = out.split()
        return ids[0] if ids else None

    def focus(self):
        return self.desk.x("xdotool", "getwindowfocus", "getwindowname", check=False).strip()

    def stacking(self):
        """The program's visible windows, bottom to top."""
        names = []
        if self.desk.wm != "none":
            out = self.desk.x("xprop", "-root", "_NET_CLIENT_LIST_STACKING")
            if "#" not in out:
                raise DeskFailure("the window manager has no stacking list yet")
            ids = [w.rstrip(",") for w in out.split("#", 1)[1].split()]
        else:
            out = self.desk.x("xwininfo", "-root", "-children")
            ids = [line.split()[0] for line in out.splitlines()
                   if line.strip().startswith("0x") and '"' in line]
            ids.reverse()
        for w in ids:
            attrs = self.desk.x("xwininfo", "-id", w, check=False)
            if "IsViewable" not in attrs:
                continue
            name = self.desk.x("xdotool", "getwindowname", w, check=False).strip()
            if name.startswith("KYOMAT"):
                names.append(name)
        return names

    def pixel(self, x, y):
        out = self.desk.x("import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8",
                          "txt:-")
        values = out.splitlines()[-1].split("(", 1)[1].split(")", 1)[0].split(",")
        return tuple(int(float(v)) for v in values[:3])

    def area(self, x, y, width, height):
        """The pixels of a part of the screen, as raw bytes."""
        return subprocess.run(
            ["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "-depth", "8",
             "rgb:-"], env=self.desk.env, check=True, capture_output=True).stdout

    def geometry(self, name):
        """Where the window's client area starts on the screen."""
        return self.rect(name)[:2]

    def rect(self, name):
        """The window's client area on the screen: left, top, width, height."""
        out = self.desk.x("xwininfo", "-id", self.window(name))
        values = {}
        for line in out.splitlines():
            if ":" in line:
                key, value = line.split(":", 1)
                values[key.strip()] = value.strip()
        return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y",
                                               "Width", "Height"))

    # Real input.
    def key(self, *keys):
        self.desk.x("xdotool", "key", "--delay", "60", *keys)

    def click(self, x, y):
        self.desk.x("xdotool", "mousemove", str(x), str(y), "click", "1")

    def click_in(self, name, dx, dy, condition, what, patience=8.0):
        """A click at a spot of a window, once the window stays where it is, until the
        program shows what the click should do. On a loaded machine the first click can
        reach a window that the window manager is still placing and be lost; a later one
        is typed only after the program had time to act on the first."""
        def settled():
            first = self.geometry(name)
            time.sleep(0.3)
            return first == self.geometry(name)
        self.wait(settled, f"{name} in its place")
        end = time.monotonic() + TIMEOUT
        while True:
            x, y = self.geometry(name)
            self.click(x + dx, y + dy)
            try:
                self.desk.wait(lambda: condition(self.state()), what,
                               min(patience, max(0.1, end - time.monotonic())))
                return
            except DeskFailure:
                if time.monotonic() >= end:
                    raise

    def wait(self, condition, what):
        self.desk.wait(condition, what)

    def wait_state(self, condition, what):
        self.desk.wait(lambda: condition(self.state()), what)


def close_enough(a, b, slack=40):
    return all(abs(p - q) <= slack for p, q in zip(a, b))


# The cases. Each gets a started program with the shipped settings and the panel open.

def keys_after_a_click_on_the_board(p):
    p.click(*BOARD_SPOT)
    p.wait(lambda: p.focus() in (BOARD, PANEL), "the focus after the click")
    # Every key of the board reaches it once: Ctrl+N loads, 2 gives one Waza-ari, Space runs.
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "Ctrl+N after the click")
    # The panel's Waza-ari field of blue (left, below the names) mirrors the board.
    x, y = p.geometry(PANEL)
    waza_field = (x + 150, y + 105, 50, 50)
    before = p.area(*waza_field)
    p.key("2")
    p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "1", "one Waza-ari")
    p.wait(lambda: p.area(*waza_field) != before, "the Waza-ari in the panel")
    p.key("space")
    p.wait_state(lambda s: s["clock"]["running"], "the clock started by Space")
    p.key("space")
    p.wait_state(lambda s: not s["clock"]["running"], "the clock stopped by Space")
    if p.state()["blue"]["waza_ari"]["text"] != "1":
        raise DeskFailure("a key reached the board twice")
    # The panel stays above the board, and the circle is green: keys arrive.
    p.wait(lambda: p.stacking()[-1] == PANEL, "the panel above the board")
    p.wait(lambda: close_enough(p.pixel(WIDTH - 18, HEIGHT - 18), GREEN, 10), "a green circle")


def keys_after_the_title_pages(p):
    p.key("ctrl+n")
    p.wait(lambda: PAGE in p.stacking(), "the title pages")
    # The pages do not cover the panel.
    p.wait(lambda: p.stacking()[-1] == PANEL, "the panel above the title page")
    p.wait(lambda: PAGE not in p.stacking(), "the end of the title pages")
    p.wait(lambda: p.focus() == PANEL, "the keys back at the panel")
    p.key("space")
    p.wait_state(lambda s: s["clock"]["running"], "Space after the title pages")
    p.key("space")
    p.wait_state(lambda s: not s["clock"]["running"], "Space again")


def keys_typed_during_a_page_arrive_once(p):
    p.key("ctrl+n")
    p.wait(lambda: PAGE in p.stacking(), "the title pages")
    p.key("2")
    p.wait(lambda: PAGE not in p.stacking(), "the end of the title pages")
    p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "1", "the Waza-ari typed during a page")
    time.sleep(0.3)  # a second delivery would show by now
    if p.state()["blue"]["waza_ari"]["text"] != "1":
        raise DeskFailure("a key typed during a page arrived twice")


def pause_from_the_panel_shows_and_ends_by_click(p):
    p.key("ctrl+n")
    p.key("ctrl+q")
    p.wait(lambda: PAUSE in p.stacking(), "the pause picture")
    order = p.stacking()
    if not (order.index(BOARD) < order.index(PAUSE) < order.index(PANEL)):
        raise DeskFailure(f"stacking bottom to top: {order}")
    p.wait(lambda: p.pixel(*BOARD_SPOT) in (MAGENTA, CYAN), "a logo over the board")
    p.click(*BOARD_SPOT)
    p.wait(lambda: PAUSE not in p.stacking(), "the pause ended by a click")
    p.wait(lambda: p.focus() == PANEL, "the keys back at the panel")
    p.key("space")
    p.wait_state(lambda s: s["clock"]["running"], "Space after the pause")


def pause_ends_by_a_character_key_and_logos_rotate_every_time(p):
    for pause in (1, 2):
        p.key("ctrl+q")
        p.wait(lambda: PAUSE in p.stacking(), f"pause {pause}")
        seen = set()
        p.wait(lambda: seen.add(p.pixel(*BOARD_SPOT)) or {MAGENTA, CYAN} <= seen,
               f"both logos in pause {pause}")
        p.wait(lambda: p.focus() == PAUSE, f"the keyboard at pause {pause}")
        # A character key ends it. The toolkit may take a moment to follow the X focus, so
        # the key is typed again while the pause stays (a stray "x" does nothing elsewhere).
        def ended_by_key():
            p.key("x")
            return p.desk.wait_briefly(lambda: PAUSE not in p.stacking(), 1.0)
        p.wait(ended_by_key, f"the end of pause {pause} by a key")
    p.wait(lambda: p.focus() == PANEL, "the keys back at the panel")


def panel_opens_top_left(p):
    def top_left():
        x, y = p.geometry(PANEL)
        return x <= 12 and y <= 40
    try:
        p.wait(top_left, "the panel at the top left")
    except DeskFailure:
        x, y = p.geometry(PANEL)
        raise DeskFailure(f"the panel's client area is at {x},{y}")


def one_screen_shows_the_board_below_the_panel(p):
    """A laptop without a projector: the board takes the room below the panel (a lower panel
    on a small screen), so its names, scores and clocks stay in sight; keys act as ever."""
    def below():
        px, py, pw, ph = p.rect(PANEL)
        bx, by, bw, bh = p.rect(BOARD)
        # The panel's lower frame edge is a few pixels at most.
        return by >= py + ph and by <= py + ph + 12 and bh >= HEIGHT * 2 // 5 and bw == WIDTH
    try:
        p.wait(below, "the board below the panel")
    except DeskFailure:
        raise DeskFailure(f"panel {p.rect(PANEL)}, board {p.rect(BOARD)}")
    a_bout_under_way(p)
    p.wait(lambda: p.stacking()[-1] == PANEL, "the panel above the board")
    if p.rect(BOARD)[1] < sum(p.rect(PANEL)[1::2]):
        raise DeskFailure("the board went under the panel during the bout")


def one_screen_without_the_setting_leaves_the_board_whole(p):
    p.wait(lambda: p.rect(BOARD) == (0, 0, WIDTH, HEIGHT), "the board on the whole screen")


def an_idle_board_opens_no_file(p):
    """A loaded bout, the list in the panel, nobody typing: ten seconds without a file opened
    (no kyomat.ini, no list, no state), so a board on a stick never touches it while idle."""
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the first bout")
    time.sleep(3)  # the title pages and the call-up's first look
    def opened_during(seconds, name, act=None):
        log = os.path.join(p.folder, name)
        # Attached from outside, so the program runs as always; a sanitizer's own reads of
        # /proc are not the program's.
        tracer = subprocess.Popen(["timeout", "-s", "INT", str(seconds), "strace", "-f", "-qq",
                                   "-e", "trace=open,openat", "-o", log, "-p",
                                   str(p.proc.pid)], env=p.desk.env)
        if act is not None:
            time.sleep(1)
            act()
        tracer.wait()
        with open(log) as f:
            return [line for line in f if "open" in line and "/proc/" not in line]
    opened = opened_during(10, "idle.strace")
    if opened:
        raise DeskFailure("files opened by an idle board:\n" + "".join(opened[:10]))
    # The tracer does see the program: a Waza-ari saves the bout's state.
    if not opened_during(3, "key.strace", lambda: p.key("2")):
        raise DeskFailure("strace saw no file opened for a Waza-ari: not attached?")


def the_start_reads_the_settings_once(p):
    """Started again under strace: kyomat.ini is opened once however many values the start
    takes from it (a program on a stick, read 120 times before)."""
    p.proc.terminate()
    p.proc.wait(10)
    log = os.path.join(p.folder, "start.strace")
    env = dict(p.desk.env, SDL_AUDIODRIVER="dummy")
    p.proc = subprocess.Popen(["strace", "-f", "-qq", "-e", "trace=open,openat", "-o", log,
                               p.program], cwd=p.folder, env=env, stdout=p.log,
                              stderr=subprocess.STDOUT)
    p.wait(lambda: p.state() is not None, "the live view")
    p.wait(lambda: PANEL in p.stacking(), "the panel")  # (the pid is strace's now)
    time.sleep(1)  # what the shown windows read after the start
    with open(log) as f:
        opened = [line for line in f if "kyomat.ini" in line]
    if len(opened) != 1:
        raise DeskFailure(f"kyomat.ini opened {len(opened)} times at the start")


def a_bout_under_way(p):
    """Bout 1 from the list, 2 s of clock, the clock stopped (Matte), a Waza-ari for blue."""
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the first bout")
    p.key("space")
    p.wait_state(lambda s: s["clock"]["running"], "the clock running")
    time.sleep(2)
    p.key("space")
    p.wait_state(lambda s: not s["clock"]["running"], "the clock stopped")
    p.key("2")
    p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "1", "a Waza-ari")
    return p.state()["clock"]["text"]


def the_reset_question_is_not_answered_by_a_reflex(p):
    clock = a_bout_under_way(p)
    for reflex in ("Return", "space"):
        p.key("ctrl+e")
        p.wait(lambda: p.window(QUESTION), "the question before the reset")
        p.key(reflex)
        p.wait(lambda: not p.window(QUESTION), f"the question answered by {reflex}")
        s = p.state()
        if (s["blue"]["name"], s["blue"]["waza_ari"]["text"], s["clock"]["text"]) != (
                "Meier, Hans", "1", clock):
            raise DeskFailure(f"{reflex} on the question reset the bout: {s}")
    # OK takes Alt+O.
    p.key("ctrl+e")
    p.wait(lambda: p.window(QUESTION), "the question again")
    p.key("alt+o")
    p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "0", "the reset after OK")


def space_over_the_title_pages_acts_at_once(p):
    # The pages stay until clicked (titel_dauer=0): the clock can only run if Space ended them.
    p.key("ctrl+n")
    p.wait(lambda: PAGE in p.stacking(), "the title pages")
    p.key("space")
    p.wait_state(lambda s: s["clock"]["running"], "the clock started by Space over the pages")
    p.wait(lambda: PAGE not in p.stacking(), "no page left")


def keys_wait_for_the_open_bout_entry(p):
    p.key("ctrl+k")
    p.wait(lambda: p.window(ENTRY), "the bout entry")
    # A key on the board is refused while the entry is open; the entry stays in front.
    p.click(*BOARD_SPOT)
    p.key("2")
    p.wait(lambda: p.stacking()[-1] == ENTRY, "the bout entry in front again")
    if p.state()["blue"]["waza_ari"]["text"] != "0":
        raise DeskFailure("a key reached the board behind the open bout entry")
    p.key("Escape")
    p.wait(lambda: not p.window(ENTRY), "the bout entry closed")
    p.wait(lambda: p.focus() in (BOARD, PANEL), "the keys back")
    p.key("2")
    p.wait_state(lambda s: s["blue"]["waza_ari"]["text"] == "1", "the key after the entry")


def make_the_protocol_a_fifo(folder):
    os.mkfifo(os.path.join(folder, f"protokoll-{time.strftime('%Y-%m-%d')}.csv"))


def a_protocol_that_cannot_be_written_takes_no_key(p):
    p.key("ctrl+n")
    p.wait_state(lambda s: s["blue"]["name"] == "Meier, Hans", "the first bout")
    p.key("space")
    p.wait_state(lambda s: s["clock"]["running"], "the first Space starting the clock")
    if p.window(QUESTION) or p.focus() != PANEL:
        raise DeskFailure(f"a box took the keys: focus {p.focus()!r}")


def save_like_the_desk(folder, rounds, stop):
    """The tournament desk saves the shared list as editors do: emptied for half a second and
    written again with one cell changed, then renamed away and written anew."""
    path = os.path.join(folder, "neu.kfl")
    with open(path, "rb") as f:
        whole = f.read()
    for n in range(rounds):
        if stop.is_set():
            return
        with open(path, "wb"):
            pass
        time.sleep(0.5)
        with open(path, "wb") as f:
            f.write(whole.replace(b"JC West", f"JC West {n}".encode()))
        time.sleep(0.2)
    os.rename(path, path + ".bak")
    time.sleep(0.4)
    with open(path, "wb") as f:
        f.write(whole)
    os.remove(path + ".bak")


def a_list_the_desk_saves_takes_no_key(p):
    # "Nächster Kampf": the bout from the list, the grid shown
    p.click_in(PANEL, 558, 461, lambda s: s["blue"]["name"] == "Meier, Hans", "the first bout")
    x, y = p.geometry(PANEL)
    fourth_row = (x + 500, y + 384, 400, 20)
    empty_row = p.area(*fourth_row)
    p.key("space")
    p.key("F5")
    p.wait_state(lambda s: s["hold_down"]["running"], "the hold-down running")
    stop = threading.Event()
    desk = threading.Thread(target=save_like_the_desk, args=(p.folder, 10, stop))
    desk.start()
    try:
        p.wait_state(lambda s: s["hold_down"]["seconds"] >= 11, "11 s of hold-down")
        p.key("F6")  # Toketa after 11 s: a Waza-ari, not a hold-down run on to Ippon
        p.wait_state(lambda s: not s["hold_down"]["running"], "the hold-down released")
        p.key("space")  # Matte
        p.wait_state(lambda s: not s["clock"]["running"], "the clock stopped by Space")
        s = p.state()
        if (s["blue"]["waza_ari"]["text"], s["blue"]["ippon"]["text"]) != ("1", "0"):
            raise DeskFailure(f"the Toketa did not give a Waza-ari: {s['blue']}")
        if set(p.stacking()) - {BOARD, PANEL}:
            raise DeskFailure(f"a window nobody asked for: {p.stacking()}")
    finally:
        stop.set()
        desk.join()
    if set(p.stacking()) - {BOARD, PANEL}:
        raise DeskFailure(f"a window nobody asked for: {p.stacking()}")
    # The grid still shows the list and follows the desk's next change (a fourth bout).
    with open(os.path.join(p.folder, "neu.kfl"), "ab") as f:
        f.write("#DAT|-90|Adler, Max|JC Süd|Fuchs, Tom|JC Nord|||\r\n".encode("cp1252"))
    p.wait(lambda: p.area(*fourth_row) != empty_row, "the grid showing the desk's new bout")


EDITOR = "KYOMAT - Editieren Kampfliste <neu.kfl>"
SAVE_AS = "Speichern unter"


def the_editors_questions_keep_the_edits(p):
    """Escape, Space and Return at the editor's questions keep the editor and its edits: at
    "Änderungen verwerfen ?" and at the question after another program saved the list."""
    x, y = p.geometry(PANEL)
    p.desk.x("xdotool", "mousemove", str(x + 700), str(y + 380), "click", "--repeat", "2",
             "--delay", "80", "1")
    p.wait(lambda: p.window(EDITOR), "the list editor")
    p.wait(lambda: p.focus() == EDITOR, "the editor with the keys")
    p.key("Z", "a", "h", "l", "Tab")
    path = os.path.join(p.folder, "neu.kfl")

    def reflexes_keep_the_editor(ask, question):
        for reflex in ("space", "Return", "Escape"):
            ask()
            p.wait(lambda: p.window(QUESTION), f"{question} before {reflex}")
            p.key(reflex)
            p.wait(lambda: not p.window(QUESTION), f"{question} answered by {reflex}")
            time.sleep(0.3)
            if not p.window(EDITOR):
                raise DeskFailure(f"{reflex} at {question} closed the editor")
            with open(path, "rb") as f:
                if b"Zahl" in f.read():
                    raise DeskFailure(f"{reflex} at {question} saved")

    def save():
        # The default list is saved through "Speichern unter": cancelled, it is saved in place.
        p.key("alt+s")
        p.wait(lambda: p.window(SAVE_AS), "the file dialog")
        p.key("Escape")

    reflexes_keep_the_editor(lambda: p.key("alt+b"), "\"Änderungen verwerfen ?\"")
    time.sleep(1.1)  # a stamp of its own for the desk's save
    with open(path, "ab") as f:
        f.write("#DAT|-100|Adler, Max|JC Süd|Fuchs, Tom|JC Nord|||\r\n".encode("cp1252"))
    reflexes_keep_the_editor(save, "the save conflict")
    # The edits are still there: leaving asks about them once more.
    p.key("alt+b")
    p.wait(lambda: p.window(QUESTION), "\"Änderungen verwerfen ?\" after the save conflict")
    p.key("Escape")
    p.wait(lambda: not p.window(QUESTION), "the last question answered")


CASES = [keys_after_a_click_on_the_board, keys_after_the_title_pages,
         keys_typed_during_a_page_arrive_once, pause_from_the_panel_shows_and_ends_by_click,
         pause_ends_by_a_character_key_and_logos_rotate_every_time, panel_opens_top_left,
         the_reset_question_is_not_answered_by_a_reflex, space_over_the_title_pages_acts_at_once,
         keys_wait_for_the_open_bout_entry, a_protocol_that_cannot_be_written_takes_no_key,
         a_list_the_desk_saves_takes_no_key, the_editors_questions_keep_the_edits,
         one_screen_shows_the_board_below_the_panel,
         one_screen_without_the_setting_leaves_the_board_whole, an_idle_board_opens_no_file,
         the_start_reads_the_settings_once]
# Settings a case needs beyond the shipped ones.
EXTRA = {keys_after_the_title_pages: {"titel_auto": "1", "titel_dauer": "1"},
         keys_typed_during_a_page_arrive_once: {"titel_auto": "1", "titel_dauer": "1"},
         space_over_the_title_pages_acts_at_once: {"titel_auto": "1", "titel_dauer": "0"},
         a_protocol_that_cannot_be_written_takes_no_key: {"protokoll": "1"},
         one_screen_without_the_setting_leaves_the_board_whole: {"ein_bildschirm": "0"},
         # These click the panel's buttons where they stand at its full size.
         a_list_the_desk_saves_takes_no_key: {"ein_bildschirm": "0"},
         the_editors_questions_keep_the_edits: {"ein_bildschirm": "0"}}
# Cases that click the panel's buttons where openbox puts the panel: run under openbox only.
OPENBOX_ONLY = {a_list_the_desk_saves_takes_no_key, the_editors_questions_keep_the_edits}
# What a case needs in the program's folder before it starts.
PREPARE = {a_protocol_that_cannot_be_written_takes_no_key: make_the_protocol_a_fifo}


def main():
    if len(sys.argv) < 4:
        print(__doc__)
        return 2
    program, assets, wm = sys.argv[1:4]
    wanted = sys.argv[4:]
    for tool in ("Xvfb", "xdotool", "xprop", "xwininfo", "import") + (
            (wm,) if wm != "none" else ()):
        if shutil.which(tool) is None:
            print(f"missing {tool}: scripts/test installs it")
            return 1
    desk = Desk(wm)
    passed = failed = 0
    try:
        for case in CASES:
            if (wanted and case.__name__ not in wanted) or (case in OPENBOX_ONLY and
                                                            wm != "openbox"):
                continue
            p = None
            try:
                p = Program(desk, program, assets, EXTRA.get(case, {}),
                            prepare=PREPARE.get(case))
                case(p)
                print(f"PASS {wm} {case.__name__}")
                passed += 1
            except Exception as e:  # one case's failure must not stop the others
                failed += 1
                detail = e if isinstance(e, DeskFailure) else traceback.format_exc()
                print(f"FAIL {wm} {case.__name__}: {detail}")
                if p is not None:
                    try:
                        shot = os.path.join(tempfile.gettempdir(),
                                            f"kyomat-desk-{wm}-{case.__name__}.png")
                        desk.x("import", "-window", "root", shot, check=False)
                        print(f"     screenshot {shot}; windows {p.stacking()}; "
                              f"focus {p.focus()!r}")
                    except DeskFailure:
                        pass
            finally:
                if p is not None:
                    p.close()
    finally:
        desk.close()
    print(f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
