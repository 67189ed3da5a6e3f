#!/usr/bin/env python3
"""How a run's memory grows with the number of NEs: --counts runs (default 100 and 1000) of generated small
routers (4 interfaces of 5 global addresses, 20 routes, 20 cache entries each) in replay on --threads workers,
with wall time, peak memory, and what each NE beyond the first run costs: memory against its share of the JSON
report (what the runner must hold to write it). The target: the larger run holds no more than the smaller one
plus what its NEs' results need, so the memory per added NE stays a small multiple of its report share.

    nescale.py --runner build/ipv6disco [--plugin PATH] [--counts 100 1000] [--threads 16]

Run it where name lookups stay on the machine (scripts/bench runs it in the test sandbox).
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import router_snmprec  # noqa: E402


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--runner", required=True)
    p.add_argument("--plugin")
    p.add_argument("--counts", type=int, nargs="+", default=[100, 1000])
    p.add_argument("--threads", type=int, default=16)
    args = p.parse_args()
    with tempfile.TemporaryDirectory(prefix="ipv6disco-nescale-") as work:
        devices, report, empty = os.path.join(work, "devices"), os.path.join(work, "report.json"), os.path.join(work, "hosts")
        os.makedirs(devices)
        open(empty, "w").close()
        nes = ["198.18.%d.%d" % (d // 250, d % 250 + 1) for d in range(max(args.counts))]
        for d, address in enumerate(nes):
            lines = router_snmprec.router(4, 5, 20, 20, "2001:db8:%x" % (d + 1)).lines()
            with open(os.path.join(devices, address + ".snmprec"), "w", encoding="ascii") as f:
                f.write("\n".join(lines) + "\n")
        print("target: each added NE holds what its results need (a small multiple of its share of the report)")
        print("%6s %9s %9s %10s %12s %14s" % ("NEs", "seconds", "peak MiB", "report MiB", "KiB per NE+", "x report share"))
        previous = None
        for count in args.counts:
            cmd = [args.runner, "--replay", devices, "--hosts", empty, "--threads", str(args.threads), "--format",
                   "json", "-o", report] + (["--plugin", args.plugin] if args.plugin else []) + nes[:count]
            start = time.monotonic()
            child = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            _, status, usage = os.wait4(child.pid, 0)
            seconds, peak, size = time.monotonic() - start, usage.ru_maxrss, os.path.getsize(report)
            if os.waitstatus_to_exitcode(status) not in (0, 3):
                print("the runner ended with %d" % os.waitstatus_to_exitcode(status))
                return 1
            added = ratio = ""
            if previous:
                per_ne = (peak - previous[1]) / (count - previous[0])
                share = (size - previous[2]) / 1024.0 / (count - previous[0])
                added, ratio = "%.1f" % per_ne, "%.2f" % (per_ne / share)
            print("%6d %9.2f %9.1f %10.1f %12s %14s" % (count, seconds, peak / 1024.0, size / 1048576.0, added, ratio))
            previous = (count, peak, size)
    return 0


if __name__ == "__main__":
    sys.exit(main())
