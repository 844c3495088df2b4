"""Every Windows call of a run made to fail in turn, in the fault-injection build: each scenario
runs once with a trace of its calls, then once for each call and each way it can fail, that call
failing. Every run must end with 0 or 1, and with 0 exactly when the installer reported success;
a failure that ends the install must be named on the console and in the log with its code; what
the program works around must leave no trace; and the log must keep its earlier bytes and gain
nothing or exactly one whole record. The outcome is a table, one row a run, in the build folder."""
import os
import re
from pathlib import Path

from support.harness import USAGE, PlivexFolder, script

CODE = 0x1F  # what each failing call leaves as its last-error code (ERROR_GEN_FAILURE)
EARLIER = b"an earlier run's record\r\n\r\n"
END = b"\r\n\r\n"
RECORD = re.compile(rb"ERROR - \(0x([0-9A-F]{8})\) [^\r\n]*\r\n\r\n" + END)

# The ways each call can fail: its last-error code; the result it returns where it has more than
# one way to fail (None: its one failing result); and a call that fails with it, the next of that
# name (None: none). A length that does not fit is the program's own ERROR_INSUFFICIENT_BUFFER.
WAYS = {
    "LockFileEx": [(0x1, None, None), (0x21, None, None)],  # no locks here; held by another process
    # fails; is cut short (a full disk), and the file cannot be cut back; lands after another's append
    "WriteFile": [(CODE, None, None), (CODE, None, "SetFilePointerEx"), (CODE, 1, None), (0, 2, None)],
    "WideCharToMultiByte": [(CODE, None, None), (CODE, None, "WideCharToMultiByte")],  # fails; so does the next
    "FormatMessageW": [(CODE, None, None), (CODE, 1, None), (0, 2, None)],  # no text; an empty one; a text
    "GetSystemDirectoryW": [(CODE, None, None), (0x7A, 300, None)],  # fails; a length that does not fit
    "GetStdHandle": [(CODE, None, None), (CODE, 0, None)],  # fails; no handle at all
    "GetConsoleOutputCP": [(CODE, None, None), (CODE, 65001, None)],  # no console; a UTF-8 one
}
# Failures the program works around: the run is the same as with none. The first GetProcAddress
# asks for SetDefaultDllDirectories; a conversion for the console (code page 437) is tried again.
UNSEEN = re.compile(r"(GetConsoleMode|GetConsoleOutputCP|LockFileEx|UnlockFileEx|FreeLibrary|CloseHandle|"
                    r"GetProcAddress 1|WideCharToMultiByte \d+ 437)\b.*")
SCENARIOS = {  # the command line after argument 0, and the installer's outcome
    "success": (["H", "driver.inf"], "success"),
    "failed install": (["H", "driver.inf"], "fail:5"),
    "installer's own code": (["H", "driver.inf"], "fail:E000020B"),
    "refused": (["H"], "success"),
}


def runs(wine, scenario, faults):
    """The scenario run once per fault (None: none, with a trace), each in a folder of its own:
    (exit code, output, errors, log, whether the installer was called, trace) for each."""
    arguments, installer = SCENARIOS[scenario]
    script(installer)
    os.environ.update(PLIVEX_FAULT_FILE="plivex.fault", PLIVEX_FAULT_TRACE="plivex.trace")
    folders = [PlivexFolder(wine, f"C:\\sweep\\{number}") for number in range(len(faults))]
    for folder, fault in zip(folders, faults):
        (folder.linux / "plivex.log").write_bytes(EARLIER)
        (folder.linux / "plivex.fault").write_text(fault or "")
    processes = [folder.process([folder.exe, *arguments]) for folder in folders]
    codes = sum((wine.launch(processes[at:at + 50], together=True) for at in range(0, len(processes), 50)), [])
    # Each run shows its own folder: "C:\sweep\*" for all.
    return [(code, re.sub(rb"\\sweep\\\d+", rb"\\sweep\\*", folder.output.read_bytes()),
             Path(f"{folder.output}.err").read_bytes(), (folder.linux / "plivex.log").read_bytes(),
             (folder.linux / "plivex.call").exists(), (folder.linux / "plivex.trace").read_text().splitlines())
            for folder, code in zip(folders, codes)]


def broken(scenario, call, way, run, clean):
    """The rule this run breaks, or None."""
    code, output, errors, log, called, _ = run
    # Another process's append just before the log's own write (the last) stays before the record.
    last = way[1] == 2 and clean[3] != EARLIER and [c for c in clean[5] if c.startswith("WriteFile ")][-1:] == [call]
    earlier = EARLIER + b"meanwhile\r\n" * last
    added = log[len(earlier):]
    record = RECORD.fullmatch(added)
    if code not in (0, 1) or errors:
        return f"ended with {code:#x}, errors {errors!r}"
    if code != (0 if called and SCENARIOS[scenario][1] == "success" else 1):
        return "its exit code is not the installer's outcome"
    if not log.startswith(earlier) or added != b"" and added != (END if code == 0 else None) and not (code == 1 and record):
        return "the log's earlier bytes changed, or it gained other than nothing or one whole record of its outcome"
    ended = clean[4] and not called and not output.endswith(USAGE)
    if ended and (b"ERROR - (0x%08X) " % way[0] not in output or not record or int(record[1], 16) != way[0]):
        return "the failure that ended the install is not named with its code, on the console and in the log"
    if UNSEEN.fullmatch(call) and not way[2] and (code, output, log) != clean[:2] + clean[3:4]:
        return "what the program works around showed"
    return None


def test_each_call_failing_in_turn_leaves_a_true_outcome(wine):
    table = []
    for scenario in SCENARIOS:
        [clean] = runs(wine, scenario, [None])
        assert clean[0] in (0, 1) and clean[5], f"{scenario}: no trace ({clean})"
        rows = []
        for position, call in enumerate(clean[5]):
            name, number = call.split()[:2]
            for way in WAYS.get(name, [(CODE, None, None)]):
                plan = f"{name} {number} {way[0]:x}" + ("" if way[1] is None else f" {way[1]}")
                if way[2]:  # the next call of that name fails too
                    plan += f"\n{way[2]} {sum(c.startswith(way[2] + ' ') for c in clean[5][:position + 1]) + 1} {way[0]:x}"
                rows.append((call, way, plan))
        for (call, way, plan), run in zip(rows, runs(wine, scenario, [row[2] for row in rows])):
            rule = broken(scenario, call, way, run, clean) or "holds"
            table.append(f"{scenario:20} | {plan.replace(chr(10), ' + '):60} | exit {run[0]} | {rule}")
    report = wine.build / "sweep.txt"
    report.write_text("\n".join(table) + "\n")
    assert all(row.endswith("holds") for row in table), "\n".join(row for row in table if not row.endswith("holds"))
