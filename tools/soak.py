#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Soak and fault runs of zephylctl against the virtual keyboard.

1. Kill loop: writing commands killed (SIGKILL) at random moments; after each, the database
   must pass PRAGMA integrity_check, and every profile a finished run reported must still be
   there.
2. Fault matrix: every writing command under every fault of the virtual keyboard; a run that
   exits 0 must have left in the keyboard's memory exactly what the same run without the fault
   leaves there (otherwise it is a false success).

3. Malformed files: every picture of tools/malformed_files.py given to `screen upload`, every
   set file to its import, and a folder, a FIFO and /dev/zero to each, under an address-space
   limit (prlimit --as). Each run must end by itself with exit 0 or 1 (never a crash or a hang);
   a file under 1 MB may take at most 100 MB and 2 s of processor time. The largest RSS and the
   longest time any input took are reported.

Usage: tools/soak.py BUILD_DIR [--kills N] [--files-only]. Prints its summary lines; exit 1 on
any failure.
"""
import json
import os
import random
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import malformed_files  # noqa: E402

WRITES = [
    ["keys", "assign", "A", "disable"],
    ["keys", "assign", "B", "key", "ctrl+c"],
    ["macros", "new"],
    ["profiles", "new"],
    ["profiles", "rename", "2", "Soak"],
    ["settings", "set", "sleep_time", "2"],
    ["reset-keys"],
]
FAULTS = [("busy", 1000), ("busy", 1), ("busy", 3), ("wrong_status", 1000),
          ("lost_answer", 1000), ("unplug_after", 2), ("unplug_after", 5),
          ("unplug_after", 6), ("unplug_in_block", 1), ("unplug_in_block", 3)]


def environment(root):
    env = dict(os.environ)
    for name, folder in (("XDG_DATA_HOME", "data"), ("XDG_CONFIG_HOME", "config"),
                         ("XDG_RUNTIME_DIR", "run")):
        path = os.path.join(root, folder)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[name] = path
    env["ZEPHYL_VIRTUAL_STATE"] = os.path.join(root, "keyboard.json")
    env.pop("ZEPHYL_VIRTUAL_LOG", None)
    return env


def databases(root):
    for folder, _, files in os.walk(os.path.join(root, "data")):
        for name in files:
            if name.endswith(".db"):
                yield os.path.join(folder, name)


def run(ctl, env, scenario, words, timeout=60):
    return subprocess.run([ctl, "--virtual-keyboard=" + scenario] + words, env=env,
                          capture_output=True, text=True, timeout=timeout)


def kill_loop(ctl, kills):
    stats = {"runs": 0, "kills": 0, "integrity": 0, "lost": 0}
    with tempfile.TemporaryDirectory() as root:
        env = environment(root)
        run(ctl, env, "101:0", ["profiles"])
        created = set()
        for _ in range(kills):
            words = random.choice(WRITES)
            process = subprocess.Popen([ctl, "--virtual-keyboard=101:0"] + words, env=env,
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                       text=True)
            stats["runs"] += 1
            time.sleep(random.uniform(0.0, 0.08))
            if process.poll() is None:
                process.send_signal(signal.SIGKILL)
                stats["kills"] += 1
                process.wait()
            else:
                out = process.stdout.read().strip()
                if words == ["profiles", "new"] and process.returncode == 0 and out.isdigit():
                    created.add(int(out))
            for path in databases(root):
                with sqlite3.connect(path) as db:
                    if db.execute("PRAGMA integrity_check").fetchone()[0] != "ok":
                        stats["integrity"] += 1
                    ids = {row[0] for row in db.execute("SELECT profile FROM t_profile_data")}
                    stats["lost"] = len(created - ids)
    return stats


def memory(env):
    try:
        with open(env["ZEPHYL_VIRTUAL_STATE"]) as state:
            keyboards = json.load(state).get("keyboards", {})
    except (OSError, ValueError):
        return {}
    # What the commands write; counters and the clock (set at every start) say nothing of it.
    ignored = ("counters", "clock")
    return {model: {k: v for k, v in kept.items()
                    if k not in ignored and not k.endswith("_count")}
            for model, kept in keyboards.items()}


def fault_matrix(ctl):
    stats = {"runs": 0, "false": 0}
    for mode in ("0", "2"):
        for words in WRITES:
            with tempfile.TemporaryDirectory() as clean_root:
                clean_env = environment(clean_root)
                clean = run(ctl, clean_env, "101:" + mode, words)
                expected = memory(clean_env)
            for fault, value in FAULTS:
                with tempfile.TemporaryDirectory() as root:
                    env = environment(root)
                    scenario = os.path.join(root, "scenario.json")
                    with open(scenario, "w") as out:
                        json.dump({"keyboards": [{"model": 101, "modes": [int(mode)]}],
                                   "faults": [{"fault": fault, "value": value}]}, out)
                    result = run(ctl, env, scenario, words)
                    stats["runs"] += 1
                    if result.returncode == 0 and clean.returncode == 0 and \
                            memory(env) != expected:
                        stats["false"] += 1
                        print("false success: mode %s %s %d: %s" %
                              (mode, fault, value, " ".join(words)), file=sys.stderr)
    return stats


# What a run of one file may take, and the address space it runs in: past the limit an
# allocation fails instead of the machine swapping.
MOST_RSS_KB = 100 * 1024
MOST_CPU_SECONDS = 2.0
ADDRESS_SPACE = "--as=%d" % (1536 * 1024 * 1024)
IMPORTS = [["customlight", "import"], ["userlight", "import"], ["keys", "import"],
           ["macros", "import"]]


def measured(ctl, env, words, timeout=60):
    """Runs zephylctl under the address-space limit; (exit code, max RSS in KB, CPU seconds,
    wall seconds, stderr). A run that does not end within `timeout` is killed: exit None."""
    command = ["prlimit", ADDRESS_SPACE, ctl, "--model", "102", "--virtual-keyboard=102:0"] + words
    started = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE)
    deadline = started + timeout
    while True:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        if pid:
            break
        if time.monotonic() > deadline:
            process.kill()
            pid, status, usage = os.wait4(process.pid, 0)
            return None, usage.ru_maxrss, usage.ru_utime + usage.ru_stime, timeout, ""
        time.sleep(0.01)
    err = process.stderr.read().decode(errors="replace")
    code = os.waitstatus_to_exitcode(status)
    return code, usage.ru_maxrss, usage.ru_utime + usage.ru_stime, time.monotonic() - started, err


def malformed_file_runs(ctl):
    stats = {"runs": 0, "failures": 0, "rss": (0, ""), "cpu": (0.0, ""), "wall": (0.0, "")}
    with tempfile.TemporaryDirectory() as root:
        env = environment(root)
        files = malformed_files.write_all(os.path.join(root, "files"))
        fifo = os.path.join(root, "fifo.gif")
        os.mkfifo(fifo)
        odd = [os.path.join(root, "files"), fifo, "/dev/zero"]
        runs = []
        for path in files:
            if path.endswith(".xml"):
                runs += [(words + [path], path) for words in IMPORTS
                         if os.path.basename(path).startswith(words[0])]
            else:
                runs.append((["screen", "upload", path, "--slot", "1"], path))
        for path in odd:
            runs.append((["screen", "upload", path, "--slot", "1"], path))
            runs += [(words + [path], path) for words in IMPORTS]
        for words, path in runs:
            code, rss, cpu, wall, err = measured(ctl, env, words)
            stats["runs"] += 1
            name = " ".join(words[:2]) + " " + os.path.basename(path)
            small = not os.path.isfile(path) or os.path.getsize(path) < 1024 * 1024
            over = small and (rss > MOST_RSS_KB or cpu > MOST_CPU_SECONDS)
            if code not in (0, 1) or over:
                stats["failures"] += 1
                print("malformed file: %s: exit %s, %d KB, %.2f s: %s" %
                      (name, code, rss, cpu, err.strip()), file=sys.stderr)
            for key, value in (("rss", rss), ("cpu", cpu), ("wall", wall)):
                if value > stats[key][0]:
                    stats[key] = (value, name)
    return stats


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    ctl = os.path.join(sys.argv[1], "bin", "zephylctl")
    kills = int(sys.argv[sys.argv.index("--kills") + 1]) if "--kills" in sys.argv else 500
    files = malformed_file_runs(ctl)
    print("malformed files: runs %d, failures %d, largest RSS %d KB (%s), longest processor "
          "time %.2f s (%s), longest wall time %.2f s (%s)"
          % (files["runs"], files["failures"], files["rss"][0], files["rss"][1],
             files["cpu"][0], files["cpu"][1], files["wall"][0], files["wall"][1]))
    if "--files-only" in sys.argv:
        return 0 if files["failures"] == 0 else 1
    loop = kill_loop(ctl, kills)
    matrix = fault_matrix(ctl)
    print("runs %d, kills %d, integrity failures %d, false successes %d, lost rows %d"
          % (loop["runs"] + matrix["runs"], loop["kills"], loop["integrity"], matrix["false"],
             loop["lost"]))
    return 0 if (loop["integrity"] == 0 and matrix["false"] == 0 and loop["lost"] == 0 and
                 files["failures"] == 0) else 1


if __name__ == "__main__":
    sys.exit(main())
