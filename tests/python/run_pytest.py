"""Runs the Python package's tests for ctest.

Exit status 77 (ctest's "skipped") when pytest is missing or collects no
test, with the reason on standard output; otherwise pytest's own status.
Usage: run_pytest.py TEST_DIR [pytest arguments...]
"""

import sys

try:
    import pytest
except ImportError:
    print("Python tests skipped: pytest is not installed for", sys.executable, "(Debian: python3-pytest)")
    sys.exit(77)

status = pytest.main(["-q", "-p", "no:cacheprovider", *sys.argv[1:]])
if status == pytest.ExitCode.NO_TESTS_COLLECTED:
    print("Python tests skipped: pytest collected no tests")
    sys.exit(77)
sys.exit(int(status))
