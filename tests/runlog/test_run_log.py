"""The run log as its writers meet it: whole lines, as they are, none lost when many processes
append at once, and a run that a lock held by another program never holds up."""
import re
import time
from collections import Counter
from pathlib import Path

import pytest

from support.harness import PlivexFolder, narrow, script, wait_for


def test_lines_are_logged_whole_and_shown_as_they_are(wine, monkeypatch):
    cases = [  # the locale; the line; as logged, in the ANSI code page (1252; Japanese: 932); as
        # shown, in the OEM one (437; 932). A line whose bytes do not fit is not logged, nor its record.
        ("C.UTF-8", "a" * 1021, b"a" * 1021, b"a" * 1021),
        ("C.UTF-8", "b" * 1022, b"b" * 1021, b"b" * 1021),
        ("C.UTF-8", "c" * 5000, b"c" * 1021, b"c" * 1021),
        ("C.UTF-8", "d" * 1020 + "\U0001F600e", b"d" * 1020, b"d" * 1020),
        ("C.UTF-8", "caf\u00e9 \u0416\u4e2d", b"caf\xe9 ??", b"caf\x82 ??"),
        ("ja_JP.UTF-8", "\u3042" * 510, b"\x82\xa0" * 510, b"\x82\xa0" * 510),
        ("ja_JP.UTF-8", "\u3042" * 511, None, b"\x82\xa0" * 511),  # 1,022 bytes, and CR LF
    ]
    for locale, line, logged, shown in cases:
        monkeypatch.setenv("LC_ALL", locale)
        folder = PlivexFolder(wine)
        (folder.linux / "run.log").write_bytes(b"earlier\r\n")
        tool = wine.windows(wine.build / "log_tool.exe")
        assert wine.launch([(tool, folder.path, folder / "output",
                             [tool, "append", folder / "run.log", "1", line])]) == [0 if logged else 1]
        assert (folder.linux / "run.log").read_bytes() == b"earlier\r\n" + (logged + b"\r\n\r\n\r\n" if logged else b"")
        assert (folder.linux / "output").read_bytes() == shown + b"\r\n\r\n\r\n"


def test_concurrent_records_land_whole_once(wine):
    writers, records_each = 12, 400
    plivex = PlivexFolder(wine)
    tool = wine.windows(wine.build / "log_tool.exe")
    script("fail:E0001234")
    expected = Counter({b"ERROR - (0xE0001234) Unknown error." + b"\r\n" * 4: writers})
    processes = []
    for i in range(writers):
        line = f"appender {i}, padded to show interleaving"
        expected[line.encode() + b"\r\n" * 3] = records_each
        processes += [(tool, plivex.path, plivex / f"output{i}",
                       [tool, "append", plivex / "plivex.log", str(records_each), line]),
                      (plivex.exe, plivex.path, plivex / f"output{i}r", [plivex.exe, "H", "driver.inf"])]
    assert wine.launch(processes, together=True) == [0, 1] * writers
    data = (plivex.linux / "plivex.log").read_bytes()
    records = re.findall(rb"[^\r\n]+(?:\r\n)+", data)  # a record: its text, then its line ends
    assert b"".join(records) == data and Counter(records) == expected, "records lost, torn or repeated"


@pytest.mark.parametrize("lock, released", [("exclusive", False), ("shared", False), ("exclusive", True)],
                         ids=["held exclusive", "held shared", "released while the run waits"])
def test_a_foreign_lock_delays_a_run_but_never_holds_it_up(wine, lock, released):
    """Backup, indexing and log-shipping tools lock whole files. A run waits for such a lock 5 s at
    most, as the guide promises, and once: held past that, the run still shows every line and
    ends as the installer says, well before a second wait could end, and the log keeps what it
    had; released while the run waits, its lines land whole."""
    wait = 5  # seconds, the guide's promise
    plivex = PlivexFolder(wine)
    log, output, release = plivex.linux / "plivex.log", wine.scratch("out"), wine.scratch("release")
    log.write_bytes(b"earlier\r\n")
    locked = Path(f"{output}.lock")
    holder = wine.start(wine.build / "log_tool.exe", "lock", plivex / "plivex.log", lock,
                        wine.windows(release), output=locked)
    assert wait_for(lambda: locked.read_bytes() == b"locked\n", holder), "the log was not locked"
    script("fail:2")
    lines = b"ERROR - (0x00000002) " + narrow(wine.texts[2]) + b"\r\n\r\n\r\n"
    run = wine.start_launch([(plivex.exe, plivex.path, wine.windows(output), [plivex.exe, "H", "driver.inf"])])
    # The record is shown just before it is appended: from then on the run waits for the lock.
    wait_for(lambda: output.exists() and output.read_bytes().endswith(lines), run)
    shown = time.monotonic()
    if released:
        release.touch()
    codes = wine.codes_of(run)
    if not released:
        assert holder.poll() is None, "the run ended while the lock was still held"
        # A second wait would end it 2 * wait after that at the earliest: the rest is margin.
        assert (took := time.monotonic() - shown) < 1.8 * wait, f"{took:.1f} s after it showed its record, against {wait} s promised"
        release.touch()
    assert holder.wait() == 0
    assert codes == [1]
    assert output.read_bytes() == (b"HardwareID  = H\nFullInfPath = C:\\plivex\\driver.inf\n"
                                   b"ERROR: The full INF path does not exist!\n" + lines)
    assert log.read_bytes() == b"earlier\r\n" + (lines if released else b"")
