"""The peer of the end-to-end filter benchmark: the job of `kalvio cfc 60 IN -o OUT`
done with numpy and scipy. Reads an IEEE "Y" layout RVF-1992 file without a
second component record, filters its samples with scipy.signal.filtfilt and the
same second-order section (CFC 60, odd reflection over the same padding length)
and writes the file back with the filtered samples.
Arguments: IN OUT"""
import math
import sys

import numpy as np
from scipy.signal import filtfilt

src, dst = sys.argv[1], sys.argv[2]
raw = np.fromfile(src, dtype=np.uint8)
head = raw[:1024]
nfp, nlp = np.frombuffer(head[512 + 278:512 + 286].tobytes(), dtype="<i4")
dt = float(np.frombuffer(head[512 + 286:512 + 290].tobytes(), dtype="<f4")[0])
n = int(nlp) - int(nfp) + 1
records = raw[1024:].view("<f4").reshape(-1, 128)  # 12-byte label, then 125 values
y = records[:, 3:].reshape(-1)[:n].astype(np.float64)

F = 60 * 1.66666666667
wa = math.tan(6.2831853 * 1.2465 * F * dt / 2)
D = 1 + math.sqrt(2) * wa + wa * wa
a0 = wa * wa / D
b = [a0, 2 * a0, a0]
a = [1.0, 2 * (wa * wa - 1) / D, -(-1 + math.sqrt(2) * wa - wa * wa) / D]
m = min(0.01 * F, 1.0)
padlen = max(int(0.01 / (dt * m) + 0.5), int(0.01 / dt + 0.5))
yf = filtfilt(b, a, y, padtype="odd", padlen=min(padlen, n - 2))

values = np.zeros(records.shape[0] * 125, dtype="<f4")
values[:n] = yf
out = records.copy()
out[:, 3:] = values.reshape(-1, 125)
with open(dst, "wb") as f:
    f.write(head.tobytes())
    f.write(out.tobytes())
