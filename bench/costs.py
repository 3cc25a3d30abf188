#!/usr/bin/env python3
"""Reduces the raw measurements of bench/run to a few numbers.

  costs.py callgrind FILE   -> "<process Ir> <main Ir> <simulator Ir inside main> <own Ir>"
  costs.py dhat FILE        -> "<blocks> <bytes> <bytes live at the heap peak>" (simulator excluded)
  costs.py qemu FILE        -> "<heap bytes (brk)> <peak anonymous mmap bytes>" from qemu -strace
  costs.py usleep US...     -> wall time over the sum of the pauses, slept by the C library's usleep
  costs.py median N...      -> the median
"""
import ctypes
import json
import re
import statistics
import sys
import time

SIM_OBJECT = "librigosim.so"
# Callers outside main() that reach the simulator: library start-up and exit.
OUTSIDE_MAIN = {"call_init", "_dl_init", "_dl_fini", "_dl_call_fini", "__run_exit_handlers", "exit"}


def basename(path):
    return (path or "").rsplit("/", 1)[-1]


def is_sim(obj):
    return basename(obj) == SIM_OBJECT


def is_loader(obj):
    return basename(obj).startswith("ld-")


def is_libc(obj):
    return basename(obj).startswith("libc.so")


def callgrind(path):
    """Whole-process instructions, and those of main() less the simulator's interception code."""
    names = {}

    def name(kind, text):
        match = re.match(r"\((\d+)\)(?: (.*))?$", text)
        if not match:
            return text
        key = (kind, match.group(1))
        if match.group(2) is not None:
            names[key] = match.group(2)
        return names.get(key, text)

    total = 0
    obj = fn = callee_obj = callee_fn = None
    in_call = False
    main_cost = 0
    sim_cost = 0
    with open(path) as profile:
        for line in profile:
            line = line.rstrip("\n")
            if line.startswith("summary:"):
                total = int(line.split()[1])
            elif line.startswith("ob="):
                obj = name("ob", line[3:])
            elif line.startswith("fn="):
                fn = name("fn", line[3:])
                callee_obj = None
            elif line.startswith("cob="):
                callee_obj = name("ob", line[4:])
            elif line.startswith("cfn="):
                callee_fn = name("fn", line[4:])
            elif line.startswith(("fl=", "fi=", "fe=", "cfi=", "cfl=")):
                name("fl", line.split("=", 1)[1])
            elif line.startswith("calls="):
                in_call = True
            elif in_call and line and (line[0].isdigit() or line[0] in "+-*"):
                inclusive = int(line.split()[1])
                target = callee_obj or obj
                if fn == "(below main)" and not (is_libc(target) or is_loader(target) or is_sim(target)):
                    main_cost += inclusive
                if is_sim(target) and not is_sim(obj) and not is_loader(obj) and fn not in OUTSIDE_MAIN:
                    sim_cost += inclusive
                in_call = False
                callee_obj = None
    if main_cost == 0 or sim_cost > main_cost:
        sys.exit(f"{path}: cannot find main() in the profile")
    print(total, main_cost, sim_cost, main_cost - sim_cost)


def dhat(path):
    """Heap blocks and bytes the program allocated, and its bytes live at the global heap peak."""
    with open(path) as source:
        data = json.load(source)
    frames = data["ftbl"]
    blocks = allocated = at_peak = 0
    for point in data["pps"]:
        if any(SIM_OBJECT in frames[i] for i in point["fs"]):
            continue
        blocks += point["tbk"]
        allocated += point["tb"]
        at_peak += point["gb"]
    print(blocks, allocated, at_peak)


def qemu(path):
    """Heap growth through brk and the peak of private anonymous mappings, from qemu -strace."""
    first_brk = last_brk = None
    anonymous = {}
    live = peak = 0
    with open(path, errors="replace") as log:
        for line in log:
            match = re.search(r"\bbrk\((?:NULL|0x[0-9a-f]+)\) = (0x[0-9a-f]+)", line)
            if match:
                value = int(match.group(1), 16)
                first_brk = value if first_brk is None else first_brk
                last_brk = value if last_brk is None else max(last_brk, value)
                continue
            match = re.search(r"\bmmap2?\(NULL,(\d+),[^,]*,([^,]*),.*\) = (0x[0-9a-f]+)", line)
            if match and "MAP_ANONYMOUS" in match.group(2):
                anonymous[int(match.group(3), 16)] = int(match.group(1))
                live += int(match.group(1))
                peak = max(peak, live)
                continue
            match = re.search(r"\bmunmap\((0x[0-9a-f]+),(\d+)\) = 0", line)
            if match and int(match.group(1), 16) in anonymous:
                live -= anonymous.pop(int(match.group(1), 16))
    heap = 0 if first_brk is None else last_brk - first_brk
    print(heap, peak)


def usleep(pauses):
    """Sleeps the pauses with nothing else to do: the overshoot of this machine's sleeps."""
    sleep = ctypes.CDLL(None).usleep
    pauses = [int(p) for p in pauses]
    start = time.perf_counter()
    for pause in pauses:
        sleep(pause)
    print("%.4f" % ((time.perf_counter() - start) * 1e6 / sum(pauses)))


def median(values):
    print(statistics.median(float(v) for v in values))


if __name__ == "__main__":
    commands = {"callgrind": callgrind, "dhat": dhat, "qemu": qemu}
    if len(sys.argv) >= 3 and sys.argv[1] == "median":
        median(sys.argv[2:])
    elif len(sys.argv) >= 3 and sys.argv[1] == "usleep":
        usleep(sys.argv[2:])
    elif len(sys.argv) == 3 and sys.argv[1] in commands:
        commands[sys.argv[1]](sys.argv[2])
    else:
        sys.exit(__doc__)
