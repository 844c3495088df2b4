"""plivex.exe run as users run it: one command line a row, with the exact exit code, standard
output and log bytes for each."""
import shutil
from collections import namedtuple

import pytest

from support.harness import FOLDER as D, USAGE, PlivexFolder, narrow

END = b"\r\n\r\n"  # the closing lines of every run that opened the log
NOT_FOUND = b"ERROR: The full INF path does not exist!\n"  # code 2's message
NOT_BETTER = b"ERROR: The specified driver is not better than the current one!\n"
TOO_LONG = b"ERROR: The full INF path is longer than 259 characters!\n"
ID_TOO_LONG = b"ERROR: The hardware ID is longer than 259 characters!\n"


def params(id=b"H", inf=D.encode() + b"\\driver.inf"):
    return b"HardwareID  = " + id + b"\nFullInfPath = " + inf + b"\n"


def missing(inf):
    return b'ERROR: "' + inf + b'" does not exist!\n' + USAGE


def logged(code, own_text=None):
    """The logged lines of a failure: the code, the system's text for it or the tool's own."""
    return lambda wine: (b"ERROR - (0x%08X) " % code +
                         (narrow(wine.texts[code]) if own_text is None else own_text + b"\r\n") +
                         b"\r\n" + END)


def long_name(length, extension):
    """A name in the folder whose path has exactly this many characters."""
    return "p" * (length - len(D) - 1 - len(extension)) + extension


def long(length, extension):
    return D + "\\" + long_name(length, extension)


Row = namedtuple("Row", "name setup command installer exit_code output log added")
H, INF, EXE, OK, LOG = "H", "driver.inf", D + "\\plivex.exe", "success", "plivex.log"
ROWS = [
    # The argument check: exactly a hardware ID and an existing INF path.
    Row("no arguments", "", [EXE], OK, 1, USAGE, "", b""),
    Row("one argument", "", [EXE, H], OK, 1, USAGE, "", b""),
    Row("three arguments", "", [EXE, H, INF, "x"], OK, 1, USAGE, "", b""),
    Row("missing INF, shown absolute", "", [EXE, H, "sub\\..\\gone.inf"], OK, 1, missing(b"C:\\plivex\\gone.inf"), "", b""),
    Row("relative INF", "", [EXE, H, INF], OK, 0, params(), LOG, END),
    Row("empty INF: the current folder, which passes the check", "", [EXE, H, ""], OK, 0, params(inf=b"C:\\plivex"), LOG, END),
    Row("slashes, dots, trailing dots", "", [EXE, H, D + "/sub/../driver.inf..."], OK, 0, params(), LOG, END),
    Row("\\\\?\\ INF", "", [EXE, H, "\\\\?\\" + D + "\\driver.inf"], OK, 0, params(inf=b"\\\\?\\C:\\plivex\\driver.inf"), LOG, END),
    Row("UNC INF", "", [EXE, H, "\\\\server\\share\\x.inf"], OK, 1, missing(b"\\\\server\\share\\x.inf"), "", b""),
    Row("NUL as INF", "", [EXE, H, "NUL"], OK, 1, missing(b"\\\\.\\NUL"), "", b""),
    Row("format directives in the INF", "", [EXE, H, "%s%n%x%%"], OK, 1, missing(b"C:\\plivex\\%s%n%x%%"), "", b""),
    Row("unpaired surrogate in the INF", "", [EXE, H, "gone\udc00.inf"], OK, 1, missing(b"C:\\plivex\\gone?.inf"), "", b""),
    Row("INF path of 259", "make", [EXE, H, long(259, ".inf")], OK, 0, params(inf=long(259, ".inf").encode()), LOG, END),
    Row("INF path of 260", "", [EXE, H, long(260, ".inf")], OK, 1, TOO_LONG + USAGE, "", b""),
    Row("INF path of 32000", "", [EXE, H, "i" * 32000], OK, 1, TOO_LONG + USAGE, "", b""),
    # The hardware ID goes to the installer as given; one too long to be an ID is refused.
    Row("format directives in the ID", "", [EXE, "%s%n%x%%", INF], OK, 0, params(b"%s%n%x%%"), LOG, END),
    Row("empty ID", "", [EXE, "", INF], OK, 0, params(b""), LOG, END),
    Row("blanks and case kept", "", [EXE, " Root\\Mixed Case ", INF], OK, 0, params(b" Root\\Mixed Case "), LOG, END),
    Row("ID of 259", "", [EXE, "h" * 259, INF], OK, 0, params(b"h" * 259), LOG, END),
    Row("ID of 260", "", [EXE, "h" * 260, INF], OK, 1, ID_TOO_LONG + USAGE, "", b""),
    Row("ID of 32000", "", [EXE, "h" * 32000, INF], OK, 1, ID_TOO_LONG + USAGE, "", b""),
    Row("unpaired surrogate in the ID", "", [EXE, "A\ud800B", INF], OK, 0, params(b"A?B"), LOG, END),
    Row("a pair across the output's chunks", "", [EXE, "h" * 255 + "\U0001F600hh", INF], OK, 0, params(b"h" * 255 + b"??hh"), LOG, END),
    # Other scripts: redirected output has what code page 437 has, "?" for each unit it lacks,
    # never a look-alike.
    Row("Latin, Cyrillic, CJK, emoji", "", [D + "\\\u0434\u0440\u0430\u0439.exe", "USB\\\u00e9\u0141\u2013\u0416\u4e2d\U0001F600", "\u00e9.inf"], OK, 0,
        params(b"USB\\\x82??????", b"C:\\plivex\\\x82.inf"), "\u0434\u0440\u0430\u0439.log", END),
    # The log: named after argument 0, beside it; no log where it would not fit or names nothing.
    Row("extension replaced", "", [D + "\\upd.exe", H, INF], OK, 0, params(), "upd.log", END),
    Row("no extension, dotted folder", "", [D + "\\tools.old\\upd", H, INF], OK, 0, params(), "tools.old\\upd.log", END),
    Row("bare name, dotted current folder", "in-me.corp", ["plivex", H, D + "\\driver.inf"], OK, 0, params(), "me.corp\\plivex.log", END),
    Row("relative path", "", ["sub\\upd.exe", H, INF], OK, 0, params(), "sub\\upd.log", END),
    Row("log path of 259", "", [long(259, ".exe"), H, INF], OK, 0, params(), long_name(259, ".log"), END),
    Row("log path of 259 by appending", "", [long(255, ""), H, INF], OK, 0, params(), long_name(255, "") + ".log", END),
    Row("log path of 260 by appending", "", [long(256, ""), H, INF], OK, 0, params(), "", b""),
    Row("argument 0 of 260", "", [long(260, ".exe"), H, INF], OK, 0, params(), "", b""),
    Row("argument 0 of 32000", "", ["a" * 32000, H, INF], OK, 0, params(), "", b""),
    Row("empty argument 0", "", ["", H, INF], OK, 0, params(), "", b""),
    Row("argument 0 \".\"", "", [".", H, INF], OK, 0, params(), "", b""),
    Row("argument 0 \"C:\"", "", ["C:", H, INF], OK, 0, params(), "", b""),
    Row("argument 0 ending in a separator", "", [D + "\\sub\\", H, INF], OK, 0, params(), "", b""),
    Row("NUL as argument 0", "", ["NUL", H, INF], OK, 0, params(), "", b""),
    # The installer's outcome: the message for its code, then the code and its text logged.
    Row("success, restart requested", "", [EXE, H, INF], "success-reboot", 0, params(), LOG, END),
    Row("no code, a first run", "", [EXE, H, INF], "fail", 1, params() + NOT_BETTER, LOG, logged(0)),
    Row("code 2", "", [EXE, H, INF], "fail:2", 1, params() + NOT_FOUND, LOG, logged(2)),
    Row("code 1004", "", [EXE, H, INF], "fail:3EC", 1, params() + b"ERROR: The installflags does not contain an accepted value!\n", LOG, logged(1004)),
    Row("code E000020B", "", [EXE, H, INF], "fail:E000020B", 1, params() + b"ERROR: The hardwareID does not match any device on the machine!\n",
        LOG, logged(0xE000020B, b"No device in the hardware tree has that hardware ID.")),
    Row("code 5", "", [EXE, H, INF], "fail:5", 1, params(), LOG, logged(5)),
    Row("code 13D, its inserts kept", "", [EXE, H, INF], "fail:13D", 1, params(), LOG, logged(0x13D)),
    Row("code E0000235", "", [EXE, H, INF], "fail:E0000235", 1, params(), LOG,
        logged(0xE0000235, b"A 32-bit program cannot install drivers on 64-bit Windows; run the 64-bit build.")),
    Row("code E0001234", "", [EXE, H, INF], "fail:E0001234", 1, params(), LOG, logged(0xE0001234, b"Unknown error.")),
    Row("DLLs planted beside it and in the current folder", "probe in-me.corp", [EXE, H, D + "\\driver.inf"], OK, 0,
        params() + b"accprobe.dll: error 126\n", LOG, END),
    Row("the system's copy of a DLL", "probe system in-me.corp", [EXE, H, D + "\\driver.inf"], OK, 0,
        lambda wine: params() + b"accprobe.dll: " + narrow(wine.system_directory + "\\accprobe.dll") + b"\n", LOG, END),
    # The log appended to (sharing is the run log's tests'; one that cannot be had, the sweep's).
    Row("runs append; no code, a later run", "kept", [EXE, H, INF], "fail", 1, params() + NOT_BETTER, LOG, logged(0)),
]


@pytest.mark.parametrize("row", ROWS, ids=[row.name for row in ROWS])
def test_each_command_line_has_its_exact_outcome(wine, row):
    plivex = PlivexFolder(wine)
    log = plivex.linux / LOG
    kept = b"kept\r\n" if "kept" in row.setup else b""
    if "kept" in row.setup:
        log.write_bytes(kept)
    if "make" in row.setup:
        wine.linux(row.command[2]).write_bytes(b"")
    stand_in, probe = wine.system / "newdev.dll", wine.system / "accprobe.dll"
    # The folder's accprobe.dll and me.corp\'s must not be found; with "system", the system's
    # copy must be.
    if "system" in row.setup:
        shutil.copy(stand_in, probe)
    try:
        run = plivex.run(row.command, row.installer, plivex / "me.corp" if "in-me.corp" in row.setup else None,
                         "accprobe.dll" if "probe" in row.setup else None)
    finally:
        probe.unlink(missing_ok=True)
    resolve = lambda expected: expected(wine) if callable(expected) else expected
    added = resolve(row.added)
    assert (run.exit_code, run.output, run.errors) == (row.exit_code, resolve(row.output) + added, b"")
    assert run.logs == ({row.log: kept + added} if row.log else {})
