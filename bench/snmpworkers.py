#!/usr/bin/env python3
"""How the runner's workers scale over live SNMP with a round trip of --delay ms: --devices generated small
routers served by snmpsim on 127.0.1.x behind a delaying UDP relay, discovered with 1 and with each of
--threads workers, for SNMPv2c and SNMPv3 (authPriv), with the speedup of each against one worker (the
target for 16 workers is at least 10x) and the packets each device received.

    snmpworkers.py --runner build/ipv6disco [--plugin PATH] [--devices 32] [--threads 4 16] [--delay 20]

Run it in the test sandbox as root (scripts/bench does); it needs snmpsimd.
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
        upstream = {}  # client -> socket towards the simulator
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


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--runner", required=True)
    p.add_argument("--plugin")
    p.add_argument("--devices", type=int, default=32)
    p.add_argument("--threads", type=int, nargs="+", default=[4, 16])
    p.add_argument("--delay", type=float, default=20.0, help="round trip, ms")
    args = p.parse_args()
    sim = shutil.which("snmpsimd") or shutil.which("snmpsimd.py")
    if sim is None:
        print("snmpsimd is not installed")
        return 77
    addresses = ["127.0.1.%d" % (d + 1) for d in range(args.devices)]
    with tempfile.TemporaryDirectory(prefix="ipv6disco-snmpworkers-") as work:
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
        cmd = [sim, "--data-dir=" + data, "--cache-dir=" + os.path.join(work, "cache"),
               "--process-user=nobody", "--process-group=nogroup", "--v3-user=disco",
               "--v3-auth-key=authpass123", "--v3-auth-proto=SHA", "--v3-priv-key=privpass123",
               "--v3-priv-proto=AES"] + ["--agent-udpv4-endpoint=%s:%d" % (a, SIM_PORT) for a in addresses]
        log = open(os.path.join(work, "snmpsimd.log"), "w")
        server = subprocess.Popen(cmd, stdout=log, stderr=subprocess.STDOUT)
        relay = Relay(addresses, args.delay)
        empty = os.path.join(work, "hosts")
        open(empty, "w").close()
        try:
            for _ in range(100):  # until the simulator answers
                probe = subprocess.run(["snmpget", "-v2c", "-c", "public", "-t", "1", "-r", "0",
                                        "%s:%d" % (addresses[-1], SIM_PORT), "1.3.6.1.2.1.1.1.0"],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                if probe.returncode == 0:
                    break
                time.sleep(0.3)
            print("%d routers over live SNMP, round trip %.0f ms" % (args.devices, args.delay))
            print("%8s %8s %9s %8s %16s" % ("version", "workers", "seconds", "speedup", "packets/device"))
            for version, extra in (("2c", []), ("3", V3)):
                base = None
                for threads in [1] + args.threads:
                    before = sum(relay.counts.values())
                    run = [args.runner, "--snmp-version", version, "--port", str(RELAY_PORT), "--timeout", "5",
                           "--hosts", empty, "--threads", str(threads), "--format", "json", "-o", os.devnull]
                    run += extra + (["--plugin", args.plugin] if args.plugin else []) + addresses
                    start = time.monotonic()
                    status = subprocess.run(run, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
                    seconds = time.monotonic() - start
                    if status != 0:
                        print("the runner ended with %d (SNMPv%s, %d workers)" % (status, version, threads))
                        return 1
                    base = base or seconds
                    packets = (sum(relay.counts.values()) - before) / args.devices
                    print("%8s %8d %9.2f %8.2f %16.1f" % ("v" + version, threads, seconds, base / seconds, packets))
        finally:
            server.terminate()
            server.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
