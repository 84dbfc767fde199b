#!/usr/bin/env python3
"""Times `mailvane extract` on a workload from make_cli_workload.py against other
extractors run the way their users run them (one process per message), and a process
that only starts and exits. Checks every attachment byte for byte against the
generator's manifest and reports peak memory against the largest message.

    python3 bench/cli_bench.py WORKLOAD_DIR BUILD_DIR/bin/mailvane [--scratch /tmp/x]
"""
import argparse
import hashlib
import json
import os
import shutil
import subprocess
import sys
import time


def run_timed(argv, cwd=None):
    """Runs one process; returns (seconds, peak resident set in bytes, exit status)."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    err = proc.stderr.read()
    proc.stderr.close()
    if proc.returncode != 0 and argv[0] != "munpack":
        sys.stderr.write("%s exited %d: %s\n" % (" ".join(argv[:3]), proc.returncode,
                                                  err.decode(errors="replace")[:300]))
    return elapsed, usage.ru_maxrss * 1024, proc.returncode


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def verify(manifest, folder_of):
    """Counts attachments missing or different; folder_of(entry) is where they should be."""
    bad = 0
    for entry in manifest:
        folder = folder_of(entry)
        for name, digest in entry["attachments"].items():
            path = os.path.join(folder, name)
            if not os.path.exists(path) or sha(path) != digest:
                bad += 1
    return bad


def per_message(manifest, workload, scratch, make_argv, cwd_is_out=False):
    total_time = 0.0
    peak = 0
    for entry in manifest:
        out = os.path.join(scratch, entry["file"])
        os.makedirs(out)
        argv = make_argv(os.path.join(workload, entry["file"]), out)
        seconds, rss, _ = run_timed(argv, cwd=out if cwd_is_out else None)
        total_time += seconds
        peak = max(peak, rss)
    return total_time, peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("workload")
    parser.add_argument("mailvane")
    parser.add_argument("--scratch", default="/tmp/mailvane-cli-bench-out")
    args = parser.parse_args()
    workload = os.path.abspath(args.workload)
    mailvane = os.path.abspath(args.mailvane)
    with open(os.path.join(workload, "manifest.json")) as f:
        manifest = json.load(f)
    total_bytes = sum(e["size"] for e in manifest)
    largest = max(e["size"] for e in manifest)
    # Read everything once so every contender starts from a warm page cache.
    for e in manifest:
        with open(os.path.join(workload, e["file"]), "rb") as f:
            f.read()

    results = []

    def fresh():
        shutil.rmtree(args.scratch, ignore_errors=True)
        os.makedirs(args.scratch)

    def report(name, seconds, peak, bad):
        results.append((name, seconds, peak, bad))
        print("%-34s %7.2f s %8.1f MB/s  peak %7.1f MB  wrong or missing %d" % (
            name, seconds, total_bytes / seconds / 1e6, peak / 1e6, bad), flush=True)

    fresh()
    seconds, peak, status = run_timed([mailvane, "extract", "-o", args.scratch, workload])
    report("mailvane extract (one process)", seconds, peak,
           verify(manifest, lambda e: os.path.join(args.scratch, e["folder"])) + (status != 0))
    mailvane_peak = peak

    fresh()
    seconds, peak = per_message(manifest, workload, args.scratch,
                                lambda msg, out: [mailvane, "extract", "-o", out, msg])
    report("mailvane extract (per message)", seconds, peak,
           verify(manifest, lambda e: os.path.join(args.scratch, e["file"], e["folder"])))
    mailvane_peak = max(mailvane_peak, peak)

    fresh()
    seconds, peak = per_message(manifest, workload, args.scratch,
                                lambda msg, out: ["ripmime", "-i", msg, "-d", out])
    report("ripmime (per message)", seconds, peak,
           verify(manifest, lambda e: os.path.join(args.scratch, e["file"])))

    fresh()
    seconds, peak = per_message(manifest, workload, args.scratch,
                                lambda msg, out: ["munpack", "-q", "-C", out, msg])
    report("munpack (per message)", seconds, peak,
           verify(manifest, lambda e: os.path.join(args.scratch, e["file"])))

    fresh()
    seconds, peak = per_message(manifest, workload, args.scratch,
                                lambda msg, out: ["/bin/true", msg])
    report("start and exit only (per message)", seconds, peak, 0)
    shutil.rmtree(args.scratch, ignore_errors=True)

    by_name = {r[0]: total_bytes / r[1] for r in results}
    fastest_peer = max(by_name["ripmime (per message)"], by_name["munpack (per message)"])
    print("\n%d messages, %.1f MB, largest message %.2f MB" % (
        len(manifest), total_bytes / 1e6, largest / 1e6))
    print("one process / fastest peer:  %.2fx" % (by_name["mailvane extract (one process)"] /
                                                fastest_peer))
    print("per message / fastest peer:  %.2fx" % (by_name["mailvane extract (per message)"] /
                                                fastest_peer))
    # A program linking C++ and Qt Core starts with a few MB resident whatever it reads,
    # so the part that grows with the input is shown as well.
    _, baseline, _ = run_timed([mailvane, "--version"])
    print("peak memory / largest message: %.2fx (%.1f MB; without the %.1f MB of an idle "
          "start: %.2fx)" % (mailvane_peak / largest, mailvane_peak / 1e6, baseline / 1e6,
                             (mailvane_peak - baseline) / largest))


if __name__ == "__main__":
    main()
