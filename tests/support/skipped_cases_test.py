#!/usr/bin/env python3
"""The skip summary of scripts/test.sh, run on reports as GoogleTest
writes them: one per test program run, several per program when CTest runs
each case on its own."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                      "skipped_cases.py")


def report(*cases):
    """A report holding |cases|, each (suite, name, reason or None)."""
    body = "".join(
        f'<testcase name="{name}" classname="{suite}">' +
        # As GoogleTest writes it: the attribute's line breaks escaped.
        (f'<skipped message="x.cc:1&#x0A;{reason.replace(chr(10), "&#x0A;")}">'
         f"<![CDATA[x.cc:1\n{reason}]]></skipped>" if reason else "") +
        "</testcase>"
        for suite, name, reason in cases)
    return f'<?xml version="1.0"?><testsuites><testsuite>{body}</testsuite></testsuites>'


class SkippedCasesTest(unittest.TestCase):
    def summary(self, builds):
        with tempfile.TemporaryDirectory() as top:
            folders = []
            for build, reports in builds.items():
                folder = os.path.join(top, build)
                os.mkdir(folder)
                for i, text in enumerate(reports):
                    with open(os.path.join(folder, f"t_{i}.xml"), "w") as f:
                        f.write(text)
                folders.append(folder)
            return subprocess.run([sys.executable, SCRIPT, *folders],
                                  capture_output=True, text=True, check=True).stdout

    def test_counts_each_skipped_case_once_with_its_reason(self):
        out = self.summary({
            "release": [report(("S", "A", "no C.UTF-8 locale"), ("S", "B", None)),
                        report(("S", "A", "no C.UTF-8 locale")),
                        "<testsuites><testsuite><testcase"],  # cut short
            "sanitize": [report(("P", "Big", "sanitizer build"),
                                ("P", "Huge", "sanitizer build"
                                 "\nGoogle Test trace:\nx.cc:9: 204800"))],
        })
        self.assertEqual(out.splitlines(), [
            "test: 3 test cases skipped:",
            "  release: 1 skipped, no C.UTF-8 locale: S.A",
            "  sanitize: 2 skipped, sanitizer build: P.Big, P.Huge",
        ])

    def test_says_so_when_nothing_was_skipped(self):
        out = self.summary({"release": [report(("S", "A", None))], "none": []})
        self.assertEqual(out, "test: 0 test cases skipped\n")


if __name__ == "__main__":
    unittest.main()
