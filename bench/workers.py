#!/usr/bin/env python3
"""How the runner's workers scale when name lookups are slow: --devices generated routers replayed with 1
and with each of --threads workers, every address named by a DNS server that answers after --delay ms
(slowdns.py), and the speedup of each against one worker (the target for 16 workers is at least 9x), with
the DNS queries the run made per address it named (at most one).

    workers.py --runner build/ipv6disco [--plugin PATH] [--devices 32] [--threads 4 16] [--delay 40]

Run it in the test sandbox with --dns (scripts/bench does): the DNS server listens on 127.0.0.1:53.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--runner", required=True)
    p.add_argument("--plugin")
    p.add_argument("--devices", type=int, default=32)
    p.add_argument("--threads", type=int, nargs="+", default=[4, 16])
    p.add_argument("--delay", type=float, default=40.0)
    args = p.parse_args()
    with tempfile.TemporaryDirectory(prefix="ipv6disco-workers-") as work:
        devices, dns_hosts, nes = os.path.join(work, "devices"), os.path.join(work, "dns-hosts"), []
        os.makedirs(devices)
        named = 0
        with open(dns_hosts, "w") as hosts:
            for d in range(args.devices):
                address = "198.18.%d.%d" % (d // 250, d % 250 + 1)
                nes.append(address)
                subprocess.run([sys.executable, os.path.join(HERE, "router_snmprec.py"), "--interfaces", "4",
                                "--addresses", "5", "--routes", "20", "--cache", "20",
                                "--address-base", "2001:db8:%x" % (d + 1),
                                os.path.join(devices, address + ".snmprec")], check=True)
                hosts.write("%s r%d.lab\n" % (address, d))
                for k in range(1, 5):   # the routers' addresses all have names
                    for a in range(1, 6):
                        hosts.write("2001:db8:%x:%x::%x r%d-if%d.lab\n" % (d + 1, k, a, d, k))
                        named += 1
        empty = os.path.join(work, "hosts")
        open(empty, "w").close()
        dns = subprocess.Popen([sys.executable, os.path.join(HERE, "slowdns.py"), "--hosts", dns_hosts,
                                "--delay", str(args.delay)], stdout=subprocess.PIPE, text=True)
        if dns.stdout.readline().strip() != "ready":
            print("the DNS server did not start")
            return 1
        print("%d routers, %d named addresses, DNS answers after %.0f ms; target: 16 workers at least 9x faster than 1, "
              "each address asked at most once a run" % (args.devices, named, args.delay))
        print("%8s %9s %8s" % ("workers", "seconds", "speedup"))
        base = None
        for threads in [1] + args.threads:
            cmd = [args.runner, "--replay", devices, "--hosts", empty, "--threads", str(threads),
                   "--format", "json", "-o", os.devnull] + (["--plugin", args.plugin] if args.plugin else []) + nes
            start = time.monotonic()
            status = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
            seconds = time.monotonic() - start
            if status not in (0, 3):
                print("the runner ended with %d" % status)
                return 1
            base = base or seconds
            print("%8d %9.2f %8.2f" % (threads, seconds, base / seconds))
        dns.terminate()
        print(dns.stdout.read().strip(), "(%d runs)" % (1 + len(args.threads)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
