"""The peer of the assessment benchmark: the criteria of the un-r94 protocol
file written out plainly with numpy and scipy (ISO-MME channel files read as
text, SAE J211 channel-class filtering by scipy.signal.filtfilt, HIC36, the
3 ms clip, peak forces, neck extension at the occipital condyle, VC, tibia
index, knee slider, the exceedance curves by cumulative duration), for the
channels the protocol picks at positions 1 and 3.
Arguments: TEST_FOLDER runs
Prints 'seconds S' (the best processor time of the runs, reading included)
and one 'POSITION CRITERION VALUE' line per criterion, to compare with ours."""
import glob
import math
import os
import sys
import time

import numpy as np
from scipy.ndimage import minimum_filter1d
from scipy.signal import filtfilt

OFFSET = 0.01778  # m, Hybrid III upper neck load cell to the occipital condyle
NIJ_VC = (1.3, 229.0)
TIBIA = (225.0, 35900.0)
CURVES = {
    "neck_tension": [(0, 3.3), (35, 2.9), (60, 1.1)],
    "neck_shear": [(0, 3.1), (25, 1.5), (35, 1.5), (45, 1.1)],
    "femur": [(0, 9.07), (10, 7.58)],
}


def read_test(folder):
    """Code -> (header dict, file) from the channel list."""
    chn = glob.glob(os.path.join(folder, "Channel", "*.chn"))[0]
    stem = chn[:-4]
    codes = {}
    with open(chn, encoding="latin-1") as f:
        for line in f:
            name, _, value = line.partition(":")
            name = name.strip()
            if name.startswith("Name of channel"):
                number = name.split()[-1]
                codes[value.strip().split()[0].split("/")[0]] = stem + "." + number
    return codes


def read_channel(path):
    header, values = {}, None
    with open(path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    for k, line in enumerate(lines):
        if ":" not in line:
            values = np.array(lines[k:], dtype=np.float64)
            break
        name, _, value = line.partition(":")
        header[name.strip()] = value.strip()
    return header, values


def cfc_filter(y, dt, cfc):
    wd = 2 * math.pi * cfc * 2.0775
    wa = math.sin(wd * dt / 2) / math.cos(wd * dt / 2)
    d = 1 + math.sqrt(2) * wa + wa * wa
    b = np.array([wa * wa, 2 * wa * wa, wa * wa]) / d
    a = np.array([1.0, 2 * (wa * wa - 1) / d, (1 - math.sqrt(2) * wa + wa * wa) / d])
    return filtfilt(b, a, y)


def load(codes, pattern, position, cfc, cache):
    want = pattern[0] + position + pattern[2:] if pattern[1] == "?" else pattern
    for code, path in codes.items():
        if all(w == "?" or w == c for w, c in zip(want, code)):
            key = (path, cfc)
            if key not in cache:
                # A channel used at two classes is read once.
                if path not in cache:
                    cache[path] = read_channel(path)
                header, y = cache[path]
                dt = float(header["Sampling interval"])
                t0 = float(header["Time of first sample"])
                if header.get("Channel frequency class", "NOVALUE") == "NOVALUE":
                    y = cfc_filter(y, dt, cfc)
                cache[key] = (y, dt, t0)
            return cache[key]
    return None


def hic(a, dt, window):
    c = np.concatenate(([0.0], np.cumsum((a[1:] + a[:-1]) * dt / 2)))
    best = 0.0
    for d in range(1, int(round(window / dt)) + 1):
        mean = (c[d:] - c[:-d]) / (d * dt)
        mean = np.where(mean > 0, mean, 0)
        best = max(best, float(np.max(d * dt * mean ** 2.5)))
    return best


def clip3ms(a, dt):
    n = int(round(0.003 / dt)) + 1
    return float(np.max(minimum_filter1d(a, n, mode="nearest")[n // 2 : len(a) - n // 2]))


def allowed(curve, level):
    if level <= curve[-1][1]:
        return math.inf
    if level > curve[0][1]:
        return 0.0
    j = 1
    while curve[j][1] >= level:
        j += 1
    (ta, fa), (tb, fb) = curve[j - 1], curve[j]
    return (ta + (fa - level) / (fa - fb) * (tb - ta)) / 1000


def exceedance(history, dt, curve):
    levels = np.sort(history[history > curve[-1][1]])[::-1]
    best = math.inf
    for k, f in enumerate(levels):
        if k + 1 < len(levels) and levels[k + 1] == f:
            continue
        best = min(best, allowed(curve, f) - (k + 1) * dt)
    return best


def vc(d, dt):
    v = (8 * (d[3:-1] - d[1:-3]) - (d[4:] - d[:-4])) / (12 * dt) / 1000
    return float(np.max(NIJ_VC[0] * v * d[2:-2] / NIJ_VC[1]))


def assess(folder):
    codes = read_test(folder)
    out = []
    for pos in ("1", "3"):
        cache = {}

        def ch(p, cfc):
            return load(codes, p, pos, cfc, cache)

        (ax, dt, _), (ay, _, _), (az, _, _) = (ch(f"??HEAD0000??AC{k}?", 1000) for k in "XYZ")
        r = np.sqrt(ax * ax + ay * ay + az * az)
        out.append((pos, "hic36", hic(r, dt, 0.036)))
        out.append((pos, "head_a3ms", clip3ms(r, dt)))
        fz = ch("??NECKUP00??FOZ?", 1000)[0] / 1000
        out.append((pos, "neck_tension", float(max(fz.max(), 0)), exceedance(fz, dt, CURVES["neck_tension"])))
        fx = ch("??NECKUP00??FOX?", 1000)[0] / 1000
        out.append((pos, "neck_shear", float(np.abs(fx).max()), exceedance(np.abs(fx), dt, CURVES["neck_shear"])))
        fx6 = ch("??NECKUP00??FOX?", 600)[0]
        my = ch("??NECKUP00??MOY?", 600)[0]
        out.append((pos, "neck_extension", float(max(np.max(-(my - OFFSET * fx6)), 0))))
        d = ch("??CHST0000??DSX?", 180)[0]
        out.append((pos, "chest_deflection", float(np.abs(d).max())))
        out.append((pos, "chest_vc", vc(d, dt)))
        for side, name in (("LE", "left"), ("RI", "right")):
            f = -ch(f"??FEMR{side}00??FOZ?", 600)[0] / 1000
            out.append((pos, "femur_" + name, float(max(f.max(), 0)), exceedance(f, dt, CURVES["femur"])))
            out.append((pos, "tibia_compression_" + name, float(max(-ch(f"??TIBI{side}UP??FOZ?", 600)[0].min(), 0)) / 1000))
            ti = 0.0
            for level in ("UP", "LO"):
                mx, my_, fz_ = (ch(f"??TIBI{side}{level}??{q}?", 600)[0] for q in ("MOX", "MOY", "FOZ"))
                ti = max(ti, float(np.max(np.sqrt(mx * mx + my_ * my_) / TIBIA[0] + np.abs(fz_) / TIBIA[1])))
            out.append((pos, "tibia_index_" + name, ti))
            out.append((pos, "knee_slider_" + name, float(np.abs(ch(f"??KNSL{side}00??DSX?", 180)[0]).max())))
    return out


def main():
    folder, runs = sys.argv[1], int(sys.argv[2])
    best = math.inf
    for _ in range(runs):
        t0 = time.process_time()
        result = assess(folder)
        best = min(best, time.process_time() - t0)
    print(f"seconds {best:.6f}")
    for row in result:
        print(" ".join(str(v) for v in row))


if __name__ == "__main__":
    main()
