#!/usr/bin/python3
"""Fails when a static label lacks a finished translation. lupdate runs over the sources into a
temporary copy of each .ts file, so a label added since the last `korvel_lupdate` shows up.

usage: check_translations.py LUPDATE SOURCE_DIR TS_FILE... -- [LUPDATE_OPTION...]"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

PLACEHOLDER = re.compile(r"%\d+")


def problems_in(ts_path):
    for context in ElementTree.parse(ts_path).getroot().iter("context"):
        for message in context.iter("message"):
            source = message.findtext("source") or ""
            translation = message.find("translation")
            text = translation.text or "" if translation is not None else ""
            where = f"{context.findtext('name')}: {source!r}"
            if translation is None or translation.get("type") or not text:
                yield f"{where} has no finished translation"
            elif sorted(PLACEHOLDER.findall(source)) != sorted(PLACEHOLDER.findall(text)):
                yield f"{where} → {text!r} changes the placeholders"
            elif source[len(source.rstrip()):] != text[len(text.rstrip()):]:
                # A prefix such as "Export failed: " is followed directly by the error.
                yield f"{where} → {text!r} ends differently"


def main():
    split = sys.argv.index("--")
    lupdate, sources, *ts_files = sys.argv[1:split]
    problems = []
    with tempfile.TemporaryDirectory() as work:
        for ts_file in ts_files:
            copy = shutil.copy(ts_file, work)
            subprocess.run([lupdate, *sys.argv[split + 1:], sources, "-ts", copy], check=True,
                           capture_output=True)
            problems += [f"{os.path.basename(ts_file)}: {p}" for p in problems_in(copy)]
    if problems:
        print(*problems, "Translate these in the .ts file (target korvel_lupdate).", sep="\n")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
