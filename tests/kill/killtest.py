#!/usr/bin/env python3
"""Kills quorvel-cli with SIGKILL at random moments of its operations and
checks the database after every kill.

After each kill gsls.dll must pass PRAGMA integrity_check and hold exactly
the students and classes of before the operation, or a complete state after
one of the operation's transactions:
  import        the rows of the template being imported (every class 0);
  create --from the rows of the workbook the database is rebuilt from;
  divide        every student placed in 1..N with the class and sex sizes of
                the division the same command gives when it is not killed
                (the adjustment's exchanges keep these sizes);
  divide fastslow, divide boarders
                the classes after each run of the command (the first run of
                fast/slow classes, both runs; the boarder division);
  transfer      the classes the same transfer gives when it is not killed;
  roster        the students as they were, and the workbook either missing
                or complete;
  undo          the classes the same undo gives when it is not killed.
The history of the classes must agree with them after every kill: its newest
version holds every student's class as studscore does.
Operations the command line does not offer are left out.

Usage: killtest.py --cli PATH [--kills N] [--students N] [--seed S]
Prints "N kills, N survived"; exit status 1 when a kill did not survive.
"""

import argparse
import os
import random
import shutil
import signal
import sqlite3
import struct
import subprocess
import sys
import tempfile
import time
import zipfile
import zlib

FIELDS = ["原学校", "是否班干部", "是否住宿", "语文", "数学", "英语"]


class Cli:
    def __init__(self, program, folder):
        self.program = program
        self.folder = folder

    def args(self, *command):
        return [self.program, "--dir", self.folder, "--yes", *command]

    def run(self, *command):
        done = subprocess.run(self.args(*command), capture_output=True, text=True)
        if done.returncode != 0:
            sys.exit("setup failed: %s\n%s%s" % (" ".join(command), done.stdout, done.stderr))
        return done.stdout

    def usage(self):
        return subprocess.run([self.program, "--help"], capture_output=True, text=True).stdout

    def start(self, *command):
        return subprocess.Popen(self.args(*command), stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)


def read_state(folder):
    """(integrity verdict, sorted (编号, 性别, 班级) rows)."""
    db = sqlite3.connect(os.path.join(folder, "gsls.dll"), timeout=10)
    try:
        verdict = db.execute("PRAGMA integrity_check").fetchone()[0]
        rows = sorted(db.execute('SELECT "编号", "性别", "班级" FROM studscore').fetchall(),
                      key=lambda r: (str(r[0]), str(r[1]), str(r[2])))
        return verdict, rows
    finally:
        db.close()


def uncompress(blob):
    """A blob of qCompress: the length, big-endian, then a zlib stream."""
    return zlib.decompress(bytes(blob)[4:])


def string_list(data, at):
    """A QStringList of QDataStream at offset at: (list, next offset)."""
    (count,) = struct.unpack_from(">I", data, at)
    at += 4
    out = []
    for _ in range(count):
        (size,) = struct.unpack_from(">I", data, at)
        at += 4
        if size == 0xFFFFFFFF:
            out.append("")
            continue
        out.append(data[at:at + size].decode("utf-16-be"))
        at += size
    return out, at


def history_check(folder):
    """'' when the newest version of the history holds the classes of
    studscore; else what differs."""
    db = sqlite3.connect(os.path.join(folder, "gsls.dll"), timeout=10)
    try:
        if not db.execute("SELECT 1 FROM sqlite_master WHERE name='history_versions'").fetchone():
            return ""
        newest = db.execute("SELECT v.classes, s.students FROM history_versions v JOIN "
                            "history_students s ON s.id = v.students "
                            "ORDER BY v.id DESC LIMIT 1").fetchone()
        classes = dict(db.execute('SELECT "编号", coalesce("班级", 0) FROM studscore'))
    finally:
        db.close()
    if newest is None:
        return ""
    keys, _ = string_list(uncompress(newest[1]), 0)
    raw = uncompress(newest[0])
    recorded = dict(zip(keys, struct.unpack("<%dh" % (len(raw) // 2), raw)))
    return "" if recorded == classes else "the history does not hold the classes"


def ids(rows):
    return [r[0] for r in rows]


def shape(rows):
    """Class and sex sizes of a complete division; None when someone is unplaced."""
    sizes = {}
    for _, sex, cls in rows:
        if not isinstance(cls, int) or cls < 1:
            return None
        sizes[(cls, sex)] = sizes.get((cls, sex), 0) + 1
    return sizes


def run_aside(cli, command):
    """Runs the command on a copy of the folder: (its outcome, the rows after)."""
    with tempfile.TemporaryDirectory() as scratch:
        for name in os.listdir(cli.folder):
            if os.path.isfile(os.path.join(cli.folder, name)):
                shutil.copy(os.path.join(cli.folder, name), scratch)
        done = subprocess.run(Cli(cli.program, scratch).args(*command),
                              capture_output=True, text=True)
        return done, read_state(scratch)[1]


class Operation:
    """One kind of operation under test: how to run it and which states are
    complete after one of its transactions."""

    name = ""

    def prepare(self, cli, rng):
        pass

    def command(self):
        raise NotImplementedError

    def complete(self, before, after):
        raise NotImplementedError

    def check(self):
        """What else a kill must leave sound: '' when it is."""
        return ""


class Import(Operation):
    name = "import"

    def __init__(self, cli, students):
        self.templates = []
        for seed in (11, 12):
            cli.run("sample", "--students", str(students + seed), "--seed", str(seed))
            with open(os.path.join(cli.folder, "myexcel.xls"), "rb") as f:
                self.templates.append(f.read())
        self.expected = []
        for data in self.templates:
            self._put(cli, data)
            cli.run("import")
            self.expected.append(read_state(cli.folder)[1])
        self.current = 1

    @staticmethod
    def _put(cli, data):
        with open(os.path.join(cli.folder, "myexcel.xls"), "wb") as f:
            f.write(data)

    def prepare(self, cli, rng):
        # Always the template the database does not hold yet.
        self.current = 1 - self.current
        self._put(cli, self.templates[self.current])

    def command(self):
        return ["import"]

    def complete(self, before, after):
        return after in self.expected


class CreateFrom(Operation):
    """The database rebuilt from a workbook (the import's two intakes,
    exported): the rebuild and the import are one transaction, so a kill
    leaves the old database or the new one, never an empty one."""

    name = "create --from"

    def __init__(self, cli, imports):
        self.books = []
        self.expected = []
        for k, data in enumerate(imports.templates):
            imports._put(cli, data)
            cli.run("import")
            book = os.path.join(cli.folder, "intake-%d.csv" % k)
            cli.run("export", book)
            self.books.append(book)
            self.expected.append(read_state(cli.folder)[1])
        self.current = 1

    def prepare(self, cli, rng):
        self.current = 1 - self.current
        if read_state(cli.folder)[1] == self.expected[self.current]:
            self.current = 1 - self.current

    def command(self):
        return ["create", "--from", self.books[self.current]]

    def complete(self, before, after):
        return after in self.expected


class Division(Operation):
    """A division whose un-killed result from the same state gives the class
    and sex sizes every complete state keeps (the adjustment's exchanges keep
    them). Worked out afresh each time: students of equal totals are dealt in
    the store's row order, which earlier divisions change."""

    def __init__(self, cli, name, command):
        self.name = name
        self._command = command
        self.sizes = None

    def prepare(self, cli, rng):
        done, rows = run_aside(cli, self._command)
        self.sizes = shape(rows) if done.returncode == 0 else None
        if self.sizes is None:
            sys.exit("%s failed or left students unplaced when not killed" % self.name)

    def command(self):
        return self._command

    def complete(self, before, after):
        return ids(after) == ids(before) and shape(after) == self.sizes


class Runs(Operation):
    """A command of one or more transactions (stages(n) gives, for n students,
    the commands that stop after each of them; the last is the command under
    test). The complete states are worked out afresh each time: students of
    equal totals are dealt in the store's row order, which earlier divisions
    change."""

    def __init__(self, name, stages):
        self.name = name
        self._stages = stages
        self._command = []
        self.states = []

    def prepare(self, cli, rng):
        commands = self._stages(len(read_state(cli.folder)[1]))
        self._command = commands[-1]
        self.states = []
        for command in commands:
            done, rows = run_aside(cli, command)
            if done.returncode != 0:
                sys.exit("%s failed when not killed" % self.name)
            self.states.append(rows)

    def command(self):
        return self._command

    def complete(self, before, after):
        return after in self.states


class Undo(Runs):
    """Undo of a division made just before it: a rebuild from a workbook
    (create --from) leaves a history with nothing to undo."""

    def __init__(self, divide):
        super().__init__("undo", lambda n: [["undo"]])
        self._divide = divide

    def prepare(self, cli, rng):
        cli.run(*self._divide)
        super().prepare(cli, rng)


class Transfer(Operation):
    """One student into another class and his partner back, in one
    transaction: the only complete state is the one the same transfer gives
    when it is not killed. Divides first when someone has no class."""

    name = "transfer"

    def __init__(self, divide):
        self._divide = divide
        self._command = []
        self.after = None

    def prepare(self, cli, rng):
        rows = read_state(cli.folder)[1]
        if shape(rows) is None:
            cli.run(*self._divide)
            rows = read_state(cli.folder)[1]
        number, _, cls = rng.choice(rows)
        target = rng.choice(sorted({r[2] for r in rows} - {cls}))
        self._command = ["transfer", str(number), str(target)]
        done, self.after = run_aside(cli, self._command)
        if done.returncode != 0:
            sys.exit("transfer failed when not killed:\n" + done.stdout)

    def command(self):
        return self._command

    def complete(self, before, after):
        return after == self.after


class Roster(Operation):
    """The statistics build, then a workbook written under a temporary name
    and renamed: the students never change, and the workbook is either
    missing or complete. Divides first when someone has no class."""

    name = "roster"

    def __init__(self, divide):
        self._divide = divide
        self._out = ""

    def prepare(self, cli, rng):
        if shape(read_state(cli.folder)[1]) is None:
            cli.run(*self._divide)
        self._out = os.path.join(cli.folder, "roster-under-test.xlsx")
        if os.path.exists(self._out):
            os.remove(self._out)

    def command(self):
        return ["roster", "--out", self._out]

    def complete(self, before, after):
        return False

    def check(self):
        if not os.path.exists(self._out):
            return ""
        with zipfile.ZipFile(self._out) as book:
            return "" if book.testzip() is None else "a damaged workbook"


def fast_slow_stages(n):
    """Half of the students, then the rest (the two templates of the import
    hold different numbers); each run is a transaction."""
    first = ["divide", "fastslow", "--students", str(n // 2), "--classes", "3"]
    return [first, first + ["--students", str(n - n // 2), "--classes", "5"]]


def operations(cli, students):
    ops = [Import(cli, students)]
    ops.append(CreateFrom(cli, ops[0]))
    custom = ["divide", "custom", "--classes", "8", "--top", "16",
              "--conditions", "原学校,是否班干部,是否住宿"]
    ops.append(Division(cli, "divide custom", custom))
    if "divide fastslow" in cli.usage():
        ops.append(Runs("divide fastslow", fast_slow_stages))
    if "divide boarders" in cli.usage():
        ops.append(Runs("divide boarders", lambda n: [
            ["divide", "boarders", "--boarder-classes", "3", "--day-classes", "5"]]))
    if "transfer" in cli.usage():
        ops.append(Transfer(custom + ["--no-adjust"]))
    if "roster" in cli.usage():
        ops.append(Roster(custom + ["--no-adjust"]))
    if "undo" in cli.usage():
        ops.append(Undo(custom + ["--no-adjust"]))
    return ops


def measure(cli, op, rng):
    op.prepare(cli, rng)
    started = time.monotonic()
    subprocess.run(cli.args(*op.command()), capture_output=True)
    return time.monotonic() - started


def one_kill(cli, op, duration, rng):
    """Runs the operation and kills it; None when it ended before the kill,
    else an error text or '' for a survival."""
    op.prepare(cli, rng)
    _, before = read_state(cli.folder)
    proc = cli.start(*op.command())
    time.sleep(rng.uniform(0.0, duration))
    if proc.poll() is not None:
        return None
    proc.send_signal(signal.SIGKILL)
    proc.wait()
    verdict, after = read_state(cli.folder)
    if verdict != "ok":
        return "integrity_check: %s" % verdict
    if after != before and not op.complete(before, after):
        return "a state that is neither before nor after"
    return history_check(cli.folder) or op.check()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--kills", type=int, default=200)
    parser.add_argument("--students", type=int, default=600)
    parser.add_argument("--seed", type=int, default=1)
    a = parser.parse_args()
    rng = random.Random(a.seed)
    with tempfile.TemporaryDirectory() as folder:
        cli = Cli(a.cli, folder)
        cli.run("create", *FIELDS)
        ops = operations(cli, a.students)
        durations = [measure(cli, op, rng) for op in ops]
        kills = survived = attempts = 0
        while kills < a.kills and attempts < a.kills * 20:
            attempts += 1
            i = kills % len(ops)
            outcome = one_kill(cli, ops[i], durations[i], rng)
            if outcome is None:
                continue
            kills += 1
            if outcome:
                print("kill %d during %s: %s" % (kills, ops[i].name, outcome))
            else:
                survived += 1
        for op, d in zip(ops, durations):
            print("%s: %.0f ms unkilled" % (op.name, d * 1000))
        print("%d kills, %d survived" % (kills, survived))
        return 0 if kills >= a.kills and survived == kills else 1


if __name__ == "__main__":
    sys.exit(main())
