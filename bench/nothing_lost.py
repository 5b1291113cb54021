#!/usr/bin/env python3
"""Sites and checks for bench/nothing_lost_bench.sh.

    nothing_lost.py big OUT [--count 5] [--mb 300]
    nothing_lost.py corrupt OUT
    nothing_lost.py kill OUT [--pictures 2000] [--paced 60] [--rate-kb 100]
    nothing_lost.py check MANIFEST FOLDER
    nothing_lost.py requests MANIFEST ACCESS_LOG

"big": OUT/index.htm shows COUNT JPEG files of MB MiB each. They are sparse:
a real JPEG header declaring 4000 x 3000 pixels, 4 KiB of bytes of their own
every 16 MiB, an end marker, and holes between, so they cost almost no disk.

"corrupt": 5,040 small broken JPEGs in seven kinds of 720, one page per kind
(kind-a.htm ... kind-g.htm) and OUT/index.htm linking the seven pages:
  a  a real baseline JPEG cut a few bytes into its scan data
  b  a progressive header of a sensible size (up to 2000 x 2000), scan cut
  c  a progressive header declaring 30000 x 30000, scan cut (531 bytes)
  d  a baseline header just over 8192 x 8192 pixels or at 65535 x 65535, scan cut
  e  a real JPEG cut inside its headers, before the scan header
  f  a header declaring a height of 0
  g  a start marker, a JFIF segment and bytes with no marker at all
The manifest says for each file whether its header declares a usable size
(a scan header is reached, width and height above 0, at most 8192 x 8192
pixels, neither side over 65500): that is what counting from the header
alone counts, corrupt or not.

"kill": 2,000 real JPEGs with bytes of their own on ten pages (page01.htm ...)
linked from OUT/index.htm, in folders g01/ ... g10/. PACED of them are 1.2 to
1.8 times RATE_KB so that a server limiting each request to RATE_KB per second
takes a second over each; the rest are 2-12 KB. 30 bare names occur in two
folders each (with other bytes), so a store that keeps bare names numbers one
of each pair.

"check" compares a folder with a manifest by bytes, whatever the names:
pictures intact, lost (served, bytes nowhere in the folder), duplicated
(bytes present more than once), partial (a file whose bytes are no picture
of the site, with how many of those are a cut-short prefix of one),
temporaries ("~part-*.tmp", "~resume-*", "~claims", "~project.cfg.XXXXXX" and
older kinds) and names numbered "(n)". Pages, project.cfg and the project lock
"~project.lock" are passed over. Prints one JSON line.

"requests" counts an nginx log of the benchmark's format by picture: requests
per picture, the most for one picture, answers by status, bytes served.
"""
import argparse
import hashlib
import json
import math
import multiprocessing
import os
import random
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_site import (AC_BITS, AC_VALS, DC_BITS, DC_VALS, jpeg_bytes,  # noqa: E402
                       segment, write)

MAX_PIXELS = 8192 * 8192
MAX_SIDE = 65500  # libjpeg's JPEG_MAX_DIMENSION
PAGE_EXT = (".htm", ".html")


def sha1_file(path):
    h = hashlib.sha1()
    with open(path, "rb") as f:
        while True:
            block = f.read(1 << 20)
            if not block:
                break
            h.update(block)
    return h.hexdigest()


def page(title, body):
    return ("<!DOCTYPE html>\n<html><head><title>%s</title></head><body>\n<h1>%s</h1>\n%s\n"
            "</body></html>\n" % (title, title, body)).encode()


def dqt():
    return segment(0xDB, b"\x00" + bytes([6] * 64))


def dht():
    return (segment(0xC4, b"\x00" + bytes(DC_BITS) + bytes(DC_VALS)) +
            segment(0xC4, b"\x10" + bytes(AC_BITS) + bytes(AC_VALS)))


def sof(marker, width, height):
    payload = struct.pack(">BHHB", 8, height, width, 3) + b"".join(
        struct.pack(">BBB", c, 0x11, 0) for c in (1, 2, 3))
    return segment(marker, payload)


def sos_baseline():
    return segment(0xDA, b"\x03\x01\x00\x02\x00\x03\x00\x00\x3f\x00")


def sos_progressive_dc():
    return segment(0xDA, b"\x03\x01\x00\x02\x00\x03\x00\x00\x00\x01")


JFIF = segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")


def header_size(data):
    """What a header-only probe makes of a JPEG: (width, height) when a scan
    header is reached after a frame header, else None. Mirrors libjpeg's
    jpeg_read_header as Qt feeds it: bytes between markers are passed over."""
    if data[:2] != b"\xff\xd8":
        return None
    at, size = 2, None
    while True:
        while at < len(data) and data[at] != 0xFF:
            at += 1
        while at < len(data) and data[at] == 0xFF:
            at += 1
        if at >= len(data):
            return None
        marker = data[at]
        at += 1
        if marker in (0x01,) or 0xD0 <= marker <= 0xD7:
            continue
        if marker == 0xD9:
            return None
        if at + 2 > len(data):
            return None
        length = struct.unpack(">H", data[at:at + 2])[0]
        if marker == 0xDA:
            # Past the end the source hands libjpeg end markers (FF D9), so a
            # scan header cut after its last component id still reads: table
            # numbers, Ss, Se and Ah/Al are only checked when the scan is
            # decoded.
            ns = data[at + 2] if at + 2 < len(data) else 0xFF
            return size if 1 <= ns <= 4 and at + 2 + 2 * ns <= len(data) else None
        if at + length > len(data):
            return None
        if marker in (0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF):
            if length < 8:
                return None
            height, width = struct.unpack(">HH", data[at + 3:at + 7])
            size = (width, height)
        at += length


def counts_as_picture(data):
    size = header_size(data)
    if size is None:
        return False
    w, h = size
    return 0 < w <= MAX_SIDE and 0 < h <= MAX_SIDE and w * h <= MAX_PIXELS


# ---------------------------------------------------------------- big --


def make_big(out, count, mib):
    size = mib * 1024 * 1024
    rng = random.Random("big")
    head = (b"\xff\xd8" + JFIF + dqt() + sof(0xC0, 4000, 3000) + dht() + sos_baseline())
    pictures, tags = [], []
    for i in range(count):
        name = "big-%d.jpg" % i
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.truncate(size)
            f.write(head)
            for at in range(16 << 20, size - 8192, 16 << 20):
                f.seek(at)
                f.write(rng.randbytes(4096))
            f.seek(size - 2)
            f.write(b"\xff\xd9")
        pictures.append({"name": name, "path": name, "size": size, "sha1": sha1_file(path),
                         "counts": True})
        tags.append('<img src="%s" alt="big %d">' % (name, i))
    write(os.path.join(out, "index.htm"), page("Five big pictures", "\n".join(tags)))
    return {"start": "/index.htm", "pages": 1, "pictures": pictures}


# ------------------------------------------------------------ corrupt --


def corrupt_bytes(kind, i):
    rng = random.Random("corrupt/%s/%d" % (kind, i))
    # A comment segment with the file's name gives every file bytes of its own.
    soi = b"\xff\xd8" + segment(0xFE, b"%s-%04d" % (kind.encode(), i))
    if kind == "a":
        full = soi + jpeg_bytes(rng.randint(1500, 4000), rng)[2:]
        scan = full.index(b"\xff\xda")
        scan += 2 + struct.unpack(">H", full[scan + 2:scan + 4])[0]
        return full[:scan + rng.randint(0, 200)]
    if kind == "b":
        head = (soi + JFIF + dqt() + sof(0xC2, rng.randint(16, 2000), rng.randint(16, 2000)) +
                dht() + sos_progressive_dc())
        return head + rng.randbytes(rng.randint(0, 300)).replace(b"\xff", b"\xfe")
    if kind == "c":
        # The 531-byte file of the report: progressive, 30000 x 30000; its
        # number in the last two bytes.
        head = (b"\xff\xd8\xff\xc2\x00\x11\x08\x75\x30\x75\x30\x03\x01\x22\x00\x02\x11\x01\x03\x11"
                b"\x01\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03\x11\x00\x3f\x00")
        return head + b"\x55" * 494 + struct.pack(">H", i)
    if kind == "d":
        w, h = (8193, 8192) if i % 2 == 0 else (65535, 65535)
        head = soi + JFIF + dqt() + sof(0xC0, w, h) + dht() + sos_baseline()
        return head + rng.randbytes(rng.randint(0, 300)).replace(b"\xff", b"\xfe")
    if kind == "e":
        full = soi + jpeg_bytes(rng.randint(1500, 4000), rng)[2:]
        scan = full.index(b"\xff\xda")
        return full[:rng.randint(len(soi), scan + 13)]  # the scan header has 14 bytes
    if kind == "f":
        head = soi + JFIF + dqt() + sof(0xC0, rng.randint(16, 2000), 0) + dht() + sos_baseline()
        return head + rng.randbytes(rng.randint(0, 300)).replace(b"\xff", b"\xfe")
    if kind == "g":
        return soi + JFIF + rng.randbytes(rng.randint(100, 3000)).replace(b"\xff", b"\xfe")
    raise ValueError(kind)


CORRUPT_KINDS = "abcdefg"
CORRUPT_EACH = 720


def corrupt_job(job):
    out, kind, i = job
    data = corrupt_bytes(kind, i)
    name = "%s-%04d.jpg" % (kind, i)
    write(os.path.join(out, "broken", kind, name), data)
    return {"name": name, "path": "broken/%s/%s" % (kind, name), "size": len(data), "kind": kind,
            "sha1": hashlib.sha1(data).hexdigest(), "counts": counts_as_picture(data)}


def make_corrupt(out):
    jobs = [(out, k, i) for k in CORRUPT_KINDS for i in range(CORRUPT_EACH)]
    with multiprocessing.Pool() as pool:
        pictures = pool.map(corrupt_job, jobs, chunksize=40)
    links = []
    for k in CORRUPT_KINDS:
        tags = ['<img src="broken/%s/%s">' % (k, p["name"]) for p in pictures if p["kind"] == k]
        write(os.path.join(out, "kind-%s.htm" % k), page("Kind %s" % k, "\n".join(tags)))
        links.append('<a href="kind-%s.htm">kind %s</a>' % (k, k))
    write(os.path.join(out, "index.htm"), page("Broken pictures", "<br>\n".join(links)))
    return {"start": "/index.htm", "pages": 1 + len(CORRUPT_KINDS), "pictures": pictures}


# --------------------------------------------------------------- kill --


def kill_job(job):
    out, entry, seed = job
    rng = random.Random("%s/%s" % (seed, entry["path"]))
    data = jpeg_bytes(entry["aim"], rng)
    write(os.path.join(out, entry["path"]), data)
    return len(data), hashlib.sha1(data).hexdigest()


def make_kill(out, count, paced, rate_kb):
    rng = random.Random("kill")
    folders = ["g%02d" % k for k in range(1, 11)]
    pictures = []
    clash_names = ["cover-%02d.jpg" % k for k in range(30)]
    for i in range(count):
        folder = folders[i % len(folders)]
        if i < 2 * len(clash_names):
            name = clash_names[i // 2]
            folder = folders[(i // 2 + i % 2) % len(folders)]
        else:
            name = "%s-%04d.jpg" % (folder, i)
        pictures.append({"name": name, "path": "%s/%s" % (folder, name), "paced": False,
                         "aim": int(math.exp(rng.uniform(math.log(2048), math.log(12 * 1024))))})
    for p in rng.sample(pictures[2 * len(clash_names):], paced):
        p["paced"] = True
        p["aim"] = int(rate_kb * 1024 * rng.uniform(1.25, 1.75))
    with multiprocessing.Pool() as pool:
        for p, (size, digest) in zip(pictures, pool.map(kill_job, [(out, p, "kill") for p in pictures],
                                                        chunksize=20)):
            p["size"], p["sha1"] = size, digest
            # A picture the server paces must still arrive within one second
            # past the first RATE_KB, or a 2-second life could never finish it.
            if p["paced"] and not rate_kb * 1024 < size < 2 * rate_kb * 1024:
                raise SystemExit("paced picture %s came out at %d bytes" % (p["path"], size))
    order = list(range(count))
    rng.shuffle(order)
    per_page = math.ceil(count / 10)
    links = []
    for k in range(10):
        chunk = order[k * per_page:(k + 1) * per_page]
        tags = ['<img src="%s">' % pictures[i]["path"] for i in chunk]
        write(os.path.join(out, "page%02d.htm" % (k + 1)), page("Page %d" % (k + 1), "\n".join(tags)))
        links.append('<a href="page%02d.htm">page %d</a>' % (k + 1, k + 1))
    write(os.path.join(out, "index.htm"), page("Pictures", "<br>\n".join(links)))
    return {"start": "/index.htm", "pages": 11, "pictures": pictures,
            "clash_names": len(clash_names), "rate_kb": rate_kb}


# -------------------------------------------------------------- check --

TEMP = re.compile(r"^(~part-.*\.tmp|~resume-.*|~claims|~?project\.cfg\.[A-Za-z0-9]{6}|\.part-.*|\.project\.cfg\..*)$")
NUMBERED = re.compile(r"\(\d+\)(\.[^./]*)?$")


def check(manifest_path, folder):
    m = json.load(open(manifest_path))
    by_sha = {p["sha1"]: p for p in m["pictures"]}
    # Prefixes of served pictures, to tell a cut-short copy from other bytes.
    small = {p["sha1"]: p for p in m["pictures"] if p["size"] < (64 << 20)}
    found = {}
    partial = cut_short = temporaries = numbered = files = 0
    partial_names = []
    for d, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(d, name)
            if TEMP.match(name):
                temporaries += 1
                continue
            if name in ("project.cfg", "~project.lock") or name.lower().endswith(PAGE_EXT):
                continue
            if os.path.islink(path) or not os.path.isfile(path):
                partial += 1
                partial_names.append(os.path.relpath(path, folder))
                continue
            files += 1
            numbered += bool(NUMBERED.search(name))
            digest = sha1_file(path)
            if digest in by_sha:
                found[digest] = found.get(digest, 0) + 1
                continue
            partial += 1
            partial_names.append(os.path.relpath(path, folder))
            with open(path, "rb") as f:
                data = f.read(64 << 20)
            if any(len(data) < p["size"] and p["name"] == re.sub(NUMBERED, r"\1", name)
                   for p in small.values()):
                cut_short += 1
    lost = [p["path"] for p in m["pictures"] if p["sha1"] not in found]
    out = {
        "served": len(m["pictures"]),
        "files": files,
        "intact": len(found),
        "lost": len(lost),
        "duplicates": sum(n - 1 for n in found.values()),
        "partial": partial,
        "cut_short": cut_short,
        "temporaries": temporaries,
        "numbered": numbered,
        "lost_examples": lost[:5],
        "partial_examples": partial_names[:5],
    }
    print(json.dumps(out))


def requests(manifest_path, log):
    m = json.load(open(manifest_path))
    paths = {"/" + p["path"]: 0 for p in m["pictures"]}
    statuses, pages, served, total = {}, 0, 0, 0
    for line in open(log):
        parts = line.split()
        if len(parts) < 4:
            continue
        status, size, uri = parts[1], int(parts[2]), parts[3]
        total += 1
        served += size
        statuses[status] = statuses.get(status, 0) + 1
        if uri in paths:
            paths[uri] += 1
        else:
            pages += 1
    counts = list(paths.values())
    site_bytes = sum(p["size"] for p in m["pictures"])
    print(json.dumps({
        "requests": total,
        "page_requests": pages,
        "picture_requests": sum(counts),
        "per_picture": round(sum(counts) / len(counts), 3),
        "most_for_one": max(counts),
        "asked_again": sum(c > 1 for c in counts),
        "never_asked": sum(c == 0 for c in counts),
        "statuses": statuses,
        "served_mb": round(served / 1e6, 1),
        "site_mb": round(site_bytes / 1e6, 1),
    }))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    sub = ap.add_subparsers(dest="what", required=True)
    b = sub.add_parser("big")
    b.add_argument("out")
    b.add_argument("--count", type=int, default=5)
    b.add_argument("--mb", type=int, default=300)
    c = sub.add_parser("corrupt")
    c.add_argument("out")
    k = sub.add_parser("kill")
    k.add_argument("out")
    k.add_argument("--pictures", type=int, default=2000)
    k.add_argument("--paced", type=int, default=60)
    k.add_argument("--rate-kb", type=int, default=100)
    ch = sub.add_parser("check")
    ch.add_argument("manifest")
    ch.add_argument("folder")
    r = sub.add_parser("requests")
    r.add_argument("manifest")
    r.add_argument("log")
    args = ap.parse_args()
    if args.what == "check":
        return check(args.manifest, args.folder)
    if args.what == "requests":
        return requests(args.manifest, args.log)
    os.makedirs(args.out, exist_ok=True)
    if args.what == "big":
        info = make_big(args.out, args.count, args.mb)
    elif args.what == "corrupt":
        info = make_corrupt(args.out)
    else:
        info = make_kill(args.out, args.pictures, args.paced, args.rate_kb)
    info["variant"] = args.what
    with open(os.path.join(args.out, "manifest.json"), "w") as f:
        json.dump(info, f, indent=1)
    total = sum(p["size"] for p in info["pictures"])
    print("%s: %d pages, %d pictures, %.1f MB of pictures" %
          (args.out, info["pages"], len(info["pictures"]), total / 1e6), file=sys.stderr)


if __name__ == "__main__":
    main()
