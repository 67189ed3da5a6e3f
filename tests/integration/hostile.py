#!/usr/bin/env python3
"""The runner live against lossy and hostile SNMP devices, in tests/integration/sandbox (as root), with the
demo lab's management addresses and 198.51.100.10 on loopback.
  hostile.py loss|devices --runner R [--plugin P] [--timeout T] [--retries N] [loss options below]
(--timeout 0.25 --retries 5 for loss, 0.5 and 1 for devices, unless given)

loss: the demo lab served by Device, discovered once without loss, then --batches x --runs times with --loss
random loss of each UDP datagram to and from the SNMP port (iptables statistic DROP; --one-way: requests only).
A JSON report, without its costs, that differs from the first must name the loss (an error report of a request
left unanswered or a walk stopped by no answer) on every NE that differs; with --must-match none may differ.
Prints the matches of each batch and wall times.
devices: one run of router r1 (served well) with one scripted device per row of ROWS, serving the same router
badly; each NE must end as its row says, the run within its bound, and r1's report must be as when alone.
"""
import argparse, bisect, json, os, random, shutil, socket, subprocess, sys, tempfile, threading, time

SRC = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
LAB = os.path.join(SRC, "examples", "lab")
ROUTER = os.path.join(SRC, "tests", "fixtures", "snmp", "devices", "198.51.100.10.snmprec")
PORT = 161

# One scripted device per row, named <behaviour>.hostile.example, on 127.0.0.<10 + row>: (behaviour, status,
# the texts that its reason or requester error reports hold, or a check of its report).
SAME = lambda ne, r1: ne["localNeighbours"] == r1["localNeighbours"] and ne["errors"] == r1["errors"]
ROWS = [
    ("slow", "processed", SAME),  # each reply 0.5 to 1.4 timeouts late: the same discovery as r1's
    # every third reply genErr, noSuchName, tooBig in turn (tooBig: the walk asks fewer repetitions)
    ("errors", "processed", ("error-status 5 (genErr)", "error-status 2 (noSuchName)")),
    ("repeat", "processed", "does not increase"),  # the OID after a row is the row itself
    ("loop", "processed", "does not increase"),  # after a column's last row, its first again
    # every text 60,000 octets long (GETBULK replies shortened to fit in 65,000 octets)
    ("big", "processed", lambda ne, r1: len(ne["localNeighbours"][0]["fields"]["ipv6IfDescr"]) == 60000),
    # replies above 300 octets cut in half: the GETs answered, every walk not
    ("truncated", "processed", ("though it answered the others", "could not be read")),
    ("malformed", "failed", "could not be read as replies"),  # every reply's length wrong
    ("wrong-id", "failed", "could not be read as replies"),  # every reply to another request-id
]


def tlv(tag, body):
    n = len(body)
    size = n.to_bytes((n.bit_length() + 7) // 8, "big")
    return bytes([tag]) + (bytes([n]) if n < 0x80 else bytes([0x80 | len(size)]) + size) + body


def integer(n, tag=2):
    return tlv(tag, n.to_bytes(((n if n >= 0 else ~n).bit_length() + 8) // 8, "big", signed=True))


def oid_bytes(oid):
    out = b""
    for n in [oid[0] * 40 + oid[1]] + list(oid[2:]):
        out += bytes([0x80 | (n >> 7 * k) & 0x7F for k in range((n.bit_length() - 1) // 7, 0, -1)] + [n & 0x7F])
    return tlv(6, out)


def parse(data, pos=0):
    """(tag, body, end) of the TLV at pos."""
    tag, n, pos = data[pos], data[pos + 1], pos + 2
    if n & 0x80:
        n, pos = int.from_bytes(data[pos:pos + (n & 0x7F)], "big"), pos + (n & 0x7F)
    return tag, data[pos:pos + n], pos + n


def items(body, pos=0):
    return [] if pos >= len(body) else [parse(body, pos)[:2]] + items(body, parse(body, pos)[2])


def parse_oid(body):
    out, n = [], 0
    for b in body:
        n = (n << 7) | (b & 0x7F)
        if not b & 0x80:
            out.append(n)
            n = 0
    return tuple([out[0] // 40, out[0] % 40] + out[1:])


def snmprec_value(tag, text, big):
    if tag in ("4", "4x", "64", "5"):
        value = bytes.fromhex(text) if tag == "4x" else socket.inet_aton(text) if tag == "64" else text.encode()
        return tlv({"64": 0x40, "5": 5}.get(tag, 4), b"x" * 60000 if big and tag == "4" else value)
    if tag == "6":
        return oid_bytes(tuple(int(x) for x in text.split(".")))
    return integer(int(text), {"2": 2, "65": 0x41, "66": 0x42, "67": 0x43, "70": 0x46}[tag])


class Device:
    """A UDP SNMPv2c agent serving an snmprec file, misbehaving as `behaviour` says (if in ROWS); answers every
    datagram."""

    def __init__(self, address, behaviour, timeout, snmprec=ROUTER):
        self.behaviour, self.timeout, self.replies = behaviour, timeout, 0
        rows = sorted((tuple(int(x) for x in o.split(".")), snmprec_value(t, v, behaviour == "big"))
                      for o, t, v in (line.rstrip("\n").split("|", 2) for line in open(snmprec)))
        self.oids, self.values = [r[0] for r in rows], [r[1] for r in rows]
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.bind((address, PORT))
        threading.Thread(target=self.serve, daemon=True).start()

    def next(self, oid):
        i = bisect.bisect_right(self.oids, oid)
        if self.behaviour == "loop" and len(oid) > 11 and (i == len(self.oids) or self.oids[i][:11] != oid[:11]):
            i = bisect.bisect_left(self.oids, oid[:11])  # the column's first row again
        if self.behaviour == "repeat" and i < len(self.oids) and self.oids[i - 1] == oid:
            i -= 1
        return (self.oids[i], self.values[i]) if i < len(self.oids) else (oid, b"\x82\x00")  # endOfMibView

    def answer(self, data):
        _, message, _ = parse(data)
        _, (_, community), (command, pdu) = items(message)
        (_, reqid), _, (_, maxrep), (_, binds) = items(pdu)
        oids = [parse_oid(items(b)[0][1]) for _, b in items(binds)]
        if command == 0xA0:  # GET
            found = [(o, self.values[self.oids.index(o)] if o in self.oids else b"\x80\x00") for o in oids]
        elif command == 0xA1:
            found = [self.next(o) for o in oids]
        else:
            found = []
            for _ in range(max(1, int.from_bytes(maxrep, "big"))):
                found += [self.next(o) for o in ([o for o, _ in found[-len(oids):]] if found else oids)]
        self.replies += 1
        status = 0
        if self.behaviour == "errors" and self.replies % 3 == 0:
            status, found = (5, 2, 1)[(self.replies // 3 - 1) % 3], [(o, b"\x05\x00") for o in oids]
        reply = b""
        while not reply or len(reply) > 65000:
            vbs = b"".join(tlv(0x30, oid_bytes(o) + v) for o, v in found)
            ident = int.from_bytes(reqid, "big", signed=True) + (self.behaviour == "wrong-id")
            body = integer(ident) + integer(status) + integer(1 if status else 0) + tlv(0x30, vbs)
            reply = tlv(0x30, integer(1) + tlv(4, community) + tlv(0xA2, body))
            found = found[:max(1, len(found) // 2)] if len(reply) > 65000 else found
        if self.behaviour == "truncated" and len(reply) > 300:
            reply = reply[:len(reply) // 2]
        if self.behaviour == "malformed":
            reply = reply[:1] + bytes([0x82]) + reply[1:]
        return reply

    def serve(self):
        while True:
            data, peer = self.sock.recvfrom(65535)
            reply = self.answer(data)
            wait = random.uniform(0.5, 1.4) * self.timeout if self.behaviour == "slow" else 0
            threading.Timer(wait, self.sock.sendto, (reply, peer)).start()


def run(args, nes, timeout, retries, more=()):
    """The runner's JSON report and its wall time."""
    cmd = [args.runner, "--format", "json", "--timeout", str(timeout), "--retries", str(retries),
           "--threads", str(len(nes))] + (["--plugin", args.plugin] if args.plugin else []) + list(more) + nes
    start = time.monotonic()
    done = subprocess.run(cmd, capture_output=True, check=False, timeout=600)
    if b"Sanitizer" in done.stderr or b"runtime error:" in done.stderr:  # a sanitized build's report
        sys.exit(done.stderr.decode(errors="replace"))
    return json.loads(done.stdout), time.monotonic() - start


def costless(report):
    return dict(report, cost=None, nes=[dict(ne, cost=None) for ne in report["nes"]])


def loss(args):
    lab = ["--hosts", os.path.join(LAB, "hosts"), "--etc-dir", os.path.join(LAB, "etc"), "--var-dir",
           os.path.join(LAB, "var")]
    nes = [ne for ne in (line.split("#")[0].strip() for line in open(os.path.join(LAB, "nes.txt"))) if ne]
    for f in os.listdir(os.path.join(LAB, "devices")):  # <address>.snmprec
        Device(f[:-len(".snmprec")], "well", args.timeout, os.path.join(LAB, "devices", f))
    report, base = run(args, nes, args.timeout, args.retries, lab)
    clean, failures = costless(report), 0
    print("%d NEs, %d request PDUs, without loss: %.2f s" % (len(nes), report["cost"]["pdus"], base))
    for way in ("--dport", "--sport")[:1 if args.one_way else 2]:
        subprocess.run(["iptables", "-A", "INPUT", "-p", "udp", way, str(PORT), "-m", "statistic",
                        "--mode", "random", "--probability", str(args.loss), "-j", "DROP"], check=True)
    for batch in range(args.batches):
        matches, walls = 0, []
        for _ in range(args.runs):
            report, wall = run(args, nes, args.timeout, args.retries, lab)
            walls.append(wall)
            report = costless(report)
            silent = [ne["input"] for ne, was in zip(report["nes"], clean["nes"]) if ne != was and not any(
                e["code"] == -230008 or e["code"] == -230003 and "no answer" in e["message"] for e in ne["errors"])]
            matches += report == clean
            failures += bool(silent) or args.must_match and report != clean
            if report != clean:
                print("  differs on %s%s" % ([ne["input"] for ne, was in zip(report["nes"], clean["nes"]) if ne != was],
                                            "; loss not named on %s" % silent if silent else ""))
        print("batch %d: %d of %d match, wall %.2f to %.2f s (mean %.2f)" % (
            batch + 1, matches, args.runs, min(walls), max(walls), sum(walls) / len(walls)))
    return 1 if failures else 0


def devices(args):
    with tempfile.TemporaryDirectory() as work:
        hosts = os.path.join(work, "hosts")
        open(hosts, "w").write("".join("127.0.0.%d %s.hostile.example\n" % (10 + i, row[0])
                                       for i, row in enumerate(ROWS)))
        Device("198.51.100.10", "well", args.timeout)
        alone, _ = run(args, ["198.51.100.10"], args.timeout, args.retries, ["--hosts", hosts])
        nes = ["198.51.100.10"] + ["127.0.0.%d" % (10 + i) for i in range(len(ROWS))]
        for i, (behaviour, _, _) in enumerate(ROWS):
            Device(nes[1 + i], behaviour, args.timeout)
        report, wall = run(args, nes, args.timeout, args.retries, ["--hosts", hosts])
    # Every NE in parallel; none asks more than twice the PDUs of r1 alone, each waited for at most every attempt,
    # and 5 s for starting up and naming.
    pdus = 2 * alone["nes"][0]["cost"]["pdus"]
    bound = pdus * args.timeout * (args.retries + 1) + 5
    faults = [] if wall <= bound else ["the run took %.1f s, above its bound %.1f s" % (wall, bound)]
    r1 = lambda r: (r["nes"][0], [k for k in r["links"] if k["ne"] == r["nes"][0]["record"]["m_UniqueAddress"]])
    if r1(costless(report)) != r1(costless(alone)):
        faults.append("r1's report differs from its report alone")
    for (behaviour, status, check), ne in zip(ROWS, report["nes"][1:]):
        said = [ne["reason"] or ""] + [e["message"] or "" for e in ne["errors"] if e["code"] <= -230000]
        cost = ne["cost"]  # each request PDU waits at most for every attempt
        limit = cost["pdus"] * args.timeout * (args.retries + 1) + 0.5
        print("%-9s %-9s %2d PDUs %5.2f s (bound %5.2f s)  %s" % (behaviour, ne["status"], cost["pdus"],
              cost["snmpSeconds"], limit, " | ".join(filter(None, said))))
        ok = check(ne, alone["nes"][0]) if callable(check) else all(any(t in s for s in said) for t in
                                                                     ([check] if isinstance(check, str) else check))
        if ne["status"] != status or not ok or cost["pdus"] > pdus or cost["snmpSeconds"] > limit:
            faults.append("%s: %s, expected %s and %s" % (behaviour, ne["status"], status, check))
    print("wall %.2f s, bound %.2f s" % (wall, bound))
    print("\n".join(faults) or "every row as expected")
    return 1 if faults else 0


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("mode", choices=("loss", "devices"))
    p.add_argument("--runner", required=True)
    p.add_argument("--plugin")
    for name, kind, default in (("--runs", int, 3), ("--batches", int, 1), ("--loss", float, 0.3),
                                ("--retries", int, None), ("--timeout", float, None)):
        p.add_argument(name, type=kind, default=default)
    p.add_argument("--one-way", action="store_true")
    p.add_argument("--must-match", action="store_true")
    args = p.parse_args()
    if os.environ.get("IPV6DISCO_SANDBOX") != "1":
        sys.exit("run it in tests/integration/sandbox: it changes the network namespace")
    if shutil.which("iptables") is None:
        print("iptables is not installed")
        return 1 if os.environ.get("CI") == "true" else 77
    if args.mode == "loss":
        args.retries, args.timeout = args.retries or 5, args.timeout or 0.25
        return loss(args)
    args.retries, args.timeout = 1 if args.retries is None else args.retries, args.timeout or 0.5
    return devices(args)


if __name__ == "__main__":
    sys.exit(main())
