#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Fills the unfinished entries of a .ts file from a table of English source texts (with their
# disambiguation) and Hungarian texts, and from the same text already translated in another context, of
# this file or of an earlier copy of it, so that moving a text to another class keeps its translation.
# Prints what it could not fill.
#   git show HEAD:translations/zeph7208-configurator_hu.ts > /tmp/earlier.ts
#   ninja -C build update_translations
#   tools/fill-translations.py translations/zeph7208-configurator_hu.ts [table.tsv | /tmp/earlier.ts ...]
# A table row is: source TAB disambiguation TAB translation (escape a tab or newline as \t, \n).
# Run the "update_translations" target after it, which writes the file back in lupdate's own form.
import sys
import xml.etree.ElementTree as ET


def unescape(text):
    return text.replace("\\n", "\n").replace("\\t", "\t")


def translated(tree, known):
    for message in tree.getroot().iter("message"):
        translation = message.find("translation")
        if not translation.get("type") and translation.text:
            comment = message.findtext("comment") or ""
            known.setdefault((message.findtext("source"), comment), translation.text)


def main():
    path = sys.argv[1]
    table = {}
    known = {}
    tree = ET.parse(path)
    translated(tree, known)
    for other in sys.argv[2:]:
        if other.endswith(".ts"):
            translated(ET.parse(other), known)
            continue
        with open(other, encoding="utf-8") as rows:
            for line in rows:
                if not line.strip() or line.startswith("#"):
                    continue
                source, comment, translation = line.rstrip("\n").split("\t")
                table[(unescape(source), unescape(comment))] = unescape(translation)
    left = 0
    for context in tree.getroot():
        for message in context.findall("message"):
            translation = message.find("translation")
            if not translation.get("type"):
                continue
            key = (message.findtext("source"), message.findtext("comment") or "")
            text = table.get(key, known.get(key))
            if text is None:
                print(f"{context.findtext('name')}: {key[0]!r} ({key[1]})")
                left += 1
                continue
            translation.text = text
            del translation.attrib["type"]
    with open(path, "w", encoding="utf-8") as out:
        out.write('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n')
        out.write(ET.tostring(tree.getroot(), encoding="unicode"))
        out.write("\n")
    return 1 if left else 0


if __name__ == "__main__":
    sys.exit(main())
