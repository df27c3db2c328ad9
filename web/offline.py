#!/usr/bin/env python3
"""Writes the service worker of a finished site:

    offline.py SITE_DIR SW_TEMPLATE

The build's identity is a digest of every file of the site (their names and
bytes), so any change makes a new worker with a cache of its own; the worker
lists every file, to keep them all.
"""
import hashlib
import json
import os
import sys


def main():
    site, template = sys.argv[1:3]
    files = []
    for root, dirs, names in os.walk(site):
        dirs.sort()
        for name in sorted(names):
            path = os.path.relpath(os.path.join(root, name), site).replace(os.sep, "/")
            if path == "sw.js" or name.startswith("."):
                continue
            files.append(path)
    digest = hashlib.sha256()
    for path in files:
        digest.update(path.encode() + b"\0")
        with open(os.path.join(site, path), "rb") as f:
            digest.update(hashlib.sha256(f.read()).digest())
    build = digest.hexdigest()[:16]
    urls = ["./"] + files
    with open(template, encoding="utf-8") as f:
        text = f.read()
    text = text.replace("@BUILD@", build).replace("@FILES@", json.dumps(urls, indent=1))
    tmp = os.path.join(site, ".sw.js.tmp")
    with open(tmp, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(tmp, os.path.join(site, "sw.js"))
    print(f"offline: build {build}, {len(urls)} entries")


if __name__ == "__main__":
    main()
