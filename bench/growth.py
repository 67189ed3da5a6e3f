#!/usr/bin/env python3
"""How a whole run in replay grows with a router's size: wall time, CPU time and peak memory of
`ipv6disco --replay` on routers made by router_snmprec.py, doubling the interfaces together with the routes
and cache entries (the same addresses per interface), and the ratio of each step to the one before (the target
is at most 2.2). Also the request PDUs the run reports against the fewest that reading the five tables whole
at the default max-repetitions (20) can take; with --max-request-ratio R it exits 1 when a run needs more
than R times that minimum.

    growth.py --runner build/ipv6disco [--plugin PATH] [--steps 3] [--interfaces 5] [--addresses 100]
              [--per-interface 500] [--max-request-ratio R]

Run it where name lookups stay on the machine (scripts/bench runs it in the test sandbox): every address of
the router is looked up.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ADDRESS = "192.0.2.200"
REPETITIONS = 20


def fewest_pdus(rows):
    """The four GETs, then per table (rows of each) the GETBULKs that bring every row and the end of it."""
    return 4 + sum(r // REPETITIONS + 1 for r in rows)


def measure(args, folder, empty_hosts, report):
    """(seconds, CPU seconds, peak KiB, exit status) of one run of the runner on the router in `folder`."""
    cmd = [args.runner, "--replay", folder, "--hosts", empty_hosts, "--format", "json", "-o", report]
    cmd += (["--plugin", args.plugin] if args.plugin else []) + [ADDRESS]
    start = time.monotonic()
    child = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    return (time.monotonic() - start, usage.ru_utime + usage.ru_stime, usage.ru_maxrss,
            os.waitstatus_to_exitcode(status))


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--runner", required=True)
    p.add_argument("--plugin")
    p.add_argument("--steps", type=int, default=3)
    p.add_argument("--interfaces", type=int, default=5)
    p.add_argument("--addresses", type=int, default=100, help="global addresses per interface")
    p.add_argument("--per-interface", type=int, default=500, help="routes, and cache entries, per interface")
    p.add_argument("--max-request-ratio", type=float)
    args = p.parse_args()
    print("%-11s %9s %7s %7s %8s %8s %9s %7s %7s %7s %7s" % ("interfaces", "addresses", "routes", "cache",
          "seconds", "CPU s", "peak MiB", "x CPU", "x mem", "PDUs", "x min"))
    previous, worst, too_many = None, 0.0, False
    with tempfile.TemporaryDirectory(prefix="ipv6disco-growth-") as work:
        empty_hosts = os.path.join(work, "hosts")
        open(empty_hosts, "w").close()
        for step in range(args.steps):
            n = args.interfaces << step
            routes = cache = n * args.per_interface
            folder = os.path.join(work, str(n))
            os.makedirs(folder)
            subprocess.run([sys.executable, os.path.join(HERE, "router_snmprec.py"), "--interfaces", str(n),
                            "--addresses", str(args.addresses), "--routes", str(routes), "--cache", str(cache),
                            os.path.join(folder, ADDRESS + ".snmprec")], check=True)
            report = os.path.join(work, "report.json")
            seconds, cpu, kib, status = measure(args, folder, empty_hosts, report)
            if status not in (0, 3):
                print("the runner ended with %d on %d interfaces" % (status, n))
                return 1
            with open(report) as f:
                pdus = json.load(f)["cost"]["pdus"]
            # Tables: interfaces, addresses (a link-local one more per interface), prefixes, routes, cache.
            ratio = pdus / fewest_pdus([n, n * (args.addresses + 1), n, routes, cache])
            too_many = too_many or (args.max_request_ratio is not None and ratio > args.max_request_ratio)
            # CPU time, not wall time, for the ratio: it does not depend on what else the machine runs.
            ratios = ("%7.2f %7.2f" % (cpu / previous[0], kib / previous[1])) if previous else "%15s" % ""
            if previous:
                worst = max(worst, cpu / previous[0], kib / previous[1])
            print("%-11d %9d %7d %7d %8.2f %8.2f %9.1f %s %7d %7.3f" % (n, n * (args.addresses + 1), routes, cache,
                                                                       seconds, cpu, kib / 1024, ratios, pdus, ratio))
            previous = (cpu, kib)
    if args.steps > 1:
        print("largest growth per doubling: %.2f (target: at most 2.2)" % worst)
    if too_many:
        print("a run took more than %.2f times the fewest request PDUs" % args.max_request_ratio)
    return 1 if too_many else 0


if __name__ == "__main__":
    sys.exit(main())
