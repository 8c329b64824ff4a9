#!/usr/bin/env python3
"""Drives the built txscan through its command line: exact texts, dash frames and exit statuses.

Usage: test_cli.py PATH_TO_TXSCAN
"""
import locale
import os
import pty
import re
import select
import time
import subprocess
import sys
import tempfile
import unittest

TXSCAN = None
BANNER = "txscan - Tessalundrix Command Line Scanner v3.1\n"
NOW = r"\d\d/\d\d/\d\d \d\d:\d\d:\d\d"  # "%x %X" in the C locale

USAGE = BANNER + """
  Usage:

    txscan [OutputOptions] ScanOptions

  OutputOptions: (Select only ONE option /o or /n)

    /o FileName.txf  : Destination file where the scans will be saved
                       If the file exists it will be overwritten
    /n FileName.txf  : Destination file where the scans will be saved
                       If the file exists it will not be overwritten
                       A number will be appended to FileName instead.

    Note: if no option is specified, a filename will be generated

  ScanOptions:

    /s drive         : scan a specific drive
    /s local path    : scan a specific local path
    /s network path  : scan a specific network path (UNC)

Press ENTER for next page ...
  Example:

    txscan /o /tmp/test.txf /s / /s /home /s "/home/me/test 1" /s //Computer1/Share1

      This example will scan drive /, drive /home, local path /home/me/test 1 and
      network path //Computer1/Share1 and will save result in file /tmp/test.txf

Note: If there is spaces in your path name, include the complete path between " "
"""


def framed(text, before=""):
    dashes = "-" * min(len(text), 79)
    return BANNER + before + f"{dashes}\n{text}\n{dashes}\n\nType txscan /H for help or usage.\n"


def run(args, cwd):
    env = dict(os.environ, LC_ALL="C")
    p = subprocess.run([TXSCAN] + args, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


class CommandLine(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.cwd = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def check(self, args, status, out):
        code, stdout, stderr = run(args, self.cwd)
        self.assertEqual(stdout, out, args)
        self.assertEqual(code, status, args)
        self.assertEqual(stderr, "", args)

    def check_lines(self, args, status, patterns):
        """Every output line after the banner against a regular expression ({now} as NOW)."""
        code, stdout, _ = run(args, self.cwd)
        self.assertTrue(stdout.startswith(BANNER), stdout)
        lines = stdout[len(BANNER):].splitlines()
        self.assertEqual(len(lines), len(patterns), stdout)
        for line, pattern in zip(lines, patterns):
            self.assertRegex(line, "^" + pattern.replace("{now}", NOW) + "$")
        self.assertEqual(code, status, args)
        return stdout

    def test_usage(self):
        for args in ([], ["/?"], ["?"], ["h"], ["H"], ["/h"], ["/H"], ["-h"], ["--help"]):
            self.check(args, 0, USAGE)

    def test_errors(self):
        long_ok = "/" + "a" * 65534  # 65535 bytes without the trailing "/": still encodable
        too_long = "/" + "a" * 65535
        table = [
            (["/s"], framed("Error: Not enough parameters")),
            (["/?x"], framed("Error: Not enough parameters")),
            (["/x", "/tmp"], framed('Error: Invalid Parameters "/x"')),
            (["/s", "/tmp", "--help", "/tmp"], framed('Error: Invalid Parameters "--help"')),
            (["/o", "a.txf", "/n", "b.txf", "/s", "/tmp"], framed("Error: /o cannot be used with /n")),
            (["/n", "a.txf", "-o", "b.txf", "/s", "/tmp"], framed("Error: /o cannot be used with /n")),
            (["/o", "a.txf", "-O", "b.txf"], framed('Error: Duplicate parameters "-O"')),
            (["-n", "a", "/N", "b"], framed('Error: Duplicate parameters "/N"')),
            (["/o", "out.txt", "/s", "/tmp"],
             framed('Error: Invalid FileName "out.txt"', "Invalid file extension: .txt\nMust be .txf\n")),
            (["/o", "a.b/out.", "/s", "/tmp"],
             framed('Error: Invalid FileName "a.b/out."', "Invalid file extension: .\nMust be .txf\n")),
            (["/o", "", "/s", "/tmp"], framed('Error: Invalid FileName ""')),
            (["/n", "", "/s", "/tmp"], framed('Error: Invalid FileName ""')),
            (["/o", "out/", "/s", "/tmp"], framed('Error: Invalid FileName "out/"')),
            (["/n", "/", "/s", "/tmp"], framed('Error: Invalid FileName "/"')),
            (["/s", ""], framed('Error: Invalid drive or path ""')),
            (["/s", "/tmp", "/s", too_long], framed(f'Error: Invalid drive or path "{too_long}"')),
        ]
        for args, out in table:
            self.check(args, 2, out)
        self.assertEqual(os.listdir(self.cwd), [], "a command-line error must create no file")
        # The longest encodable target passes the grammar and is only skipped as missing.
        self.check_lines(["/s", long_ok], 1, [
            "{now} - Error 2022: Folder " + long_ok + "/ does not exists or cannot be accessed. Skipped.",
            "{now} - Nothing to do!!!"])

    def test_skips_in_reverse_order_and_duplicates_once(self):
        os.mkdir(os.path.join(self.cwd, "real"))
        with open(os.path.join(self.cwd, "plain"), "w"):
            pass
        os.symlink("gone", os.path.join(self.cwd, "link"))
        c = re.escape(self.cwd)
        skip = "{now} - Error 2022: Folder %s does not exists or cannot be accessed. Skipped."
        self.check_lines(
            ["-s", "/nx", "/S", "/nx/", "/s", "/nx//./a/..", "/s", "/NX", "-S", "missing", "/s", "plain",
             "/s", "link", "/s", "//nx/share/./a/..", "/s", "\\\\nx\\share", "/o"],
            1, [skip % "//nx/share/", skip % (c + "/link/"), skip % (c + "/plain/"), skip % (c + "/missing/"),
                skip % "/NX/", skip % "/nx/", "{now} - Nothing to do!!!"])
        self.assertEqual(sorted(os.listdir(self.cwd)), ["link", "plain", "real"],
                         "the reserved output name must go when nothing is written")

    def test_usage_waits_for_enter_on_a_terminal(self):
        master, slave = pty.openpty()
        p = subprocess.Popen([TXSCAN, "/?"], cwd=self.cwd, env=dict(os.environ, LC_ALL="C"), stdin=slave,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        os.close(slave)
        try:
            seen = b""
            deadline = time.time() + 20
            while not seen.endswith(b"Press ENTER for next page ...") and time.time() < deadline:
                if select.select([p.stdout], [], [], 0.5)[0]:
                    seen += os.read(p.stdout.fileno(), 4096)
            self.assertTrue(seen.endswith(b"Press ENTER for next page ..."), seen)
            time.sleep(0.3)
            self.assertIsNone(p.poll(), "the second page must wait for ENTER")
            os.write(master, b"\n")
            rest, _ = p.communicate(timeout=20)
        finally:
            if p.poll() is None:
                p.kill()
            os.close(master)
        self.assertEqual((seen + rest).decode(), USAGE)
        self.assertEqual(p.returncode, 0)

    def test_now_follows_the_locale(self):
        try:
            locale.setlocale(locale.LC_ALL, "de_DE.UTF-8")
            expected = [time.strftime("%x %X", time.localtime(time.time() + d)) for d in (0, 1, 2)]
        except locale.Error:
            self.skipTest("no de_DE.UTF-8 locale")
        finally:
            locale.setlocale(locale.LC_ALL, "C")
        p = subprocess.run([TXSCAN, "/s", "/nx"], cwd=self.cwd, env=dict(os.environ, LC_ALL="de_DE.UTF-8"),
                           stdin=subprocess.DEVNULL, stdout=subprocess.PIPE)
        lines = p.stdout.decode().splitlines()
        self.assertEqual(len(lines), 3, lines)
        stamp = lines[2][:-len(" - Nothing to do!!!")]
        self.assertIn(stamp, expected)
        self.assertRegex(stamp, r"^\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d$")

    def test_numbering_exhausted(self):
        names = ["scan.txf"] + ["scan%03d.txf" % n for n in range(1, 100000)]
        for name in names:
            open(os.path.join(self.cwd, name), "w").close()
        self.check(["/n", "scan.txf", "/s", "/nx"], 2, framed("Error: Unable to create a filename"))
        self.assertEqual(len(os.listdir(self.cwd)), len(names))


if __name__ == "__main__":
    TXSCAN = os.path.abspath(sys.argv.pop(1))
    unittest.main()
