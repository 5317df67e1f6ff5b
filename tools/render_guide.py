#!/usr/bin/env python3
"""Renders the user guide into one HTML page that needs nothing beside it, for the download:

    render_guide.py GUIDE.md OUT.html SUBTITLE

The Markdown (GitHub's dialect, for its tables) is converted by cmark-gfm; the pictures it shows
are embedded in the page, so the guide opens from the unpacked folder or the Start menu without an
images folder. A link to anything but a place on the web or a heading of the page (anchors as
GitHub makes them) would be dead in the download, so it stops the package instead."""
import base64
import html
import os
import re
import subprocess
import sys

PICTURE_TYPES = {".png": "image/png", ".jpg": "image/jpeg", ".jpeg": "image/jpeg",
                 ".gif": "image/gif", ".svg": "image/svg+xml"}

STYLE = """
body { font-family: "Segoe UI", system-ui, sans-serif; line-height: 1.45; max-width: 52em;
       margin: 1em auto; padding: 0 1em; color: #1b1b1b; }
h1, h2, h3 { line-height: 1.2; }
h2 { border-bottom: 1px solid #ccc; padding-bottom: .2em; margin-top: 1.6em; }
code, pre { font-family: Consolas, "Cascadia Mono", monospace; background: #f3f3f3; }
code { padding: 0 .2em; }
pre { padding: .6em; overflow-x: auto; }
pre code { padding: 0; }
table { border-collapse: collapse; margin: .6em 0; }
th, td { border: 1px solid #bbb; padding: .25em .5em; text-align: left; vertical-align: top; }
th { background: #eee; }
img { max-width: 100%; height: auto; }
nav ul { columns: 2; }
"""


def fail(message):
    sys.exit("render_guide: " + message)


def slug(text, taken):
    """A heading's anchor as GitHub makes it, so that a link into the guide works in both."""
    words = html.unescape(re.sub(r"<[^>]+>", "", text)).strip().lower()
    base = re.sub(r"[^\w\- ]", "", words).replace(" ", "-")
    name, n = base, 1
    while name in taken:
        name, n = f"{base}-{n}", n + 1
    taken.add(name)
    return name


def main():
    if len(sys.argv) != 4:
        fail("usage: render_guide.py GUIDE.md OUT.html SUBTITLE")
    source, out, subtitle = sys.argv[1:]
    folder = os.path.dirname(os.path.abspath(source))
    body = subprocess.run(["cmark-gfm", "--extension", "table", "--to", "html", source],
                          check=True, capture_output=True).stdout.decode("utf-8")

    def embed(match):
        src = html.unescape(match.group(2))
        path = os.path.join(folder, src)
        kind = PICTURE_TYPES.get(os.path.splitext(src)[1].lower())
        if re.match(r"[a-z]+:", src) or kind is None or not os.path.isfile(path):
            fail(f"{source} shows {src}, which is not a picture beside it")
        with open(path, "rb") as picture:
            data = base64.b64encode(picture.read()).decode("ascii")
        return f"{match.group(1)}data:{kind};base64,{data}{match.group(3)}"

    body = re.sub(r'(<img src=")([^"]*)(")', embed, body)

    # Each heading gets an anchor, and the page a list of its sections under the title.
    taken, sections = set(), []

    def anchor(match):
        name = slug(match.group(2), taken)
        if match.group(1) == "2":
            sections.append(f'<li><a href="#{name}">{match.group(2)}</a></li>')
        return f'<h{match.group(1)} id="{name}">{match.group(2)}</h{match.group(1)}>'

    body = re.sub(r"<h([1-6])>(.*?)</h\1>", anchor, body)
    for target in re.findall(r'<a href="([^"]*)"', body):
        in_page = target.startswith("#") and target[1:] in taken
        if not (in_page or re.match(r"(https?:|mailto:)", target)):
            fail(f"{source} links to {html.unescape(target)}, which the download does not hold")
    title_match = re.search(r"<h1[^>]*>(.*?)</h1>", body)
    if title_match is None:
        fail(f"{source} has no title")
    title = re.sub(r"<[^>]+>", "", title_match.group(1))
    contents = f'<p>{html.escape(subtitle)}</p>\n<nav><ul>\n' + "\n".join(sections) + "\n</ul></nav>"
    body = body[:title_match.end()] + "\n" + contents + body[title_match.end():]

    page = (f'<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
            f'<meta name="viewport" content="width=device-width, initial-scale=1">\n'
            f"<title>{title}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n{body}</body>\n"
            f"</html>\n")
    with open(out, "w", encoding="utf-8", newline="\r\n") as target:
        target.write(page)


if __name__ == "__main__":
    main()
