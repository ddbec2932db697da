#!/usr/bin/python3
"""The peer of bench_plot: the same 16 curves drawn by matplotlib (Agg).

Prints "rebuild_ms WALL CPU" and "zoom_ms WALL CPU", medians in milliseconds.
Usage: plot_peer.py CURVES POINTS WIDTH HEIGHT REPEATS
"""
import statistics
import sys
import time

import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np


def curves(count, points):
    # The same data as bench_plot.cpp: X = i * 1e-5 s, Y = a damped sine per curve.
    x = np.arange(points, dtype=np.float32) * np.float32(1e-5)
    ys = []
    for c in range(count):
        k = 1.0 + 0.1 * c
        y = (40.0 * k * np.sin(x * (60.0 + c)) * np.exp(-x * 2.0)
             + 0.5 * np.sin(np.arange(points) * 0.7 + c)).astype(np.float32)
        ys.append(y)
    return x, ys


def main():
    count, points, width, height, repeats = (int(a) for a in sys.argv[1:6])
    x, ys = curves(count, points)
    dpi = 100
    rebuild, zoom, rebuild_cpu, zoom_cpu = [], [], [], []
    for _ in range(repeats):
        t0 = time.perf_counter()
        c0 = time.process_time()
        fig = plt.figure(figsize=(width / dpi, height / dpi), dpi=dpi)
        ax = fig.add_subplot(111)
        styles = ["-", "--", ":", "-.", (0, (3, 1, 1, 1, 1, 1))]
        for c, y in enumerate(ys):
            ax.plot(x, y, linestyle=styles[c % len(styles)], linewidth=1 + (c % 3), label="curve%02d.rvf" % c)
        ax.set_title("Sixteen curves")
        ax.set_xlabel("TIME SECONDS")
        ax.set_ylabel("ACCELERATION G")
        ax.legend(loc="upper right", fontsize=7)
        fig.canvas.draw()
        t1 = time.perf_counter()
        c1 = time.process_time()
        ax.set_xlim(0.2, 0.3)
        ax.set_ylim(-20, 20)
        fig.canvas.draw()
        t2 = time.perf_counter()
        c2 = time.process_time()
        plt.close(fig)
        rebuild.append((t1 - t0) * 1000.0)
        zoom.append((t2 - t1) * 1000.0)
        rebuild_cpu.append((c1 - c0) * 1000.0)
        zoom_cpu.append((c2 - c1) * 1000.0)
    print("rebuild_ms %.2f %.2f" % (statistics.median(rebuild), statistics.median(rebuild_cpu)))
    print("zoom_ms %.2f %.2f" % (statistics.median(zoom), statistics.median(zoom_cpu)))


if __name__ == "__main__":
    main()
