#!/usr/bin/env python3
"""Builds the Debian package from a finished build tree and checks it as dpkg and a user see it.

  package_check.py contents --build DIR --source DIR [--with-cli]   files, control fields, scripts
  package_check.py lintian  --build DIR --source DIR                 lintian's verdict

The package is made by packaging/deb/build-deb from the build tree as it stands, the same step
./scripts/package runs on its Release build. Exit code 0 passed, 1 failed, 77 skipped.
"""
import argparse
import gzip
import io
import os
import shutil
import stat
import subprocess
import sys
import tarfile
import tempfile

PACKAGE = "kestrel-customiser"
APP_ID = "org.kestrel.Customiser"
UDEV_RULE = "usr/lib/udev/rules.d/70-kestrel.rules"
DOCS = f"usr/share/doc/{PACKAGE}"
COPYRIGHT_FORMAT = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
# What the command-line tool brings with it once it is built.
CLI_FILES = (
    "usr/bin/kestrelctl",
    "usr/share/man/man1/kestrelctl.1.gz",
    "usr/share/man/man1/kestrel-customiser.1.gz",
    "usr/share/bash-completion/completions/kestrelctl",
)
SKIPPED = 77


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(command, **options):
    options.setdefault("timeout", 240)
    done = subprocess.run(command, capture_output=True, text=True, **options)
    check(done.returncode == 0, f"{' '.join(command)} failed ({done.returncode}):\n{done.stdout}{done.stderr}")
    return done.stdout


def cache_value(build, name):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            if line.startswith(name + ":"):
                return line.rstrip("\n").split("=", 1)[1]
    raise Failure(f"{name} is not in the build's CMakeCache.txt")


def build_package(args, out):
    builder = os.path.join(args.source, "packaging", "deb", "build-deb")
    return run([builder, args.build, out]).strip().splitlines()[-1]


def deb822_paragraphs(text):
    """The paragraphs of a control-style file as lists of (field, value) in order."""
    paragraphs, fields = [], []
    for line in text.splitlines():
        if not line.strip():
            if fields:
                paragraphs.append(fields)
            fields = []
        elif line[0] in " \t":
            check(fields, f"continuation line before any field: {line!r}")
            fields[-1] = (fields[-1][0], fields[-1][1] + "\n" + line.strip())
        else:
            name, _, value = line.partition(":")
            fields.append((name, value.strip()))
    if fields:
        paragraphs.append(fields)
    return paragraphs


def gzip_member(path, data):
    # -n: no file name and no time stamp in the header, so two builds give the same bytes.
    check(data[:2] == b"\x1f\x8b", f"{path} is not gzip-compressed")
    flags, mtime = data[3], int.from_bytes(data[4:8], "little")
    check(not flags & 0x08 and mtime == 0, f"{path} keeps a name or time stamp: compress it with gzip -n")
    return gzip.decompress(data)


def data_members(deb):
    """Path (without the leading ./) -> (TarInfo, contents of regular files)."""
    tar_bytes = subprocess.run(["dpkg-deb", "--fsys-tarfile", deb], capture_output=True, check=True,
                               timeout=60).stdout
    members = {}
    with tarfile.open(fileobj=io.BytesIO(tar_bytes)) as archive:
        for member in archive.getmembers():
            path = member.name[2:] if member.name.startswith("./") else member.name
            content = archive.extractfile(member).read() if member.isfile() else None
            members[path.rstrip("/")] = (member, content)
    return members


def control_members(deb):
    tar_bytes = subprocess.run(["dpkg-deb", "--ctrl-tarfile", deb], capture_output=True, check=True,
                               timeout=60).stdout
    with tarfile.open(fileobj=io.BytesIO(tar_bytes)) as archive:
        return {member.name[2:]: (member, archive.extractfile(member).read() if member.isfile() else None)
                for member in archive.getmembers() if member.name != "./"}


def installed_by_rules(build):
    """What cmake --install puts under the prefix /usr, as package paths."""
    staging = tempfile.mkdtemp(prefix="kestrel-package-install-")
    try:
        run(["cmake", "--install", build, "--prefix", "/usr"], env=dict(os.environ, DESTDIR=staging))
        paths = set()
        for folder, _, files in os.walk(staging):
            for name in files:
                paths.add(os.path.relpath(os.path.join(folder, name), staging))
        return paths
    finally:
        shutil.rmtree(staging, ignore_errors=True)


def check_files(args, members):
    entries = {path: member for path, (member, _) in members.items() if path not in ("", ".")}
    for path, member in entries.items():
        check(member.uname == "root" and member.gname == "root", f"/{path} is owned by {member.uname}:{member.gname}")
        check(path.startswith("usr/") or path == "usr", f"/{path} is outside /usr")
        mode = stat.S_IMODE(member.mode)
        if member.isdir():
            check(mode == 0o755, f"/{path} has mode {mode:o}")
        else:
            check(member.isfile(), f"/{path} is neither a file nor a folder")
            check(mode in (0o644, 0o755), f"/{path} has mode {mode:o}")

    # Everything the install rules install is in the package (man pages compressed), and nothing else
    # but the package's own documentation.
    expected = set()
    for path in installed_by_rules(args.build):
        expected.add(path + ".gz" if path.startswith("usr/share/man/") and not path.endswith(".gz") else path)
    files = {path for path, member in entries.items() if member.isfile()}
    own_docs = {f"{DOCS}/copyright", f"{DOCS}/changelog.gz", f"usr/share/lintian/overrides/{PACKAGE}"}
    check(not expected - files, f"installed but not packaged: {sorted(expected - files)}")
    check(not files - expected - own_docs, f"packaged but not installed by the rules: {sorted(files - expected - own_docs)}")

    required = [f"usr/bin/{PACKAGE}", UDEV_RULE, f"usr/share/applications/{APP_ID}.desktop",
                f"usr/share/metainfo/{APP_ID}.metainfo.xml", f"{DOCS}/copyright", f"{DOCS}/changelog.gz"]
    icon_sizes = sorted(os.listdir(os.path.join(args.source, "assets", "icons")))
    check(icon_sizes, "assets/icons has no icon sizes")
    required += [f"usr/share/icons/hicolor/{size}/apps/{APP_ID}.png" for size in icon_sizes]
    if args.with_cli:
        required += CLI_FILES
    missing = [path for path in required if path not in files]
    check(not missing, f"the package lacks {missing}")
    for program in [path for path in files if path.startswith("usr/bin/")]:
        check(stat.S_IMODE(entries[program].mode) == 0o755, f"/{program} is not executable")

    for path in files:
        if path.startswith("usr/share/man/"):
            check(path.endswith(".gz"), f"/{path} is not compressed")
            page = gzip_member(path, members[path][1])
            check(page.strip(), f"/{path} is empty")


def check_binaries_and_depends(members, fields):
    """Stripped binaries, and every library they load named in Depends (as dpkg-shlibdeps does)."""
    depends = {alternative.split()[0].split(":")[0]
               for relation in fields["Depends"].split(",") for alternative in relation.split("|")}
    loaded = {}
    scratch = tempfile.mkdtemp(prefix="kestrel-package-elf-")
    try:
        for path, (member, content) in sorted(members.items()):
            if not member.isfile() or not content.startswith(b"\x7fELF"):
                continue
            binary = os.path.join(scratch, os.path.basename(path))
            with open(binary, "wb") as file:
                file.write(content)
            sections = run(["objdump", "-h", binary])
            check(".debug_info" not in sections and ".symtab" not in sections, f"/{path} is not stripped")
            needed = [line.split()[1] for line in run(["objdump", "-p", binary]).splitlines()
                      if line.strip().startswith("NEEDED")]
            check(needed, f"/{path} loads no shared library")
            for library in needed:
                loaded.setdefault(library, []).append(path)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    check(loaded, "the package holds no program")

    # One look-up for all of them: each dpkg -S reads the whole package database.
    owners = subprocess.run(["dpkg", "-S"] + [f"*/{library}" for library in loaded], capture_output=True,
                            text=True, timeout=120).stdout
    for library, users in sorted(loaded.items()):
        providers = {package.strip().split(":")[0]
                     for packages, _, path in (line.rpartition(": ") for line in owners.splitlines())
                     if path.endswith("/" + library) for package in packages.split(",")}
        check(providers & depends,
              f"/{users[0]} loads {library} (from {sorted(providers)}) but Depends is {fields['Depends']!r}")


def check_documents(args, members, version):
    changelog = gzip_member(f"{DOCS}/changelog.gz", members[f"{DOCS}/changelog.gz"][1]).decode("utf-8")
    check(changelog.startswith(f"{PACKAGE} ({version}) "),
          f"the changelog's newest entry is {changelog.splitlines()[0]!r}, not version {version}")

    copyright_text = members[f"{DOCS}/copyright"][1].decode("utf-8")
    check(copyright_text.splitlines()[0] == COPYRIGHT_FORMAT, "the copyright file is not machine-readable")
    paragraphs = [dict(paragraph) for paragraph in deb822_paragraphs(copyright_text)]
    check(paragraphs[1].get("Files") == "*" and paragraphs[1].get("License"),
          "the copyright file's first Files paragraph does not cover everything")
    with open(os.path.join(args.source, "assets", "LICENSE-DejaVu.txt"), encoding="utf-8") as fonts_file:
        fonts = next(dict(paragraph) for paragraph in deb822_paragraphs(fonts_file.read())
                     if dict(paragraph).get("Files") == "*")
    font_paragraphs = [paragraph for paragraph in paragraphs
                       if paragraph.get("License") == fonts["License"] and "Files" in paragraph]
    check(font_paragraphs, "the copyright file does not carry the font's licence text")
    check(font_paragraphs[0].get("Copyright") == fonts["Copyright"], "the font's copyright notice differs")
    for generated in ("assets/myriad_16s.png", "assets/myriad_20s.png"):
        check(generated in font_paragraphs[0]["Files"].split(), f"the font's licence does not cover {generated}")


def check_control(args, deb, version, arch):
    fields = dict(deb822_paragraphs(run(["dpkg-deb", "-f", deb]))[0])
    check(os.path.basename(deb) == f"{PACKAGE}_{version}_{arch}.deb", f"the package is named {os.path.basename(deb)}")
    expected = {"Package": PACKAGE, "Version": version, "Architecture": arch, "Recommends": "xdg-utils"}
    for name, value in expected.items():
        check(fields.get(name) == value, f"{name} is {fields.get(name)!r}, not {value!r}")
    for name in ("Maintainer", "Installed-Size", "Section", "Priority", "Description", "Depends"):
        check(fields.get(name), f"the control file has no {name}")
    check(int(fields["Installed-Size"]) > 0, "Installed-Size is 0")
    check("<" in fields["Maintainer"] and "@" in fields["Maintainer"], f"Maintainer {fields['Maintainer']!r} has no address")
    return fields


def maintainer_script_cases():
    """(argument, what the system looks like, expected udevadm calls, exit code of each udevadm call)."""
    reload_and_trigger = ["control --reload-rules", "trigger --subsystem-match=hidraw --action=change"]
    return {
        "postinst": [
            ("configure", "booted", reload_and_trigger, 0),
            ("configure", "no-udev", [], 0),
            ("configure", "chroot", [], 0),
            ("configure", "container", [], 0),
            ("configure", "booted", ["control --reload-rules"], 1),
            ("abort-upgrade", "booted", [], 0),
        ],
        "postrm": [
            ("remove", "booted", reload_and_trigger, 0),
            ("remove", "no-udev", [], 0),
            ("remove", "chroot", [], 0),
            ("upgrade", "booted", [], 0),
            ("purge", "booted", [], 0),
        ],
    }


def run_maintainer_script(script, argument, system, udevadm_status, scratch):
    """Runs a maintainer script in a private mount namespace whose /run says whether udev runs,
    with stand-ins for udevadm, ischroot and systemd-detect-virt that say the rest."""
    fakes = os.path.join(scratch, "bin")
    os.makedirs(fakes, exist_ok=True)
    calls = os.path.join(scratch, "udevadm-calls")
    if os.path.exists(calls):
        os.remove(calls)
    stand_ins = {
        "udevadm": f'echo "$*" >>"{calls}"\nexit {udevadm_status}\n',
        "ischroot": f"exit {0 if system == 'chroot' else 1}\n",
        "systemd-detect-virt": f"exit {0 if system == 'container' else 1}\n",
    }
    for name, body in stand_ins.items():
        path = os.path.join(fakes, name)
        with open(path, "w", encoding="utf-8") as file:
            file.write("#!/bin/sh\n" + body)
        os.chmod(path, 0o755)
    socket_maker = 'import socket; socket.socket(socket.AF_UNIX).bind("/run/udev/control")'
    make_socket = f"python3 -c '{socket_maker}' && " if system != "no-udev" else ""
    inner = f'mount -t tmpfs kestrel-run /run && mkdir /run/udev && {make_socket}exec "$0" "$1"'
    done = subprocess.run(["unshare", "--mount", "--propagation", "private", "sh", "-c", inner, script, argument],
                          capture_output=True, text=True, timeout=60,
                          env=dict(os.environ, PATH=fakes + os.pathsep + os.environ.get("PATH", "")))
    made = []
    if os.path.exists(calls):
        with open(calls, encoding="utf-8") as file:
            made = file.read().splitlines()
    return done, made


def check_maintainer_scripts(members):
    for name in ("postinst", "postrm"):
        check(name in members, f"the package has no {name}")
        member, content = members[name]
        check(stat.S_IMODE(member.mode) == 0o755, f"{name} has mode {stat.S_IMODE(member.mode):o}")
        check(content.startswith(b"#!/bin/sh\n"), f"{name} is not a /bin/sh script")

    # Seeing udev run takes a mount namespace of our own, which only root may make (and some
    # containers refuse even to root).
    probe = ["unshare", "--mount", "--propagation", "private", "true"]
    if os.geteuid() != 0 or shutil.which("unshare") is None or subprocess.run(probe, capture_output=True).returncode:
        print("note: no private mount namespace here (needs root), so the maintainer scripts' udev "
              "handling is not exercised")
        return
    scratch = tempfile.mkdtemp(prefix="kestrel-package-scripts-")
    try:
        for name, cases in maintainer_script_cases().items():
            script = os.path.join(scratch, name)
            with open(script, "wb") as file:
                file.write(members[name][1])
            os.chmod(script, 0o755)
            for argument, system, expected_calls, udevadm_status in cases:
                done, made = run_maintainer_script(script, argument, system, udevadm_status, scratch)
                case = f"{name} {argument} ({system}{', udevadm fails' if udevadm_status else ''})"
                check(done.returncode == 0, f"{case} exits {done.returncode}:\n{done.stdout}{done.stderr}")
                check(made == expected_calls, f"{case} ran udevadm {made}, expected {expected_calls}")
                if udevadm_status:
                    check("replug the wheel" in done.stderr, f"{case} says nothing of the failure: {done.stderr!r}")
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def contents(args, deb):
    version = cache_value(args.build, "CMAKE_PROJECT_VERSION")
    arch = run(["dpkg", "--print-architecture"]).strip()
    fields = check_control(args, deb, version, arch)
    members = data_members(deb)
    check_files(args, members)
    check_binaries_and_depends(members, fields)
    check_documents(args, members, version)
    check_maintainer_scripts(control_members(deb))


def lintian(args, deb):
    linter = os.path.join(args.source, "packaging", "deb", "lint-deb")
    done = subprocess.run([linter, deb], capture_output=True, text=True, timeout=240)
    print(done.stdout + done.stderr, end="")
    check(done.returncode == 0, f"lintian reports errors or warnings (exit {done.returncode})")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("command", choices=("contents", "lintian"))
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--with-cli", action="store_true")
    args = parser.parse_args()

    if shutil.which("dpkg-deb") is None:
        print("SKIPPED: dpkg-deb is not installed (Debian package dpkg), so no Debian package can be built here")
        return SKIPPED
    if args.command == "lintian" and shutil.which("lintian") is None:
        print("SKIPPED: lintian is not installed (Debian package lintian; ./scripts/package installs it and runs it)")
        return SKIPPED

    out = tempfile.mkdtemp(prefix="kestrel-package-")
    try:
        deb = build_package(args, out)
        (contents if args.command == "contents" else lintian)(args, deb)
    except Failure as failure:
        print(f"FAILED {args.command}: {failure}")
        return 1
    finally:
        shutil.rmtree(out, ignore_errors=True)
    print(f"passed: {args.command}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
