#!/usr/bin/env python3
"""The runner against snmpbulkwalk on one large router over live SNMPv2c: the same device (router_snmprec.py,
served by snmpsimd on 127.0.1.1), the same round trip (--delay ms, added by the relay of snmpworkers.py), the same
max-repetitions (20). Three ways of reading it, one after the other:

  runner    ipv6disco, one NE, names from an empty hosts file: its wall time, the SNMP seconds and request PDUs
            of its JSON report (cost), the PDUs the relay counted;
  columns   snmpbulkwalk -Cr20 of each of the 25 columns the agent reads, one after the other, as a script
            would (output kept in a file);
  entries   (--entries) snmpbulkwalk of the five table entries whole: the fewest walks that read the tables.

It prints the wall seconds, the PDUs the relay counted, the CPU seconds of the client (runner or snmpbulkwalk)
and of the device for each, then the ratios runner/snmpbulkwalk of the SNMP phase (the runner's SNMP seconds,
which include its four GETs) and of the whole run, and of the PDUs.

    vsbulkwalk.py --runner build/ipv6disco [--plugin PATH] [--interfaces 20] [--addresses 100]
                  [--routes 10000] [--cache 10000] [--delay 10] [--entries]

snmpsimd spends CPU on every request and every value it sends (the device column; at most 64 values a reply):
the runner gains on the round trips and on the device's cost per request, since it brings the columns of a table
side by side where a walker brings one column at a time.
Its wall time beyond the SNMP seconds is its own work, which snmpbulkwalk does not do: the local and remote
neighbours (each interface's remote neighbours are filed under every address of the interface), the links
and the JSON report. Run it in the test sandbox as root (scripts/bench does).
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from router_snmprec import router  # noqa: E402
from snmpworkers import RELAY_PORT, SIM_PORT, Relay, cpu_seconds  # noqa: E402

ADDRESS = "127.0.1.1"
OBJECTS = os.path.join(HERE, "..", "tests", "fixtures", "snmp", "mib-objects.tsv")


def columns():
    """The 25 columns the agent walks (table columns that are not indexes), in table order."""
    found = []
    for line in open(OBJECTS, encoding="ascii"):
        if line.startswith("#") or not line.strip():
            continue
        _, oid, syntax = line.split("\t")[:3]
        if len(oid.split(".")) == 11 and "not-accessible" not in syntax:
            found.append(oid)
    return found


def timed(cmds, out):
    """Runs the commands one after the other: (wall seconds, their CPU seconds, the worst exit status)."""
    start, cpu, worst = time.monotonic(), 0.0, 0
    for cmd in cmds:
        child = subprocess.Popen(cmd, stdout=out, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        cpu += usage.ru_utime + usage.ru_stime
        worst = max(worst, abs(os.waitstatus_to_exitcode(status)))
    return time.monotonic() - start, cpu, worst


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--runner", required=True)
    p.add_argument("--plugin")
    p.add_argument("--interfaces", type=int, default=20)
    p.add_argument("--addresses", type=int, default=100, help="global addresses per interface")
    p.add_argument("--routes", type=int, default=10000)
    p.add_argument("--cache", type=int, default=10000)
    p.add_argument("--delay", type=float, default=10.0, help="round trip, ms")
    p.add_argument("--entries", action="store_true", help="also walk the five table entries whole")
    args = p.parse_args()
    sim = shutil.which("snmpsimd") or shutil.which("snmpsimd.py")
    if sim is None or shutil.which("snmpbulkwalk") is None:
        print("snmpsimd and snmpbulkwalk are needed")
        return 77
    cols = columns()
    entries = sorted({c.rsplit(".", 1)[0] for c in cols}, key=lambda o: [int(x) for x in o.split(".")])
    with tempfile.TemporaryDirectory(prefix="ipv6disco-vsbulkwalk-") as work:
        data, cache = os.path.join(work, "data"), os.path.join(work, "cache")
        os.makedirs(data)
        os.makedirs(cache)
        with open(os.path.join(data, "public.snmprec"), "w", encoding="ascii") as f:  # the v2c community "public"
            for line in router(args.interfaces, args.addresses, args.routes, args.cache).lines():
                f.write(line + "\n")
        for root, dirs, files in os.walk(work):  # snmpsimd runs as nobody
            for name in dirs + files:
                os.chmod(os.path.join(root, name), 0o777)
        os.chmod(work, 0o755)
        empty = os.path.join(work, "hosts")
        open(empty, "w").close()
        log = open(os.path.join(work, "device.log"), "w")
        server = subprocess.Popen([sim, "--data-dir=" + data, "--cache-dir=" + cache, "--process-user=nobody",
                                   "--process-group=nogroup", "--agent-udpv4-endpoint=%s:%d" % (ADDRESS, SIM_PORT)],
                                  stdout=log, stderr=subprocess.STDOUT)
        relay = Relay([ADDRESS], args.delay)
        target = "%s:%d" % (ADDRESS, RELAY_PORT)
        walk = ["snmpbulkwalk", "-v2c", "-c", "public", "-Cr20", "-On", "-t", "5", "-r", "1", target]
        runner = [args.runner, "--port", str(RELAY_PORT), "--timeout", "5", "--retries", "1", "--threads", "1",
                  "--hosts", empty, "--format", "json", "-o", os.path.join(work, "report.json")]
        runner += (["--plugin", args.plugin] if args.plugin else []) + [ADDRESS]
        rows = {}
        try:
            start = time.monotonic()
            while subprocess.run(["snmpget", "-v2c", "-c", "public", "-t", "2", "-r", "0",
                                  "%s:%d" % (ADDRESS, SIM_PORT), "1.3.6.1.2.1.1.1.0"],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
                if time.monotonic() - start > 180:
                    print("snmpsimd did not answer within 180 s")
                    return 1
                time.sleep(0.5)
            ready = time.monotonic() - start
            ways = [("runner", [runner])]
            ways.append(("columns", [walk + [c] for c in cols]))
            if args.entries:
                ways.append(("entries", [walk + [e] for e in entries]))
            with open(os.path.join(work, "walk.txt"), "w") as out:
                for what, cmds in ways:
                    pdus, device = relay.counts[ADDRESS], cpu_seconds(server.pid)
                    seconds, cpu, status = timed(cmds, out)
                    rows[what] = [seconds, relay.counts[ADDRESS] - pdus, cpu, cpu_seconds(server.pid) - device]
                    if status not in (0, 3) or (what != "runner" and status != 0):
                        print("%s ended with status %d" % (what, status))
                        return 1
            report = os.path.join(work, "report.json")
            megabytes = os.path.getsize(report) / 1e6
            with open(report) as f:  # the run's cost comes first; the report of a large router is hundreds of MB
                head = f.read(65536)
            cost = json.JSONDecoder().raw_decode(head, head.index("{", head.index('"cost"')))[0]
        finally:
            server.terminate()
            server.wait()
    print("one router: %d interfaces, %d addresses, %d routes, %d cache entries; snmpsimd ready after %.0f s; "
          "round trip %.0f ms, max-repetitions 20" % (args.interfaces, args.interfaces * (args.addresses + 1),
                                                       args.routes, args.cache, ready, args.delay))
    print("%-8s %8s %8s %8s %8s %8s %8s" % ("", "wall s", "SNMP s", "PDUs", "own PDUs", "client", "device"))
    for what, (seconds, pdus, cpu, device) in rows.items():
        own = ("%8.2f %8d" % (cost["snmpSeconds"], cost["pdus"])) if what == "runner" else "%8s %8s" % ("", "")
        print("%-8s %8.2f %s %8d %8.2f %8.2f" % (what, seconds, own, pdus, cpu, device))
    runner_row = rows["runner"]
    print("runner: %.2f s of its wall time beyond SNMP (names %.2f s, then the neighbours and a JSON report of "
          "%.0f MB)" % (runner_row[0] - cost["snmpSeconds"], cost["nameSeconds"], megabytes))
    for what in [w for w in rows if w != "runner"]:
        seconds, pdus = rows[what][0], rows[what][1]
        print("runner/%-7s SNMP phase %5.2fx, whole run %5.2fx, PDUs %5.2fx (%d against %d)" % (
            what, cost["snmpSeconds"] / seconds, runner_row[0] / seconds, runner_row[1] / pdus, runner_row[1], pdus))
    return 0


if __name__ == "__main__":
    sys.exit(main())
