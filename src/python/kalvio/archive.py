"""Checks (or assesses) every test and signal file of an archive on a Dask
cluster and writes one table.

    python3 -m kalvio.archive ARCHIVE_DIR --do check|assess [--protocol ID]
                              [--scheduler ADDRESS] [--workers N] -o TABLE.csv

Every ISO-MME test (a .zip, or a folder with its .mme file) and every other
signal file below ARCHIVE_DIR is one task; --do assess takes the tests alone,
under the protocol ID, with one row per criterion of every occupant. The tasks
run on a local cluster of N worker processes (all cores by default, loopback only), or on the
distributed scheduler at ADDRESS, whose workers must see ARCHIVE_DIR under the
same path and have kalvio installed. The table (CSV) has one row per channel
or signal file, folder by folder in name order (a folder's files before its
subfolders); a file that cannot
be read is a row with its message, so that nothing is lost. Files that are no
signal files (notes, hitlists, pictures) are left out, except an RVF-1992 file
by its first bytes, which must read. Progress goes to standard error.

Exit status 0 when every input was read, 1 when a row holds an error, 2 on bad
usage.
"""

import argparse
import contextlib
import csv
import functools
import io
import logging
import os
import stat
import sys
import warnings

import kalvio

CHECK_COLUMNS = ["input", "channel", "file", "verdict", "findings", "details", "warnings", "error"]
ASSESS_COLUMNS = ["input", "position", "dummy", "occupant_verdict", "occupant_score", "max_score", "region",
                  "criterion", "value", "unit", "limit", "hpl", "lpl", "score", "band", "verdict", "status", "reason",
                  "channels", "error"]
SEVERITY = {"ok": 0, "warning": 1, "fail": 2}


def find_inputs(archive, skipped=None):
    """Every test and signal file below archive, in sorted order, as (kind,
    path) with kind "test", "signal" (must read) or "maybe" (a signal file if
    it reads). Only regular files are inputs: a pipe or a device would be
    waited on; each one is added to skipped, when given, with the reason."""
    found = []
    for folder, dirs, files in os.walk(archive):
        dirs.sort()
        files.sort()
        tests = [f for f in files if f.lower().endswith(".mme")]
        if tests:
            # The channel files belong to the test; they are read through it.
            dirs[:] = [d for d in dirs if d.lower() != "channel"]
        for name in files:
            path = os.path.join(folder, name)
            lower = name.lower()
            if not _regular_or_gone(path):
                if skipped is not None:
                    skipped.append("%s: not a regular file (a pipe or a device); skipped" % path)
                continue
            if lower.endswith((".mme", ".zip")):
                found.append(("test", path))
            elif not tests or not lower.endswith((".chn",)):
                found.append(("signal" if starts_as_rvf(path) else "maybe", path))
    return found


def _regular_or_gone(path):
    try:
        return stat.S_ISREG(os.stat(path).st_mode)
    except OSError:
        return True  # gone or unreadable: a row with the reason


def input_that_is(table, archive):
    """The file below archive that table is (by device and inode), or None:
    an output never replaces an input."""
    try:
        st = os.stat(table)
    except OSError:
        return None
    for folder, _, files in os.walk(archive):
        for name in files:
            path = os.path.join(folder, name)
            try:
                other = os.stat(path)
            except OSError:
                continue
            if (other.st_dev, other.st_ino) == (st.st_dev, st.st_ino):
                return path
    return None


def starts_as_rvf(path):
    try:
        with open(path, "rb") as f:
            return f.read(8) == b"RVF-1992"
    except OSError:
        return True  # named as a file but unreadable: a row with the reason


def _quiet():
    # The warnings travel in the table; on a worker they would only fill its log.
    warnings.simplefilter("ignore", kalvio.SignalWarning)


def _check_row(path, code, signal):
    findings = kalvio.check(signal)
    verdict = max((f.severity for f in findings), key=SEVERITY.get, default="ok")
    details = " | ".join("%s %s: %s" % (f.severity, f.kind, f.message) for f in findings)
    return {"input": path, "channel": code, "file": signal.path, "verdict": verdict, "findings": len(findings),
            "details": details, "warnings": " | ".join(signal.warnings), "error": ""}


def _error_row(path, code, file, message):
    return {"input": path, "channel": code, "file": file, "verdict": "unreadable", "findings": "",
            "details": "", "warnings": "", "error": message}


def check_input(kind, path):
    """The check rows of one input: one per channel of a test, one for a
    signal file; none for a file that is no signal file."""
    _quiet()
    if kind != "test":
        try:
            return [_check_row(path, "", kalvio.read(path))]
        except kalvio.Error as e:
            # A file that was listed but is gone (or no longer a file) still
            # gets its row: only a file that reads as no signal is left out.
            readable = os.path.isfile(path) and os.access(path, os.R_OK)
            return [_error_row(path, "", path, str(e))] if kind == "signal" or not readable else []
    try:
        test = kalvio.read_test(path)
    except kalvio.Error as e:
        return [_error_row(path, "", path, str(e))]
    rows = [_check_row(path, code, signal) for code, signal in test.items()]
    rows += [_error_row(path, code, "", message) for code, message in test.failed.items()]
    if test.warnings:
        rows.append({"input": path, "channel": "", "file": test.path, "verdict": "", "findings": "", "details": "",
                     "warnings": " | ".join(test.warnings), "error": ""})
    return rows


def assess_input(kind, path, protocol):
    """The assessment rows of one test: one per criterion of every occupant;
    none for a signal file (a test is assessed as a whole)."""
    _quiet()
    if kind != "test":
        return []
    try:
        result = kalvio.assess(path, protocol)
    except kalvio.Error as e:
        return [{"input": path, "error": str(e)}]
    rows = []
    for occ in result.occupants:
        common = {"input": path, "position": occ.position, "dummy": occ.dummy,
                  "occupant_verdict": occ.verdict or "", "occupant_score": _cell(occ.score),
                  "max_score": _cell(occ.max_score), "error": ""}
        for region in occ.regions:
            for c in region.criteria:
                rows.append(dict(common, region=region.region, criterion=c.criterion, value=_cell(c.value),
                                 unit=c.unit, limit=_cell(c.limit), hpl=_cell(c.hpl), lpl=_cell(c.lpl),
                                 score=_cell(c.score), band=c.band or "", verdict=c.verdict or "",
                                 status=c.status, reason=c.reason or "",
                                 channels=" ".join(ch.code for ch in c.channels)))
    if not result.occupants:
        rows.append({"input": path, "error": "; ".join(result.warnings) or "no occupant to assess"})
    return rows


def _cell(v):
    return "" if v is None else v


def table_bytes(columns, rows):
    out = io.StringIO()
    writer = csv.DictWriter(out, fieldnames=columns, extrasaction="ignore", lineterminator="\n")
    writer.writeheader()
    writer.writerows(rows)
    return out.getvalue().encode("utf-8")


def _client(args):
    from dask.distributed import Client, LocalCluster

    if args.scheduler:
        return Client(args.scheduler), None
    cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True, host="127.0.0.1",
                           dashboard_address=None, silence_logs=logging.ERROR)
    return Client(cluster), cluster


def run(args, task, columns):
    """Runs task over every input of the archive; the rows in input order."""
    from dask.distributed import progress

    skipped = []
    inputs = find_inputs(args.archive, skipped)
    for line in skipped:
        print(line, file=sys.stderr)
    client, cluster = _client(args)
    try:
        futures = client.map(task, [k for k, _ in inputs], [p for _, p in inputs], pure=False)
        with contextlib.redirect_stdout(sys.stderr):
            progress(futures)
        print(file=sys.stderr)
        rows = []
        for (kind, path), future in zip(inputs, futures):
            if future.status == "finished":
                rows += future.result()
            else:  # the task itself failed (a worker died): still a row
                rows.append(_error_row(path, "", path, "%s: %s" % (path, future.exception())))
        return inputs, rows
    finally:
        client.close()
        if cluster is not None:
            cluster.close()


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m kalvio.archive", description=__doc__.split("\n\n")[0])
    parser.add_argument("archive", metavar="ARCHIVE_DIR")
    parser.add_argument("--do", required=True, choices=["check", "assess"])
    parser.add_argument("--protocol", metavar="ID", help="the protocol of --do assess")
    parser.add_argument("--scheduler", metavar="ADDRESS", help="a distributed scheduler, e.g. tcp://host:8786")
    parser.add_argument("--workers", metavar="N", type=int, help="worker processes of the local cluster")
    parser.add_argument("-o", dest="table", metavar="TABLE.csv", required=True)
    args = parser.parse_args(argv)
    if not os.path.isdir(args.archive):
        parser.error("%s is not a folder" % args.archive)
    if args.workers is not None and (args.scheduler or args.workers < 1):
        parser.error("--workers takes a number of local workers (1 or more), not with --scheduler")
    if args.workers is None:
        args.workers = os.cpu_count() or 1
    if args.do == "check":
        if args.protocol:
            parser.error("--protocol belongs to --do assess")
        task, columns = check_input, CHECK_COLUMNS
    else:
        if not args.protocol:
            parser.error("--do assess needs --protocol ID")
        known = [p["id"] for p in kalvio.protocols()]
        if args.protocol not in known:
            parser.error("no protocol %s (there are: %s)" % (args.protocol, ", ".join(known)))
        task, columns = functools.partial(assess_input, protocol=args.protocol), ASSESS_COLUMNS
    same = input_that_is(args.table, args.archive)
    if same is not None:
        parser.error("-o %s is %s, one of the inputs; the table never replaces an input" % (args.table, same))
    inputs, rows = run(args, task, columns)
    try:
        kalvio._kalvio._write_file(args.table, table_bytes(columns, rows))
    except kalvio.Error as e:
        print("python3 -m kalvio.archive: %s" % e, file=sys.stderr)
        return 1
    failed = sum(1 for r in rows if r["error"])
    print("%d inputs, %d rows (%d with an error) in %s" % (len(inputs), len(rows), failed, args.table),
          file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    # Run as kalvio.archive, not __main__, so that the workers find the tasks.
    from kalvio import archive

    sys.exit(archive.main())
