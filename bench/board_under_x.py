"""What the benchmarks run from outside the program share: an X server of their own, a free
port for the live view, and waiting until the live view answers."""
import os
import socket
import subprocess
import time
import urllib.request


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_x(size="1280x720x24"):
    """An Xvfb that picks a free display itself; returns the process and ":N"."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size,
                             "-nolisten", "tcp"], pass_fds=(write_end,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        return xvfb, ":" + f.readline().strip()


def wait_live(url, seconds=20):
    """Waits until the program's live view answers at url."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            urllib.request.urlopen(url + "/state.json", timeout=1).read()
            return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError("the live view did not answer")
