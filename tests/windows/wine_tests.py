#!/usr/bin/env python3
"""The Windows build's tests under Wine.

1. The data core and engine tests, the live view's document tests and the gong's test
   (GoogleTest programs), and every scenario file through kyomat-scenario.exe.
2. The packed program itself: unpacked into a folder named "Prüfung", started under Wine on
   Xvfb with a window manager and a German keyboard layout, two bouts of its bout list run
   with real X keys (Ctrl+N, 1, Ctrl+N, 7, Ctrl+N), read back through the live view's /state.json and from the list file
   on disk: both results are in the list, saved over the existing file twice, and nothing is
   left beside it; the pause shows an .ico logo. A screenshot of the board is kept in
   build/windows/.
3. The protocol reader with a list named "Łódź", to the console and redirected into a file.

Every wait is for a condition, with a deadline.
"""
import argparse
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

FAILURES = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        FAILURES.append(what)


def wine(args, cwd, env=None, timeout=900):
    return subprocess.run(["wine"] + args, cwd=cwd, env=env, timeout=timeout,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          errors="replace")


def unit_tests(bin_dir, scenarios):
    env = dict(os.environ, SDL_AUDIODRIVER="dummy")
    # The state walk and the key storm run the same engine as on Linux and take minutes under
    # Wine (thousands of settings files written and read): they stay with the Linux suite.
    heavy = "--gtest_filter=-NoDeadEnd.EveryStateLetsTheNextBoutBeLoadedOrSaysWhatToDoFirst:Soak.*"
    for exe in ("kyomat_core_tests.exe", "kyomat_live_tests.exe", "kyomat_platform_tests.exe"):
        start = time.time()
        r = wine([exe, "--gtest_brief=1", heavy], bin_dir, env)
        tail = [line for line in r.stdout.splitlines() if "PASSED" in line or "FAILED" in line]
        check(r.returncode == 0, f"{exe}: {' / '.join(tail[-3:])} ({time.time() - start:.0f} s)")
        if r.returncode != 0:
            print(r.stdout[-4000:])
    files = sorted(glob.glob(os.path.join(scenarios, "*.scn")))
    r = wine(["kyomat-scenario.exe"] + ["Z:" + f.replace("/", "\\") for f in files], bin_dir)
    last = r.stdout.strip().splitlines()[-1] if r.stdout.strip() else "(nothing)"
    check(r.returncode == 0 and last == f"{len(files)} passed, 0 failed",
          f"scenarios under Wine: {last}")
    if r.returncode != 0:
        print("\n".join(line for line in r.stdout.splitlines() if "FAIL" in line or "expected" in line))


def wait_for(what, condition, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        # A condition that cannot be read yet (a list row not written, a window not mapped)
        # is a condition not yet met.
        try:
            value = condition()
        except (OSError, ValueError, LookupError, subprocess.SubprocessError):
            value = None
        if value:
            return value
        time.sleep(0.25)
    check(False, f"waited {seconds} s for {what}")
    return None


class Desk:
    def __init__(self):
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1280x720x24",
                                      "-nolisten", "tcp", "-noreset"], stdout=subprocess.PIPE)
        self.display = ":" + self.xvfb.stdout.readline().decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        # A German keyboard, as at a German referee table (Wine takes the layout at its start;
        # the server keeps it, started with -noreset). Wine gives some of its keys other
        # virtual-key codes than Windows does: those are tested in kyomat_platform_tests.
        subprocess.run(["setxkbmap", "de"], env=self.env, check=True)

    def x(self, *args):
        r = subprocess.run(["xdotool"] + list(args), env=self.env, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True)
        return r.stdout.strip()

    def window(self, name):
        return self.x("search", "--name", name).split("\n")[0]

    def key(self, name, keys):
        win = self.window(name)
        self.x("windowactivate", "--sync", win)
        self.x("key", "--clearmodifiers", keys)

    def pixel(self, x, y):
        r = subprocess.run(["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8",
                            "rgb:-"], env=self.env, stdout=subprocess.PIPE)
        return tuple(r.stdout[:3])

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            p.wait()


def red_icon(size=32):
    """A Windows icon of one red square (32-bit BMP inside, with its AND mask)."""
    import struct
    pixels = bytes([0, 0, 255, 255]) * (size * size)
    mask = bytes(size * size // 8)
    image = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(pixels) + len(mask),
                        0, 0, 0, 0) + pixels + mask
    return (struct.pack("<HHH", 0, 1, 1) +
            struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22) + image)


def reader(package):
    """kyomat --protokoll with a list named "Łódź": to the console and into a file."""
    work = tempfile.mkdtemp(prefix="kyomat-wine-reader-")
    folder = os.path.join(work, "Łódź")
    shutil.copytree(package, folder)
    head = ("Uhrzeit;Liste;Altersklasse;Gewichtsklasse;Sekunde;Gegenstand;Betrag;Blau;Weiß;"
            "Dauer;Sieger;Kampfliste;Verein Blau;Verein Weiß;Anzeige")
    lines = [head,
             "11:00:00;1;U15;-50;;NEUER KAMPF;Liste;Wałęsa;Wolf;;;Łódź.kfl;JC;TV;",
             "12:00:00;1;U18;-81;;NEUER KAMPF;Liste;Koch;Berg;;;Maenner.kfl;SV;PSV;"]
    with open(os.path.join(folder, "protokoll.csv"), "wb") as f:
        f.write(("\ufeff" + "\r\n".join(lines) + "\r\n").encode("utf-8"))
    # Wine reads the Unix command line in the locale's encoding.
    env = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")
    try:
        r = subprocess.run(["wine", "kyomat.exe", "--protokoll", "protokoll.csv", "Łódź"],
                           cwd=folder, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=300)
        out = r.stdout.decode("utf-8", "replace")
        check(r.returncode == 0 and "Liste Łódź.kfl" in out and "Wałęsa" in out and
              "Koch" not in out, f"the reader finds the list \"Łódź\": {out.strip()[:200]!r}")
        r = subprocess.run(["wine", "cmd", "/c",
                            "kyomat.exe --protokoll protokoll.csv Łódź > aus.txt"],
                           cwd=folder, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=300)
        try:
            with open(os.path.join(folder, "aus.txt"), "rb") as f:
                saved = f.read().decode("utf-8", "replace")
        except OSError:
            saved = ""
        check("Liste Łódź.kfl" in saved and "Wałęsa" in saved,
              f"kyomat --protokoll … > aus.txt writes UTF-8 into the file: {saved[:200]!r}")
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        shutil.rmtree(work, ignore_errors=True)


def state(port):
    try:
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/state.json", timeout=2) as r:
            return json.loads(r.read().decode("utf-8"))
    except Exception:  # not up yet, or between two bouts
        return None


def list_rows(path):
    with open(path, "rb") as f:
        text = f.read().decode("cp1252")
    return [line.split("|") for line in text.split("\r\n") if line.startswith("#DAT")]


def program(package, shot):
    port = 18431
    work = tempfile.mkdtemp(prefix="kyomat-wine-")
    folder = os.path.join(work, "Prüfung")
    shutil.copytree(package, folder)
    ini = ("[anzeige]\r\nanz_links=0\r\ncontrol=0\r\nkampfzeit=60\r\ngong=gong.wav\r\n"
           "protokoll=1\r\ngewk=-\r\n[live]\r\nport=%d\r\n"
           "[pause]\r\nlogo1=logo.ico\r\nzeit1=50\r\n" % port)
    with open(os.path.join(folder, "logo.ico"), "wb") as f:
        f.write(red_icon())
    with open(os.path.join(folder, "kyomat.ini"), "wb") as f:
        f.write(ini.encode("cp1252"))
    kfl = ("#STR|KFL|20261207|120000\r\n#PAR|0|||2\r\n"
           "#DAT|-66|Müller, Jürgen|JC Köln|Weiß, Tom|TSV Süd|||\r\n"
           "#DAT|-73|Groß, Uwe|SV Nord|Li, Wei|JV Ost|||\r\n")
    listfile = os.path.join(folder, "neu.kfl")
    with open(listfile, "wb") as f:
        f.write(kfl.encode("cp1252"))
    desk = Desk()
    env = dict(desk.env, SDL_AUDIODRIVER="dummy")
    board = "KYOMAT - Anzeigetafel"
    proc = subprocess.Popen(["wine", "kyomat.exe"], cwd=folder, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        check(bool(wait_for("the board's window", lambda: desk.window(board), 120)),
              "kyomat.exe opens its board under Wine")
        check(bool(wait_for("the live view", lambda: state(port), 30)), "its live view answers")
        desk.key(board, "ctrl+n")
        s = wait_for("bout 1", lambda: (state(port) or {}).get("blue", {}).get("name") ==
                     "Müller, Jürgen" and state(port), 20)
        check(bool(s), "Ctrl+N loads bout 1 with its umlauts")
        # The pause shows the ICO logo: Qt's image plugin is in the package.
        desk.key(board, "ctrl+q")
        check(bool(wait_for("the red logo", lambda: desk.pixel(640, 360) == (255, 0, 0), 20)),
              "an .ico logo shows in the pause")
        desk.key(board, "ctrl+r")
        wait_for("the end of the pause", lambda: desk.pixel(640, 360) != (255, 0, 0), 20)
        desk.key(board, "1")
        wait_for("the winner", lambda: (state(port) or {}).get("winner") == "blue", 20)
        time.sleep(1)
        subprocess.run(["import", "-window", "root", shot], env=desk.env)
        desk.key(board, "ctrl+n")
        first = wait_for("the first result in the list", lambda: list_rows(listfile)[0][6] == "1:0"
                         and list_rows(listfile), 20)
        check(bool(first), "the first result is saved over the list in \"Prüfung\"")
        wait_for("bout 2", lambda: (state(port) or {}).get("white", {}).get("name") == "Li, Wei",
                 20)
        desk.key(board, "7")
        wait_for("the winner", lambda: (state(port) or {}).get("winner") == "white", 20)
        desk.key(board, "ctrl+n")
        second = wait_for("the second result", lambda: list_rows(listfile)[1][6] == "0:1"
                          and list_rows(listfile), 20)
        check(bool(second) and second[0][6] == "1:0",
              "the second save replaces the first and keeps its result")
        left = sorted(os.listdir(folder))
        check(not [n for n in left if ".tmp" in n], f"nothing left beside the list: {left}")
        protocols = glob.glob(os.path.join(folder, "protokoll-*.csv"))
        check(len(protocols) == 1, "the day's protocol is written in \"Prüfung\"")

    finally:
        proc.terminate()
        subprocess.run(["wineserver", "-k"], env=env)
        desk.close()
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--scenarios", required=True)
    parser.add_argument("--package", required=True)
    args = parser.parse_args()
    unit_tests(args.bin, args.scenarios)
    reader(args.package)
    shot = os.path.join(os.path.dirname(args.package), "board-under-wine.png")
    program(args.package, shot)
    print(f"\n{len(FAILURES)} failed" if FAILURES else "\nall Windows tests passed")
    return 1 if FAILURES else 0


if __name__ == "__main__":
    sys.exit(main())
