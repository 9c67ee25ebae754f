"""bscan.Chain against the tool's chain commands, on the example board
(U1 DEMO_CPLD IR 8, 26 cells; U2 DEMO_IOX IR 4, 39 cells; U3 DEMO_FPGA IR 6,
24 cells) and the chain fixture with a device without file."""

import json
import random
from concurrent.futures import ThreadPoolExecutor

import pytest

import bscan
from conftest import DATA_DIR, DEMO, SOURCE_DIR

BOARD = SOURCE_DIR / "examples" / "demo_board.chain"
FIXTURE = DATA_DIR / "chain_board.chain"


def test_chain_model():
    chain = bscan.Chain(str(BOARD))
    assert repr(chain) == f"<Chain {BOARD} devices=3>"
    assert (len(chain), chain.ir_bits, chain.bypass_dr_bits, chain.path) == (3, 18, 3, str(BOARD))
    rows = [(d.position, d.name, d.entity, d.ir_length, d.boundary_length, d.line) for d in chain.devices]
    assert rows == [(0, "U1", "DEMO_CPLD", 8, 26, 4), (1, "U2", "DEMO_IOX", 4, 39, 5), (2, "U3", "DEMO_FPGA", 6, 24, 6)]
    u2 = chain.device("u2")
    assert u2.path.endswith("examples/demo_device.bsdl") and u2.idcode == bscan.read(DEMO).idcode
    assert chain.device("U1").idcode.pattern.startswith("XXXX")
    assert u2.bits == bscan.read(DEMO).bits and u2.image == bscan.read(DEMO).image
    with pytest.raises(KeyError):
        chain.device("U9")
    fixture = bscan.Chain(FIXTURE)
    u7 = fixture.device("U7")
    assert (u7.path, u7.entity, u7.idcode, u7.ir_length, u7.boundary_length, u7.bits) == (None, None, None, 3, 0, None)
    assert repr(u7) == "<ChainDevice 2 U7 bypass ir=3>"


def test_drive_and_svf_match_the_tool(tool):
    cases = [
        ({"U2.LED": 1, "U2.DQ(0)": 0}, []),
        ({"U2.LED": 1, "U3.DONE": "0"}, ["--no-idcode"]),
        ({"U1.IO(3)": 1}, ["--sample-only"]),
    ]
    for mapping, flags in cases:
        args = [f"{k}={v}" for k, v in mapping.items()]
        chain = bscan.Chain(BOARD)
        text = chain.svf(mapping, idcode_check="--no-idcode" not in flags, sample_only="--sample-only" in flags)
        run = tool.run("svf", "--chain", BOARD, *flags, *args)
        assert run.returncode == 0, run.stderr
        assert text == run.stdout
        assert chain.driven == [] and not any(d.driven for d in chain.devices)  # svf left the chain as it was

        assert chain.drive(mapping) is chain
        assert chain.driven == args
        run = tool.run("drive", "--chain", BOARD, *args)
        assert run.returncode == 0, run.stderr
        expected = {}
        for line in run.stdout.splitlines():
            if not line.startswith(" "):
                name = line.split(":")[0]
            elif line.strip().startswith("bits:"):
                expected[name] = line.split(":", 1)[1].strip()
        assert {d.name: d.bits for d in chain.devices if d.bits is not None} == expected
        # svf of the driven chain without more ports is the same text.
        assert chain.svf(idcode_check="--no-idcode" not in flags, sample_only="--sample-only" in flags) == text


def test_drive_is_all_or_nothing():
    chain = bscan.Chain(BOARD)
    chain.drive({"U2.LED": 1})
    before = [d.bits for d in chain.devices]
    for bad in [{"U2.DQ(0)": 0, "U9.LED": 1}, {"U2.DQ(0)": 0, "U2.NOPE": 1}, {"LED": 1}]:
        with pytest.raises(bscan.ChainError) as caught:
            chain.drive(bad)
        assert caught.value.path == str(BOARD)
        assert [d.bits for d in chain.devices] == before
        assert chain.driven == ["U2.LED=1"]
    with pytest.raises(TypeError):
        chain.drive({"U2.LED": 1.5})


def test_decode_matches_the_tool(tool):
    chain = bscan.Chain(BOARD)
    rng = random.Random(16)
    for selected, bits in [(None, 26 + 39 + 24), (["U2"], 1 + 39 + 1), (["U1", "U3"], 26 + 1 + 24)]:
        value = rng.getrandbits(bits)
        args = ["--selected", ",".join(selected)] if selected else []
        run = tool.run("decode", "--json", "--chain", BOARD, *args, hex(value))
        assert run.returncode == 0, run.stderr
        expected = json.loads(run.stdout)["ports"]
        assert chain.decode(hex(value), selected) == expected
        assert chain.decode(value, selected) == expected
    with pytest.raises(ValueError):
        chain.decode("0xZZ")
    with pytest.raises(ValueError):
        chain.decode(1 << 200)
    with pytest.raises(KeyError):
        chain.decode(0, ["U9"])

    device = bscan.read(DEMO)
    value = rng.getrandbits(39)
    run = tool.run("decode", "--json", DEMO, hex(value))
    assert device.decode(value) == json.loads(run.stdout)["ports"]
    assert device.decode(hex(value)) == device.decode(value)


def test_chain_errors(tmp_path):
    with pytest.raises(FileNotFoundError):
        bscan.Chain(tmp_path / "absent.chain")
    bad = tmp_path / "bad.chain"
    bad.write_text("# two devices of one name\nU1 ir=4\nu1 ir=3\n")
    with pytest.raises(bscan.ChainError) as caught:
        bscan.Chain(bad)
    assert str(caught.value).startswith(f"{bad}:3: error:")
    assert isinstance(caught.value, ValueError) and caught.value.path == str(bad)
    bad.write_text("U1 ir=4\nU2 no_such_file.bsdl\n")
    with pytest.raises(bscan.ChainError) as caught:
        bscan.Chain(bad)
    assert "no_such_file.bsdl" in str(caught.value)


def test_chain_devices_outlive_the_chain_and_threads_read_alike():
    devices = bscan.Chain(BOARD).devices
    assert devices[1].chain.device("U2").name == "U2"
    assert [d.entity for d in devices] == ["DEMO_CPLD", "DEMO_IOX", "DEMO_FPGA"]

    def svf(i):
        return bscan.Chain(BOARD if i % 2 else FIXTURE).svf()
    expected = [svf(0), svf(1)]
    with ThreadPoolExecutor(max_workers=4) as pool:
        results = list(pool.map(svf, range(16)))
    assert results == expected * 8
