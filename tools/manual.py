#!/usr/bin/python3
"""Turns the manual (docs/*.md) into HTML pages with a table of contents.

    manual.py DOCS OUT VERSION

OUT is emptied first, then gets one page per docs page (foo.md -> foo.html),
index.html with the contents of every page, and style.css. Mentions of
another page (`docs/foo.md`, [text](foo.md#part), a bare foo.md in a table)
become links to its HTML page. The output depends only on the input.
Needs Debian's python3-markdown-it (tools/setup.sh installs it).
"""
import html
import os
import re
import shutil
import sys

from markdown_it import MarkdownIt
from markdown_it.token import Token

# Reading order of the contents page; pages not named here follow the
# named ones in alphabetical order, so a new page is never left out.
GROUPS = [
    ("Getting started", ["start", "terminal"]),
    ("Interfaces", ["gui", "dialogs", "scrolling", "designer", "editor"]),
    ("Drawing", ["canvas", "images"]),
    ("x86 code", ["inline-assembly", "assembly", "modules", "das386"]),
    ("Data and the system", ["regex", "db", "syslib"]),
    ("For developers", ["lua-bench", "architecture"]),
]
OTHER = "More"

PAGE_REF = re.compile(r"(?<![\w/.-])(?:docs/)?([A-Za-z0-9_-]+)\.md(#[\w-]*)?(?![\w-])")

STYLE = """body { font-family: Segoe UI, Arial, sans-serif; max-width: 52em;
  margin: 1em auto; padding: 0 1em; line-height: 1.45; color: #222; }
nav { font-size: 90%; border-bottom: 1px solid #ccc; padding-bottom: .4em; }
nav.foot { border-bottom: 0; border-top: 1px solid #ccc; padding-top: .4em; }
code, pre { font-family: Consolas, Courier New, monospace; }
pre { background: #f4f4f4; padding: .6em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: .2em .5em; vertical-align: top; }
blockquote { border-left: 4px solid #ccc; margin-left: 0; padding-left: 1em; }
ul.toc > li { margin-top: .3em; }
"""

# CommonMark with tables, as the repository's web view reads the pages.
MD = MarkdownIt("commonmark", {"html": True}).enable(["table", "strikethrough"])


def slug(text):
    # Anchors as the repository's web view makes them, so that links
    # written for it (#stringfinds-expr--init--plain) keep working.
    return re.sub(r"[^\w\- ]", "", text.strip().lower()).replace(" ", "-")


def link(href, inner):
    a = Token("link_open", "a", 1)
    a.attrSet("href", href)
    return [a, *inner, Token("link_close", "a", -1)]


def text_token(content):
    t = Token("text", "", 0)
    t.content = content
    return t


def page_href(m, pages):
    if m and m.group(1) in pages:
        return m.group(1) + ".html" + (m.group(2) or "")
    return None


def link_pages(children, pages):
    """Mentions of other pages in one line's tokens become links: link
    targets, code spans and bare names in running text."""
    out, depth = [], 0
    for t in children:
        if t.type == "link_open":
            depth += 1
            href = page_href(PAGE_REF.fullmatch(t.attrGet("href") or ""), pages)
            if href:
                t.attrSet("href", href)
        elif t.type == "link_close":
            depth -= 1
        elif depth == 0 and t.type == "code_inline":
            href = page_href(PAGE_REF.fullmatch(t.content), pages)
            if href:
                out += link(href, [t])
                continue
        elif depth == 0 and t.type == "text":
            out += link_text(t.content, pages)
            continue
        out.append(t)
    return out


def link_text(text, pages):
    out, last = [], 0
    for m in PAGE_REF.finditer(text):
        href = page_href(m, pages)
        if href:
            if m.start() > last:
                out.append(text_token(text[last:m.start()]))
            out += link(href, [text_token(m.group(0))])
            last = m.end()
    if last < len(text):
        out.append(text_token(text[last:]))
    return out


def convert(text, pages):
    """Returns the page's HTML body and its headings (level, id, HTML)."""
    env = {}
    # comments are notes for the docs' example runner, not for readers
    tokens = [t for t in MD.parse(text, env)
              if not (t.type == "html_block" and t.content.lstrip().startswith("<!--"))]
    heads, used = [], {}
    for i, t in enumerate(tokens):
        if t.type == "inline" and t.children:
            t.children = link_pages(t.children, pages)
        if t.type != "heading_open":
            continue
        inline = tokens[i + 1]
        base = slug("".join(c.content for c in inline.children or []
                            if c.type in ("text", "code_inline")))
        n = used.get(base, 0)
        used[base] = n + 1
        hid = base if n == 0 else f"{base}-{n}"
        t.attrSet("id", hid)
        heads.append((int(t.tag[1]), hid, inline))
    body = MD.renderer.render(tokens, MD.options, env)
    return body, [(lv, hid, MD.renderer.renderInline(strip_links(il.children), MD.options, env))
                  for lv, hid, il in heads]


def strip_links(children):
    # a heading's words in the contents link to the heading, not elsewhere
    return [c for c in children or [] if c.type not in ("link_open", "link_close")]


def title_of(heads, name):
    for level, _, inner in heads:
        if level == 1:
            return html.unescape(re.sub(r"<[^>]*>", "", inner))
    return name


def order(names):
    seen = set()
    groups = []
    for heading, members in GROUPS:
        present = [n for n in members if n in names]
        seen.update(present)
        if present:
            groups.append((heading, present))
    rest = sorted(n for n in names if n not in seen)
    if rest:
        # before the developers' pages, which stay last
        at = len(groups) - bool(groups and groups[-1][0] == GROUPS[-1][0])
        groups.insert(at, (OTHER, rest))
    return groups


def page(title, version, body, nav):
    return ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            f"<title>{html.escape(title)} - Trelk {version}</title>\n"
            "<link rel=\"stylesheet\" href=\"style.css\">\n</head>\n<body>\n"
            f"<nav>{nav}</nav>\n{body}\n<nav class=\"foot\">{nav}</nav>\n</body>\n</html>\n")


def nav_of(seq, i, titles):
    links = ['<a href="index.html">Contents</a>']
    if i > 0:
        links.append(f'previous: <a href="{seq[i - 1]}.html">{html.escape(titles[seq[i - 1]])}</a>')
    if i + 1 < len(seq):
        links.append(f'next: <a href="{seq[i + 1]}.html">{html.escape(titles[seq[i + 1]])}</a>')
    return " | ".join(links)


def index(groups, titles, heads, version):
    """The contents: every page under its group, with its sections."""
    parts = [f"<h1>Trelk {version}: the manual</h1>"]
    for heading, names in groups:
        parts.append(f"<h2>{html.escape(heading)}</h2>\n<ul class=\"toc\">")
        for n in names:
            secs = [f'<li><a href="{n}.html#{hid}">{inner}</a></li>'
                    for level, hid, inner in heads[n] if level == 2]
            li = f'<li><a href="{n}.html"><b>{html.escape(titles[n])}</b></a>'
            if secs:
                li += "\n<ul>\n" + "\n".join(secs) + "\n</ul>"
            parts.append(li + "</li>")
        parts.append("</ul>")
    return page("Contents", version, "\n".join(parts), "Contents")


def main(argv):
    if len(argv) != 4:
        sys.exit("usage: manual.py DOCS OUT VERSION")
    docs, out, version = argv[1:]
    names = sorted(f[:-3] for f in os.listdir(docs) if f.endswith(".md"))
    if not names:
        sys.exit(f"manual.py: no .md pages in {docs}")
    pages = set(names)
    bodies, heads, titles = {}, {}, {}
    for n in names:
        with open(os.path.join(docs, n + ".md"), encoding="utf-8") as f:
            bodies[n], heads[n] = convert(f.read(), pages)
        titles[n] = title_of(heads[n], n)
    groups = order(names)
    seq = [n for _, members in groups for n in members]
    if os.path.isdir(out):
        shutil.rmtree(out)
    os.makedirs(out)

    def write(name, text):
        with open(os.path.join(out, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)

    for i, n in enumerate(seq):
        write(n + ".html", page(titles[n], version, bodies[n], nav_of(seq, i, titles)))
    write("index.html", index(groups, titles, heads, version))
    write("style.css", STYLE)


if __name__ == "__main__":
    main(sys.argv)
