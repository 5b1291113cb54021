#!/usr/bin/env bash
# Crawls a generated manual-like site (bench/make_docs_site.py) with
# tarvelin-cli, wget -r and wget2 -r in the same run, on loopback and through
# bench/latency_proxy.py at 20 ms and 50 ms round trip, and prints per mode the
# median figures of each program and their ratio to wget.
#
#   bash bench/docs_bench.sh                       # all modes
#   MODES=loopback RUNS=5 bash bench/docs_bench.sh
#   MODES="rtt20 rtt50" PROGRAMS="tarvelin wget2" bash bench/docs_bench.sh
#
# Settings (environment):
#   MODES          any of "loopback rtt20 rtt50" (all three); rttN is any
#                  round trip in ms through the latency proxy
#   RUNS           runs per program on loopback (3)
#   PROXY_RUNS     runs per program through the proxy (1); at 50 ms one wget
#                  run takes about 1.5 minutes
#   PROGRAMS       any of "tarvelin tarvelin0 wget wget2" (all four);
#                  tarvelin0 is tarvelin-cli with "modern pages" 0, the text
#                  search alone
#   TARVELIN_CLI   the program to measure (build/bin/tarvelin-cli)
#   DOCS_PAGES     pages of the site (320); another count generates it again
#   DOCS_DOTDOT    share of sections that also link an existing page as
#                  images/../PAGE (0); any other value generates the site again
#   BENCH_PORT     port the crawlers talk to on 127.0.0.1 and 127.0.0.2
#                  (18441); the site names it, so another port generates the
#                  site again. Through the proxy, nginx listens one port up.
#   BENCH_OUT      where the runs store their files (/dev/shm when it is a
#                  writable RAM file system, else the temporary folder)
#   KEEP=1         keep the temporary folder: server logs, run logs, the
#                  pictures each run missed
#
# wget2 runs without -np: with it, wget2 takes nothing from the second host.
#
# Needs python3, nginx, wget, wget2 and GNU time; scripts/install-deps.sh
# --bench installs what is missing. All traffic stays on 127.0.0.1 and 127.0.0.2, served by an nginx this
# script starts with a configuration of its own and stops again.
#
# Rows of the table:
#   wall, CPU and peak memory (max RSS): GNU time
#   requests, 404, asked before: the nginx log of the run, both hosts;
#     "asked before": the (host, path with dot segments folded) came earlier
#   connections: distinct nginx connection numbers in the run's log; through
#     the proxy also the proxy's count of accepted and peak concurrent ones
#   pictures intact: distinct pictures of the site whose exact bytes are among
#     the stored files, whatever their names; "missed" lists the rest, and how
#     many of them the pages only show through a numeric character reference
#     (fig&#46;png) or that stand on the second host
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
CLI=${TARVELIN_CLI:-$top/build/bin/tarvelin-cli}
MODES=${MODES:-"loopback rtt20 rtt50"}
RUNS=${RUNS:-3}
PROXY_RUNS=${PROXY_RUNS:-1}
PROGRAMS=${PROGRAMS:-"tarvelin tarvelin0 wget wget2"}
PAGES=${DOCS_PAGES:-320}
DOTDOT=${DOCS_DOTDOT:-0}
PORT=${BENCH_PORT:-18441}
INNER=$((PORT + 1))
LIMIT=900   # seconds a run may take before it is stopped (exit status 124)
WORK=$here/work
SITE=$WORK/site-docs
HOST1=127.0.0.1
HOST2=127.0.0.2

die() { echo "docs_bench: $*" >&2; exit 1; }
bash "$top/scripts/install-deps.sh" --bench >&2 || true   # a failure shows in the checks below
for tool in python3 nginx wget wget2; do
  command -v "$tool" >/dev/null || die "$tool is not installed"
done
[ -x /usr/bin/time ] || die "GNU time is not installed (/usr/bin/time; Debian package 'time')"
case " $PROGRAMS " in *" tarvelin"*) [ -x "$CLI" ] || die "$CLI not found; build with: bash scripts/build.sh" ;; esac

tmp=$(mktemp -d "${TMPDIR:-/tmp}/docs-bench.XXXXXX")
outs=
# shellcheck source=bench/nginx.sh
. "$here/nginx.sh"
proxy_pids=()
stop_proxies() {
  local pid
  for pid in "${proxy_pids[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  proxy_pids=()
}
cleanup() {
  stop_proxies
  nginx_stop
  [ -z "$outs" ] || rm -rf "$outs"
  if [ "${KEEP:-0}" = 1 ]; then
    echo "docs_bench: kept $tmp" >&2
  else
    rm -rf "$tmp"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for h in $HOST1 $HOST2; do
  for p in $PORT $INNER; do
    ! listening "$h" "$p" || die "something already listens on $h:$p; choose another BENCH_PORT"
  done
done

out_root=${BENCH_OUT:-}
if [ -z "$out_root" ]; then
  out_root=$tmp
  if [ -d /dev/shm ] && [ -w /dev/shm ] &&
     [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt 524288 ]; then
    out_root=/dev/shm
  fi
fi
outs=$(mktemp -d "$out_root/docs-bench-out.XXXXXX")

# --- the site ----------------------------------------------------------------
stamp="$(cat "$here/make_site.py" "$here/make_docs_site.py" | sha256sum | cut -c1-16) $HOST2:$PORT $PAGES $DOTDOT"
if [ ! -f "$SITE/manifest.json" ] || [ "$(cat "$SITE/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "docs_bench: generating the site in $SITE (once)" >&2
  rm -rf "$SITE"
  (cd "$here" && python3 make_docs_site.py "$SITE" --other-host "$HOST2:$PORT" --pages "$PAGES" \
    --dotdot-pages "$DOTDOT") >&2
  # The bytes of every picture, to know them again under any name.
  python3 - "$SITE" <<'EOF'
import hashlib, json, os, sys
site = sys.argv[1]
m = json.load(open(os.path.join(site, "manifest.json")))
for p in m["pictures"]:
    with open(os.path.join(site, p["host"], p["path"]), "rb") as f:
        p["sha1"] = hashlib.sha1(f.read()).hexdigest()
json.dump(m, open(os.path.join(site, "manifest.json"), "w"), indent=1)
EOF
  echo "$stamp" >"$SITE/stamp"
fi
START="http://$HOST1:$PORT/index.htm"

# --- servers -----------------------------------------------------------------
start_nginx() {  # port
  nginx_start "$tmp/nginx" '$server_addr $connection $status $body_bytes_sent $uri $request_uri' \
    "server { listen $HOST1:$1; root $SITE/host1; } server { listen $HOST2:$1; root $SITE/host2; }" \
    "$HOST1:$1" "$HOST2:$1"
}

start_proxies() {  # rtt-ms log-prefix
  local h
  for h in $HOST1 $HOST2; do
    rm -f "$tmp/proxy-$h.pid"
    python3 "$here/latency_proxy.py" --listen "$h:$PORT" --target "$h:$INNER" --rtt-ms "$1" \
      --pidfile "$tmp/proxy-$h.pid" 2>"$2-$h.proxy" &
    proxy_pids+=($!)
  done
  for h in $HOST1 $HOST2; do
    for _ in $(seq 100); do
      [ -s "$tmp/proxy-$h.pid" ] && break
      sleep 0.05
    done
    [ -s "$tmp/proxy-$h.pid" ] || die "the latency proxy on $h:$PORT did not start: $(cat "$2-$h.proxy")"
  done
}

# --- one run -----------------------------------------------------------------
results=$tmp/results.tsv
: >"$results"
run_one() {  # mode rtt program run-number
  local mode=$1 rtt=$2 prog=$3 n=$4
  local out=$outs/$prog-$n name=$mode-$prog-$n
  local log=$tmp/logs/$name.log access=$tmp/nginx/logs/access.log
  mkdir -p "$out" "$tmp/logs"
  local before status=0
  before=$(wc -l <"$access")
  [ "$rtt" = 0 ] || start_proxies "$rtt" "$tmp/logs/$name"
  case $prog in
    tarvelin|tarvelin0)
      local modern=1
      [ "$prog" = tarvelin ] || modern=0
      # Settings and the trash go to a home of the benchmark's own.
      local home=$tmp/home-$name
      mkdir -p "$home"
      HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
        /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" timeout "$LIMIT" \
        "$CLI" --fresh --set "modern pages=$modern" --folder "$out" "$START" </dev/null >"$log" 2>&1 || status=$?
      ;;
    wget)
      /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" timeout "$LIMIT" \
        wget -r -l inf -np -H "-D$HOST1,$HOST2" -e robots=off -q -P "$out" "$START" \
        </dev/null >"$log" 2>&1 || status=$?
      ;;
    wget2)
      /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" timeout "$LIMIT" \
        wget2 -r -l inf -H "-D$HOST1,$HOST2" --robots=off --max-threads=5 -q -P "$out" "$START" \
        </dev/null >"$log" 2>&1 || status=$?
      ;;
  esac
  stop_proxies
  sleep 0.2   # let nginx write its last log lines
  tail -n +"$((before + 1))" "$access" >"$tmp/logs/$name.access"
  python3 - "$mode" "$prog" "$n" "$status" "$(tail -n 1 "$tmp/time")" "$tmp/logs/$name" "$SITE" "$out" \
    >>"$results" <<'EOF'
import hashlib, json, os, posixpath, re, sys
mode, prog, n, status, times, stem, site, out = sys.argv[1:]
wall, user, sys_, rss = times.split()
requests = repeated = missing = other = served = 0
seen, connections = set(), set()
for line in open(stem + ".access"):
    addr, conn, code, size, uri, raw = line.split()[:6]
    requests += 1
    served += int(size)
    connections.add(conn)
    missing += code == "404"
    other += code not in ("200", "404")
    key = (addr, posixpath.normpath(uri))
    repeated += key in seen
    seen.add(key)
accepted = peak = "-"
if os.path.exists(stem + "-127.0.0.1.proxy"):
    accepted = peak = 0
    for h in ("127.0.0.1", "127.0.0.2"):
        m = re.search(r"(\d+) connections accepted, \d+ open now, peak (\d+)", open(stem + "-%s.proxy" % h).read())
        if m:
            accepted += int(m.group(1))
            peak = max(peak, int(m.group(2)))
manifest = json.load(open(os.path.join(site, "manifest.json")))
by_hash = {p["sha1"]: p for p in manifest["pictures"]}
found, copies, strays = set(), 0, 0
for folder, _, files in os.walk(out):
    for name in files:
        if name.endswith((".htm", ".html", ".css", ".cfg")):
            continue
        with open(os.path.join(folder, name), "rb") as f:
            p = by_hash.get(hashlib.sha1(f.read()).hexdigest())
        if p is None:
            strays += 1
        elif p["sha1"] in found:
            copies += 1
        else:
            found.add(p["sha1"])
missed = [p for p in manifest["pictures"] if p["sha1"] not in found]
with open(stem + ".missed", "w") as f:
    for p in missed:
        f.write("%s/%s%s\n" % (p["host"], p["path"], " (numeric reference only)" if p["only_numeric_ref"] else ""))
print("\t".join(map(str, [mode, prog, n, status, wall, user, sys_, rss, requests, missing, other, repeated,
                          len(connections), accepted, peak, served, len(found), len(missed),
                          sum(p["only_numeric_ref"] for p in missed),
                          sum(p["host"] == "host2" for p in missed), copies, strays])))
EOF
  rm -rf "$out"
}

# --- the runs ----------------------------------------------------------------
echo "docs_bench: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)" >&2
echo "docs_bench: runs store into $outs ($(df -PT "$outs" | awk 'NR == 2 { print $2 }'))" >&2
case " $PROGRAMS " in *" tarvelin"*)
  echo "docs_bench: $CLI, built $(date -r "$CLI" '+%F %T')" \
    "$(git -C "$top" describe --always --dirty 2>/dev/null | sed 's/^/(source tree now at /; s/$/)/')" >&2 ;;
esac
find "$SITE" -type f -exec cat {} + >/dev/null   # the site is read from memory in every run
for mode in $MODES; do
  case $mode in
    loopback) rtt=0 runs=$RUNS listen=$PORT ;;
    rtt[0-9]*) rtt=${mode#rtt} runs=$PROXY_RUNS listen=$INNER ;;
    *) die "unknown mode $mode (loopback, rtt20, rtt50, ...)" ;;
  esac
  start_nginx "$listen"
  for n in $(seq "$runs"); do
    for prog in $PROGRAMS; do
      echo "docs_bench: $mode, $prog, run $n of $runs" >&2
      run_one "$mode" "$rtt" "$prog" "$n"
    done
  done
  nginx_stop
done

# --- the tables --------------------------------------------------------------
python3 - "$results" "$SITE" "$PROGRAMS" <<'EOF'
import json, os, statistics, sys
results, site, programs = sys.argv[1], sys.argv[2], sys.argv[3].split()
rows = [line.rstrip("\n").split("\t") for line in open(results) if line.strip()]
m = json.load(open(os.path.join(site, "manifest.json")))
pics = m["pictures"]
print()
print("Site: %d pages (and %d missing ones linked), %d pictures (%d on the second host, %d shown only "
      "through a numeric reference), %.1f MB of pictures"
      % (m["pages"], len(m["missing"]), len(pics), sum(p["host"] == "host2" for p in pics),
         sum(p["only_numeric_ref"] for p in pics), sum(p["size"] for p in pics) / 1e6))
names = {"tarvelin": "tarvelin-cli", "tarvelin0": "modern pages 0", "wget": "wget", "wget2": "wget2"}
modes = []
for r in rows:
    if r[0] not in modes:
        modes.append(r[0])
for mode in modes:
    by = {p: [r for r in rows if r[0] == mode and r[1] == p] for p in programs}
    by = {p: v for p, v in by.items() if v}
    def med(p, i, conv=float):
        vals = [conv(r[i]) for r in by[p] if r[i] != "-"]
        return statistics.median(vals) if vals else None
    lines = [
        ("wall time (s)", lambda p: med(p, 4), "%.2f", True),
        ("CPU user (s)", lambda p: med(p, 5), "%.2f", True),
        ("CPU system (s)", lambda p: med(p, 6), "%.2f", True),
        ("peak memory (MB)", lambda p: med(p, 7) / 1024, "%.1f", True),
        ("requests", lambda p: med(p, 8), "%d", True),
        ("&nbsp;&nbsp;answered 404", lambda p: med(p, 9), "%d", False),
        ("&nbsp;&nbsp;other than 200 or 404", lambda p: med(p, 10), "%d", False),
        ("&nbsp;&nbsp;for an address asked before", lambda p: med(p, 11), "%d", False),
        ("connections (nginx)", lambda p: med(p, 12), "%d", True),
        ("connections (proxy), peak concurrent", None, None, False),
        ("pictures stored intact (of %d)" % len(pics), lambda p: med(p, 16), "%d", True),
        ("&nbsp;&nbsp;missed", lambda p: med(p, 17), "%d", False),
        ("&nbsp;&nbsp;&nbsp;&nbsp;shown only through a numeric reference", lambda p: med(p, 18), "%d", False),
        ("&nbsp;&nbsp;&nbsp;&nbsp;on the second host", lambda p: med(p, 19), "%d", False),
        ("&nbsp;&nbsp;stored again under another name", lambda p: med(p, 20), "%d", False),
    ]
    progs = list(by)
    ratios = [p for p in progs if p != "wget"] if "wget" in by else []
    runs = max(len(v) for v in by.values())
    print()
    print("### %s: median of %d run%s" % (mode, runs, "s" if runs > 1 else ""))
    print()
    print("| | " + " | ".join(names[p] for p in progs) + "".join(" | %s / wget" % names[p] for p in ratios) + " |")
    print("|---|" + "---:|" * (len(progs) + len(ratios)))
    for label, get, fmt, ratio in lines:
        if get is None:
            if by[progs[0]][0][13] == "-":
                continue
            cells = ["%d, %d" % (med(p, 13), med(p, 14)) for p in progs]
            print("| %s | %s%s |" % (label, " | ".join(cells), " |" * len(ratios)))
            continue
        vals = {p: get(p) for p in progs}
        cells = [fmt % vals[p] for p in progs]
        for p in ratios:
            cells.append("%.2f" % (vals[p] / vals["wget"]) if ratio and vals["wget"] else "")
        print("| %s | %s |" % (label, " | ".join(cells)))
    print()
    print("Exit status of the runs: " + "; ".join(
        "%s %s" % (names[p], ",".join(r[3] for r in by[p])) for p in progs))
EOF
cp "$results" "$WORK/last-docs-results.tsv"
