#!/usr/bin/env python3
"""Cuts the font the web page carries to the characters the game's own texts
use:

    cut_font.py FONT OUT_FONT TEXT_FILE...

Reads the text files (web/CMakeLists.txt names every source file of the game
and every translation catalogue), keeps the glyphs of each character found
(and of printable ASCII), and writes the cut font under a name of its own,
as the font's licence asks of a changed font. The page fetches the whole font
later, for the names players type.
"""
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

NAME = "Tessivane Cut Gothic"


def game_characters(paths):
    chars = {chr(c) for c in range(0x20, 0x7F)}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            chars.update(c for c in f.read() if c >= " ")
    return "".join(sorted(chars))


def main():
    font_path, out = sys.argv[1:3]
    texts = sys.argv[3:]
    options = subset.Options()
    options.layout_features = ["*"]
    options.notdef_outline = True
    options.name_IDs = ["*"]
    font = TTFont(font_path)
    cutter = subset.Subsetter(options)
    cutter.populate(text=game_characters(texts))
    cutter.subset(font)
    for record in font["name"].names:
        if record.nameID in (1, 4, 16, 18, 21):
            record.string = NAME
        elif record.nameID == 6:
            record.string = NAME.replace(" ", "")
        elif record.nameID == 3:
            record.string = NAME + " (cut for the game's texts)"
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    tmp = out + ".tmp"
    font.save(tmp)
    os.replace(tmp, out)


if __name__ == "__main__":
    main()
