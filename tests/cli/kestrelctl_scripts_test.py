#!/usr/bin/env python3
"""kestrelctl from the outside: the demo build run as a program (its --json output parses and
says what the wheel holds, its exit statuses), the bash completion sourced into bash, and the
man pages run through groff's checks. Standard library only; exit 77 means skipped."""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def demo(args):
    scratch = tempfile.mkdtemp(prefix="kestrelctl-demo-")
    try:
        env = {k: v for k, v in os.environ.items() if not k.startswith("KESTREL_DEMO_")}
        env.update(KESTREL_DEMO_WHEEL_FILE=os.path.join(scratch, "wheel.bin"),
                   XDG_STATE_HOME=os.path.join(scratch, "state"), XDG_CONFIG_HOME=os.path.join(scratch, "config"),
                   HOME=scratch)

        def run(*arguments, status=0, **extra):
            done = subprocess.run([args.program, *arguments], env=dict(env, **extra), capture_output=True, text=True,
                                  timeout=60)
            check(done.returncode == status,
                  f"{' '.join(arguments)}: exit {done.returncode}, not {status}\n{done.stdout}{done.stderr}")
            return done

        def run_json(*arguments):
            output = run(*arguments, "--json").stdout
            try:
                return json.loads(output)
            except json.JSONDecodeError as error:
                raise Failure(f"{' '.join(arguments)} --json is not JSON ({error}):\n{output}")

        info = run_json("info")
        check(info == {"manufacturer": "Kestrel", "product": "Kestrel Racing Wheel", "serial": "KD-0001",
                       "release": 0x118, "firmware_current": True, "console": "xbox", "update_pending": False,
                       "signed": {"image": True, "xbox": True, "ps3": True, "settings": True}}, f"info: {info}")

        shown = run_json("show")
        check(shown["settings"] == {"defaults": False, "sensitivity": {"low": 0, "high": 90}, "rumble": "medium",
                                    "pedal": 200}, f"settings: {shown['settings']}")
        xbox = {c["control"]: c["function"] for c in shown["mappings"]["xbox"]["controls"]}
        check(len(xbox) == 18 and xbox["LEFT_PADDLE"] == "HardLeft", f"xbox mapping: {xbox}")

        mapped = run_json("map", "--console", "xbox", "LEFT_PADDLE=X")
        check(mapped["written"] and mapped["changes"] == [{"item": "xbox.LEFT_PADDLE", "from": "HardLeft", "to": "X"}],
              f"map: {mapped}")
        check(os.path.isfile(mapped["backup"]), f"map left no backup at {mapped['backup']}")
        settings = run_json("set", "--rumble", "high", "--pedal", "230")
        check([c["item"] for c in settings["changes"]] == ["rumble", "pedal"], f"set: {settings}")

        shown = run_json("show", "--console", "xbox")
        check(list(shown["mappings"]) == ["xbox"], f"show --console xbox shows {list(shown['mappings'])}")
        check({c["control"]: c["function"] for c in shown["mappings"]["xbox"]["controls"]}["LEFT_PADDLE"] == "X",
              "the mapping did not reach the wheel file")
        check(shown["settings"]["rumble"] == "high" and shown["settings"]["pedal"] == 230,
              f"the settings did not reach the wheel file: {shown['settings']}")

        presets = run_json("presets")
        check([p["name"] for p in presets][:2] == ["Classic Racing", "Drift Master"], f"presets: {presets}")
        applied = run_json("apply", "Gentle Steering")
        check(applied["blocks"] == ["settings"] and applied["written"], f"apply: {applied}")

        run("profile", "save", "rally")
        check(run_json("profile", "list") == [{"name": "rally", "path": os.path.join(
            scratch, "config", "kestrel", "profiles", "rally.bin")}], "profile list")
        listed = run_json("backup", "--list")
        check(len(listed) == 3 and all(entry["wheel"] == "KD-0001" for entry in listed), f"backups: {listed}")
        restored = run_json("restore", f"KD-0001/{listed[-1]['name']}")
        check(restored["written"], f"restore: {restored}")
        with open(env["KESTREL_DEMO_WHEEL_FILE"], "rb") as wheel, open(listed[-1]["path"], "rb") as backup:
            check(wheel.read() == backup.read(), "restoring the first backup did not bring the wheel back bit for bit")

        # A launcher line only goes on when the profile was applied.
        launched = subprocess.run(["sh", "-c", f'"{args.program}" profile apply rally && echo started'], env=env,
                                  capture_output=True, text=True, timeout=60)
        check(launched.returncode == 0 and launched.stdout.endswith("started\n"), f"launcher: {launched}")

        denied = run("info", status=4, KESTREL_DEMO_DENIED="1")
        check(denied.stderr.startswith("kestrelctl: ") and denied.stderr.count("\n") == 1, f"denied: {denied.stderr}")
        check("/70-kestrel.rules" in denied.stderr and "replug" in denied.stderr,
              f"denied names neither the rule nor the replug: {denied.stderr}")
        absent = run("set", "--pedal", "1", status=3, KESTREL_DEMO_NO_WHEEL="1")
        check(absent.stderr == "kestrelctl: no wheel connected\n", f"no wheel: {absent.stderr}")
        run("map", "--console", "xbox", "NOSE=X", status=2)
        offline = run("presets", status=1, KESTREL_DEMO_OFFLINE="1")
        check(offline.stderr.startswith("kestrelctl: the presets could not be fetched"), offline.stderr)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def completion(args):
    if shutil.which("bash") is None:
        sys.exit(77)
    script = f"""
source "{args.completion}"
complete_line() {{
    COMP_LINE="$1"; COMP_WORDS=($1); [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$(( ${{#COMP_WORDS[@]}} - 1 )); COMP_POINT=${{#COMP_LINE}}; COMPREPLY=()
    _kestrelctl kestrelctl; echo "${{COMPREPLY[*]}}"
}}
complete_line "kestrelctl pr"
complete_line "kestrelctl profile "
complete_line "kestrelctl map --console "
complete_line "kestrelctl map --console ps3 LEFT_PA"
complete_line "kestrelctl map --console ps3 LEFT_PADDLE=Hard"
complete_line "kestrelctl set --rumble m"
complete_line "kestrelctl profile apply ra"
"""
    home = tempfile.mkdtemp(prefix="kestrelctl-completion-")
    try:
        os.makedirs(os.path.join(home, "kestrel", "profiles"))
        for name in ("rally", "circuit"):
            open(os.path.join(home, "kestrel", "profiles", f"{name}.bin"), "wb").close()
        done = subprocess.run(["bash", "--norc", "-c", script], env=dict(os.environ, XDG_CONFIG_HOME=home),
                              capture_output=True, text=True, timeout=30)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    check(done.returncode == 0, f"bash failed: {done.stderr}")
    lines = done.stdout.splitlines()
    expected = ["presets profile", "save apply list remove", "xbox ps3", "LEFT_PADDLE=",
                "LEFT_PADDLE=HardLeft LEFT_PADDLE=HardRight", "medium", "rally"]
    check(lines == expected, f"completions {lines}, expected {expected}")


def manpages(args):
    groff = shutil.which("groff")
    if groff is None:
        sys.exit(77)
    for page in args.pages:
        done = subprocess.run([groff, "-man", "-ww", "-z", "-Tutf8", page], capture_output=True, text=True,
                              timeout=30, env=dict(os.environ, LC_ALL="C.UTF-8"))
        check(done.returncode == 0 and not done.stderr, f"{page}: {done.stderr}")


def main():
    parser = argparse.ArgumentParser()
    sub = parser.add_subparsers(dest="check", required=True)
    demo_parser = sub.add_parser("demo")
    demo_parser.add_argument("--program", required=True)
    completion_parser = sub.add_parser("completion")
    completion_parser.add_argument("--completion", required=True)
    pages_parser = sub.add_parser("manpages")
    pages_parser.add_argument("pages", nargs="+")
    args = parser.parse_args()
    try:
        {"demo": demo, "completion": completion, "manpages": manpages}[args.check](args)
    except Failure as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
    print("passed")


if __name__ == "__main__":
    main()
