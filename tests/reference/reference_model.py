#!/usr/bin/env python3
"""A second, independent model of generation from synthetic fields ("-d",
"-g"), raw YUV sequences ("-y") and text pictures ("-l"), written plainly
sample by sample, to check the program's "stimulus.dat", "golden.dat",
"golden.yuv" and counters bit for bit over a matrix of small configurations.

Usage: reference_model.py PATH/TO/veldax-gen
       reference_model.py --variants PATH/TO/veldax-gen-variant
The second form checks every configuration once per row kernel variant that
"veldax-gen-variant --list" names, and prints a line per variant.
Exits 0 when every configuration matches, 1 otherwise.
"""
import itertools
import os
import random
import struct
import subprocess
import sys
import tempfile

WEAVE, BOBE, BOBO, INTRA, INTER = range(5)
METHOD_WORDS = ["weave", "bobe", "bobo", "intra", "inter"]


def cdiv(a, b):
    """Integer division truncating toward zero, as in C."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


def avg(p, q):
    return cdiv(p + q + 1, 2)


def median(values):
    return sorted(values)[len(values) // 2]


def band(centre, spread, value, max_value):
    lo = centre - spread if centre - spread > 0 else 0
    hi = centre + spread if centre + spread < max_value else max_value
    return median([lo, hi, value])


def directional(U, D):
    # U, D: dicts offset -> sample, offsets -2..2
    sv = abs(U[-1] - D[-1]) + abs(U[0] - D[0]) + abs(U[1] - D[1])
    sf = abs(U[-2] - D[0]) + abs(U[-1] - D[1]) + abs(U[0] - D[2])
    sr = abs(U[0] - D[-2]) + abs(U[1] - D[-1]) + abs(U[2] - D[0])
    result, best = avg(U[0], D[0]), sv
    if sf < best:
        result, best = avg(U[-1], D[1]), sf
    if sr < best:
        result = avg(U[1], D[-1])
    return result


class Model:
    def __init__(self, cfg, pattern, fields, seed=1):
        self.c = cfg
        self.pattern = pattern
        self.fields = fields
        c = cfg
        self.maxv = (1 << c["dwidth"]) - 1
        fw, fh = c["frame_width"], c["frame_height"]
        def sizes(key, full):
            given = [c.get("%s_%d" % (key, k), -1) if c["dynamic"] else -1 for k in range(3)]
            first = given[0] if given[0] >= 0 else full - 1
            return [first] + [g if g >= 0 else first for g in given[1:]]

        self.frmw = sizes("frmw", fw)
        self.frmh = sizes("frmh", fh)
        th = {}
        for t, key in ((1, "interth1"), (2, "interth2")):
            th[t] = [c[key]] * 3
            for k in (1, 2):
                v = c.get("th%d_%d" % (t, k), -1) if c["dynamic"] else -1
                if v >= 0:
                    th[t][k] = v
        self.th1_table, self.th2_table = th[1], th[2]
        P = c["num_plane"]
        self.field = [[[[0] * (fw + 4) for _ in range(fh + 2)] for _ in range(P)] for _ in range(2)]
        self.frame = [[[[0] * fw for _ in range(fh)] for _ in range(P)] for _ in range(2)]
        self.motion = [[0] * fw for _ in range(fh)]
        self.state = seed
        self.seed = seed
        self.stimulus = bytearray()
        self.golden = bytearray()
        self.total_input = 0
        self.total_output = 0
        self.output_frames = 0

    @staticmethod
    def slot(i):
        # Entries 3 and on repeat entry 2.
        return min(i, 2)

    def draw(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF

    @staticmethod
    def words(values):
        return b"".join(struct.pack("<H", v & 0xFFFF) for v in values)

    def fill(self, i, b):
        c = self.c
        fw, fh, P = c["frame_width"], c["frame_height"], c["num_plane"]
        planes = self.field[b]
        for p in range(P):
            for j in range(fh):
                for k in range(fw):
                    if self.pattern:
                        v = (i + p + j + k) % self.maxv
                    else:
                        v = int((self.draw() / 32767.0) * float(self.maxv))
                        v = max(min(v, self.maxv), 0)
                    planes[p][1 + j][2 + k] = v
        if c["ycbcr422"]:
            for p in (1, 2):
                for j in range(fh):
                    for k in range(1, fw, 2):
                        planes[p][1 + j][2 + k] = planes[p][1 + j][2 + k - 1]
        s = self.slot(i)
        W, H = self.frmw[s] + 1, self.frmh[s] + 1
        for p in range(P):
            if c["ycbcr422"] and p >= 1:
                out = [0] * (W * H)
                for j in range(H):
                    for k in range(W):
                        out[j * W // 2 + k // 2] = planes[p][1 + j][2 + k]
                out = out[: W * H // 2]
            else:
                out = [planes[p][1 + j][2 + k] for j in range(H) for k in range(W)]
            self.stimulus += self.words(out)
            self.total_input += len(out)

    def borders(self, b, i):
        s = self.slot(i)
        w, h = self.frmw[s] + 1, self.frmh[s] + 1
        W, H = 2 + w + 2, 1 + h + 1
        for plane in self.field[b]:
            for col in range(W):
                plane[0][col] = plane[2][col]
                plane[H - 1][col] = plane[H - 2 - 1][col]
            for r in range(H):
                for k in range(2):
                    plane[r][k] = plane[r][2]
                    plane[r][W - 1 - k] = plane[r][W - 2 - 1]

    def intra_sample(self, cur, r, c):
        U = {x: cur[r - 1][c + x] for x in range(-2, 3)}
        M = {x: cur[r][c + x] for x in range(-1, 2)}
        D = {x: cur[r + 1][c + x] for x in range(-2, 3)}
        v = directional(U, D)
        ec = abs(avg(U[0], D[0]) - M[0])
        es = cdiv(abs(avg(U[-1], D[-1]) - M[-1]) + abs(avg(U[1], D[1]) - M[1]), 2)
        e = max(ec, es)
        m3 = median([U[0], M[0], D[0]])
        m5 = median([U[-1], U[1], D[-1], D[1], M[0]])
        cv = band(M[0], e, v, self.maxv)
        return median([m3, m5, cv])

    def inter_sample(self, cur, oth, r, c, plane, th):
        U = {x: cur[r - 1][c + x] for x in range(-2, 3)}
        M = {x: cur[r][c + x] for x in range(-1, 2)}
        D = {x: cur[r + 1][c + x] for x in range(-2, 3)}
        Up = {x: oth[r - 1][c + x] for x in range(-1, 2)}
        Mp = {x: oth[r][c + x] for x in range(-1, 2)}
        Dp = {x: oth[r + 1][c + x] for x in range(-1, 2)}
        v = directional(U, D)
        if (self.c["ycbcr422"] or self.c["ycbcr444"]) and plane > 0:
            m = self.motion[r - 1][c - 2]
        else:
            m = sum(abs(cur[r + y][c + x] - oth[r + y][c + x]) for y in (-1, 0, 1) for x in (-1, 0, 1))
            self.motion[r - 1][c - 2] = m
        th0, th1, th2 = th
        if m < th0:
            return M[0]
        B = avg(U[0], D[0])

        def spread(X, Y):
            g = [abs(X[0] - Y[0])]
            for a in (1, 3, 5):
                g.append(cdiv(abs(X[a] - Y[a]) + abs(X[a + 1] - Y[a + 1]) + 1, 2))
            return max(g)

        if m < th1:
            X = [0, U[-1], Up[-1], U[0], Up[0], U[1], Up[1]]
            Y = [0, D[-1], Dp[-1], D[0], Dp[0], D[1], Dp[1]]
            return band(B, spread(X, Y), M[0], self.maxv)
        if m < th2:
            T = avg(M[0], Mp[0])
            mid3 = median([U[0], D[0], T])
            mid5 = median([U[0], D[0], avg(U[-1], D[-1]), avg(U[1], D[1]), T])
            return median([mid3, mid5, M[0]])
        X = [M[0], M[-1], M[1], U[0], D[0], B, B]
        Y = [Mp[0], Mp[-1], Mp[1], Up[0], Dp[0], M[0], Mp[0]]
        return band(B, spread(X, Y), v, self.maxv)

    def interpolate(self, b, parity, frame, th):
        c = self.c
        method = c["dmethod"]
        keep = 0 if method == BOBE else 1 if method == BOBO else parity
        last = self.frmh[self.slot(frame)]
        for p in range(c["num_plane"]):
            cur, oth, out = self.field[b][p], self.field[1 - b][p], self.frame[b][p]
            for i in range(c["frame_height"]):
                r = 1 + i
                for j in range(c["frame_width"]):
                    col = 2 + j
                    if i % 2 == keep or i == last or method == WEAVE:
                        v = cur[r][col]
                    elif method in (BOBE, BOBO):
                        v = avg(cur[r - 1][col], cur[r + 1][col])
                    elif method == INTRA:
                        v = self.intra_sample(cur, r, col)
                    else:
                        v = self.inter_sample(cur, oth, r, col, p, th)
                    out[i][j] = v

    def write_golden(self, b, frame):
        c = self.c
        s = self.slot(frame)
        w, h = self.frmw[s] + 1, self.frmh[s] + 1
        planes = self.frame[b]
        count = 0
        if not c["ycbcr422"]:
            for p in range(c["num_plane"]):
                self.golden += self.words([planes[p][y][x] for y in range(h) for x in range(w)])
                if not c["parallel"] or p == 0:
                    count += w * h
        else:
            self.golden += self.words([planes[0][y][x] for y in range(h) for x in range(w)])
            count += w * h
            for p in (1, 2):
                out = [0] * (w * h // 2)
                for y in range(h):
                    for k in range(w // 2):
                        out[y * w // 2 + k] = planes[p][y][2 * k]
                self.golden += self.words(out)
                if not c["parallel"]:
                    count += h * (w // 2)
        self.total_output += count
        self.output_frames += 1

    def write_yuv(self, b):
        c = self.c
        w, h = c["frame_width"], c["frame_height"]
        planes = self.frame[b]
        if not c["ycbcr422"]:
            for p in range(c["num_plane"]):
                self.golden_yuv += bytes(planes[p][y][x] & 0xFF for y in range(h) for x in range(w))
            return
        self.golden_yuv += bytes(planes[0][y][x] & 0xFF for y in range(h) for x in range(w))
        for p in (1, 2):
            out = bytearray(w * h // 2)
            for y in range(h):
                for k in range(w // 2):
                    out[w * y // 2 + k] = planes[p][y][2 * k] & 0xFF
            self.golden_yuv += out

    def write_y4m(self, b, wide):
        """A golden frame as "golden.yuv" holds it after a Y4M input: every
        plane whole, 4:2:2 chroma of the even columns at half the width
        rounded up; 16-bit words when wide, else low bytes."""
        c = self.c
        w, h = c["frame_width"], c["frame_height"]
        planes = self.frame[b]
        values = []
        for p in range(3 if c["ycbcr422"] else c["num_plane"]):
            cols = range(0, w, 2) if c["ycbcr422"] and p else range(w)
            values += [planes[p][y][x] for y in range(h) for x in cols]
        self.golden_yuv += self.words(values) if wide else bytes(v & 0xFF for v in values)

    def run_y4m(self, data, max_frames):
        """A Y4M stream ("-y"): its header line, then frames of a "FRAME"
        line and planes of samples (two little-endian bytes above 8 bits),
        taken while whole, at most max_frames."""
        c = self.c
        w, h = c["frame_width"], c["frame_height"]
        header = data[:data.index(b"\n") + 1]
        colour = [t[1:] for t in header.split() if t.startswith(b"C")][0].decode()
        digits = colour[4:] if colour.startswith("mono") else colour.partition("p")[2]
        depth = int(digits or 8)
        wide = depth > 8
        size = 2 if wide else 1
        cw = (w + 1) // 2
        plane_sizes = [w * h] + ([cw * h] * 2 if c["ycbcr422"] else [w * h] * (c["num_plane"] - 1))
        th = (c["interth0"], c["interth1"], c["interth2"])
        self.golden_yuv = bytearray()
        pos, count = len(header), 0
        while pos < len(data) and count < max_frames:
            line_end = data.index(b"\n", pos) + 1
            assert data[pos:line_end].startswith(b"FRAME")
            end = line_end + size * sum(plane_sizes)
            if end > len(data):
                break
            samples = [int.from_bytes(data[i:i + size], "little") for i in range(line_end, end, size)]
            pos = end
            b = count % 2
            field = self.field[b]
            at = 0
            for p, n in enumerate(plane_sizes):
                plane = samples[at:at + n]
                at += n
                for j in range(h):
                    for k in range(w):
                        half = c["ycbcr422"] and p
                        field[p][1 + j][2 + k] = plane[j * cw + k // 2] if half else plane[j * w + k]
                self.stimulus += self.words(plane)
                self.total_input += n
            self.borders(b, 0)
            convert = c["initfield"] if c["copyframe"] else 1 - c["initfield"]
            for parity in [c["initfield"]] + ([convert] if c["fconvert"] else []):
                self.interpolate(b, parity, count, th)
                self.write_golden(b, 0)
                self.write_y4m(b, wide)
            count += 1
        self.fields = count

    def golden_frames(self, b, model_frame, size_frame, th, yuv=False):
        c = self.c
        convert = c["initfield"] if c["copyframe"] else 1 - c["initfield"]
        for parity in [c["initfield"]] + ([convert] if c["fconvert"] else []):
            self.interpolate(b, parity, model_frame, th)
            self.write_golden(b, size_frame)
            if yuv:
                self.write_yuv(b)

    def run_yuv(self, data, max_frames):
        """A raw sequence ("-y"): frames taken while whole, at most max_frames."""
        c = self.c
        w, h, planes = c["frame_width"], c["frame_height"], c["num_plane"]
        area, half = w * h, w * h // 2
        th = (c["interth0"], c["interth1"], c["interth2"])
        self.golden_yuv = bytearray()
        pos = count = 0
        while pos < len(data):
            b = count % 2
            field = self.field[b]
            if c["ycbcr422"]:
                frame = data[pos:pos + 2 * area]
                pos += len(frame)
                taken = len(frame) == 2 * area
                if taken:
                    for j in range(h):
                        for k in range(w):
                            at = w * j // 2 + k // 2
                            field[0][1 + j][2 + k] = frame[w * j + k]
                            field[1][1 + j][2 + k] = frame[area + at]
                            field[2][1 + j][2 + k] = frame[area + half + at]
                    self.stimulus += self.words(frame[:area + 2 * half])
                    self.total_input += area + 2 * half
            else:
                taken = True
                for p in range(planes):
                    plane = data[pos:pos + area]
                    pos += len(plane)
                    if len(plane) < area:
                        taken = False
                        break
                    for j in range(h):
                        for k in range(w):
                            field[p][1 + j][2 + k] = plane[w * j + k]
                    self.stimulus += self.words(plane)
                    self.total_input += area
            if taken:
                self.borders(b, 0)
                self.golden_frames(b, count, 0, th, yuv=True)
                count += 1
            if count >= max_frames:
                break
        self.fields = count

    def run_text(self, values):
        """One picture of sample values ("-l") into buffer 1."""
        c = self.c
        w, h = c["frame_width"], c["frame_height"]
        digits = (c["dwidth"] + 3) // 4
        # Samples not given are 0 in the field and written as 0 lines.
        total = c["num_plane"] * w * h
        values = values[:total] + [0] * (total - len(values))
        for m, v in enumerate(values):
            v = min(v, self.maxv)
            self.field[1][m // (w * h)][1 + m % (w * h) // w][2 + m % w] = v
            self.stimulus += b"%0*X\n" % (digits, v)
        self.total_input = total
        self.borders(1, 0)
        th = (c["interth0"], c["interth1"], c["interth2"])
        self.interpolate(1, c["initfield"], 0, th)
        self.write_golden(1, 0)
        self.fields = 1

    def run(self):
        c = self.c
        convert = c["initfield"] if c["copyframe"] else 1 - c["initfield"]
        for i in range(self.fields):
            s = self.slot(i)
            th = (c["interth0"], self.th1_table[s], self.th2_table[s])
            b = i % 2
            self.fill(i, b)
            self.borders(b, i)
            self.interpolate(b, c["initfield"], i, th)
            self.write_golden(b, i)
            if c["fconvert"]:
                if i == 0:
                    self.interpolate(b, convert, 0, th)
                    self.write_golden(b, 0)
                self.interpolate(b, convert, i, th)
                self.write_golden(b, i)


BASE = dict(num_plane=1, frame_width=8, frame_height=6, dmethod=0, ycbcr422=0, ycbcr444=0,
            parallel=0, initfield=0, dynamic=0, fconvert=0, copyframe=0, interth0=0,
            interth1=90, interth2=180, dwidth=8)


def kvf_text(cfg):
    lines = []
    for key, value in cfg.items():
        if key == "dmethod":
            value = METHOD_WORDS[value]
        lines.append("%s=%s" % (key, value))
    return "\n".join(lines) + "\n"


def configurations():
    rng = random.Random(7)
    cases = []
    for method, layout, initfield, conv in itertools.product(
            range(5), ("mono", "422", "444", "planes3"), (0, 1), ("none", "fconvert", "copy")):
        cfg = dict(BASE, dmethod=method, initfield=initfield)
        if layout != "mono":
            cfg.update(num_plane=3)
        if layout == "422":
            cfg.update(ycbcr422=1, frame_width=rng.choice((6, 7, 8)))
        if layout == "444":
            cfg.update(ycbcr444=1)
        if conv != "none":
            cfg.update(fconvert=1, copyframe=1 if conv == "copy" else 0)
        cfg.update(dwidth=rng.choice((2, 3, 8, 10)), frame_height=rng.choice((5, 6)),
                   parallel=rng.choice((0, 1)))
        if method == INTER:
            cfg.update(interth0=rng.choice((0, 3)), interth1=rng.choice((10, 40, 90)),
                       interth2=rng.choice((60, 180, 20)))
        cases.append(cfg)
    # Per-frame sizes and thresholds.
    for method in (INTRA, INTER, BOBO):
        cfg = dict(BASE, dmethod=method, dynamic=1, frame_width=9, frame_height=7,
                   frmw_0=6, frmh_0=4, frmw_1=8, frmh_2=2, th1_1=5, th2_1=30, th2_2=0)
        cases.append(cfg)
        cases.append(dict(cfg, num_plane=3, ycbcr422=1, fconvert=1, initfield=1))
        # Even widths of their own below the frame's: the chroma stays paired, with
        # borders inside the stored area.
        cases.append(dict(cfg, num_plane=3, ycbcr422=1, frame_width=12, frmw_0=7, frmw_1=9))
    return cases


def wide_runs():
    """Rows of 16 samples and more, so whole runs reach the vector lanes of the random fill
    and the row kernels (and their tails), and one configuration per source whose planes
    pass one write block of 32768 samples: (configuration, arguments, input bytes, model)."""
    rng = random.Random(13)
    runs = []
    for method, layout in itertools.product(range(5), ("mono", "422")):
        cfg = dict(BASE, dmethod=method, frame_width=rng.choice((16, 17, 33, 35, 40)),
                   frame_height=5, dwidth=rng.choice((8, 10)), initfield=rng.choice((0, 1)))
        if layout == "422":
            cfg.update(num_plane=3, ycbcr422=1)
        if method == INTER:
            cfg.update(interth0=3, interth1=30, interth2=90)
        for switch, fields in (("-d", 4), ("-g", 4)):
            runs.append((cfg, [switch, str(fields)], None, Model(cfg, switch == "-d", fields)))
    # Planes of more than 32768 samples.
    big = dict(BASE, frame_width=208, frame_height=161, dwidth=10)
    cfg = dict(big, dmethod=INTER, interth0=2, interth1=40, interth2=300)
    runs.append((cfg, ["-d", "3"], None, Model(cfg, True, 3)))
    cfg = dict(big, dmethod=INTRA, num_plane=3, ycbcr422=1, initfield=1)
    runs.append((cfg, ["-g", "3"], None, Model(cfg, False, 3)))
    cfg = dict(big, dmethod=BOBO, dwidth=8, fconvert=1)
    data = bytes(rng.randrange(256) for _ in range(208 * 161 * 2 + 100))
    model = Model(cfg, False, 0)
    model.run_yuv(data, 10000)
    runs.append((cfg, ["-y", "seq.yuv"], data, model))
    cfg = dict(big, dmethod=INTRA)
    values = [rng.randrange(1 << 10) for _ in range(208 * 161 - 40)]  # the rest 0
    model = Model(cfg, False, 0)
    model.run_text(values)
    runs.append((cfg, ["-l", "seq.txt"], "".join("%d\n" % v for v in values).encode(), model))
    return runs


def file_runs():
    """Runs of "-y" and "-l": (configuration, extra arguments, input bytes, model)."""
    rng = random.Random(11)
    runs = []
    for method, layout, conv in itertools.product(range(5), ("mono", "422", "planes3"),
                                                  ("none", "fconvert", "copy")):
        cfg = dict(BASE, dmethod=method, initfield=rng.choice((0, 1)), frame_width=rng.choice((5, 6)),
                   dwidth=rng.choice((6, 8, 10)), parallel=rng.choice((0, 1)))
        if layout != "mono":
            cfg.update(num_plane=3, ycbcr422=1 if layout == "422" else 0)
        if conv != "none":
            cfg.update(fconvert=1, copyframe=1 if conv == "copy" else 0)
        if method == INTER:
            cfg.update(interth0=rng.choice((0, 40)), interth1=rng.choice((100, 300)),
                       interth2=rng.choice((500, 200)))
        if rng.random() < 0.4:  # per-frame sizes and thresholds, which these modes use apart
            cfg.update(dynamic=1, frmw_0=cfg["frame_width"] - 2, frmh_0=3, frmh_1=2, th1_1=3,
                       th2_2=8)
        frame = cfg["frame_width"] * cfg["frame_height"] * (2 if cfg["ycbcr422"] else cfg["num_plane"])
        data = bytes(rng.randrange(256) for _ in range(frame * rng.choice((3, 4)) + rng.choice((0, 7))))
        limit = rng.choice((2, 10000))
        model = Model(cfg, False, 0)
        model.run_yuv(data, limit)
        runs.append((cfg, ["-y", "seq.yuv", str(limit)], data, model))

        # A value as written, and as read: blanks and comments dropped, E for tens.
        forms = (("%d", 1), (" %d / a comment", 1), ("%dE1", 10), ("%d 0", 10))
        lines, values = ["// picture", ""], []
        for _ in range(frame + 5):
            v, (form, scale) = rng.randrange(1 << cfg["dwidth"]), rng.choice(forms)
            lines.append(form % v)
            values.append(v * scale)
        model = Model(cfg, False, 0)
        model.run_text(values)
        runs.append((cfg, ["-l", "seq.txt"], "\n".join(lines).encode() + b"\n", model))
    return runs


def y4m_runs():
    """Runs of "-y" with Y4M streams of 8 and 10 bits, odd sizes, frame
    parameters and a frame cut short: (configuration, arguments, input bytes,
    model).  Apart from file_runs(), which the comparison of builds shares."""
    rng = random.Random(13)
    runs = []
    for method, layout, depth in itertools.product(range(5), ("mono", "422", "444"), (8, 10)):
        cfg = dict(BASE, dmethod=method, initfield=rng.choice((0, 1)), frame_width=rng.choice((5, 6, 7)),
                   frame_height=rng.choice((4, 5)), dwidth=rng.choice((10, 12)) if depth > 8 else rng.choice((8, 10)),
                   parallel=rng.choice((0, 1)), fconvert=rng.choice((0, 1)))
        if layout != "mono":
            cfg.update(num_plane=3, ycbcr422=1 if layout == "422" else 0)
        if method == INTER:
            cfg.update(interth0=rng.choice((0, 40)), interth1=rng.choice((100, 300)),
                       interth2=rng.choice((500, 200)))
        w, h = cfg["frame_width"], cfg["frame_height"]
        tag = {"mono": "mono%s", "422": "422%s", "444": "444%s"}[layout] % (
            ("" if depth == 8 else ("%d" if layout == "mono" else "p%d") % depth))
        size = 2 if depth > 8 else 1
        samples = w * h + (2 * ((w + 1) // 2) * h if layout == "422" else (2 * w * h if layout == "444" else 0))
        data = b"YUV4MPEG2 W%d H%d F25:1 It A1:1 C%s XCOLORRANGE=FULL\n" % (w, h, tag.encode())
        frames = rng.choice((2, 3))
        for n in range(frames):
            data += b"FRAME\n" if n % 2 == 0 else b"FRAME Ib\n"
            data += b"".join(rng.randrange(1 << depth).to_bytes(size, "little") for _ in range(samples))
        data += b"FRAME\n" + bytes(rng.randrange(3))  # a frame cut short, or a line alone
        limit = rng.choice((2, 10000))
        model = Model(cfg, False, 0)
        model.run_y4m(data, limit)
        runs.append((cfg, ["-y", "seq.y4m", str(limit)], data, model))
    return runs


def check(command, runs):
    """Runs `command` (the program and any leading arguments) over every run;
    prints each run that differs and returns the count of them."""
    failures = 0
    for n, (cfg, args, data, model) in enumerate(runs):
        with tempfile.TemporaryDirectory() as d:
            with open(os.path.join(d, "cfg.kvf"), "w") as f:
                f.write(kvf_text(cfg))
            if data is not None:
                with open(os.path.join(d, args[1]), "wb") as f:
                    f.write(data)
            # Options ("--seed N") go before the parameter file.
            options = args[:2] if args and args[0].startswith("--") else []
            proc = subprocess.run(command + options + ["cfg.kvf"] + args[len(options):], cwd=d,
                                  capture_output=True, text=True)
            problems = []
            if proc.returncode != 0:
                problems.append("exit %d: %s" % (proc.returncode, proc.stdout.strip()))
            else:
                def read(name):
                    with open(os.path.join(d, name), "rb") as f:
                        return f.read()
                expected = [("stimulus.dat", model.stimulus), ("golden.dat", model.golden)]
                if args[0] == "-y":
                    expected.append(("golden.yuv", model.golden_yuv))
                for name, want in expected:
                    got = read(name)
                    if got != bytes(want):
                        at = next((i for i in range(min(len(got), len(want))) if got[i] != want[i]),
                                  min(len(got), len(want)))
                        problems.append("%s differs at byte %d (sizes %d, %d)"
                                        % (name, at, len(got), len(want)))
                params = read("params.v").decode()
                for name, value in (("INPUT_FRAMES", model.fields),
                                    ("TOTAL_INPUT", model.total_input),
                                    ("TOTAL_OUTPUT", model.total_output),
                                    ("OUTPUT_FRAMES", model.output_frames),
                                    ("SEED", model.seed)):
                    line = "parameter %-18s= %d;" % (name, value)
                    if line not in params:
                        problems.append("params.v lacks '%s'" % line)
            if problems:
                failures += 1
                print("run %d %s: %s\n  %s" % (n, " ".join(command[1:] + args), cfg, "; ".join(problems)))
    return failures


def main():
    if sys.argv[1] == "--variants":
        program = os.path.abspath(sys.argv[2])
        listed = subprocess.run([program, "--list"], capture_output=True, text=True, check=True)
        variants = listed.stdout.split()
        if not variants:
            print("FAIL: %s --list names no kernel variant" % program)
            return 1
        commands = [("variant " + v, [program, v]) for v in variants]
    else:
        commands = [(None, [os.path.abspath(sys.argv[1])])]
    runs = []
    for cfg in configurations():
        for switch, fields in (("-d", 5), ("-g", 4)):
            runs.append((cfg, [switch, str(fields)], None, Model(cfg, switch == "-d", fields)))
    # Past the end of the per-frame tables.
    cfg = dict(BASE, dmethod=INTER, frame_width=4, frame_height=3, dynamic=1, frmh_2=1, th1_2=2,
               th2_2=20)
    runs.append((cfg, ["-g", "1003"], None, Model(cfg, False, 1003)))
    # Seeds of the random source, the largest included, over rows long
    # enough for its vector lanes.
    cfg = dict(BASE, dmethod=INTER, frame_width=19, frame_height=4, num_plane=3, ycbcr422=1)
    for seed in (2, 977, 2147483647):
        runs.append((cfg, ["--seed", str(seed), "-g", "3"], None, Model(cfg, False, 3, seed)))
    runs += file_runs()
    runs += y4m_runs()
    runs += wide_runs()
    # The expected outputs once, for every program run.
    for cfg, args, data, model in runs:
        if data is None:
            model.run()
    passed = failed = 0
    for label, command in commands:
        failures = check(command, runs)
        if label:
            print("%s: %d passed, %d failed" % (label, len(runs) - failures, failures))
        passed += len(runs) - failures
        failed += failures
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
