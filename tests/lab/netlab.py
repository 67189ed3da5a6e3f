#!/usr/bin/env python3
"""A lab of real Linux routers in network namespaces, discovered live.

    h1 --lan1-- r1 --t12-- r2 --t23-- r3 [lan3: up, no carrier]
    h2 --lan2--/           [spare0: administratively down, address kept]

Each device is a namespace "<prefix>-<name>" running snmpd on an IPv4-only management bridge in
"<prefix>-ctl", where the runner runs with a private hosts file that answers every lookup of the
agent.  What the runner must find is derived from the kernels' own state (ip -j).
  netlab.py run | test | record-fixtures | replay-test  --runner PATH [--plugin PATH]
  netlab.py run ... --keep   leaves the lab up; netlab.py down WORKDIR removes it
(see cmd_test; test is ctest lab_live, replay-test, the fixtures against their golden report, lab_replay)
Exit status: 0 pass, 1 fail, 77 skipped (no root, namespaces or snmpd; a failure under CI=true).
"""
import argparse, contextlib, difflib, ipaddress, json, os, re, secrets, shutil, signal, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FIXTURES = os.path.join(ROOT, "tests", "fixtures", "lab")
MGMT = "198.18.0"          # management network (RFC 2544 benchmarking range), /24
# name: (management host number, router?)
DEVICES = {"r1": (1, True), "r2": (2, True), "r3": (3, True), "h1": (11, False), "h2": (12, False)}
ORDER = ["r1", "r2", "r3", "h1", "h2"]
# veth links: (device, interface, addresses), (device, interface, addresses)
LINKS = [(("r1", "lan1", ["2001:db8:1::1/64"]), ("h1", "eth0", ["2001:db8:1::10/64"])),
    (("r1", "lan2", ["2001:db8:2::1/64"]), ("h2", "eth0", ["2001:db8:2::10/64", "2001:db8:2::11/64"])),
    (("r1", "t12", ["2001:db8:12::1/64"]), ("r2", "t12", ["2001:db8:12::2/64"])),
    (("r2", "t23", ["2001:db8:23::2/64"]), ("r3", "t23", ["2001:db8:23::3/64"]))]
# port-less bridges (no carrier): (device, interface, addresses, administratively up?).  On lan3
# snmpd's ipv6IfAdminStatus is wrong (IFF_RUNNING); spare0 keeps its address (keep_addr_on_down).
STUBS = [("r3", "lan3", ["2001:db8:3::1/64"], True), ("r2", "spare0", ["2001:db8:99::2/64"], False)]
ROUTES = {"r1": [("2001:db8:23::/64", "2001:db8:12::2"), ("2001:db8:3::/64", "2001:db8:12::2")],
          "r2": [("2001:db8:1::/64", "2001:db8:12::1"), ("2001:db8:2::/64", "2001:db8:12::1"),
                 ("2001:db8:3::/64", "2001:db8:23::3")], "r3": [("default", "2001:db8:23::2")],
          "h1": [("default", "2001:db8:1::1")], "h2": [("default", "2001:db8:2::1")]}
# datagrams that fill the neighbour caches on the way and back (the answer is an ICMPv6 port
# unreachable; Debian's base system has no ping): (from, to).  Nobody has 2001:db8:2::99: r1's
# cache keeps it as FAILED, which snmpd does not serve.
POKES = [("r1", "2001:db8:2::99"), ("h1", "2001:db8:2::10"), ("h1", "2001:db8:3::1"), ("h2", "2001:db8:23::3"),
         ("r1", "2001:db8:2::11"), ("r2", "2001:db8:23::3"), ("r3", "2001:db8:12::1")]
# prefix names given to the agent (its IPv6Prefix.conf); no host history is given
PREFIX_NAMES = [("2001:db8:1::/64", "lan-h1"), ("2001:db8:2::/64", "lan-h2"),
                ("2001:db8:12::/64", "transit-r1-r2"), ("2001:db8:23::/64", "transit-r2-r3")]
POKE = ("import socket, sys, time\ns = socket.socket(socket.AF_INET6, socket.SOCK_DGRAM)\n"
        "for _ in range(3): s.sendto(b'netlab', (sys.argv[1], 9)); time.sleep(0.1)\n")
# snmpd serves only what discovery reads (system, interfaces, ip without its counters, ifMIB,
# ipv6MIB): no data of the machine (processes, software, disks) reaches the recorded walks.
SNMPD_CONF = ("agentaddress udp:{addr}:161\n" + "".join(
    "view lab %s .1.3.6.1.2.1.%s\n" % v for v in [("included", "1"), ("included", "2"), ("included", "4"),
    ("excluded", "4.31"), ("included", "31"), ("included", "55")]) + "rocommunity public default -V lab\n"
    "sysName {name}\nsysLocation netlab\nsysContact netlab\nsysServices 72\n")


def mgmt_ip(dev):
    return "%s.%d" % (MGMT, DEVICES[dev][0])


def run(cmd, check=True, **kw):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kw)
    if check and r.returncode != 0:
        raise RuntimeError("%s: exit %d: %s" % (" ".join(cmd), r.returncode, r.stderr.strip()))
    return r


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def write_etc(etc):
    write(os.path.join(etc, "conf", "tovra", "IPv6Prefix.conf"),
          "# prefix names of the netlab lab\n" + "".join("%s %s\n" % p for p in PREFIX_NAMES))


class Lab:
    """Namespaces "<prefix>-<device>" (a fresh prefix per lab), snmpds and a work folder;
    close() removes all of it, at any point of up() too."""

    def __init__(self, work=None):     # work: the folder of a lab kept by --keep
        self.work, self.made = work or tempfile.mkdtemp(prefix="netlab-"), []
        if work:
            self.prefix = open(os.path.join(work, "prefix")).read().strip()
            self.made = [self.ns(d) for d in ["ctl"] + ORDER]
        else:
            self.prefix = "nl" + secrets.token_hex(3)
            write(os.path.join(self.work, "prefix"), self.prefix + "\n")
            write_etc(os.path.join(self.work, "etc"))

    def ns(self, dev):
        return "%s-%s" % (self.prefix, dev)

    def ip(self, dev, *args):
        return run(["ip", "-n", self.ns(dev)] + list(args))

    def exec(self, dev, *cmd, check=True, **kw):
        return run(["ip", "netns", "exec", self.ns(dev)] + list(cmd), check=check, **kw)

    def up(self):
        sysctl = lambda dev, *settings: self.exec(dev, "sysctl", "-q", "-w", *settings)
        for dev in ["ctl"] + ORDER:
            run(["ip", "netns", "add", self.ns(dev)])
            self.made.append(self.ns(dev))
            self.ip(dev, "link", "set", "lo", "up")
        sysctl("ctl", "net.ipv6.conf.all.disable_ipv6=1", "net.ipv6.conf.default.disable_ipv6=1")
        self.ip("ctl", "link", "add", "br0", "type", "bridge")
        self.ip("ctl", "addr", "add", MGMT + ".254/24", "dev", "br0")
        self.ip("ctl", "link", "set", "br0", "up")
        for dev in ORDER:       # before any interface exists, so that "default" reaches them all
            sysctl(dev, "net.ipv6.conf.all.accept_dad=0", "net.ipv6.conf.default.accept_dad=0",
                   "net.ipv6.conf.all.accept_ra=0", "net.ipv6.conf.default.accept_ra=0",
                   "net.ipv6.conf.all.forwarding=%d" % DEVICES[dev][1])
            self.ip("ctl", "link", "add", "m-" + dev, "type", "veth", "peer", "name", "mgmt0", "netns", self.ns(dev))
            self.ip("ctl", "link", "set", "m-" + dev, "master", "br0", "up")
            sysctl(dev, "net.ipv6.conf.mgmt0.disable_ipv6=1")
            self.ip(dev, "addr", "add", mgmt_ip(dev) + "/24", "dev", "mgmt0")
            self.ip(dev, "link", "set", "mgmt0", "up")
        count = {dev: 0 for dev in ORDER}
        def mac(dev):           # fixed, so that link-local addresses are the same every run
            count[dev] += 1
            return "02:00:00:00:%02x:%02x" % (DEVICES[dev][0], count[dev])
        def configure(dev, name, addresses, admin_up=True):
            sysctl(dev, "net.ipv6.neigh.%s.base_reachable_time_ms=3600000" % name,
                   "net.ipv6.neigh.%s.gc_stale_time=3600" % name, "net.ipv6.conf.%s.keep_addr_on_down=1" % name)
            self.ip(dev, "link", "set", name, "up")
            for a in addresses:
                self.ip(dev, "-6", "addr", "add", a, "dev", name, "nodad")
            if not admin_up:
                self.ip(dev, "link", "set", name, "down")
        for (da, ia, aa), (db, ib, ab) in LINKS:
            self.ip(da, "link", "add", ia, "address", mac(da), "type", "veth",
                    "peer", "name", ib, "address", mac(db), "netns", self.ns(db))
            configure(da, ia, aa)
            configure(db, ib, ab)
        for dev, name, addresses, admin_up in STUBS:
            self.ip(dev, "link", "add", name, "address", mac(dev), "type", "bridge")
            configure(dev, name, addresses, admin_up)
        for dev, routes in ROUTES.items():
            for prefix, via in routes:
                self.ip(dev, "-6", "route", "add", prefix, "via", via)
        for dev in ORDER:
            d = os.path.join(self.work, dev)
            write(os.path.join(d, "snmpd.conf"), SNMPD_CONF.format(addr=mgmt_ip(dev), name=dev))
            self.exec(dev, "snmpd", "-C", "-c", d + "/snmpd.conf", "-Lf", d + "/snmpd.log",
                      "-p", d + "/snmpd.pid", env=dict(os.environ, SNMP_PERSISTENT_DIR=d, MIBS=""))
        for src, dst in POKES:
            self.exec(src, sys.executable, "-c", POKE, dst)
        self.wait_until("snmpd answers", lambda: all(
            self.exec("ctl", "snmpget", "-v2c", "-c", "public", "-t", "0.2", "-r", "0", mgmt_ip(dev),
                      ".1.3.6.1.2.1.1.5.0", check=False).returncode == 0 for dev in ORDER))
        # snmpd serves INCOMPLETE entries with an empty link-layer address; they turn
        # FAILED (not served) within about 3 s.
        self.wait_until("no neighbour entry is INCOMPLETE", lambda: not any(
            '"INCOMPLETE"' in self.ip(dev, "-6", "-j", "neigh").stdout for dev in ORDER))

    def wait_until(self, what, ready, seconds=10):
        deadline = time.time() + seconds
        while not ready():
            time.sleep(0.1)
            if time.time() > deadline:
                raise RuntimeError("lab: not ready after %d s: %s (see %s)" % (seconds, what, self.work))

    def close(self):
        for dev in ORDER:
            try:
                pid = int(open(os.path.join(self.work, dev, "snmpd.pid")).read().split()[0])
                os.kill(pid, signal.SIGTERM)
                for _ in range(50):     # until it is gone (os.kill raises then)
                    os.kill(pid, 0)
                    time.sleep(0.05)
            except (OSError, ValueError, IndexError):
                pass
        for name in reversed(self.made):
            run(["ip", "netns", "del", name], check=False)
        shutil.rmtree(self.work, ignore_errors=True)


@contextlib.contextmanager
def lab_up(keep=False):
    """A lab that is up, removed at the end (on success with keep: left up, and said how to remove it)."""
    lab = Lab()
    try:
        lab.up()
        yield lab
    except BaseException:
        lab.close()
        raise
    if keep:
        print("lab kept: namespaces %s-*; remove it with: %s down %s" % (lab.prefix, sys.argv[0], lab.work))
    else:
        lab.close()


def kernel_state(lab):
    """Per device what `ip -j` gives (the local table's routes too, which snmpd serves) and forwarding."""
    j = lambda dev, *args: json.loads(lab.ip(dev, "-j", *args).stdout)
    return {dev: {"links": j(dev, "link"), "addrs": j(dev, "-6", "addr"), "neigh": j(dev, "-6", "neigh"),
                  "routes": j(dev, "-6", "route", "show", "table", "main")
                            + j(dev, "-6", "route", "show", "table", "local"),
                  "forwarding": lab.exec(dev, "sysctl", "-n", "net.ipv6.conf.all.forwarding").stdout.strip() == "1"}
            for dev in ORDER}


def norm(addr=None, mac=False):
    """An IPv6 address in compressed form ("::" for none); with mac=True a link-layer address
    as 12 lower-case hex digits ("-" for none)."""
    if not mac:
        return ipaddress.IPv6Address(addr or "::").compressed
    h = (addr or "").replace(":", "").replace("-", "").lower()
    return "-" if addr is None else h if len(h) == 12 else addr


def device_addresses(st):
    return [(link["ifindex"], norm(a["local"]), a["prefixlen"])
            for link in st["addrs"] for a in link.get("addr_info", []) if a.get("family") == "inet6"]


def expectation(state):
    """What the runner must report, by the agent's rules: {"locals": {dev: {(ifIndex, address,
    length)}}, "remotes": {dev: {(ifIndex, address): sorted [(remote, mac)]}}, "links": {(dev,
    ifIndex, remote): (owning device or None, frozenset of local addresses)}}."""
    exp = {"locals": {}, "remotes": {}, "links": {}}
    # every name resolves to all IPv6 addresses of its device (the first device owning one wins)
    owner = {a: dev for dev in reversed(ORDER) for _, a, _ in device_addresses(state[dev])}
    odd = lambda ip: ip.is_loopback or ip.is_unspecified or ip.is_multicast or ip.ipv4_mapped
    for dev in ORDER:
        st = state[dev]
        exp["locals"][dev], exp["remotes"][dev] = set(), {}
        if not st["forwarding"]:        # hosts get no neighbours
            continue
        admin_up = {l["ifindex"]: "UP" in l["flags"] for l in st["links"]}
        ifindex = {l["ifname"]: l["ifindex"] for l in st["links"]}
        own = {a for _, a, _ in device_addresses(st)}
        exp["locals"][dev] = {(ifx, a, plen) for ifx, a, plen in device_addresses(st)
                              if admin_up[ifx] and not odd(ipaddress.IPv6Address(a))}
        # remote: site-local, global or unknown scope, not own
        remote = lambda a: a not in own and not (ipaddress.IPv6Address(a).is_link_local
                                                 or odd(ipaddress.IPv6Address(a)))
        remotes = {}            # ifIndex -> [[address, mac]]: one per route, then the cache's
        for r in st["routes"]:
            if r.get("gateway") and remote(norm(r["gateway"])):
                remotes.setdefault(ifindex[r["dev"]], []).append([norm(r["gateway"]), "-"])
        for n in st["neigh"]:   # FAILED entries have no lladdr, and snmpd does not serve them
            a, ifx = norm(n["dst"]), ifindex[n["dev"]]
            if remote(a) and "lladdr" in n:
                same = [rec for rec in remotes.get(ifx, []) if rec[0] == a]
                for rec in same:
                    rec[1] = norm(n["lladdr"], mac=True)
                if not same:
                    remotes.setdefault(ifx, []).append([a, norm(n["lladdr"], mac=True)])
        for ifx, a, _ in exp["locals"][dev]:
            exp["remotes"][dev][(ifx, a)] = sorted(tuple(x) for x in remotes.get(ifx, []))
        for ifx, recs in remotes.items():
            on_if = frozenset(a for i, a, _ in exp["locals"][dev] if i == ifx)
            for rec in recs if on_if else []:
                exp["links"][(dev, ifx, rec[0])] = (owner.get(rec[0]), on_if)
    return exp


def compare(exp, report):
    """Differences from expectation(); every NE must also be processed, under its management address."""
    out, by_unique, links = [], {}, {}
    for dev, ne in zip(ORDER, report["nes"] + [{"status": None, "localNeighbours": []}] * len(ORDER)):
        unique = (ne.get("record") or {}).get("m_UniqueAddress")
        by_unique[unique] = dev
        if ne["status"] != "processed":
            out.append("%s: status %s, expected processed" % (dev, ne["status"]))
        if unique != mgmt_ip(dev):
            out.append("%s: m_UniqueAddress %s, expected %s" % (dev, unique, mgmt_ip(dev)))
        got, remotes = set(), {}
        for ln in ne["localNeighbours"]:
            f = ln["fields"]
            key = (f.get("ipv6IfIndex"), norm(f.get("ipv6AddrAddress")), f.get("ipv6AddrPfxLength"))
            got.add(key)
            remotes[key[:2]] = sorted((norm(r.get("m_RemoteNbrIpAddr")), norm(r.get("m_RemoteNbrMacAddr"), mac=True))
                                      for r in ln["remoteNeighbours"])
        e, er = exp["locals"][dev], exp["remotes"][dev]
        out += ["%s: missing local neighbour %s" % (dev, x) for x in sorted(e - got)]
        out += ["%s: unexpected local neighbour %s" % (dev, x) for x in sorted(got - e, key=str)]
        out += ["%s: remote neighbours (address, mac) of %s:\n    expected %s\n    got      %s"
                % (dev, k, er[k], remotes[k]) for k in sorted(set(er) & set(remotes)) if er[k] != remotes[k]]
    for link in report["links"]:
        key = (by_unique.get(link["ne"], link["ne"]), link["ifIndex"], norm(link["remote"]))
        links[key] = ("twice", frozenset()) if key in links else (
            by_unique.get(link["remoteNe"], link["remoteNe"]), frozenset(norm(a) for a in link.get("locals", [])))
    show = lambda v: "none" if v is None else "%s via locals %s" % (v[0], sorted(v[1]))
    return out + ["link %s: expected %s, got %s" % (k, show(exp["links"].get(k)), show(links.get(k)))
                  for k in sorted(set(exp["links"]) | set(links), key=str) if exp["links"].get(k) != links.get(k)]


def hosts_text(state, name="%s"):
    """The runner's hosts file: per device its management address, then every IPv6 address."""
    lines = ["# netlab: every name has its IPv4 management address first, then all its IPv6",
             "# addresses, so forward and reverse lookups of the agent stay in this file."]
    for dev in ORDER:
        lines += ["%s %s" % (a, name % dev) for a in [mgmt_ip(dev)] +
                  [a for _, a, _ in sorted(device_addresses(state[dev])) if a != "::1"]]
    return "\n".join(lines) + "\n"


def runner_cmd(args, hosts, *extra):
    """The runner on the lab's NEs, with the configuration beside the hosts file (prefix names)."""
    etc = os.path.join(os.path.dirname(hosts), "etc")
    return ([args.runner, "--hosts", hosts, "--etc-dir", etc, "--var-dir", etc, "--threads", "2"]
            + (["--plugin", args.plugin] if args.plugin else []) + list(extra) + ORDER)


def discover(lab, args, *extra):
    """(kernels' state, hosts file written from it, the runner's result in the control namespace),
    where /etc's name files are private: no resolver, "hosts: files" and an /etc/hosts giving
    every lab address a "leaked-" name, so a lookup that leaves the runner's hosts file shows."""
    state, w = kernel_state(lab), lab.work
    hosts = os.path.join(w, "hosts")
    write(hosts, hosts_text(state))
    write(os.path.join(w, "sys", "hosts"), hosts_text(state, "leaked-%s"))
    write(os.path.join(w, "sys", "resolv.conf"), "")
    write(os.path.join(w, "sys", "nsswitch.conf"), "hosts: files\n")
    script = ("mount --make-rprivate / && for f in hosts resolv.conf nsswitch.conf; do "
              "mount --bind \"$0/sys/$f\" /etc/$f || exit 1; done && exec \"$@\"")
    return state, hosts, run(["ip", "netns", "exec", lab.ns("ctl"), "unshare", "--mount", "--",
                              "sh", "-c", script, w] + runner_cmd(args, hosts, *extra), check=False)


def record_walks(lab, args, folder):
    """Records every device with `ipv6disco record` from the control namespace into
    folder/<address>.snmprec; the problems, if it fails."""
    for f in os.listdir(folder) if os.path.isdir(folder) else []:
        if f.endswith((".walk", ".snmprec")):
            os.unlink(os.path.join(folder, f))
    r = lab.exec("ctl", args.runner, "record", "--timeout", "2", "--threads", "2", "--out", folder,
                 *[mgmt_ip(dev) for dev in ORDER], check=False)
    return [] if r.returncode == 0 else ["ipv6disco record ended with %d: %s" % (r.returncode, r.stderr.strip())]


def problems_of(result, state):
    """What is wrong with a run with --format json: its exit status, its report against the kernels' state, or
    a name from outside the hosts file in it."""
    try:
        report = json.loads(result.stdout)
    except ValueError:
        report = None
    if report is None or result.returncode != 0:
        return ["the runner ended with %d%s: %s" % (result.returncode, "" if report is not None else
                                                    " (no JSON report)", result.stderr.strip()[-2000:])]
    leaked = ['a name lookup left the hosts file (a "leaked-" name is in the report)'] * ("leaked-" in result.stdout)
    return compare(expectation(state), report) + leaked


def steady(report):
    """A JSON report with the seconds it reports as 0: what stays the same from run to run."""
    return re.sub(r'Seconds": [0-9.e-]+', 'Seconds": 0', report)


def diff(a, b, names):
    lines = list(difflib.unified_diff(a.splitlines(True), b.splitlines(True), *names))
    return "".join(lines[:80]) + ("...\n" if len(lines) > 80 else "")


def preflight():
    """Why the lab cannot run on this machine, or None."""
    if os.geteuid() != 0:
        return "needs root (network namespaces)"
    for tool in ("ip", "snmpd", "snmpwalk", "snmpget", "unshare", "sysctl"):
        if shutil.which(tool) is None:
            return "%s is not installed (scripts/setup installs it)" % tool
    name = "nlcheck" + secrets.token_hex(3)
    r = run(["ip", "netns", "add", name], check=False)
    run(["ip", "netns", "del", name], check=False)
    return None if r.returncode == 0 else "cannot create a network namespace: " + r.stderr.strip()


def cmd_test(args):
    """run: the text report, then check (a); test: checks (a) and (b); record-fixtures: the same,
    the walks, hosts file and configuration becoming tests/fixtures/lab (the replay's report its
    expected.json)."""
    failures, t0, record = [], time.time(), args.cmd == "record-fixtures"
    def check(name, problems):
        print("%s: %s" % (name, "FAILED\n  " + "\n  ".join(problems) if problems else "ok"))
        failures.extend(problems)
    with lab_up(getattr(args, "keep", False)) as lab:
        if args.cmd == "run":
            text = discover(lab, args)[2]
            sys.stdout.write(text.stdout)
            sys.stderr.write(text.stderr)
        state, hosts, live = discover(lab, args, "--format", "json")
        check("(a) the live run matches the kernels' state", problems_of(live, state))
        walks = FIXTURES if record else os.path.join(lab.work, "walks")
        if args.cmd != "run":
            recorded = record_walks(lab, args, walks)
            replay = run(runner_cmd(args, hosts, "--replay", walks, "--format", "json"), check=False)
            check("(b) the replay of the recording gives the live report (seconds aside) byte for byte",
                  recorded + ([] if steady(replay.stdout) == steady(live.stdout) else
                              [diff(steady(live.stdout), steady(replay.stdout), ("live", "replay"))]))
        if record:
            shutil.copy(hosts, os.path.join(FIXTURES, "hosts"))
            write_etc(os.path.join(FIXTURES, "etc"))
    if record:
        write(os.path.join(FIXTURES, "expected.json"), steady(replay_fixtures(args).stdout))
        print("wrote %s: %d walks, hosts, etc/, expected.json" % (FIXTURES, len(ORDER)))
    print("lab %s: %s in %.1f s" % (args.cmd, "FAILED" if failures else "passed", time.time() - t0))
    return 1 if failures else 0


def replay_fixtures(args):
    return run(runner_cmd(args, os.path.join(FIXTURES, "hosts"), "--replay", FIXTURES, "--format", "json"),
               check=False)


def cmd_replay_test(args):
    r = replay_fixtures(args)
    r.stdout = steady(r.stdout)
    with open(os.path.join(FIXTURES, "expected.json")) as f:
        golden = f.read()
    if r.stdout == golden:
        print("lab replay: the report equals tests/fixtures/lab/expected.json")
        return 0
    print("lab replay: the report differs from tests/fixtures/lab/expected.json (exit %d; regenerate "
          "with tests/lab/netlab.py record-fixtures if the change is meant):\n%s%s"
          % (r.returncode, diff(golden, r.stdout, ("expected.json", "replay")), r.stderr[-2000:]))
    return 1


def crawl_hops(edges, max_hops, scope, exclude):
    """{device: hop} of a breadth-first walk from r1 over the kernels' links (device, remote address,
    owner) whose remote address is in scope and not excluded."""
    hop, front = {"r1": 0}, ["r1"]
    while front and (max_hops is None or hop[front[0]] < max_hops):
        found = []
        for dev, remote, owner in ((d, ipaddress.IPv6Address(r), o) for d, r, o in edges if d in front):
            if owner not in hop and any(remote in n for n in scope) and not any(remote in n for n in exclude):
                hop[owner] = hop[dev] + 1
                found.append(owner)
        front = found
    return hop


def cmd_crawl_test(args):
    """crawl-test (ctest lab_crawl): --crawl from r1's management address alone finds the devices the
    kernels' state connects to it (a router's next hops and neighbour cache), each once, at its hop, within
    --max-hops, --scope and --exclude."""
    net = lambda *p: [ipaddress.IPv6Network(x) for x in p]
    failures, t0, every = [], time.time(), net("2000::/3", "fc00::/7")
    rows = [([], None, every, []), (["--max-hops", "1"], 1, every, []),
            (["--scope", "2001:db8:12::/64"], None, net("2001:db8:12::/64"), []),
            (["--exclude", "2001:db8:2::/64"], None, every, net("2001:db8:2::/64")),
            (["--scope", "2001:db8::/40", "--exclude", "2001:db8:12::/64"], None, net("2001:db8::/40"),
             net("2001:db8:12::/64"))]     # extra arguments, then what they mean: max hops, scope, exclude
    with lab_up() as lab:
        state, w = kernel_state(lab), lab.work
        hosts, by_ip = os.path.join(w, "hosts"), {mgmt_ip(d): d for d in ORDER}
        write(hosts, hosts_text(state))
        for f, text in (("hosts", hosts_text(state, "leaked-%s")), ("resolv.conf", ""),
                        ("nsswitch.conf", "hosts: files\n")):     # as discover() has them
            write(os.path.join(w, "sys", f), text)
        script = ("mount --make-rprivate / && for f in hosts resolv.conf nsswitch.conf; do "
                  "mount --bind \"$0/sys/$f\" /etc/$f || exit 1; done && exec \"$@\"")
        edges = sorted((d, r, o) for (d, _, r), (o, _) in expectation(state)["links"].items() if o)
        for extra, max_hops, scope, exclude in rows:
            cmd = runner_cmd(args, hosts, "--format", "json", "--crawl", *extra)[:-len(ORDER)] + [mgmt_ip("r1")]
            start = time.time()
            r = run(["ip", "netns", "exec", lab.ns("ctl"), "unshare", "--mount", "--", "sh", "-c", script, w] + cmd,
                    check=False)
            seconds = time.time() - start
            try:
                report = json.loads(r.stdout)
            except ValueError:
                report = None
            problems = [] if report is not None and r.returncode == 0 else [
                "the runner ended with %d: %s" % (r.returncode, r.stderr.strip()[-2000:])]
            hop, dev_of = {}, {}      # device -> hop; NE input -> device
            for ne in (report or {}).get("nes", []):
                rec, via = ne.get("record") or {}, ne.get("foundVia")
                dev = by_ip.get(rec.get("m_SnmpAccessIP") or rec.get("m_IpAddress"))   # where SNMP was asked
                if ne["status"] != "processed" or dev is None or dev in hop or (via is None) != (ne["hop"] == 0):
                    problems.append("NE %s (%s): status %s, hop %s via %s%s"
                                    % (ne["input"], dev, ne["status"], ne["hop"], via, ", twice" * (dev in hop)))
                elif via and (dev_of.get(via["ne"]), norm(via["address"]), dev) not in edges:
                    problems.append("NE %s (%s): found via %s, no link of the kernels" % (ne["input"], dev, via))
                hop[dev], dev_of[ne["input"]] = ne["hop"], dev
            expected = crawl_hops(edges, max_hops, scope, exclude)
            if hop != expected:
                problems.append("hops %s, expected %s" % (sorted(hop.items(), key=str), sorted(expected.items())))
            if "leaked-" in r.stdout:
                problems.append('a name lookup left the hosts file (a "leaked-" name is in the report)')
            print("%s from r1: %d NEs in %.1f s: %s" % (" ".join(["--crawl"] + extra), len(hop), seconds,
                  "FAILED\n  " + "\n  ".join(problems) if problems else "ok"))
            failures += problems
    print("lab crawl-test: %s in %.1f s" % ("FAILED" if failures else "passed", time.time() - t0))
    return 1 if failures else 0


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = p.add_subparsers(dest="cmd", required=True)
    for name in ("run", "test", "record-fixtures", "replay-test", "crawl-test"):
        s = sub.add_parser(name)
        s.add_argument("--runner", required=True)
        s.add_argument("--plugin")
        if name == "run":
            s.add_argument("--keep", action="store_true")
    sub.add_parser("down").add_argument("workdir")
    args = p.parse_args()
    if args.cmd == "down":
        Lab(args.workdir).close()
        return 0
    if args.cmd == "replay-test":
        return cmd_replay_test(args)
    # Ctrl-C and SIGTERM unwind through the clean-up, even where SIGINT came in ignored.
    signal.signal(signal.SIGINT, signal.default_int_handler)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    why, ci = preflight(), os.environ.get("CI") == "true"
    if why:
        print("netlab: %s: %s" % ("FAILED" if ci else "SKIPPED", why + (" (CI must run the lab)" if ci else "")),
              file=sys.stderr)
        return 1 if ci else 77
    return cmd_crawl_test(args) if args.cmd == "crawl-test" else cmd_test(args)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:       # the commands' clean-up has run
        sys.exit(130)
