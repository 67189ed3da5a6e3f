#!/usr/bin/env python3
"""The picture of a generated network of N routers (routernet.py), replayed:

    picture_check.py --runner PATH --plugin PATH [--routers 50] [--keep DIR]

--format dot gives a graph Graphviz's dot draws (exit status 0) with one edge per adjacency of the network, each
labelled with its prefix's name, and every NE in the cluster of its site; --format svg -o FILE writes the picture
dot draws of that graph, where no two labels (of nodes and edges) overlap; without dot on PATH, --format svg is a usage error before anything is asked.
Exit status: 0 pass, 1 fail, 77 skipped (Graphviz is not installed).
"""
import argparse, collections, json, importlib.util, os, re, shutil, subprocess, sys, tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location("routernet", os.path.join(HERE, "routernet.py"))
net = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(net)

EDGE = re.compile(r'^  "([^"]+)" -- "([^"]+)" \[label="([^"]*)"')
NODE = re.compile(r'^\s+"(ne\d+|remote\.[^"]+)" \[label="([^"\\]+)')


def overlapping_labels(layout):
    """The pairs of labels whose boxes overlap in dot's JSON layout: nodes by position and size, edge labels by
    where their text is drawn."""
    boxes = []
    for node in layout.get("objects", []):
        if "pos" in node:
            x, y = map(float, node["pos"].split(","))
            w, h = float(node["width"]) * 36, float(node["height"]) * 36
            boxes.append((node["name"], x - w, x + w, y - h, y + h))
    for edge in layout.get("edges", []):
        for op in edge.get("_ldraw_", []):
            if op["op"] == "T":
                (x, y), w = op["pt"], op["width"] / 2
                boxes.append(("label " + op["text"], x - w, x + w, y - 2, y + 7))
    return [(a[0], b[0]) for i, a in enumerate(boxes) for b in boxes[i + 1:]
            if a[1] < b[2] - 0.5 and b[1] < a[2] - 0.5 and a[3] < b[4] - 0.5 and b[3] < a[4] - 0.5]


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    p.add_argument("--runner", required=True)
    p.add_argument("--plugin", required=True)
    p.add_argument("--routers", type=int, default=50)
    p.add_argument("--keep", help="write the network, the graph and the picture here")
    a = p.parse_args()
    dot = shutil.which("dot")
    if dot is None:
        print("skipped: Graphviz's dot is not installed")
        return 77
    work = a.keep or tempfile.mkdtemp(prefix="picture-")
    os.makedirs(work, exist_ok=True)
    net.write_network(a.routers, work)
    base = [a.runner, "--plugin", a.plugin, "--replay", work + "/devices", "--hosts", work + "/hosts",
            "--etc-dir", work + "/etc", "--ne-file", work + "/nes.txt"]
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)

    r = subprocess.run(base + ["--format", "dot", "-o", work + "/net.dot"], capture_output=True, text=True)
    check(r.returncode == 3, "--format dot: status %d (3: the silent NE failed), %s" % (r.returncode, r.stderr))
    graph = open(work + "/net.dot", encoding="utf-8").read()
    drawn = subprocess.run([dot, "-Tsvg", work + "/net.dot"], capture_output=True, text=True)
    check(drawn.returncode == 0, "dot -Tsvg: status %d, %s" % (drawn.returncode, drawn.stderr[:500]))
    layout = subprocess.run([dot, "-Tjson", work + "/net.dot"], capture_output=True, text=True)
    overlaps = overlapping_labels(json.loads(layout.stdout or "{}"))
    check(layout.returncode == 0 and not overlaps, "labels overlap: %s" % overlaps[:5])

    # What the network holds: router pairs by prefix name, and each LAN's router and host.
    names = {}  # node id -> first label line
    site = {}   # node id -> cluster label it sits in
    clusters = []
    for line in graph.splitlines():
        if line.lstrip().startswith("subgraph"):
            clusters.append(None)
        elif clusters and clusters[-1] is None and line.lstrip().startswith("label="):
            clusters[-1] = line.split('"')[1]
        elif line.strip() == "}" and clusters:
            clusters.pop()
        elif NODE.match(line):
            node, label = NODE.match(line).groups()
            names[node] = label
            site[node] = next((c for c in clusters if c and c.endswith(".example.net")), None)
    want = collections.Counter()
    for x, y, prefix in net.links_of(a.routers):
        want[(frozenset({net.name_of(x), net.name_of(y)}), prefix)] += 1
    for r_ in range(1, a.routers + 1):
        if (r_ - 1) % 10:
            host = ("2001:db8:2:%x::10" % r_) if r_ % 3 == 0 else ("2001:db8:2:%x::20" % r_)
            want[(frozenset({net.name_of(r_), host}), "%s-lan%02d" % (net.site_of(r_), r_))] += 1
    got = collections.Counter()
    for line in graph.splitlines():
        m = EDGE.match(line)
        if m:
            ends = [names.get(n, n) for n in m.group(1, 2)]
            # a host NE is labelled with its name: compare by its address, as the generator knows it
            ends = [re.sub(r"^ws(\d+)\..*", lambda h: "2001:db8:2:%x::10" % int(h.group(1)), e) for e in ends]
            got[(frozenset(ends), m.group(3))] += 1
    check(got == want, "edges: missing %s; unexpected %s" % (sorted(map(str, (want - got).items()))[:5],
                                                             sorted(map(str, (got - want).items()))[:5]))
    misplaced = [n for n, label in names.items() if label.startswith("r") and site[n] != label.split(".", 1)[1]]
    check(not misplaced, "routers outside their site's cluster: %s" % misplaced[:5])

    out = work + "/net.svg"
    r = subprocess.run(base + ["--format", "svg", "-o", out], capture_output=True, text=True)
    check(r.returncode == 3 and r.stdout == "", "--format svg: status %d, %s" % (r.returncode, r.stderr))
    check(os.path.exists(out) and open(out, encoding="utf-8").read() == drawn.stdout,
          "--format svg -o FILE is not the picture dot draws of the graph")

    env = dict(os.environ, PATH=os.path.join(work, "no-such-dir"))
    r = subprocess.run(base + ["--format", "svg", "-o", work + "/none.svg"], capture_output=True, text=True, env=env)
    check(r.returncode == 2 and r.stderr == "ipv6disco: --format svg needs Graphviz's dot (Debian package graphviz)\n"
          and not os.path.exists(work + "/none.svg"), "svg without dot: status %d, %r" % (r.returncode, r.stderr))

    for f in failures:
        print("FAIL:", f)
    if not a.keep:
        shutil.rmtree(work)
    print("%d routers: %d edges, %s" % (a.routers, sum(got.values()), "fail" if failures else "pass"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
