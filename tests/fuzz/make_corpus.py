#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (corpus/<target>/) from the unit tests' cases and the
sample files. Each seed is laid out the way its target reads the input: the targets that take
several values read them as LLVM's FuzzedDataProvider does (integers from the end, the most
significant byte last in the file; strings from the front)."""
import hashlib
import pathlib
import sys

root = pathlib.Path(__file__).resolve().parent
samples = root.parent.parent / "host" / "samples"


class Provider:
    """Builds an input for FuzzedDataProvider: what is consumed from the front and the back."""

    def __init__(self):
        self.front = bytearray()
        self.back = []  # in consumption order

    def range(self, value, low, high):
        span, raw, size = high - low, value - low, 0
        while size < 8 and (span >> (8 * size)) > 0:
            size += 1
        for i in reversed(range(size)):
            self.back.append((raw >> (8 * i)) & 0xFF)
        return self

    def int32(self, value):
        return self.range(value, -2**31, 2**31 - 1)

    def uint(self, value, bits):
        return self.range(value, 0, 2**bits - 1)

    def bool(self, value):
        self.back.append(1 if value else 0)
        return self

    def string(self, data):  # ConsumeRandomLengthString: a backslash is doubled, "\\x" ends it
        self.front += data.replace(b"\\", b"\\\\") + b"\\x"
        return self

    def raw(self, data):
        self.front += data
        return self

    def bytes(self):
        return bytes(self.front) + bytes(reversed(self.back))


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


def write(target, seeds):
    folder = root / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    for seed in seeds:
        (folder / hashlib.sha1(seed).hexdigest()[:16]).write_bytes(seed)


def hook_order():
    files = [
        (samples / "HookOrder.ini").read_bytes(),
        b"11 Transparent.dll\r\n1 Topmost.dll\r\n10aB Minimize.dll\r\nA=\r\na=Work\r\n"
        b"ShufflaXP.dll\r\n; Transparent\r\n",
        b"11 PushupB.dll\r\n11 Pushup.dll\r\n",
        b"; a\nA=Work\n\n11 x.dll\r\nlast\rline",
        b";" + b"c" * 700 + b"\n",
        b"; \x81\x8d\xff\n11 C:\\\x81\x8d\\x.dll\n\x90\x01\x02\n",
        b"\x93\xfa\x93\xfaB \x95\x5c.dll\r\n" + b"\x93\xfa" * 259 + b"\n",
        # Found by fuzzing: astral flags in a line longer than a piece, in its first piece or
        # its second.
        b"\xf0\x9f\x98\x80\xf0\x9f\x98\x80 " + b"p" * 300 + b"\r\n",
        b"p" * 258 + b"\xf0\x9f\x98\x80\xf0\x9f\x98\x80 x.dll\r\n",
        b"\xf0\x9f\x98\x80\xf0\x9f\x98\x80 " + b"p" * 300 + b"\r\n11 " + b"p" * 254 + b"\r\n",
        b"11 a.dll\r\n11 b.dll\r\n11 b.dll\r\n",
    ]
    seeds = []
    for i, data in enumerate(files):
        for layout in range(3):
            p = Provider().raw(data).range(layout, 0, 2)
            if layout == 2:  # Shift-JIS lead bytes
                p.range(2, 0, 3).uint(0x81, 8).uint(0x9F, 8).uint(0xE0, 8).uint(0xFC, 8)
            seeds.append(p.uint(0x9E3779B9 * (i + 1) & 0x3FFFFFFF, 32).bytes())
    return seeds


def settings_values():
    return [t.encode() for t in ["12", " -7", "+2147483648", "-99999999999", "shazbot!", "",
                                 "12abc", "\t\n 5", "-2147483648", "0x10"]]


def chromal_rules():
    conf = (samples / "Chromal.conf").read_bytes().decode("latin-1")
    files = [
        (conf, "C:\\Windows\\System32"),
        ("1 0000FF 2 123456 0 FFFFFF *\n+1ZZ0G-1 2 000000 1 000000 *\n", "D:\\x"),
        ("1 000000 1 000000 1 000000 My Folder \n1 000000 1 000000 1 000000 C:\\*", "C:\\y"),
        ("1 0000FF 2 000000 0 FFFFFF C:\\a*\r\n1 00FF00 2 000000 0 FFFFFF C:\\b\r*\r\n"
         "1 FF0000 2 000000 0 FFFFFF C:\\c*\x1a\n", "C:\\b\r"),
        ("1 000000 1 000000 1\0 000000 *\n" + "1 000000 1 000000 1 000000 " + "x" * 300, "x"),
    ]
    seeds = []
    for text, folder in files:
        first = utf16(text)
        second = utf16(folder)
        # The target splits at half the input, rounded down to an even byte.
        while len(second) < len(first):
            second += b"\0\0"
        seeds.append(first + second[: len(first)])
    return seeds


def wildcard():
    alphabet = "*?aAbB\\.\u00e9\u00c9"

    def units(text):
        out = bytearray()
        for c in text:
            if c in alphabet:
                out.append(alphabet.index(c))
            else:
                out += bytes([0xF0 | (ord(c) >> 8 & 0x0F), ord(c) & 0xFF])
        return out

    pairs = [("*", "C:\\x"), ("C:\\Windows\\*", "c:\\windows\\System32"), ("*a*a*a*a*b", "a" * 20),
             ("?:\\*", "D:\\"), ("a?b", "ab"), ("*.*", "x.y"), ("\u00e9*", "\u00c9t\u00e9"),
             ("", ""), ("**", "")]
    seeds = []
    for pattern, path in pairs:
        p = units(pattern)
        seeds.append(bytes([len(p) + 1]) + p + units(path))
    return seeds


def pushdown_command():
    return [(samples / "DesktopPushdownCommand.ini").read_bytes(), b"notepad.exe\r\nsecond",
            b"", b"\r\n", b"cmd /c\rdir\n", b"x" * 300 + b"\n", b"a\0b\n",
            b"\x41\x00\x3d\xd8\x00\xde" * 60 + b"\n"]


def explorer_fit():
    def rect(p, r):
        for v in r:
            p.bool(False).range(v, -40000, 40000)
        return p

    # Three items of 300 x 17 in a details view, window 400 x 300 at (100, 100).
    p = Provider().bool(True)
    for v in (10, 15, 5):
        p.range(v, -1, 100)
    p.bool(False).uint(300, 16).uint(255, 16)
    p.uint(1, 32).int32(3)
    rect(p, (0, 0, 1280, 1004)).bool(True)
    rect(p, (0, 0, 300, 17))
    rect(p, (102, 160, 498, 398)).uint(300 | 255 << 16, 32).uint(300 | 255 << 16, 32)
    rect(p, (100, 100, 500, 400)).bool(True).int32(16)
    seeds = [p.bytes()]
    # An empty list in an icon view, on the bottom edge of the work area.
    p = Provider().bool(False)
    for v in (40, 40, 5):
        p.range(v, -1, 100)
    p.bool(False).uint(0, 16).uint(0, 16).bool(False).int32(0)
    rect(p, (0, 0, 1280, 1004))
    rect(p, (102, 760, 498, 1002)).uint(0, 32).uint(0, 32)
    rect(p, (100, 704, 500, 1004))
    seeds.append(p.bytes())
    # Found by fuzzing: measurements at the ends of an int overflowed the sums.
    p = Provider().bool(True)
    for v in (10, 15, 5):
        p.range(v, -1, 100)
    p.bool(False).uint(65535, 16).uint(65535, 16).uint(1, 32).int32(2**31 - 1)
    for v in (2**31 - 1, 2**31 - 1, -2**31, -2**31):
        p.bool(True).int32(v)
    p.bool(True)
    for v in (-2**31, 0, 2**31 - 1, 2**31 - 1, -2**31 + 10, -2**31 + 100, 2**31 - 10, 2**31 - 100):
        p.bool(True).int32(v)
    seeds.append(p.bytes())
    return seeds


def shuffla_reorder():
    seeds = [b""]  # found by fuzzing: every integer at its least, the threshold's squares overflowed
    for source, target in [(1, 4), (4, 1), (0, 5), (2, 2), (-1, 3), (7, 0)]:
        p = Provider().int32(9).int32(-9).int32(source).int32(target)
        p.uint(source + 1 & 7, 8).uint(target + 1 & 7, 8).bool(False)
        for window in range(1, 7):
            p.uint(window, 8)
        seeds.append(p.bytes())
    return seeds


def combinations():
    p = Provider()
    p.range(0, 0, 5).uint(ord("A"), 8).string(b"Everything")
    p.range(0, 0, 5).uint(ord("B"), 8).string(b"Work & Play")
    p.range(1, 0, 5).range(3, 0, 40).uint(3, 32).uint(1, 32).uint(2, 32)
    p.range(2, 0, 5).range(2, 0, 5).range(2, 0, 5)
    p.range(3, 0, 5).uint(203, 64).bool(False)
    p.range(4, 0, 5).bool(True).bool(True).bool(False).bool(True)
    p.range(5, 0, 5).range(3, 0, 5).uint(201, 64).bool(False)
    return [p.bytes()]


def library_path():
    seeds = []
    for path, host, working in [("Minimize.dll", "C:\\TOV", "C:\\work"),
                                ("plugins\\Minimize", "C:\\TOV\\", "C:\\"),
                                ("C:Minimize.dll", "", "D:\\w"),
                                ("\\\\server\\share\\x.", "C:\\TOV", "C:\\w"),
                                ("..\\x.dll", "C:\\TOV", "C:\\w\\")]:
        a, b, c = utf16(path), utf16(host), utf16(working)
        rest = a + b + c
        size = len(rest) + 2
        # The two first bytes are also the path's start: place the cuts by adjusting them.
        data = bytearray(b"\0\0" + rest)
        data[0] = (len(a) + 2) % (size + 1)
        data[1] = (len(b)) % (size - data[0] + 1)
        seeds.append(bytes(data))
    return seeds


targets = {name: fn for name, fn in globals().items()
           if callable(fn) and name not in ("write", "utf16", "Provider")}
for name, make in targets.items():
    if len(sys.argv) < 2 or name in sys.argv[1:]:
        write(name, make())
