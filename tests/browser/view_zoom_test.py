#!/usr/bin/env python3
"""How fast the page of `scenario-tool view` answers the wheel on the largest route (1,000 km).

For each of three loads of the page in headless Chromium: the time from the start of the load
until the first view is drawn (the page marks it), and a zoom step on the profile: ten wheel
events dispatched together, the time until two animation frames later, divided by ten. The
figures are the medians of the three loads, set beside their targets (first view within 1 s,
a step within 16 ms).

As a test (run by CTest) the targets must be met, by one of up to three measurements (a busy
machine only adds time); with --report the figures are only printed,
as `make bench` does. In CI (CI=true) a missing selenium, chromedriver or chromium is a
failure, elsewhere the test is skipped (exit status 77).
"""

import argparse
import pathlib
import shutil
import statistics
import subprocess
import sys
import unittest

from browser_support import BrowserTest, By, WebDriverWait, browser_programs, start_browser

ROUTE_METRES = 1000000
LOADS = 3
WHEEL_EVENTS = 10
FIRST_VIEW_TARGET_MS = 1000
STEP_TARGET_MS = 16
ATTEMPTS = 3

# Ten notches of the wheel over the middle of the profile, dispatched at once from the first
# view of the whole route, in and out in turn but a little more in than out, so that the window
# drawn is new and still nearly as wide as the route (nine tenths of it); the answer is the time
# until two animation frames later, when the page has drawn what the wheel asked for.
ZOOM_STEPS = """
const done = arguments[arguments.length - 1];
const svg = document.getElementById('profilo');
const box = svg.getBoundingClientRect();
const x = box.left + box.width / 2;
const y = box.top + box.height / 2;
const start = performance.now();
for (let i = 0; i < arguments[0]; ++i) {
  svg.dispatchEvent(new WheelEvent('wheel', {deltaY: i % 2 ? 110 : -120, clientX: x, clientY: y,
    bubbles: true, cancelable: true}));
}
requestAnimationFrame(() => requestAnimationFrame(() => done(performance.now() - start)));
"""

FIRST_VIEW = """
const mark = performance.getEntriesByName('scenario-view-drawn')[0];
return mark ? mark.startTime : null;
"""


def make_page(tool, fixtures, work):
    work = pathlib.Path(work)
    if work.exists():
        shutil.rmtree(work)
    directory = work / 'percorso'
    names = subprocess.run([fixtures, 'synthetic', str(directory), str(ROUTE_METRES)], check=True,
                           capture_output=True, text=True).stdout.splitlines()
    result = subprocess.run([tool, 'view', str(directory), '--line', names[0], '--train',
                             names[1]], capture_output=True, text=True, check=False)
    page = directory / f'{names[0]}_{names[1]}.html'
    if result.returncode != 0 or not page.exists():
        raise RuntimeError(f'scenario-tool view failed ({result.returncode}):\n'
                           f'{result.stdout}{result.stderr}')
    return page


def measure(driver, page):
    """The medians over LOADS loads: (first view ms, zoom step ms), and every load's figures."""
    loads = []
    for _ in range(LOADS):
        driver.get('about:blank')
        driver.get(page.as_uri())
        WebDriverWait(driver, 30).until(
            lambda d: d.find_element(By.ID, 'finestra').get_attribute('data-da-km'))
        first = driver.execute_script(FIRST_VIEW)
        total = driver.execute_async_script(ZOOM_STEPS, WHEEL_EVENTS)
        loads.append((first, total / WHEEL_EVENTS))
    return (statistics.median(f for f, _ in loads), statistics.median(s for _, s in loads),
            loads)


def report(first, step, loads):
    print(f'view page of the {ROUTE_METRES // 1000} km route, medians of {len(loads)} loads:')
    print(f'  first view drawn   {first:8.1f} ms   target <= {FIRST_VIEW_TARGET_MS} ms   '
          f'{"met" if first <= FIRST_VIEW_TARGET_MS else "MISSED"}')
    print(f'  wheel zoom step    {step:8.2f} ms   target <= {STEP_TARGET_MS} ms    '
          f'{"met" if step <= STEP_TARGET_MS else "MISSED"}')
    print('  each load (first view ms, step ms): ' +
          ', '.join(f'({f:.0f}, {s:.2f})' for f, s in loads))


class ViewZoom(BrowserTest):
    page = None

    def test_the_largest_route_draws_within_a_second_and_zooms_within_a_frame(self):
        # A busy machine only ever adds time: the page is measured again (three loads each time)
        # before a figure above its target counts as missed.
        for _ in range(ATTEMPTS):
            first, step, loads = measure(self.driver, ViewZoom.page)
            report(first, step, loads)
            if first <= FIRST_VIEW_TARGET_MS and step <= STEP_TARGET_MS:
                break
        self.assertLessEqual(first, FIRST_VIEW_TARGET_MS, loads)
        self.assertLessEqual(step, STEP_TARGET_MS, loads)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--tool', required=True)
    parser.add_argument('--fixtures', required=True)
    parser.add_argument('--work', required=True)
    parser.add_argument('--report', action='store_true',
                        help='print the figures beside their targets, without failing')
    args, rest = parser.parse_known_args()
    browser_programs()
    BrowserTest.work = args.work
    ViewZoom.page = make_page(args.tool, args.fixtures, pathlib.Path(args.work) / 'pagine')
    if args.report:
        driver = start_browser(args.work)
        try:
            report(*measure(driver, ViewZoom.page))
        finally:
            driver.quit()
        return
    unittest.main(argv=[sys.argv[0], '-v'] + rest)


if __name__ == '__main__':
    main()
