#!/usr/bin/env python3
"""Installs the build into a staging prefix and checks what a desktop and udev will look for.

  install_layout.py layout   --build DIR --udev-rules-dir DIR   the installed tree
  install_layout.py validate --desktop FILE --metainfo FILE     the two descriptions, validated

Exit code 0 passed, 1 failed.
"""
import argparse
import configparser
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

APP_ID = "org.kestrel.Customiser"
PROGRAM = "kestrel-customiser"
WHEEL_MODALIAS = "usb:v1C1Ap0200d*"
REQUIRED_ICON_SIZES = (48, 256)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def png_size(path):
    with open(path, "rb") as png:
        header = png.read(24)
    check(header[:8] == b"\x89PNG\r\n\x1a\n" and header[12:16] == b"IHDR", f"{path} is not a PNG")
    return struct.unpack(">II", header[16:24])


def desktop_entry(path):
    entry = configparser.ConfigParser(interpolation=None, strict=True)
    entry.optionxform = str
    entry.read(path, encoding="utf-8")
    check(entry.has_section("Desktop Entry"), f"{path} has no [Desktop Entry] group")
    return entry["Desktop Entry"]


def run_validator(*command):
    tool = shutil.which(command[0])
    check(tool is not None, f"{command[0]} is not installed (Debian packages desktop-file-utils, appstream)")
    done = subprocess.run(command, capture_output=True, text=True, timeout=60)
    check(done.returncode == 0, f"{' '.join(command)} rejects it:\n{done.stdout}{done.stderr}")


def validate(args):
    run_validator("desktop-file-validate", args.desktop)
    run_validator("appstreamcli", "validate", "--no-net", args.metainfo)

    entry = desktop_entry(args.desktop)
    check(entry.get("Categories", "").split(";")[:2] == ["Settings", "HardwareSettings"],
          f"Categories is {entry.get('Categories')!r}")
    check(entry.get("StartupWMClass") == APP_ID, f"StartupWMClass is {entry.get('StartupWMClass')!r}")

    component = ElementTree.parse(args.metainfo).getroot()
    check(component.findtext("id") == APP_ID, f"metainfo id is {component.findtext('id')!r}")
    check(component.findtext("launchable[@type='desktop-id']") == f"{APP_ID}.desktop",
          "the metainfo does not launch the desktop entry")
    modaliases = [m.text for m in component.iter("modalias")]
    check(WHEEL_MODALIAS in modaliases,
          f"the metainfo does not provide {WHEEL_MODALIAS}, so software centres cannot offer it")
    check(component.findall("screenshots/screenshot/image"), "the metainfo has no screenshots")
    check(component.findall("releases/release"), "the metainfo has no releases")


def layout(args):
    staging = tempfile.mkdtemp(prefix="kestrel-install-")
    try:
        done = subprocess.run(["cmake", "--install", args.build, "--prefix", staging],
                              capture_output=True, text=True, timeout=120)
        check(done.returncode == 0, f"cmake --install failed:\n{done.stdout}{done.stderr}")

        program = os.path.join(staging, "bin", PROGRAM)
        check(os.path.isfile(program) and os.access(program, os.X_OK), f"no executable bin/{PROGRAM}")

        kestrelctl = os.path.join(staging, "bin", "kestrelctl")
        check(os.path.isfile(kestrelctl) and os.access(kestrelctl, os.X_OK), "no executable bin/kestrelctl")
        for page in (f"{PROGRAM}.1", "kestrelctl.1"):
            path = os.path.join(staging, "share", "man", "man1", page)
            check(os.path.isfile(path), f"no share/man/man1/{page}")
            with open(path, "rb") as man_page:
                check(man_page.read(3) == b".TH", f"share/man/man1/{page} is not an uncompressed man page")
        completion = os.path.join(staging, "share", "bash-completion", "completions", "kestrelctl")
        check(os.path.isfile(completion), "no share/bash-completion/completions/kestrelctl")

        desktop = os.path.join(staging, "share", "applications", f"{APP_ID}.desktop")
        metainfo = os.path.join(staging, "share", "metainfo", f"{APP_ID}.metainfo.xml")
        check(os.path.isfile(desktop), f"no share/applications/{APP_ID}.desktop")
        check(os.path.isfile(metainfo), f"no share/metainfo/{APP_ID}.metainfo.xml")
        entry = desktop_entry(desktop)
        check(entry.get("Exec", "").split()[0] == PROGRAM, f"Exec={entry.get('Exec')} is not {PROGRAM}")
        check(entry.get("Icon") == APP_ID, f"Icon={entry.get('Icon')} is not {APP_ID}")

        icons = os.path.join(staging, "share", "icons", "hicolor")
        installed = sorted(os.listdir(icons)) if os.path.isdir(icons) else []
        for size in REQUIRED_ICON_SIZES:
            check(f"{size}x{size}" in installed, f"no {size}x{size} icon (have {installed})")
        for folder in installed:
            icon = os.path.join(icons, folder, "apps", f"{APP_ID}.png")
            check(os.path.isfile(icon), f"hicolor/{folder} has no apps/{APP_ID}.png")
            width, height = png_size(icon)
            check(f"{width}x{height}" == folder, f"hicolor/{folder} holds a {width}x{height} image")

        if os.path.isabs(args.udev_rules_dir):
            print(f"note: the udev rule goes to the absolute {args.udev_rules_dir}, outside the staging prefix")
        else:
            rules = os.path.join(staging, args.udev_rules_dir)
            check(os.path.isdir(rules), f"no {args.udev_rules_dir} in the installed tree")
            names = os.listdir(rules)
            check(names == ["70-kestrel.rules"], f"{args.udev_rules_dir} holds {names}")
            # uaccess is applied by 73-seat-late.rules: a rule sorting after it tags too late.
            check(names[0] < "73", "the udev rule sorts after 73-seat-late.rules")
            with open(os.path.join(rules, names[0]), encoding="utf-8") as rule_file:
                rule_lines = [line.strip() for line in rule_file if line.strip() and not line.startswith("#")]
            check(rule_lines == ['KERNEL=="hidraw*", ATTRS{idVendor}=="1c1a", ATTRS{idProduct}=="0200", '
                                 'TAG+="uaccess"'], f"the udev rule reads {rule_lines}")
    finally:
        shutil.rmtree(staging, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    layout_command = commands.add_parser("layout")
    layout_command.add_argument("--build", required=True)
    layout_command.add_argument("--udev-rules-dir", required=True)
    validate_command = commands.add_parser("validate")
    validate_command.add_argument("--desktop", required=True)
    validate_command.add_argument("--metainfo", required=True)
    args = parser.parse_args()
    try:
        (layout if args.command == "layout" else validate)(args)
    except Failure as failure:
        print(f"FAILED {args.command}: {failure}")
        return 1
    print(f"passed: {args.command}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
