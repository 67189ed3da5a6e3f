#!/usr/bin/env python3
"""A DNS server for benchmarks that answers slowly, as a distant server does: every answer (names of a
hosts-format file, forward A/AAAA and reverse PTR; NXDOMAIN for the rest) leaves after --delay
milliseconds, many in flight at once. Listens on 127.0.0.1:53 and ::1:53 (root, in a sandbox); prints
"ready" when it listens and, at SIGTERM, how many queries it answered.

    slowdns.py --hosts FILE [--delay 40]
"""
import argparse
import heapq
import ipaddress
import signal
import socket
import struct
import sys
import threading
import time


def load(path):
    names, reverse = {}, {}
    for line in open(path):
        words = line.split("#")[0].split()
        if len(words) < 2:
            continue
        address = ipaddress.ip_address(words[0])
        for name in words[1:]:
            names.setdefault(name.lower().rstrip("."), []).append(address)
        reverse.setdefault(address.reverse_pointer, words[1])
    return names, reverse


def encode_name(name):
    return b"".join(bytes([len(p)]) + p.encode() for p in name.rstrip(".").split(".") if p) + b"\0"


def answer(query, names, reverse):
    ident, flags, qd = struct.unpack("!HHH", query[:6])
    at, labels = 12, []
    while query[at]:
        labels.append(query[at + 1:at + 1 + query[at]].decode("ascii", "replace"))
        at += 1 + query[at]
    qtype, qclass = struct.unpack("!HH", query[at + 1:at + 5])
    question = query[12:at + 5]
    name = ".".join(labels).lower()
    records = []
    if qtype == 12 and name in reverse:
        records.append((12, encode_name(reverse[name])))
    for address in names.get(name, []) if qtype in (1, 28) else []:
        if (qtype == 1) == (address.version == 4):
            records.append((qtype, address.packed))
    known = name in reverse or name in names
    header = struct.pack("!HHHHHH", ident, 0x8180 | (flags & 0x0100) | (0 if known else 3), 1, len(records), 0, 0)
    body = b"".join(struct.pack("!HHHIH", 0xC00C, t, 1, 60, len(d)) + d for t, d in records)
    return header + question + body


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--hosts", required=True)
    p.add_argument("--delay", type=float, default=40.0)
    args = p.parse_args()
    names, reverse = load(args.hosts)
    count = [0]
    sockets = []
    for family, host in ((socket.AF_INET, "127.0.0.1"), (socket.AF_INET6, "::1")):
        s = socket.socket(family, socket.SOCK_DGRAM)
        s.bind((host, 53))
        sockets.append(s)

    # One thread sends every answer when its time comes (a thread per answer costs more CPU than the
    # answers, and would make this server, not the runner, what a benchmark measures).
    due, ready = [], threading.Condition()

    def serve(s):
        while True:
            query, peer = s.recvfrom(4096)
            count[0] += 1
            try:
                reply = answer(query, names, reverse)
            except (IndexError, struct.error):
                continue
            with ready:
                heapq.heappush(due, (time.monotonic() + args.delay / 1000, count[0], s, reply, peer))
                ready.notify()

    def send():
        while True:
            with ready:
                while not due or due[0][0] > time.monotonic():
                    ready.wait(due[0][0] - time.monotonic() if due else None)
                _, _, s, reply, peer = heapq.heappop(due)
            s.sendto(reply, peer)

    for s in sockets:
        threading.Thread(target=serve, args=(s,), daemon=True).start()
    threading.Thread(target=send, daemon=True).start()
    signal.signal(signal.SIGTERM, lambda *_: (print("queries answered: %d" % count[0], flush=True), sys.exit(0)))
    print("ready", flush=True)
    while True:
        time.sleep(3600)


if __name__ == "__main__":
    main()
