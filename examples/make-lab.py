#!/usr/bin/env python3
"""Writes the recorded devices of the demo network into lab/devices/.

The lab: three IPv6 routers (core1, edge1, edge2) joined by two links, an
upstream link to a router outside the lab, an IPv6 workstation (ws1), an
IPv4-only router (v4gw) and a sensor that answers no SNMP. Every device is
managed over IPv4, so each file is named by the device's IPv4 management
address: <address>.snmprec, lines OID|TAG|VALUE sorted by OID (the format the
snmpsim simulator serves and `ipv6disco --replay` reads). Only documentation
addresses are used (RFC 3849 2001:db8::/32, RFC 5737 203.0.113.0/24).

The names, prefix names, host history and NE list beside lab/devices are
written by hand; keep them in step with what is defined here. Run it after
changing a device and commit what it writes:

    examples/make-lab.py
"""
import ipaddress
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "lab", "devices")

# OIDs of the objects recorded (RFC 3418, RFC 1213, RFC 2465).
OIDS = {
    "sysDescr": "1.3.6.1.2.1.1.1",
    "sysObjectID": "1.3.6.1.2.1.1.2",
    "sysUpTime": "1.3.6.1.2.1.1.3",
    "ipForwarding": "1.3.6.1.2.1.4.1",
    "ipv6Forwarding": "1.3.6.1.2.1.55.1.1",
    "ipv6IfDescr": "1.3.6.1.2.1.55.1.5.1.2",
    "ipv6IfLowerLayer": "1.3.6.1.2.1.55.1.5.1.3",
    "ipv6IfEffectiveMtu": "1.3.6.1.2.1.55.1.5.1.4",
    "ipv6IfReasmMaxSize": "1.3.6.1.2.1.55.1.5.1.5",
    "ipv6IfIdentifier": "1.3.6.1.2.1.55.1.5.1.6",
    "ipv6IfIdentifierLength": "1.3.6.1.2.1.55.1.5.1.7",
    "ipv6IfPhysicalAddress": "1.3.6.1.2.1.55.1.5.1.8",
    "ipv6IfAdminStatus": "1.3.6.1.2.1.55.1.5.1.9",
    "ipv6IfOperStatus": "1.3.6.1.2.1.55.1.5.1.10",
    "ipv6IfLastChange": "1.3.6.1.2.1.55.1.5.1.11",
    "ipv6AddrPrefixOnLinkFlag": "1.3.6.1.2.1.55.1.7.1.3",
    "ipv6AddrPrefixAutonomousFlag": "1.3.6.1.2.1.55.1.7.1.4",
    "ipv6AddrPrefixAdvPreferredLifetime": "1.3.6.1.2.1.55.1.7.1.5",
    "ipv6AddrPrefixAdvValidLifetime": "1.3.6.1.2.1.55.1.7.1.6",
    "ipv6AddrPfxLength": "1.3.6.1.2.1.55.1.8.1.2",
    "ipv6AddrType": "1.3.6.1.2.1.55.1.8.1.3",
    "ipv6AddrAnycastFlag": "1.3.6.1.2.1.55.1.8.1.4",
    "ipv6AddrStatus": "1.3.6.1.2.1.55.1.8.1.5",
    "ipv6RouteIfIndex": "1.3.6.1.2.1.55.1.11.1.4",
    "ipv6RouteNextHop": "1.3.6.1.2.1.55.1.11.1.5",
    "ipv6RouteType": "1.3.6.1.2.1.55.1.11.1.6",
    "ipv6RouteValid": "1.3.6.1.2.1.55.1.11.1.14",
    "ipv6NetToMediaPhysAddress": "1.3.6.1.2.1.55.1.12.1.2",
    "ipv6IfNetToMediaState": "1.3.6.1.2.1.55.1.12.1.4",
    "ipv6NetToMediaValid": "1.3.6.1.2.1.55.1.12.1.6",
}

# snmprec tags.
INTEGER, OCTETS, OID, GAUGE32, TIMETICKS = "2", "4", "6", "66", "67"

UP, DOWN = 1, 2
STATELESS, STATEFUL, UNKNOWN = 1, 2, 3
TRUE, FALSE = 1, 2
PREFERRED = 1
LOCAL, REMOTE = 3, 4
REACHABLE, STALE = 1, 2
NET_SNMP = "1.3.6.1.4.1.8072.3.2.10"
IFTABLE_IF = "1.3.6.1.2.1.2.2.1.1."


def v6(text):
    return list(ipaddress.IPv6Address(text).packed)


def octets(text):
    """Bytes of "00:00:5E:00:53:11"-style text ("" for none)."""
    return [int(x, 16) for x in text.split(":")] if text else []


def eui64(mac):
    """The modified EUI-64 interface identifier of a MAC address (RFC 4291)."""
    b = octets(mac)
    return [b[0] ^ 0x02, b[1], b[2], 0xFF, 0xFE, b[3], b[4], b[5]]


def link_local(mac):
    return str(ipaddress.IPv6Address(bytes([0xFE, 0x80] + [0] * 6 + eui64(mac))))


class Device:
    """The bindings of one device: OID tuple -> (tag, value text)."""

    def __init__(self, descr, ip_forwarding, ipv6_forwarding=None):
        self.rows = {}
        self.scalar("sysDescr", OCTETS, descr)
        self.scalar("sysObjectID", OID, NET_SNMP)
        self.scalar("sysUpTime", TIMETICKS, "8640000")
        self.scalar("ipForwarding", INTEGER, str(ip_forwarding))
        if ipv6_forwarding is not None:
            self.scalar("ipv6Forwarding", INTEGER, str(ipv6_forwarding))

    def put(self, name, index, tag, value):
        oid = tuple(int(x) for x in OIDS[name].split(".")) + tuple(index)
        if oid in self.rows:
            raise SystemExit("duplicate OID %s" % ".".join(map(str, oid)))
        self.rows[oid] = (tag, value)

    def scalar(self, name, tag, value):
        self.put(name, [0], tag, value)

    def hex(self, name, index, data):
        self.put(name, index, OCTETS + "x", bytes(data).hex())

    def interface(self, if_index, descr, mac, admin=UP, oper=UP, mtu=1500):
        i = [if_index]
        self.put("ipv6IfDescr", i, OCTETS, descr)
        self.put("ipv6IfLowerLayer", i, OID, IFTABLE_IF + str(if_index) if mac else "0.0")
        self.put("ipv6IfEffectiveMtu", i, GAUGE32, str(mtu))
        self.put("ipv6IfReasmMaxSize", i, GAUGE32, "65535")
        self.hex("ipv6IfIdentifier", i, eui64(mac) if mac else [])
        self.put("ipv6IfIdentifierLength", i, INTEGER, "64" if mac else "0")
        self.hex("ipv6IfPhysicalAddress", i, octets(mac))
        self.put("ipv6IfAdminStatus", i, INTEGER, str(admin))
        self.put("ipv6IfOperStatus", i, INTEGER, str(oper))
        self.put("ipv6IfLastChange", i, TIMETICKS, "1200")

    def address(self, if_index, addr, pfx_len, addr_type=UNKNOWN):
        i = [if_index] + v6(addr)
        self.put("ipv6AddrPfxLength", i, INTEGER, str(pfx_len))
        self.put("ipv6AddrType", i, INTEGER, str(addr_type))
        self.put("ipv6AddrAnycastFlag", i, INTEGER, str(FALSE))
        self.put("ipv6AddrStatus", i, INTEGER, str(PREFERRED))

    def prefix(self, if_index, pfx, pfx_len, on_link=TRUE, autonomous=TRUE):
        """A prefix row indexed as RFC 2578 7.7 says for a variable-length
        OCTET STRING: a length sub-identifier, the 16 prefix octets, then the
        prefix length."""
        i = [if_index, 16] + v6(pfx) + [pfx_len]
        self.put("ipv6AddrPrefixOnLinkFlag", i, INTEGER, str(on_link))
        self.put("ipv6AddrPrefixAutonomousFlag", i, INTEGER, str(autonomous))
        self.put("ipv6AddrPrefixAdvPreferredLifetime", i, GAUGE32, "604800")
        self.put("ipv6AddrPrefixAdvValidLifetime", i, GAUGE32, "2592000")

    def route(self, dest, pfx_len, if_index, next_hop, route_type):
        i = v6(dest) + [pfx_len, 1]
        self.put("ipv6RouteIfIndex", i, INTEGER, str(if_index))
        self.hex("ipv6RouteNextHop", i, v6(next_hop))
        self.put("ipv6RouteType", i, INTEGER, str(route_type))
        self.put("ipv6RouteValid", i, INTEGER, str(TRUE))

    def neighbour(self, if_index, addr, mac, state=REACHABLE):
        i = [if_index] + v6(addr)
        self.hex("ipv6NetToMediaPhysAddress", i, octets(mac))
        self.put("ipv6IfNetToMediaState", i, INTEGER, str(state))
        self.put("ipv6NetToMediaValid", i, INTEGER, str(TRUE))

    def lines(self):
        for oid in sorted(self.rows):
            tag, value = self.rows[oid]
            yield "%s|%s|%s" % (".".join(map(str, oid)), tag, value)


# MAC addresses (RFC 7042 documentation range 00:00:5E:00:53:xx).
CORE1 = {2: "00:00:5E:00:53:11", 3: "00:00:5E:00:53:12", 4: "00:00:5E:00:53:13"}
EDGE1 = {2: "00:00:5E:00:53:21", 3: "00:00:5E:00:53:22", 4: "00:00:5E:00:53:23"}
EDGE2 = {2: "00:00:5E:00:53:31", 3: "00:00:5E:00:53:32"}
WS1 = "00:00:5E:00:53:A0"
LAPTOP = "00:00:5E:00:53:A1"
SENSOR = "00:00:5E:00:53:B0"
UPSTREAM = "00:00:5E:00:53:F1"


def router(d, macs, loopback, links):
    """Loopback interface 1 with ::1 and `loopback`/128, then one interface
    per (ifIndex, name, address/len, admin status) of `links`, each with its
    link-local address and its prefix."""
    d.interface(1, "lo", "", mtu=65536)
    d.address(1, "::1", 128)
    d.address(1, loopback, 128)
    for if_index, name, addr, admin in links:
        d.interface(if_index, name, macs[if_index], admin=admin, oper=admin)
        d.address(if_index, link_local(macs[if_index]), 64, STATELESS)
        net = ipaddress.IPv6Interface(addr)
        d.address(if_index, str(net.ip), net.network.prefixlen)
        d.prefix(if_index, str(net.network.network_address), net.network.prefixlen)
        d.route(str(net.network.network_address), net.network.prefixlen, if_index, "::", LOCAL)


def core1():
    d = Device("core1 IPv6 core router, lab release 3.1", 1, 1)
    router(d, CORE1, "2001:db8:100::1", [
        (2, "eth0", "2001:db8:110::1/64", UP),   # to edge1
        (3, "eth1", "2001:db8:120::1/64", UP),   # to edge2
        (4, "eth2", "2001:db8:1ff::2/64", UP),   # upstream, outside the lab
    ])
    d.route("::", 0, 4, "2001:db8:1ff::1", REMOTE)
    d.route("2001:db8:200::", 40, 2, "2001:db8:110::2", REMOTE)
    d.route("2001:db8:300::", 40, 3, "2001:db8:120::2", REMOTE)
    d.neighbour(2, "2001:db8:110::2", EDGE1[2])
    d.neighbour(2, link_local(EDGE1[2]), EDGE1[2])
    d.neighbour(3, "2001:db8:120::2", EDGE2[2])
    d.neighbour(4, "2001:db8:1ff::1", UPSTREAM, STALE)
    return d


def edge1():
    d = Device("edge1 IPv6 edge router, lab release 3.1", 1, 1)
    router(d, EDGE1, "2001:db8:2ff::1", [
        (2, "eth0", "2001:db8:110::2/64", UP),    # to core1
        (3, "eth1", "2001:db8:210::1/64", UP),    # office LAN
        (4, "eth2", "2001:db8:220::1/64", DOWN),  # spare LAN, switched off
    ])
    d.route("::", 0, 2, "2001:db8:110::1", REMOTE)
    d.neighbour(2, "2001:db8:110::1", CORE1[2])
    d.neighbour(3, "2001:db8:210::10", WS1)
    d.neighbour(3, "2001:db8:210::11", LAPTOP, STALE)
    d.neighbour(3, link_local(WS1), WS1)
    return d


def edge2():
    d = Device("edge2 IPv6 edge router, lab release 3.1", 1, 1)
    router(d, EDGE2, "2001:db8:3ff::1", [
        (2, "eth0", "2001:db8:120::2/64", UP),  # to core1
        (3, "eth1", "2001:db8:310::1/64", UP),  # server LAN
    ])
    # The default route points at core1's link-local address, so core1 is
    # known here from the neighbour cache only.
    d.route("::", 0, 2, link_local(CORE1[3]), REMOTE)
    d.neighbour(2, "2001:db8:120::1", CORE1[3])
    d.neighbour(2, link_local(CORE1[3]), CORE1[3])
    d.neighbour(3, "2001:db8:310::99", SENSOR)
    return d


def ws1():
    d = Device("ws1 IPv6 workstation", 2, 2)
    d.interface(1, "lo", "", mtu=65536)
    d.address(1, "::1", 128)
    d.interface(2, "eth0", WS1)
    d.address(2, link_local(WS1), 64, STATELESS)
    d.address(2, "2001:db8:210::10", 64, STATELESS)
    d.route("::", 0, 2, "2001:db8:210::1", REMOTE)
    d.neighbour(2, "2001:db8:210::1", EDGE1[3])
    return d


def v4gw():
    # No IPv6 MIB at all.
    return Device("v4gw IPv4-only gateway", 1)


DEVICES = {
    "203.0.113.1": core1,
    "203.0.113.2": edge1,
    "203.0.113.3": edge2,
    "203.0.113.10": ws1,
    "203.0.113.254": v4gw,
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for old in os.listdir(OUT):
        if old.endswith((".snmprec", ".walk")):
            os.remove(os.path.join(OUT, old))
    for address, make in sorted(DEVICES.items()):
        path = os.path.join(OUT, address + ".snmprec")
        with open(path, "w", encoding="ascii", newline="\n") as f:
            for line in make().lines():
                f.write(line + "\n")
        print("wrote", os.path.relpath(path, HERE))
    return 0


if __name__ == "__main__":
    sys.exit(main())
