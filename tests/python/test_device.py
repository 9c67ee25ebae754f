"""Device, Port and Cell on the hand-written fixtures.

tool_small.bsdl has six cells: 0 A input, 1 Y's control (disabled by 1),
2 Y output3, 3 B(0) bidir, 4 B(1) bidir, 5 B's control (disabled by 0).
Its pins are numbered 1 to 8 in port order.
"""

import pathlib

import pytest

import bscan
from conftest import DEMO, SMALL, fixture_files


def test_device_model_of_small_fixture():
    d = bscan.read(str(SMALL))
    assert repr(d) == "<Device TOOL_SMALL ports=8 cells=6>"
    assert d.path == str(SMALL)
    assert (d.entity, d.package) == ("TOOL_SMALL", "dip8")
    assert (d.boundary_length, d.instruction_length, d.instruction_capture) == (6, 3, '"001"')
    assert d.instructions == {"BYPASS": ["111"], "EXTEST": ["110"], "SAMPLE": ["010", "011"], "ODD": ["1X0"]}
    assert list(d.instructions) == ["BYPASS", "EXTEST", "SAMPLE", "ODD"]
    assert d.registers == {"BOUNDARY": ["EXTEST", "SAMPLE"], "BYPASS": ["BYPASS"]}
    assert d.differential_pairs == []
    assert [p.label for p in d.ports] == ["TCK", "TMS", "TDI", "TDO", "A", "Y", "B(1)", "B(0)"]
    assert [p.pin_number for p in d.ports] == list(range(1, 9))
    assert [c.number for c in d.cells] == list(range(6))
    # Cells start from their safe values (control cells disabled).
    assert d.image == bytes([0b01000000])
    assert d.bits == "010000"


def test_port_and_cell_views():
    d = bscan.read(SMALL)  # a pathlib.Path is taken too
    y = d.port("Y")
    assert repr(y) == "<Port Y pin=6 pin_name=6 out>"
    assert (y.label, y.name, y.index, y.vector_element, y.type) == ("Y", "Y", 0, False, "out")
    assert (y.pin_number, y.pin_name, y.reachable) == (6, "6", True)
    assert (y.direction, y.value, y.port_value) == ("out", "X", "X")
    assert (y.cells, y.input_cell, y.output_cell, y.control_cell, y.observe_cell) == ([2], None, 2, 1, None)
    assert y.differential is None
    b1 = d.port("B(1)")
    assert (b1.label, b1.name, b1.index, b1.vector_element, b1.type) == ("B(1)", "B", 1, True, "inout")
    assert (b1.input_cell, b1.output_cell, b1.control_cell) == (4, 4, 5)
    tck = d.ports[0]
    assert (tck.cells, tck.input_cell, tck.output_cell, tck.control_cell) == ([], None, None, None)

    cells = d.cells
    assert repr(cells[2]) == "<Cell 2 BC_1 output3 port=Y value=X>"
    c2 = cells[2]
    assert (c2.number, c2.position, c2.type, c2.function, c2.port) == (2, 2, "BC_1", "output3", "Y")
    assert (c2.safe, c2.control_cell, c2.disable_value, c2.disabled_state) == ("X", 1, "1", "Z")
    assert (c2.value, c2.bit) == ("X", 0)
    c1 = cells[1]
    assert (c1.function, c1.port, c1.control_cell, c1.disable_value, c1.disabled_state) == (
        "control", None, None, None, None)
    assert (c1.safe, c1.value, c1.bit) == ("1", "1", 1)
    assert cells[4].port == "B(1)" and cells[4].type == "BC_7" and cells[4].function == "bidir"


def test_port_labels_resolve_as_the_tool_resolves_them():
    d = bscan.read(SMALL)
    y = d.port("Y")
    assert d.port("6") == y                 # a pin number
    assert d.port(6) == y
    assert d.port("y") == y                 # a port name in any case
    assert d.port("b(0)") == d.ports[7]     # NAME(INDEX)
    assert d.port("B") == d.ports[6]        # a vector port: the element declared first
    assert len({d.port("Y"), d.port("6")}) == 1
    demo = bscan.read(DEMO)
    assert demo.port("B5") == demo.port("LED")  # a package pin name
    for label in ["NOPE", "99", "B(7)", "", 0]:
        with pytest.raises(KeyError):
            d.port(label)
    with pytest.raises(TypeError):
        d.port(None)


def test_drive_matches_bscan_drive(tool):
    cases = [
        {"Y": 1},
        {"Y": 0, "A": 1},
        {"B(0)": 0, "B(1)": "Z"},
        {"B(1)": "1:out", "b(0)": "z:in", "y": "X"},
        {"7": 1, "8": 0},
    ]
    for mapping in cases:
        d = bscan.read(SMALL)
        assert d.drive(mapping) is d
        run = tool.run("drive", SMALL, *[f"{k}={v}" for k, v in mapping.items()])
        assert run.returncode == 0, run.stderr
        image_line, bits_line = run.stdout.splitlines()
        assert d.image.hex(" ").upper() == image_line.split(":", 1)[1].strip(), mapping
        assert d.bits == bits_line.split(":", 1)[1].strip(), mapping
        assert d.to_dict()["image_bits"] == d.bits
    demo = bscan.read(DEMO)
    demo.drive({"LED": 1}, **{"DQ(0)": 0})
    assert demo.image == bytes([0x80, 0x00, 0x00, 0x0B, 0x00])
    assert demo.bits == "100000000000000000000000000010110000000"


def test_drive_exact_bits_and_live_views():
    d = bscan.read(SMALL)
    y = d.port("Y")
    d.drive(Y=True)
    # Y driven high: its output cell 2 is 1, its control cell 1 enables (0).
    assert d.bits == "001000"
    assert (y.direction, y.value, y.port_value) == ("out", "1", "1")
    assert (d.cells[2].value, d.cells[2].bit, d.cells[1].bit) == ("1", 1, 0)
    d.drive(Y=False)
    assert d.bits == "000000" and y.value == "0"
    d.drive({6: 1})  # a pin number as an int key
    assert d.bits == "001000"


def test_drive_refusals_change_nothing():
    d = bscan.read(SMALL)
    before = d.bits
    with pytest.raises(KeyError):
        d.drive(Y=1, NOPE=1)
    assert d.bits == before
    with pytest.raises(ValueError):
        d.drive(Y=2)
    with pytest.raises(ValueError):
        d.drive(Y="H")
    with pytest.raises(ValueError):
        d.drive(Y="1:sideways")
    with pytest.raises(TypeError):
        d.drive(Y=1.0)
    with pytest.raises(TypeError):
        d.drive(["Y"])
    assert d.bits == before
    assert d.drive() is d and d.drive({}) is d


def test_svf_is_the_tools_text_and_leaves_the_device(tool):
    for path, instruction, mapping in [
        (SMALL, "EXTEST", {"Y": 1, "B(0)": 0}),
        (SMALL, "sample", {}),
        (DEMO, "EXTEST", {"LED": 1, "DQ(0)": 0}),
        (DEMO, "IDCODE", {"TX_P": 1}),
    ]:
        d = bscan.read(path)
        before = d.bits
        text = d.svf(instruction, mapping)
        run = tool.run("svf", path, "--instruction", instruction, *[f"{k}={v}" for k, v in mapping.items()])
        assert run.returncode == 0, run.stderr
        assert text == run.stdout
        assert d.bits == before
    d = bscan.read(DEMO)
    assert d.svf("EXTEST", LED=1) == d.svf("EXTEST", {"LED": 1})
    with pytest.raises(KeyError):
        d.svf("NOSUCH")
    with pytest.raises(KeyError):
        d.svf("EXTEST", NOPE=1)
    with pytest.raises(ValueError):  # 1X0 is no string of 0 and 1
        bscan.read(SMALL).svf("ODD")


def test_demo_device_pairs_and_registers():
    d = bscan.read(DEMO)
    assert repr(d) == "<Device DEMO_IOX ports=42 cells=39>"
    assert d.differential_pairs == [("TX_P", "TX_N", 33, 35), ("RX_P", "RX_N", 36, 37)]
    assert d.port("TX_P").differential == "positive"
    assert d.port("TX_N").differential == "negative"
    assert d.registers["FACTORY[12]"] == ["FACTORY_TEST"]
    assert d.instructions["FACTORY_TEST"] == ["1010", "1011"]


def test_to_dict_is_the_tools_document(tool):
    for path in fixture_files():
        run = tool.run("json", path)
        if run.returncode != 0:
            continue
        assert bscan.read(str(path)).to_dict() == tool.json(path), path


def test_read_string_reads_the_text(tmp_path, monkeypatch):
    monkeypatch.setenv("TMPDIR", str(tmp_path))
    text = SMALL.read_text()
    from_text = bscan.read_string(text)
    from_bytes = bscan.read_string(text.encode())
    expected = bscan.read(SMALL).to_dict()
    expected["file"] = "<string>"
    assert from_text.to_dict() == expected
    assert from_bytes.to_dict() == expected
    assert from_text.path == "<string>"
    assert list(tmp_path.iterdir()) == []  # the private file is gone
    with pytest.raises(TypeError):
        bscan.read_string(42)


def test_path_forms():
    assert bscan.read(pathlib.Path(SMALL)).path == str(SMALL)
    assert bscan.read(str(SMALL).encode()).entity == "TOOL_SMALL"
