#!/usr/bin/env python3
"""Scans real folders with the built txscan and reads the files back independently (txfcheck):
header, CRC, records, compared with what find and stat say about the same tree.

Usage: test_files.py PATH_TO_TXSCAN
"""
import datetime
import decimal
import glob
import math
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import txfcheck  # noqa: E402

TXSCAN = None
NOW = r"\d\d/\d\d/\d\d \d\d:\d\d:\d\d"
TZ = "XYZ-03:00"            # three hours east of UTC, without needing the time-zone database
TZ_OFFSET = 3 * 3600
ATTR_HIDDEN, ATTR_NORMAL, ATTR_READONLY, ATTR_SYSTEM = 0x04, 0x08, 0x20, 0x40


def env():
    return dict(os.environ, LC_ALL="C", TZ=TZ)


def run(args, cwd, **kw):
    p = subprocess.run([TXSCAN] + args, cwd=cwd, env=env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)
    return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


def days(unix_seconds):
    """Local day count since 1899-12-30, in the test's fixed time zone."""
    return (unix_seconds + TZ_OFFSET) / 86400.0 + 25569.0


def whole_ms(find_seconds):
    """find's seconds (a decimal with the nanoseconds) cut to the millisecond, as the file stores a
    time, without a binary fraction in between."""
    return math.floor(decimal.Decimal(find_seconds.decode()) * 1000)


def days_ms(unix_ms):
    """days() of a time in whole milliseconds."""
    return (unix_ms + TZ_OFFSET * 1000) / 86400000.0 + 25569.0


# What the double of a day count may differ by beside the exact millisecond (its last bits hold
# microseconds at today's dates): far below a millisecond, so a time rounded instead of cut shows.
DAYS_DELTA = 1e-5 / 86400


def find_listing(top):
    """(depth, type, name, size, mtime_ms, atime_ms, mode, birth) of every entry below top, in find's
    (the file system's) order."""
    out = subprocess.run(["find", top, "-mindepth", "1", "-printf", r"%d\0%y\0%s\0%T@\0%A@\0%m\0%p\0%f\0"],
                         stdout=subprocess.PIPE, check=True).stdout.split(b"\0")[:-1]
    rows = []
    for i in range(0, len(out), 8):
        d, y, s, t, a, m, p, f = out[i:i + 8]
        rows.append(dict(depth=int(d), type=y.decode(), size=int(s), mtime_ms=whole_ms(t),
                         atime_ms=whole_ms(a), mode=int(m, 8), path=p, name=f))
    # Birth times from stat(1) (0 where the file system keeps none), in one call.
    if rows:
        births = subprocess.run(["stat", "-c", "%W", "--"] + [r["path"] for r in rows],
                                stdout=subprocess.PIPE, check=True).stdout.split()
        for r, b in zip(rows, births):
            r["birth"] = int(b)
    return rows


def expected_attr(row):
    a = 0
    if row["name"].startswith(b"."):
        a |= ATTR_HIDDEN
    if row["type"] in "pscb":
        a |= ATTR_SYSTEM
    if row["type"] in "fd" and not row["mode"] & 0o200:
        a |= ATTR_READONLY
    if row["type"] == "f" and a == 0:
        a = ATTR_NORMAL
    return a


class Scans(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="txscan_")
        self.out = os.path.join(self.tmp, "out")
        os.mkdir(self.out)

    def tearDown(self):
        subprocess.run(["chmod", "-R", "u+w", self.tmp])
        subprocess.run(["rm", "-rf", self.tmp])  # copes with trees deeper than PATH_MAX

    def tree(self, name="tree"):
        top = os.path.join(self.tmp, name)
        os.mkdir(top)
        return top

    def scan(self, targets, name="out.txf", status=0):
        args = ["/o", name]
        for t in targets:
            args += ["/s", t]
        code, stdout, stderr = run(args, self.out)
        self.assertEqual(code, status, stdout + stderr)
        self.assertEqual(stderr, "")
        return stdout

    def read(self, name="out.txf"):
        header, root = txfcheck.read_file(os.path.join(self.out, name))
        self.check_header(header, root)
        return root

    def check_header(self, h, root):
        self.assertEqual((h["magic1"], h["magic2"]), (0x25AE8, 0xF1A74))
        self.assertEqual(h["writer"], 3150)
        self.assertEqual(h["layout"], 12850)
        self.assertEqual(h["compression"], 4532)
        self.assertEqual((h["major"], h["format"]), (3, 5))
        self.assertTrue(h["reserved_zero"])
        self.assertEqual(h["crc"], h["body_crc"])
        self.assertEqual(h["zlib_level_byte"], 0xDA, "the body is written at compression level 9")
        files = sum(1 for n, _ in txfcheck.walk(root) if n.is_file())
        self.assertEqual(h["files"], files)
        self.assertEqual(root.name, b"Root")
        self.assertEqual(root.count, 100000)
        self.assertEqual(root.explored, 1)
        self.assertEqual(root.attr, 0)
        self.assertTrue(root.created == root.accessed == root.modified > 0)

    def check_target_record(self, node, top):
        self.assertEqual(node.kind, 5)
        self.assertEqual(node.name, os.path.basename(top).encode())
        self.assertEqual(node.path, os.fsencode(top))
        self.assertEqual(node.explored, 1)
        self.assertEqual(node.attr, 0)
        self.assertTrue(node.created == node.accessed == node.modified > 0)

    def compare_with_find(self, node, top):
        records = list(txfcheck.walk(node))
        rows = find_listing(top)
        self.assertEqual([(d, n.name) for n, d in records], [(r["depth"], r["name"]) for r in rows],
                         "records in the file system's order")
        for (n, _), r in zip(records, rows):
            what = r["path"]
            if r["type"] == "d":
                self.assertEqual(n.kind, 3, what)
                self.assertEqual(n.explored, 1, what)
            else:
                self.assertTrue(n.is_file(), what)
                self.assertEqual(n.size, r["size"] if r["type"] in "fl" else 0, what)
                self.assertAlmostEqual(n.accessed, days_ms(r["atime_ms"]), delta=DAYS_DELTA, msg=what)
            self.assertAlmostEqual(n.modified, days_ms(r["mtime_ms"]), delta=DAYS_DELTA, msg=what)
            if r["birth"]:
                self.assertAlmostEqual(n.created, days(r["birth"]), delta=1.0 / 86400, msg=what)
            else:
                self.assertEqual(n.created, 0, what)
            self.assertEqual(n.attr, expected_attr(r), what)
        return records

    def test_folder_matches_find_and_stat(self):
        top = self.tree()
        sizes = [0, 255, 256, 65535, 65536, 16777215, 16777216, 2 ** 32 + 1]
        os.mkdir(os.path.join(top, "sizes"))
        for s in sizes:
            with open(os.path.join(top, "sizes", f"s{s}"), "wb") as f:
                f.truncate(s)                     # sparse: no data blocks needed
        os.mkdir(os.path.join(top, "empty"))
        for n in (126, 127, 255):
            open(os.path.join(top, chr(ord("a") + n % 26) * n), "w").close()
        with open(os.path.join(os.fsencode(top), b"caf\xe9 \xff.txt"), "wb") as f:
            f.write(b"abc")
        open(os.path.join(top, ".hidden"), "w").close()
        ro = os.path.join(top, "readonly")
        open(ro, "w").close()
        os.chmod(ro, 0o444)
        os.mkfifo(os.path.join(top, "fifo"))
        os.symlink(".", os.path.join(top, "loop"))
        os.symlink("..", os.path.join(top, "up"))
        os.symlink("sizes/s255", os.path.join(top, "filelink"))
        os.makedirs(os.path.join(top, "sub", ".deeper"))
        with open(os.path.join(top, "sub", ".deeper", "leaf"), "w") as f:
            f.write("x" * 300)
        os.chmod(os.path.join(top, "sub"), 0o555)
        stdout = self.scan([top])
        self.assertRegex(stdout, f"^txscan - Tessalundrix Command Line Scanner v3.1\n{NOW} - Scanning "
                         + re.escape(top + "/") + f" ...\n{NOW} - Data successfully saved in file \"out.txf\"\n$")
        root = self.read()
        self.assertEqual(len(root.children), 1)
        self.check_target_record(root.children[0], top)
        records = self.compare_with_find(root.children[0], top)
        by_name = {n.name: n for n, _ in records}
        widths = {s: by_name[f"s{s}".encode()].size_bytes for s in sizes}
        self.assertEqual(widths, {0: 1, 255: 1, 256: 2, 65535: 2, 65536: 3, 16777215: 3, 16777216: 8,
                                  2 ** 32 + 1: 8})
        self.assertIn(b"caf\xe9 \xff.txt", by_name)
        self.assertEqual(by_name[b"empty"].children, [])
        for name in (b"loop", b"up"):
            self.assertTrue(by_name[name].is_file(), "a symbolic link is a file, never followed")

    def test_empty_folder_is_a_path_record_then_two_end_bytes(self):
        top = self.tree("empty one")
        self.scan([top + "/./"])
        root = self.read()
        self.check_target_record(root.children[0], top)
        self.assertEqual(root.children[0].children, [])

    def test_a_target_that_is_a_link_is_looked_through_and_nothing_below_it(self):
        top = self.tree()
        os.mkdir(os.path.join(top, "sub"))
        open(os.path.join(top, "sub", "f"), "w").close()
        os.symlink("sub", os.path.join(top, "inner"))
        link = os.path.join(self.tmp, "link")
        os.symlink(top, link)
        self.scan([link])
        node = self.read().children[0]
        self.assertEqual((node.name, node.path), (b"link", os.fsencode(link)))
        kids = {c.name: c for c in node.children}
        self.assertEqual([c.name for c in kids[b"sub"].children], [b"f"])
        self.assertTrue(kids[b"inner"].is_file())
        self.assertEqual(kids[b"inner"].size, 3)

    def test_targets_in_order_and_skips_in_reverse(self):
        a, b = self.tree("a"), self.tree("b")
        open(os.path.join(a, "fa"), "w").close()
        open(os.path.join(b, "fb"), "w").close()
        m1, m2 = os.path.join(self.tmp, "m1"), os.path.join(self.tmp, "m2")
        stdout = self.scan([b, m1, a, m2, b + "/"])
        skip = NOW + " - Error 2022: Folder %s does not exists or cannot be accessed. Skipped."
        lines = stdout.splitlines()[1:]
        patterns = [skip % re.escape(m2 + "/"), skip % re.escape(m1 + "/"),
                    NOW + " - Scanning " + re.escape(b + "/") + " ...",
                    NOW + " - Scanning " + re.escape(a + "/") + " ...",
                    NOW + ' - Data successfully saved in file "out.txf"']
        self.assertEqual(len(lines), len(patterns), stdout)
        for line, p in zip(lines, patterns):
            self.assertRegex(line, "^" + p + "$")
        root = self.read()
        self.assertEqual([(c.name, [f.name for f in c.children]) for c in root.children],
                         [(b"b", [b"fb"]), (b"a", [b"fa"])])

    def test_numbered_name_and_the_taken_ones_untouched(self):
        top = self.tree()
        for name in ("scan.txf", "scan001.txf"):
            with open(os.path.join(self.out, name), "w") as f:
                f.write("mine")
        code, stdout, _ = run(["/n", "scan.txf", "/s", top], self.out)
        self.assertEqual(code, 0)
        self.assertTrue(stdout.endswith(' - Data successfully saved in file "scan002.txf"\n'), stdout)
        self.read("scan002.txf")
        for name in ("scan.txf", "scan001.txf"):
            with open(os.path.join(self.out, name)) as f:
                self.assertEqual(f.read(), "mine")
        self.assertEqual(sorted(os.listdir(self.out)), ["scan.txf", "scan001.txf", "scan002.txf"])

    def test_generated_name(self):
        top = self.tree()
        before = datetime.datetime.now(datetime.timezone(datetime.timedelta(seconds=TZ_OFFSET)))
        code, stdout, _ = run(["/s", top], self.out)
        self.assertEqual(code, 0, stdout)
        names = os.listdir(self.out)
        self.assertEqual(len(names), 1)
        m = re.fullmatch(r"TXSCAN(\d{12})\.txf", names[0])
        self.assertTrue(m, names)
        stamp = datetime.datetime.strptime(m.group(1), "%y%m%d%H%M%S")
        self.assertLess(abs(stamp - before.replace(tzinfo=None)), datetime.timedelta(seconds=5))
        self.read(names[0])

    def test_o_replaces_an_existing_file(self):
        top = self.tree()
        with open(os.path.join(self.out, "out.txf"), "w") as f:
            f.write("old")
        self.scan([top])
        self.read()
        self.assertEqual(os.listdir(self.out), ["out.txf"])

    def test_destination_that_cannot_be_created(self):
        top = self.tree()
        code, stdout, _ = run(["/o", "nowhere/out.txf", "/s", top], self.out)
        self.assertEqual(code, 1)
        self.assertRegex(stdout.splitlines()[-1],
                         "^" + NOW + r' - Fatal Error 1: Unable to create destination file "nowhere/out.txf"\.$')
        self.assertEqual(os.listdir(self.out), [])

    def test_write_error_leaves_the_old_file_and_no_temporary(self):
        top = self.tree()
        for i in range(3000):
            open(os.path.join(top, "%08x" % (i * 2654435761 % 2 ** 32)), "w").close()
        with open(os.path.join(self.out, "out.txf"), "w") as f:
            f.write("old")

        def small_files():
            # A write past 8 KiB fails with EFBIG (the signal is ignored, so the write reports it).
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (8192, 8192))

        # "/o" keeps the file it would have replaced; "/n" gives its reserved number back.
        for args, name in ((["/o", "out.txf"], "out.txf"), (["/n", "out.txf"], "out001.txf")):
            code, stdout, _ = run(args + ["/s", top], self.out, preexec_fn=small_files)
            self.assertEqual(code, 1, stdout)
            self.assertRegex(stdout.splitlines()[-1],
                             "^" + NOW + f' - An error as occured and the file "{name}" was not created.$')
            self.assertEqual(os.listdir(self.out), ["out.txf"])
            with open(os.path.join(self.out, "out.txf")) as f:
                self.assertEqual(f.read(), "old")

    def test_a_closed_console_does_not_stop_the_file(self):
        top = self.tree()
        open(os.path.join(top, "f"), "w").close()
        r, w = os.pipe()
        os.close(r)  # every progress line now meets a closed pipe
        p = subprocess.run([TXSCAN, "/o", "out.txf", "/s", top], cwd=self.out, env=env(),
                           stdin=subprocess.DEVNULL, stdout=w, stderr=subprocess.PIPE)
        os.close(w)
        self.assertEqual(p.returncode, 0)
        self.assertEqual([c.name for c in self.read().children[0].children], [b"f"])

    def interrupt(self, args, keep):
        """Runs txscan with stdout read no further than its first scanning line, so that it
        blocks on its progress lines while its temporary file exists (unnamed where the file
        system allows, so it is not seen), then interrupts it."""
        p = subprocess.Popen([TXSCAN] + args, cwd=self.out, env=env(), stdin=subprocess.DEVNULL,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            line = b""
            deadline = time.time() + 20
            while b" - Scanning " not in line and time.time() < deadline:
                line = p.stdout.readline()
                self.assertTrue(line, "no scanning started")
            time.sleep(0.2)
            p.send_signal(signal.SIGINT)
            p.stdout.read()
            p.wait(20)
        finally:
            if p.poll() is None:
                p.kill()
            p.stdout.close()
        self.assertEqual(p.returncode, -signal.SIGINT)
        self.assertEqual(sorted(os.listdir(self.out)), sorted(keep))

    def interrupt_targets(self):
        # Enough progress text to fill a pipe: 1200 targets with long names.
        base = self.tree()
        targets = []
        for i in range(1200):
            t = os.path.join(base, "%04d" % i + "x" * 200)
            os.mkdir(t)
            targets += ["/s", t]
        return targets

    def test_ctrl_c_leaves_the_old_file_and_nothing_else(self):
        with open(os.path.join(self.out, "out.txf"), "w") as f:
            f.write("old")
        self.interrupt(["/o", "out.txf"] + self.interrupt_targets(), keep=["out.txf"])
        with open(os.path.join(self.out, "out.txf")) as f:
            self.assertEqual(f.read(), "old")

    def test_ctrl_c_frees_the_reserved_number(self):
        open(os.path.join(self.out, "scan.txf"), "w").close()
        self.interrupt(["/n", "scan.txf"] + self.interrupt_targets(), keep=["scan.txf"])

    def test_deep_tree_with_few_descriptors(self):
        top = self.tree()
        depth = 1500                    # 1500 * 11 bytes: far beyond PATH_MAX
        fd = os.open(top, os.O_RDONLY | os.O_DIRECTORY)
        try:
            for i in range(depth):
                name = "d%09d" % i
                os.mkdir(name, dir_fd=fd)
                nfd = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
                os.close(fd)
                fd = nfd
            os.close(os.open("leaf", os.O_WRONLY | os.O_CREAT, dir_fd=fd))
        finally:
            os.close(fd)

        def few_fds():
            # Far fewer descriptors than levels: one open folder per level would run out.
            resource.setrlimit(resource.RLIMIT_NOFILE, (128, 128))

        code, stdout, _ = run(["/o", "out.txf", "/s", top], self.out, preexec_fn=few_fds)
        self.assertEqual(code, 0, stdout)
        root = self.read()
        node, seen = root.children[0], 0
        while node.children and not node.children[0].is_file():
            self.assertEqual(len(node.children), 1)
            node = node.children[0]
            self.assertEqual(node.name, b"d%09d" % seen)
            seen += 1
        self.assertEqual(seen, depth)
        self.assertEqual([c.name for c in node.children], [b"leaf"])


# Run first in a new mount namespace: nothing mounted below $D shows in another namespace. "/" is
# made private; where "/" is no mount point (a chroot, some containers), $D becomes a private mount of
# its own, bound onto itself, unless it sits on a shared mount (status 77: the bind would show outside).
PRIVATE_FOLDER = """
    if ! mount --make-rprivate / 2>/dev/null; then
        mount --bind "$D" "$D"
        case $(findmnt -n -o PROPAGATION --mountpoint "$D" | tail -n 1) in
            shared*) umount "$D"; exit 77;;
        esac
        mount --make-rprivate "$D"
    fi
"""


class Mounts(unittest.TestCase):
    """Drives, other file systems and bind loops, in a private mount namespace (root only)."""

    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="txscan_mnt_")
        probe = self.run_in_namespace('mount -t tmpfs tmpfs "$D"')
        if probe.returncode != 0:
            shutil.rmtree(self.tmp)
            self.skipTest("the test's folder is on a shared mount and \"/\" is no mount point to make private"
                          if probe.returncode == 77 else
                          "mounting needs root and mount namespaces: " + probe.stderr.decode().strip())

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def run_in_namespace(self, script):
        return subprocess.run(["unshare", "-m", "--propagation", "unchanged", "sh", "-ec", PRIVATE_FOLDER + script],
                              env=dict(env(), T=TXSCAN, D=self.tmp), stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE)

    def in_namespace(self, script):
        """Runs a shell script in a private mount namespace; $T is txscan, $D the temporary folder."""
        p = self.run_in_namespace(script)
        self.assertEqual(p.returncode, 0, p.stdout.decode() + p.stderr.decode())
        return p.stdout.decode()

    def test_mount_point_is_a_drive_and_other_file_systems_are_not_entered(self):
        stdout = self.in_namespace("""
            mkdir -p $D/top/disk $D/top/plain $D/top/plain/bound
            mount -t tmpfs -o size=4m tmpfs $D/top/disk
            mkdir $D/top/disk/inside; echo hello > $D/top/disk/inside/f
            echo x > $D/top/plain/f
            mount --bind $D/top $D/top/plain/bound
            cd $D
            $T /o drive.txf /s $D/top/disk/ > drive.log
            $T /o folder.txf /s $D/top > folder.log
            cat drive.log folder.log
            stat -f -c '%a %f %S %b' $D/top/disk
        """)
        lines = stdout.splitlines()
        self.assertRegex(lines[1], "^" + NOW + " - Scanning drive " + re.escape(self.tmp + "/top/disk") + " ...$")
        avail, _, bsize, blocks = map(int, lines[-1].split())
        _, root = txfcheck.read_file(os.path.join(self.tmp, "drive.txf"))
        drive = root.children[0]
        self.assertEqual((drive.kind, drive.letter), (2, ord("/")))
        self.assertEqual(drive.name, (self.tmp + "/top/disk").encode())
        self.assertEqual((drive.free, drive.total), (avail * bsize, blocks * bsize))
        self.assertEqual(drive.explored, 1)
        self.assertEqual([(c.name, [g.name for g in c.children]) for c in drive.children],
                         [(b"inside", [b"f"])])
        _, root = txfcheck.read_file(os.path.join(self.tmp, "folder.txf"))
        by_path = {}
        for n, d in txfcheck.walk(root):
            by_path.setdefault(n.name, []).append(n)
        # The other file system and the bind mount of an ancestor are folders with no children.
        self.assertEqual(by_path[b"disk"][0].kind, 3)
        self.assertEqual(by_path[b"disk"][0].children, [])
        self.assertEqual(by_path[b"bound"][0].children, [])
        self.assertNotIn(b"inside", by_path)


if __name__ == "__main__":
    TXSCAN = os.path.abspath(sys.argv.pop(1))
    unittest.main()
