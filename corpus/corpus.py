#!/usr/bin/env python3
"""Characterisation corpus: runs a broad, fixed set of rigo command lines on fresh simulated
boards and records, per line, the exit status, standard output, standard error, the
simulator's trace and every register the run changed.

    corpus.py record [BUILD]      writes the corpus to standard output
    corpus.py compare [BUILD]     replays it against corpus/expected.txt.gz

BUILD is the build folder holding rigo and rigosim (default: build). A refactor must
replay the corpus byte for byte.
"""
import gzip
import os
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

HERE = os.path.dirname(os.path.abspath(__file__))
EXPECTED = os.path.join(HERE, "expected.txt.gz")

MODELS = ["belk", "corv", "dern", "avin", "0x33", "0x37", "0x13", "0x35:2", "0x30:2", "0x99"]
HOME = {"belk": "belk", "corv": "corv", "dern": "dern"}

# keyword, rail names, home board, default address there
REGULATORS = [
    ("-as3720", "SD0 SD1 SD2 SD3 SD4 SD5 SD6 LDO0 LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7 LDO8 LDO9 LDO10 LDO11", "belk", "0x40"),
    ("-lp8755", "BUCK0 BUCK1 BUCK2 BUCK3 BUCK4 BUCK5", "dern", "0x60"),
    ("-tps51632", "CPU", "corv", "0x43"),
    ("-tps62361", "SET0 SET1 SET2 SET3 CTRL TEMP RMPCTRL CHIP_ID", "belk", "0x60"),
    ("-tps62365", "SET0 SET1 SET2 SET3 CTRL TEMP RMPCTRL CHIP_ID", "belk", "0x60"),
    ("-tps62366", "SET0 SET1 CTRL TEMP RMPCTRL CHIP_ID", "belk", "0x60"),
    ("-tps65911", "VIO VDD1 VDD2 VDDCTRL VDDCTRLSR LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7 LDO8", "belk", "0x2d"),
    ("-tps65913", "SMPS12 SMPS123 SMPS3 SMPS45 SMPS457 SMPS6 SMPS7 SMPS8 SMPS9 LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7 LDO8 LDO9 LDOLN LDOUSB", "belk", "0x49"),
    ("-tps80031", "SMPS1 SMPS2 SMPS3 SMPS4 VIO VANA LDOLN LDOUSB LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7", "belk", "0x48"),
    ("-tps80032", "SMPS1 SMPS2 SMPS3 SMPS4 VIO VANA LDOLN LDOUSB LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7", "0x33", "0x48"),
    ("-tps80036", "SMPS12 SMPS3 SMPS6 SMPS7 SMPS8 SMPS9 LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7 LDO8 LDO9 LDO10 LDO11 LDO12 LDO13 LDO14 LDOLN LDOUSB", "corv", "0x48"),
    ("-max77660", "BUCK1 BUCK2 BUCK3 BUCK4 BUCK5 BUCK6 BUCK7 LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7 LDO8 LDO9 LDO10 LDO11 LDO12 LDO13 LDO14 LDO15 LDO16 LDO17 LDO18", "dern", "0x23"),
    ("-max77663", "SD0 DVSSD0 SD1 DVSSD1 SD2 SD3 SD4 LDO0 LDO1 LDO2 LDO3 LDO4 LDO5 LDO6 LDO7 LDO8", "belk", "0x3c"),
    ("-max77664", "SD0 DVSSD0 SD1 DVSSD1", "corv", "0x3c"),
]

MILLIVOLTS = ["0", "1", "600", "612.5", "700", "800", "900", "1000", "1212.5", "1234", "1500",
              "1800", "2500", "3300", "3350", "3400", "5000", "0x3e8", "-5", "abc"]
MICROVOLTS = ["0", "49999", "50000", "600000", "612500", "800000", "812500", "1000000", "1212500",
              "1400000", "1700000", "1725000", "2600000", "3300000", "3350000", "3400000", "1000.9"]

GENERAL = [
    [], ["-ver"], ["-v"], ["-?"], ["-version"], ["-VER"], ["-bogus"], ["-chip"], ["-fuse"],
    ["-iddqG"], ["-iddqLP"], ["-iddqG", "800"], ["-iddqG", "1"], ["-iddqLP", "0x10000"], ["-iddqlp", "1"],
    ["-iddqG", "1", "2"], ["-osc"], ["-freq"], ["-freq", "OSC"], ["-freq", "emc"], ["-freq", "bogus"],
    ["-pll"], ["-pll", "list"], ["-pll", "PLLP"], ["-pll", "pllm"], ["-pll", "PLLC"], ["-pll", "PLLX"],
    ["-pll", "PLLP_OUT2"], ["-pll", "bogus"], ["-dvfs"], ["-id"], ["-id", "4", "0x56"], ["-id", "0", "0x56"],
    ["-id", "4"], ["-id", "4", "0x57"], ["-id", "9", "0x56"],
]

MEMORY = [
    ["-rd", "0x7000F404"], ["-rd32", "0x70000804"], ["-rd16", "0x70000804"], ["-rd8", "0x70000805"],
    ["-rd", "0x70000804", "0xFF00"], ["-rd", "0x70000804", "0xFF00", "shift"], ["-rd", "0x70000804", "0xF0", "x"],
    ["-rd16", "0x70000804", "0xF00", "s"], ["-rd8", "0x70000805", "0x0F", "S"], ["-rd"], ["-rd", "1", "2", "3", "4"],
    ["-rd", "0xfffffffc"], ["-rd", "0xfffffffe"], ["-rd16", "0xffffffff"], ["-rd", "0x80000000"], ["-rd", "0x7000fffe"],
    ["-wr", "0x7000F404", "0x12345678"], ["-wr32", "0x7000F404", "0x12345678", "0xFF00"],
    ["-wr16", "0x7000F404", "0x1212", "0xFF"], ["-wr8", "0x7000F404", "0x12"], ["-wr8", "0x7000F404", "0x1234"],
    ["-wr", "0x7000F404"], ["-wr", "0xfffffffe", "1"], ["-wr", "0x80000000", "7"], ["-wr16", "0x7000F405", "0xabcd"],
    ["-list", "0x70000800", "8"], ["-list", "0x70000ff8", "6"], ["-list", "0x70000800", "0"],
    ["-list", "0x70000800", "-1"], ["-list", "0xfffffff8", "4"], ["-list", "0x70000800"], ["-list", "0x7000F404", "3"],
    ["-list", "0", "1048577"], ["-list", "0x70000803", "2"],
]

I2C = [
    ["-i2c", "4", "0x2d", "0x20"], ["-i2c", "4", "0x2d", "0x20", "0x55"], ["-i2c", "4", "0x2d", "0x20", "rd", "4"],
    ["-i2c", "4", "0x2d", "0x20", "wr", "0x7000F404"], ["-i2c", "4", "0x2d", "0x20", "wr", "123"],
    ["-i2c", "4", "0x77", "0x20"], ["-i2c", "9", "0x2d", "0x20"], ["-i2c16", "4", "0x2d", "0x20"],
    ["-i2c16", "4", "0x2d", "0x20", "0x1234"], ["-i2c", "4", "0x2d"], ["-i2c", "4", "0x2d", "0x20", "rd"],
    ["-i2c", "4", "0x56", "0x00", "rd", "4"], ["-i2c", "4", "0x2d", "0x20", "bogus", "4"],
    ["-i2c16", "4", "0x77", "0x20", "0x1234"], ["-i2c", "4", "0x2d", "0x1ff"],
]

FAULTS = [
    ["mem open"], ["mem mmap after=1"], ["mem mmap after=2"], ["mem mmap after=3"], ["mem mmap after=4"],
    ["mem munmap after=1"], ["mem open errno=EPERM"],
]


def i2c_faults(address):
    return [
        ["i2c open bus=4"],
        ["i2c nack bus=4 addr=%s" % address],
        ["i2c nack bus=4 addr=%s after=1" % address],
        ["i2c nack bus=4 addr=%s after=2 count=1" % address],
        ["i2c nack bus=4 addr=%s dir=write" % address],
        ["i2c nack bus=4 addr=%s dir=read after=1 errno=EREMOTEIO" % address],
    ]


def cases():
    out = []
    for model in MODELS:
        for args in GENERAL:
            out.append((model, [], args))
    for model in ["belk", "corv", "dern"]:
        for args in MEMORY + I2C:
            out.append((model, [], args))
    for faults in FAULTS:
        for args in [["-chip"], ["-rd", "0x7000F404"], ["-wr", "0x7000F404", "1"], ["-list", "0x70000800", "4"],
                     ["-fuse"], ["-iddqG", "5"], ["-dvfs"], ["-pll", "list"], ["-freq", "EMC"],
                     ["-tps65911", "list"]]:
            out.append(("belk", faults, args))
    for faults in i2c_faults("0x2d"):
        for args in I2C[:5] + [["-i2c16", "4", "0x2d", "0x20", "0x1234"]]:
            out.append(("belk", faults, args))
    for faults in i2c_faults("0x56"):
        out.append(("belk", faults, ["-id"]))

    for keyword, rails, home, address in REGULATORS:
        rails = rails.split()
        for model in MODELS:
            out.append((model, [], [keyword, "list"]))
            out.append((model, [], [keyword, rails[0]]))
        values = MICROVOLTS if keyword == "-as3720" else MILLIVOLTS
        out += [
            (home, [], [keyword]), (home, [], [keyword, "list", "4"]), (home, [], [keyword, "list", "4", address]),
            (home, [], [keyword, "list", "4", address, "x"]), (home, [], [keyword, "list", "9", address]),
            (home, [], [keyword, "list", "4", "0x77"]), (home, [], [keyword, "list", "4", "0"]),
            (home, [], [keyword, "bogus"]), (home, [], [keyword, "bogus", "1000"]), (home, [], [keyword, "4", address, "bogus"]),
            (home, [], [keyword, "4", address, rails[-1]]), (home, [], [keyword, "4", address, rails[-1], "ON"]),
            (home, [], [keyword, "9", address, rails[0]]), (home, [], [keyword, "9", address, rails[0], values[8]]),
            (home, [], [keyword, "4", "0x77", rails[0]]), (home, [], [keyword, "4", "0x77", rails[0], values[8]]),
            (home, [], [keyword, "4", "0", rails[0]]), (home, [], [keyword, "1", "2", "3", "4", "5"]),
            (home, [], [keyword, "4", address, rails[0], "1", "2"]),
            (home, [], [keyword, "list", "0"]),
        ]
        for rail in rails:
            out.append((home, [], [keyword, rail]))
            out.append((home, [], [keyword, rail.lower()]))
            for value in values + ["ON", "OFF", "on", "Off"]:
                out.append((home, [], [keyword, rail, value]))
        for faults in i2c_faults(address):
            out.append((home, faults, [keyword, "list"]))
            out.append((home, faults, [keyword, rails[0]]))
            out.append((home, faults, [keyword, rails[-1], values[8]]))
            out.append((home, faults, [keyword, rails[0], "OFF"]))
        out.append((home, ["mem open"], [keyword, "list"]))

    for model in ["belk", "corv", "0x33", "dern"]:
        for keyword in ["-ds4422n", "-ds4424n"]:
            out.append((model, [], [keyword]))
            out.append((model, [], [keyword, "list"]))
            out.append((model, [], [keyword, "list", "BRD01"]))
    for model in ["belk", "corv", "0x33"]:
        bus, address = ("0", "0x70") if model == "corv" else ("0", "0x10")
        for board in ["BRD%02d" % n for n in range(0, 20)] + ["brd05", "bogus"]:
            out.append((model, [], ["-ds4422n", "list", board]))
            out.append((model, [], ["-ds4424n", board, "OUT0"]))
        for board in ["BRD01", "BRD02", "BRD10", "BRD11", "BRD12", "BRD17", "BRD18"]:
            for out_name in ["OUT0", "OUT1", "OUT2", "OUT3", "out1", "OUT9"]:
                out.append((model, [], ["-ds4422n", board, out_name]))
                for value in ["0", "40", "50", "60", "61", "700", "900", "1000", "1100", "1400", "3000", "abc"]:
                    out.append((model, [], ["-ds4422n", board, out_name, value]))
            out.append((model, [], ["-ds4422n", "list", board, bus, address]))
            out.append((model, [], ["-ds4422n", board, bus, address, "OUT0", "1000"]))
            out.append((model, [], ["-ds4422n", board, "9", address, "OUT0", "1000"]))
            out.append((model, [], ["-ds4422n", board, bus, "0x11", "OUT0"]))
        for limits in [["900", "1000", "1100", "1"], ["900", "1000", "1100", "0"], ["1000", "1000", "1000", "1"],
                       ["1100", "1000", "900", "1"], ["40", "50", "60", "1"], ["0", "0", "0", "0"]]:
            for value in [[], ["950"], ["1050"], ["1100"], ["1200"], ["40"], ["60"]]:
                out.append((model, [], ["-ds4422n", bus, address, "OUT0"] + limits + value))
            out.append((model, [], ["-ds4422n", bus, address, "OUT3"] + limits + ["1000"]))
            out.append((model, [], ["-ds4422n", "9", address, "OUT0"] + limits + ["1000"]))
        for faults in [["i2c nack bus=%s addr=%s" % (bus, address)], ["i2c nack bus=%s addr=%s after=1" % (bus, address)],
                       ["i2c open bus=%s" % bus]]:
            out.append((model, faults, ["-ds4422n", "list", "BRD01"]))
            out.append((model, faults, ["-ds4422n", "BRD01", "OUT0", "1000"]))
            out.append((model, faults, ["-ds4422n", "BRD11", "OUT1", "50"]))
            out.append((model, faults, ["-ds4422n", bus, address, "OUT0", "900", "1000", "1100", "1", "950"]))

    for model in ["belk", "0x37", "corv"]:
        for args in [["bypass"], ["bypass", "LDO7"], ["bypass", "ldo8"], ["bypass", "LDO1"], ["bypass", "4", "0x2d", "LDO7"],
                     ["bypass", "9", "0x2d", "LDO8"], ["bypass", "4", "0x77", "LDO7"], ["bypass", "4", "0x2d"],
                     ["bypass", "LDO7", "x"]]:
            out.append((model, [], ["-tps65911"] + args))
    for faults in [["i2c nack bus=4 addr=0x20"], ["i2c nack bus=4 addr=0x20 after=1"], ["i2c nack bus=4 addr=0x2d"],
                   ["i2c nack bus=4 addr=0x2d after=1"], ["i2c open bus=4"]]:
        out.append(("belk", faults, ["-tps65911", "bypass", "LDO7"]))
        out.append(("belk", faults, ["-tps65911", "bypass", "LDO8"]))
    return out


def memory_pages(path):
    """{page offset: bytes} for the data extents of the sparse memory file."""
    pages = {}
    with open(path, "rb") as f:
        fd = f.fileno()
        end = os.fstat(fd).st_size
        offset = 0
        while offset < end:
            try:
                data = os.lseek(fd, offset, os.SEEK_DATA)
            except OSError:
                break
            hole = os.lseek(fd, data, os.SEEK_HOLE)
            f.seek(data)
            block = f.read(hole - data)
            for i in range(0, len(block), 4096):
                pages[data + i] = block[i:i + 4096]
            offset = hole
    return pages


def state(board):
    devices = {}
    for bus in sorted(os.listdir(board)):
        if bus.startswith("i2c-"):
            for device in sorted(os.listdir(os.path.join(board, bus))):
                with open(os.path.join(board, bus, device), "rb") as f:
                    devices["%s/%s" % (bus, device)] = f.read()
    return memory_pages(os.path.join(board, "mem")), devices


def changes(before, after):
    lines = []
    pages0, devices0 = before
    pages1, devices1 = after
    for page in sorted(set(pages0) | set(pages1)):
        a = pages0.get(page, bytes(4096)).ljust(4096, b"\0")
        b = pages1.get(page, bytes(4096)).ljust(4096, b"\0")
        if a == b:
            continue
        for i in range(0, 4096, 4):
            if a[i:i + 4] != b[i:i + 4]:
                lines.append("mem 0x%08x %s -> %s" % (page + i, a[i:i + 4][::-1].hex(), b[i:i + 4][::-1].hex()))
    for name in sorted(set(devices0) | set(devices1)):
        a, b = devices0.get(name), devices1.get(name)
        if a is None or b is None:
            lines.append("%s %s" % (name, "added" if a is None else "removed"))
            continue
        if a == b:
            continue
        for reg in range(256):
            if a[reg] != b[reg]:
                lines.append("%s 0x%02x %02x -> %02x" % (name, reg, a[reg], b[reg]))
    return lines


def template(build, model, cache={}):
    """A fresh board of the model, made once; cases copy it (rigosim create is the same each time)."""
    if model not in cache:
        folder = tempfile.mkdtemp(prefix="corpus-template-")
        board = os.path.join(folder, "b")
        subprocess.run([os.path.join(build, "rigosim"), "create", board, model], check=True)
        cache[model] = (board, state(board))
    return cache[model]


def copy_board(source, target):
    os.mkdir(target)
    for name in os.listdir(source):
        path = os.path.join(source, name)
        if os.path.isdir(path):
            shutil.copytree(path, os.path.join(target, name))
    with open(os.path.join(target, "mem"), "wb") as f:
        size = os.path.getsize(os.path.join(source, "mem"))
        f.truncate(size)
        for offset, page in memory_pages(os.path.join(source, "mem")).items():
            f.seek(offset)
            f.write(page)
    for name in ("faults", "trace"):
        open(os.path.join(target, name), "w").close()


def run_case(build, case):
    model, faults, args = case
    rigosim = os.path.join(build, "rigosim")
    rigo = os.path.join(build, "rigo")
    source, before = template(build, model)
    with tempfile.TemporaryDirectory() as tmp:
        board = os.path.join(tmp, "b")
        copy_board(source, board)
        with open(os.path.join(board, "faults"), "w") as f:
            f.writelines(rule + "\n" for rule in faults)
        p = subprocess.run([rigosim, "run", board, rigo] + args, capture_output=True, stdin=subprocess.DEVNULL)
        with open(os.path.join(board, "trace"), "rb") as f:
            # Lines starting "# " mark runs and processes, not rigo's behaviour.
            trace = b"".join(line for line in f if not line.startswith(b"# "))
        after = state(board)
    block = ["=== %s | %s | rigo %s" % (model, "; ".join(faults), " ".join(args)), "status %d" % p.returncode]
    for title, data in [("stdout", p.stdout), ("stderr", p.stderr), ("trace", trace)]:
        block.append("--- %s" % title)
        block.append(data.decode("latin-1"))
    block.append("--- changes")
    block += changes(before, after)
    return "\n".join(block) + "\n"


def record(build):
    for model in {case[0] for case in cases()}:
        template(build, model)
    try:
        with ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            return "".join(pool.map(lambda case: run_case(build, case), cases()))
    finally:
        for board, _ in template.__defaults__[0].values():
            shutil.rmtree(os.path.dirname(board))


def main():
    if len(sys.argv) not in (2, 3) or sys.argv[1] not in ("record", "compare"):
        sys.exit(__doc__)
    build = sys.argv[2] if len(sys.argv) == 3 else "build"
    text = record(build)
    if sys.argv[1] == "record":
        sys.stdout.write(text)
        return
    with gzip.open(EXPECTED, "rt", encoding="latin-1") as f:
        expected = f.read()
    if text == expected:
        print("corpus: %d cases replay identically" % len(cases()))
        return
    old = expected.split("\n=== ")
    new = text.split("\n=== ")
    shown = 0
    for a, b in zip(old, new):
        if a != b and shown < 5:
            shown += 1
            print("--- expected\n=== %s\n+++ got\n=== %s" % (a, b))
    print("corpus: differs (%d of %d blocks)" % (sum(a != b for a, b in zip(old, new)), len(old)))
    sys.exit(1)


if __name__ == "__main__":
    main()
