#!/usr/bin/env python3
"""Start-up and idle memory of a window program, under an X server.

Usage (on a display, e.g. inside `xvfb-run -a -s "-screen 0 1280x1024x24"`):
  python3 bench/window_start_bench.py [--runs N] [--idle SECONDS] PROGRAM...

For each PROGRAM (a Tarvelin or Quorvash executable, copied into a folder of
its own with the web view's module it loads from ../lib), every run starts it with settings of its own, its sponsor panel
pointed at a small page served here on loopback, and measures:
  - the time from the start until its main window is mapped and viewable
    (xdotool search --onlyvisible polled every 5 ms), and the CPU time the
    program had used by then, which a busy machine changes less than the
    wall time;
  - after SECONDS (8) idle, the resident and the proportional memory of the
    program and of every process it started (the web engine's), summed.
Prints a Markdown table with the median of each figure.
"""
import argparse, functools, glob, http.server, os, shutil, statistics, subprocess, sys, tempfile, threading, time


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{".asp": "text/html"})

    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(Quiet, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def descendants(pid):
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
        except OSError:
            continue
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        p = todo.pop()
        found.append(p)
        todo.extend(children.get(p, []))
    return found


def memory_mb(pid):
    rss = pss = 0
    for p in descendants(pid):
        try:
            with open(f"/proc/{p}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Rss:"):
                        rss += int(line.split()[1])
                    elif line.startswith("Pss:"):
                        pss += int(line.split()[1])
        except OSError:
            pass
    return rss / 1024, pss / 1024, len(descendants(pid))



def cpu_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except OSError:
        return None


def window_mapped(title):
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                         capture_output=True, text=True).stdout.split()
    return bool(ids)


def copy_program(program, home):
    """The program in home/bin and its web view module at the same place relative to it."""
    top = os.path.dirname(os.path.dirname(os.path.abspath(program)))
    for module in glob.glob(f"{top}/lib/picture-fetchers/*.so") + glob.glob(f"{top}/lib/*/picture-fetchers/*.so"):
        target = os.path.join(home, os.path.relpath(module, top))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy(module, target)
    folder = os.path.join(home, "bin")
    os.makedirs(folder)
    return shutil.copy(os.path.abspath(program), folder)


def one_run(program, home, port, idle):
    name = os.path.basename(program)
    env = dict(os.environ, XDG_CONFIG_HOME=f"{home}/config", XDG_DATA_HOME=f"{home}/data",
               XDG_CACHE_HOME=f"{home}/cache")
    conf = f"{home}/config/Ombrel software/{name}.conf"
    os.makedirs(os.path.dirname(conf), exist_ok=True)
    with open(conf, "w") as f:
        f.write(f"[Settings]\nsponsor%20host=127.0.0.1:{port}\n")
    start = time.monotonic()
    proc = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown = cpu = None
    while time.monotonic() - start < 20:
        if window_mapped(name):
            shown = time.monotonic() - start
            cpu = cpu_seconds(proc.pid)
            break
        time.sleep(0.005)
    time.sleep(idle)
    rss, pss, processes = memory_mb(proc.pid)
    proc.terminate()
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
    return shown, rss, pss, processes, cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=8)
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    site = tempfile.mkdtemp()
    for name in ("Tarvelin", "Quorvash"):
        with open(f"{site}/p-net-{name}.asp", "w") as f:
            f.write("<body style='margin:0;background:#fff3c4'>Sponsor page on loopback</body>\n")
    server = serve(site)
    print("| program | start-up to a visible window (s) | CPU time used by then (s) | idle RSS, all processes (MB) "
          "| idle PSS (MB) | processes |")
    print("|---|---:|---:|---:|---:|---:|")
    for program in args.programs:
        results = []
        for _ in range(args.runs):
            home = tempfile.mkdtemp()
            results.append(one_run(copy_program(program, home), home, server.server_port, args.idle))
            shutil.rmtree(home, ignore_errors=True)
        shown = [r[0] for r in results if r[0] is not None]
        med = lambda i: statistics.median(r[i] for r in results)
        cpu = [r[4] for r in results if r[4] is not None]
        print("| %s | %s (%s) | %s | %.0f | %.0f | %d |" % (
            program, "%.3f" % statistics.median(shown) if shown else "-",
            ", ".join("%.2f" % s for s in shown), "%.2f" % statistics.median(cpu) if cpu else "-",
            med(1), med(2), med(3)))
    server.shutdown()
    shutil.rmtree(site, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
