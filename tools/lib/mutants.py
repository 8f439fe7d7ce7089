# The fault-seeding runner behind tools/mutants: reads tools/mutants.txt, keeps a scratch copy of
# the tracked sources in build/mutants/src and, per fault, mutates one file there, rebuilds, runs
# the tests and restores the file. It never writes to the working tree.
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
FAULTS = os.path.join(ROOT, "tools", "mutants.txt")
SCRATCH = os.path.join(ROOT, "build", "mutants")
SRC = os.path.join(SCRATCH, "src")
LOGS = os.path.join(SCRATCH, "logs")
RESULT = os.path.join(SCRATCH, "result.txt")
MANIFEST = os.path.join(SCRATCH, "copied-files.txt")
TEST_TIMEOUT = "30"  # seconds per test; a fault may leave a window waiting for ever


class Fault:
    def __init__(self, ident, path, what, line):
        self.id, self.path, self.what, self.line = ident, path, what, line
        self.find, self.replace = [], []

    @property
    def find_text(self):
        return "\n".join(self.find)

    @property
    def replace_text(self):
        return "\n".join(self.replace)

    def native_first(self):
        return self.path.startswith("core/")


HEADER = re.compile(r"^\[([A-Za-z0-9_.-]+)\]\s+(\S+):\s*(.*)$")


def parse_faults(path):
    """Entries: "[id] file: what it breaks", then "- " lines (the text to find, joined by
    newlines) and "+ " lines (its replacement; none means the text is deleted)."""
    faults, current = [], None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            m = HEADER.match(line)
            if m:
                current = Fault(m.group(1), m.group(2), m.group(3), number)
                faults.append(current)
            elif line[:2] in ("- ", "+ ") or line in ("-", "+"):
                if current is None:
                    sys.exit(f"{path}:{number}: a text line before the first [id] line")
                (current.find if line[0] == "-" else current.replace).append(line[2:])
            elif line.strip() and not line.startswith("#"):
                sys.exit(f"{path}:{number}: cannot read this line: {line}")
    seen = set()
    for fault in faults:
        if fault.id in seen:
            sys.exit(f"{path}:{fault.line}: the id {fault.id} is used twice")
        seen.add(fault.id)
        if not fault.find:
            sys.exit(f"{path}:{fault.line}: {fault.id} has no text to find")
    return faults


def applies(fault, base):
    """None when the fault applies to the file under `base`, else the reason it does not."""
    full = os.path.join(base, fault.path)
    if not os.path.isfile(full):
        return f"{fault.path} does not exist"
    with open(full, encoding="utf-8", newline="") as f:
        count = f.read().count(fault.find_text)
    if count != 1:
        return f"the text occurs {count} times in {fault.path}, not once"
    return None


def native_env():
    """The environment without the Wine prefix's variables and with the caller's locale."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    for name in ("LANG", "LC_ALL", "LOCPATH"):
        env.pop(name, None)
    for pair in os.environ.get("TOLVARE_MUTANTS_OUTER_LOCALE", "").split():
        name, _, value = pair.partition("=")
        env[name] = value
    return env


def run(cmd, log, cwd=SRC, env=None):
    """Runs `cmd`, appending its output to the open `log`; returns (exit code, output)."""
    log.write(f"$ {' '.join(cmd)}\n")
    log.flush()
    p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                       errors="replace", env=env)
    log.write(p.stdout)
    log.flush()
    return p.returncode, p.stdout


def sync_tree():
    """Copies the tracked files as they are in the working tree into SRC, writing only those that
    differ, so that the scratch builds stay incremental between runs."""
    listed = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, stdout=subprocess.PIPE, check=True)
    files = [f for f in listed.stdout.decode().split("\0") if f and os.path.isfile(os.path.join(ROOT, f))]
    old = set()
    if os.path.isfile(MANIFEST):
        with open(MANIFEST) as f:
            old = set(f.read().split("\0")) - {""}
    for stale in old - set(files):
        path = os.path.join(SRC, stale)
        if os.path.isfile(path):
            os.remove(path)
    copied = 0
    for name in files:
        src, dst = os.path.join(ROOT, name), os.path.join(SRC, name)
        with open(src, "rb") as f:
            data = f.read()
        if os.path.isfile(dst) and not os.path.islink(dst):
            with open(dst, "rb") as f:
                if f.read() == data:
                    continue
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        with open(dst, "wb") as f:
            f.write(data)
        shutil.copymode(src, dst)
        copied += 1
    with open(MANIFEST, "w") as f:
        f.write("\0".join(files))
    return copied


def test_targets():
    """The executables ctest runs: those named by gtest_discover_tests in tests/."""
    targets = set()
    for folder, _, names in os.walk(os.path.join(SRC, "tests")):
        if "CMakeLists.txt" in names:
            with open(os.path.join(folder, "CMakeLists.txt")) as f:
                targets.update(re.findall(r"gtest_discover_tests\(\s*(\w+)", f.read()))
    return sorted(targets)


class Preset:
    def __init__(self, name, ctest_jobs):
        self.name, self.jobs = name, ctest_jobs
        self.build_dir = os.path.join(SRC, "build", name)

    def configure(self, log):
        return run(["cmake", "--preset", self.name], log)[0] == 0

    def build(self, log):
        targets = [t for t in test_targets() if self.has_target(t)]
        cmd = ["cmake", "--build", "--preset", self.name]
        if targets:
            cmd += ["--target"] + targets
        return run(cmd, log)[0] == 0

    def has_target(self, target):
        # Native builds have core_tests only; the Makefile names every target of the build.
        with open(os.path.join(self.build_dir, "Makefile"), errors="replace") as f:
            return re.search(rf"^{re.escape(target)}:", f.read(), re.M) is not None

    def test(self, log):
        """None when every test passes, else the first failing test's name (and how it failed)."""
        # A failing test runs once more: a fault fails it every time, while a timing-dependent test
        # that failed once under load would otherwise be counted as a catch.
        code, out = run(["ctest", "--test-dir", self.build_dir, "-j", str(self.jobs), "--timeout",
                         TEST_TIMEOUT, "--repeat", "until-pass:2", "--stop-on-failure",
                         "--output-on-failure"], log,
                        env=native_env() if self is NATIVE else None)
        if code == 0:
            return None
        # ctest's closing list names the tests that failed in the end (a skipped test, or one
        # that passed when run again, is not among them).
        summary = out.split("The following tests FAILED:", 1)
        if len(summary) == 2:
            m = re.search(r"^\s*\d+ - (\S+)(?: .*?)?\((\w+)\)", summary[1], re.M)
            if m:
                kind = m.group(2).lower()
                return m.group(1) if kind == "failed" else f"{m.group(1)} ({kind})"
        return "(ctest failed before any test: see the log)"


NATIVE, WINDOWS = Preset("native", 2), Preset("windows", 2)


def restart_wine(log):
    # A test that timed out may leave processes (and the single-instance lock) behind.
    run(["bash", "-c", "source tools/lib/wine-prefix.sh && { wineserver -k; wineserver -w; } 2>/dev/null;"
         " tolvare_wine_server_start"], log, cwd=ROOT)


def check_fault(fault, log):
    """Builds and tests the mutated copy: returns (status, detail)."""
    presets = [NATIVE, WINDOWS] if fault.native_first() else [WINDOWS]
    for preset in presets:
        log.write(f"=== {preset.name}\n")
        if not preset.build(log):
            return "does-not-build", preset.name
        failing = preset.test(log)
        if preset is WINDOWS:
            restart_wine(log)
        if failing is not None:
            return "caught", failing
    return "missed", ""


def mutate_and_check(fault):
    path = os.path.join(SRC, fault.path)
    with open(path, encoding="utf-8", newline="") as f:
        original = f.read()
    with open(os.path.join(LOGS, fault.id + ".log"), "w") as log:
        log.write(f"{fault.id}: {fault.path}: {fault.what}\n--- find\n{fault.find_text}\n"
                  f"--- replace\n{fault.replace_text}\n")
        try:
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(original.replace(fault.find_text, fault.replace_text, 1))
            return check_fault(fault, log)
        finally:
            # Written anew: its newer time makes the next build recompile it from the original.
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(original)


def main():
    parser = argparse.ArgumentParser(prog="tools/mutants", description="Seeds faults and runs the tests.")
    parser.add_argument("--only", help="comma-separated fault ids")
    parser.add_argument("--faults", default=FAULTS, metavar="FILE",
                        help="the list of faults (default tools/mutants.txt)")
    parser.add_argument("--list", action="store_true", help="print the faults and whether they apply")
    args = parser.parse_args()

    faults = parse_faults(args.faults)
    if args.only:
        wanted = [i.strip() for i in args.only.split(",") if i.strip()]
        unknown = [i for i in wanted if i not in {f.id for f in faults}]
        if unknown:
            sys.exit(f"tools/mutants: unknown fault id(s): {', '.join(unknown)}")
        faults = [f for f in faults if f.id in wanted]
    if args.list:
        for fault in faults:
            reason = applies(fault, ROOT)
            print(f"{fault.id:<26} {fault.path:<34} {fault.what}"
                  + (f"  [DOES NOT APPLY: {reason}]" if reason else ""))
        print(f"{len(faults)} faults")
        return 0
    if "WINEPREFIX" not in os.environ:
        sys.exit("tools/mutants: run through tools/mutants, which makes the Wine prefix")

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    started = time.monotonic()
    os.makedirs(LOGS, exist_ok=True)
    print(f"copying the tracked files to {os.path.relpath(SRC, ROOT)}: {sync_tree()} changed", flush=True)
    with open(os.path.join(LOGS, "baseline.log"), "w") as log:
        for preset in (NATIVE, WINDOWS):
            if not (preset.configure(log) and preset.build(log)):
                sys.exit(f"tools/mutants: the unmutated {preset.name} build fails (build/mutants/logs/baseline.log)")
            failing = preset.test(log)
            if preset is WINDOWS:
                restart_wine(log)
            if failing is not None:
                sys.exit(f"tools/mutants: the unmutated {preset.name} tests fail ({failing});"
                         " see build/mutants/logs/baseline.log")
    print(f"unmutated suite passes ({time.monotonic() - started:.0f} s); {len(faults)} faults", flush=True)

    counts = {}
    # Each list keeps its own result file: a second list never overwrites the first one's.
    name = os.path.splitext(os.path.basename(args.faults))[0]
    result_path = RESULT if name == "mutants" else os.path.join(SCRATCH, f"result-{name}.txt")
    with open(result_path, "w") as result:
        for fault in faults:
            t0 = time.monotonic()
            reason = applies(fault, SRC)
            if reason is not None:
                status, detail = "does-not-apply", reason
            else:
                status, detail = mutate_and_check(fault)
            counts[status] = counts.get(status, 0) + 1
            line = f"{fault.id:<26} {status:<15} {detail or '-'}  [{time.monotonic() - t0:.0f} s]"
            print(line, flush=True)
            result.write(line + "\n")
            result.flush()
        summary = f"{counts.get('caught', 0)} caught, {counts.get('missed', 0)} missed"
        extras = [f"{counts[k]} {k}" for k in ("does-not-apply", "does-not-build") if counts.get(k)]
        if extras:
            summary += " (" + ", ".join(extras) + ")"
        summary += f"; {(time.monotonic() - started) / 60:.0f} min"
        print(summary)
        result.write(summary + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
