"""Shared fixtures of the Python package's tests.

The tests import the package the build put in <build>/python (ctest sets
PYTHONPATH) and compare it with the built tool, named by BSCAN_TOOL.
"""

import json
import os
import subprocess
from pathlib import Path

import pytest

# Under ctest the package was built, so failing to import it is an error,
# not a reason to skip.
if os.environ.get("BSCAN_PYTHON_REQUIRED"):
    import bscan  # noqa: F401
else:
    bscan = pytest.importorskip("bscan", reason="the bscan package is not on PYTHONPATH (build it with pybind11-dev)")

SOURCE_DIR = Path(__file__).resolve().parents[2]
DATA_DIR = SOURCE_DIR / "tests" / "data"
DEMO = SOURCE_DIR / "examples" / "demo_device.bsdl"
SMALL = DATA_DIR / "tool_small.bsdl"
SYNTAX = DATA_DIR / "tool_syntax.bsdl"
REAL_DIR = Path(os.environ.get("BSCAN_REAL_BSDL_DIR", SOURCE_DIR.parent / "shared" / "bsdl"))


def real_files():
    """Every file of the shared folder of vendor files, or [] without it."""
    if not REAL_DIR.is_dir():
        return []
    return sorted(p for p in REAL_DIR.iterdir() if p.is_file() and p.name != "README.md")


def fixture_files():
    return sorted(DATA_DIR.glob("*.bsdl")) + [DEMO]


class Tool:
    """The built command-line tool."""

    def __init__(self, path):
        self.path = path

    def run(self, *args):
        return subprocess.run([self.path, *map(str, args)], capture_output=True, text=True,
                              encoding="utf-8", errors="replace")

    def json(self, path):
        run = self.run("json", path)
        assert run.returncode == 0, run.stderr
        return json.loads(run.stdout)


@pytest.fixture(scope="session")
def tool():
    path = os.environ.get("BSCAN_TOOL")
    if not path or not os.access(path, os.X_OK):
        pytest.skip("BSCAN_TOOL does not name the built bscan tool")
    return Tool(path)
