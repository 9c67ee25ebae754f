"""The page of a whole chain (`bscan view --chain`), dual-row packages and
the grid's labels when zoomed in, opened in headless Chromium.

The chain pages: the example board and the fixture board (a device
without a file, a small-outline device) and, when ../shared/bsdl is
there, a chain of the two largest real files (its load time goes to
load_times.txt like the others'). Every device section is drawn (when it
comes into sight) with every pin once; the details of a pin of the second
device equal `bscan json` of its file; driven values show on their device
only; no script error.
"""
import json
import os

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

from conftest import run_tool
from test_view_pages import (assert_no_script_error, check_details, drive_arguments, expected_role, open_page,
                             sample_ports)

LARGEST = ["altera__STRATIX_10_1SG250HNF43.bsdl", "avago__b0811111.bsm"]


def write_chain_page(tool, artifacts, name, chain, arguments, expect_status=0):
    page = os.path.join(artifacts, name + ".html")
    run = run_tool(tool, "view", "--chain", chain, "-o", page, *arguments, check=False)
    assert run.returncode == expect_status, run.stderr
    return page


def draw_section(browser, k):
    """Scrolls section k into sight and waits until it is drawn."""
    browser.execute_script(f"document.getElementById('device-{k}').scrollIntoView()")
    WebDriverWait(browser, 10).until(lambda b: b.execute_script(
        f"var s = document.getElementById('device-{k}'); return !!s && s.dataset.drawn === 'true';"))


def section_pins(browser, k):
    return browser.execute_script(f"""
        var pins = document.querySelectorAll('#device-{k} .package-pane .pin');
        return Array.prototype.map.call(pins, function (p) {{
          return [p.dataset.pin, p.dataset.port, p.dataset.role, +p.dataset.index];
        }});""")


def check_section_pins(browser, k, model):
    expected = sorted((p["pin_name"], p["label"], expected_role(p, model["cells"]))
                      for p in model["ports"] if p["pin_name"] is not None)
    drawn = section_pins(browser, k)
    assert sorted((pin, port, role) for pin, port, role, _ in drawn) == expected, k
    assert len({index for _, _, _, index in drawn}) == len(drawn), k


def section_details(browser, k):
    return browser.execute_script(f"""
        var box = document.querySelector('#device-{k} .details');
        var fields = {{}};
        box.querySelectorAll('dd[data-key]').forEach(function (dd) {{ fields[dd.dataset.key] = dd.textContent; }});
        var cells = Array.prototype.map.call(box.querySelectorAll('tr[data-cell]'), function (tr) {{
          var cell = {{}};
          tr.querySelectorAll('td[data-key]').forEach(function (td) {{ cell[td.dataset.key] = td.textContent; }});
          return cell;
        }});
        return {{port: box.dataset.port, fields: fields, cells: cells}};""")


def driven_values(browser, k):
    return browser.execute_script(f"""
        var out = {{}};
        document.querySelectorAll('#device-{k} [data-value-for]').forEach(function (e) {{
          out[e.dataset.valueFor] = e.textContent; }});
        return out;""")


def page_devices(browser):
    return browser.execute_script("return window.bscanView.data.devices")


def test_example_board(browser, tool, source_dir, artifacts):
    chain = os.path.join(source_dir, "examples/demo_board.chain")
    devices = run_tool(tool, "chain", chain).stdout
    assert "U1" in devices and "U3" in devices
    files = [os.path.join(source_dir, "examples", f) for f in ("cpld_device.bsdl", "demo_device.bsdl",
                                                                 "fpga_device.bsdl")]
    models = [json.loads(run_tool(tool, "json", f).stdout) for f in files]
    # U1 and U3 driven, U2 left alone so that its details are `bscan json`'s.
    arguments = ["U1." + drive_arguments(models[0])[0], "U3." + drive_arguments(models[2])[0]]
    page = write_chain_page(tool, artifacts, "chain_example_board", chain, arguments)
    open_page(browser, artifacts, "chain_example_board", page)
    assert_no_script_error(browser)
    facts = browser.execute_script("""
        var out = {};
        document.querySelectorAll('.chain-head dd[data-fact]').forEach(function (d) { out[d.dataset.fact] = d.textContent; });
        return out;""")
    assert facts == {"chain file": chain, "devices": "3", "IR bits": "18"}
    titles = browser.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('.chain-order a'), function (a) { return a.textContent; })")
    assert titles == ["U1", "U2", "U3"]

    for k, model in enumerate(models):
        draw_section(browser, k)
        check_section_pins(browser, k, model)
        head = browser.find_element(By.CSS_SELECTOR, f"#device-{k} .device-head h1").text
        assert f"U{k + 1}" in head and model["entity"] in head and f"device {k + 1} of 3" in head
    assert_no_script_error(browser)

    # The details of pins of the second device are those of `bscan json`.
    for index in sample_ports(models[1]):
        element = browser.find_element(By.CSS_SELECTOR, f'#device-1 .package-pane .pin[data-index="{index}"]')
        browser.execute_script("arguments[0].scrollIntoView({block: 'center'})", element)
        ActionChains(browser).move_to_element(element).click().perform()
        check_details(section_details(browser, 1), models[1], index)
        assert "selected" in element.get_attribute("class")

    # The driven values on their own device only.
    shown = page_devices(browser)
    for k, argument in ((0, arguments[0]), (2, arguments[1])):
        label = argument.split(".", 1)[1].split("=")[0]
        index = [p["label"] for p in shown[k]["model"]["ports"]].index(label)
        assert driven_values(browser, k) == {str(index): argument[-1]}
        assert [d["argument"] for d in shown[k]["driven"]] == [argument]
    assert driven_values(browser, 1) == {}
    assert browser.find_elements(By.CSS_SELECTOR, "#device-1 .pin.driven") == []
    browser.save_screenshot(os.path.join(artifacts, "chain_example_board_used.png"))
    assert_no_script_error(browser)


def test_fixture_board(browser, tool, source_dir, artifacts):
    chain = os.path.join(source_dir, "tests/data/chain_board.chain")
    page = write_chain_page(tool, artifacts, "chain_fixture_board", chain, ["U4.Y(0)=1"])
    open_page(browser, artifacts, "chain_fixture_board", page)
    devices = page_devices(browser)
    assert [d["chain"]["name"] for d in devices] == ["U1", "U7", "U3", "U4"]
    for k, device in enumerate(devices):
        draw_section(browser, k)
        if device["model"]:
            check_section_pins(browser, k, device["model"])
    # U7 has no file: it says it is kept in BYPASS, and draws nothing.
    note = browser.find_element(By.CSS_SELECTOR, "#device-1 .bypass-note").text
    assert "BYPASS" in note and "ir=3" in note
    assert browser.find_elements(By.CSS_SELECTOR, "#device-1 .pin") == []
    # U4 (SO14): two rows, Y(0) driven on it alone.
    check_two_rows(browser, 3, 14)
    assert list(driven_values(browser, 3).values()) == ["1"]
    for k in (0, 1, 2):
        assert driven_values(browser, k) == {}
    assert_no_script_error(browser)


def test_chain_with_a_file_that_does_not_read(browser, tool, source_dir, artifacts):
    chain = os.path.join(artifacts, "broken.chain")
    with open(chain, "w") as out:
        out.write(f"A {source_dir}/examples/demo_device.bsdl\nB {source_dir}/tests/data/tool_syntax.bsdl\n")
    page = os.path.join(artifacts, "chain_broken.html")
    run = run_tool(tool, "view", "--chain", chain, "-o", page, check=False)
    assert run.returncode == 1
    open_page(browser, artifacts, "chain_broken", page)
    draw_section(browser, 1)
    assert browser.find_element(By.CSS_SELECTOR, "#device-1 .failure .error-line").text == run.stderr.strip()
    assert browser.find_elements(By.CSS_SELECTOR, "#device-0 .pin")
    assert_no_script_error(browser)


def test_chain_of_the_largest_real_devices(browser, tool, real_dir, artifacts):
    files = [os.path.join(real_dir, name) for name in LARGEST]
    if not all(os.path.isfile(f) for f in files):
        import pytest
        pytest.skip(f"the real files {LARGEST} are not in {real_dir}")
    chain = os.path.join(artifacts, "largest.chain")
    with open(chain, "w") as out:
        out.write("".join(f"D{k + 1} {f}\n" for k, f in enumerate(files)))
    page = write_chain_page(tool, artifacts, "chain_largest_real", chain, [])
    open_page(browser, artifacts, "chain_largest_real", page)
    assert_no_script_error(browser)
    devices = page_devices(browser)
    for k, device in enumerate(devices):
        draw_section(browser, k)
        check_section_pins(browser, k, device["model"])
    assert_no_script_error(browser)
    timing = browser.execute_script("return window.bscanView.timing")
    with open(os.path.join(artifacts, "load_times.txt"), "a") as log:
        log.write("chain_largest_real: " + ", ".join(f"{key} {value:.0f} ms" for key, value in sorted(timing.items()))
                  + " (script time: the JSON parsed, each section drawn)\n")


# ---- two rows of pins ----------------------------------------------------------

def check_two_rows(browser, k, places):
    """Pins 1 .. places/2 down the left of the body, the rest up its right."""
    geometry = browser.execute_script(f"""
        var body = document.querySelector('#device-{k} svg .body').getBoundingClientRect();
        var pins = {{}};
        document.querySelectorAll('#device-{k} svg .pin').forEach(function (p) {{
          var r = p.getBoundingClientRect();
          pins[p.dataset.pin] = [r.left + r.width / 2, r.top + r.height / 2];
        }});
        return {{left: body.left, right: body.right, pins: pins}};""")
    half = places // 2
    left = sorted((int(n), xy) for n, xy in geometry["pins"].items() if int(n) <= half)
    right = sorted((int(n), xy) for n, xy in geometry["pins"].items() if int(n) > half)
    assert left and right
    assert all(xy[0] < geometry["left"] for _, xy in left)
    assert all(xy[0] > geometry["right"] for _, xy in right)
    assert [xy[1] for _, xy in left] == sorted(xy[1] for _, xy in left)                  # down the left
    assert [xy[1] for _, xy in right] == sorted((xy[1] for _, xy in right), reverse=True)  # up the right
    # Pin 1 and pin N face each other at the top.
    if 1 in dict(left) and places in dict(right):
        assert abs(dict(left)[1][1] - dict(right)[places][1]) < 1


def test_dual_row_fixture(browser, tool, source_dir, artifacts):
    bsdl = os.path.join(source_dir, "tests/data/view_soic.bsdl")
    page = os.path.join(artifacts, "dual_row_soic.html")
    run_tool(tool, "view", bsdl, "-o", page)
    open_page(browser, artifacts, "dual_row_soic", page)
    assert_no_script_error(browser)
    model = json.loads(run_tool(tool, "json", bsdl).stdout)
    check_section_pins(browser, 0, model)
    check_two_rows(browser, 0, 16)
    # Pin 16 has no port: its place is drawn empty, on the right at the top.
    assert len(browser.find_elements(By.CSS_SELECTOR, "#device-0 svg rect.empty")) == 1


# ---- the grid's labels when zoomed in ------------------------------------------

def test_grid_labels_stay_in_sight(browser, tool, source_dir, artifacts):
    bsdl = os.path.join(source_dir, "examples/demo_device.bsdl")
    page = os.path.join(artifacts, "sticky_labels.html")
    run_tool(tool, "view", bsdl, "-o", page)
    open_page(browser, artifacts, "sticky_labels", page)
    svg = browser.find_element(By.CSS_SELECTOR, "#device-0 .package-view svg")
    # Fitted: the labels around the grid are in sight, no band.
    assert browser.find_elements(By.CSS_SELECTOR, "#device-0 .sticky-axis") == []
    zoom_in = browser.find_element(By.CSS_SELECTOR, '#device-0 .toolbar button[data-action="Zoom in"]')
    for _ in range(3):
        zoom_in.click()
    # Scroll the drawing: drag it up and to the left.
    ActionChains(browser).move_to_element(svg).click_and_hold().move_by_offset(-40, -30) \
        .move_by_offset(-40, -30).release().perform()
    state = browser.execute_script("""
        var view = document.querySelector('#device-0 .package-view').getBoundingClientRect();
        var inside = function (r) { return r.left >= view.left - 1 && r.right <= view.right + 1 &&
                                           r.top >= view.top - 1 && r.bottom <= view.bottom + 1; };
        var rows = {}, columns = {}, all = true;
        document.querySelectorAll('#device-0 .sticky-axis').forEach(function (t) {
          var r = t.getBoundingClientRect();
          all = all && inside(r);
          if (t.dataset.row) rows[t.dataset.row] = r.top + r.height / 2;
          else columns[t.dataset.column] = r.left + r.width / 2;
        });
        // Balls wholly in sight, away from the bands.
        var balls = [];
        document.querySelectorAll('#device-0 svg circle.pin').forEach(function (p) {
          var r = p.getBoundingClientRect();
          if (r.left > view.left + 40 && r.right < view.right && r.top > view.top + 30 && r.bottom < view.bottom)
            balls.push([p.dataset.pin, r.left + r.width / 2, r.top + r.height / 2]);
        });
        return {rows: rows, columns: columns, all: all, balls: balls, scale: +document.querySelector('#device-0 svg').dataset.scale};""")
    browser.save_screenshot(os.path.join(artifacts, "sticky_labels_zoomed.png"))
    assert state["all"], "a sticky label is outside the drawing's view"
    assert state["rows"] and state["columns"], state
    assert state["balls"], "no ball in sight after zooming"
    for pin, x, y in state["balls"]:
        row, column = pin.rstrip("0123456789"), pin[len(pin.rstrip("0123456789")):]
        assert row in state["rows"] and abs(state["rows"][row] - y) < 2, (pin, state["rows"])
        assert column in state["columns"] and abs(state["columns"][column] - x) < 2, (pin, state["columns"])
    # The labels around the grid are out of sight: the first row and column are not in view.
    fixed = browser.execute_script("""
        var view = document.querySelector('#device-0 .package-view').getBoundingClientRect();
        var first = document.querySelector('#device-0 svg text.axis.big').getBoundingClientRect();
        return first.right < view.left || first.bottom < view.top || first.left > view.right;""")
    assert fixed
    # Fit again: the band goes.
    browser.find_element(By.CSS_SELECTOR, '#device-0 .toolbar button[data-action="Fit the package to the window"]').click()
    assert browser.find_elements(By.CSS_SELECTOR, "#device-0 .sticky-axis") == []
    assert_no_script_error(browser)
