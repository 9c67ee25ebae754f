"""The browser tests of `bscan view`: headless Chromium driven by Selenium.

ctest runs them (tests/CMakeLists.txt) with these variables set:
  BSCAN_TOOL            the built `bscan`
  BSCAN_SOURCE_DIR      the repository (for examples/demo_device.bsdl)
  BSCAN_REAL_BSDL_DIR   the real vendor files (tests using them skip when absent)
  BSCAN_VIEW_ARTIFACTS  where pages, screenshots and load times are written
and, when set, BSCAN_CHROMIUM and BSCAN_CHROMEDRIVER (the browser and its
driver; Debian's chromium and chromedriver otherwise).

When Chromium, its driver or Selenium cannot be found, every test says so
and skips, and the run ends with status 77, which ctest reports as
skipped: the tests never pass without running the browser.
"""
import os
import shutil
import subprocess

import pytest

SKIPPED_STATUS = 77


def _env(name, default=None):
    value = os.environ.get(name, default)
    if value is None:
        pytest.skip(f"{name} is not set (run these tests through ctest)")
    return value


@pytest.fixture(scope="session")
def tool():
    path = _env("BSCAN_TOOL")
    if not os.access(path, os.X_OK):
        pytest.fail(f"the tool {path} is not built")
    return path


@pytest.fixture(scope="session")
def source_dir():
    return _env("BSCAN_SOURCE_DIR")


@pytest.fixture(scope="session")
def real_dir():
    return os.environ.get("BSCAN_REAL_BSDL_DIR", "")


@pytest.fixture(scope="session")
def artifacts():
    path = _env("BSCAN_VIEW_ARTIFACTS")
    os.makedirs(path, exist_ok=True)
    open(os.path.join(path, "load_times.txt"), "w").close()   # this run's times only
    return path


def _find(candidates):
    for name in candidates:
        found = shutil.which(name) or (name if os.path.isabs(name) and os.access(name, os.X_OK) else None)
        if found:
            return found
    return None


# Collects script errors from the first moment of every page.
ERROR_CATCHER = """
window.__viewErrors = [];
window.addEventListener('error', function (e) { window.__viewErrors.push('error: ' + e.message); });
window.addEventListener('unhandledrejection', function (e) { window.__viewErrors.push('rejection: ' + e.reason); });
(function () {
  var original = console.error;
  console.error = function () {
    window.__viewErrors.push('console.error: ' + Array.prototype.join.call(arguments, ' '));
    return original.apply(console, arguments);
  };
})();
"""


@pytest.fixture(scope="session")
def browser():
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.options import Options
        from selenium.webdriver.chrome.service import Service
    except ImportError as error:
        pytest.skip(f"Selenium for Python is not installed ({error}); Debian: python3-selenium")
    # BSCAN_CHROMIUM and BSCAN_CHROMEDRIVER name other programs than Debian's.
    chromium = _find([os.environ["BSCAN_CHROMIUM"]] if "BSCAN_CHROMIUM" in os.environ
                     else ["chromium", "/usr/bin/chromium", "chromium-browser"])
    driver_path = _find([os.environ["BSCAN_CHROMEDRIVER"]] if "BSCAN_CHROMEDRIVER" in os.environ
                        else ["chromedriver", "/usr/bin/chromedriver"])
    if not chromium:
        pytest.skip("Chromium is not installed (Debian: chromium)")
    if not driver_path:
        pytest.skip("the Chromium driver is not installed (Debian: chromium-driver)")
    options = Options()
    options.binary_location = chromium
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--window-size=1280,900", "--disable-extensions", "--no-first-run"):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    try:
        driver = webdriver.Chrome(service=Service(driver_path), options=options)
    except Exception as error:  # the browser is there but does not start
        pytest.fail(f"Chromium ({chromium}) with {driver_path} did not start: {error}")
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": ERROR_CATCHER})
    yield driver
    driver.quit()


def run_tool(tool, *args, check=True):
    run = subprocess.run([tool, *args], capture_output=True, text=True)
    if check and run.returncode != 0:
        raise AssertionError(f"bscan {' '.join(args)} exited {run.returncode}: {run.stderr}")
    return run


# ---- ctest: a run where nothing ran is no pass ------------------------------

_outcomes = {"passed": 0, "skipped": 0, "failed": 0}


def pytest_runtest_logreport(report):
    if report.when == "call" and report.passed:
        _outcomes["passed"] += 1
    elif report.skipped:
        _outcomes["skipped"] += 1
    elif report.failed:
        _outcomes["failed"] += 1


def pytest_sessionfinish(session, exitstatus):
    if exitstatus == 0 and _outcomes["passed"] == 0 and _outcomes["skipped"] > 0:
        session.exitstatus = SKIPPED_STATUS
