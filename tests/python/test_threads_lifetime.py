"""Reading from several threads, and objects that outlive their Device."""

import gc
from concurrent.futures import ThreadPoolExecutor

import bscan
from conftest import DEMO, SMALL, SYNTAX, fixture_files, real_files


def outcome(path):
    try:
        device = bscan.read(str(path))
        idcode = device.idcode  # the whole-device description reads the file again
        return device.to_dict(), idcode and idcode.pattern, len(device.check())
    except bscan.ReadError as error:
        return ("error", error.code, error.line, str(error))


def test_thread_pool_reads_equal_sequential_reads():
    files = fixture_files() + [SYNTAX] + real_files()[::6]
    sequential = [outcome(p) for p in files]
    work = files * 3
    with ThreadPoolExecutor(max_workers=8) as pool:
        parallel = list(pool.map(outcome, work))
    assert parallel == sequential * 3


def test_devices_freed_while_other_threads_read():
    # Freeing a Device destroys its parser, which closes the library's one
    # input stream: that must wait for a read in progress.
    def read_and_drop(i):
        d = bscan.read(str(DEMO if i % 2 else SMALL))
        bits = d.bits
        del d
        return bits
    with ThreadPoolExecutor(max_workers=6) as pool:
        results = list(pool.map(read_and_drop, range(120)))
    assert results[0] == bscan.read(SMALL).bits
    assert results[1] == bscan.read(DEMO).bits
    assert set(results) == {results[0], results[1]}


def test_ports_and_cells_keep_their_device_alive():
    ports = bscan.read(DEMO).ports
    cells = bscan.read(SMALL).cells
    y_port = bscan.read(SMALL).port("Y")
    gc.collect()
    assert ports[0].device.entity == "DEMO_IOX"
    assert [p.label for p in ports][:3] == ["TCK", "TMS", "TDI"]
    assert cells[2].port == "Y" and cells[2].device.boundary_length == 6
    # The Device behind a port can still be driven, and the port sees it.
    y_port.device.drive(Y=1)
    assert y_port.value == "1"
    assert y_port.device.bits == "001000"


def test_a_port_hands_back_its_own_device():
    d = bscan.read(SMALL)
    assert d.ports[5].device is d
    assert d.cells[0].device is d
