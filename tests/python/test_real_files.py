"""to_dict() against `bscan json` for every vendor file of ../shared/bsdl
(skipped when that folder is absent): the same document, or for a file the
library cannot read, the same code, line and sentence."""

import re

import pytest

import bscan
from conftest import REAL_DIR, real_files

FILES = real_files()


@pytest.mark.skipif(not FILES, reason=f"no vendor BSDL files in {REAL_DIR}")
@pytest.mark.parametrize("path", FILES, ids=[p.name for p in FILES])
def test_to_dict_equals_bscan_json(tool, path):
    run = tool.run("json", path)
    if run.returncode == 0:
        assert bscan.read(str(path)).to_dict() == tool.json(path)
        return
    match = re.fullmatch(r"(.*):(\d+): error: (.*) \((\w+), (-\d+)\)\n", run.stderr, re.S)
    assert match, run.stderr
    with pytest.raises(bscan.ReadError) as caught:
        bscan.read(str(path))
    error = caught.value
    assert (error.line, str(error), error.name, error.code) == (int(match[2]), match[3], match[4], int(match[5]))
