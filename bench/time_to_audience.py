#!/usr/bin/env python3
"""What the audience sees and hears of the clock, measured from outside the program.

    time_to_audience.py PROGRAM [RUNS]

Starts the real program under Xvfb (no window manager) with a bout of 6 seconds, starts the
clock with a real key press (xdotool) and reads the live view's push stream: each message is
one repaint, so its arrival time is the moment a new second was painted. The true second k
is the repaint of the key press plus k seconds. The gong is taken from SDL's disk driver writing into a
pipe: the first block that is not silence after the true end of time is the start of
playback. Then, with the clock running far from its end, an Ippon by key: its gong from the
repaint that shows the Ippon. Prints, per run, the lag of every second, of the gong at the end
and of the gong by key, in milliseconds.
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

from board_under_x import free_port, start_x, wait_live

BOUT_SECONDS = 6



def tone(path, ms=300, rate=44100):
    n = rate * ms // 1000
    samples = b"".join(struct.pack("<h", 12000 if (i // 50) % 2 else -12000) for i in range(n))
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt ")
        f.write(struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16))
        f.write(b"data" + struct.pack("<I", len(samples)) + samples)



class Board:
    """The real program under the X server display with a bout of bout_seconds, its gong
    taken from SDL's disk driver through a pipe, and its push stream read: painted holds
    (arrival, clock seconds, running, the state) per repaint, audio (arrival, loud) per
    block of sound."""

    def __init__(self, program, display, bout_seconds):
        self.folder = tempfile.mkdtemp(prefix="kyomat-lag-")
        shutil.copy(program, self.folder)
        tone(os.path.join(self.folder, "gong.wav"))
        port = free_port()
        with open(os.path.join(self.folder, "kyomat.ini"), "wb") as f:
            f.write((f"[anzeige]\r\nanz_links=0\r\ncontrol=0\r\ngewk=x\r\n"
                     f"kampfzeit={bout_seconds}\r\ngong=gong.wav\r\n[live]\r\nport={port}\r\n"
                     ).encode("cp1252"))
        with open(os.path.join(self.folder, "neu.kfl"), "wb") as f:
            f.write(b"#STR|KFL|1|1\r\n#PAR|0|||1\r\n#DAT|-60|A||B||||\r\n")
        fifo = os.path.join(self.folder, "audio.fifo")
        os.mkfifo(fifo)
        self.audio = []
        self.painted = []
        threading.Thread(target=self._read_audio, args=(fifo,), daemon=True).start()
        self.env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="disk",
                        SDL_DISKAUDIOFILE=fifo)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.proc = subprocess.Popen(
            [os.path.join(self.folder, os.path.basename(program))], cwd=self.folder,
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        url = f"http://127.0.0.1:{port}"
        wait_live(url)
        self.stream = urllib.request.urlopen(url + "/events", timeout=30)
        threading.Thread(target=self._read_events, daemon=True).start()

    def _read_audio(self, fifo):
        with open(fifo, "rb") as f:
            while True:
                block = f.read(2048)
                if not block:
                    return
                loud = any(abs(v) > 1000 for v in struct.unpack(f"<{len(block) // 2}h",
                                                                block[:len(block) // 2 * 2]))
                self.audio.append((time.monotonic(), loud))

    def _read_events(self):
        for raw in self.stream:
            line = raw.decode("utf-8", "replace")
            if line.startswith("data:"):
                state = json.loads(line[5:])
                if "clock" in state:
                    self.painted.append((time.monotonic(), state["clock"]["seconds"],
                                         state["clock"]["running"], state))

    def key(self, key):
        subprocess.run(["xdotool", "key", key], env=self.env, check=True)

    def last_state(self):
        return self.painted[-1][3] if self.painted else {}

    def press_until(self, key, done, what):
        """A key that arrives before the board has the keys is lost: pressed until it took.
        Returns the moment just before the press that took."""
        for _ in range(20):
            before = time.monotonic()
            self.key(key)
            time.sleep(1.0)
            if done(self.last_state()):
                return before
        raise RuntimeError(what)

    def load(self):
        self.press_until("ctrl+n", lambda s: s.get("blue", {}).get("name") == "A",
                         "the bout did not load")

    def close(self):
        self.proc.terminate()
        self.proc.wait(10)
        shutil.rmtree(self.folder, ignore_errors=True)


def one_run(program, display):
    board = Board(program, display, BOUT_SECONDS)
    try:
        board.load()
        before = board.press_until("space", lambda s: s["clock"]["running"],
                                   "the clock did not start")
        time.sleep(BOUT_SECONDS + 0.5)
    finally:
        board.close()
    # The clock's reference is taken while the key is handled, and the repaint that follows
    # goes out on the same push stream as every second's: its arrival is the start, so the
    # stream's own delay cancels out.
    pressed = next(a for a, _, running, _ in board.painted if a >= before and running)
    lags = []
    last = BOUT_SECONDS
    for arrival, seconds, _, _ in board.painted:
        if arrival < pressed:
            continue
        if seconds < last:
            k = BOUT_SECONDS - seconds
            lags.append((arrival - (pressed + k)) * 1000)
            last = seconds
    end = pressed + BOUT_SECONDS
    gong = next((a for a, loud in board.audio if loud and a > end - 0.5), None)
    return lags, None if gong is None else (gong - end) * 1000


def ippon_run(program, display):
    """The gong at an Ippon given by key while the clock runs far from its end (the sound
    device then mixes its longer buffers): from the repaint that shows the Ippon to the first
    block of sound, both read here, so the stream's delay counts on both sides alike."""
    board = Board(program, display, 600)
    try:
        board.load()
        board.press_until("space", lambda s: s["clock"]["running"], "the clock did not start")
        time.sleep(2.0)
        before = time.monotonic()
        board.key("1")
        time.sleep(1.5)
    finally:
        board.close()
    shown = next((a for a, _, _, state in board.painted
                  if a >= before and state["blue"]["won_by_ippon"]), None)
    gong = next((a for a, loud in board.audio if loud and a >= before), None)
    if shown is None or gong is None:
        return None
    return (gong - shown) * 1000


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    xvfb, display = start_x()
    try:
        for run in range(1, runs + 1):
            lags, gong = one_run(program, display)
            text = " ".join(f"{v:.0f}" for v in lags)
            gong_text = "none" if gong is None else f"{gong:.0f}"
            ippon = ippon_run(program, display)
            ippon_text = "none" if ippon is None else f"{ippon:.0f}"
            print(f"run {run}: seconds painted after the true second (ms): {text}; "
                  f"max {max(lags):.0f}; gong after the true end (ms): {gong_text}; "
                  f"gong after an Ippon by key (ms): {ippon_text}")
    finally:
        xvfb.terminate()
    return 0


if __name__ == "__main__":
    sys.exit(main())
