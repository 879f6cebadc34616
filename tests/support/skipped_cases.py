#!/usr/bin/env python3
"""Prints how many test cases were skipped, and why, from the XML reports
that GoogleTest writes when GTEST_OUTPUT names a folder (xml:FOLDER/).

    skipped_cases.py FOLDER...

Each FOLDER is one build's reports; its name heads that build's lines. A
case skipped in several runs of one build counts once. Exits 0 whatever it
finds: skips are news, not failures."""
import collections
import os
import re
import sys
import xml.etree.ElementTree as ElementTree


def reason_of(message):
    """The reason a skip gave: GoogleTest's message starts with the file and
    line of the skip and may end with the scoped traces around it."""
    lines = [line.strip() for line in message.strip().split("\n")]
    if "Google Test trace:" in lines:
        lines = lines[:lines.index("Google Test trace:")]
    if lines and re.fullmatch(r".*:\d+", lines[0]):
        lines = lines[1:]
    return " ".join(line for line in lines if line) or "no reason given"


def skipped_in(folder):
    """{case: reason} for the cases skipped in the reports under |folder|."""
    skipped = {}
    for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
        if not name.endswith(".xml"):
            continue
        try:
            root = ElementTree.parse(os.path.join(folder, name)).getroot()
        except ElementTree.ParseError:
            continue  # a report cut short by a crash the test run reported
        for case in root.iter("testcase"):
            skip = case.find("skipped")
            if skip is None:
                continue
            reason = reason_of(skip.get("message") or skip.text or "")
            skipped[case.get("classname", "") + "." + case.get("name", "")] = reason
    return skipped


def main(folders):
    total = 0
    lines = []
    for folder in folders:
        skipped = skipped_in(folder)
        total += len(skipped)
        by_reason = collections.defaultdict(list)
        for case, reason in sorted(skipped.items()):
            by_reason[reason].append(case)
        for reason, cases in sorted(by_reason.items()):
            lines.append(f"  {os.path.basename(folder.rstrip('/'))}: "
                         f"{len(cases)} skipped, {reason}: {', '.join(cases)}")
    print(f"test: {total} test cases skipped" + (":" if total else ""))
    for line in lines:
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
