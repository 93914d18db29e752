#!/usr/bin/python3
"""A screen reader's walk through the real installer, in English.

Runs under dbus-run-session: the installer and this script find a private
accessibility bus (at-spi2-core) there. The script starts the demo server
and the real TovadocInstaller in a temporary installer folder, then, only
through AT-SPI (pyatspi) and real pointer input (xdotool):
  - finds the Install button by its name on page 0 and no visible Chinese;
  - on every page: every button, check box, link, picture and the progress
    bar named, and nothing in the tree that is not shown;
  - clicks the agreement check box and sees its checked state flip and the
    Install button follow, then ticks it again;
  - types a temporary install folder into the folder field;
  - presses Install through the button's action and watches the progress
    bar, named after the running stage, rise to 100, and hears 100 before
    the last page's Start button comes;
  - finds the Start button focused on the last page and closes the window
    with the Close button's action.
The package installs slowly enough for the carousel's first turn, which
the walk sees. With --desktop-settings the desktop asks for large text
(GDK_DPI_SCALE 1.5), high contrast (GTK_THEME) and reduced motion
(gtk-enable-animations off, through GTK's settings file): the installer
says it follows them, the carousel does not turn by itself, and the walk
pages it through the picture's action.
Exit status 0: passed; 77: skipped (no display or no pyatspi); else failed.
Usage: accessibility_walk.py BIN_DIR [--desktop-settings]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import pyatspi
    from gi.repository import GLib
except ImportError:
    print("SKIP: python3-pyatspi is not installed")
    sys.exit(77)

if not os.environ.get("DISPLAY"):
    print("SKIP: no X display")
    sys.exit(77)

PROGRAM_FILES = ["TovadocInstaller", "render-cairo.so", "imgdecoder-png.so", "translator.so",
                 "sys-resource.so"]
CJK = re.compile("[\u3000-\u30ff\u3400-\u9fff\uf900-\ufaff\uff00-\uffef]")


def fail(message):
    raise AssertionError(message)


def pump():
    """Lets the accessibility events that have arrived reach the listeners."""
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_for(predicate, seconds, what):
    end = time.time() + seconds
    while time.time() < end:
        pump()
        try:
            value = predicate()
        except Exception:  # the tree changes under us; look again
            value = None
        if value:
            return value
        time.sleep(0.05)
    fail("timed out waiting for " + what)


NAMED_ROLES = {"push button", "check box", "link", "image", "progress bar"}


def check_page(frame, what):
    """Everything in the tree shows, and whatever a user meets is named."""
    count = 0
    for node in walk(frame):
        if node is frame or node.getRoleName() in ("panel", "filler"):
            continue
        count += 1
        if not has(node, pyatspi.STATE_SHOWING):
            fail("%s: %s %r is in the tree but not shown" % (what, node.getRoleName(), node.name))
        if node.getRoleName() in NAMED_ROLES and not node.name:
            fail("%s: a %s without a name" % (what, node.getRoleName()))
    if count == 0:
        fail("%s: an empty tree" % what)


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def find(root, role, name):
    for node in walk(root):
        if node.getRoleName() == role and (name is None or node.name == name):
            return node
    return None


def has(node, state):
    return node.getState().contains(state)


def click(node):
    ext = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = ext.x + ext.width // 2, ext.y + ext.height // 2
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)


def start_server(bin_dir, work):
    log = open(os.path.join(work, "server.log"), "w+")
    server = subprocess.Popen(
        [os.path.join(bin_dir, "tovadoc-demo-server"), "--port", "0", "--files", bin_dir,
         "--stats", os.path.join(work, "stats.jsonl"), "--slow-ms", "20"],
        stdout=log, stderr=subprocess.STDOUT)
    def port():
        log.seek(0)
        found = re.search(r"listening on http://127\.0\.0\.1:(\d+)", log.read())
        return found and found.group(1)
    return server, wait_for(port, 15, "the demo server")


CAPTIONS = ["High quality PDF to WORD", "7 x 12 hours online customer service",
            "Professional team, meticulous research and development"]
# How long the demo package takes to install: page 1 outlasts the
# carousel's 2 s turn by a good margin.
INSTALL_MS = 2500


def carousel(frame):
    for node in walk(frame):
        if node.getRoleName() == "push button" and node.name in CAPTIONS:
            return node
    return None


def main(bin_dir, desktop_settings):
    work = tempfile.mkdtemp(prefix="tovadoc-a11y-")
    processes = []
    try:
        server, port = start_server(bin_dir, work)
        processes.append(server)
        installer = os.path.join(work, "installer")
        os.makedirs(installer)
        os.makedirs(os.path.join(work, "registry"))
        for name in PROGRAM_FILES:
            shutil.copy2(os.path.join(bin_dir, name), installer)
        base = "http://127.0.0.1:%s" % port
        with open(os.path.join(installer, "Install.ini"), "w") as ini:
            ini.write("[Config]\nlanguage=2\nchannel=a11y\n"
                      "net40_url=%s/software/third_party/NETFramework4.0.exe\n"
                      "net45_url=%s/software/third_party/NETFramework4.5.exe\n"
                      "install_pack_url=%s/software/install_pack/tvdoc2.0.exe\n"
                      "install_statistics_url=%s/Soft/Sys/InstallationPackage\n"
                      % (base, base, base, base))
        env = dict(os.environ, TOVADOC_REGISTRY_ROOT=os.path.join(work, "registry"),
                   ASAN_OPTIONS="detect_leaks=0", TOVADOC_DEMO_INSTALL_MS=str(INSTALL_MS))
        if desktop_settings:
            config = os.path.join(work, "config", "gtk-3.0")
            os.makedirs(config)
            with open(os.path.join(config, "settings.ini"), "w") as ini:
                ini.write("[Settings]\ngtk-enable-animations=false\n")
            env.update(XDG_CONFIG_HOME=os.path.join(work, "config"), GTK_THEME="HighContrast",
                       GDK_DPI_SCALE="1.5")
        program = subprocess.Popen([os.path.join(installer, "TovadocInstaller")], cwd=work,
                                   env=env, stdout=open(os.path.join(work, "installer.log"), "w"),
                                   stderr=subprocess.STDOUT)
        processes.append(program)

        def the_app():
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.name == "TovadocInstaller":
                    return app
        app = wait_for(the_app, 30, "the installer on the accessibility bus")
        frame = wait_for(lambda: find(app, "frame", "Tovadoc install program"), 15,
                         "the main window by its English title")

        # Page 0: the Install button by its name; nothing shown is Chinese.
        install = wait_for(lambda: find(frame, "push button", "Install"), 15, "Install")
        if not has(install, pyatspi.STATE_SHOWING) or not has(install, pyatspi.STATE_ENABLED):
            fail("Install is not shown and enabled")
        for node in walk(frame):
            if CJK.search(node.name or ""):
                fail("Chinese in English: %s %r" % (node.getRoleName(), node.name))
        check_page(frame, "page 0")
        if not has(install, pyatspi.STATE_IS_DEFAULT):
            fail("Install is not the default button (Enter presses it)")

        # The agreement box flips when clicked, and Install follows it.
        agree = find(frame, "check box", "Have read and")
        if agree is None or not has(agree, pyatspi.STATE_CHECKED):
            fail("the agreement box is missing or not ticked at start")
        click(agree)
        wait_for(lambda: not has(agree, pyatspi.STATE_CHECKED), 10, "the box to be unticked")
        wait_for(lambda: not has(install, pyatspi.STATE_ENABLED), 10, "Install to be disabled")
        click(agree)
        wait_for(lambda: has(agree, pyatspi.STATE_CHECKED), 10, "the box to be ticked again")
        wait_for(lambda: has(install, pyatspi.STATE_ENABLED), 10, "Install to be enabled")

        # The folder field is a native entry named by its tool tip.
        field = find(frame, "text", "Install folder")
        if field is None:
            fail("no folder field named 'Install folder'")
        target = os.path.join(work, "Programs")
        os.makedirs(target)
        field.queryEditableText().setTextContents(target)

        # Install through the button's action; the bar's value rises to 100,
        # heard before the Start button of the last page comes.
        heard = []
        def on_event(event):
            try:
                if event.type.startswith("object:property-change:accessible-value"):
                    if event.source.getRoleName() == "progress bar":
                        heard.append(("value", event.source.queryValue().currentValue))
                elif event.type.startswith("object:children-changed:add"):
                    heard.append(("added", event.any_data.name))
            except Exception:  # an object already gone
                pass
        pyatspi.Registry.registerEventListener(on_event, "object:property-change:accessible-value",
                                               "object:children-changed:add")
        install.queryAction().doAction(0)
        pressed = time.time()
        bar = wait_for(lambda: find(frame, "progress bar", None), 15, "the progress bar")
        check_page(frame, "page 1")
        names = set()
        slides = []  # the carousel's captions in the order seen
        paged = []
        def reached_end():
            if program.poll() is not None:
                fail("the installer ended during the run")
            try:
                names.add(bar.name)
                picture = carousel(frame)
                if picture is not None and (not slides or slides[-1] != picture.name):
                    slides.append(picture.name)
                # Under reduced motion the user pages it, once the timer
                # would have turned it.
                if desktop_settings and not paged and time.time() - pressed > 2.3:
                    picture.queryAction().doAction(0)
                    paged.append(picture.name)
            except Exception:  # the page has gone
                pass
            return ("added", "Start experience") in heard
        wait_for(reached_end, 180, "the last page (heard %s)" % heard[-5:])
        pump()
        seen = [value for kind, value in heard if kind == "value"]
        if seen != sorted(seen) or len(seen) < 5 or seen[-1] != 100:
            fail("the bar's value did not rise step by step to 100: %s" % seen)
        if heard.index(("value", 100)) > heard.index(("added", "Start experience")):
            fail("100 came after the last page: %s" % heard[-5:])
        if desktop_settings:
            if slides != CAPTIONS[:2] or paged != CAPTIONS[:1]:
                fail("under reduced motion the carousel turned by itself, or not when "
                     "paged: %s (paged at %s)" % (slides, paged))
        elif len(slides) < 2 or slides[:2] != CAPTIONS[:2]:
            fail("the carousel did not turn by itself: %s" % slides)
        stages = {"Checking the system...", "Downloading the installation package...",
                  "Installing...", "Install complete"}
        if not names & stages or "" in names:
            fail("the bar was not named after the running stage: %s" % names)

        # The last page: the keyboard lands on the Start button.
        start = wait_for(lambda: find(frame, "push button", "Start experience"), 15, "Start")
        wait_for(lambda: has(start, pyatspi.STATE_SHOWING) and has(start, pyatspi.STATE_FOCUSED),
                 15, "Start to be shown and focused")
        check_page(frame, "the last page")
        if find(frame, "push button", "Install") is not None:
            fail("page 0 is still in the tree")
        if not os.path.exists(os.path.join(target, "Tovadoc", "Tovadoc.exe")):
            fail("the product was not installed")

        find(frame, "push button", "Close").queryAction().doAction(0)
        end = time.time() + 20
        while program.poll() is None and time.time() < end:
            time.sleep(0.05)
        if program.returncode != 0:
            fail("the installer did not close cleanly: %s" % program.returncode)
        if desktop_settings:
            said = open(os.path.join(work, "installer.log"), errors="replace").read()
            if "text scale 1.50, high contrast 1, animations 0" not in said:
                fail("the installer did not take the desktop's settings")
        print("PASS: %d distinct bar values, last %s; carousel %s" % (len(seen), seen[-1], slides))
        return 0
    except AssertionError as error:
        print("FAIL:", error)
        log = os.path.join(work, "installer.log")
        if os.path.exists(log):
            print(open(log, errors="replace").read()[-3000:])
        return 1
    finally:
        for process in processes:
            if process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], "--desktop-settings" in sys.argv[2:]))
