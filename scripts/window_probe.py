#!/usr/bin/env python3
"""Drags on the game's window the way a player does and times what reaches
the screen, through the X server itself (XTest to move the pointer, XGetImage
to see the picture), so nothing inside the game is trusted.

  window_probe.py latency X Y W H STEPS   one small pointer move at a time,
      each from a still picture: milliseconds until the picture changes
  window_probe.py drag X Y W H SECONDS    a steady drag: how often the
      picture changes while it lasts
  window_probe.py blind-drag X Y W H SECONDS  the same drag, not watched (the
      game's own statistics tell its frames)
  window_probe.py settle X Y W H          waits until the picture holds still

X Y W H is the region watched, in root-window pixels; the drag starts at its
centre. Results are printed as "key value" lines.
"""

import ctypes
import statistics
import sys
import time

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")

x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, up to the ones read here.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int)]


class Screen:
    def __init__(self, region):
        self.display = x11.XOpenDisplay(None)
        if not self.display:
            sys.exit("window_probe: no X display")
        self.root = x11.XDefaultRootWindow(self.display)
        self.x, self.y, self.w, self.h = region

    def picture(self):
        image = x11.XGetImage(self.display, self.root, self.x, self.y, self.w, self.h, ALL_PLANES, Z_PIXMAP)
        if not image:
            sys.exit("window_probe: cannot read the screen")
        header = XImage.from_address(image)
        data = ctypes.string_at(header.data, header.bytes_per_line * header.height)
        # XDestroyImage is a macro: the image frees itself through its own table.
        ctypes.CDLL("libc.so.6").free(ctypes.c_void_p(header.data))
        ctypes.CDLL("libc.so.6").free(ctypes.c_void_p(image))
        return data

    def move(self, x, y):
        xtst.XTestFakeMotionEvent(self.display, -1, x, y, 0)
        x11.XFlush(self.display)

    def button(self, down):
        xtst.XTestFakeButtonEvent(self.display, 1, 1 if down else 0, 0)
        x11.XFlush(self.display)

    def settle(self, quiet=1.0, longest=20.0):
        """Waits until the picture has not changed for `quiet` seconds."""
        start = time.monotonic()
        last = self.picture()
        since = time.monotonic()
        while time.monotonic() - since < quiet:
            if time.monotonic() - start > longest:
                return False
            time.sleep(0.01)
            now = self.picture()
            if now != last:
                last, since = now, time.monotonic()
        return True

    def until_changed(self, before, longest=5.0):
        start = time.monotonic()
        while time.monotonic() - start < longest:
            if self.picture() != before:
                return time.monotonic()
            time.sleep(0.002)
        return None


def latency(screen, steps):
    cx, cy = screen.x + screen.w // 2, screen.y + screen.h // 2
    screen.move(cx, cy)
    screen.settle()
    screen.button(True)
    times = []
    x = cx
    for step in range(steps):
        screen.settle()
        before = screen.picture()
        x += 12 if step % 2 == 0 else -12
        start = time.monotonic()
        screen.move(x, cy)
        changed = screen.until_changed(before)
        if changed is not None:
            times.append(1000 * (changed - start))
    screen.button(False)
    if not times:
        sys.exit("window_probe: the picture never changed after a move")
    print(f"latency_median_ms {statistics.median(times):.0f}")
    print(f"latency_min_ms {min(times):.0f}")
    print(f"latency_max_ms {max(times):.0f}")
    print(f"latency_moves {len(times)}")


def drag(screen, seconds, watch=True):
    cx, cy = screen.x + screen.w // 2, screen.y + screen.h // 2
    screen.move(cx, cy)
    screen.settle()
    screen.button(True)
    start = time.monotonic()
    changes = 0
    last = screen.picture()
    next_move = start
    x = cx
    direction = 1
    while time.monotonic() - start < seconds:
        now = time.monotonic()
        if now >= next_move:
            # A steady hand: 4 pixels every 10 ms, back and forth.
            x += 4 * direction
            if abs(x - cx) > 150:
                direction = -direction
            screen.move(x, cy)
            next_move += 0.01
        if not watch:
            time.sleep(0.002)
            continue
        picture = screen.picture()
        if picture != last:
            changes += 1
            last = picture
        # Light enough to leave the game its cores, often enough for 50
        # pictures a second.
        time.sleep(0.008)
    screen.button(False)
    if watch:
        print(f"drag_seconds {seconds:.1f}")
        print(f"drag_pictures_a_second {changes / seconds:.1f}")


def main():
    if len(sys.argv) < 6:
        sys.exit(__doc__)
    what = sys.argv[1]
    screen = Screen([int(v) for v in sys.argv[2:6]])
    if what == "latency":
        latency(screen, int(sys.argv[6]))
    elif what == "drag":
        drag(screen, float(sys.argv[6]))
    elif what == "blind-drag":
        drag(screen, float(sys.argv[6]), watch=False)
    elif what == "settle":
        start = time.monotonic()
        held = screen.settle()
        print(f"settled_after_s {time.monotonic() - start:.2f}" if held else "settled_after_s never")
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
