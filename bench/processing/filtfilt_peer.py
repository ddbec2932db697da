"""The peer of the filter benchmark: scipy.signal.filtfilt with the same
second-order coefficients on the same samples. Prints one line:
'seconds <best processor time of the runs> maxdiff <largest difference in the middle half>'.
Arguments: samples.f32 filtered.f32 b0 b1 b2 a1 a2 padlen runs"""
import sys
import time

import numpy as np
from scipy.signal import filtfilt

x = np.fromfile(sys.argv[1], dtype=np.float32).astype(np.float64)
ours = np.fromfile(sys.argv[2], dtype=np.float32)
b = [float(v) for v in sys.argv[3:6]]
a = [1.0] + [float(v) for v in sys.argv[6:8]]
padlen = int(sys.argv[8])
runs = int(sys.argv[9])
best = float("inf")
y = None
for _ in range(runs):
    t0 = time.process_time()
    y = filtfilt(b, a, x, padtype="odd", padlen=padlen)
    best = min(best, time.process_time() - t0)
n = len(x)
mid = slice(n // 4, 3 * n // 4)
print("seconds %.6f maxdiff %.3g" % (best, float(np.max(np.abs(y[mid] - ours[mid])))))
