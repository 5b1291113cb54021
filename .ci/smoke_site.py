#!/usr/bin/env python3
"""Writes the small site that .ci/run crawls with the README's run command.

    smoke_site.py OUT START-PATH

The start page is START-PATH (a directory such as /gallery/, served as its
index.html). Pages stand in that directory and in a second one, linked both
ways; the pictures are real JPEG and PNG files with distinct names, shown by
relative and root-absolute addresses, some after section anchors that carry
no href. Prints one line per picture: its bare name and its path in OUT.
"""
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bench"))
from make_site import jpeg_bytes, png_bytes  # noqa: E402


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def page(title, body):
    return ("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%s</title></head>\n"
            "<body>\n%s\n</body></html>\n" % (title, "\n".join(body))).encode()


def main():
    out, start = sys.argv[1], sys.argv[2]
    start_file = start.lstrip("/")
    if start_file == "" or start_file.endswith("/"):
        start_file += "index.html"
    first = os.path.dirname(start_file)  # "" at the site root
    second = "people" if first != "people" else "places"

    def under(directory, rest):
        return directory + "/" + rest if directory else rest

    rng = random.Random("ci-smoke")

    pictures = []  # (bare name, path below OUT)

    def picture(directory, name):
        data = jpeg_bytes(rng.randint(6000, 20000), rng) if name.endswith(".jpg") else \
            png_bytes(rng.randint(6000, 20000), rng)
        path = under(directory, "pics/" + name)
        write(os.path.join(out, path), data)
        pictures.append((name, path))
        return path

    a1 = picture(first, "ci-harbour.jpg")
    a2 = picture(first, "ci-lantern.png")
    a3 = picture(first, "ci-meadow.jpg")
    b1 = picture(second, "ci-copper.jpg")
    b2 = picture(second, "ci-violet.png")
    b3 = picture(second, "ci-river.jpg")

    write(os.path.join(out, start_file), page("Smoke gallery", [
        '<h1>Gallery</h1>',
        '<a id="first"></a><h2>First</h2>',
        '<img src="pics/%s" alt="a">' % os.path.basename(a1),
        '<a class="section">Second</a>',
        '<img src="/%s" alt="b">' % a2,
        '<p><a href="more.html">More</a> | <a href="/%s/index.html">People</a></p>' % second,
    ]))
    write(os.path.join(out, under(first, "more.html")), page("More", [
        '<p><a href="index.html">Back</a></p>',
        "<img src='pics/%s' alt='c'>" % os.path.basename(a3),
    ]))
    write(os.path.join(out, second, "index.html"), page("People", [
        '<a id="top"></a>',
        '<img src="pics/%s" alt="d">' % os.path.basename(b1),
        '<img src="/%s" alt="e">' % b2,
        '<p><a href="/%s">Gallery</a> <a href="more.html">More people</a></p>' % start_file,
    ]))
    write(os.path.join(out, second, "more.html"), page("More people", [
        '<a name="top"></a><a id="x" class="y"></a>',
        '<img src="pics/%s" alt="f">' % os.path.basename(b3),
        '<a href="index.html">Back</a>',
    ]))
    for name, path in pictures:
        print(name, path)


if __name__ == "__main__":
    main()
