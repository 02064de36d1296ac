#!/usr/bin/env python3
"""A day on a laptop battery: the program's CPU and wakeups in three states.

    battery.py PROGRAM [KEY=VALUE ...] [PROGRAM [KEY=VALUE ...] ...] [SECONDS] [WIDTHxHEIGHT]

Starts each real program under an Xvfb of its own (1920 x 1080 unless given) with a long bout,
lets it settle, then counts over SECONDS (60 by default) each: the clock standing, the clock
running, and the clock running with 50 live viewers on the push stream. Several programs (two
builds, or one build with other settings) are measured side by side at the same time, so a
machine whose speed comes and goes treats them alike. CPU is the process's user and system
time over the wall time; wakeups are the voluntary context switches of all its threads per
second (each is a thread going to sleep, so each is followed by one wakeup). KEY=VALUE pairs
after a program go into its settings' [anzeige] section (gong_bereit=0, for one).
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

from board_under_x import free_port, start_x, wait_live

TICKS = os.sysconf("SC_CLK_TCK")



def counters(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    cpu = (int(fields[11]) + int(fields[12])) / TICKS
    switches = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches"):
                        switches += int(line.split()[1])
        except OSError:
            pass
    return cpu, switches


def state(url):
    with urllib.request.urlopen(url + "/state.json", timeout=5) as r:
        return json.loads(r.read().decode("utf-8"))


def press_until(env, key, done, what):
    """A key that arrives before the board has the keys is lost: pressed until it took."""
    for _ in range(20):
        subprocess.run(["xdotool", "key", key], env=env, check=True)
        time.sleep(1)
        if done():
            return
    raise RuntimeError(what)


def thread_times(pid):
    """Each thread's name and its time on a CPU in nanoseconds (exact, not in clock ticks)."""
    times = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/comm") as f:
                name = f.read().strip()
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                times[(task, name)] = int(f.read().split()[0])
        except OSError:
            pass
    return times


def snapshot(pid):
    return counters(pid), thread_times(pid), time.monotonic()


def since(pid, before):
    (cpu0, sw0), threads0, t0 = before
    (cpu1, sw1), threads1, t1 = snapshot(pid)
    wall = t1 - t0
    busy = sorted(((t - threads0.get(k, 0), k[1]) for k, t in threads1.items()), reverse=True)
    per_thread = ", ".join(f"{name} {100 * ns / 1e9 / wall:.2f} %" for ns, name in busy[:3]
                           if ns > 0)
    return 100 * (cpu1 - cpu0) / wall, (sw1 - sw0) / wall, per_thread


class Board:
    """One program under an X server of its own, with a bout of an hour loaded."""

    def __init__(self, program, extra, size):
        self.name = os.path.basename(program) + "".join(" " + pair for pair in extra)
        self.xvfb, display = start_x(size + "x24")
        self.folder = tempfile.mkdtemp(prefix="kyomat-battery-")
        self.viewers = []
        shutil.copy(program, self.folder)
        here = os.path.dirname(os.path.abspath(__file__))
        shutil.copy(os.path.join(here, "..", "assets", "gong.wav"), self.folder)
        port = free_port()
        settings = "".join(pair + "\r\n" for pair in extra)
        with open(os.path.join(self.folder, "kyomat.ini"), "wb") as f:
            f.write((f"[anzeige]\r\nanz_links=0\r\ncontrol=0\r\ngewk=x\r\nkampfzeit=3600\r\n"
                     f"gong=gong.wav\r\n{settings}[live]\r\nport={port}\r\n").encode("cp1252"))
        with open(os.path.join(self.folder, "neu.kfl"), "wb") as f:
            f.write(b"#STR|KFL|1|1\r\n#PAR|0|||1\r\n#DAT|-60|A||B||||\r\n")
        self.env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy")
        self.env.pop("QT_QPA_PLATFORM", None)
        self.proc = subprocess.Popen(
            [os.path.join(self.folder, os.path.basename(program))], cwd=self.folder,
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.url = f"http://127.0.0.1:{port}"

    def load(self):
        wait_live(self.url)
        press_until(self.env, "ctrl+n", lambda: state(self.url)["blue"]["name"] == "A",
                    "the bout did not load")

    def start_clock(self):
        press_until(self.env, "space", lambda: state(self.url)["clock"]["running"],
                    "the clock did not start")

    def add_viewers(self, count):
        # Viewers that read their streams (curl discards what it reads).
        for _ in range(count):
            self.viewers.append(subprocess.Popen(["curl", "-sN", self.url + "/events"],
                                                 stdout=subprocess.DEVNULL,
                                                 stderr=subprocess.DEVNULL))

    def close(self):
        for v in self.viewers:
            v.terminate()
        self.proc.terminate()
        self.proc.wait(10)
        self.xvfb.terminate()
        shutil.rmtree(self.folder, ignore_errors=True)


def measure_all(boards, seconds):
    before = [snapshot(b.proc.pid) for b in boards]
    time.sleep(seconds)
    return [since(b.proc.pid, s) for b, s in zip(boards, before)]


def main():
    programs, seconds, size = [], 60.0, "1920x1080"
    for arg in sys.argv[1:]:
        if "=" in arg and programs:
            programs[-1][1].append(arg)
        elif arg.replace(".", "", 1).isdigit():
            seconds = float(arg)
        elif "x" in arg and arg.replace("x", "").isdigit():
            size = arg
        else:
            programs.append((arg, []))
    if not programs:
        print(__doc__)
        return 2
    boards = []
    try:
        for program, extra in programs:
            boards.append(Board(program, extra, size))
        for b in boards:
            b.load()
        time.sleep(8)  # whatever settles after start (a sound device going to sleep)
        rows = [("clock standing", measure_all(boards, seconds))]
        for b in boards:
            b.start_clock()
        rows.append(("clock running", measure_all(boards, seconds)))
        for b in boards:
            b.add_viewers(50)
        time.sleep(2)
        rows.append(("clock running, 50 live viewers", measure_all(boards, seconds)))
        for name, results in rows:
            print(f"{name}:")
            for b, (cpu, wakeups, per_thread) in zip(boards, results):
                print(f"  {b.name}: {cpu:.2f} % of a core, {wakeups:.1f} wakeups/s "
                      f"({per_thread})")
    finally:
        for b in boards:
            b.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
