#!/usr/bin/env python3
"""A lab of real Linux routers in network namespaces, discovered live.

    h1 --lan1-- r1 --t12-- r2 --t23-- r3 [lan3: up, no carrier]
    h2 --lan2--/           [spare0: administratively down, address kept]

Each device is a network namespace "<prefix>-<name>" (a fresh prefix per run, so
runs may overlap) running Debian's snmpd on an IPv4-only management bridge in the
namespace "<prefix>-ctl" (198.18.0.0/24), where the runner runs with a private
hosts file.  Routers forward IPv6, have static routes via global next hops and
fixed MACs; all addresses are 2001:db8::/32, added with nodad.  What the runner
must find is derived from the kernels' own state (ip -j addr/route/neigh).

  netlab.py run --runner PATH [--plugin PATH] [--keep]   up, discover, check, down
  netlab.py test --runner PATH [--plugin PATH]           the live checks (ctest lab_live)
  netlab.py record-fixtures --runner PATH [--plugin PATH]  rewrite tests/fixtures/lab
  netlab.py replay-test --runner PATH [--plugin PATH]    fixtures vs golden (ctest lab_replay)
  netlab.py down WORKDIR                                 remove a lab kept by --keep

NEs are given to the runner by name, in the order r1 r2 r3 h1 h2.  In the hosts
file every name has its IPv4 management address first and then every IPv6
address of its device, link-locals included: an NE's "m_UniqueAddress" is its
management address, each lab address names its device, and every forward or
reverse lookup of the agent is answered from the file (the live checks prove
it).  Exit status: 0 pass, 1 fail, 77 skipped (no root, namespaces or snmpd;
under CI=true a failure instead).
"""
import argparse, difflib, ipaddress, json, os, secrets, shutil, signal, subprocess, sys, tempfile, time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FIXTURES = os.path.join(ROOT, "tests", "fixtures", "lab")
MGMT = "198.18.0"          # management network (RFC 2544 benchmarking range), /24

# name: (management host number, router?)
DEVICES = {"r1": (1, True), "r2": (2, True), "r3": (3, True), "h1": (11, False), "h2": (12, False)}
ORDER = ["r1", "r2", "r3", "h1", "h2"]
# veth links: (device, interface, addresses), (device, interface, addresses)
LINKS = [
    (("r1", "lan1", ["2001:db8:1::1/64"]), ("h1", "eth0", ["2001:db8:1::10/64"])),
    (("r1", "lan2", ["2001:db8:2::1/64"]), ("h2", "eth0", ["2001:db8:2::10/64", "2001:db8:2::11/64"])),
    (("r1", "t12", ["2001:db8:12::1/64"]), ("r2", "t12", ["2001:db8:12::2/64"])),
    (("r2", "t23", ["2001:db8:23::2/64"]), ("r3", "t23", ["2001:db8:23::3/64"])),
]
# stub interfaces, port-less bridges (the dummy driver may be missing), so without
# carrier: (device, interface, addresses, administratively up?).  lan3 is up with
# no carrier, a case snmpd's own ipv6IfAdminStatus gets wrong (it reports
# IFF_RUNNING there); spare0 is down and keeps its address (keep_addr_on_down).
STUBS = [("r3", "lan3", ["2001:db8:3::1/64"], True),
         ("r2", "spare0", ["2001:db8:99::2/64"], False)]
ROUTES = {
    "r1": [("2001:db8:23::/64", "2001:db8:12::2"), ("2001:db8:3::/64", "2001:db8:12::2")],
    "r2": [("2001:db8:1::/64", "2001:db8:12::1"), ("2001:db8:2::/64", "2001:db8:12::1"),
           ("2001:db8:3::/64", "2001:db8:23::3")],
    "r3": [("default", "2001:db8:23::2")],
    "h1": [("default", "2001:db8:1::1")],
    "h2": [("default", "2001:db8:2::1")],
}
# datagrams that fill the neighbour caches on the way and back (the answer is an
# ICMPv6 port unreachable; Debian's base system has no ping): (from, to)
POKES = [("h1", "2001:db8:2::10"), ("h1", "2001:db8:3::1"), ("h2", "2001:db8:23::3"),
         ("r1", "2001:db8:2::11"), ("r2", "2001:db8:23::3"), ("r3", "2001:db8:12::1")]
# an address nobody has: r1's cache keeps it as FAILED, which snmpd does not serve
UNANSWERED = ("r1", "2001:db8:2::99")
# prefix names given to the agent (its IPv6Prefix.conf); no host history is given
PREFIX_NAMES = [("2001:db8:1::/64", "lan-h1"), ("2001:db8:2::/64", "lan-h2"),
                ("2001:db8:12::/64", "transit-r1-r2"), ("2001:db8:23::/64", "transit-r2-r3")]
POKE = ("import socket, sys, time\n"
        "s = socket.socket(socket.AF_INET6, socket.SOCK_DGRAM)\n"
        "for _ in range(3):\n"
        "    s.sendto(b'netlab', (sys.argv[1], 9)); time.sleep(0.1)\n")
# snmpd serves only what discovery reads (system, interfaces, ip without its traffic
# counters, ifMIB, ipv6MIB), so that no host data (processes, software, disks) of
# the machine reaches the recorded walks.
SNMPD_CONF = """agentaddress udp:{addr}:161
view lab included .1.3.6.1.2.1.1
view lab included .1.3.6.1.2.1.2
view lab included .1.3.6.1.2.1.4
view lab excluded .1.3.6.1.2.1.4.31
view lab included .1.3.6.1.2.1.31
view lab included .1.3.6.1.2.1.55
rocommunity public default -V lab
sysName {name}
sysLocation netlab
sysContact netlab
sysServices 72
"""


class Skip(Exception):
    """The machine cannot run the lab (no root, namespaces or snmpd)."""


def mgmt_ip(dev):
    return "%s.%d" % (MGMT, DEVICES[dev][0])


def run(cmd, check=True):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
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
    """One lab: namespaces "<prefix>-<device>", snmpd processes and a work folder.
    close() removes all of it, at any point of up() too."""

    def __init__(self, work=None):
        self.work = work or tempfile.mkdtemp(prefix="netlab-")
        if work:                # a lab kept by --keep
            with open(os.path.join(work, "prefix")) as f:
                self.prefix = f.read().strip()
            self.made = [self.ns(d) for d in ["ctl"] + ORDER]
        else:
            self.prefix, self.made = "nl" + secrets.token_hex(3), []
            write(os.path.join(self.work, "prefix"), self.prefix + "\n")
            write_etc(os.path.join(self.work, "etc"))

    def ns(self, dev):
        return "%s-%s" % (self.prefix, dev)

    def ip(self, dev, *args):
        return run(["ip", "-n", self.ns(dev)] + list(args))

    def exec(self, dev, *cmd, check=True):
        return run(["ip", "netns", "exec", self.ns(dev)] + list(cmd), check=check)

    def sysctl(self, dev, *settings):
        self.exec(dev, "sysctl", "-q", "-w", *settings)

    def up(self):
        for dev in ["ctl"] + ORDER:
            run(["ip", "netns", "add", self.ns(dev)])
            self.made.append(self.ns(dev))
            self.ip(dev, "link", "set", "lo", "up")
        self.sysctl("ctl", "net.ipv6.conf.all.disable_ipv6=1", "net.ipv6.conf.default.disable_ipv6=1")
        self.ip("ctl", "link", "add", "br0", "type", "bridge")
        self.ip("ctl", "addr", "add", MGMT + ".254/24", "dev", "br0")
        self.ip("ctl", "link", "set", "br0", "up")
        for dev in ORDER:       # before any interface exists, so that "default" reaches them all
            self.sysctl(dev, "net.ipv6.conf.all.accept_dad=0", "net.ipv6.conf.default.accept_dad=0",
                        "net.ipv6.conf.all.accept_ra=0", "net.ipv6.conf.default.accept_ra=0",
                        "net.ipv6.conf.all.forwarding=%d" % DEVICES[dev][1])
            self.ip("ctl", "link", "add", "m-" + dev, "type", "veth", "peer", "name", "mgmt0",
                    "netns", self.ns(dev))
            self.ip("ctl", "link", "set", "m-" + dev, "master", "br0", "up")
            self.sysctl(dev, "net.ipv6.conf.mgmt0.disable_ipv6=1")
            self.ip(dev, "addr", "add", mgmt_ip(dev) + "/24", "dev", "mgmt0")
            self.ip(dev, "link", "set", "mgmt0", "up")
        count = {dev: 0 for dev in ORDER}
        def mac(dev):           # fixed, so that link-local addresses are the same every run
            count[dev] += 1
            return "02:00:00:00:%02x:%02x" % (DEVICES[dev][0], count[dev])
        def configure(dev, name, addresses):
            self.sysctl(dev, "net.ipv6.neigh.%s.base_reachable_time_ms=3600000" % name,
                        "net.ipv6.neigh.%s.gc_stale_time=3600" % name,
                        "net.ipv6.conf.%s.keep_addr_on_down=1" % name)
            self.ip(dev, "link", "set", name, "up")
            for a in addresses:
                self.ip(dev, "-6", "addr", "add", a, "dev", name, "nodad")
        for (da, ia, aa), (db, ib, ab) in LINKS:
            self.ip(da, "link", "add", ia, "address", mac(da), "type", "veth",
                    "peer", "name", ib, "address", mac(db), "netns", self.ns(db))
            configure(da, ia, aa)
            configure(db, ib, ab)
        for dev, name, addresses, admin_up in STUBS:
            self.ip(dev, "link", "add", name, "address", mac(dev), "type", "bridge")
            configure(dev, name, addresses)
            if not admin_up:
                self.ip(dev, "link", "set", name, "down")
        for dev, routes in ROUTES.items():
            for prefix, via in routes:
                self.ip(dev, "-6", "route", "add", prefix, "via", via)
        self.exec(UNANSWERED[0], sys.executable, "-c", POKE, UNANSWERED[1])
        for dev in ORDER:
            self.start_snmpd(dev)
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
            if time.time() > deadline:
                raise RuntimeError("lab: not ready after %d s: %s (see %s)" % (seconds, what, self.work))
            time.sleep(0.1)

    def start_snmpd(self, dev):
        d = os.path.join(self.work, dev)
        write(os.path.join(d, "snmpd.conf"), SNMPD_CONF.format(addr=mgmt_ip(dev), name=dev))
        subprocess.run(["ip", "netns", "exec", self.ns(dev), "snmpd", "-C", "-c", d + "/snmpd.conf",
                        "-Lf", d + "/snmpd.log", "-p", d + "/snmpd.pid"],
                       env=dict(os.environ, SNMP_PERSISTENT_DIR=d, MIBS=""), check=True)

    def close(self):
        for dev in ORDER:
            try:
                with open(os.path.join(self.work, dev, "snmpd.pid")) as f:
                    pid = int(f.read().split()[0])
                os.kill(pid, signal.SIGTERM)
                for _ in range(50):     # until it is gone (os.kill raises then)
                    os.kill(pid, 0)
                    time.sleep(0.05)
            except (OSError, ValueError, IndexError):
                pass
        for name in reversed(self.made):
            run(["ip", "netns", "del", name], check=False)
        shutil.rmtree(self.work, ignore_errors=True)


# ---------------------------------------------------------------- expectation

def kernel_state(lab):
    """Per device the kernel's interfaces, IPv6 addresses, routes, neighbour cache and
    forwarding switch, as `ip -j` gives them.  snmpd serves the local table's routes
    too; they never have a gateway, so they add no remote neighbour."""
    def j(dev, *args):
        return json.loads(lab.ip(dev, "-j", *args).stdout)
    return {dev: {"links": j(dev, "link"), "addrs": j(dev, "-6", "addr"),
                  "routes": j(dev, "-6", "route", "show", "table", "main")
                            + j(dev, "-6", "route", "show", "table", "local"),
                  "neigh": j(dev, "-6", "neigh"),
                  "forwarding": lab.exec(dev, "sysctl", "-n", "net.ipv6.conf.all.forwarding").stdout.strip() == "1"}
            for dev in ORDER}


def norm(addr):
    return ipaddress.IPv6Address(addr).compressed


def norm_mac(m):
    """Link-layer address as 12 lower-case hex digits; "-" for none."""
    if m is None:
        return "-"
    h = m.replace(":", "").replace("-", "").lower()
    return h if len(h) == 12 else m


def device_addresses(st):
    """[(ifindex, address, prefix length)] of every IPv6 address of a device."""
    return [(link["ifindex"], norm(a["local"]), a["prefixlen"])
            for link in st["addrs"] for a in link.get("addr_info", []) if a.get("family") == "inet6"]


def expectation(state):
    """What the runner must report, derived from the kernels' state by the agent's rules:
    {"locals": {dev: {(ifIndex, address, length)}},
     "remotes": {dev: {(ifIndex, address): sorted [(remote, mac)]}},
     "links": {(dev, ifIndex, remote): (owning device or None, frozenset of local addresses)}}."""
    exp = {"locals": {}, "remotes": {}, "links": {}}
    owner = {}                  # every name resolves to all IPv6 addresses of its device
    for dev in ORDER:
        for _, a, _ in device_addresses(state[dev]):
            owner.setdefault(a, dev)
    for dev in ORDER:
        st = state[dev]
        exp["locals"][dev], exp["remotes"][dev] = set(), {}
        if not st["forwarding"]:        # hosts get no neighbours
            continue
        admin_up = {l["ifindex"]: "UP" in l["flags"] for l in st["links"]}
        ifindex = {l["ifname"]: l["ifindex"] for l in st["links"]}
        own = {a for _, a, _ in device_addresses(st)}
        for ifx, a, plen in device_addresses(st):
            ip = ipaddress.IPv6Address(a)
            if admin_up[ifx] and not (ip.is_loopback or ip.is_unspecified or ip.is_multicast or ip.ipv4_mapped):
                exp["locals"][dev].add((ifx, a, plen))
        def remote(a):          # site-local, global or unknown scope, not own
            ip = ipaddress.IPv6Address(a)
            return a not in own and not (ip.is_link_local or ip.is_unspecified or ip.is_multicast
                                         or ip.is_loopback or ip.ipv4_mapped)
        remotes = {}            # ifIndex -> [[address, mac]]: one per route, then the cache's
        for r in st["routes"]:
            if r.get("gateway") and remote(norm(r["gateway"])):
                remotes.setdefault(ifindex[r["dev"]], []).append([norm(r["gateway"]), "-"])
        for n in st["neigh"]:   # FAILED entries have no lladdr, and snmpd does not serve them
            a, ifx = norm(n["dst"]), ifindex[n["dev"]]
            if remote(a) and "lladdr" in n:
                same = [rec for rec in remotes.get(ifx, []) if rec[0] == a]
                for rec in same:
                    rec[1] = norm_mac(n["lladdr"])
                if not same:
                    remotes.setdefault(ifx, []).append([a, norm_mac(n["lladdr"])])
        for ifx, a, _ in exp["locals"][dev]:
            exp["remotes"][dev][(ifx, a)] = sorted(tuple(x) for x in remotes.get(ifx, []))
        for ifx, recs in remotes.items():
            on_if = frozenset(a for i, a, _ in exp["locals"][dev] if i == ifx)
            for rec in recs if on_if else []:
                exp["links"][(dev, ifx, rec[0])] = (owner.get(rec[0]), on_if)
    return exp


def observed(report):
    """The shape of expectation() read from the runner's JSON report, plus each NE's
    status and "m_UniqueAddress"."""
    obs = {"locals": {}, "remotes": {}, "links": {}, "status": {}, "unique": {}}
    by_unique = {}
    for dev, ne in zip(ORDER, report["nes"]):
        unique = (ne.get("record") or {}).get("m_UniqueAddress")
        by_unique[unique], obs["status"][dev], obs["unique"][dev] = dev, ne["status"], unique
        obs["locals"][dev], obs["remotes"][dev] = set(), {}
        for ln in ne["localNeighbours"]:
            f = ln["fields"]
            key = (f.get("ipv6IfIndex"), norm(f.get("ipv6AddrAddress", "::")), f.get("ipv6AddrPfxLength"))
            obs["locals"][dev].add(key)
            obs["remotes"][dev][key[:2]] = sorted(
                (norm(r.get("m_RemoteNbrIpAddr", "::")), norm_mac(r.get("m_RemoteNbrMacAddr")))
                for r in ln["remoteNeighbours"])
    for link in report["links"]:
        key = (by_unique.get(link["ne"], link["ne"]), link["ifIndex"], norm(link["remote"]))
        if key in obs["links"]:
            obs["links"][key] = ("twice", frozenset())
        else:
            obs["links"][key] = (by_unique.get(link["remoteNe"], link["remoteNe"]),
                                 frozenset(norm(a) for a in link.get("locals", [])))
    return obs


def compare(exp, obs):
    """One line per difference; empty when the report matches."""
    out = []
    for dev in ORDER:
        if obs["status"].get(dev) != "processed":
            out.append("%s: status %s, expected processed" % (dev, obs["status"].get(dev)))
        if obs["unique"].get(dev) != mgmt_ip(dev):
            out.append("%s: m_UniqueAddress %s, expected %s" % (dev, obs["unique"].get(dev), mgmt_ip(dev)))
        e, o = exp["locals"][dev], obs["locals"].get(dev, set())
        out += ["%s: missing local neighbour %s" % (dev, x) for x in sorted(e - o)]
        out += ["%s: unexpected local neighbour %s" % (dev, x) for x in sorted(o - e, key=str)]
        for key in sorted(set(exp["remotes"][dev]) & set(obs["remotes"].get(dev, {}))):
            if exp["remotes"][dev][key] != obs["remotes"][dev][key]:
                out.append("%s: remote neighbours (address, mac) of %s:\n    expected %s\n    got      %s"
                           % (dev, key, exp["remotes"][dev][key], obs["remotes"][dev][key]))
    e, o = exp["links"], obs["links"]
    for k in sorted(set(e) | set(o), key=str):
        if e.get(k) != o.get(k):
            show = lambda v: "none" if v is None else "%s via locals %s" % (v[0], sorted(v[1]))
            out.append("link %s: expected %s, got %s" % (k, show(e.get(k)), show(o.get(k))))
    return out


# ---------------------------------------------------------------- names and runs

def hosts_text(state):
    """The runner's hosts file: per device its management address, then every IPv6 address."""
    lines = ["# netlab: every name has its IPv4 management address first, then all its IPv6",
             "# addresses, so forward and reverse lookups of the agent stay in this file."]
    for dev in ORDER:
        lines += ["%s %s" % (mgmt_ip(dev), dev)] + ["%s %s" % (a, dev) for _, a, _ in
                  sorted(device_addresses(state[dev])) if a != "::1"]
    return "\n".join(lines) + "\n"


def runner_cmd(args, hosts, *extra):
    """The runner on the lab's NEs, with the configuration beside the hosts file (prefix
    names, no host history), so that nothing of the machine's own configuration counts."""
    etc = os.path.join(os.path.dirname(hosts), "etc")
    return ([args.runner, "--hosts", hosts, "--etc-dir", etc, "--var-dir", etc, "--threads", "2"]
            + (["--plugin", args.plugin] if args.plugin else []) + list(extra) + ORDER)


def discover(lab, args, *extra):
    """Reads the kernels' state, writes the hosts file and runs the runner in the control
    namespace: (state, hosts file, result). The system's name files there are private: an
    empty resolver configuration, "hosts: files" and an /etc/hosts that gives every lab
    address a "leaked-" name, so a lookup that leaves the runner's hosts file shows."""
    state, w = kernel_state(lab), lab.work
    hosts = os.path.join(w, "hosts")
    write(hosts, hosts_text(state))
    write(os.path.join(w, "sys", "hosts"), "".join("%s leaked-%s\n" % tuple(l.split()) for l in
                                                   hosts_text(state).splitlines() if not l.startswith("#")))
    write(os.path.join(w, "sys", "resolv.conf"), "")
    write(os.path.join(w, "sys", "nsswitch.conf"), "hosts: files\n")
    script = ("mount --make-rprivate / && for f in hosts resolv.conf nsswitch.conf; do "
              "mount --bind \"$0/sys/$f\" /etc/$f || exit 1; done && exec \"$@\"")
    return state, hosts, run(["ip", "netns", "exec", lab.ns("ctl"), "unshare", "--mount", "--",
                              "sh", "-c", script, w] + runner_cmd(args, hosts, *extra), check=False)


def record_walks(lab, folder):
    for dev in ORDER:
        write(os.path.join(folder, mgmt_ip(dev) + ".walk"),
              lab.exec("ctl", "snmpwalk", "-v2c", "-c", "public", "-On", "-t", "2", mgmt_ip(dev), ".1").stdout)


def parse_report(result, statuses=(0,)):
    """([problems], report or None) of a run with --format json."""
    try:
        report = json.loads(result.stdout)
    except ValueError:
        return ["no JSON report (exit %d): %s" % (result.returncode, result.stderr.strip()[-2000:])], None
    if result.returncode not in statuses:
        return ["the runner ended with %d: %s" % (result.returncode, result.stderr.strip()[-2000:])], report
    return [], report


def check_live(state, result):
    """Problems of a live JSON run against the kernels' state."""
    problems, report = parse_report(result)
    if report:
        problems += compare(expectation(state), observed(report))
        if "leaked-" in result.stdout:
            problems.append('a name lookup left the hosts file (a "leaked-" name is in the report)')
    return problems


def diff(a, b, names):
    lines = list(difflib.unified_diff(a.splitlines(True), b.splitlines(True), *names))
    return "".join(lines[:80]) + ("...\n" if len(lines) > 80 else "")


# ---------------------------------------------------------------- commands

def preflight():
    if os.geteuid() != 0:
        raise Skip("needs root (network namespaces)")
    for tool in ("ip", "snmpd", "snmpwalk", "snmpget", "unshare", "sysctl"):
        if shutil.which(tool) is None:
            raise Skip("%s is not installed (scripts/setup installs it)" % tool)
    name = "nlcheck" + secrets.token_hex(3)
    r = run(["ip", "netns", "add", name], check=False)
    if r.returncode != 0:
        raise Skip("cannot create a network namespace: " + r.stderr.strip())
    run(["ip", "netns", "del", name], check=False)


def cmd_run(args):
    lab, kept = Lab(), False
    try:
        lab.up()
        state, _, text = discover(lab, args)
        sys.stdout.write(text.stdout)
        sys.stderr.write(text.stderr)
        problems = check_live(state, discover(lab, args, "--format", "json")[2])
        print("\nlab check: " + ("PASS: the report matches the kernels' state" if not problems
                                 else "FAIL\n  " + "\n  ".join(problems)))
        if args.keep:
            kept = True
            print("lab kept: namespaces %s-*; remove it with: %s down %s" % (lab.prefix, sys.argv[0], lab.work))
        return 1 if problems else 0
    finally:
        if not kept:
            lab.close()


def cmd_test(args):
    failures = []
    def check(name, problems):
        print("%s: %s" % (name, "ok" if not problems else "FAILED\n  " + "\n  ".join(problems)))
        failures.extend(problems)
    t0, lab = time.time(), Lab()
    try:
        lab.up()
        state, hosts, live = discover(lab, args, "--format", "json")
        walks = os.path.join(lab.work, "walks")
        record_walks(lab, walks)
        check("(a) the live run matches the kernels' state", check_live(state, live))
        replay = run(runner_cmd(args, hosts, "--replay", walks, "--format", "json"), check=False)
        check("(b) the replay of the walks gives the live report byte for byte",
              [] if replay.stdout == live.stdout else [diff(live.stdout, replay.stdout, ("live", "replay"))])
        problems, report = parse_report(discover(lab, args, "--format", "json", "--community", "wrong",
                                                 "--timeout", "0.3", "--retries", "0")[2], statuses=(3,))
        for dev, ne in zip(ORDER, report["nes"] if report else []):
            if ne["status"] != "failed":
                problems.append("%s: status %s with a wrong community" % (dev, ne["status"]))
            if "reason" in ne and not (isinstance(ne["reason"], str) and ne["reason"]):
                problems.append("%s: reason %r, expected a text" % (dev, ne["reason"]))
        if report and "reason" not in report["nes"][0]:
            print('note: the report has no "reason" yet; that assertion was left out')
        check("(c) a wrong community fails every NE, with a reason", problems)
    finally:
        lab.close()
    print("lab test: %s in %.1f s" % ("FAILED" if failures else "passed", time.time() - t0))
    return 1 if failures else 0


def replay_fixtures(args):
    return run(runner_cmd(args, os.path.join(FIXTURES, "hosts"), "--replay", FIXTURES, "--format", "json"),
               check=False)


def cmd_record_fixtures(args):
    lab = Lab()
    try:
        lab.up()
        state, hosts, live = discover(lab, args, "--format", "json")
        problems = check_live(state, live)
        for f in os.listdir(FIXTURES) if os.path.isdir(FIXTURES) else []:
            if f.endswith(".walk"):
                os.unlink(os.path.join(FIXTURES, f))
        record_walks(lab, FIXTURES)
        shutil.copy(hosts, os.path.join(FIXTURES, "hosts"))
        write_etc(os.path.join(FIXTURES, "etc"))
    finally:
        lab.close()
    write(os.path.join(FIXTURES, "expected.json"), replay_fixtures(args).stdout)
    print("wrote %s: %d walks, hosts, etc/, expected.json" % (FIXTURES, len(ORDER)))
    if problems:
        print("WARNING: the live run does not match the kernels' state:\n  " + "\n  ".join(problems))
    return 1 if problems else 0


def cmd_replay_test(args):
    r = replay_fixtures(args)
    with open(os.path.join(FIXTURES, "expected.json")) as f:
        golden = f.read()
    if r.stdout == golden:
        print("lab replay: the report equals tests/fixtures/lab/expected.json")
        return 0
    print("lab replay: the report differs from tests/fixtures/lab/expected.json (exit %d; regenerate "
          "with tests/lab/netlab.py record-fixtures if the change is meant):\n%s%s"
          % (r.returncode, diff(golden, r.stdout, ("expected.json", "replay")), r.stderr[-2000:]))
    return 1


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = p.add_subparsers(dest="cmd", required=True)
    for name in ("run", "test", "record-fixtures", "replay-test"):
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
    try:
        preflight()
    except Skip as e:
        if os.environ.get("CI") == "true":
            print("netlab: FAILED: %s (CI must run the lab)" % e, file=sys.stderr)
            return 1
        print("netlab: SKIPPED: %s" % e, file=sys.stderr)
        return 77
    return {"run": cmd_run, "test": cmd_test, "record-fixtures": cmd_record_fixtures}[args.cmd](args)


if __name__ == "__main__":
    try:
        sys.exit(main())
    except KeyboardInterrupt:       # the commands' clean-up has run
        sys.exit(130)
