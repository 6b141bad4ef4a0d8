#!/usr/bin/env python3
"""End-to-end tests of the demo program on a private X server.

Each scenario starts its own Xvfb (it picks a free display itself, so parallel runs never meet),
starts the real kestrel-customiser-demo on it and works it the way a user would: XTest mouse
and keys through xdotool, message boxes found by their title in the window tree. What it checks
is what the user and the wheel would see: the simulated wheel's memory written out on exit, the
log, the texts of the message boxes (recorded by the preloaded prompt recorder), the window's
pixels and the exit code.

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

    def __init__(self, workdir):
        xvfb = shutil.which("Xvfb")
        if xvfb is None:
            raise Skip("Xvfb is not installed")
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            [xvfb, "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset"],
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

    def wait_for_log(self, line, count=1, timeout=15):
        def seen():
            self.check_running()
            return self.log_lines().count(line) >= count
        wait_until(seen, timeout, f'log line "{line}" (x{count})')

    def prompts(self):
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


def scenario_newer_version_refused(args, server, workdir):
    """Declining the newer version shows the refusal and ends the program."""
    demo = Demo(args, server, workdir, "newer", newer_version=1)
    try:
        demo.answer_message_box("Escape")
        demo.answer_message_box("Return")
        check(demo.wait_for_exit() == 0, "the demo did not end with code 0 after the refusal")
        prompts = demo.prompts()
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
        demo.answer_message_box("Return", timeout=30)
        demo.wait_for_log("Wheel Firmware Update - OK")
        demo.main_window()
        time.sleep(0.3)
        demo.check_running()  # still running after the done message
        demo.press_key("Escape")
        check(demo.wait_for_exit() == 0, "Escape did not end the demo with code 0")
        prompts = demo.prompts()
        log = demo.log_lines()
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


SCENARIOS = {
    "edit-and-save": scenario_edit_and_save,
    "newer-version-refused": scenario_newer_version_refused,
    "firmware-update-accepted": scenario_firmware_update_accepted,
    "hotplug-returns-to-page": scenario_hotplug_returns_to_page,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--demo", required=True, help="the kestrel-customiser-demo binary")
    parser.add_argument("--recorder", required=True, help="the prompt recorder library")
    parser.add_argument("--wm-class", default="org.kestrel.Customiser",
                        help="the window class the desktop entry's StartupWMClass names")
    parser.add_argument("--scenario", required=True, choices=sorted(SCENARIOS))
    args = parser.parse_args()
    args.demo, args.recorder = os.path.abspath(args.demo), os.path.abspath(args.recorder)
    for tool in ("xdotool", "xwininfo", "xprop"):
        if shutil.which(tool) is None:
            print(f"FAILED: {tool} is not installed (Debian packages xdotool, x11-utils)")
            return 1

    workdir = tempfile.mkdtemp(prefix=f"kestrel-e2e-{args.scenario}-")
    server = None
    try:
        server = XServer(workdir)
        SCENARIOS[args.scenario](args, server, workdir)
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
