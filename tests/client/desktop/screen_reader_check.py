"""What a screen reader reads of the client and the progress bar gallery.

Run inside desktop_session.sh --a11y: starts the client's windows (the
desktop host, whose standard input drives it) and the gallery, reads their
trees over the accessibility bus with pyatspi, listens to what they tell
while a row is chosen with the arrow key and a new page is listed, and
fails with every difference it finds.

    screen_reader_check.py DESKTOP_HOST PROGRESSBAR_GALLERY
"""

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

problems = []


def check(condition, message):
    if not condition:
        problems.append(message)


def start(command):
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    return subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                            env=environment)


def application(name_part, seconds=20):
    deadline = time.time() + seconds
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and name_part in (app.name or ""):
                return app
        time.sleep(0.2)
    raise SystemExit(f"no application named like {name_part!r} on the accessibility bus")


def walk(node, depth=0):
    """Every object under `node`, with how a reader would speak it."""
    yield node, depth
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def spoken(node):
    parts = [node.name or "", node.description or ""]
    try:
        text = node.queryText()
        parts.append(text.getText(0, text.characterCount))
    except NotImplementedError:
        pass
    return " ".join(parts)


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def pump(seconds):
    loop = GLib.MainLoop()
    GLib.timeout_add(int(seconds * 1000), loop.quit)
    loop.run()


def tell(process, line):
    process.stdin.write(line + "\n")
    process.stdin.flush()
    answer = process.stdout.readline().strip()
    check(answer == "done", f"the host answered {answer!r} to {line!r}")


def check_client(host_binary):
    host = start([host_binary])
    try:
        ready = host.stdout.readline().strip()
        if ready != "ready":
            raise SystemExit(f"the desktop host said {ready!r} instead of 'ready'")
        app = application("quorvel-desktop-host")
        nodes = list(walk(app))
        frames = {n.name: n for n, depth in nodes if depth == 1}
        for caption in ("Quorvel1.8", "有偿广告"):
            frame = frames.get(caption)
            check(frame is not None, f"no window named {caption!r}: {sorted(frames)}")
            if frame is not None:
                check(frame.getRoleName() == "frame",
                      f"window {caption!r} is a {frame.getRoleName()!r}, not a frame")

        def find(role, name):
            found = [n for n, _ in nodes if n.getRoleName() == role and n.name == name]
            check(len(found) == 1, f"{len(found)} objects are a {role!r} named {name!r}")
            return found[0] if found else None

        find("text", "搜索")
        catalogue = find("list", "外挂列表")
        if catalogue is not None:
            check(catalogue.description == "选择需要下载的外挂,下载地址会显示在下方!",
                  f"the catalogue's description is {catalogue.description!r}")
        find("list", "下载地址")

        for node, _ in nodes:
            said = spoken(node)
            check("/*/" not in said and "/**/" not in said,
                  f"a {node.getRoleName()!r} reads out a store: {said[:80]!r}")
        main = frames.get("Quorvel1.8")
        if main is not None:
            right = main.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            for node, _ in walk(main):
                box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                check(box.width == 0 or box.x < right.x + right.width,
                      f"a {node.getRoleName()!r} lies beyond the window's right edge")

        heard = []

        def listener(event):
            try:
                heard.append((event.type, event.source.getRoleName(), event.source.name,
                              str(event.any_data)))
            except Exception:  # a source gone by the time it is asked
                pass

        kinds = ["focus:", "object:state-changed:focused", "object:property-change:accessible-name",
                 "object:announcement"]
        for kind in kinds:
            pyatspi.Registry.registerEventListener(listener, kind)
        pump(0.5)
        tell(host, "down")
        pump(1.0)
        rows = [h for h in heard if h[0].startswith(("focus", "object:state-changed:focused"))
                and h[1] == "list item"]
        check(any("穿越火线" in h[2] and "VIP授权" in h[2] and "2014-07-01 18:20:05" in h[2]
                  for h in rows),
              f"the row moved to is not read whole: {heard}")
        heard.clear()
        tell(host, "next")
        pump(1.0)
        counts = [h for h in heard
                  if "57" in h[3] and (h[0] == "object:announcement" or h[1] == "status bar")]
        check(counts, f"the new count is not told as a status or an announcement: {heard}")
        for kind in kinds:
            pyatspi.Registry.deregisterEventListener(listener, kind)
        host.stdin.write("quit\n")
        host.stdin.flush()
    finally:
        host.kill()
        host.wait()


def check_gallery(gallery_binary):
    gallery = start([gallery_binary, "--fresh"])
    try:
        app = application("progressbar-gallery")
        pump(0.5)
        bars = [n for n, _ in walk(app) if n.getRoleName() == "progress bar"]
        check(bars, "the gallery shows no progress bar")
        disabled = [b for b in bars if "enabled" not in states(b)]
        check(disabled, "no bar of the gallery is reported disabled, though some are greyed")
        for bar in disabled:
            try:
                actions = bar.queryAction()
                names = [actions.getName(i) for i in range(actions.nActions)]
            except NotImplementedError:
                names = []
            check(not names, f"the disabled bar {bar.name!r} offers {names}")
    finally:
        gallery.kill()
        gallery.wait()


check_client(sys.argv[1])
check_gallery(sys.argv[2])
for problem in problems:
    print("FAILED:", problem)
sys.exit(1 if problems else 0)
