"""Headless Chromium driven over its debugging pipe (fd 3 in, fd 4 out, one JSON message per
NUL-terminated line): pages opened at a size, JavaScript evaluated in them, screenshots."""
import base64
import json
import os
import shutil
import tempfile
import threading
import time


class BrowserFailure(Exception):
    pass


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="kyomat-chromium-")
        to_browser_r, self.to_browser = os.pipe()
        self.from_browser, from_browser_w = os.pipe()
        # The browser reads its commands on fd 3 and writes its answers on fd 4.
        self.pid = os.posix_spawn(
            shutil.which("chromium"),
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--remote-debugging-pipe", "--user-data-dir=" + self.profile, "about:blank"],
            os.environ,
            file_actions=[(os.POSIX_SPAWN_DUP2, to_browser_r, 3),
                          (os.POSIX_SPAWN_DUP2, from_browser_w, 4),
                          (os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0),
                          (os.POSIX_SPAWN_OPEN, 2, os.devnull, os.O_WRONLY, 0)])
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.gone = False
        self.replies = {}
        self.lock = threading.Condition()
        self.next_id = 0
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self.from_browser, 65536)
            except OSError:
                return
            if not chunk:
                with self.lock:
                    self.gone = True
                    self.lock.notify_all()
                return
            pending += chunk
            while b"\0" in pending:
                message, pending = pending.split(b"\0", 1)
                m = json.loads(message)
                if "id" in m:
                    with self.lock:
                        self.replies[m["id"]] = m
                        self.lock.notify_all()

    def call(self, method, params=None, session=None, timeout=30):
        with self.lock:
            self.next_id += 1
            wanted = self.next_id
        message = {"id": wanted, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_browser, json.dumps(message).encode() + b"\0")
        end = time.monotonic() + timeout
        with self.lock:
            while wanted not in self.replies:
                left = end - time.monotonic()
                if left <= 0 or self.gone:
                    raise BrowserFailure(f"no answer to {method}")
                self.lock.wait(left)
            reply = self.replies.pop(wanted)
        if "error" in reply:
            raise BrowserFailure(f"{method}: {reply['error']}")
        return reply.get("result", {})

    def open(self, url, width, height):
        """A page of that size; returns its session."""
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.call("Target.attachToTarget",
                            {"targetId": target, "flatten": True})["sessionId"]
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False},
                  session)
        self.call("Page.navigate", {"url": url}, session)
        self.targets = getattr(self, "targets", {})
        self.targets[session] = target
        return session

    def close_page(self, session):
        """Closes a page and its streams (a browser holds only a few per server)."""
        target = getattr(self, "targets", {}).pop(session, None)
        if target is not None:
            self.call("Target.closeTarget", {"targetId": target})

    def evaluate(self, session, expression):
        r = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True},
                      session)
        return r.get("result", {}).get("value")

    def screenshot(self, session, file):
        r = self.call("Page.captureScreenshot", {"format": "png"}, session)
        with open(file, "wb") as f:
            f.write(base64.b64decode(r["data"]))

    def close(self):
        # Asked to close, the browser removes its temporary files; killed only if it hangs.
        try:
            self.call("Browser.close", timeout=5)
        except BrowserFailure:
            pass
        end = time.monotonic() + 5
        while time.monotonic() < end:
            if os.waitpid(self.pid, os.WNOHANG) != (0, 0):
                break
            time.sleep(0.1)
        else:
            try:
                os.kill(self.pid, 9)
                os.waitpid(self.pid, 0)
            except OSError:
                pass
        for fd in (self.to_browser, self.from_browser):
            try:
                os.close(fd)
            except OSError:
                pass
        shutil.rmtree(self.profile, ignore_errors=True)
