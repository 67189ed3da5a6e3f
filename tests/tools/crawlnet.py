#!/usr/bin/env python3
"""A ring of generated IPv6 routers in replay, crawled from one of them.

    crawlnet.py write DIR [--routers N]
    crawlnet.py test --runner PATH [--plugin PATH] [--routers N] [--threads T] [--runs R]

Router i (0 to N-1) links to router i+1 and the last to the first: link j is 2001:db8:j::/64 (j in hex)
with 2001:db8:j::1 on router j (its interface 1, name "rj-a") and 2001:db8:j::2 on router j+1 (its
interface 2, name "rj+1-b"). Each router routes to the link beyond each neighbour through that neighbour
and holds both neighbours in its cache. Both of a router's names have its IPv4 management address,
198.18.i/250.i%250+1 (the replay file's name), so a router is reachable by two addresses whose names
differ: where the crawl's two fronts meet around the ring, one router is reached twice.
write puts DIR/devices/<IPv4>.snmprec and DIR/hosts; test runs --crawl from router 0's management address
on T workers and checks the report against the ring (run it where name lookups stay on the machine: the
ctest runs it in the test sandbox). Exit status 0 pass, 1 fail.
"""
import argparse, importlib.util, ipaddress, json, os, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "fixtures", os.path.join(HERE, "..", "fixtures", "snmp", "make-fixtures.py"))
fx = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(fx)


def mgmt(i):
    return "198.18.%d.%d" % (i // 250, i % 250 + 1)


def link(j, end):
    return str(ipaddress.IPv6Address("2001:db8:%x::%d" % (j, end)))


def ring(n):
    """Per router: (management address, [(ifIndex, address, name, peer address)]), the first interface
    toward router i+1, the second toward router i-1."""
    return [(mgmt(i), [(1, link(i, 1), "r%d-a" % i, link(i, 2)),
                       (2, link((i - 1) % n, 2), "r%d-b" % i, link((i - 1) % n, 1))]) for i in range(n)]


def write(folder, n):
    os.makedirs(os.path.join(folder, "devices"), exist_ok=True)
    hosts = ["# crawlnet ring of %d routers: each interface its own name, with the router's IPv4 address" % n]
    for i, (v4, ifaces) in enumerate(ring(n)):
        d = fx.Device()
        fx.system(d, "crawlnet ring router %d" % i, "1.3.6.1.4.1.8072.3.2.10", 1, 1)
        for k, addr, name, peer in ifaces:
            mac = lambda r, k: "02:00:00:%02X:%02X:%02X" % (r >> 8, r & 255, k)
            fx.interface(d, k, "eth%d" % k, fx.IFTABLE_IF + str(k), 1500, "", 0, mac(i, k), fx.UP, fx.UP, 100)
            fx.address(d, k, addr, 64, fx.UNKNOWN, fx.FALSE, fx.PREFERRED)
            net = ipaddress.IPv6Network(addr + "/64", strict=False)
            fx.prefix(d, k, str(net.network_address), 64, 16, fx.TRUE, fx.TRUE, 604800, 2592000)
            beyond = (i + 1) % n if k == 1 else (i - 2) % n    # the link on the neighbour's far side
            fx.route(d, "2001:db8:%x::" % beyond, 64, k, k, peer, fx.REMOTE, fx.TRUE)
            fx.neighbour(d, k, peer, mac((i + 1) % n if k == 1 else (i - 1) % n, 3 - k), fx.REACHABLE, fx.TRUE)
            hosts += ["%s %s" % (v4, name), "%s %s" % (addr, name)]
        with open(os.path.join(folder, "devices", v4 + ".snmprec"), "w", encoding="ascii") as f:
            f.write("\n".join(d.lines()) + "\n")
    with open(os.path.join(folder, "hosts"), "w", encoding="ascii") as f:
        f.write("\n".join(hosts) + "\n")


def check(args, work, n, extra, status, hop_of, merged, err="", cut=None):
    """Problems of one crawl from router 0 (hop_of(i): router i's hop, None where it must not be found;
    cut: the run stops at that many NEs, those nearest router 0), and (input list, report, seconds)."""
    cmd = [args.runner, "--replay", os.path.join(work, "devices"), "--hosts", os.path.join(work, "hosts"),
           "--threads", str(args.threads), "--format", "json", "--crawl"] + extra + [mgmt(0)]
    start = time.monotonic()
    r = subprocess.run(cmd + (["--plugin", args.plugin] if args.plugin else []), capture_output=True, text=True)
    seconds = time.monotonic() - start
    if r.returncode != status or r.stderr != err:
        return ["exit %d, expected %d; standard error %r, expected %r"
                % (r.returncode, status, r.stderr, err)], [], {}, seconds
    report, problems, seen = json.loads(r.stdout), [], {}
    router, managed = {}, {}    # every address and name of a router -> its number; management address -> it
    for i, (v4, ifaces) in enumerate(ring(n)):
        router.update({v4: i, **{a: i for _, a, _, _ in ifaces}, **{name: i for _, _, name, _ in ifaces}})
        managed[v4] = i
    for ne in report["nes"]:
        rec, via = ne.get("record") or {}, ne.get("foundVia")
        i = managed.get(rec.get("m_SnmpAccessIP") or rec.get("m_IpAddress"))    # where SNMP was asked
        where = "NE %s (router %s, name %s)" % (ne["input"], i, rec.get("m_Name"))
        if ne["status"] != "processed" or i is None or {router.get(ne["input"]), router.get(rec.get("m_Name"))} != {i}:
            problems.append("%s: status %s, or its input, name and management address are not one router's"
                            % (where, ne["status"]))
        elif i in seen:
            problems.append("%s: router %d is in the report twice" % (where, i))
        elif ne["hop"] != hop_of(i) or (via is None) != (i == 0):
            problems.append("%s: hop %s found via %s, expected hop %s" % (where, ne["hop"], via, hop_of(i)))
        elif via and (via["address"] != ne["input"] or seen.get(router.get(via["ne"])) != ne["hop"] - 1
                      or (router[via["ne"]] - i) % n not in (1, n - 1)):
            problems.append("%s: found via %s, which is no neighbour of hop %d" % (where, via, ne["hop"] - 1))
        seen.setdefault(i, ne["hop"])
    want = {i for i in range(n) if hop_of(i) is not None}
    if cut is not None:     # the nearest routers, those of the last hop reached in part
        last = max(seen.values(), default=0)
        want = {i for i in want if hop_of(i) < last} | (set(seen) & {i for i in want if hop_of(i) == last})
    problems += ["router %d is missing" % i for i in sorted(want - set(seen))]
    problems += ["router %d is found but should not be" % i for i in sorted(set(seen) - want)]
    crawl = report["crawl"]
    if (crawl["merged"], crawl["maxNesReached"], len(seen)) != (merged, cut is not None, cut or len(seen)):
        problems.append("crawl summary %s, %d NEs; expected merged %d, %s" % (crawl, len(seen), merged, cut))
    return problems, [ne["input"] for ne in report["nes"]], report, seconds


def cmd_test(args):
    n, failures = args.routers, 0
    dist = lambda i: min(i, n - i)
    cut = "ipv6disco: --crawl stopped at --max-nes 10: more NEs were found\n"
    rows = [  # extra arguments, exit status, hop of router i (None: not found), merged, standard error, cut
        ([], 0, dist, 1, "", None),     # the fronts meet once: one router reached by both its addresses
        (["--max-hops", "3"], 0, lambda i: dist(i) if dist(i) <= 3 else None, 0, "", None),
        (["--scope", "2001:db8::/44"], 0, lambda i: i if i <= 16 else None, 0, "", None),  # links 0 to f
        (["--exclude", "2001:db8:5::/64"], 0, lambda i: i if i <= 5 else n - i, 0, "", None),
        (["--max-nes", "10"], 3, dist, 0, cut, 10),
        (["--max-nes", str(n)], 0, dist, 0, "", None)]  # the one left out at the limit: the meeting router again
    with tempfile.TemporaryDirectory(prefix="crawlnet-") as work:
        write(work, n)
        for extra, status, hop_of, merged, err, limit in rows:
            runs = args.runs if not extra else 1
            orders = []
            for run in range(runs):
                problems, order, report, seconds = check(args, work, n, extra, status, hop_of, merged, err, limit)
                orders.append(order)
                if not extra and run == 0 and report:
                    print("%d routers on %d workers: %d NEs, %d merged, %d requests (%d PDUs), %.1f s"
                          % (n, args.threads, len(report["nes"]), report["crawl"]["merged"],
                             report["cost"]["requests"], report["cost"]["pdus"], seconds))
                if orders[0] != order:
                    problems.append("run %d found the NEs in another order than run 1" % (run + 1))
                print("%s (run %d): %s" % (" ".join(["--crawl"] + extra), run + 1,
                                                   "FAILED\n  " + "\n  ".join(problems) if problems else "ok"))
                failures += bool(problems)
    return 1 if failures else 0


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = p.add_subparsers(dest="cmd", required=True)
    w = sub.add_parser("write")
    w.add_argument("folder")
    t = sub.add_parser("test")
    t.add_argument("--runner", required=True)
    t.add_argument("--plugin")
    t.add_argument("--threads", type=int, default=16)
    t.add_argument("--runs", type=int, default=3, help="runs of the unbounded crawl, which must agree")
    for s in (w, t):
        s.add_argument("--routers", type=int, default=200)
    args = p.parse_args()
    if args.routers < 20:
        p.error("--routers must be at least 20")
    if args.cmd == "write":
        write(args.folder, args.routers)
        return 0
    return cmd_test(args)


if __name__ == "__main__":
    sys.exit(main())
