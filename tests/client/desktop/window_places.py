"""Where the client's windows open, in the X server's own pixels.

Run inside desktop_session.sh; the first argument is the client, the second
the case:

  wayland   a Wayland session beside the X server: the windows run on X and
            the notice window takes its corner; with Wayland alone the
            client runs there and says once that the corner is lost
  scale2    at QT_SCALE_FACTOR=2 the notice window ends flush with the
            screen's right edge and 60 device pixels (30 pixels) above its
            bottom
  small125  on 1366x768 at 125 % the main window starts on the screen
"""

import os
import re
import subprocess
import sys
import time

client, case = sys.argv[1], sys.argv[2]
problems = []


def check(condition, message):
    if not condition:
        problems.append(message)


def run_client(environment):
    """Starts the client and waits for its first page; returns the process."""
    process = subprocess.Popen([client], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               text=True, env=environment)
    line = process.stdout.readline()
    if not line.startswith("listed:"):
        process.kill()
        raise SystemExit(f"the client did not list its first page: {line!r} "
                         f"{process.stderr.read()[-2000:]}")
    return process


def stop(process):
    process.kill()
    _, errors = process.communicate()
    return errors


def x_output(*command):
    return subprocess.run(command, capture_output=True, text=True, check=False).stdout


def root_size():
    info = x_output("xwininfo", "-root")
    return (int(re.search(r"Width: (\d+)", info).group(1)),
            int(re.search(r"Height: (\d+)", info).group(1)))


def outer_frame(caption, seconds=10):
    """The window's frame (x, y, width, height) once the window manager has
    framed it and it has stopped moving, or None when it is not on X."""
    deadline = time.time() + seconds
    last = None
    while time.time() < deadline:
        info = x_output("xwininfo", "-name", caption)
        match = re.search(r"Window id: (0x[0-9a-f]+)", info)
        extents = x_output("xprop", "-id", match.group(1), "_NET_FRAME_EXTENTS") if match else ""
        found = re.search(r"= (\d+), (\d+), (\d+), (\d+)", extents)
        if match and found:
            left, right, top, bottom = map(int, found.groups())
            x = int(re.search(r"Absolute upper-left X:\s+(-?\d+)", info).group(1))
            y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info).group(1))
            w = int(re.search(r"Width: (\d+)", info).group(1))
            h = int(re.search(r"Height: (\d+)", info).group(1))
            frame = (x - left, y - top, w + left + right, h + top + bottom)
            if frame == last:
                return frame
            last = frame
        time.sleep(0.3)
    return last


def check_notice_in_corner(gap):
    width, height = root_size()
    frame = outer_frame("有偿广告")
    check(frame is not None, "the notice window is not on the X display")
    if frame is not None:
        x, y, w, h = frame
        check(x + w == width, f"the notice window's right edge is at {x + w}, not {width}")
        check(height - (y + h) == gap,
              f"the notice window ends {height - (y + h)} pixels above the bottom, not {gap}")


warning = "on Wayland a window cannot choose its place"
environment = {k: v for k, v in os.environ.items() if k != "QT_QPA_PLATFORM"}
if case == "wayland":
    client_process = run_client(environment)
    check_notice_in_corner(30)
    errors = stop(client_process)
    check(warning not in errors, f"beside X the client still warns: {errors[-500:]!r}")
    alone = {k: v for k, v in environment.items() if k != "DISPLAY"}
    client_process = run_client(alone)
    errors = stop(client_process)
    check(errors.count(warning) == 1,
          f"on Wayland alone the client does not say once that the corner is lost: {errors!r}")
elif case == "scale2":
    client_process = run_client(dict(environment, QT_SCALE_FACTOR="2"))
    check_notice_in_corner(60)
    stop(client_process)
elif case == "small125":
    client_process = run_client(dict(environment, QT_SCALE_FACTOR="1.25"))
    width, height = root_size()
    frame = outer_frame("Quorvel1.8")
    check(frame is not None, "the main window is not on the X display")
    if frame is not None:
        x, y, w, h = frame
        check(x >= 0 and y >= 0 and x + w <= width, f"the main window starts at {frame}")
        check(y + h <= height or y == 0,
              f"the main window {frame} runs past the bottom though it could start higher")
    stop(client_process)
else:
    raise SystemExit(f"unknown case {case!r}")

for problem in problems:
    print("FAILED:", problem)
sys.exit(1 if problems else 0)
