#!/usr/bin/env python3
"""Runs two builds of veldax-gen over the same cases and reports every
difference in exit status, console output or any file written.

Usage: compare_builds.py OLD_BINARY NEW_BINARY [EXAMPLES_DIR]

The cases: every configuration and file run of the reference check, the
example parameter files with each switch, BMP pictures of several depths,
and a set of refused inputs.  Use it around a change that must not alter
one output byte.  Exits 0 when the two builds agree everywhere.
"""
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference_model as ref  # noqa: E402


def bmp(width, height, bpp, seed, top_down=False, palette=False):
    stride = (width * (bpp // 8) + 3) // 4 * 4
    extra = bytes(range(256)) * 4 if palette else b""
    offset = 54 + len(extra)
    pixels = bytes((seed * 7 + i * 13) & 0xFF for i in range(stride * height))
    header = struct.pack("<2sIIIIiiHHIIiiII", b"BM", offset + len(pixels), 0, offset, 40, width,
                         -height if top_down else height, 1, bpp, 0, len(pixels), 0, 0, 0, 0)
    return header + extra + pixels


def cases(examples):
    out = []
    for cfg in ref.configurations():
        for switch, fields in (("-d", 5), ("-g", 4)):
            out.append((ref.kvf_text(cfg), [switch, str(fields)], None))
    for cfg, args, data, _ in ref.file_runs():
        out.append((ref.kvf_text(cfg), args, data))
    for name in sorted(os.listdir(examples)):
        if not name.endswith(".kvf"):
            continue
        with open(os.path.join(examples, name)) as f:
            text = f.read()
        small = text + "\nframe_width=37\nframe_height=11\n"
        for args in ([], ["-g", "3"], ["-d", "4"]):
            out.append((text if not args else small, args, None))
        out.append((small + "fconvert=1\n", ["-g", "2"], None))
    pictures = [bmp(9, 7, 24, 1), bmp(9, 7, 8, 2, palette=True), bmp(6, 5, 32, 3, top_down=True),
                bmp(12, 9, 24, 4), bmp(9, 7, 16, 5)]
    for n, pic in enumerate(pictures):
        for method in ref.METHOD_WORDS:
            kvf = "num_plane=3\nframe_width=9\nframe_height=7\ndmethod=%s\ndwidth=%d\n" % (
                method, (4, 8, 10)[n % 3])
            out.append((kvf, ["-b", "p.bmp"], pic))
    refused = ["num_plane=0\n", "dwidth=17\n", "ycbcr422=1\nnum_plane=2\n", "frame_width=99999999999\n",
               "dynamic=1\nfrmw_1=704\n", "base_addr=1FFFFFFFF\n"]
    for kvf in refused:
        out.append((kvf, ["-d"], None))
    out.append(("frame_width=8\nframe_height=4\n", ["-l", "missing.txt"], None))
    out.append(("frame_width=8\nframe_height=4\n", ["-l", "p.txt"], b"12\nzz\n"))
    out.append(("frame_width=8\nframe_height=4\n", ["-b", "p.bmp"], b"BM" + bytes(60)))
    out.append(("frame_width=8\nframe_height=4\n", ["-y", "p.yuv", "2"], bytes(range(200))))
    out.append(("frame_width=8\nframe_height=4\n", ["-y"], None))
    return out


def run(binary, kvf, args, data):
    with tempfile.TemporaryDirectory() as d:
        with open(os.path.join(d, "cfg.kvf"), "w") as f:
            f.write(kvf)
        if data is not None:
            with open(os.path.join(d, args[1]), "wb") as f:
                f.write(data)
        proc = subprocess.run([binary, "cfg.kvf"] + args, cwd=d, capture_output=True)
        files = {}
        for name in sorted(os.listdir(d)):
            with open(os.path.join(d, name), "rb") as f:
                files[name] = f.read()
        return proc.returncode, proc.stdout, files


def main():
    old, new = (os.path.abspath(p) for p in sys.argv[1:3])
    here = os.path.dirname(os.path.abspath(__file__))
    examples = sys.argv[3] if len(sys.argv) > 3 else os.path.join(here, "..", "..", "examples")
    differences = 0
    all_cases = cases(examples)
    for n, (kvf, args, data) in enumerate(all_cases):
        a, b = run(old, kvf, args, data), run(new, kvf, args, data)
        if a != b:
            differences += 1
            what = [k for k in ("status", "output") if a[("status", "output").index(k)] !=
                    b[("status", "output").index(k)]]
            what += [name for name in set(a[2]) | set(b[2]) if a[2].get(name) != b[2].get(name)]
            print("case %d %s %r: %s" % (n, " ".join(args), kvf[:60], ", ".join(sorted(what))))
    print("%d passed, %d failed" % (len(all_cases) - differences, differences))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
