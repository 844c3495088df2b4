"""The suite's options: which build to test, and the Wine prefix it runs in."""
import pytest

from support.harness import Wine


def pytest_addoption(parser):
    parser.addoption("--build", required=True, help="the build folder, with plivex.exe")
    parser.addoption("--prefix", required=True, help="the Wine prefix, started by wine-run")
    parser.addoption("--arch", required=True, choices=["x86", "x64", "arm64"])


@pytest.fixture(scope="session")
def wine(request):
    option = request.config.getoption
    wine = Wine(option("--build"), option("--prefix"), option("--arch"))
    yield wine
    wine.clean()
