#!/usr/bin/env python3
"""Reference vectors for the agent's IPv6 address toolkit.

Everything here is computed with Python's own `ipaddress` module (standard
library only), an implementation independent of the agent and of the C
library's inet_pton/inet_ntop. The output is deterministic for a given seed.

Output: one vector per line, fields separated by tabs.

  A  <hex32>  <compressed>  <exploded>  <scope>  <v4 kind>  <v4 dotted>
       An address: its 16 octets in hex, ipaddress's compressed text
       (RFC 5952), its exploded text, the agent's scope number as derived
       from ipaddress's networks and predicates, and for IPv4-mapped or
       IPv4-compatible addresses the kind ("mapped"/"compat") and the dotted
       text of the embedded IPv4 address ("-" and "-" otherwise).
  P  <hex32>  <length>  <network hex32>
       The network address of the address's prefix of that length.
  T  <0|1>  <exploded>  <text>
       A text, whether ipaddress accepts it as an IPv6 address and, when it
       does, the exploded text of that address ("-" otherwise). The text is
       the last field and may hold spaces.
"""

import argparse
import ipaddress
import random
import sys

NET = ipaddress.IPv6Network
GLOBAL = NET("2000::/3")
LINK_LOCAL = NET("fe80::/10")
SITE_LOCAL = NET("fec0::/10")
MULTICAST = NET("ff00::/8")
V4_MAPPED = NET("::ffff:0:0/96")
V4_COMPAT = NET("::/96")
UNSPECIFIED = ipaddress.IPv6Address("::")
LOOPBACK = ipaddress.IPv6Address("::1")

# Multicast scope field (low four bits of the second octet) to scope number.
MC_SCOPES = {0x1: 9, 0x2: 10, 0x5: 11, 0x8: 12, 0xE: 13}


def scope(a):
    """The agent's scope number: its tests in its order, first match wins."""
    for number, matches in ((5, a == UNSPECIFIED), (4, a == LOOPBACK), (1, a in LINK_LOCAL),
                            (2, a in SITE_LOCAL), (3, a in GLOBAL)):
        if matches:
            return number
    if a.ipv4_mapped is not None:
        return 6
    if a in V4_COMPAT:  # :: and ::1 were claimed above
        return 7
    if a.is_multicast:
        return MC_SCOPES.get(a.packed[1] & 0x0F, 8)
    return 0


def v4_tail(a):
    if a.ipv4_mapped is not None:
        return "mapped", str(a.ipv4_mapped)
    if a in V4_COMPAT and int(a) > 1:
        return "compat", str(ipaddress.IPv4Address(int(a) & 0xFFFFFFFF))
    return "-", "-"


def boundary_addresses():
    texts = [
        "::", "::1", "::2", "::0.0.0.2", "::192.0.2.1", "::ffff:0:0", "::ffff:192.0.2.1",
        "::ffff:ffff:ffff", "::fffe:0:1", "::1:0:0", "::1:0:0:0", "::0.1.0.0", "::ffff",
        "0:0:0:0:0:1:0:0", "0:0:0:0:1::", "1::", "1::1", "1:0:0:1:0:0:0:1", "1:0:0:2:3:0:0:4",
        "1:2:3:4:5:6:7:0", "0:1:2:3:4:5:6:7", "1:0:2:0:3:0:4:0", "0:0:1:0:0:1:0:0",
        "fe80::", "fe80::1", "febf:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "fec0::", "fec0::1",
        "feff::1", "fe7f:ffff::1", "ff00::", "ff01::1", "ff02::1", "ff03::1", "ff04::1",
        "ff05::2", "ff08::1", "ff0e::1", "ff0f::1", "ff12::1", "ff3e::8000:1", "ffff::",
        "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff", "1fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
        "2000::", "2001:db8::1", "2001:db8:1234:5678::1", "3fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff",
        "4000::", "4000::1", "fc00::1", "fd00::1", "64:ff9b::192.0.2.1", "100::",
        "8000::", "dfff:ffff::", "e000::", "fe00::", "::fe80:0:0:0", "0:0:0:0:ffff::",
        "::ffff:0:1", "0:0:0:1:ffff::1",
    ]
    return [ipaddress.IPv6Address(t) for t in texts]


def random_address(rng):
    groups = []
    zero_bias = rng.choice([0.0, 0.3, 0.6, 0.9])
    for _ in range(8):
        c = rng.random()
        if c < zero_bias:
            groups.append(0)
        elif c < zero_bias + (1 - zero_bias) * 0.15:
            groups.append(0xFFFF)
        elif c < zero_bias + (1 - zero_bias) * 0.4:
            groups.append(rng.randrange(1, 16))
        else:
            groups.append(rng.randrange(0x10000))
    kind = rng.randrange(12)
    if kind < 4:  # link-local, site-local, multicast, global
        base, span = [(0xFE80, 0x40), (0xFEC0, 0x40), (0xFF00, 0x100), (0x2000, 0x2000)][kind]
        groups[0] = base | rng.randrange(span)
    elif kind == 4:  # IPv4-mapped
        groups[:6] = [0, 0, 0, 0, 0, 0xFFFF]
    elif kind == 5:  # IPv4-compatible (or :: and ::1 now and then)
        groups[:6] = [0] * 6
        if groups[6] == 0 and groups[7] < 2:
            groups[7] = rng.randrange(2, 0x10000)
        if rng.random() < 0.1:
            groups[6], groups[7] = 0, rng.randrange(4)
    elif kind == 6:
        groups[0] = rng.randrange(0x20)
    return ipaddress.IPv6Address(int("".join("%04x" % g for g in groups), 16))


MUTATION_CHARS = "0123456789abcdefABCDEFgxG:.:.: /-_"


def text_forms(rng, a):
    """A few ways of writing `a` that ipaddress reads back."""
    mixed = "".join(ch.upper() if rng.random() < 0.5 else ch for ch in a.compressed)
    head = ":".join(g.lstrip("0") or "0" for g in a.exploded.split(":")[:6])
    tail = str(ipaddress.IPv4Address(int(a) & 0xFFFFFFFF))
    return [a.compressed, a.exploded, mixed, head + ":" + tail]


def mutate(rng, text):
    chars = list(text)
    for _ in range(rng.randrange(1, 4)):
        op = rng.randrange(7)
        pos = rng.randrange(len(chars) + 1)
        last = min(pos, len(chars) - 1)
        if op == 0 and chars:
            del chars[last]
        elif op == 1:
            chars.insert(pos, rng.choice(MUTATION_CHARS))
        elif op == 2 and chars:
            chars[last] = rng.choice(MUTATION_CHARS)
        elif op == 3:
            chars[pos:pos] = list("::")
        elif op == 4:
            chars = chars[:pos]
        elif op == 5:
            chars.append(":")
        else:
            chars.insert(0, ":")
    return "".join(chars)


def parse(text):
    """(1, exploded text) when ipaddress accepts `text`, else (0, "-")."""
    try:
        return 1, ipaddress.IPv6Address(text).exploded
    except ValueError:
        return 0, "-"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=20465)
    parser.add_argument("--count", type=int, default=3000, help="random addresses")
    parser.add_argument("--prefix-count", type=int, default=150,
                        help="addresses cut at every length 0..128")
    parser.add_argument("--text-count", type=int, default=3000, help="mutated texts")
    args = parser.parse_args()
    rng = random.Random(args.seed)

    addresses = boundary_addresses() + [random_address(rng) for _ in range(args.count)]
    out = sys.stdout
    for a in addresses:
        kind, dotted = v4_tail(a)
        out.write("A\t%s\t%s\t%s\t%d\t%s\t%s\n" %
                  (a.packed.hex(), a.compressed, a.exploded, scope(a), kind, dotted))

    for a in addresses[:args.prefix_count] + [ipaddress.IPv6Address(2**128 - 1)]:
        for length in range(129):
            network = NET((int(a), length), strict=False).network_address
            out.write("P\t%s\t%d\t%s\n" % (a.packed.hex(), length, network.packed.hex()))

    for _ in range(args.text_count):
        a = rng.choice(addresses)
        text = rng.choice(text_forms(rng, a))
        if rng.random() < 0.75:
            text = mutate(rng, text)
        if "\t" in text or "\n" in text or "%" in text:
            continue
        valid, exploded = parse(text)
        out.write("T\t%d\t%s\t%s\n" % (valid, exploded, text))


if __name__ == "__main__":
    main()
