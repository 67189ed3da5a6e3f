#!/usr/bin/env python3
"""Writes a recorded network of N IPv6 routers for replay (ipv6disco --replay), in OUT:

    routernet.py N OUT     then: ipv6disco --replay OUT/devices --hosts OUT/hosts --etc-dir OUT/etc --ne-file OUT/nes.txt

Routers r01..rN sit ten to a site (ams, fra, lon, ...; names rNN.SITE.example.net); the first of each site is its
core. Cores form a ring (a line for two sites), every other router has a link to its site's core, and the second
router of each site a second one to the previous site's core. Each link has a /64 of its own, 2001:db8:1:L::/64,
named in OUT/etc/conf/tovra/IPv6Prefix.conf. Every router but a core has a LAN, 2001:db8:2:R::/64, named as well;
on the LANs of every third router an IPv6 host is an NE of the run, on the others a host that is none sits in the
router's neighbour cache. Besides, an IPv4-only router and an NE that answers no SNMP are NEs of the run.
Management addresses are IPv4 (198.51.100.R routers, 198.51.101.R hosts, 198.51.102.1-2 the two others), and
the hosts file names every address.
"""
import argparse
import importlib.util
import os

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "fixtures", os.path.join(HERE, "..", "fixtures", "snmp", "make-fixtures.py"))
fx = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(fx)

SITES = ["ams", "fra", "lon", "par", "mad", "vie", "osl", "rom", "waw", "dub"]


def site_of(r):
    return SITES[(r - 1) // 10] if (r - 1) // 10 < len(SITES) else "site%d" % ((r - 1) // 10)


def name_of(r):
    return "r%02d.%s.example.net" % (r, site_of(r))


def links_of(n):
    """The links as (router, router, prefix name), routers numbered from 1."""
    cores = list(range(1, n + 1, 10))
    links = []
    for a, b in zip(cores, cores[1:] + cores[:1] if len(cores) > 2 else cores[1:]):
        links.append((a, b, "bb-%s-%s" % (site_of(a), site_of(b))))
    for r in range(1, n + 1):
        core = (r - 1) // 10 * 10 + 1
        if r != core:
            links.append((core, r, "%s-core-r%02d" % (site_of(r), r)))
        if r == core + 1 and core > 1:
            links.append((core - 10, r, "%s-r%02d-up" % (site_of(core - 10), r)))
    return links


def mac(r, k):
    return "02:00:5E:%02X:%02X:%02X" % (r >> 8, r & 255, k)


def write_network(n, out):
    os.makedirs(os.path.join(out, "devices"), exist_ok=True)
    os.makedirs(os.path.join(out, "etc", "conf", "tovra"), exist_ok=True)
    routers = {r: fx.Device() for r in range(1, n + 1)}
    ifaces = {r: [] for r in routers}  # per router: (address, link-local, peer's addresses)
    hosts, prefixes, nes = [], [], []
    for r in routers:
        hosts.append((["198.51.100.%d" % r, "2001:db8:ff::%x" % r], name_of(r)))
    for index, (a, b, name) in enumerate(links_of(n), 1):
        prefix = "2001:db8:1:%x::" % index
        prefixes.append((prefix + "/64", name))
        ends = [(a, prefix + "1", "fe80::%x:%x" % (a, len(ifaces[a]) + 2)),
                (b, prefix + "2", "fe80::%x:%x" % (b, len(ifaces[b]) + 2))]
        for (r, address, local), (_, peer, peer_local) in (ends, ends[::-1]):
            ifaces[r].append((address, local, [peer, peer_local], "eth%d" % len(ifaces[r])))
            hosts.append(([address, local], name_of(r)))
    for r in routers:
        if (r - 1) % 10 == 0:
            continue
        prefix = "2001:db8:2:%x::" % r
        prefixes.append((prefix + "/64", "%s-lan%02d" % (site_of(r), r)))
        host = prefix + ("10" if r % 3 == 0 else "20")
        ifaces[r].append((prefix + "1", "fe80::%x:1" % r, [host], "lan0"))
        hosts.append(([prefix + "1"], name_of(r)))
        hname = "%s%02d.%s.example.net" % ("ws" if r % 3 == 0 else "pc", r, site_of(r))
        if r % 3 == 0:
            ip4 = "198.51.101.%d" % r
            hosts.append(([ip4, host], hname))
            h = fx.Device()
            fx.system(h, "IPv6 workstation", "1.3.6.1.4.1.8072.3.2.10", 2, 2)
            fx.interface(h, 1, "eth0", fx.IFTABLE_IF + "1", 1500, "", 0, mac(r, 99), fx.UP, fx.UP, 0)
            fx.address(h, 1, host, 64, fx.STATELESS, fx.FALSE, fx.PREFERRED)
            fx.neighbour(h, 1, prefix + "1", mac(r, len(ifaces[r]) + 1), fx.REACHABLE, fx.TRUE)
            write_device(out, ip4, h)
            nes.append(host)
        else:
            hosts.append(([host], hname))
    for r, dev in routers.items():
        fx.system(dev, "IPv6 router %s" % name_of(r), "1.3.6.1.4.1.8072.3.2.10", 1, 1)
        fx.interface(dev, 1, "lo", "0.0", 65536, "", 0, "", fx.UP, fx.UP, 0)
        fx.address(dev, 1, "2001:db8:ff::%x" % r, 128, fx.UNKNOWN, fx.FALSE, fx.PREFERRED)
        for k, (address, local, peers, descr) in enumerate(ifaces[r], 2):
            fx.interface(dev, k, descr, fx.IFTABLE_IF + str(k), 1500, "", 0, mac(r, k), fx.UP, fx.UP, 0)
            fx.address(dev, k, local, 64, fx.STATELESS, fx.FALSE, fx.PREFERRED)
            fx.address(dev, k, address, 64, fx.UNKNOWN, fx.FALSE, fx.PREFERRED)
            fx.prefix(dev, k, address.rsplit(":", 1)[0] + ":", 64, 16, fx.TRUE, fx.TRUE, 604800, 2592000)
            for p, peer in enumerate(peers):
                fx.neighbour(dev, k, peer, mac(r, 100 + k * 4 + p), fx.REACHABLE, fx.TRUE)
        write_device(out, "198.51.100.%d" % r, dev)
    v4 = fx.Device()
    fx.system(v4, "IPv4-only router", "1.3.6.1.4.1.8072.3.2.10", 1)
    write_device(out, "198.51.102.1", v4)
    hosts += [(["198.51.102.1"], "v4gw.ams.example.net"), (["198.51.102.2"], "sensor.ams.example.net")]
    with open(os.path.join(out, "hosts"), "w", encoding="ascii") as f:
        for addresses, name in hosts:
            f.writelines("%-28s %s\n" % (a, name) for a in addresses)
    with open(os.path.join(out, "etc", "conf", "tovra", "IPv6Prefix.conf"), "w", encoding="ascii") as f:
        f.writelines("%-24s %s\n" % p for p in prefixes)
    with open(os.path.join(out, "nes.txt"), "w", encoding="ascii") as f:
        f.writelines(line + "\n" for line in [name_of(r) for r in routers] + nes + ["198.51.102.1", "198.51.102.2"])


def write_device(out, address, dev):
    with open(os.path.join(out, "devices", address + ".snmprec"), "w", encoding="ascii") as f:
        f.writelines(line + "\n" for line in dev.lines())


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("n", type=int, help="routers, 2 to 250")
    p.add_argument("out")
    a = p.parse_args()
    if not 2 <= a.n <= 250:
        p.error("N must be from 2 to 250")
    write_network(a.n, a.out)


if __name__ == "__main__":
    main()
