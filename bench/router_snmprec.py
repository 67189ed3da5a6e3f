#!/usr/bin/env python3
"""Writes the snmprec file of a large IPv6 router (RFC 2465 tables), for timing whole runs in replay.

    router_snmprec.py --interfaces I --addresses A --routes R --cache C [--address-base B] OUT.snmprec

Interface k (1 to I) is up and holds A global addresses B:k::1.. /64 (B: 2001:db8) (one prefix, advertised) and
fe80::k:1; route r (1 to R) goes to 2001:db9:r::/48 via 2001:db8:k::1000+n on interface k = r mod I + 1, each
next hop distinct; cache entry c holds 2001:db8:k::4000+n with a link-layer address, on interface c mod I + 1.
So every interface has A + 1 local neighbours, each with about (R + C) / I remote neighbours.
"""
import argparse
import importlib.util
import os

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "fixtures", os.path.join(HERE, "..", "tests", "fixtures", "snmp", "make-fixtures.py"))
fx = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(fx)


def router(interfaces, addresses, routes, cache, base="2001:db8"):
    d = fx.Device()
    fx.system(d, "large IPv6 test router", "1.3.6.1.4.1.8072.3.2.10", 1, 1)
    mac = lambda k, n: "02:00:%02X:%02X:%02X:%02X" % (k >> 8, k & 255, n >> 8, n & 255)
    for k in range(1, interfaces + 1):
        fx.interface(d, k, "eth%d" % k, fx.IFTABLE_IF + str(k), 1500, "", 0, mac(k, 0), fx.UP, fx.UP, 100)
        fx.address(d, k, "fe80::%x:1" % k, 64, fx.STATELESS, fx.FALSE, fx.PREFERRED)
        for a in range(1, addresses + 1):
            fx.address(d, k, "%s:%x::%x" % (base, k, a), 64, fx.UNKNOWN, fx.FALSE, fx.PREFERRED)
        fx.prefix(d, k, "%s:%x::" % (base, k), 64, 16, fx.TRUE, fx.TRUE, 604800, 2592000)
    for r in range(routes):
        k, n = r % interfaces + 1, r // interfaces
        fx.route(d, "2001:db9:%x::" % r, 48, 1, k, "%s:%x::%x" % (base, k, 0x1000 + n), fx.REMOTE, fx.TRUE)
    for c in range(cache):
        k, n = c % interfaces + 1, c // interfaces
        fx.neighbour(d, k, "%s:%x::%x" % (base, k, 0x4000 + n), mac(k, n + 1), fx.REACHABLE, fx.TRUE)
    return d


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for name in ("interfaces", "addresses", "routes", "cache"):
        p.add_argument("--" + name, type=int, required=True)
    p.add_argument("--address-base", default="2001:db8", help="what comes before the interface number in the global addresses")
    p.add_argument("out")
    a = p.parse_args()
    with open(a.out, "w", encoding="ascii") as f:
        for line in router(a.interfaces, a.addresses, a.routes, a.cache, a.address_base).lines():
            f.write(line + "\n")


if __name__ == "__main__":
    main()
