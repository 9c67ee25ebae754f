"""IDCODE, USERCODE and the checker (the whole-device description), against
the fixture's own bits and `bscan check --json`."""

import json

import pytest

import bscan
from conftest import DATA_DIR, DEMO, SMALL, SYNTAX, real_files

CLEAN = DATA_DIR / "check_clean.bsdl"


def test_idcode_and_usercode_of_the_clean_fixture():
    d = bscan.read(CLEAN)
    idcode = d.idcode
    # "0011" & "0000000101010101" & "00000110111" & "1"
    assert idcode.pattern == "0011" "0000000101010101" "00000110111" "1"
    assert (idcode.value, idcode.mask) == (0x3015506F, 0xFFFFFFFF)
    assert (idcode.version, idcode.part_number, idcode.manufacturer, idcode.line) == (3, 0x0155, 0b00000110111, 55)
    assert idcode.matches(0x3015506F) and not idcode.matches(0x3015506E)
    usercode = d.usercode
    assert usercode.pattern == "X" * 16 + "1010101010101010"
    assert (usercode.value, usercode.mask, usercode.line) == (0xAAAA, 0xFFFF, 61)
    assert usercode.matches(0x1234AAAA) and not usercode.matches(0x1234AAAB)
    assert repr(idcode) == "<Idcode 00110000000101010101000001101111 value=0x3015506F mask=0xFFFFFFFF line=55>"
    assert bscan.read(SMALL).idcode is None and bscan.read(SMALL).usercode is None


def cli_findings(tool, path):
    run = tool.run("check", "--json", path)
    assert run.returncode in (0, 1), run.stderr
    [document] = json.loads(run.stdout)
    return document["findings"]


def as_dicts(findings):
    return [{"rule": f.rule, "severity": f.severity, "line": f.line, "message": f.message, "port": f.port,
             "cell": f.cell, "instruction": f.instruction} for f in findings]


def test_check_equals_bscan_check(tool):
    files = sorted(DATA_DIR.glob("check_*.bsdl")) + [DEMO, SMALL]
    for path in files:
        try:
            findings = bscan.read(path).check()
        except bscan.ReadError:
            findings = None
        module_findings = bscan.check(path)
        assert as_dicts(module_findings) == cli_findings(tool, path), path
        if findings is not None:
            assert findings == module_findings
    demo = bscan.read(DEMO).check()
    assert [(f.rule, f.severity, f.line) for f in demo] == [("shared-control", "note", 134)]
    assert repr(demo[0]).startswith("<Finding note shared-control line=134: control cell 0 enables 8 ports")


def test_check_of_a_file_the_core_refuses():
    findings = bscan.check(SYNTAX)
    assert (findings[0].rule, findings[0].severity, findings[0].line) == ("read-failed", "error", 10)
    assert "BSDL_ERR_SYNTAX" in findings[0].message
    with pytest.raises(FileNotFoundError):
        bscan.check(DATA_DIR / "absent.bsdl")


def test_description_of_read_string_and_after_the_file_is_gone(tmp_path):
    text = CLEAN.read_text()
    assert bscan.read_string(text).idcode == bscan.read(CLEAN).idcode
    assert bscan.read_string(text).check() == bscan.read(CLEAN).check()
    copy = tmp_path / "copy.bsdl"
    copy.write_text(text)
    d = bscan.read(copy)
    idcode = d.idcode            # read on first use, then kept
    copy.unlink()
    assert d.idcode == idcode and d.check() == []
    gone = bscan.read(CLEAN)
    moved = tmp_path / "moved.bsdl"
    moved.write_text(text)
    late = bscan.read(moved)
    moved.unlink()
    with pytest.raises(FileNotFoundError):
        late.idcode
    assert gone.idcode is not None


@pytest.mark.skipif(not real_files(), reason="no vendor BSDL files")
def test_check_equals_bscan_check_on_vendor_files(tool):
    for path in real_files()[::5]:
        assert as_dicts(bscan.check(path)) == cli_findings(tool, path), path
