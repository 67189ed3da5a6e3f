#!/usr/bin/env python3
"""IPv6 reference vectors from Python's ipaddress, deterministic for a seed (--seed N); tab-split lines:
A hex32 compressed exploded scope v4-kind(mapped/compat/-) v4-dotted; P hex32 length network-hex32;
T accepted(0/1) exploded-or-- text."""
import ipaddress, random, sys

A, NET, V4 = ipaddress.IPv6Address, ipaddress.IPv6Network, ipaddress.IPv4Address
BOUNDARY = """:: ::1 ::2 ::0.0.0.2 ::192.0.2.1 ::ffff:0:0 ::ffff:192.0.2.1 ::ffff:ffff:ffff ::fffe:0:1 ::1:0:0
    ::1:0:0:0 ::0.1.0.0 ::ffff 0:0:0:0:0:1:0:0 0:0:0:0:1:: 1:: 1::1 1:0:0:1:0:0:0:1 1:0:0:2:3:0:0:4
    1:2:3:4:5:6:7:0 0:1:2:3:4:5:6:7 1:0:2:0:3:0:4:0 0:0:1:0:0:1:0:0 fe80:: fe80::1
    febf:ffff:ffff:ffff:ffff:ffff:ffff:ffff fec0:: fec0::1 feff::1 fe7f:ffff::1 ff00:: ff01::1 ff02::1 ff03::1
    ff04::1 ff05::2 ff08::1 ff0e::1 ff0f::1 ff12::1 ff3e::8000:1 ffff::
    ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff 1fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff 2000:: 2001:db8::1
    2001:db8:1234:5678::1 3fff:ffff:ffff:ffff:ffff:ffff:ffff:ffff 4000:: 4000::1 fc00::1 fd00::1
    64:ff9b::192.0.2.1 100:: 8000:: dfff:ffff:: e000:: fe00:: ::fe80:0:0:0 0:0:0:0:ffff:: ::ffff:0:1
    0:0:0:1:ffff::1""".split()
MUTATION_CHARS = "0123456789abcdefABCDEFgxG:.:.: /-_"


def scope(a):
    """The agent's scope number: its tests in its order; multicast by its scope field."""
    for number, matches in ((5, a == A("::")), (4, a == A("::1")), (1, a in NET("fe80::/10")),
                            (2, a in NET("fec0::/10")), (3, a in NET("2000::/3")),
                            (6, a.ipv4_mapped is not None), (7, a in NET("::/96"))):
        if matches:
            return number
    return {0x1: 9, 0x2: 10, 0x5: 11, 0x8: 12, 0xE: 13}.get(a.packed[1] & 0x0F, 8) if a.is_multicast else 0


def v4_tail(a):
    if a.ipv4_mapped or (a in NET("::/96") and int(a) > 1):
        return "mapped" if a.ipv4_mapped else "compat", str(V4(int(a) & 0xFFFFFFFF))
    return "-", "-"


def random_address(rng):
    bias = rng.choice([0.0, 0.3, 0.6, 0.9])
    groups = [0 if (c := rng.random()) < bias else 0xFFFF if c < bias + (1 - bias) * 0.15 else
              rng.randrange(1, 16) if c < bias + (1 - bias) * .4 else rng.randrange(65536) for _ in range(8)]
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
    return A(int("".join("%04x" % g for g in groups), 16))


def text_form(rng, a):
    mixed = "".join(ch.upper() if rng.random() < 0.5 else ch for ch in a.compressed)
    head = ":".join(g.lstrip("0") or "0" for g in a.exploded.split(":")[:6])
    chars = list(rng.choice([a.compressed, a.exploded, mixed, head + ":" + str(V4(int(a) & 0xFFFFFFFF))]))
    for _ in range(rng.randrange(1, 4) if rng.random() < 0.75 else 0):
        op, pos = rng.randrange(7), rng.randrange(len(chars) + 1)
        last = min(pos, len(chars) - 1)
        if op == 0 and chars:
            del chars[last]
        elif op == 1:
            chars.insert(pos, rng.choice(MUTATION_CHARS))
        elif op == 2 and chars:
            chars[last] = rng.choice(MUTATION_CHARS)
        else:  # also 0 and 2 when nothing is left
            chars = {3: chars[:pos] + [":", ":"] + chars[pos:], 4: chars[:pos],
                     5: chars + [":"]}.get(op, [":"] + chars)
    return "".join(chars)


rng = random.Random(int(sys.argv[sys.argv.index("--seed") + 1]) if "--seed" in sys.argv else 20465)
addresses = [A(t) for t in BOUNDARY] + [random_address(rng) for _ in range(3000)]
for a in addresses:
    print("A\t%s\t%s\t%s\t%d\t%s\t%s" % ((a.packed.hex(), a.compressed, a.exploded, scope(a)) + v4_tail(a)))
for a in addresses[:150] + [A(2**128 - 1)]:
    for length in range(129):
        network = NET((int(a), length), strict=False).network_address
        print("P\t%s\t%d\t%s" % (a.packed.hex(), length, network.packed.hex()))
for _ in range(3000):
    text = text_form(rng, rng.choice(addresses))
    if not any(c in text for c in "\t\n%"):
        try:
            print("T\t1\t%s\t%s" % (A(text).exploded, text))
        except ValueError:
            print("T\t0\t-\t%s" % text)
