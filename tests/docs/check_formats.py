#!/usr/bin/env python3
"""Runs every worked example of docs/formats.md and compares the numbers the
document prints with what veldax-gen writes, so the document cannot drift
from the program.

Usage: check_formats.py PATH/TO/veldax-gen PATH/TO/formats.md

An example starts at a line "<!-- example: NAME -->" and runs to the next
such line, the next heading or "<!-- end example -->".  Its fenced blocks,
told apart by the first word after the opening fence:

  kvf [NAME]            the parameter file (default name example.kvf)
  input NAME            an input file, its text as written
  input NAME bytes      an input file of byte values (decimal or 0x..; "#"
                        starts a comment running to the end of the line)
  console               "$ veldax-gen ARGS" runs the program in a scratch
                        folder; any other non-empty line must appear in what
                        it printed (standard output and error together)
  expect                what the run must have written:
      FILE words A-B NOTE:    16-bit little-endian words A..B of FILE, listed
      FILE bytes A-B NOTE:    on the lines that follow (up to a blank line);
                              NOTE is free text, "#" starts a comment, "|"
                              is ignored
      FILE lines A-B NOTE:    text lines A..B of FILE, verbatim, one a line
      FILE contains:          every following line is a line of FILE
      FILE length N UNIT      FILE holds N words, bytes or lines
      exit status N           the run's exit status (default 0)

Prints one line per example and "N passed, M failed"; exits 1 on a failure.
"""
import os
import re
import shlex
import subprocess
import sys
import tempfile

MARKER = re.compile(r"^<!--\s*example:\s*([\w.-]+)\s*-->\s*$")
LOOSE = re.compile(r"^\s*<!--\s*example\b")
END = re.compile(r"^<!--\s*end example\s*-->\s*$")
SPAN = re.compile(r"^(?P<file>[\w.]+) (?P<kind>words|bytes|lines) (?P<a>\d+)(?:-(?P<b>\d+))?"
                  r"(?P<note>.*):$")
CONTAINS = re.compile(r"^(?P<file>[\w.]+) contains:$")
LENGTH = re.compile(r"^(?P<file>[\w.]+) length (?P<n>\d+) (?P<unit>words|bytes|lines)$")
EXIT = re.compile(r"^exit status (?P<n>\d+)$")


class DocError(Exception):
    pass


def numbers(line, where):
    """Values of a value line: decimal or 0x-hexadecimal tokens."""
    line = line.split("#", 1)[0].replace("|", " ")
    out = []
    for token in line.split():
        try:
            out.append(int(token, 0) if token.lower().startswith("0x") else int(token, 10))
        except ValueError:
            raise DocError("%s: %r is not a number" % (where, token))
    return out


def parse_expect(lines, where):
    """Expectations of one expect block: a list of (kind, ...) tuples."""
    checks = []
    i = 0
    while i < len(lines):
        line = lines[i].rstrip()
        i += 1
        if not line.strip():
            continue
        m = SPAN.match(line)
        if m:
            a = int(m["a"])
            b = int(m["b"]) if m["b"] is not None else a
            if b < a:
                raise DocError("%s: empty range in %r" % (where, line))
            body = []
            while i < len(lines) and lines[i].strip() and not is_header(lines[i].rstrip()):
                body.append(lines[i].rstrip())
                i += 1
            if m["kind"] == "lines":
                values = [s.strip() for s in body]
            else:
                values = [v for s in body for v in numbers(s, where)]
            if len(values) != b - a + 1:
                raise DocError("%s: %r lists %d values for %d positions"
                               % (where, line, len(values), b - a + 1))
            checks.append(("span", m["file"], m["kind"], a, values))
            continue
        m = CONTAINS.match(line)
        if m:
            body = []
            while i < len(lines) and lines[i].strip() and not is_header(lines[i].rstrip()):
                body.append(lines[i].strip())
                i += 1
            if not body:
                raise DocError("%s: %r lists no line" % (where, line))
            checks.append(("contains", m["file"], body))
            continue
        m = LENGTH.match(line)
        if m:
            checks.append(("length", m["file"], int(m["n"]), m["unit"]))
            continue
        m = EXIT.match(line)
        if m:
            checks.append(("exit", int(m["n"])))
            continue
        raise DocError("%s: expectation %r is not understood" % (where, line))
    return checks


def is_header(line):
    return any(p.match(line) for p in (SPAN, CONTAINS, LENGTH, EXIT))


def fenced_blocks(lines):
    """(info string, body lines) of every fenced block of the lines."""
    blocks = []
    i = 0
    while i < len(lines):
        m = re.match(r"^(```+)(.*)$", lines[i])
        if not m:
            i += 1
            continue
        fence, info = m[1], m[2].strip()
        body = []
        i += 1
        while i < len(lines) and not lines[i].startswith(fence):
            body.append(lines[i])
            i += 1
        if i == len(lines):
            raise DocError("fence %r%s never closes" % (fence, info))
        blocks.append((info, body))
        i += 1
    return blocks


def split_examples(text):
    """(name, line number, lines) of every example of the document."""
    lines = text.split("\n")
    examples = []
    current = None
    in_fence = False
    for n, line in enumerate(lines, 1):
        if not in_fence:
            m = MARKER.match(line)
            if m:
                current = (m[1], n, [])
                examples.append(current)
                continue
            if END.match(line) or line.startswith("#"):
                current = None
                continue
        if line.startswith("```"):
            in_fence = not in_fence
        if current is not None:
            current[2].append(line)
    return examples


def build_example(name, n, lines):
    where = "example %s (line %d)" % (name, n)
    ex = {"name": name, "where": where, "files": {}, "runs": [], "printed": [], "checks": []}
    for info, body in fenced_blocks(lines):
        words = info.split()
        kind = words[0] if words else ""
        if kind == "kvf":
            fname = words[1] if len(words) > 1 else "example.kvf"
            ex["files"][fname] = ("\n".join(body) + "\n").encode()
        elif kind == "input":
            if len(words) < 2:
                raise DocError("%s: input block without a file name" % where)
            if len(words) > 2 and words[2] == "bytes":
                ex["files"][words[1]] = bytes(v for s in body for v in numbers(s, where))
            else:
                ex["files"][words[1]] = ("\n".join(body) + "\n").encode()
        elif kind == "console":
            for line in body:
                if line.startswith("$ "):
                    args = shlex.split(line[2:])
                    if not args or args[0] != "veldax-gen":
                        raise DocError("%s: command %r does not run veldax-gen" % (where, line))
                    ex["runs"].append(args[1:])
                elif line.strip():
                    ex["printed"].append(line.strip())
        elif kind == "expect":
            ex["checks"] += parse_expect(body, where)
    if len(ex["runs"]) != 1:
        raise DocError("%s: %d commands, one expected" % (where, len(ex["runs"])))
    if not [c for c in ex["checks"] if c[0] != "exit"]:
        raise DocError("%s: nothing to compare" % where)
    return ex


def read_entries(path, kind):
    with open(path, "rb") as f:
        data = f.read()
    if kind == "bytes":
        return list(data)
    if kind == "words":
        if len(data) % 2:
            raise DocError("%s has an odd number of bytes" % os.path.basename(path))
        return [data[i] | data[i + 1] << 8 for i in range(0, len(data), 2)]
    text = data.decode("latin-1")
    return [line.strip() for line in (text[:-1] if text.endswith("\n") else text).split("\n")]


def compare(ex, folder, status, printed):
    """Differences between the example's expectations and the run's files."""
    problems = []
    wanted_status = 0
    for check in ex["checks"]:
        kind = check[0]
        if kind == "exit":
            wanted_status = check[1]
            continue
        path = os.path.join(folder, check[1])
        if not os.path.exists(path):
            problems.append("%s was not written" % check[1])
            continue
        if kind == "span":
            _, fname, unit, first, values = check
            got = read_entries(path, unit)
            part = got[first:first + len(values)]
            if len(part) < len(values):
                problems.append("%s has %d %s, the document shows up to %d"
                                % (fname, len(got), unit, first + len(values)))
                continue
            for k, (want, have) in enumerate(zip(values, part)):
                if want != have:
                    problems.append("%s %s %d: document %s, program %s"
                                    % (fname, unit[:-1], first + k, want, have))
                    break
        elif kind == "contains":
            _, fname, wanted = check
            have = set(read_entries(path, "lines"))
            for line in wanted:
                if line not in have:
                    problems.append("%s lacks the line %r" % (fname, line))
        elif kind == "length":
            _, fname, n, unit = check
            got = len(read_entries(path, unit))
            if got != n:
                problems.append("%s holds %d %s, the document says %d" % (fname, got, unit, n))
    if status != wanted_status:
        problems.append("exit status %d, the document says %d" % (status, wanted_status))
    for line in ex["printed"]:
        if line not in [s.strip() for s in printed.split("\n")]:
            problems.append("the run did not print %r" % line)
    return problems


def mutated(ex):
    """The example with its first listed number changed by one, or None."""
    for i, check in enumerate(ex["checks"]):
        if check[0] == "span" and check[2] != "lines":
            values = list(check[4])
            values[0] += 1
            checks = list(ex["checks"])
            checks[i] = check[:4] + (values,)
            return dict(ex, checks=checks)
    return None


def run_example(binary, ex, self_check):
    with tempfile.TemporaryDirectory() as folder:
        for fname, data in ex["files"].items():
            with open(os.path.join(folder, fname), "wb") as f:
                f.write(data)
        proc = subprocess.run([binary] + ex["runs"][0], cwd=folder, capture_output=True,
                              text=True, timeout=120)
        printed = proc.stdout + proc.stderr
        problems = compare(ex, folder, proc.returncode, printed)
        if problems and proc.stdout.strip():
            problems.append("it printed: %s" % proc.stdout.strip().replace("\n", " / "))
        # The comparison itself must notice a changed number.
        if self_check and not problems:
            changed = mutated(ex)
            if changed and not compare(changed, folder, proc.returncode, printed):
                problems.append("a number changed by one in the document went unnoticed")
        return problems


def main():
    if len(sys.argv) != 3:
        print("usage: check_formats.py VELDAX_GEN FORMATS_MD")
        return 2
    binary = os.path.abspath(sys.argv[1])
    with open(sys.argv[2], encoding="utf-8") as f:
        text = f.read()
    # Every line that looks like a marker outside a fence must start an
    # example: a misspelt one would otherwise drop its example silently.
    markers, in_fence = 0, False
    for line in text.split("\n"):
        if line.startswith("```"):
            in_fence = not in_fence
        elif not in_fence and LOOSE.search(line):
            markers += 1
    passed = failed = 0
    try:
        examples = [build_example(*e) for e in split_examples(text)]
    except DocError as e:
        print("FAIL %s" % e)
        print("0 passed, 1 failed")
        return 1
    names = [ex["name"] for ex in examples]
    if len(examples) != markers or not examples or len(set(names)) != len(names):
        print("FAIL %d example markers, %d examples read, names %s" % (markers, len(examples), names))
        failed += 1
    for n, ex in enumerate(examples):
        try:
            problems = run_example(binary, ex, self_check=n == 0)
        except (DocError, OSError, subprocess.SubprocessError) as e:
            problems = [str(e)]
        if problems:
            failed += 1
            print("FAIL %s: %s" % (ex["where"], "; ".join(problems)))
        else:
            passed += 1
            print("ok   %s" % ex["name"])
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
