#!/usr/bin/env python3
"""Closes the real installer window at random moments of real installs.

Driven by scripts/stress-close.sh, which builds, starts the display and
passes the paths. Every run installs from a fresh installer folder against
the demo server (slow downloads, a slow package, a slow statistics server),
waits until the run reaches the phase whose turn it is, waits a random time
inside it and closes the window one of three ways. The run must then end
within 1 s with exit status 0, leave no .temp file and no half-written
user.ini, no process of its own alive and no sanitizer report. The last line
is: runs=N crashes=C hangs=H leftovers=L max_exit_ms=X
"""
import argparse
import ctypes
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PROGRAM_FILES = ["TovadocInstaller", "render-cairo.so", "imgdecoder-png.so", "translator.so",
                 "sys-resource.so"]

# Phase, the log line that starts it, how long to wait before looking for
# the line (after it appeared), and up to how long the close may come after.
PHASES = [
    ("framework download", "CInstallMgr::DownNetFile 安装step=20", 0.0, 0.9),
    ("framework install", "CInstallMgr::DownNetFile success", 0.0, 1.3),
    ("package download", "CInstallMgr::DownInstallFile 安装step=50", 0.0, 1.1),
    ("package install", "CInstallMgr::DownInstallFile success", 0.0, 1.3),
    ("statistics post", "CInstallMgr::AfterInstall 安装step=90", 0.0, 1.3),
    # The bar climbs one percent every 10 ms after the worker's last event.
    ("final page", "CInstallMgr::ThreadInstall", 1.5, 1.0),
]
METHODS = ["close button", "window manager", "SIGTERM"]
INSTALL_MS = 1500       # the demo package and framework installer take this long
CLOSE_LIMIT_MS = 1000   # a closed run must have ended within this
HANG_LIMIT_S = 10       # after this a run that did not end counts as hung


def log(msg):
    print(msg, file=sys.stderr, flush=True)


def xdotool(*args):
    out = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    return out.stdout.strip()


def send_delete_window(xid):
    """What a window manager sends when its close button is pressed."""
    class XClientMessageEvent(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class XEvent(ctypes.Union):
        _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]

    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(None)
    if not dpy:
        raise RuntimeError("cannot open the display")
    ev = XEvent()
    ev.xclient.type = 33  # ClientMessage
    ev.xclient.window = xid
    ev.xclient.message_type = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
    ev.xclient.format = 32
    ev.xclient.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
    ev.xclient.data[1] = 0  # CurrentTime
    x11.XSendEvent(dpy, xid, 0, 0, ctypes.byref(ev))
    x11.XFlush(dpy)
    x11.XCloseDisplay(dpy)


def window_rects(bin_dir):
    out = subprocess.run([os.path.join(bin_dir, "layout-preview"), "LAYOUT:XML_MAINWND",
                          "--rects"], capture_output=True, text=True, check=True,
                         # Fontconfig keeps its caches to the end: no leak of ours.
                         env={**os.environ, "ASAN_OPTIONS": "detect_leaks=0"}).stdout
    rects = {}
    for line in out.splitlines():
        name, *coords = line.split()
        rects[name] = tuple(int(c) for c in coords)
    return rects


def centre(rect):
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


def processes_of(root):
    """Live processes started from the run's folder or working on it."""
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/stat") as f:
                if f.read().rsplit(")", 1)[1].split()[0] == "Z":
                    continue  # already dead, waiting for its parent
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmdline = f.read().replace(b"\0", b" ").decode(errors="replace")
            exe = os.readlink(f"/proc/{pid}/exe")
        except OSError:
            continue
        if root in cmdline or exe.startswith(root):
            found.append(f"{pid} {cmdline.strip()}")
    return found


def leftovers(work, target):
    problems = []
    for folder, _, files in os.walk(work):
        for name in files:
            if name.endswith(".temp"):
                problems.append(f"{os.path.join(folder, name)} left behind")
            if name.startswith("user.ini.tmp"):
                problems.append(f"{os.path.join(folder, name)} left behind")
    user_ini = os.path.join(target, "user.ini")
    if os.path.exists(user_ini):
        with open(user_ini, encoding="utf-8", errors="replace") as f:
            text = f.read()
        if "channel=" not in text or "language=" not in text:
            problems.append(f"user.ini is not whole: {text!r}")
    return problems


class Run:
    def __init__(self, args, rects, number, base_url):
        self.args = args
        self.rects = rects
        self.number = number
        self.phase = PHASES[number % len(PHASES)]
        self.method = METHODS[(number // len(PHASES)) % len(METHODS)]
        self.work = tempfile.mkdtemp(prefix="tovadoc-stress-")
        self.installer = os.path.join(self.work, "installer")
        self.target = os.path.join(self.work, "product", "Tovadoc")
        self.log = os.path.join(self.work, "install.log")
        os.makedirs(self.installer)
        os.makedirs(os.path.join(self.work, "registry"))
        os.makedirs(os.path.dirname(self.target))
        for name in PROGRAM_FILES:
            shutil.copy2(os.path.join(args.bin, name), self.installer)
        with open(os.path.join(self.installer, "Install.ini"), "w") as f:
            f.write("[Config]\nversion=2.2.3.3\nchannel=stress\nlanguage=1\n"
                    f"net40_url={base_url}/software/third_party/NETFramework4.0.exe\n"
                    f"net45_url={base_url}/software/third_party/NETFramework4.5.exe\n"
                    f"install_pack_url={base_url}/software/install_pack/tvdoc2.0.exe\n"
                    f"install_statistics_url={base_url}/Soft/Sys/InstallationPackage\n")

    def log_text(self):
        with open(self.log, encoding="utf-8", errors="replace") as f:
            return f.read()

    def wait_for(self, proc, predicate, timeout):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            value = predicate()
            if value:
                return value
            if proc.poll() is not None:
                return None
            time.sleep(0.01)
        return None

    def execute(self):
        """Returns (kind, exit_ms, detail); kind is ok, crash, hang or leftover."""
        env = dict(os.environ)
        sanitizer_log = os.path.join(self.work, "sanitizer")
        env.update({
            "TOVADOC_REGISTRY_ROOT": os.path.join(self.work, "registry"),
            "TOVADOC_DEMO_INSTALL_MS": str(INSTALL_MS),
            # GTK and fontconfig keep caches for the life of the process.
            "ASAN_OPTIONS": f"detect_leaks=0:log_path={sanitizer_log}",
            "UBSAN_OPTIONS": f"print_stacktrace=1:halt_on_error=1:log_path={sanitizer_log}",
        })
        with open(self.log, "wb") as log_file:
            proc = subprocess.Popen([os.path.join(self.installer, "TovadocInstaller")], cwd="/",
                                    env=env, stdout=log_file, stderr=subprocess.STDOUT)
        try:
            return self.drive(proc)
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()

    def drive(self, proc):
        xid = self.wait_for(proc, lambda: xdotool("search", "--onlyvisible", "--pid",
                                                  str(proc.pid)).split("\n")[0], 30)
        if not xid:
            return "crash", 0, "no window appeared"
        geometry = dict(line.split("=", 1) for line in
                        xdotool("getwindowgeometry", "--shell", xid).splitlines() if "=" in line)
        x0, y0 = int(geometry["X"]), int(geometry["Y"])

        def click(name):
            x, y = centre(self.rects[name])
            xdotool("mousemove", str(x0 + x), str(y0 + y), "click", "1")

        # Page 0: the folder, then Install.
        click("edit_path")
        xdotool("key", "ctrl+a")
        xdotool("type", "--delay", "0", self.target)
        click("btn_installer")

        name, marker, settle, spread = self.phase
        if not self.wait_for(proc, lambda: marker in self.log_text(), 60):
            code = proc.poll()
            return "crash", 0, f"{name} never came (exit {code})"
        time.sleep(settle + random.uniform(0, spread))
        if proc.poll() is not None:
            return "crash", 0, f"ended by itself (exit {proc.returncode})"

        closed = time.monotonic()
        if self.method == "close button":
            click("btn_close")
        elif self.method == "window manager":
            send_delete_window(int(xid))
        else:
            proc.send_signal(signal.SIGTERM)
        try:
            code = proc.wait(HANG_LIMIT_S)
        except subprocess.TimeoutExpired:
            return "hang", HANG_LIMIT_S * 1000, f"still running {HANG_LIMIT_S} s after the close"
        exit_ms = int((time.monotonic() - closed) * 1000)

        if code != 0:
            return "crash", exit_ms, f"exit status {code}"
        reports = [f for f in os.listdir(self.work) if f.startswith("sanitizer")]
        if reports:
            return "crash", exit_ms, f"sanitizer report {os.path.join(self.work, reports[0])}"
        problems = leftovers(self.work, self.target)
        # Children are ended as the installer ends; give the kernel a moment
        # to finish them before counting them as left running.
        alive = self.wait_for(proc, lambda: not processes_of(self.work), 0.5) is None
        if alive:
            problems += [f"process {p} still running" for p in processes_of(self.work)]
        if problems:
            return "leftover", exit_ms, "; ".join(problems)
        if exit_ms > CLOSE_LIMIT_MS:
            return "hang", exit_ms, f"ended {exit_ms} ms after the close"
        return "ok", exit_ms, ""

    def cleanup(self, keep):
        for line in processes_of(self.work):
            try:
                os.kill(int(line.split()[0]), signal.SIGKILL)
            except OSError:
                pass
        if keep:
            log(f"  kept {self.work}")
        else:
            shutil.rmtree(self.work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    random.seed(seed)
    log(f"stress-close: {args.runs} runs, seed {seed}, display {os.environ.get('DISPLAY')}")

    rects = window_rects(args.bin)
    server_dir = tempfile.mkdtemp(prefix="tovadoc-stress-server-")
    server_log = os.path.join(server_dir, "server.log")
    with open(server_log, "wb") as f:
        server = subprocess.Popen(
            [os.path.join(args.bin, "tovadoc-demo-server"), "--port", "0", "--files", args.bin,
             "--stats", os.path.join(server_dir, "stats.jsonl"), "--slow-ms", "30",
             "--stats-delay-ms", str(INSTALL_MS)],
            stdout=f, stderr=subprocess.STDOUT,
            env={**os.environ, "ASAN_OPTIONS": "detect_leaks=0"})
    counts = {"crash": 0, "hang": 0, "leftover": 0}
    max_exit_ms = 0
    try:
        port = None
        for _ in range(150):
            with open(server_log) as f:
                for line in f:
                    if line.startswith("listening on http://127.0.0.1:"):
                        port = line.strip().rsplit(":", 1)[1]
            if port or server.poll() is not None:
                break
            time.sleep(0.1)
        if not port:
            log("stress-close: the demo server did not start")
            return 2
        base_url = f"http://127.0.0.1:{port}"
        for number in range(args.runs):
            run = Run(args, rects, number, base_url)
            kind, exit_ms, detail = run.execute()
            max_exit_ms = max(max_exit_ms, exit_ms)
            if kind != "ok":
                counts[kind] += 1
                log(f"run {number}: {kind} ({run.phase[0]}, {run.method}): {detail}")
            run.cleanup(keep=kind != "ok")
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(server_dir, ignore_errors=True)
    print(f"runs={args.runs} crashes={counts['crash']} hangs={counts['hang']} "
          f"leftovers={counts['leftover']} max_exit_ms={max_exit_ms}", flush=True)
    return 0 if not any(counts.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
