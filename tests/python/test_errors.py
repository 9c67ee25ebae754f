"""Files that cannot be read, and the message file behind ReadError."""

import pickle
import re

import pytest

import bscan
from conftest import SMALL, SOURCE_DIR, SYNTAX

SENTENCE = "syntax error: the file does not begin with an entity, or a line begins with no known keyword"


def test_read_error_carries_code_name_line_path_and_sentence(tool):
    with pytest.raises(bscan.ReadError) as caught:
        bscan.read(str(SYNTAX))
    error = caught.value
    assert isinstance(error, ValueError)
    assert (error.code, error.name, error.path) == (-5, "BSDL_ERR_SYNTAX", str(SYNTAX))
    assert str(error) == SENTENCE
    # The same line, sentence and code as the tool's error line.
    run = tool.run("json", SYNTAX)
    assert run.returncode == 1
    match = re.fullmatch(r"(.*):(\d+): error: (.*) \((\w+), (-\d+)\)\n", run.stderr)
    assert match, run.stderr
    assert (int(match[2]), match[3], match[4], int(match[5])) == (error.line, str(error), error.name, error.code)
    copy = pickle.loads(pickle.dumps(error))
    assert (copy.code, copy.name, copy.line, copy.path, str(copy)) == (-5, "BSDL_ERR_SYNTAX", error.line, str(SYNTAX),
                                                                       SENTENCE)


def test_read_string_errors_name_the_string():
    with pytest.raises(bscan.ReadError) as caught:
        bscan.read_string("-- nothing but a comment\n\nthis is no BSDL\n")
    assert (caught.value.path, caught.value.name, caught.value.line) == ("<string>", "BSDL_ERR_SYNTAX", 3)
    with pytest.raises(bscan.ReadError):
        bscan.read_string("")


def test_missing_file_is_file_not_found(tmp_path):
    missing = tmp_path / "absent.bsdl"
    with pytest.raises(FileNotFoundError) as caught:
        bscan.read(missing)
    assert caught.value.filename == str(missing)
    with pytest.raises(FileNotFoundError):
        bscan.read(tmp_path / "no_dir" / "x.bsdl")
    with pytest.raises(bscan.ReadError) as caught:  # a directory is no BSDL file
        bscan.read(tmp_path)
    assert caught.value.code < 0


def test_message_file_is_found_and_can_be_overridden(tmp_path, monkeypatch):
    monkeypatch.delenv("BSCAN_DATA_DIR", raising=False)
    found = bscan.message_dir()
    assert (SOURCE_DIR / "data" / "ErrorList.txt").read_text() == open(f"{found}/ErrorList.txt").read()

    (tmp_path / "ErrorList.txt").write_text("2 5 5 our own words for line %d\n")
    monkeypatch.setenv("BSCAN_DATA_DIR", str(tmp_path))
    assert bscan.message_dir() == str(tmp_path)
    with pytest.raises(bscan.ReadError) as caught:
        bscan.read(SYNTAX)
    assert str(caught.value) == f"our own words for line {caught.value.line}"

    # Without a message file the error still names its code, and good files read.
    empty = tmp_path / "empty"
    empty.mkdir()
    monkeypatch.setenv("BSCAN_DATA_DIR", str(empty))
    with pytest.raises(bscan.ReadError) as caught:
        bscan.read(SYNTAX)
    assert caught.value.name == "BSDL_ERR_SYNTAX" and "ErrorList.txt" in str(caught.value)
    assert bscan.read(SMALL).boundary_length == 6
