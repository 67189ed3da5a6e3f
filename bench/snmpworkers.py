#!/usr/bin/env python3
"""How the runner's workers scale over live SNMP with a round trip of --delay ms: --devices small routers on
127.0.1.x behind a delaying UDP relay, discovered with 1 and with each of --threads workers, for SNMPv2c and
SNMPv3 (authPriv, SHA/AES), with the speedup of each against one worker (the target for 16 workers is at least
10x), the packets each device received and where the CPU went: the runner's CPU seconds, the device side's
(and the share of one core that is, since both device servers are single processes) and the relay's.

    snmpworkers.py --runner build/ipv6disco [--plugin PATH] [--agent snmpsim|snmpd] [--devices 32]
                   [--threads 4 16] [--delay 20] [--report FILE]

--agent snmpsim (the default): generated routers (bench/router_snmprec.py: 4 interfaces, 5 addresses each,
20 routes, 20 cache entries), served by snmpsimd, which spends some 8 ms of Python per request: with many
devices and workers it saturates one core, and the device column shows it.
--agent snmpd: one Debian net-snmp snmpd answers on every device address with the namespace's own IPv6 state,
which this script first makes look like a small router (forwarding on, two veth links with global addresses,
routes via next hops, neighbour entries): a device that costs little CPU, to show the runner's own scaling.
It changes the network namespace it runs in, so it runs only in the test sandbox.
--report FILE writes the text report of one more run (SNMPv2c, the most workers), to see what was discovered.

Run it in the test sandbox as root (scripts/bench does); it needs snmpsimd or snmpd.
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SIM_PORT, RELAY_PORT = 11162, 11161
V3 = ["--user", "disco", "--auth-protocol", "SHA", "--auth-passphrase", "authpass123", "--priv-protocol", "AES",
      "--priv-passphrase", "privpass123"]
TICK = os.sysconf("SC_CLK_TCK")


class Relay:
    """Each datagram to address:RELAY_PORT goes on to address:SIM_PORT, and each answer back, half the round
    trip later each way; counts the datagrams that arrive per address."""

    def __init__(self, addresses, delay):
        self.delay, self.counts, self.lock = delay / 2000.0, {a: 0 for a in addresses}, threading.Lock()
        for address in addresses:
            s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            s.bind((address, RELAY_PORT))
            threading.Thread(target=self.serve, args=(s, address), daemon=True).start()

    def later(self, sock, data, to):
        threading.Timer(self.delay, sock.sendto, (data, to)).start()

    def serve(self, front, address):
        upstream = {}  # client -> socket towards the device
        while True:
            data, client = front.recvfrom(65535)
            with self.lock:
                self.counts[address] += 1
            if client not in upstream:
                up = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
                up.connect((address, SIM_PORT))
                upstream[client] = up
                threading.Thread(target=self.back, args=(up, front, client), daemon=True).start()
            self.later(upstream[client], data, (address, SIM_PORT))

    def back(self, up, front, client):
        while True:
            self.later(front, up.recv(65535), client)


def cpu_seconds(root):
    """utime + stime of a process and of its descendants, living or waited for (/proc/PID/stat)."""
    parent, ticks = {}, {}
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            fields = open("/proc/%s/stat" % entry).read().rsplit(")", 1)[1].split()
        except OSError:
            continue  # ended meanwhile
        parent[int(entry)], ticks[int(entry)] = int(fields[1]), sum(map(int, fields[11:15]))
    tree, total = {root}, 0
    for pid in sorted(ticks):  # a child's PID may be lower than its parent's: follow parents up
        p = pid
        while p not in tree and p in parent and p != parent[p]:
            p = parent[p]
        if p in tree:
            total += ticks[pid]
    return total / TICK


def snmpsim(work, addresses):
    """snmpsimd serving one generated router per address (the v2c community "public", the v3 user disco)."""
    sim = shutil.which("snmpsimd") or shutil.which("snmpsimd.py")
    if sim is None:
        return None
    data = os.path.join(work, "data")
    public = os.path.join(data, "4c9184f37cff01bcdc32dc486ec36961")  # md5("public"): the v2c context
    os.makedirs(public)
    os.makedirs(os.path.join(work, "cache"))
    for d, address in enumerate(addresses):  # snmpsim picks a file by the endpoint's transport ID
        name = "1.3.6.1.6.1.1.%d.snmprec" % d
        subprocess.run([sys.executable, os.path.join(HERE, "router_snmprec.py"), "--interfaces", "4",
                        "--addresses", "5", "--routes", "20", "--cache", "20",
                        "--address-base", "2001:db8:%x" % (d + 1), os.path.join(data, name)], check=True)
        shutil.copy(os.path.join(data, name), os.path.join(public, name))
    open(os.path.join(data, "public.snmprec"), "w").write("1.3.6.1.2.1.1.1.0|4|none\n")
    for root, dirs, files in os.walk(work):
        for f in dirs + files:
            os.chmod(os.path.join(root, f), 0o777)
    os.chmod(work, 0o755)
    return [sim, "--data-dir=" + data, "--cache-dir=" + os.path.join(work, "cache"), "--process-user=nobody",
            "--process-group=nogroup", "--v3-user=disco", "--v3-auth-key=authpass123", "--v3-auth-proto=SHA",
            "--v3-priv-key=privpass123", "--v3-priv-proto=AES"] + [
        "--agent-udpv4-endpoint=%s:%d" % (a, SIM_PORT) for a in addresses]


def small_router():
    """The namespace's IPv6 state, as snmpd will serve it: forwarding on; links eth1 and eth2 (veth pairs,
    fixed MACs, the peers peer1 and peer2 without global addresses), eth1 with three global addresses in
    2001:db8:e1::/64 and eth2 with two in 2001:db8:e2::/64, each link with an IPv4 address, three permanent
    neighbour entries (::101 to ::103) and three routes via next hops (::102 to ::104, one not cached)."""
    commands = ["sysctl -qw net.ipv6.conf.all.forwarding=1 net.ipv4.ip_forward=1 "
                "net.ipv6.conf.all.accept_dad=0 net.ipv6.conf.default.accept_dad=0"]
    for k, count in ((1, 3), (2, 2)):
        commands += ["ip link add eth%d address 02:00:00:00:%02x:01 type veth peer name peer%d "
                     "address 02:00:00:00:%02x:02" % (k, k, k, k),
                     "ip link set eth%d up" % k, "ip link set peer%d up" % k,
                     "ip addr add 10.0.%d.1/24 dev eth%d" % (k, k)]
        commands += ["ip -6 addr add 2001:db8:e%d::%d/64 dev eth%d nodad" % (k, a, k) for a in range(1, count + 1)]
        for n in range(1, 4):
            commands += ["ip -6 neigh add 2001:db8:e%d::1%02d lladdr 02:00:00:00:%02x:%02x dev eth%d nud permanent"
                         % (k, n, k, 0x10 + n, k),
                         "ip -6 route add 2001:db9:%d%d::/48 via 2001:db8:e%d::1%02d dev eth%d" % (k, n, k, n + 1, k)]
    for command in commands:
        subprocess.run(command.split(), check=True)


def snmpd(work, addresses):
    """One snmpd answering on every address: v2c community "public", v3 user disco (SHA, AES)."""
    if shutil.which("snmpd") is None:
        return None
    if os.environ.get("IPV6DISCO_SANDBOX") != "1":
        sys.exit("--agent snmpd changes the network namespace it runs in: run it in tests/integration/sandbox")
    small_router()
    conf, state = os.path.join(work, "snmpd.conf"), os.path.join(work, "snmpd-state")
    os.makedirs(state)
    os.environ["SNMP_PERSISTENT_DIR"] = state  # where snmpd keeps the user it creates
    open(conf, "w").write("agentaddress %s\nrocommunity public\ncreateUser disco SHA authpass123 AES privpass123\n"
                          "rouser disco priv\nsysName bench-router\nsysLocation the test sandbox\n"
                          % ",".join("udp:%s:%d" % (a, SIM_PORT) for a in addresses))
    return ["snmpd", "-f", "-C", "-c", conf, "-Lf", os.path.join(work, "snmpd.log")]


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--runner", required=True)
    p.add_argument("--plugin")
    p.add_argument("--agent", choices=("snmpsim", "snmpd"), default="snmpsim")
    p.add_argument("--devices", type=int, default=32)
    p.add_argument("--threads", type=int, nargs="+", default=[4, 16])
    p.add_argument("--delay", type=float, default=20.0, help="round trip, ms")
    p.add_argument("--report", help="write the text report of one more run (SNMPv2c, the most workers) here")
    args = p.parse_args()
    addresses = ["127.0.1.%d" % (d + 1) if d < 254 else "127.0.%d.%d" % (2 + d // 254, d % 254 + 1)
                 for d in range(args.devices)]
    with tempfile.TemporaryDirectory(prefix="ipv6disco-snmpworkers-") as work:
        cmd = (snmpsim if args.agent == "snmpsim" else snmpd)(work, addresses)
        if cmd is None:
            print("%s is not installed" % args.agent)
            return 77
        log = open(os.path.join(work, "device.log"), "w")
        server = subprocess.Popen(cmd, stdout=log, stderr=subprocess.STDOUT)
        relay = Relay(addresses, args.delay)
        empty = os.path.join(work, "hosts")
        open(empty, "w").close()

        def run(version, threads, output=("json", os.devnull)):
            """One run of the runner: its exit status and CPU seconds (from its rusage)."""
            cmd = [args.runner, "--snmp-version", version, "--port", str(RELAY_PORT), "--timeout", "5", "--hosts",
                   empty, "--threads", str(threads), "--format", output[0], "-o", output[1]]
            cmd += (V3 if version == "3" else []) + (["--plugin", args.plugin] if args.plugin else []) + addresses
            runner = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            _, status, usage = os.wait4(runner.pid, 0)
            runner.returncode = os.waitstatus_to_exitcode(status)
            return runner.returncode, usage.ru_utime + usage.ru_stime

        try:
            for _ in range(100):  # until the device answers
                probe = subprocess.run(["snmpget", "-v2c", "-c", "public", "-t", "1", "-r", "0",
                                        "%s:%d" % (addresses[-1], SIM_PORT), "1.3.6.1.2.1.1.1.0"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                if probe.returncode == 0:
                    break
                time.sleep(0.3)
            print("%d routers served by %s over live SNMP, round trip %.0f ms; CPU in seconds, device %% = device "
                  "CPU / wall time" % (args.devices, args.agent, args.delay))
            print("target: 16 workers at least 10x faster than 1; SNMPv3 packets those of SNMPv2c plus the engine "
                  "discovery")
            print("%7s %7s %8s %7s %8s %7s %7s %7s %7s" % ("version", "workers", "seconds", "speedup",
                                                           "pkts/dev", "runner", "device", "device%", "relay"))
            for version in ("2c", "3"):
                base = None
                for threads in [1] + args.threads:
                    before, device, relay_cpu = sum(relay.counts.values()), cpu_seconds(server.pid), time.process_time()
                    start = time.monotonic()
                    status, runner_cpu = run(version, threads)
                    seconds = time.monotonic() - start
                    device, relay_cpu = cpu_seconds(server.pid) - device, time.process_time() - relay_cpu
                    if status != 0:
                        print("the runner ended with %d (SNMPv%s, %d workers)" % (status, version, threads))
                        return 1
                    base = base or seconds
                    packets = (sum(relay.counts.values()) - before) / args.devices
                    print("%7s %7d %8.2f %7.2f %8.1f %7.2f %7.2f %6.0f%% %7.2f" % (
                        "v" + version, threads, seconds, base / seconds, packets, runner_cpu, device,
                        100 * device / seconds, relay_cpu))
            if args.report:
                status, _ = run("2c", max([1] + args.threads), ("text", args.report))
                print("text report (SNMPv2c) in %s, runner status %d" % (args.report, status))
        finally:
            server.terminate()
            server.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
