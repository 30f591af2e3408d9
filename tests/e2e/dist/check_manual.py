#!/usr/bin/env python3
"""Reads the HTML manual of an unpacked download as a browser would and
checks it against the Markdown pages it was made from:

    check_manual.py MANUAL_DIR DOCS_DIR

- every docs page has its HTML page, with a title and its headings;
- the contents page links every page;
- every link inside the manual reaches a page that exists, and an anchor
  that exists on it; no link points at a .md file;
- every mention of a manual page in running text is a link.
Prints each fault and exits 1 if there is one.
"""
import os
import re
import sys
from html.parser import HTMLParser
from urllib.parse import unquote, urlsplit

MENTION = re.compile(r"(?<![\w/.-])(?:docs/)?([A-Za-z0-9_-]+)\.md(?![\w-])")


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids, self.links, self.headings = set(), [], []
        self.title, self.stack, self.loose = "", [], []
        self.in_title = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "a" and "href" in a:
            self.links.append(a["href"])
        if tag in ("h1", "h2", "h3"):
            self.headings.append("")
        self.in_title = tag == "title"
        self.stack.append(tag)

    def handle_endtag(self, tag):
        if tag in self.stack:
            while self.stack.pop() != tag:
                pass
        self.in_title = False

    def handle_data(self, data):
        if self.in_title:
            self.title += data
        if self.stack and self.stack[-1] in ("h1", "h2", "h3"):
            self.headings[-1] += data
        if "a" in self.stack or "pre" in self.stack:
            return
        self.loose += [m for m in MENTION.finditer(data)]


def read(path):
    p = Page()
    with open(path, encoding="utf-8") as f:
        p.feed(f.read())
    return p


def md_headings(path):
    fence, out = False, []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.lstrip().startswith("```"):
                fence = not fence
            elif not fence and re.match(r"#{1,3} ", line):
                out.append(line)
    return out


def main(manual, docs):
    faults = []
    names = sorted(f[:-3] for f in os.listdir(docs) if f.endswith(".md"))
    pages = {f: read(os.path.join(manual, f))
             for f in os.listdir(manual) if f.endswith(".html")}
    for n in names:
        p = pages.get(n + ".html")
        if p is None:
            faults.append(f"{n}.md has no page {n}.html")
            continue
        if not p.title.strip():
            faults.append(f"{n}.html has no title")
        want = len(md_headings(os.path.join(docs, n + ".md")))
        if len(p.headings) != want:
            faults.append(f"{n}.html has {len(p.headings)} headings, {n}.md {want}")
        for m in p.loose:
            if m.group(1) in names:
                faults.append(f"{n}.html mentions {m.group(0)} without a link")
    index = pages.get("index.html")
    if index is None:
        faults.append("no index.html")
    else:
        listed = {urlsplit(h).path for h in index.links}
        faults += [f"the contents do not list {n}.html"
                   for n in names if n + ".html" not in listed]
    for name, p in sorted(pages.items()):
        for href in p.links:
            u = urlsplit(href)
            if u.scheme or u.netloc:
                continue
            target = unquote(u.path) or name
            if target.endswith(".md"):
                faults.append(f"{name} links the source {href}")
            elif target not in pages:
                faults.append(f"{name} links {href}: no such page")
            elif u.fragment and u.fragment not in pages[target].ids:
                faults.append(f"{name} links {href}: no such anchor")
    for f in faults:
        print("manual:", f)
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: check_manual.py MANUAL_DIR DOCS_DIR")
    sys.exit(main(sys.argv[1], sys.argv[2]))
