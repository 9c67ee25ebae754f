"""The page of `bscan view`, opened in headless Chromium and checked live.

For the example device and, when ../shared/bsdl is there, a few real files
of each package kind (ball grid, numbered pins, neither, a file that does
not read): no script error and nothing fetched; every pin of the pin map
drawn once with its port and role; the hover and click details of a few
pins equal to `bscan json` (and to `bscan drive` for driven pins); a
filter narrowing a table and a row click selecting the pin; the driven
values on their pins; zoom. Each page leaves its HTML, a screenshot and
its load time in BSCAN_VIEW_ARTIFACTS.
"""
import json
import os
import re
import time

import pytest
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

from conftest import run_tool

# (name, file relative to its folder, PORT=VALUE arguments, expected kind)
DEMO_PAGES = [
    ("demo_device", "examples/demo_device.bsdl", ["LED=1", "DQ(0)=0", "TX_P=1"], "grid"),
]
# Real files: "drive" picks an output-capable port of the file to drive.
REAL_PAGES = [
    ("real_grid_largest", "altera__STRATIX_10_1SG250HNF43.bsdl", "drive", "grid"),
    ("real_grid_small", "st__STM32F1_Low_density_TFBGA64.bsd", [], "grid"),
    ("real_grid_odd_pins", "avago__b0811111.bsm", [], "grid"),
    ("real_numbered_352", "microsemi__AX1000CQ352.bsdl", "drive", "numbered"),
    ("real_numbered_64", "atmel__ATMEGA128.bsdl", [], "numbered"),
    ("real_numbered_shared_pins", "ti__SCAN90CP02.bsdl", [], "numbered"),   # two ports on pins 8 and 28
    ("real_list_die", "xilinx__XC5VFX100T.bsdl", "drive", "list"),
]
REAL_FAILING = ("real_read_failure", "maxim__MAX16066.bsdl")

INPUTS = {"input", "bidir_in", "clock"}
OUTPUTS = {"output2", "output3", "bidir_out"}


def expected_role(port, cells):
    """The role of a port from its cells' functions, as the legend names it."""
    functions = {cells[n]["function"] for n in port["cells"]}
    if not functions:
        return "linkage" if port["type"] == "none" else "nocell"
    if "bidir" in functions or (functions & INPUTS and functions & OUTPUTS):
        return "bidir"
    if functions & {"output3", "bidir_out"}:
        return "output3"
    if "output2" in functions:
        return "output"
    if "clock" in functions:
        return "clock"
    if functions & INPUTS:
        return "input"
    if "observe_only" in functions:
        return "observe"
    return "other"


def shown(value):
    return "-" if value is None else str(value)


# ---- opening a page ---------------------------------------------------------

def write_page(tool, artifacts, name, bsdl, arguments, expect_status=0):
    page = os.path.join(artifacts, name + ".html")
    run = run_tool(tool, "view", bsdl, "-o", page, *arguments, check=False)
    assert run.returncode == expect_status, run.stderr
    return page, run


def open_page(browser, artifacts, name, page):
    started = time.perf_counter()
    browser.get("file://" + os.path.abspath(page))
    ready = browser.execute_script("return !!(window.bscanView && window.bscanView.ready)")
    seconds = time.perf_counter() - started
    timing = browser.execute_script(
        "var t = performance.timing; return [t.domContentLoadedEventEnd - t.navigationStart,"
        " t.loadEventEnd - t.navigationStart]")
    with open(os.path.join(artifacts, "load_times.txt"), "a") as log:
        log.write(f"{name}: {os.path.getsize(page)} bytes, DOMContentLoaded {timing[0]} ms, "
                  f"load {timing[1]} ms, driver round trip {seconds * 1000:.0f} ms\n")
    browser.save_screenshot(os.path.join(artifacts, name + ".png"))
    assert ready, "the page's script did not finish"
    return timing


def assert_no_script_error(browser):
    errors = browser.execute_script("return window.__viewErrors || []")
    severe = [entry["message"] for entry in browser.get_log("browser") if entry["level"] == "SEVERE"]
    assert errors == [] and severe == [], f"script errors: {errors} {severe}"
    # Nothing fetched: the page is the only resource.
    assert browser.execute_script("return performance.getEntriesByType('resource').length") == 0


# ---- what the page shows -----------------------------------------------------

def drawn_pins(browser):
    return browser.execute_script("""
        var pins = document.querySelectorAll('#device-0 .package-pane .pin');
        return Array.prototype.map.call(pins, function (p) {
          return [p.dataset.pin, p.dataset.port, p.dataset.role, +p.dataset.index];
        });""")


def details(browser):
    return browser.execute_script("""
        var box = document.querySelector('#device-0 .details');
        var fields = {};
        box.querySelectorAll('dd[data-key]').forEach(function (dd) { fields[dd.dataset.key] = dd.textContent; });
        var cells = Array.prototype.map.call(box.querySelectorAll('tr[data-cell]'), function (tr) {
          var cell = {};
          tr.querySelectorAll('td[data-key]').forEach(function (td) { cell[td.dataset.key] = td.textContent; });
          return cell;
        });
        return {port: box.dataset.port, fields: fields, cells: cells};""")


def pin_element(browser, index):
    return browser.find_element(By.CSS_SELECTOR, f'#device-0 .package-pane .pin[data-index="{index}"]')


def check_details(shown_details, model, index, bits=None):
    """The details shown for port `index` against the document of `bscan json`
    (and the bits of `bscan drive` for a driven page)."""
    port = model["ports"][index]
    fields = shown_details["fields"]
    assert shown_details["port"] == port["label"]
    assert fields["label"] == port["label"]
    assert fields["port"] == shown(port["port"])
    assert fields["index"] == (str(port["index"]) if port["vector_element"] else "-")
    for key in ("pin_name", "pin_number", "type", "direction", "value", "port_value", "differential"):
        assert fields[key] == shown(port[key]), key
    assert [int(c["number"]) for c in shown_details["cells"]] == port["cells"]
    for cell_shown in shown_details["cells"]:
        cell = model["cells"][int(cell_shown["number"])]
        for key in ("function", "safe", "control_cell", "disable_value", "value", "bit"):
            assert cell_shown[key] == shown(cell[key]), (cell["number"], key)
        if bits is not None:
            assert cell_shown["bit"] == bits[cell["number"]]


def check_pins_drawn(browser, device_json, expected_kind):
    model = device_json
    cells = model["cells"]
    expected = sorted((p["pin_name"], p["label"], expected_role(p, cells))
                      for p in model["ports"] if p["pin_name"] is not None)
    drawn = drawn_pins(browser)
    assert sorted((pin, port, role) for pin, port, role, _ in drawn) == expected
    assert len({index for _, _, _, index in drawn}) == len(drawn)   # each port's pin once
    kind = browser.execute_script("return document.querySelector('#device-0 .package-pane').dataset.kind")
    assert kind == expected_kind


def sample_ports(model):
    """A few ports with a pin: the first, the middle and the last, and the
    first with cells of each role."""
    with_pin = [i for i, p in enumerate(model["ports"]) if p["pin_name"] is not None]
    picks = [with_pin[0], with_pin[len(with_pin) // 2], with_pin[-1]]
    seen = set()
    for i in with_pin:
        role = expected_role(model["ports"][i], model["cells"])
        if role not in seen:
            seen.add(role)
            picks.append(i)
    return list(dict.fromkeys(picks))


def hover_and_click(browser, model, bits=None):
    picks = sample_ports(model)
    # Hover shows the details of the pin under the pointer.
    element = pin_element(browser, picks[0])
    ActionChains(browser).move_to_element(element).perform()
    check_details(details(browser), model, picks[0], bits)
    # A click selects the pin: details stay when the pointer leaves.
    for index in picks:
        element = pin_element(browser, index)
        browser.execute_script("arguments[0].scrollIntoView({block: 'center'})", element)
        ActionChains(browser).move_to_element(element).click().perform()
        ActionChains(browser).move_by_offset(0, 0).perform()
        check_details(details(browser), model, index, bits)
        assert "selected" in element.get_attribute("class")


def filter_and_pick(browser, model):
    """Typing narrows the ports table; a click on a row selects its pin."""
    index = sample_ports(model)[1]
    port = model["ports"][index]
    block = browser.find_element(By.CSS_SELECTOR, '#device-0 .table-block[data-table="ports"]')
    count = block.find_element(By.CSS_SELECTOR, ".count")
    total = int(count.get_attribute("data-shown"))
    assert total == len(model["ports"])
    text = port["label"]
    box = block.find_element(By.CSS_SELECTOR, "input")
    box.clear()
    box.send_keys(text)
    narrowed = int(count.get_attribute("data-shown"))
    assert 0 < narrowed <= total
    if len(model["ports"]) > 5:
        assert narrowed < total
    rows = block.find_elements(By.CSS_SELECTOR, "tbody tr[data-row]")
    assert len(rows) == narrowed or len(rows) >= 60
    assert all(text.lower() in row.text.lower() for row in rows)
    exact = [row for row in rows if row.find_element(By.CSS_SELECTOR, "td").text == text][0]
    exact.click()
    assert details(browser)["port"] == port["label"]
    assert "selected" in pin_element(browser, index).get_attribute("class")
    box.clear()
    box.send_keys(" ")   # an input event with nothing to match against
    assert int(count.get_attribute("data-shown")) == total


def filter_cells(browser, model):
    browser.find_element(By.CSS_SELECTOR, '#device-0 .tab-bar button[data-tab="cells"]').click()
    block = browser.find_element(By.CSS_SELECTOR, '#device-0 .table-block[data-table="cells"]')
    count = block.find_element(By.CSS_SELECTOR, ".count")
    assert int(count.get_attribute("data-shown")) == len(model["cells"])
    functions = [c["function"] for c in model["cells"]]
    word = min(set(functions), key=functions.count)          # the rarest function
    block.find_element(By.CSS_SELECTOR, "input").send_keys(word)
    narrowed = int(count.get_attribute("data-shown"))
    assert functions.count(word) <= narrowed <= len(model["cells"])
    if len(set(functions)) > 1:
        assert narrowed < len(model["cells"])


def check_driven(browser, model, driven_arguments):
    values = browser.execute_script("""
        var out = {};
        document.querySelectorAll('#device-0 [data-value-for]').forEach(function (e) {
          out[e.dataset.valueFor] = e.textContent; });
        return out;""")
    labels = {p["label"]: i for i, p in enumerate(model["ports"])}
    page_driven = browser.execute_script("return window.bscanView.data.devices[0].driven")
    assert [d["argument"] for d in page_driven] == driven_arguments
    for d in page_driven:
        index = labels[d["label"]]
        assert values[str(index)] == d["value"]
        assert "driven" in pin_element(browser, index).get_attribute("class")


def check_zoom_and_fit(browser):
    if not browser.find_elements(By.CSS_SELECTOR, "#device-0 .package-view svg"):
        return
    svg = browser.find_element(By.CSS_SELECTOR, "#device-0 .package-view svg")
    fits = browser.execute_script("""
        var r = arguments[0].getBoundingClientRect();
        return [r.right <= window.innerWidth + 1, r.bottom <= window.innerHeight + 1, r.width, r.height];""", svg)
    assert fits[0] and fits[1] and fits[2] > 100 and fits[3] > 100, fits
    fitted = svg.get_dom_attribute("viewBox")
    browser.find_element(By.CSS_SELECTOR, '#device-0 .toolbar button[data-action="Zoom in"]').click()
    zoomed = svg.get_dom_attribute("viewBox")
    assert float(zoomed.split()[2]) < float(fitted.split()[2])
    browser.find_element(By.CSS_SELECTOR, '#device-0 .toolbar button[data-action="Fit the package to the window"]').click()
    assert svg.get_dom_attribute("viewBox") == fitted


def check_header(browser, model):
    facts = browser.execute_script("""
        var out = {};
        document.querySelectorAll('#device-0 .facts dd[data-fact]').forEach(function (d) {
          out[d.dataset.fact] = d.textContent; });
        return out;""")
    assert facts["file"] == model["file"]
    assert facts["cells"] == str(model["counts"]["boundary_cells"])
    assert facts["ports"] == str(model["counts"]["port_nodes"])
    assert facts["instructions"] == str(model["counts"]["instructions"])
    assert facts["read"] == "read: 0 (BSDL_OK)"


# ---- the pages ---------------------------------------------------------------

def drive_arguments(model):
    """Two output-capable ports of a real file that the library reaches."""
    chosen = []
    for port in model["ports"]:
        if port["reachable"] and port["output_cell"] is not None and port["pin_name"] is not None:
            chosen.append(f"{port['label']}={'1' if not chosen else '0'}")
        if len(chosen) == 2:
            break
    return chosen


def check_page(browser, tool, artifacts, name, bsdl, arguments, kind):
    model = json.loads(run_tool(tool, "json", bsdl).stdout)
    if arguments == "drive":
        arguments = drive_arguments(model)
    page, _ = write_page(tool, artifacts, name, bsdl, arguments)
    open_page(browser, artifacts, name, page)
    assert_no_script_error(browser)
    check_header(browser, model)
    check_pins_drawn(browser, model, kind)
    check_zoom_and_fit(browser)
    if arguments:
        # Driven: values and bits as `bscan drive` gives them.
        drive = run_tool(tool, "drive", bsdl, *arguments).stdout
        bits = re.search(r"^bits:\s*(\S*)$", drive, re.M).group(1)
        page_model = browser.execute_script("return window.bscanView.data.devices[0].model")
        assert page_model["image_bits"] == bits
        check_driven(browser, page_model, arguments)
        hover_and_click(browser, page_model, bits)
        filter_and_pick(browser, page_model)
    else:
        hover_and_click(browser, model)
        filter_and_pick(browser, model)
    filter_cells(browser, model)
    browser.save_screenshot(os.path.join(artifacts, name + "_used.png"))
    assert_no_script_error(browser)


@pytest.mark.parametrize("name,relative,arguments,kind", DEMO_PAGES, ids=[p[0] for p in DEMO_PAGES])
def test_example_device(browser, tool, source_dir, artifacts, name, relative, arguments, kind):
    check_page(browser, tool, artifacts, name, os.path.join(source_dir, relative), arguments, kind)
    # The example's differential pairs are marked on both legs.
    marks = browser.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('#device-0 g.diff'),"
        " function (g) { return [+g.dataset.index, g.textContent]; })")
    model = browser.execute_script("return window.bscanView.data.devices[0].model")
    expected = sorted([i, "+" if p["differential"] == "positive" else "\u2212"]
                      for i, p in enumerate(model["ports"]) if p["differential"])
    assert sorted(marks) == expected and len(expected) == 4
    assert len(browser.find_elements(By.CSS_SELECTOR, "#device-0 .pair-link")) == 2
    # A click on the row of cell 0, the control cell of the DQ bus, rings
    # the eight DQ pins it enables.
    browser.find_element(By.CSS_SELECTOR, '#device-0 .tab-bar button[data-tab="cells"]').click()
    block = browser.find_element(By.CSS_SELECTOR, '#device-0 .table-block[data-table="cells"]')
    box = block.find_element(By.CSS_SELECTOR, "input")
    box.clear()
    box.send_keys("DQ_OE")
    rows = block.find_elements(By.CSS_SELECTOR, "tbody tr[data-row]")
    assert [row.find_element(By.CSS_SELECTOR, "td").text for row in rows] == ["0"]
    rows[0].click()
    ringed = browser.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('#device-0 .pin.selected'),"
        " function (p) { return p.dataset.port; })")
    assert sorted(ringed) == sorted(f"DQ({i})" for i in range(8))
    assert len(browser.find_elements(By.CSS_SELECTOR, "#device-0 .focus-ring")) == 8


@pytest.mark.parametrize("name,relative,arguments,kind", REAL_PAGES, ids=[p[0] for p in REAL_PAGES])
def test_real_file(browser, tool, real_dir, artifacts, name, relative, arguments, kind):
    path = os.path.join(real_dir, relative)
    if not os.path.isfile(path):
        pytest.skip(f"no real BSDL file {path}")
    check_page(browser, tool, artifacts, name, path, arguments, kind)


def test_file_that_does_not_read(browser, tool, source_dir, real_dir, artifacts):
    cases = [("read_failure_fixture", os.path.join(source_dir, "tests/data/tool_syntax.bsdl"))]
    real = os.path.join(real_dir, REAL_FAILING[1])
    if os.path.isfile(real):
        cases.append((REAL_FAILING[0], real))
    for name, bsdl in cases:
        page, run = write_page(tool, artifacts, name, bsdl, [], expect_status=1)
        open_page(browser, artifacts, name, page)
        assert_no_script_error(browser)
        error_line = browser.find_element(By.CSS_SELECTOR, "#device-0 .failure .error-line").text
        assert error_line == run.stderr.strip()
        line = int(re.match(r".*?:(\d+): error:", run.stderr).group(1))
        marked = browser.find_element(By.CSS_SELECTOR, "#device-0 .failure pre span.at b").text
        assert marked == str(line)
        assert not browser.find_elements(By.CSS_SELECTOR, "#device-0 .pin")


def test_findings_on_their_pins(browser, tool, source_dir, artifacts):
    """Where the build has the checker: a fixture with a fault gets its
    findings on the pins they concern, in the pin's details and in the
    findings table."""
    bsdl = os.path.join(source_dir, "tests/data/check_safe_enables_driver.bsdl")
    check = run_tool(tool, "check", "--json", bsdl, check=False)
    if check.returncode == 2 or not os.path.isfile(bsdl):
        pytest.skip("this build has no checker (bscan check), so pages carry no findings")
    findings = json.loads(check.stdout)[0]["findings"]
    page, _ = write_page(tool, artifacts, "findings", bsdl, [])
    open_page(browser, artifacts, "findings", page)
    assert_no_script_error(browser)
    model = browser.execute_script("return window.bscanView.data.devices[0].model")
    labels = {p["label"].upper(): i for i, p in enumerate(model["ports"])}
    on_pins = [f for f in findings if f["port"] and f["port"].upper() in labels
               and f["severity"] in ("error", "warning") and model["ports"][labels[f["port"].upper()]]["pin_name"]]
    assert on_pins, "the fixture's fault names a port with a pin"
    for finding in on_pins:
        index = labels[finding["port"].upper()]
        element = pin_element(browser, index)
        assert ("has-" + finding["severity"]) in element.get_attribute("class") or \
            "has-error" in element.get_attribute("class")
        browser.execute_script("arguments[0].dispatchEvent(new MouseEvent('click', {bubbles: true}))", element)
        text = browser.find_element(By.CSS_SELECTOR, "#device-0 .details").text
        assert finding["message"] in text and finding["rule"] in text
    browser.find_element(By.CSS_SELECTOR, '#device-0 .tab-bar button[data-tab="findings"]').click()
    count = browser.find_element(By.CSS_SELECTOR, '#device-0 .table-block[data-table="findings"] .count')
    assert int(count.get_attribute("data-shown")) == len(findings)
    browser.save_screenshot(os.path.join(artifacts, "findings_used.png"))
