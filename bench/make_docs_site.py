#!/usr/bin/env python3
"""Writes a web site shaped like a program's manual, for bench/docs_bench.sh.

    make_docs_site.py OUT --other-host 127.0.0.2:18441 [--seed 1] [--pages 320]

OUT/host1/ is served on 127.0.0.1: a contents page /index.htm and PAGES pages
in the same flat folder (ch01-s01.htm ...), with the pictures in images/ (a few
icons that many pages show) and images/chNN/ and images/chNN/screens/ (figures).
OUT/host2/ holds a few pictures shown by absolute http://OTHER-HOST/ addresses.

What a documentation generator writes, and crawlers stumble over:
- every section opens with an anchor that has no href: <a id="..."></a>, and
  now and then <a class="anchor" id="...">; most figures stand under one too;
- the contents page links every section of every page (page.htm#sec-3), and
  each page has 5 to 15 such links, most of them to a few related pages;
- some links go to pages that do not exist (answered 404), also with a
  fragment or under a dir/../ spelling (--dotdot-pages SHARE also links
  existing pages that way);
- figure names repeat from chapter to chapter (overview.png in every
  images/chNN/), with other bytes each time;
- some picture addresses write a dot as a numeric character reference
  (fig-3&#46;png, fig-4&#x2e;jpg).

Every picture is a real JPEG or PNG with bytes of its own. OUT/manifest.json
lists them with their host and path, and says which are shown only with a
numeric reference and which stand on the other host.
"""
import argparse
import json
import math
import multiprocessing
import os
import random
import re
import sys

from make_site import WORDS, sentence, write, write_picture

CHAPTERS = 16
OTHER_HOST_PICTURES = 16
ICONS = ["note.png", "tip.png", "warning.png", "important.png", "caution.png"]
NAV_ICONS = ["home.png", "prev.png", "next.png", "up.png", "logo.png"]
REPEATED = ["overview.png", "diagram-1.png", "diagram-2.png", "toolbar.png", "dialog.jpg"]
MISSING = 12  # pages that are linked but do not exist


def small_size(rng):
    """2 KB to 40 KB, even on a log scale: icons, screenshots and diagrams."""
    return int(math.exp(rng.uniform(math.log(2 * 1024), math.log(40 * 1024))))


def numeric_dot(path, rng):
    """The last dot of `path` as a numeric character reference."""
    head, _, ext = path.rpartition(".")
    return head + rng.choice(["&#46;", "&#x2e;", "&#X2E;"]) + ext


def check_shown(out, manifest, other_host):
    """Every listed picture is shown by some page, and nothing unlisted is."""
    shown = set()
    folder = os.path.join(out, "host1")
    for name in os.listdir(folder):
        if not name.endswith(".htm"):
            continue
        with open(os.path.join(folder, name)) as f:
            for src in re.findall(r"<img src=[\"']([^\"']*)[\"']", f.read()):
                src = re.sub(r"&#(x?)([0-9a-fA-F]+);",
                             lambda m: chr(int(m.group(2), 16 if m.group(1) else 10)), src, flags=re.I)
                if src.startswith("http://" + other_host + "/"):
                    shown.add("host2/" + src[len(other_host) + 8:])
                else:
                    shown.add("host1/" + src.lstrip("/"))
    listed = {p["host"] + "/" + p["path"] for p in manifest}
    if shown != listed:
        sys.exit("make_docs_site: pictures shown but not listed: %s; listed but not shown: %s"
                 % (sorted(shown - listed)[:5], sorted(listed - shown)[:5]))


def make_docs(out, seed, other_host, page_count, pictures_per_page, dotdot_pages):
    rng = random.Random("%s/docs" % seed)
    host1 = os.path.join(out, "host1")
    host2 = os.path.join(out, "host2")

    per_chapter = max(1, page_count // CHAPTERS)
    pages = []  # (name, chapter)
    for i in range(page_count):
        chapter = min(CHAPTERS, i // per_chapter + 1)
        section = i - (chapter - 1) * per_chapter + 1
        pages.append(("ch%02d-s%02d.htm" % (chapter, section), chapter))
    missing = ["ch%02d-s%02d.htm" % (rng.randint(1, CHAPTERS), 90 + k) for k in range(MISSING)]

    manifest = []
    shown = {name: [] for name, _ in pages}  # page -> picture paths, in page order

    def picture(host, path, kind):
        manifest.append({"name": os.path.basename(path), "host": host, "path": path,
                         "size": small_size(rng), "kind": kind, "plain_ref": False,
                         "numeric_ref": False})
        return manifest[-1]

    icons = [picture("host1", "images/" + n, "png") for n in ICONS]
    for n in NAV_ICONS:
        picture("host1", "images/" + n, "png")["plain_ref"] = True
    for name, chapter in pages:
        folder = "images/ch%02d/" % chapter
        for k in range(rng.randint(max(1, pictures_per_page - 3), pictures_per_page + 3)):
            sub = "screens/" if rng.random() < 0.3 else ""
            kind = "png" if rng.random() < 0.6 else "jpg"
            stem = name[:-4]
            shown[name].append(picture("host1", "%s%s%s-fig%d.%s" % (folder, sub, stem, k + 1, kind), kind))
    # The same few names in every chapter folder, each a picture of its own.
    for chapter in range(1, CHAPTERS + 1):
        owners = [n for n, c in pages if c == chapter]
        for rep in REPEATED:
            shown[rng.choice(owners)].append(
                picture("host1", "images/ch%02d/%s" % (chapter, rep), rep.rsplit(".", 1)[1]))
    other = [picture("host2", "cdn/badge-%02d.jpg" % k, "jpg") for k in range(OTHER_HOST_PICTURES)]
    for p in other:
        shown[rng.choice(pages)[0]].append(p)

    def src_of(p, page_rng):
        if p["host"] == "host2":
            p["plain_ref"] = True
            return "http://%s/%s" % (other_host, p["path"])
        src = ("/" + p["path"]) if page_rng.random() < 0.1 else p["path"]
        if page_rng.random() < 0.06:
            p["numeric_ref"] = True
            return numeric_dot(src, page_rng)
        p["plain_ref"] = True
        return src

    def img(p, page_rng):
        q = "'" if page_rng.random() < 0.15 else '"'
        return "<img src=%s%s%s alt=%s%s%s>" % (q, src_of(p, page_rng), q, q, sentence(page_rng, 2)[:-1], q)

    def section_anchor(k, page_rng):
        r = page_rng.random()
        if r < 0.7:
            return '<a id="sec-%d"></a>' % k
        if r < 0.9:
            return '<a class="anchor" id="sec-%d" title="Section %d"></a>' % (k, k)
        return "<a class='anchor'><span id='sec-%d'></span></a>" % k

    def fragment_link(page_rng, related):
        # Most cross-references go to a few related pages, as in a manual.
        target = page_rng.choice(related) if page_rng.random() < 0.7 else page_rng.choice(pages)[0]
        return '<a href="%s#sec-%d">%s</a>' % (target, page_rng.randint(1, 8), sentence(page_rng, 2)[:-1])

    names = [n for n, _ in pages]
    section_count = {}
    for i, (name, chapter) in enumerate(pages):
        page_rng = random.Random("%s/docs/%s" % (seed, name))
        nav = ['<a href="index.htm"><img src="images/home.png" alt="">Contents</a>']
        if i > 0:
            nav.append('<a href="%s"><img src="images/prev.png" alt="">Previous</a>' % names[i - 1])
        if i + 1 < len(names):
            nav.append('<a href="%s"><img src="images/next.png" alt="">Next</a>' % names[i + 1])
        body = ["<!DOCTYPE html>", '<html><head><meta charset="utf-8">',
                "<title>%d.%s %s</title>" % (chapter, name[6:8], sentence(page_rng, 3)[:-1]),
                '<link rel="stylesheet" href="style.css"></head>', "<body>",
                '<div class="nav"><img src="images/logo.png" alt="">' + " | ".join(nav) + "</div>",
                '<a id="top"></a><h1>%s</h1>' % sentence(page_rng, 4)[:-1]]
        pics = list(shown[name])
        # Icons: each page shows a few of them, often more than once.
        for _ in range(page_rng.randint(1, 4)):
            pics.insert(page_rng.randrange(len(pics) + 1), page_rng.choice(icons[:5]))
        figure_no = [0]
        sections = page_rng.randint(3, 8)
        section_count[name] = sections
        related = [names[min(len(names) - 1, max(0, i + d))] for d in (-2, -1, 1, 2, 5)]
        fragments = page_rng.randint(5, 15)
        per_section = [pics[k::sections] for k in range(sections)]
        for k in range(1, sections + 1):
            body.append(section_anchor(k, page_rng))
            body.append("<h2>%d. %s</h2>" % (k, sentence(page_rng, 3)[:-1]))
            # Paragraphs, with the section's links in some of them and its
            # figures (each under an anchor of its own) between them.
            paragraphs = [[sentence(page_rng, page_rng.randint(8, 18)) for _ in range(3)]
                          for _ in range(page_rng.randint(2, 4))]

            def add(text):
                para = page_rng.choice(paragraphs)
                para.insert(page_rng.randrange(len(para) + 1), text)

            links = fragments // sections + (1 if k <= fragments % sections else 0)
            for _ in range(links):
                add("See " + fragment_link(page_rng, related) + ".")
            if page_rng.random() < 0.12:   # a page that was never written
                m = page_rng.choice(missing)
                spelled = page_rng.choice([m, "%s#sec-%d" % (m, page_rng.randint(1, 8)), "images/../" + m,
                                           "ch%02d/../%s" % (chapter, m)])
                add('See also <a href="%s">%s</a>.' % (spelled, sentence(page_rng, 2)[:-1]))
            if page_rng.random() < dotdot_pages:   # an existing page under a longer name
                add('Back to <a href="images/../%s#top">%s</a>.' % (page_rng.choice(names), sentence(page_rng, 2)[:-1]))
            blocks = ["<p>%s</p>" % " ".join(para) for para in paragraphs]
            for p in per_section[k - 1]:
                figure_no[0] += 1
                anchor = '<a id="fig-%d"></a>' % figure_no[0] if page_rng.random() < 0.7 else ""
                blocks.insert(page_rng.randrange(len(blocks) + 1),
                              '<div class="figure">%s%s</div>' % (anchor, img(p, page_rng)))
            body.extend(blocks)
        body.append('<div class="nav">%s | <a href="#top"><img src="images/up.png" alt="">Top</a></div>'
                    % " | ".join(nav))
        body.append("</body></html>")
        write(os.path.join(host1, name), ("\n".join(body) + "\n").encode())

    toc = ["<!DOCTYPE html>", "<html><head><title>Manual</title></head><body>",
           '<a id="top"></a><h1>Manual</h1><img src="images/logo.png" alt="">', "<ul>"]
    for name, chapter in pages:
        # The contents list every section: the spellings of one page stand together.
        toc.append('<li><a class="toc" href="%s">%s</a><ul>' % (name, name[:-4]) + "".join(
            '<li><a href="%s#sec-%d">%d</a></li>' % (name, k, k) for k in range(1, section_count[name] + 1))
            + "</ul></li>")
    toc.append("</ul></body></html>")
    write(os.path.join(host1, "index.htm"), ("\n".join(toc) + "\n").encode())
    write(os.path.join(host1, "style.css"), b"body { font-family: sans-serif; }\n")

    check_shown(out, manifest, other_host)
    jobs = [(seed, os.path.join(host1 if p["host"] == "host1" else host2, p["path"]),
             p["host"] + "/" + p["path"], p["size"], p["kind"]) for p in manifest]
    with multiprocessing.Pool() as pool:
        for i, size in enumerate(pool.imap(write_picture, jobs, chunksize=16)):
            manifest[i]["size"] = size
            if (i + 1) % 500 == 0:
                print("  %d of %d pictures" % (i + 1, len(manifest)), file=sys.stderr)
    for p in manifest:
        p["only_numeric_ref"] = p.pop("numeric_ref") and not p.pop("plain_ref")
        p.pop("plain_ref", None)
        p.pop("numeric_ref", None)
    return {"start": "/index.htm", "pages": page_count + 1, "pictures": manifest,
            "missing": sorted(set(missing))}


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("out")
    ap.add_argument("--seed", default="1")
    ap.add_argument("--other-host", default="127.0.0.2:18441")
    ap.add_argument("--pages", type=int, default=320)
    ap.add_argument("--pictures-per-page", type=int, default=5)
    ap.add_argument("--dotdot-pages", type=float, default=0, metavar="SHARE",
                    help="share of sections that also link an existing page as images/../PAGE (0)")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    info = make_docs(args.out, args.seed, args.other_host, args.pages, args.pictures_per_page,
                     args.dotdot_pages)
    info.update(seed=args.seed, variant="docs", other_host=args.other_host)
    with open(os.path.join(args.out, "manifest.json"), "w") as f:
        json.dump(info, f, indent=1)
    pics = info["pictures"]
    print("%s: %d pages, %d pictures (%d on the other host, %d only with numeric references), "
          "%.1f MB of pictures" % (args.out, info["pages"], len(pics),
                                   sum(p["host"] == "host2" for p in pics),
                                   sum(p["only_numeric_ref"] for p in pics),
                                   sum(p["size"] for p in pics) / 1e6), file=sys.stderr)


if __name__ == "__main__":
    main()
