#!/usr/bin/env python3
"""A day on a laptop battery: the program's CPU and wakeups in three states.

    battery.py PROGRAM [SECONDS] [WIDTHxHEIGHT] [KEY=VALUE ...]

Starts the real program under Xvfb (1920 x 1080 unless given) with a long bout, lets it settle, then counts over
SECONDS (60 by default) each: the clock standing, the clock running, and the clock running
with 50 live viewers on the push stream. CPU is the process's user and system time over the
wall time; wakeups are the voluntary context switches of all its threads per second (each is
a thread going to sleep, so each is followed by one wakeup). KEY=VALUE pairs go into the
settings' [anzeige] section (gong_bereit=0, for one).
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


def measure(pid, seconds):
    cpu0, sw0 = counters(pid)
    threads0 = thread_times(pid)
    t0 = time.monotonic()
    time.sleep(seconds)
    cpu1, sw1 = counters(pid)
    threads1 = thread_times(pid)
    wall = time.monotonic() - t0
    busy = sorted(((t - threads0.get(k, 0), k[1]) for k, t in threads1.items()), reverse=True)
    per_thread = ", ".join(f"{name} {100 * ns / 1e9 / wall:.2f} %" for ns, name in busy[:3]
                           if ns > 0)
    return 100 * (cpu1 - cpu0) / wall, (sw1 - sw0) / wall, per_thread


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    program = sys.argv[1]
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60
    size = sys.argv[3] if len(sys.argv) > 3 else "1920x1080"
    extra = "".join(pair + "\r\n" for pair in sys.argv[4:])
    xvfb, display = start_x(size + "x24")
    folder = tempfile.mkdtemp(prefix="kyomat-battery-")
    shutil.copy(program, folder)
    here = os.path.dirname(os.path.abspath(__file__))
    shutil.copy(os.path.join(here, "..", "assets", "gong.wav"), folder)
    port = free_port()
    with open(os.path.join(folder, "kyomat.ini"), "wb") as f:
        f.write((f"[anzeige]\r\nanz_links=0\r\ncontrol=0\r\ngewk=x\r\nkampfzeit=3600\r\n"
                 f"gong=gong.wav\r\n{extra}[live]\r\nport={port}\r\n").encode("cp1252"))
    with open(os.path.join(folder, "neu.kfl"), "wb") as f:
        f.write(b"#STR|KFL|1|1\r\n#PAR|0|||1\r\n#DAT|-60|A||B||||\r\n")
    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER="dummy")
    env.pop("QT_QPA_PLATFORM", None)
    proc = subprocess.Popen([os.path.join(folder, os.path.basename(program))], cwd=folder,
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    viewers = []
    try:
        url = f"http://127.0.0.1:{port}"
        wait_live(url)
        press_until(env, "ctrl+n", lambda: state(url)["blue"]["name"] == "A",
                    "the bout did not load")
        time.sleep(8)  # whatever settles after start (a sound device going to sleep)
        rows = [("clock standing", measure(proc.pid, seconds))]
        press_until(env, "space", lambda: state(url)["clock"]["running"],
                    "the clock did not start")
        rows.append(("clock running", measure(proc.pid, seconds)))
        # 50 viewers that read their streams (curl discards what it reads).
        for _ in range(50):
            viewers.append(subprocess.Popen(["curl", "-sN", url + "/events"],
                                            stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL))
        time.sleep(2)
        rows.append(("clock running, 50 live viewers", measure(proc.pid, seconds)))
        for name, (cpu, wakeups, per_thread) in rows:
            print(f"{name}: {cpu:.2f} % of a core, {wakeups:.1f} wakeups/s ({per_thread})")
    finally:
        for v in viewers:
            v.terminate()
        proc.terminate()
        proc.wait(10)
        xvfb.terminate()
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
