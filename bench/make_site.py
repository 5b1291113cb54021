#!/usr/bin/env python3
"""Writes a web site for the crawl benchmark (bench/site_bench.sh) into a folder.

    make_site.py main OUT --other-host 127.0.0.2:18431 [--seed 1]
    make_site.py big  OUT [--seed 1]
    make_site.py updown OUT [--seed 1]

"main": OUT/host1/ is served on 127.0.0.1 and holds 200 HTML pages in twelve
directories that link each other, and about 1,800 pictures (JPEG and PNG,
5-200 KB); OUT/host2/ is served on the other host and holds about 200 more
JPEG pictures, shown by the pages under absolute http://OTHER-HOST/... addresses.
The start page is /index.htm.

"big": OUT/host1/index.htm shows one picture of about 50 MB.

"updown": three pages: /a/b/p.htm links "../index.htm", and /a/index.htm
links "b/p.htm" and shows "x-updown.jpg" (relative) and "/a/y-updown.jpg"
(root-absolute). A crawler that does not fold "dir/../" meets the pages and
the relative picture under ever longer names.

Every picture is a real, decodable file: JPEGs are baseline files whose DCT
coefficients are drawn at random (so no DCT needs to be computed here), PNGs
hold rows of noise among repeated rows. Sizes are aimed between 5 and 200 KB;
the files land near their aim (about 3 to 240 KB). The output only depends
on the seed and the other host's address. OUT/manifest.json lists the pictures the start
page leads to (name, host, size), for the benchmark to check what was stored.

Links: index pages use root-absolute addresses ("/gallery/p003.htm") only;
other pages mix root-absolute and same-directory relative ones ("p004.htm",
"img/x.jpg"), and a handful of them link "../index.htm". Every picture has a
file name that is unique over both hosts.
"""
import argparse
import json
import math
import multiprocessing
import os
import random
import struct
import sys
import zlib

# ---------------------------------------------------------------- JPEG --

# Huffman tables of ITU T.81 Annex K.3 (luminance), used for all three components.
DC_BITS = [0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0]
DC_VALS = list(range(12))
AC_BITS = [0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D]
AC_VALS = [
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07,
    0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1, 0x15, 0x52, 0xD1, 0xF0,
    0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0A, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x25, 0x26, 0x27, 0x28,
    0x29, 0x2A, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49,
    0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,
    0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89,
    0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
    0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5,
    0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE1, 0xE2,
    0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8,
    0xF9, 0xFA,
]
assert sum(DC_BITS) == len(DC_VALS) and sum(AC_BITS) == len(AC_VALS)


def huffman_codes(bits, vals):
    """Canonical codes (ITU T.81 Annex C) as strings of '0' and '1', by symbol."""
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(bits[length - 1]):
            codes[vals[k]] = format(code, "0%db" % length)
            code += 1
            k += 1
        code <<= 1
    return codes


def value_bits(v):
    """Magnitude category and the extra bits of a coefficient (T.81 F.1.2.1)."""
    size = abs(v).bit_length()
    if size == 0:
        return 0, ""
    return size, format(v if v > 0 else v + (1 << size) - 1, "0%db" % size)


DC_HUFF = huffman_codes(DC_BITS, DC_VALS)
AC_HUFF = huffman_codes(AC_BITS, AC_VALS)
DC_MAX = 255    # DC differences stay in -255..255
AC_MAX = 127    # AC values stay in -127..127
DC_CODE = {}
for _d in range(-DC_MAX, DC_MAX + 1):
    _s, _b = value_bits(_d)
    DC_CODE[_d] = DC_HUFF[_s] + _b
AC_CODE = {}  # (zero run 0..15, value) -> bits
for _run in range(16):
    for _v in range(-AC_MAX, AC_MAX + 1):
        if _v:
            _s, _b = value_bits(_v)
            AC_CODE[_run, _v] = AC_HUFF[(_run << 4) | _s] + _b
EOB = AC_HUFF[0x00]
ZRL = AC_HUFF[0xF0]


def segment(marker, payload):
    return struct.pack(">BBH", 0xFF, marker, len(payload) + 2) + payload


class JpegPicture:
    """Baseline YCbCr 4:4:4 JPEG, one 8x8 block per component in each MCU."""

    def __init__(self, rng):
        self.rng = rng
        self.dc = [rng.randint(-60, 60), rng.randint(-20, 20), rng.randint(-20, 20)]
        self.pred = [0, 0, 0]
        self.density = rng.uniform(0.15, 0.8)   # how busy the blocks are
        self.reach = rng.randint(12, 63)        # last zigzag position used

    def block(self, comp):
        rng = self.rng
        dc = self.dc[comp] + rng.randint(-6, 6)
        dc = max(-120, min(120, dc))
        self.dc[comp] = dc
        out = [DC_CODE[dc - self.pred[comp]]]
        self.pred[comp] = dc
        run = 0
        last = 0
        density = self.density if comp == 0 else self.density * 0.4
        for k in range(1, self.reach + 1):
            if rng.random() >= density / (1 + k * 0.08):
                run += 1
                continue
            amp = max(1, int(48 / (1 + k * 0.3)))
            v = rng.randint(1, amp) * (1 if rng.random() < 0.5 else -1)
            while run > 15:
                out.append(ZRL)
                run -= 16
            out.append(AC_CODE[run, v])
            run = 0
            last = k
        if last < 63:
            out.append(EOB)
        return "".join(out)

    def mcu(self):
        return self.block(0) + self.block(1) + self.block(2)


def jpeg_bytes(target, rng):
    """A JPEG of about `target` bytes."""
    pic = JpegPicture(rng)
    sample = [pic.mcu() for _ in range(8)]
    per_mcu = max(8.0, sum(map(len, sample)) / len(sample))
    target *= 0.92   # the last row of MCUs and the headers come on top
    mcus = max(1, int(target * 8 / per_mcu))
    aspect = rng.uniform(0.6, 1.6)
    w = max(1, min(1024, int(round(math.sqrt(mcus * aspect)))))
    pieces = sample
    total = sum(map(len, pieces))
    count = len(pieces)
    while count % w or total < target * 8:
        piece = pic.mcu()
        pieces.append(piece)
        total += len(piece)
        count += 1
    h = count // w
    stream = "".join(pieces)
    stream += "1" * (-len(stream) % 8)
    data = int(stream, 2).to_bytes(len(stream) // 8, "big").replace(b"\xff", b"\xff\x00")

    out = [b"\xff\xd8"]
    out.append(segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00"))
    out.append(segment(0xDB, b"\x00" + bytes([6] * 64)))
    sof = struct.pack(">BHHB", 8, h * 8, w * 8, 3) + b"".join(
        struct.pack(">BBB", c, 0x11, 0) for c in (1, 2, 3))
    out.append(segment(0xC0, sof))
    out.append(segment(0xC4, b"\x00" + bytes(DC_BITS) + bytes(DC_VALS)))
    out.append(segment(0xC4, b"\x10" + bytes(AC_BITS) + bytes(AC_VALS)))
    out.append(segment(0xDA, b"\x03" + b"\x01\x00\x02\x00\x03\x00" + b"\x00\x3f\x00"))
    out.append(data)
    out.append(b"\xff\xd9")
    return b"".join(out)

# ----------------------------------------------------------------- PNG --


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_bytes(target, rng, level=6):
    """An RGB PNG of about `target` bytes: rows of noise between rows that
    repeat the one above (filter "Up" with zero differences), so the file size
    follows the share of noise rows."""
    noisy = rng.uniform(0.3, 1.0)
    width = rng.randint(96, 640)
    stride = width * 3
    height = max(1, int(target / (stride * noisy)))
    repeat = b"\x02" + bytes(stride)
    rows = []
    for y in range(height):
        if y == 0 or rng.random() < noisy:
            rows.append(b"\x00" + rng.randbytes(stride))
        else:
            rows.append(repeat)
    raw = b"".join(rows)
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) +
            png_chunk(b"IDAT", zlib.compress(raw, level)) + png_chunk(b"IEND", b""))


def big_png(target, rng):
    """About `target` bytes of noise as one PNG, written in one go."""
    width = 4096
    stride = width * 3
    height = max(1, target // (stride + 1))
    comp = zlib.compressobj(1)
    parts = []
    for _ in range(height):
        parts.append(comp.compress(b"\x00" + rng.randbytes(stride)))
    parts.append(comp.flush())
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", ihdr) +
            png_chunk(b"IDAT", b"".join(parts)) + png_chunk(b"IEND", b""))

# ---------------------------------------------------------------- site --


WORDS = ("harbour lantern meadow copper violet river stone window garden tower bridge "
         "morning orchard pebble summit falcon cedar willow quarry mill cloud ferry "
         "market square pier lighthouse hedge valley ridge glass amber slate thistle").split()


def sentence(rng, n):
    words = [rng.choice(WORDS) for _ in range(n)]
    return " ".join(words).capitalize() + "."


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def picture_size(rng):
    """5 KB to 200 KB, spread evenly on a log scale."""
    return int(math.exp(rng.uniform(math.log(5 * 1024), math.log(200 * 1024))))


def write_picture(job):
    """Writes one picture; its bytes only depend on the seed and its name."""
    seed, path, name, size, kind = job
    rng = random.Random("%s/%s" % (seed, name))
    data = jpeg_bytes(size, rng) if kind == "jpg" else png_bytes(size, rng)
    write(path, data)
    return len(data)


DIRS = ["", "gallery/", "gallery/animals/", "gallery/city/", "gallery/sea/", "news/",
        "news/2023/", "news/2024/", "people/", "travel/", "travel/north/", "travel/south/"]
PAGES = 200
SAME_HOST_PICTURES = 1800
OTHER_HOST_PICTURES = 200
UP_LINKS = 8     # pages that link "../index.htm"


def make_main(out, seed, other_host):
    rng = random.Random("%s/main" % seed)
    host1 = os.path.join(out, "host1")
    host2 = os.path.join(out, "host2")

    # Pages: one index per directory, the others spread over the directories.
    pages = []  # (dir, name)
    for d in DIRS:
        pages.append((d, "index.htm"))
    leaves = []
    for i in range(PAGES - len(DIRS)):
        d = DIRS[i % len(DIRS)]
        ext = "htm" if rng.random() < 0.7 else "html"
        leaves.append((d, "p%03d.%s" % (i, ext)))
    pages += leaves
    by_dir = {d: [p for p in leaves if p[0] == d] for d in DIRS}

    # Pictures: each belongs to one non-index page and lives in that page's
    # directory under img/ (same host) or under /photos/ on the other host.
    shown = {p: [] for p in pages}   # page -> [(src, name, alt-kind)]
    manifest = []
    for i in range(SAME_HOST_PICTURES):
        page = leaves[rng.randrange(len(leaves))]
        d = page[0]
        kind = "jpg" if rng.random() < 0.7 else "png"
        prefix = (d.strip("/").replace("/", "-") or "home")
        name = "%s-%04d.%s" % (prefix, i, kind)
        size = picture_size(rng)
        manifest.append({"name": name, "host": "host1", "path": d + "img/" + name, "size": size,
                         "kind": kind})
        shown[page].append(("same", d + "img/" + name))
    for i in range(OTHER_HOST_PICTURES):
        page = leaves[rng.randrange(len(leaves))]
        name = "ext-%04d.jpg" % i
        size = picture_size(rng)
        manifest.append({"name": name, "host": "host2", "path": "photos/" + name, "size": size,
                         "kind": "jpg"})
        shown[page].append(("other", "photos/" + name))
    manifest.append({"name": "logo.png", "host": "host1", "path": "logo.png", "size": 9000,
                     "kind": "png"})

    # A few pictures are also shown on an index page ("featured").
    featured = {}
    for d in DIRS:
        pics = [s for p in by_dir[d] for s in shown[p] if s[0] == "same"]
        featured[d] = rng.sample(pics, min(3, len(pics)))

    up_pages = set(rng.sample([p for p in leaves if p[0]], UP_LINKS))

    def img_tag(where, path, page_dir, absolute_only):
        alt = sentence(rng, 2)[:-1]
        if where == "other":
            return '<img src="http://%s/%s" alt="%s">' % (other_host, path, alt)
        if absolute_only or rng.random() < 0.5:
            src = "/" + path
        else:
            src = path[len(page_dir):]          # same-directory relative: img/x.jpg
        r = rng.random()
        if r < 0.1:   # unquoted, ended by a blank
            return "<img src=%s width=%d alt=pic>" % (src, rng.randint(100, 400))
        if r < 0.3:
            return "<img src='%s' alt='%s'>" % (src, alt)
        return '<img src="%s" alt="%s" width="%d">' % (src, alt, rng.randint(100, 400))

    def link(target, page_dir, absolute_only, text):
        d, n = target
        if not absolute_only and d == page_dir and rng.random() < 0.6:
            href = n
        else:
            href = "/" + d + n
        q = "'" if rng.random() < 0.25 else '"'
        return "<a href=%s%s%s>%s</a>" % (q, href, q, text)

    for page in pages:
        d, n = page
        is_index = n == "index.htm"
        title = "%s%s" % (d or "home/", n)
        body = ["<!DOCTYPE html>", "<html><head><meta charset=\"utf-8\">",
                "<title>%s</title></head>" % title, "<body>", '<a name="top"></a>',
                "<h1>%s</h1>" % sentence(rng, 4)]
        body.append('<p><img src="/logo.png" alt="logo"> ' + link(("", "index.htm"), d, is_index, "Home") + "</p>")
        nav = []
        if is_index:
            for other in DIRS:
                if other != d:
                    nav.append(link((other, "index.htm"), d, True, other or "home"))
            for leaf in by_dir[d]:
                nav.append(link(leaf, d, True, sentence(rng, 2)[:-1]))
        else:
            siblings = by_dir[d]
            k = siblings.index(page)
            nav.append(link((d, "index.htm"), d, False, "Up"))
            if k > 0:
                nav.append(link(siblings[k - 1], d, False, "Previous"))
            if k + 1 < len(siblings):
                nav.append(link(siblings[k + 1], d, False, "Next"))
            for other in rng.sample(leaves, 3):
                nav.append(link(other, d, False, sentence(rng, 2)[:-1]))
            if page in up_pages:
                nav.append('<a href="../index.htm">One level up</a>')
        body.append("<p>" + " | ".join(nav) + "</p>")
        for _ in range(rng.randint(3, 12)):
            body.append("<p>%s</p>" % " ".join(sentence(rng, rng.randint(6, 16)) for _ in range(4)))
        body.append('<div class="pictures">')
        pics = featured[d] if is_index else shown[page]
        for where, path in pics:
            tag = img_tag(where, path, d, is_index)
            # Now and then the picture is also the target of a link around it.
            if where == "same" and rng.random() < 0.1:
                tag = '<a href="/%s">%s</a>' % (path, tag)
            body.append(tag)
        body.append("</div>")
        body.append('<p><a href="#top">Top</a> <a href="mailto:editor@site.invalid">Write</a></p>')
        body.append("</body></html>")
        write(os.path.join(host1, d, n), ("\n".join(body) + "\n").encode())

    jobs = [(seed, os.path.join(host1 if e["host"] == "host1" else host2, e["path"]), e["name"],
             e["size"], e["kind"]) for e in manifest]
    with multiprocessing.Pool() as pool:
        for i, size in enumerate(pool.imap(write_picture, jobs, chunksize=8)):
            manifest[i]["size"] = size
            if (i + 1) % 250 == 0:
                print("  %d of %d pictures" % (i + 1, len(manifest)), file=sys.stderr)

    return {"start": "/index.htm", "pages": len(pages), "pictures": manifest,
            "up_links": sorted("/" + d + n for d, n in up_pages)}


def make_big(out, seed):
    rng = random.Random("%s/big" % seed)
    host1 = os.path.join(out, "host1")
    data = big_png(50 * 1024 * 1024, rng)
    write(os.path.join(host1, "pictures", "big-picture.png"), data)
    page = ("<!DOCTYPE html>\n<html><head><title>One big picture</title></head><body>\n"
            "<h1>One big picture</h1>\n<p><img src=\"pictures/big-picture.png\" alt=\"big\"></p>\n"
            "</body></html>\n")
    write(os.path.join(host1, "index.htm"), page.encode())
    return {"start": "/index.htm", "pages": 1,
            "pictures": [{"name": "big-picture.png", "host": "host1",
                          "path": "pictures/big-picture.png", "size": len(data), "kind": "png"}]}


def make_updown(out, seed):
    host1 = os.path.join(out, "host1")
    pics = []
    for name in ("x-updown.jpg", "y-updown.jpg"):
        size = write_picture((seed, os.path.join(host1, "a", name), name, 20000, "jpg"))
        pics.append({"name": name, "host": "host1", "path": "a/" + name, "size": size, "kind": "jpg"})
    pages = {
        "index.htm": '<a href="/a/index.htm">Pictures</a>',
        "a/index.htm": '<a href="b/p.htm">More</a>\n<img src="x-updown.jpg" alt="x">\n'
                       '<img src="/a/y-updown.jpg" alt="y">',
        "a/b/p.htm": '<a href="../index.htm">Back</a>',
    }
    for path, body in pages.items():
        html = "<!DOCTYPE html>\n<html><head><title>%s</title></head><body>\n%s\n</body></html>\n" % (path, body)
        write(os.path.join(host1, path), html.encode())
    return {"start": "/index.htm", "pages": len(pages), "pictures": pics}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("variant", choices=["main", "big", "updown"])
    ap.add_argument("out")
    ap.add_argument("--seed", default="1")
    ap.add_argument("--other-host", default="127.0.0.2:18431",
                    help="host:port that serves host2/ (main site only)")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    if args.variant == "main":
        info = make_main(args.out, args.seed, args.other_host)
        info["other_host"] = args.other_host
    elif args.variant == "big":
        info = make_big(args.out, args.seed)
    else:
        info = make_updown(args.out, args.seed)
    info["seed"] = args.seed
    info["variant"] = args.variant
    with open(os.path.join(args.out, "manifest.json"), "w") as f:
        json.dump(info, f, indent=1)
    total = sum(p["size"] for p in info["pictures"])
    print("%s: %d pages, %d pictures, %.1f MB of pictures" %
          (args.out, info["pages"], len(info["pictures"]), total / 1e6), file=sys.stderr)


if __name__ == "__main__":
    main()
