"""The peer of the binout benchmark: a plain numpy reader of the container
that bench_simulation writes (LENGTH and OFFSET 8 bytes, COMMAND and TYPEID
1 byte, little endian). Reads the symbol table part by part, then every
state's arrays with numpy.
Arguments: BINOUT NODE 0     y_displacement of the node at index NODE
           BINOUT N STRIDE   every variable of N nodes, every STRIDE-th
Prints its seconds (without starting Python and importing numpy)."""
import sys
import time

import numpy as np

t0 = time.perf_counter()
path, first, stride = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
DTYPES = {1: "i1", 2: "<i2", 3: "<i4", 4: "<i8", 9: "<f4", 10: "<f8"}


def num(b, at, n):
    return int.from_bytes(b[at:at + n], "little")


variables = {}  # folder -> {name: (type, offset, count)}
with open(path, "rb") as f:
    head = f.read(8)
    L, O, C, T = head[1], head[2], head[3], head[4]
    rec = f.read(L + C + O)
    nxt = num(rec, L + C, O)
    folder = "/"
    while nxt:
        f.seek(nxt)
        length = num(f.read(L), 0, L)
        f.seek(nxt)
        part = f.read(length)
        p = L + C
        nxt = 0
        while p < length:
            rl = num(part, p, L)
            cmd = part[p + L]
            body = part[p + L + C:p + rl]
            if cmd == 2:
                folder = body.decode()
            elif cmd == 4:
                nl = len(body) - T - O - L
                variables.setdefault(folder, {})[body[:nl].decode()] = (
                    body[nl], num(body, nl + T, O), num(body, nl + T + O, L))
            elif cmd == 6:
                nxt = num(body, 0, O)
                break
            p += rl

    def values(var, index=None):
        typ, offset, count = var
        f.seek(offset + L + C + T)
        name_length = f.read(1)[0]
        if index is not None:
            f.seek(offset + L + C + T + 1 + name_length + index * np.dtype(DTYPES[typ]).itemsize)
            return np.fromfile(f, dtype=DTYPES[typ], count=1)[0]
        return np.fromfile(f, dtype=DTYPES[typ], count=count)

    states = sorted(k for k in variables if k.startswith("/nodout/d"))
    points = 0
    if stride == 0:
        t = np.array([values(variables[s]["time"], 0) for s in states])
        y = np.array([values(variables[s]["y_displacement"], first) for s in states])
        points = len(y)
    else:
        nodes = np.arange(first) * stride
        names = [n for n in variables[states[0]] if n != "time"]
        t = np.array([values(variables[s]["time"], 0) for s in states])
        out = {n: np.empty((len(states), len(nodes)), dtype=np.float32) for n in names}
        for k, s in enumerate(states):
            for n in names:
                out[n][k] = values(variables[s][n])[nodes]
        points = sum(a.size for a in out.values())
print(f"{time.perf_counter() - t0:.3f} s (numpy, {points} points)")
