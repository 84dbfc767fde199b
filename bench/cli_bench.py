#!/usr/bin/env python3
"""Times `mailvane extract` on a workload from make_cli_workload.py against other
extractors run the way their users run them (one process per message), and a process
that only starts and exits. Checks every attachment byte for byte against the
generator's manifest and reports peak memory against the largest message.

    python3 bench/cli_bench.py WORKLOAD_DIR BUILD_DIR/bin/mailvane [--scratch /tmp/x]

A folder without the generator's manifest.json (real messages) is timed the same way,
without the byte check.
"""
import argparse
import hashlib
import json
import os
import resource
import shutil
import subprocess
import sys
import time


def run_timed(argv, cwd=None):
    """Runs one process; returns (seconds, exit status)."""
    start = time.perf_counter()
    proc = subprocess.run(argv, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if proc.returncode != 0 and argv[0] != "munpack":
        sys.stderr.write("%s exited %d: %s\n" % (" ".join(argv[:3]), proc.returncode,
                                                  proc.stderr.decode(errors="replace")[:300]))
    return elapsed, proc.returncode


def peak_memory(argv):
    """Peak resident set of one run in bytes. Measured through /usr/bin/time: the
    rusage of a child forked from Python counts Python's own pages from before exec."""
    proc = subprocess.run(["/usr/bin/time", "-f", "%M"] + argv, stdout=subprocess.DEVNULL,
                          stderr=subprocess.PIPE)
    return int(proc.stderr.decode().strip().splitlines()[-1]) * 1024


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def verify(manifest, folder_of):
    """Counts attachments missing or different; folder_of(entry) is where they should be."""
    bad = 0
    for entry in manifest:
        if not entry["attachments"]:
            continue
        folder = folder_of(entry)
        for name, digest in entry["attachments"].items():
            path = os.path.join(folder, name)
            if not os.path.exists(path) or sha(path) != digest:
                bad += 1
    return bad


def per_message(manifest, workload, scratch, make_argv):
    total_time = 0.0
    for entry in manifest:
        out = os.path.join(scratch, entry["file"])
        os.makedirs(out)
        seconds, _ = run_timed(make_argv(os.path.join(workload, entry["file"]), out))
        total_time += seconds
    return total_time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("workload")
    parser.add_argument("mailvane")
    parser.add_argument("--scratch", default="/tmp/mailvane-cli-bench-out")
    parser.add_argument("--baseline", help="an earlier mailvane build, run the same two ways")
    args = parser.parse_args()
    workload = os.path.abspath(args.workload)
    mailvane = os.path.abspath(args.mailvane)
    manifest_path = os.path.join(workload, "manifest.json")
    if os.path.exists(manifest_path):
        with open(manifest_path) as f:
            manifest = json.load(f)
    else:
        # A folder of real messages: timed and measured, nothing to check against.
        manifest = [{"file": n, "size": os.path.getsize(os.path.join(workload, n)),
                     "folder": "", "attachments": {}}
                    for n in sorted(os.listdir(workload)) if n.lower().endswith((".eml", ".nws"))]
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

    def cpu_seconds():
        usage = resource.getrusage(resource.RUSAGE_CHILDREN)
        return usage.ru_utime + usage.ru_stime

    cpu_before = [0.0]

    def start():
        fresh()
        cpu_before[0] = cpu_seconds()

    # On a shared machine the processor time of the contenders is the steadier figure;
    # the wall-clock time is what a user waits.
    def report(name, seconds, bad):
        cpu = cpu_seconds() - cpu_before[0]
        results.append((name, seconds, cpu))
        print("%-34s wall %7.2f s %7.1f MB/s   cpu %7.2f s %7.1f MB/s   wrong or missing %d" % (
            name, seconds, total_bytes / seconds / 1e6, cpu, total_bytes / cpu / 1e6, bad),
            flush=True)

    # One process over the whole folder takes about a second, where this machine's noise
    # is largest: the program (and the baseline) run alternately, best of five.
    def one_process(binary):
        start()
        seconds, status = run_timed([binary, "extract", "-o", args.scratch, workload])
        return seconds, cpu_seconds() - cpu_before[0], status

    singles = [("mailvane extract (one process)", mailvane)]
    if args.baseline:
        singles.append(("baseline extract (one process)", os.path.abspath(args.baseline)))
    best = {}
    for _ in range(5):
        for name, binary in singles:
            seconds, cpu, status = one_process(binary)
            bad = status != 0
            if name.startswith("mailvane"):
                bad += verify(manifest, lambda e: os.path.join(args.scratch, e["folder"]))
            if name not in best or cpu < best[name][1]:
                best[name] = (seconds, cpu, bad)
    for name, _ in singles:
        seconds, cpu, bad = best[name]
        results.append((name, seconds, cpu))
        print("%-34s wall %7.2f s %7.1f MB/s   cpu %7.2f s %7.1f MB/s   wrong or missing %d" % (
            name, seconds, total_bytes / seconds / 1e6, cpu, total_bytes / cpu / 1e6, bad),
            flush=True)

    contenders = [
        ("mailvane extract (per message)", lambda msg, out: [mailvane, "extract", "-o", out, msg],
         lambda e: os.path.join(args.scratch, e["file"], e["folder"])),
        # The text file repeats a whole body for mail without a plain-text part, which
        # the peers never write; this run leaves it out to compare like with like.
        ("mailvane --no-text (per message)",
         lambda msg, out: [mailvane, "extract", "--no-text", "-o", out, msg],
         lambda e: os.path.join(args.scratch, e["file"], e["folder"])),
        ("ripmime (per message)", lambda msg, out: ["ripmime", "-i", msg, "-d", out],
         lambda e: os.path.join(args.scratch, e["file"])),
        ("munpack (per message)", lambda msg, out: ["munpack", "-q", "-C", out, msg],
         lambda e: os.path.join(args.scratch, e["file"])),
        ("start and exit only (per message)", lambda msg, out: ["/bin/true", msg], None),
    ]
    if args.baseline:
        baseline_bin = os.path.abspath(args.baseline)
        contenders.insert(1, ("baseline extract (per message)",
                              lambda msg, out: [baseline_bin, "extract", "-o", out, msg], None))
    for name, make_argv, folder_of in contenders:
        start()
        seconds = per_message(manifest, workload, args.scratch, make_argv)
        report(name, seconds, verify(manifest, folder_of) if folder_of else 0)

    # Memory, outside the timed runs: the whole folder in one process, and the largest
    # message alone, against a run that reads nothing.
    fresh()
    peak_all = peak_memory([mailvane, "extract", "-o", args.scratch, workload])
    fresh()
    biggest = max(manifest, key=lambda e: e["size"])
    peak_one = peak_memory([mailvane, "extract", "-o", args.scratch,
                            os.path.join(workload, biggest["file"])])
    baseline = peak_memory([mailvane, "--version"])
    shutil.rmtree(args.scratch, ignore_errors=True)

    print("\n%d messages, %.1f MB, largest message %.2f MB" % (
        len(manifest), total_bytes / 1e6, largest / 1e6))
    for column, label in ((1, "wall"), (2, "cpu")):
        speed = {r[0]: total_bytes / r[column] for r in results}
        fastest_peer = max(speed["ripmime (per message)"], speed["munpack (per message)"])
        print("%s: one process / fastest peer %.2fx, per message / fastest peer %.2fx "
              "(%.2fx without the text file), start and exit only / fastest peer %.2fx" % (
                  label, speed["mailvane extract (one process)"] / fastest_peer,
                  speed["mailvane extract (per message)"] / fastest_peer,
                  speed["mailvane --no-text (per message)"] / fastest_peer,
                  speed["start and exit only (per message)"] / fastest_peer))
        munpack = speed["munpack (per message)"]
        print("%s: one process / munpack %.2fx, per message / munpack %.2fx" % (
            label, speed["mailvane extract (one process)"] / munpack,
            speed["mailvane extract (per message)"] / munpack))
        if args.baseline:
            print("%s: one process / baseline %.2fx, per message / baseline %.2fx" % (
                label, speed["mailvane extract (one process)"] /
                speed["baseline extract (one process)"],
                speed["mailvane extract (per message)"] / speed["baseline extract (per message)"]))
    # A program starts with a few MB resident whatever it reads, so the part that grows
    # with the input is shown as well.
    for label, peak in (("whole folder", peak_all), ("largest message alone", peak_one)):
        print("peak memory, %s: %.1f MB = %.2fx the largest message (%.2fx without the "
              "%.1f MB of a run that reads nothing)" % (
                  label, peak / 1e6, peak / largest, (peak - baseline) / largest,
                  baseline / 1e6))


if __name__ == "__main__":
    main()
