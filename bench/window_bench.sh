#!/usr/bin/env bash
# The Tarvelin window beside tarvelin-cli on the same sites, served by nginx on
# loopback, in the same run:
#   - the "main" site of bench/make_site.py (about 2,000 pictures on two
#     hosts): wall time, CPU time and peak memory of both programs, and the
#     longest time the window's event loop was kept from running;
#   - a site of 10,000 pictures (50 photo-like sources, each served under 200
#     names): the window's peak memory when its list holds 10,000 thumbnails.
#
#   bash bench/window_bench.sh
#   RUNS=5 bash bench/window_bench.sh
#
# Settings (environment):
#   RUNS          runs of each program on the main site, taking turns (3)
#   RTT           also run both on the main site through bench/latency_proxy.py
#                 at this round-trip time in ms (20); 0 leaves that out
#   MANY          pictures of the large site (10000)
#   XVFB=1        the window on an Xvfb display instead of the offscreen platform
#   BENCH_PORT    the main site's port on 127.0.0.1 and 127.0.0.2 (18431, as in
#                 site_bench.sh, whose main site this reuses); the large site is
#                 served on the next port, and nginx behind the proxies on port + 5
#   BENCH_OUT     where runs store their files (/dev/shm when it has room)
#   KEEP=1        keep the temporary folder (logs)
#
# Build first: cmake --build build --target bench_window tarvelin-cli
# The sites are generated on first use into bench/work/ and kept there.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
top=$(cd "$here/.." && pwd)
CLI=$top/build/bin/tarvelin-cli
WINDOW=$top/build/bench/bench_window
RUNS=${RUNS:-3}
RTT=${RTT:-20}
MANY=${MANY:-10000}
PORT=${BENCH_PORT:-18431}
MANY_PORT=$((PORT + 1))
INNER=$((PORT + 5))    # nginx behind the latency proxies
WORK=$here/work
HOST1=127.0.0.1
HOST2=127.0.0.2
LIMIT=600

die() { echo "window_bench: $*" >&2; exit 1; }
bash "$top/scripts/install-deps.sh" --bench >&2 || true
for tool in python3 nginx convert; do command -v "$tool" >/dev/null || die "$tool is not installed"; done
[ -x /usr/bin/time ] || die "GNU time is not installed"
[ -x "$CLI" ] && [ -x "$WINDOW" ] || die "build first: cmake --build build --target bench_window tarvelin-cli"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/window-bench.XXXXXX")
# shellcheck source=bench/nginx.sh
. "$here/nginx.sh"
proxy_pids=()
outs=
stop_proxies() {
  local pid
  for pid in "${proxy_pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  proxy_pids=()
}
cleanup() {
  stop_proxies
  nginx_stop
  [ -z "$outs" ] || rm -rf "$outs"
  if [ "${KEEP:-0}" = 1 ]; then echo "window_bench: kept $tmp" >&2; else rm -rf "$tmp"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

out_root=${BENCH_OUT:-$tmp}
if [ -z "${BENCH_OUT:-}" ] && [ -w /dev/shm ] &&
   [ "$(df -Pk /dev/shm | awk 'NR == 2 { print $4 }')" -gt 4194304 ]; then
  out_root=/dev/shm
fi
outs=$(mktemp -d "$out_root/window-bench-out.XXXXXX")

# --- sites -------------------------------------------------------------------
main_site=$WORK/site-main
stamp="$(sha256sum "$here/make_site.py" | cut -c1-16) $HOST2:$PORT"
if [ ! -f "$main_site/manifest.json" ] || [ "$(cat "$main_site/stamp" 2>/dev/null)" != "$stamp" ]; then
  echo "window_bench: generating the main site in $main_site (once; about a minute)" >&2
  rm -rf "$main_site"
  python3 "$here/make_site.py" main "$main_site" --other-host "$HOST2:$PORT" >&2
  echo "$stamp" >"$main_site/stamp"
fi
many_site=$WORK/site-many-$MANY
if [ ! -f "$many_site/index.htm" ]; then
  echo "window_bench: generating the $MANY-picture site in $many_site (once)" >&2
  rm -rf "$many_site"
  mkdir -p "$many_site/src"
  colours=(orange-navy skyblue-seagreen gold-firebrick lavender-teal wheat-sienna pink-purple)
  for i in $(seq 0 49); do
    convert -seed "$((i + 1))" -size 640x480 "plasma:${colours[$((i % 6))]}" -quality 85 "$many_site/src/$i.jpg"
  done
  python3 - "$many_site" "$MANY" <<'EOF'
import os, sys
site, count = sys.argv[1], int(sys.argv[2])
per_page = 200
pages = (count + per_page - 1) // per_page
links = "".join('<a href="p%03d.htm">%d</a>\n' % (p, p) for p in range(pages))
open(os.path.join(site, "index.htm"), "w").write("<html><body>\n%s</body></html>\n" % links)
for p in range(pages):
    tags = "".join('<img src="/img/s%d-%05d.jpg">\n' % (n % 50, n)
                   for n in range(p * per_page, min(count, (p + 1) * per_page)))
    open(os.path.join(site, "p%03d.htm" % p), "w").write("<html><body>\n%s</body></html>\n" % tags)
EOF
fi

# --- server ------------------------------------------------------------------
conf=$tmp/nginx
for address in $HOST1:$PORT $HOST2:$PORT $HOST1:$MANY_PORT $HOST1:$INNER $HOST2:$INNER; do
  ! listening "${address%:*}" "${address#*:}" || die "something already listens on $address"
done
nginx_start "$conf" '$server_addr $status $uri' "
  server { listen $HOST1:$PORT; listen $HOST1:$INNER; root $main_site/host1; }
  server { listen $HOST2:$PORT; listen $HOST2:$INNER; root $main_site/host2; }
  server {
    listen $HOST1:$MANY_PORT;
    root $many_site;
    location ~ ^/img/s(\\d+)-\\d+\\.jpg\$ { alias $many_site/src/\$1.jpg; }
  }" "$HOST1:$PORT" "$HOST2:$PORT" "$HOST1:$MANY_PORT"
find "$main_site" "$many_site" -type f -exec cat {} + >/dev/null   # read from memory in every run

# The main site through latency proxies: nginx gives up the site's own port to
# them and stays reachable behind them.
start_proxies() {
  local h
  for h in $HOST1 $HOST2; do
    rm -f "$tmp/proxy-$h.pid"
    python3 "$here/latency_proxy.py" --listen "$h:$PORT" --target "$h:$INNER" --rtt-ms "$RTT" \
      --pidfile "$tmp/proxy-$h.pid" 2>"$tmp/proxy-$h.log" &
    proxy_pids+=($!)
  done
  for h in $HOST1 $HOST2; do
    for _ in $(seq 100); do
      [ -s "$tmp/proxy-$h.pid" ] && break
      sleep 0.05
    done
    [ -s "$tmp/proxy-$h.pid" ] || die "the latency proxy on $h:$PORT did not start: $(cat "$tmp/proxy-$h.log")"
  done
}

# --- runs --------------------------------------------------------------------
results=$tmp/results.tsv
: >"$results"
run_one() {  # site program run start-address [--mark N]
  local site=$1 prog=$2 n=$3 start=$4; shift 4
  local out=$outs/$site-$prog-$n home=$tmp/home-$site-$prog-$n log=$tmp/$site-$prog-$n.log status=0
  mkdir -p "$out" "$home"
  local command=("$CLI" --fresh --folder "$out" "$start")
  if [ "$prog" = window ]; then
    command=("$WINDOW" --folder "$out" "$@" "$start")
    if [ "${XVFB:-0}" = 1 ]; then command=(xvfb-run -a -s "-screen 0 1280x1024x24" "${command[@]}"); fi
  fi
  HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home \
    QT_QPA_PLATFORM=$([ "${XVFB:-0}" = 1 ] && echo xcb || echo offscreen) \
    /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" timeout "$LIMIT" "${command[@]}" </dev/null >"$log" 2>&1 ||
    status=$?
  local stored
  stored=$(find "$out" -type f -name '*.jpg' -o -type f -name '*.png' | wc -l)
  local figures
  figures=$(grep -o 'wall_ms=.*' "$log" | tail -n 1 || true)
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$site" "$prog" "$n" "$status" "$(tail -n 1 "$tmp/time")" "$stored" \
    "$figures" >>"$results"
  rm -rf "$out"
}

echo "window_bench: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg) at the start" >&2
main_start="http://$HOST1:$PORT/index.htm"
for n in $(seq "$RUNS"); do
  for prog in cli window; do
    echo "window_bench: main site, $prog, run $n of $RUNS" >&2
    run_one main "$prog" "$n" "$main_start"
  done
done
if [ "$RTT" != 0 ]; then
  # nginx again, without the site's own port, which the proxies take.
  nginx_stop
  sed -i "s/listen $HOST1:$PORT; //; s/listen $HOST2:$PORT; //" "$conf/nginx.conf"
  nginx_run "$conf" "$HOST1:$INNER" "$HOST2:$INNER"
  start_proxies
  for prog in cli window; do
    echo "window_bench: main site at $RTT ms, $prog" >&2
    run_one "rtt$RTT" "$prog" 1 "$main_start"
  done
  stop_proxies
fi
echo "window_bench: the $MANY-picture site, window" >&2
run_one many window 1 "http://$HOST1:$MANY_PORT/index.htm" --mark "$MANY"
echo "window_bench: the $MANY-picture site, cli" >&2
run_one many cli 1 "http://$HOST1:$MANY_PORT/index.htm"
echo "window_bench: load average $(cut -d' ' -f1-3 /proc/loadavg) at the end" >&2

# --- table -------------------------------------------------------------------
python3 - "$results" "$RUNS" "$MANY" "$RTT" <<'EOF'
import statistics, sys
results, runs, many, rtt = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4]
rows = []
for line in open(results):
    site, prog, n, status, times, stored, figures = (line.rstrip("\n").split("\t") + [""])[:7]
    wall, user, sys_, rss = times.split()
    f = dict(kv.split("=") for kv in figures.split()) if figures else {}
    rows.append(dict(site=site, prog=prog, status=status, wall=float(wall), cpu=float(user) + float(sys_),
                     rss=int(rss) / 1024, stored=int(stored), f=f))
def pick(site, prog):
    return [r for r in rows if r["site"] == site and r["prog"] == prog]
def med(values):
    return statistics.median(values) if values else float("nan")
cli, win = pick("main", "cli"), pick("main", "window")
print()
print("Main site, median of %s runs each:" % runs)
print()
print("| | tarvelin-cli | Tarvelin window | window / cli |")
print("|---|---:|---:|---:|")
for label, key, fmt in [("wall time (s)", "wall", "%.2f"), ("CPU time, user+sys (s)", "cpu", "%.2f"),
                        ("peak memory (MB)", "rss", "%.1f"), ("pictures stored", "stored", "%d")]:
    a, b = med([r[key] for r in cli]), med([r[key] for r in win])
    print("| %s | %s | %s | %.2f |" % (label, fmt % a, fmt % b, b / a if a else float("nan")))
worst = [float(r["f"].get("worst_stall_ms", "nan")) for r in win]
print("| longest stall of the window's event loop (ms), each run | | %s | |" % ", ".join("%.0f" % w for w in worst))
print("| &nbsp;&nbsp;of which the window's thread was working (ms) | | %s | |" %
      ", ".join("%.1f" % float(r["f"].get("worst_stall_working_ms", "nan")) for r in win))
print("| stalls over 50 ms, each run | | %s | |" % ", ".join(r["f"].get("stalls_over_50ms", "?") for r in win))
print("| most work of the window's thread between two ticks (ms), each run | | %s | |" %
      ", ".join(r["f"].get("busiest_ms", "?") for r in win))
print("| thumbnails in the list at the end | | %s | |" % ", ".join(r["f"].get("thumbnails", "?") for r in win))
print()
print("Exit status: cli %s; window %s" % (",".join(r["status"] for r in cli), ",".join(r["status"] for r in win)))
rc, rw = pick("rtt" + rtt, "cli"), pick("rtt" + rtt, "window")
if rc and rw:
    c, w = rc[0], rw[0]
    print()
    print("Main site through the latency proxy at %s ms round trip, one run each:" % rtt)
    print()
    print("| | tarvelin-cli | Tarvelin window | window / cli |")
    print("|---|---:|---:|---:|")
    for label, key, fmt in [("wall time (s)", "wall", "%.2f"), ("CPU time, user+sys (s)", "cpu", "%.2f"),
                            ("peak memory (MB)", "rss", "%.1f"), ("pictures stored", "stored", "%d")]:
        print("| %s | %s | %s | %.2f |" % (label, fmt % c[key], fmt % w[key], w[key] / c[key] if c[key] else float("nan")))
    print("| longest stall of the window's event loop (ms) | | %s | |" % w["f"].get("worst_stall_ms", "?"))
    print("| &nbsp;&nbsp;of which the window's thread was working (ms) | | %s | |" % w["f"].get("worst_stall_working_ms", "?"))
    print("| most work of the window's thread between two ticks (ms) | | %s | |" % w["f"].get("busiest_ms", "?"))
    print()
    print("Exit status: cli %s; window %s" % (c["status"], w["status"]))
mw, mc = pick("many", "window"), pick("many", "cli")
if mw:
    r = mw[0]
    print()
    print("The %s-picture site, one run each:" % many)
    print()
    print("| | tarvelin-cli | Tarvelin window |")
    print("|---|---:|---:|")
    c = mc[0] if mc else None
    print("| wall time (s) | %s | %.2f |" % ("%.2f" % c["wall"] if c else "-", r["wall"]))
    print("| CPU time, user+sys (s) | %s | %.2f |" % ("%.2f" % c["cpu"] if c else "-", r["cpu"]))
    print("| peak memory (MB) | %s | %.1f |" % ("%.1f" % c["rss"] if c else "-", r["rss"]))
    print("| peak memory when the list held %s thumbnails (MB) | | %s |" % (many, r["f"].get("mark_peak_mb", "?")))
    print("| thumbnails in the list at the end | | %s |" % r["f"].get("thumbnails", "?"))
    print("| longest stall of the window's event loop (ms) | | %s |" % r["f"].get("worst_stall_ms", "?"))
    print("| &nbsp;&nbsp;of which the window's thread was working (ms) | | %s |" % r["f"].get("worst_stall_working_ms", "?"))
    print("| stalls over 50 ms | | %s |" % r["f"].get("stalls_over_50ms", "?"))
    print("| most work of the window's thread between two ticks (ms) | | %s |" % r["f"].get("busiest_ms", "?"))
    print()
    print("Exit status: cli %s; window %s" % (c["status"] if c else "-", r["status"]))
EOF
