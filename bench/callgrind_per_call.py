#!/usr/bin/env python3
"""Instructions per call of one function, counted by callgrind: reproducible where
wall-clock times are not (a shared, busy machine).

    bench/callgrind_per_call.py CALLER CALLEE -- PROGRAM [ARGUMENTS...]

Runs PROGRAM under valgrind --tool=callgrind and prints, for every call CALLEE receives
from CALLER, the instructions executed inside it (inclusive) divided by the number of
those calls. CALLER and CALLEE are substrings of the demangled names, for instance

    bench/callgrind_per_call.py RunSteps 'TVelquoraScene::Step' -- \\
        build/bench/bench_step --benchmark_filter='BM_StepFullHd/sprites:500/transparent:0'

Calls made from elsewhere (the first Step of a benchmark's set-up, say) are left out.
"""
import os
import re
import subprocess
import sys
import tempfile


def parse(path, caller_part, callee_part):
    names = {}  # compressed name id -> name, one table per kind

    def name_of(kind, text):
        match = re.match(r"\((\d+)\)(?: (.*))?", text)
        if not match:
            return text
        key = (kind, match.group(1))
        if match.group(2) is not None:
            names[key] = match.group(2)
        return names.get(key, "")

    calls = 0
    instructions = 0
    current = ""
    target = ""
    pending_calls = None
    with open(path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            line = line.rstrip("\n")
            if line.startswith("fn="):
                current = name_of("fn", line[3:])
            elif line.startswith("cfn="):
                target = name_of("fn", line[4:])
            elif line.startswith("calls="):
                pending_calls = int(line[6:].split()[0])
            elif pending_calls is not None:
                # The line after calls= holds the inclusive cost of those calls.
                fields = line.split()
                if caller_part in current and callee_part in target and len(fields) >= 2:
                    calls += pending_calls
                    instructions += int(fields[1])
                pending_calls = None
    return calls, instructions


def main():
    if "--" not in sys.argv or sys.argv.index("--") != 3:
        sys.exit(__doc__)
    caller, callee = sys.argv[1], sys.argv[2]
    program = sys.argv[4:]
    with tempfile.TemporaryDirectory() as work:
        out = os.path.join(work, "callgrind.out")
        subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out] + program,
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        calls, instructions = parse(out, caller, callee)
    if calls == 0:
        sys.exit(f"no calls of {callee!r} from {caller!r}")
    print(f"{callee} from {caller}: {calls} calls, {instructions / calls:,.0f} instructions per call")


if __name__ == "__main__":
    main()
