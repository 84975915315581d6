"""What the browser tests share: finding Chromium and its driver (a missing piece fails in CI and
skips elsewhere), starting headless Chromium with its console and network logs, and writing
description texts as authors do."""

import json
import os
import pathlib
import shutil
import sys
import unittest

SKIPPED = 77


def missing(what):
    if os.environ.get('CI') == 'true':
        print(f'browser tests: {what} (required in CI)', file=sys.stderr)
        sys.exit(1)
    print(f'browser tests skipped: {what}')
    sys.exit(SKIPPED)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains  # noqa: F401
    from selenium.webdriver.common.actions.wheel_input import ScrollOrigin  # noqa: F401
    from selenium.webdriver.common.by import By  # noqa: F401
    from selenium.webdriver.support.ui import WebDriverWait  # noqa: F401
except ImportError:
    missing('python3-selenium is not installed (apt-get install python3-selenium)')


def executable(name):
    found = shutil.which(name)
    if found:
        return found
    candidate = pathlib.Path('/usr/bin') / name
    return str(candidate) if candidate.exists() else None


def browser_programs():
    chromium = executable('chromium') or executable('chromium-browser')
    driver_path = executable('chromedriver')
    if not chromium:
        missing('chromium is not installed (apt-get install chromium)')
    if not driver_path:
        missing('chromedriver is not installed (apt-get install chromium-driver)')
    return chromium, driver_path


def start_browser(work):
    """Headless Chromium with a profile of its own under `work`, keeping the browser's console
    and the performance (network) log."""
    chromium, driver_path = browser_programs()
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for argument in ('--headless=new', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
                     '--window-size=1500,1400', '--no-first-run', '--disable-sync',
                     '--disable-background-networking', '--disable-component-update',
                     '--disable-default-apps', '--hide-scrollbars',
                     f'--user-data-dir={pathlib.Path(work) / "profilo"}'):
        options.add_argument(argument)
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL', 'performance': 'ALL'})
    return webdriver.Chrome(service=Service(driver_path), options=options)


def write_text(path, text):
    """A description text as authors write them: Windows-1252 with CR LF line ends."""
    path.write_bytes(text.replace('\n', '\r\n').encode('cp1252'))


def console_errors(driver):
    """The errors the page's console reported since the last call."""
    return [entry for entry in driver.get_log('browser') if entry['level'] == 'SEVERE']


def requested_urls(driver):
    """Every address the browser asked for since the last call."""
    urls = []
    for entry in driver.get_log('performance'):
        message = json.loads(entry['message'])['message']
        if message['method'] == 'Network.requestWillBeSent':
            urls.append(message['params']['request']['url'])
    return urls


class BrowserTest(unittest.TestCase):
    """Tests that share one headless Chromium; `work` (the folder for its profile) is set by the
    script before the tests run."""
    driver = None
    work = None

    @classmethod
    def setUpClass(cls):
        cls.driver = start_browser(BrowserTest.work)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
