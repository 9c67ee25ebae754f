"""Runs the browser tests of `bscan view` for ctest.

Exit status: pytest's (0 passed; 5, no test collected, is a failure like
any other), or 77 (reported by ctest as skipped) when pytest cannot be
imported or every test skipped because the browser cannot be found; the
reason is printed either way.
"""
import os
import sys

SKIPPED_STATUS = 77

try:
    import pytest
except ImportError as error:
    print(f"browser tests skipped: pytest is not installed for {sys.executable} ({error}); "
          "Debian: python3-pytest")
    sys.exit(SKIPPED_STATUS)

here = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True
sys.exit(pytest.main(["-q", "-rs", "-p", "no:cacheprovider", here] + sys.argv[1:]))
