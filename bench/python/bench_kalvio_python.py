"""The Python module side by side with its peers, in one run:

- kalvio.read of a 10,000,000-sample RVF-1992 file into numpy, against
  kalvio info on the same file plus one copy of its sample bytes (goal: at
  most 1.2x), and against numpy.loadtxt reading the same channel as ISO-MME
  (goal: at least 10x faster; kalvio.read of that ISO-MME file is shown too);
- kalvio.cfc at CFC 60 on it against scipy.signal.filtfilt running the same
  second-order section (goal: at least 5x faster);
- python3 -m kalvio.archive's tasks, checking 200 tests (the demo sled test's
  26 channels at 40 kHz) on a local cluster of 2 workers against 1 (goal: at
  least 1.7x the throughput). At the demo's own 10 kHz a test is checked in
  4 ms, about what Dask needs to hand out one task, and 2 workers gain little.

Run through build/bench/python/bench_python (which sets PYTHONPATH and the
kalvio program); --quick makes everything ten times smaller.
"""
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time
import warnings

import numpy as np

import kalvio

KALVIO = os.environ.get("KALVIO_EXE", "kalvio")
QUICK = "--quick" in sys.argv
SAMPLES = 1_000_000 if QUICK else 10_000_000
TESTS = 20 if QUICK else 200
STEP = 1e-4


def best(runs, call, clock=time.perf_counter):
    """The shortest of runs timings of call()."""
    times = []
    for _ in range(runs):
        t0 = clock()
        call()
        times.append(clock() - t0)
    return min(times)


def line(what, seconds, note=""):
    print("  %-44s %9.1f ms  %s" % (what, seconds * 1e3, note))


def samples():
    rng = np.random.default_rng(42)
    t = np.arange(SAMPLES) * STEP
    y = 20 * np.sin(2 * np.pi * 30 * t) + 5 * np.sin(2 * np.pi * 700 * t) + rng.normal(0, 2, SAMPLES)
    header = {"XUnits": "SECONDS", "YUnits": "G'S", "YType": "ACCELERATION", "CurveText": "BENCH CHANNEL",
              "Del": STEP}
    return kalvio.Signal(t, y, header)


def reading(folder, signal):
    rvf = os.path.join(folder, "bench.rvf")
    kalvio.write(signal, rvf)
    kalvio.write_test([signal], os.path.join(folder, "B1"))
    iso = os.path.join(folder, "B1", "Channel", "B1.001")
    size = os.path.getsize(rvf)
    print("Reading %d samples (RVF-1992 file of %.1f MB, ISO-MME channel of %.1f MB), best wall time:"
          % (SAMPLES, size / 1e6, os.path.getsize(iso) / 1e6))
    ours = best(7, lambda: np.asarray(kalvio.read(rvf).y))
    info = best(7, lambda: subprocess.run([KALVIO, "info", rvf], stdout=subprocess.DEVNULL, check=True))
    data = np.frombuffer(open(rvf, "rb").read(), dtype=np.uint8)
    copy = best(7, lambda: data.copy())
    line("kalvio.read(rvf).y", ours)
    line("kalvio info on it", info, "(a process: start, read, scan)")
    line("one copy of its %d bytes" % size, copy)
    print("  kalvio.read / (info + copy) = %.2f (goal <= 1.2)" % (ours / (info + copy)))
    ours_iso = best(3, lambda: np.asarray(kalvio.read(iso).y))
    with open(iso, "rb") as f:
        header_lines = next(i for i, text in enumerate(f) if b":" not in text)
    peer = best(1 if not QUICK else 3, lambda: np.loadtxt(iso, skiprows=header_lines, dtype=np.float32))
    line("kalvio.read(ISO-MME channel).y", ours_iso)
    line("numpy.loadtxt of the ISO-MME channel", peer)
    print("  numpy.loadtxt / kalvio.read: %.1fx of the ISO-MME file, %.1fx of the RVF-1992 file (goal >= 10)"
          % (peer / ours_iso, peer / ours))


def filtering(signal):
    from scipy.signal import filtfilt

    print("CFC 60 over %d samples at 10 kHz, best processor time:" % SAMPLES)
    ours = best(5, lambda: kalvio.cfc(signal, 60), time.process_time)
    # The section BWfilt designs, as the filter benchmark hands it to scipy.
    F = 60 * 1.66666666667
    wd = 6.2831853 * 1.2465 * F
    wa = math.sin(wd * STEP / 2.0) / math.cos(wd * STEP / 2.0)
    D = 1.0 + math.sqrt(2.0) * wa + wa * wa
    a0 = wa * wa / D
    b1 = -2.0 * (wa * wa - 1.0) / D
    b2 = (-1.0 + math.sqrt(2.0) * wa - wa * wa) / D
    x = np.asarray(signal.y, dtype=np.float64)
    peer = best(3, lambda: filtfilt([a0, 2 * a0, a0], [1.0, -b1, -b2], x, padtype="odd", padlen=100),
                time.process_time)
    line("kalvio.cfc", ours)
    line("scipy.signal.filtfilt, same section", peer)
    print("  filtfilt / kalvio.cfc = %.1fx (goal >= 5)" % (peer / ours))


def archive(folder):
    from dask.distributed import Client, LocalCluster, wait

    from kalvio import archive as command

    demo = os.path.join(folder, "demo")
    subprocess.run([KALVIO, "demo", demo], stdout=subprocess.DEVNULL, check=True)
    # The demo sled test at 40 kHz (12,000 samples a channel, as a real test
    # of 0.3 s holds), once on disk and linked 200 times.
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", kalvio.SignalWarning)
        sled = kalvio.read_test(os.path.join(demo, "iso-mme", "2231"))
        kalvio.write_test([kalvio.resample(s, s.step / 4) for s in sled.values()], os.path.join(folder, "2231"))
    tests = os.path.join(folder, "archive")
    for i in range(TESTS):
        shutil.copytree(os.path.join(folder, "2231"), os.path.join(tests, "%04d" % i), copy_function=os.link)
    inputs = command.find_inputs(tests)
    samples = sum(len(s) for s in kalvio.read_test(inputs[0][1]).values())
    print("python3 -m kalvio.archive --do check over %d tests (%d channels, %d samples each), tasks' wall time"
          " on a warm cluster:" % (len(inputs), len(sled) , samples))
    times = {}
    for workers in (1, 2):
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True, host="127.0.0.1",
                          dashboard_address=None, silence_logs=40) as cluster, Client(cluster) as client:
            client.run(lambda: __import__("kalvio.archive"))  # every worker imports the module first

            def once():
                futures = client.map(command.check_input, [k for k, _ in inputs], [p for _, p in inputs], pure=False)
                wait(futures)
                assert all(f.status == "finished" for f in futures)

            times[workers] = best(3, once)
        line("%d worker%s" % (workers, "s" if workers > 1 else ""), times[workers],
             "(%.0f tests/s)" % (len(inputs) / times[workers]))
    print("  throughput 2 workers / 1 worker = %.2fx (goal >= 1.7; %d cores here)"
          % (times[1] / times[2], os.cpu_count()))


def main():
    folder = tempfile.mkdtemp(prefix="kalvio-bench-")
    try:
        signal = samples()
        reading(folder, signal)
        filtering(signal)
        archive(folder)
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
