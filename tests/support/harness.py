"""Windows programs run from Linux as the tests need them, through scripts/wine-run and the
launcher built beside them (launch.exe), which sets argument 0 and passes any UTF-16 text."""
import os
import shutil
import subprocess
import time
from collections import namedtuple
from pathlib import Path

FOLDER = "C:\\plivex"  # where plivex.exe runs, made afresh by each PlivexFolder: one at a time
RECORD = "plivex.call"  # where the installer stand-in records its call, in the current folder

# What plivex.exe prints when it refuses its command line.
USAGE = (b"ERROR: Invalid parameters!\n\nPlivex Utility, Version 1.00\n"
         b"Copyright (C) 2026 The Plivex Authors\n\nUsage:\tPlivex <hardwareid> <fullinfpath>\n\n"
         b"\t<hardwareid>  Specifies the hardware ID to match against existing\n"
         b"\t              devices on the machine.\n"
         b"\t<fullinfpath> Specifies the full path to an INF and associated\n"
         b"\t              driver files.\n\n")


def utf16(text):
    return text.encode("utf-16-le", "surrogatepass")


def narrow(text):
    """Text as redirected output shows it: code page 437, "?" for each UTF-16 unit it lacks."""
    data = utf16(text)
    return b"".join(chr(int.from_bytes(data[i:i + 2], "little")).encode("cp437", "replace")
                    for i in range(0, len(data), 2))


def command_line(arguments):
    """Each argument quoted, so that the usual splitting gives them back. None holds a quote, so
    only the backslashes that end one double."""
    return " ".join(f'"{a}{chr(92) * (len(a) - len(a.rstrip(chr(92))))}"' for a in arguments)


class Wine:
    """A Wine prefix that wine-run started, with the build's programs."""

    def __init__(self, build, prefix, arch):
        self.build = Path(build)
        self.arch = arch
        self.wine_run = [str(Path(__file__).parents[2] / "scripts" / "wine-run"),
                         "--prefix", prefix, "--arch", arch]
        self.drive_c = Path(prefix) / "drive_c"
        # Where a program of this architecture finds its system directory.
        self.system = self.drive_c / "windows" / ("syswow64" if arch == "x86" else "system32")
        self.runs = 0
        self.scratch_folder = self.drive_c / "plivex-runs"
        self.scratch_folder.mkdir(exist_ok=True)
        texts = self.scratch("texts")
        codes = [0, 2, 5, 0x13D, 0x3EC]
        self.start(self.build / "launch.exe", "--texts", *map(hex, codes), output=texts).wait()
        fields = texts.read_bytes().decode("utf-16-le", "surrogatepass").split("\0")
        self.system_directory = fields[0]
        self.texts = dict(zip(codes, fields[1:]))

    def linux(self, path):
        return self.drive_c / path[3:].replace("\\", "/")

    def windows(self, path):
        path = Path(path)
        if self.drive_c in path.parents:
            return "C:\\" + str(path.relative_to(self.drive_c)).replace("/", "\\")
        return "Z:" + str(path).replace("/", "\\")

    def scratch(self, name):
        """A file of this run's beside the folder, not in it: helper processes that the installer
        starts inherit outputs and may hold them open after the run."""
        self.runs += 1
        return self.scratch_folder / f"{self.runs}.{name}"

    def clean(self):
        """Leaves the prefix as it was: C:\\plivex would meet a package installed to C:\\Plivex."""
        for folder in [self.linux(FOLDER), self.scratch_folder]:
            shutil.rmtree(folder, ignore_errors=True)

    def start(self, program, *arguments, output=None):
        """Starts a program as Wine starts it, its output in a file (errors beside it): Wine's
        helper processes could hold a pipe open."""
        errors = f"{output}.err" if output else os.devnull
        with open(output or os.devnull, "wb") as out, open(errors, "wb") as err:
            return subprocess.Popen(self.wine_run + [str(program), *map(str, arguments)],
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err)

    def start_launch(self, processes, together=False):
        """Starts each (program, folder, output, arguments with argument 0 first) through the
        launcher, one after the other or all together; codes_of gives their exit codes."""
        fields = self.scratch("launch")
        fields.write_bytes(b"".join(utf16(f"{program}\0{folder}\0{output}\0{command_line(arguments)}\0")
                                    for program, folder, output, arguments in processes))
        launcher = self.start(self.build / "launch.exe", *(["--together"] if together else []),
                              self.windows(fields), output=f"{fields}.codes")
        launcher.codes = Path(f"{fields}.codes")
        return launcher

    def codes_of(self, launcher):
        errors = Path(f"{launcher.codes}.err")
        assert launcher.wait() == 0, f"the launcher could not start every process: {errors.read_bytes()!r}"
        return [int(code) for code in launcher.codes.read_text().split()]

    def launch(self, processes, together=False):
        return self.codes_of(self.start_launch(processes, together))



PlivexRun = namedtuple("PlivexRun", "exit_code output errors logs")


class PlivexFolder:
    """A folder as an administrator unpacks a package: plivex.exe, driver.inf, sub\\,
    tools.old\\, me.corp\\ and INFs named in other scripts, with DLLs planted beside the program
    and in me.corp\\ that must never be loaded: newdev.dll and accprobe.dll, a helper the
    installer stand-in can be told to load."""

    def __init__(self, wine, path=FOLDER):
        self.wine = wine
        self.path = path
        self.exe = self / "plivex.exe"
        self.linux = wine.linux(path)
        shutil.rmtree(self.linux, ignore_errors=True)
        for name in ["sub", "tools.old", "me.corp"]:
            (self.linux / name).mkdir(parents=True)
        for name in ["driver.inf", "\u00e9.inf", "\u0434\u0440\u0430\u0439.inf", "\U0001F600.inf"]:
            (self.linux / name).write_bytes(b'[Version]\r\nSignature="$Windows NT$"\r\n')
        shutil.copy(wine.build / "plivex.exe", self.linux)
        for planted in ["newdev.dll", "accprobe.dll", "me.corp/newdev.dll", "me.corp/accprobe.dll"]:
            shutil.copy(wine.build / "test-doubles" / "newdev.dll", self.linux / planted)
        self.output = self.wine.scratch("out")

    def __truediv__(self, name):
        return f"{self.path}\\{name}"

    def logs(self):
        """Every log file in the folder, by its name relative to the folder."""
        return {str(path.relative_to(self.linux)).replace("/", "\\"): path.read_bytes()
                for path in self.linux.rglob("*.log") if path.is_file()}

    def process(self, command, start_in=None):
        """plivex.exe with this command line (argument 0 first), started in start_in (default:
        the folder), as launch() takes it. The installer stand-in records what it is given in
        the folder it was started in."""
        self.start_in = start_in or self.path
        return self.exe, self.start_in, self.wine.windows(self.output), command

    def outcome(self, command, exit_code):
        """The run of process(command), checking what the installer stand-in was given against
        the command line and the output."""
        record = self.wine.linux(self.start_in) / RECORD
        run = PlivexRun(exit_code, self.output.read_bytes(), Path(f"{self.output}.err").read_bytes(), self.logs())
        call = record.read_bytes() if record.exists() else b""  # UTF-16, compared as it is
        # The stand-in is given what the command line holds and the output shows.
        accepted = run.output.startswith(b"HardwareID  = ") and b"\nFullInfPath = " in run.output
        assert accepted or call == b"", "the installer is called only for an accepted line"
        if accepted:
            given = utf16(self.wine.system_directory + "\\newdev.dll" + "\nparent=null flags=1 reboot=0\n" +
                          (command[1] if len(command) == 3 else "") + "\n")
            assert call[:len(given)] == given, \
                "the system's installer, called with flags 1 and the hardware ID unchanged"
            shown = run.output.split(b"\nFullInfPath = ", 1)[1].split(b"\n", 1)[0]
            assert narrow(call[len(given):].decode("utf-16-le", "surrogatepass")) == shown, \
                "the installer gets the INF path that was shown"
        return run

    def run(self, command, installer, start_in=None, helper=None):
        """Runs plivex.exe with the installer stand-in scripted as given: outcome() above."""
        script(installer, helper)
        [exit_code] = self.wine.launch([self.process(command, start_in)])
        return self.outcome(command, exit_code)


def script(installer, helper=None):
    """Tells the installer stand-in of the next runs how to end and what helper to load."""
    os.environ.update(PLIVEX_DOUBLE_OUTCOME=installer, PLIVEX_DOUBLE_RECORD=RECORD, PLIVEX_DOUBLE_LOAD=helper or "")


def wait_for(condition, process):
    """Waits until condition() holds or process ends; returns whether condition() holds."""
    while not condition() and process.poll() is None:
        time.sleep(0.01)
    return condition()
