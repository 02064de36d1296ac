#!/usr/bin/env python3
"""What the audience sees and hears of the clock, measured from outside the program.

    time_to_audience.py PROGRAM [RUNS]

Starts the real program under Xvfb (no window manager) with a bout of 6 seconds, starts the
clock with a real key press (xdotool) and reads the live view's push stream: each message is
one repaint, so its arrival time is the moment a new second was painted. The true second k
is the repaint of the key press plus k seconds. The gong is taken from SDL's disk driver writing into a
pipe: the first block that is not silence after the true end of time is the start of
playback. Prints, per run, the lag of every second and of the gong, in milliseconds.
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



def one_run(program, display):
    folder = tempfile.mkdtemp(prefix="kyomat-lag-")
    shutil.copy(program, folder)
    tone(os.path.join(folder, "gong.wav"))
    port = free_port()
    with open(os.path.join(folder, "kyomat.ini"), "wb") as f:
        f.write((f"[anzeige]\r\nanz_links=0\r\ncontrol=0\r\ngewk=x\r\nkampfzeit={BOUT_SECONDS}\r\n"
                 f"gong=gong.wav\r\n[live]\r\nport={port}\r\n").encode("cp1252"))
    with open(os.path.join(folder, "neu.kfl"), "wb") as f:
        f.write(b"#STR|KFL|1|1\r\n#PAR|0|||1\r\n#DAT|-60|A||B||||\r\n")
    fifo = os.path.join(folder, "audio.fifo")
    os.mkfifo(fifo)
    audio = []  # (arrival, loud)

    def read_audio():
        with open(fifo, "rb") as f:
            while True:
                block = f.read(2048)
                if not block:
                    return
                loud = any(abs(v) > 1000 for v in struct.unpack(f"<{len(block) // 2}h",
                                                                block[:len(block) // 2 * 2]))
                audio.append((time.monotonic(), loud))

    reader = threading.Thread(target=read_audio, daemon=True)
    reader.start()
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=fifo)
    env.pop("QT_QPA_PLATFORM", None)
    proc = subprocess.Popen([os.path.join(folder, os.path.basename(program))], cwd=folder,
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        url = f"http://127.0.0.1:{port}"
        wait_live(url)
        painted = []  # (arrival, seconds)
        stream = urllib.request.urlopen(url + "/events", timeout=30)

        def read_events():
            for raw in stream:
                line = raw.decode("utf-8", "replace")
                if line.startswith("data:"):
                    state = json.loads(line[5:])
                    if "clock" not in state:
                        continue
                    painted.append((time.monotonic(), state["clock"]["seconds"],
                                    state["clock"]["running"]))

        threading.Thread(target=read_events, daemon=True).start()
        subprocess.run(["xdotool", "key", "ctrl+n"], env=env, check=True)
        time.sleep(1.0)
        before = time.monotonic()
        subprocess.run(["xdotool", "key", "space"], env=env, check=True)
        time.sleep(BOUT_SECONDS + 1.5)
    finally:
        proc.terminate()
        proc.wait(10)
        shutil.rmtree(folder, ignore_errors=True)
    # The clock's reference is taken while the key is handled, and the repaint that follows
    # goes out on the same push stream as every second's: its arrival is the start, so the
    # stream's own delay cancels out.
    pressed = next(a for a, _, running in painted if a >= before and running)
    lags = []
    last = BOUT_SECONDS
    for arrival, seconds, _ in painted:
        if arrival < pressed:
            continue
        if seconds < last:
            k = BOUT_SECONDS - seconds
            lags.append((arrival - (pressed + k)) * 1000)
            last = seconds
    end = pressed + BOUT_SECONDS
    gong = next((a for a, loud in audio if loud and a > end - 0.5), None)
    return lags, None if gong is None else (gong - end) * 1000


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
            print(f"run {run}: seconds painted after the true second (ms): {text}; "
                  f"max {max(lags):.0f}; gong after the true end (ms): {gong_text}")
    finally:
        xvfb.terminate()
    return 0


if __name__ == "__main__":
    sys.exit(main())
