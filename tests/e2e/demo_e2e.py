#!/usr/bin/env python3
"""End-to-end tests of the demo program on a private X server.

Each scenario starts its own Xvfb (it picks a free display itself, so parallel runs never meet),
starts the real kestrel-customiser-demo on it and works it the way a user would: XTest mouse
and keys through xdotool, message boxes found by their title in the window tree. What it checks
is what the user and the wheel would see: the simulated wheel's memory written out on exit, the
log, the texts of the message boxes (recorded by the preloaded prompt recorder, and by the demo
itself for prompts it draws in its window), the window's pixels and the exit code.

With --no-core-fonts the X server has only its built-in fonts, as many current desktops have no
X core fonts at all: the system message box cannot be shown there, and the prompts appear in
the program's own window.

Exit code 0 passed, 1 failed, 77 skipped (Xvfb cannot start here).
"""
import argparse
import ctypes
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77

TITLE = "Kestrel Customiser"
NEWER_VERSION_QUESTION = ("A newer version of this software is available online\n \n"
                          "Would you like to download it now?\n \n")
APP_UPGRADE_REFUSAL = ("You must upgrade to the latest version of the app to ensure you have\n"
                       "the latest firmware upgrades for your controller.")
FIRMWARE_QUESTION = ("The firmware version on your controller is out of date\n \n"
                     "Would you like to upgrade it now?\n \n")
UPDATE_DONE = "Your controller had been updated to the latest version.\n \n"

# Screen positions (window pixels) of what the scenarios touch: the centre of the palette button
# for "right stick up", of the hotspot of the d-pad's up button, of Assign Setting and of the
# Sensitivity page tab.
PALETTE_RIGHT_STICK_UP = (107, 521)
HOTSPOT_DPAD_UP = (118, 152)
ASSIGN_SETTING = (338, 454)
SENSITIVITY_TAB = (326, 25)

# Where the Xbox 360 block keeps the output of the d-pad's up button (physical control 10), and
# what "right stick up" writes there.
XBOX_BLOCK = 0x100
DPAD_UP_CONTROL = 10
OUTPUT_TYPE_RIGHT_STICK_Y = 21
RIGHT_STICK_UP_VALUE = 32767

SCREEN_WIDTH, SCREEN_HEIGHT = 800, 600
# How long a button stays down or up: several frames even on a loaded CI machine, so the program
# never sees a press and its release in the same frame.
HOLD = 0.15


class Skip(Exception):
    pass


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(0.05)


class XServer:
    """A private Xvfb; -displayfd lets the server choose a display number nobody else holds."""

    def __init__(self, workdir, core_fonts=True):
        xvfb = shutil.which("Xvfb")
        if xvfb is None:
            raise Skip("Xvfb is not installed")
        read_end, write_end = os.pipe()
        font_path = [] if core_fonts else ["-fp", "built-ins"]
        self.process = subprocess.Popen(
            [xvfb, "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset"] + font_path,
            pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(workdir, "xvfb.log"), "wb"))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            ready, _, _ = select.select([read_end], [], [], max(remaining, 0))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                os.close(read_end)
                self.close()
                with open(os.path.join(workdir, "xvfb.log"), errors="replace") as log:
                    reason = log.read().strip().splitlines()[-1:] or ["no display number reported"]
                raise Skip(f"Xvfb cannot start ({reason[0]})")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def run(self, *command, check_result=True):
        env = dict(os.environ, DISPLAY=self.display)
        done = subprocess.run(command, env=env, capture_output=True, text=True, timeout=10)
        if check_result and done.returncode != 0:
            raise Failure(f"{' '.join(command)} failed: {done.stderr.strip()}")
        return done.stdout

    def top_level_windows(self):
        """(id, name, width, height) of every child of the root window."""
        windows = []
        for line in self.run("xwininfo", "-root", "-children").splitlines():
            line = line.strip()
            if not line.startswith("0x"):
                continue
            window_id, _, rest = line.partition(" ")
            name = rest.split('"')[1] if rest.startswith('"') else ""
            size = rest.rsplit(")", 1)[-1].split()[0] if ")" in rest else ""
            width, _, height = size.partition("x")
            height = height.split("+")[0].split("-")[0]
            if width.isdigit() and height.isdigit():
                windows.append((window_id, name, int(width), int(height)))
        return windows

    def message_boxes(self):
        return [w[0] for w in self.top_level_windows() if w[1] == TITLE]

    def window_class(self, window_id):
        return self.run("xprop", "-id", window_id, "WM_CLASS")


class Screenshot:
    """Reads a window's pixels straight from the X server through libX11."""

    class XImage(ctypes.Structure):
        _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                    ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                    ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                    ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                    ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                    ("bits_per_pixel", ctypes.c_int)]

    def __init__(self, display):
        self.xlib = ctypes.CDLL("libX11.so.6")
        self.xlib.XOpenDisplay.restype = ctypes.c_void_p
        self.xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.xlib.XGetImage.restype = ctypes.POINTER(self.XImage)
        self.xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.xlib.XFree.argtypes = [ctypes.c_void_p]
        self.xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.connection = self.xlib.XOpenDisplay(display.encode())
        check(self.connection, f"cannot open display {display} through libX11")

    def grab(self, window_id):
        """The window's 800 x 600 pixels as bytes, 4 per pixel."""
        self.xlib.XSync(self.connection, 0)
        z_pixmap, all_planes = 2, 0xFFFFFFFF
        image = self.xlib.XGetImage(self.connection, int(window_id, 16), 0, 0, SCREEN_WIDTH,
                                    SCREEN_HEIGHT, all_planes, z_pixmap)
        check(image, "XGetImage failed on the program's window")
        try:
            check(image.contents.bits_per_pixel == 32, "the X server does not use 32-bit pixels")
            stride = image.contents.bytes_per_line
            raw = ctypes.string_at(image.contents.data, stride * SCREEN_HEIGHT)
        finally:
            self.xlib.XFree(image.contents.data)
            self.xlib.XFree(image)
        row = SCREEN_WIDTH * 4
        return b"".join(raw[y * stride:y * stride + row] for y in range(SCREEN_HEIGHT))

    def request_close(self, window_id):
        """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                        ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                        ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                        ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

        class Event(ctypes.Union):
            _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]

        self.xlib.XInternAtom.restype = ctypes.c_ulong
        self.xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                         ctypes.c_void_p]
        client_message = 33
        event = Event()
        event.client.type = client_message
        event.client.window = int(window_id, 16)
        event.client.message_type = self.xlib.XInternAtom(self.connection, b"WM_PROTOCOLS", 0)
        event.client.format = 32
        event.client.data[0] = self.xlib.XInternAtom(self.connection, b"WM_DELETE_WINDOW", 0)
        check(self.xlib.XSendEvent(self.connection, event.client.window, 0, 0, ctypes.byref(event)),
              "XSendEvent refused the close request")
        self.xlib.XSync(self.connection, 0)

    def close(self):
        self.xlib.XCloseDisplay(self.connection)


def changed_share(first, second, tolerance=8):
    """The share of pixels whose colour differs by more than the tolerance in any channel."""
    changed = 0
    for offset in range(0, len(first), 4):
        if any(abs(first[offset + c] - second[offset + c]) > tolerance for c in range(3)):
            changed += 1
    return changed / (len(first) // 4)


class Demo:
    def __init__(self, args, server, workdir, name, **settings):
        self.server = server
        self.log_path = os.path.join(workdir, f"{name}.log")
        self.memory_path = os.path.join(workdir, f"{name}-memory.bin")
        self.prompts_path = os.path.join(workdir, f"{name}-prompts.jsonl")
        # Backups before each write land here, never in the home folder of whoever runs the tests.
        self.state_path = os.path.join(workdir, f"{name}-state")
        env = {k: v for k, v in os.environ.items() if not k.startswith("KESTREL_DEMO_")}
        env.update(DISPLAY=server.display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy",
                   LD_PRELOAD=args.recorder, KESTREL_E2E_PROMPTS=self.prompts_path,
                   KESTREL_DEMO_LOG=self.log_path, KESTREL_DEMO_MEMORY_OUT=self.memory_path,
                   XDG_STATE_HOME=self.state_path)
        env.update({f"KESTREL_DEMO_{key.upper()}": str(value) for key, value in settings.items()})
        self.stderr_path = os.path.join(workdir, f"{name}.stderr")
        self.process = subprocess.Popen([args.demo], env=env, cwd=workdir,
                                        stdout=subprocess.DEVNULL,
                                        stderr=open(self.stderr_path, "wb"))
        self.window = None

    # -- what the program shows ---------------------------------------------------------------
    def log_lines(self):
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as log:
                return log.read().splitlines()
        except FileNotFoundError:
            return []

    def wait_for_log(self, line, count=1, timeout=15, prefix=False):
        def seen():
            self.check_running()
            lines = self.log_lines()
            found = [entry for entry in lines if entry.startswith(line)] if prefix else lines
            return (len(found) if prefix else found.count(line)) >= count
        wait_until(seen, timeout, f'log line "{line}" (x{count})')

    def prompt_records(self):
        try:
            with open(self.prompts_path, encoding="utf-8") as prompts:
                return [json.loads(line) for line in prompts if line.strip()]
        except FileNotFoundError:
            return []

    def backups(self):
        """The automatic backups of the demo wheel (serial KD-0001), oldest first, as bytes."""
        folder = os.path.join(self.state_path, "kestrel", "backups", "KD-0001")
        names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        result = []
        for name in names:
            with open(os.path.join(folder, name), "rb") as backup:
                result.append(backup.read())
        return result

    def prompts(self):
        """Every prompt the user answered, system box or drawn in the window, in order."""
        return [record for record in self.prompt_records() if "answer" in record and record.get("result", 0) == 0]

    def failed_system_boxes(self):
        return [record for record in self.prompt_records() if record.get("result", 0) != 0]

    def stderr_text(self):
        with open(self.stderr_path, encoding="utf-8", errors="replace") as stderr:
            return stderr.read()

    def memory(self):
        check(os.path.exists(self.memory_path), "the demo wrote no wheel memory on exit")
        with open(self.memory_path, "rb") as memory:
            data = memory.read()
        check(len(data) == 1024, f"the wheel memory file holds {len(data)} bytes, not 1024")
        return data

    def check_running(self):
        if self.process.poll() is not None:
            raise Failure(f"the demo ended early with code {self.process.returncode}; "
                          f"stderr: {open(self.stderr_path).read().strip()}")

    def main_window(self, timeout=15):
        def find():
            self.check_running()
            for window_id, name, width, height in self.server.top_level_windows():
                if name != TITLE and (width, height) == (SCREEN_WIDTH, SCREEN_HEIGHT):
                    return window_id
            return None
        if self.window is None:
            self.window = wait_until(find, timeout, "the program's 800 x 600 window")
        return self.window

    # -- what the user does -------------------------------------------------------------------
    def xdotool(self, *arguments):
        self.server.run("xdotool", *arguments)

    def pointer_to(self, position):
        self.xdotool("mousemove", "--window", self.main_window(), str(position[0]), str(position[1]))
        time.sleep(0.06)  # a few frames, so the program samples every position

    def click(self, position):
        self.pointer_to(position)
        self.xdotool("mousedown", "1")
        time.sleep(HOLD)
        self.xdotool("mouseup", "1")
        time.sleep(HOLD)

    def drag(self, start, end, steps=8):
        self.pointer_to(start)
        self.xdotool("mousedown", "1")
        time.sleep(HOLD)
        for step in range(1, steps + 1):
            self.pointer_to((start[0] + (end[0] - start[0]) * step // steps,
                             start[1] + (end[1] - start[1]) * step // steps))
        time.sleep(HOLD)
        self.xdotool("mouseup", "1")
        time.sleep(HOLD)

    def press_key(self, key):
        self.xdotool("windowfocus", self.main_window())
        self.xdotool("key", key)

    def answer_message_box(self, key, timeout=15):
        """Waits for a message box the program has not shown before and answers it with a key."""
        def any_box():
            self.check_running()
            boxes = self.server.message_boxes()
            return boxes[0] if boxes else None
        box = wait_until(any_box, timeout, f'a message box titled "{TITLE}"')
        # The box may be listed a moment before it is mapped, and focus needs a mapped window.
        wait_until(lambda: self.server.run("xdotool", "windowfocus", box, check_result=False) == ""
                   and self._focused(box), 5, "focus on the message box")
        self.xdotool("key", key)
        # X reuses window ids, so the next box may carry this one's: wait until this one is gone.
        wait_until(lambda: self.process.poll() is not None or box not in self.server.message_boxes(),
                   5, "the answered message box to close")

    def wait_for_window_prompt(self, timeout=15):
        """Waits for a prompt drawn in the program's window that is not answered yet."""
        def showing():
            self.check_running()
            records = self.prompt_records()
            shown = [r for r in records if r.get("shown")]
            answered = [r for r in records if r.get("in_window") and "answer" in r]
            return shown[-1] if len(shown) > len(answered) else None
        prompt = wait_until(showing, timeout, "a prompt drawn in the program's window")
        check(not self.server.message_boxes(), "a system message box showed beside the in-window prompt")
        return prompt

    def click_window_prompt(self, prompt, label):
        """Clicks the prompt's button with this label where the program drew it."""
        check(label in prompt["buttons"], f"the prompt has no {label} button: {prompt['buttons']}")
        x, y, width, height = prompt["boxes"][prompt["buttons"].index(label)]
        answered = len(self.prompts())
        self.click((x + width // 2, y + height // 2))
        wait_until(lambda: self.process.poll() is not None or len(self.prompts()) > answered, 5,
                   f"the click on {label} to answer the prompt")

    def key_window_prompt(self, key):
        answered = len(self.prompts())
        self.press_key(key)
        wait_until(lambda: self.process.poll() is not None or len(self.prompts()) > answered, 5,
                   f"the key {key} to answer the prompt")

    def _focused(self, window_id):
        focused = self.server.run("xdotool", "getwindowfocus", check_result=False).strip()
        return focused.isdigit() and int(focused) == int(window_id, 16)

    def wait_for_exit(self, timeout=15):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the demo did not end within {timeout} s")

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


def settled_screen(screenshot, window, timeout=6):
    """Waits until two grabs a few frames apart agree, so no slide or fade is caught halfway."""
    previous = screenshot.grab(window)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        time.sleep(0.25)
        current = screenshot.grab(window)
        if current == previous:
            return current
        previous = current
    raise Failure(f"the screen kept changing for {timeout} s")


def s16(data, offset):
    return int.from_bytes(data[offset:offset + 2], "little", signed=True)


# -- scenarios ----------------------------------------------------------------------------------

def scenario_edit_and_save(args, server, workdir):
    """Quit without editing keeps the wheel as it was; a dropped palette icon reaches it after
    Assign Setting; the window carries the class the desktop entry names."""
    untouched = Demo(args, server, workdir, "untouched")
    try:
        untouched.wait_for_log("Device Inserted OK")
        untouched.main_window()
        time.sleep(0.3)
        untouched.press_key("Escape")
        check(untouched.wait_for_exit() == 0, "Escape did not end the demo with code 0")
        before = untouched.memory()
    finally:
        untouched.close()
    check(before[0:4] == (0x12345678).to_bytes(4, "little"), "the demo wheel is not signed")

    demo = Demo(args, server, workdir, "edited")
    try:
        demo.wait_for_log("Device Inserted OK")
        window = demo.main_window()
        wm_class = server.window_class(window)
        check(f'"{args.wm_class}"' in wm_class,
              f"window class is {wm_class.strip()}, the desktop entry expects {args.wm_class}")
        time.sleep(0.3)
        demo.drag(PALETTE_RIGHT_STICK_UP, HOTSPOT_DPAD_UP)
        demo.click(ASSIGN_SETTING)
        time.sleep(0.5)  # the save runs on the frame after the click
        demo.press_key("Escape")
        check(demo.wait_for_exit() == 0, "Escape did not end the demo with code 0")
        after = demo.memory()
        backups = demo.backups()
        check(not demo.prompts(), f"unexpected message boxes: {demo.prompts()}")
        log = demo.log_lines()
    finally:
        demo.close()

    check(log.count("Try To Connect Wheel...") == 1 and log.count("Device Inserted OK") == 1,
          "the wheel was not connected exactly once")
    check(untouched.backups() == [], "quitting without a save left a backup")
    check(backups == [before], f"the save left {len(backups)} backups instead of one of the image it replaced")
    failures = [line for line in log if line.startswith(("UWD :", "WRITE NVM :", "READ NVM :", "Error:"))]
    check(not failures, f"the log reports failures: {failures}")

    type_offset = XBOX_BLOCK + 0x10 + DPAD_UP_CONTROL
    value_offset = XBOX_BLOCK + 0x30 + 2 * DPAD_UP_CONTROL
    check(after[type_offset] == OUTPUT_TYPE_RIGHT_STICK_Y,
          f"d-pad up holds output type {after[type_offset]} after the save, "
          f"not {OUTPUT_TYPE_RIGHT_STICK_Y} (right stick Y)")
    check(s16(after, value_offset) == RIGHT_STICK_UP_VALUE,
          f"d-pad up holds value {s16(after, value_offset)}, not {RIGHT_STICK_UP_VALUE}")
    # Nothing else the user did not touch may change: the flags word may only lose the
    # update-pending mark the write sets and clears.
    changed = [offset for offset in range(1024) if before[offset] != after[offset]
               and offset not in (type_offset, value_offset, value_offset + 1)]
    changed = [offset for offset in changed if not (offset == 11 and (before[11] ^ after[11]) == 0x80)]
    check(not changed, "the save changed bytes the edit did not touch: " +
          ", ".join(f"0x{o:03X} {before[o]:02X}->{after[o]:02X}" for o in changed[:12]))


def check_prompt_drawn(server, prompt):
    """The prompt is on the screen: its default button carries its label in the default colour."""
    screenshot = Screenshot(server.display)
    try:
        window = [w[0] for w in server.top_level_windows() if (w[2], w[3]) == (SCREEN_WIDTH, SCREEN_HEIGHT)]
        check(window, "the program's window is gone while its prompt should show")
        # Drawing follows the prompt by a frame or two.
        def label_pixels():
            pixels = screenshot.grab(window[0])
            x, y, width, height = prompt["boxes"][0]
            count = 0
            for row in range(y, y + height):
                for column in range(x, x + width):
                    offset = (row * SCREEN_WIDTH + column) * 4
                    blue, green, red = pixels[offset], pixels[offset + 1], pixels[offset + 2]
                    if red > 0xE0 and 0x90 < green < 0xE0 and blue < 0x50:
                        count += 1
            return count >= 10
        wait_until(label_pixels, 5, f"the {prompt['buttons'][0]} button drawn on the prompt")
    finally:
        screenshot.close()


def check_prompt_route(demo, in_window):
    """In the window only after one logged failure of the system box; else no failure at all."""
    failures = [line for line in demo.log_lines() if line.startswith("MessageBox :")]
    records = demo.prompts()
    if in_window:
        check(len(failures) == 1, f"the system box failure should be logged once, the log has {failures}")
        check(len(demo.failed_system_boxes()) == 1,
              f"the system box was tried again after it failed: {demo.failed_system_boxes()}")
        check(all(record.get("in_window") for record in records),
              f"a prompt went to a system box on a server without core fonts: {records}")
    else:
        check(not failures, f"the system box failed: {failures} (its X11 form needs the X core fonts of "
                            "the Debian package xfonts-base)")
        check(not any(record.get("in_window") for record in records),
              f"a prompt was drawn in the window although the system box works: {records}")


def scenario_newer_version_refused(args, server, workdir):
    """Declining the newer version shows the refusal and ends the program."""
    demo = Demo(args, server, workdir, "newer", newer_version=1)
    try:
        if args.no_core_fonts:
            question = demo.wait_for_window_prompt()
            check_prompt_drawn(server, question)
            demo.click_window_prompt(question, "No")
            demo.wait_for_window_prompt()
            demo.key_window_prompt("Return")
        else:
            demo.answer_message_box("Escape")
            demo.answer_message_box("Return")
        check(demo.wait_for_exit() == 0, "the demo did not end with code 0 after the refusal")
        prompts = demo.prompts()
        check_prompt_route(demo, args.no_core_fonts)
    finally:
        demo.close()
    check(len(prompts) == 2, f"expected the question and the refusal, saw {prompts}")
    question, refusal = prompts
    check(all(p["title"] == TITLE for p in prompts), f"message box titles: {prompts}")
    check(question["text"] == NEWER_VERSION_QUESTION, f"question text: {question['text']!r}")
    check(sorted(question["buttons"]) == ["No", "Yes"] and question["answer"] == "No",
          f"question buttons {question['buttons']}, answer {question['answer']}")
    check(refusal["text"] == APP_UPGRADE_REFUSAL, f"refusal text: {refusal['text']!r}")
    check(refusal["buttons"] == ["OK"], f"refusal buttons: {refusal['buttons']}")


def scenario_firmware_update_accepted(args, server, workdir):
    """An old wheel is offered the update; Yes flashes it while the window shows the progress,
    waits for the old device node to go, says it is done, and the program goes on."""
    demo = Demo(args, server, workdir, "firmware", release="0x0117", chunk_ms=4, old_node_ms=400)
    screenshot = Screenshot(server.display)
    try:
        window = demo.main_window()
        if args.no_core_fonts:
            demo.wait_for_window_prompt()
            demo.key_window_prompt("Return")
        else:
            demo.answer_message_box("Return")
        demo.wait_for_log("Begin Wheel Firmware Update")
        # The flash takes some 3 s; the window keeps drawing how far it got.
        time.sleep(0.3)
        early = screenshot.grab(window)
        time.sleep(1.0)
        later = screenshot.grab(window)
        check("Wheel Firmware Update - OK" not in demo.log_lines(),
              "the flash ended before it could be watched")
        check(changed_share(early, later) > 0.0005, "the window did not redraw its progress during the flash")
        if args.no_core_fonts:
            done = demo.wait_for_window_prompt(timeout=30)
            check_prompt_drawn(server, done)
            demo.click_window_prompt(done, "OK")
        else:
            demo.answer_message_box("Return", timeout=30)
        demo.wait_for_log("Wheel Firmware Update - OK")
        demo.main_window()
        time.sleep(0.3)
        demo.check_running()  # still running after the done message
        demo.press_key("Escape")
        check(demo.wait_for_exit() == 0, "Escape did not end the demo with code 0")
        prompts = demo.prompts()
        log = demo.log_lines()
        check_prompt_route(demo, args.no_core_fonts)
    finally:
        screenshot.close()
        demo.close()
    check(len(prompts) == 2, f"expected the firmware question and the done message, saw {prompts}")
    question, done = prompts
    check(question["text"] == FIRMWARE_QUESTION and question["answer"] == "Yes",
          f"firmware question {question['text']!r} answered {question['answer']}")
    check(done["text"] == UPDATE_DONE and done["buttons"] == ["OK"],
          f"after the update: {done['text']!r} with {done['buttons']}")
    check("Device version number: 0117" in log, "the log does not name the old release 0117")
    check("POST UPGRADE - Device version number: 0118" in log,
          "the log does not show the wheel reporting 0118 after the flash")
    check(any(line.startswith("WheelFirmwareUpdate : old device node gone after") for line in log),
          "the log does not show the wait for the old device node")
    check("WheelFirmwareUpdate : update-pending bit cleared" in log, "the update-pending bit was not cleared")


def scenario_hotplug_returns_to_page(args, server, workdir):
    """Unplugging on the Sensitivity page shows the no-wheel screen; replugging brings the same
    page back, not the main page."""
    demo = Demo(args, server, workdir, "hotplug")
    screenshot = Screenshot(server.display)
    try:
        demo.wait_for_log("Device Inserted OK")
        window = demo.main_window()
        main_page = settled_screen(screenshot, window)
        demo.click(SENSITIVITY_TAB)
        sensitivity_page = settled_screen(screenshot, window)
        check(changed_share(main_page, sensitivity_page) > 0.05,
              "the Sensitivity tab did not change the page")

        demo.process.send_signal(signal.SIGUSR1)
        demo.wait_for_log("Device Removed OK")
        no_wheel = settled_screen(screenshot, window)
        check(changed_share(sensitivity_page, no_wheel) > 0.05,
              "unplugging the wheel did not show the no-wheel screen")

        demo.process.send_signal(signal.SIGUSR2)
        demo.wait_for_log("Device Inserted OK", count=2)
        back = settled_screen(screenshot, window)
        share = changed_share(sensitivity_page, back)
        check(share < 0.01, f"after replugging {share:.1%} of the screen differs from the "
                            "Sensitivity page it was on")
        demo.press_key("Escape")
        check(demo.wait_for_exit() == 0, "Escape did not end the demo with code 0")
    finally:
        screenshot.close()
        demo.close()


def check_closing_lines(log, what):
    check("Finishing.." in log and log[-1:] == ["The End."],
          f"{what}: the log does not end with the closing lines; it ends {log[-4:]}")


def scenario_no_display(args, server, workdir):
    """Without any display the real program says so on stderr, logs why, and ends at once."""
    check(args.program, "the no-display scenario needs --program")
    # The log goes beside the program, so the program runs from a folder of the test's own.
    program = os.path.join(workdir, "kestrel-customiser")
    shutil.copy(args.program, program)
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER") and not k.startswith("KESTREL_")}
    env["XDG_RUNTIME_DIR"] = workdir  # no Wayland socket can be found there
    try:
        done = subprocess.run([program], env=env, cwd=workdir, capture_output=True, text=True, timeout=5)
    except subprocess.TimeoutExpired:
        raise Failure("with no display the program still ran after 5 s")
    check(done.returncode == 0, f"exit code {done.returncode}, not 0")
    lines = [line for line in done.stderr.splitlines() if "no display found" in line]
    check(len(lines) == 1, f"stderr should say once that no display was found; it says {done.stderr!r}")
    with open(os.path.join(workdir, "Kestrel.log"), encoding="utf-8", errors="replace") as log_file:
        log = log_file.read().splitlines()
    check("Can't create window" in log, f"the log does not say the window could not be made: {log}")
    check(any(line.startswith("Error: ") for line in log), f"the log gives no reason: {log}")
    check(not any(line.startswith("Init done.") for line in log), "initiation went on without a display")
    check_closing_lines(log, "no display")


def scenario_display_lost(args, server, workdir):
    """The X server going away ends the program with code 0 and its closing lines: through its
    usual shut-down from the main screen, and straight away from inside a system message box."""
    demo = Demo(args, server, workdir, "lost")
    try:
        demo.wait_for_log("Device Inserted OK")
        demo.main_window()
        time.sleep(0.3)
        server.process.kill()
        server.process.wait()
        code = demo.wait_for_exit()
        log = demo.log_lines()
    finally:
        demo.close()
    check(code == 0, f"the demo ended with code {code} when the display went away; "
                     f"stderr: {demo.stderr_text().strip()}")
    check("System_Start: Display connection lost" in log, f"the log does not say the display was lost: {log[-6:]}")
    check_closing_lines(log, "display lost")
    check(os.path.exists(demo.memory_path), "the demo did not finish its own shut-down (no wheel memory written)")

    server = XServer(workdir, core_fonts=not args.no_core_fonts)
    demo = Demo(args, server, workdir, "lost-in-prompt", release="0x0117")
    try:
        if args.no_core_fonts:
            demo.wait_for_window_prompt()
        else:
            wait_until(lambda: demo.check_running() or server.message_boxes(), 15, "the firmware question")
        time.sleep(0.3)
        server.process.kill()
        server.process.wait()
        code = demo.wait_for_exit()
        log = demo.log_lines()
    finally:
        demo.close()
        server.close()
    check(code == 0, f"the demo ended with code {code} when the display went away under a prompt; "
                     f"stderr: {demo.stderr_text().strip()}")
    check("System_Start: Display connection lost" in log, f"under a prompt, the log does not say so: {log[-6:]}")
    check_closing_lines(log, "display lost under a prompt")


def scenario_quit_during_splash(args, server, workdir):
    """A close of the window and a SIGTERM during the splash each end the program there."""
    for how in ("close", "signal"):
        # The request must land within the splash's second and a half; on a machine too busy
        # for that the program is rightly past its splash, and the attempt is made again.
        for attempt in range(3):
            demo = Demo(args, server, workdir, f"splash-{how}-{attempt}")
            try:
                demo.wait_for_log("Init done.", timeout=15, prefix=True)
                if how == "signal":
                    demo.process.send_signal(signal.SIGTERM)
                else:
                    screenshot = Screenshot(server.display)
                    try:
                        screenshot.request_close(demo.main_window())
                    finally:
                        screenshot.close()
                code = demo.wait_for_exit(timeout=10)
                log = demo.log_lines()
            finally:
                demo.close()
            if "System_Initiate: Closed during the splash" in log or "Try To Connect Wheel..." not in log:
                break
        check(code == 0, f"{how} during the splash: exit code {code}")
        check("System_Initiate: Closed during the splash" in log,
              f"{how} during the splash: the log does not say so: {log}")
        check("Try To Connect Wheel..." not in log, f"{how} during the splash: start-up went on after it")
        check_closing_lines(log, f"{how} during the splash")


def scenario_refused_close(args, server, workdir):
    """A close the exit function refuses leaves the program running; the next one ends it."""
    demo = Demo(args, server, workdir, "refused", refuse_close=1)
    screenshot = Screenshot(server.display)
    try:
        demo.wait_for_log("Device Inserted OK")
        window = demo.main_window()
        time.sleep(0.3)
        screenshot.request_close(window)
        wait_until(lambda: "close refused" in demo.stderr_text(), 5, "the exit function to refuse the close")
        time.sleep(1.0)
        demo.check_running()
        screenshot.request_close(window)
        code = demo.wait_for_exit(timeout=10)
        log = demo.log_lines()
    finally:
        screenshot.close()
        demo.close()
    check(code == 0, f"the accepted close ended the demo with code {code}")
    check_closing_lines(log, "accepted close")


# Scenarios that need no X server are marked False.
SCENARIOS = {
    "edit-and-save": (scenario_edit_and_save, True),
    "newer-version-refused": (scenario_newer_version_refused, True),
    "firmware-update-accepted": (scenario_firmware_update_accepted, True),
    "hotplug-returns-to-page": (scenario_hotplug_returns_to_page, True),
    "no-display": (scenario_no_display, False),
    "display-lost": (scenario_display_lost, True),
    "quit-during-splash": (scenario_quit_during_splash, True),
    "refused-close": (scenario_refused_close, True),
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--demo", required=True, help="the kestrel-customiser-demo binary")
    parser.add_argument("--recorder", required=True, help="the prompt recorder library")
    parser.add_argument("--wm-class", default="org.kestrel.Customiser",
                        help="the window class the desktop entry's StartupWMClass names")
    parser.add_argument("--program", help="the kestrel-customiser binary (for no-display)")
    parser.add_argument("--no-core-fonts", action="store_true",
                        help="the X server has only its built-in fonts, so the system message box fails")
    parser.add_argument("--scenario", required=True, choices=sorted(SCENARIOS))
    args = parser.parse_args()
    args.demo, args.recorder = os.path.abspath(args.demo), os.path.abspath(args.recorder)
    if args.program:
        args.program = os.path.abspath(args.program)
    scenario, needs_display = SCENARIOS[args.scenario]
    for tool in ("xdotool", "xwininfo", "xprop"):
        if shutil.which(tool) is None:
            print(f"FAILED: {tool} is not installed (Debian packages xdotool, x11-utils)")
            return 1

    workdir = tempfile.mkdtemp(prefix=f"kestrel-e2e-{args.scenario}-")
    server = None
    try:
        if needs_display:
            server = XServer(workdir, core_fonts=not args.no_core_fonts)
        scenario(args, server, workdir)
    except Skip as reason:
        print(f"SKIPPED: {reason}; the end-to-end test {args.scenario} did not run")
        shutil.rmtree(workdir, ignore_errors=True)
        return SKIPPED
    except Failure as failure:
        print(f"FAILED {args.scenario}: {failure}\n(logs, memory and prompts kept in {workdir})")
        return 1
    finally:
        if server is not None:
            server.close()
    shutil.rmtree(workdir, ignore_errors=True)
    print(f"passed: {args.scenario}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
