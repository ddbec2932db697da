"""The peer of the rating benchmark: the ISO/TS 18571 rating written out
plainly in numpy (corridor, correlation shift search, dynamic time warping with
a cost band and a walk back along the path, smoothed slopes), with the same
rules and tie order as ours, as a second implementation to check its scores.
Arguments: reference.f32 comparison.f32 runs
Prints one line: 'seconds S rating R corridor Z phase P magnitude M slope L shift K'
(S the best processor time of the runs, K the shift in samples)."""
import sys
import time

import numpy as np

INNER, OUTER, EXPONENT = 0.05, 0.5, 2.0
MAX_SHIFT, BAND = 0.2, 0.1
MAGNITUDE_LIMIT, SLOPE_LIMIT, WINDOW = 0.5, 2.0, 9


def corridor(t, c):
    norm = np.max(np.abs(t))
    inner, outer = INNER * norm, OUTER * norm
    d = np.abs(c - t)
    between = ((outer - np.clip(d, inner, outer)) / (outer - inner)) ** EXPONENT
    return float(np.mean(np.where(d <= inner, 1.0, np.where(d >= outer, 0.0, between))))


def best_shift(t, c):
    """Shift s: comparison sample i + s against reference sample i."""
    n = len(t)
    best, best_r = None, -np.inf
    for k in range(2 * int(np.floor(MAX_SHIFT * n)) + 1):
        s = (k + 1) // 2 * (1 if k % 2 else -1)
        x, y = (t[: n - s], c[s:]) if s >= 0 else (t[-s:], c[: n + s])
        xc, y_c = x - x.mean(), y - y.mean()
        vx, vy = np.dot(xc, xc), np.dot(y_c, y_c)
        if vx <= 1e-12 * np.dot(x, x) or vy <= 1e-12 * np.dot(y, y):
            continue
        r = np.dot(xc, y_c) / np.sqrt(vx * vy)
        if r > best_r:
            best, best_r = s, r
    return best


def warped_magnitude_error(a, b):
    n = len(a)
    w = int(np.floor(BAND * n))
    # choice[i, j - i + w]: 0 from (i-1, j-1), 1 from (i-1, j), 2 from (i, j-1)
    choice = np.zeros((n, 2 * w + 1), dtype=np.int8)
    # accumulated costs of three anti-diagonals, row i at i + 1
    diagonals = [np.full(n + 2, np.inf) for _ in range(3)]
    for s in range(2 * n - 1):
        d0, d1, d2 = diagonals[s % 3], diagonals[(s + 2) % 3], diagonals[(s + 1) % 3]
        lo = max(0, s - n + 1, -((w - s) // 2))
        hi = min(n - 1, s, (s + w) // 2)
        i = np.arange(lo, hi + 1)
        cost = (a[i] - b[s - i]) ** 2
        if s == 0:
            d0[1] = cost[0]
        else:
            best, ch = d2[i].copy(), np.zeros(len(i), dtype=np.int8)
            up, left = d1[i], d1[i + 1]
            m = up < best
            best[m], ch[m] = up[m], 1
            m = left < best
            best[m], ch[m] = left[m], 2
            d0[i + 1] = best + cost
            choice[i, s - 2 * i + w] = ch
        d0[lo], d0[hi + 2] = np.inf, np.inf
    i = j = n - 1
    num = den = 0.0
    while True:
        num += abs(a[i] - b[j])
        den += abs(a[i])
        if i == 0 and j == 0:
            break
        ch = choice[i, j - i + w]
        if ch == 0:
            i, j = i - 1, j - 1
        elif ch == 1:
            i -= 1
        else:
            j -= 1
    return num / den


def smoothed_slope(x):
    d = np.gradient(x)
    n = len(d)
    k = np.arange(n)
    h = np.minimum(np.minimum(WINDOW // 2, k), n - 1 - k)
    sums = np.concatenate(([0.0], np.cumsum(d)))
    return (sums[k + h + 1] - sums[k - h]) / (2 * h + 1)


def rate(t, c):
    n = len(t)
    s = best_shift(t, c)
    x, y = (t[: n - s], c[s:]) if s >= 0 else (t[-s:], c[: n + s])
    z = corridor(t, c)
    phase = max(0.0, 1.0 - (abs(s) / n) / MAX_SHIFT)
    magnitude = max(0.0, 1.0 - warped_magnitude_error(x, y) / MAGNITUDE_LIMIT)
    st, sc = smoothed_slope(x), smoothed_slope(y)
    slope = max(0.0, 1.0 - np.sum(np.abs(sc - st)) / np.sum(np.abs(st)) / SLOPE_LIMIT)
    rating = 0.4 * z + 0.2 * phase + 0.2 * magnitude + 0.2 * slope
    return rating, z, phase, magnitude, slope, s


t = np.fromfile(sys.argv[1], dtype=np.float32).astype(np.float64)
c = np.fromfile(sys.argv[2], dtype=np.float32).astype(np.float64)
runs = int(sys.argv[3])
best = float("inf")
for _ in range(runs):
    t0 = time.process_time()
    result = rate(t, c)
    best = min(best, time.process_time() - t0)
print("seconds %.6f rating %.17g corridor %.17g phase %.17g magnitude %.17g slope %.17g shift %d"
      % ((best,) + result))
