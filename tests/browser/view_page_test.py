#!/usr/bin/env python3
"""The page of `scenario-tool view` in headless Chromium, opened from the disk.

The pages come from the tool itself: the program's own line, a synthetic 60 km line, a
synthetic 320 km line that winds all along, a short 5 km line, and a small line whose names and
texts hold HTML and script. The cases check that the page loads with no console error and no
request outside its own file, that scenario texts stay text, that a station's tooltip quotes its
record, that the wheel and dragging change the kilometre window, that the pointer is marked in
both drawings, that choosing a diagnostic moves the view there, that labels never overlap while
every station's name can be seen, that the address opens a window, that in live mode new data is
drawn in the same window (or, in a first view left as it is, whole), that the first view of the
plan holds the whole plan, and that the window's figures count the route and tell the run-off
after it apart.

Run by CTest with the tool and the fixture writer; in CI (CI=true) a missing selenium,
chromedriver or chromium is a failure, elsewhere the test is skipped (exit status 77). With
SCENARIO_VIEW_SCREENSHOTS=DIR the test also saves PNG pictures of the pages into DIR.
"""

import argparse
import http.server
import json
import os
import pathlib
import shutil
import subprocess
import sys
import threading
import time
import unittest
import urllib.parse

from browser_support import (ActionChains, BrowserTest, By, ScrollOrigin, WebDriverWait,
                             browser_programs, console_errors, requested_urls, missing, write_text)





ARGS = None
PAGES = {}  # what -> {'file': path, 'dir': path, 'line': name, 'train': code}

# Names with markup and script: each must show as these characters and run nothing.
HOSTILE_STATION = '<img src=x onerror="window.__pwned=1">'
HOSTILE_SIGN = '(<script>window.__pwned=2</script>)'
HOSTILE_LINE = 'L<b onmouseover=window.__pwned=3>'
HOSTILE_TRAIN = 'T&amp;<i>'
HOSTILE_FOLDER = '<svg onload=window.__pwned=4>'



def run_view(directory, line, train, expected_status=0):
    page = pathlib.Path(directory) / f'{line}_{train}.html'
    result = subprocess.run([ARGS.tool, 'view', str(directory), '--line', line, '--train', train],
                            capture_output=True, text=True, check=False)
    if result.returncode != expected_status or not page.exists():
        raise RuntimeError(f'scenario-tool view failed ({result.returncode}):\n'
                           f'{result.stdout}{result.stderr}')
    return page



def make_pages():
    work = pathlib.Path(ARGS.work)
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    # The winding line is long enough that its 7 km of run-off leave the box of the route.
    for what, kind, extra in (('program', 'program', []), ('synthetic', 'synthetic', ['60000']),
                              ('winding', 'synthetic', ['320000'])):
        directory = work / what
        names = subprocess.run([ARGS.fixtures, kind, str(directory)] + extra, check=True,
                               capture_output=True, text=True).stdout.splitlines()
        PAGES[what] = {'dir': directory, 'line': names[0], 'train': names[1],
                       'file': run_view(directory, names[0], names[1])}

    # A short line with two curves and two stations: its run-off is longer than its route.
    directory = work / 'breve'
    directory.mkdir()
    write_text(directory / 'Breve_linea.txt',
               '[generale]\nlunghezza percorso, 5000\n[curve]\n'
               'curvas4, 1000, 600\ncurvad5, 3000, 800\n[fine]\n')
    write_text(directory / 'Breve_B1-.txt',
               '[generale]\nvelocita, 0, 60\n' +
               ''.join(f'stazione, {metre}, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, '
                       f'{name}\n' for metre, name in ((500, 'Alfa'), (4500, 'Beta'))) +
               '[fine]\n')
    PAGES['breve'] = {'dir': directory, 'line': 'Breve', 'train': 'B1',
                      'file': run_view(directory, 'Breve', 'B1')}

    # Markup in the folder's name, the line's name, the train's code, a station and a sign; a
    # misspelt keyword adds a warning that names the file.
    directory = work / HOSTILE_FOLDER
    directory.mkdir()
    write_text(directory / f'{HOSTILE_LINE}_linea.txt',
               '[generale]\nlunghezza percorso, 5000\n[cartelli]\n'
               f'cartello_indicatore, 2000, {HOSTILE_SIGN}\n[fine]\n')
    write_text(directory / f'{HOSTILE_LINE}_{HOSTILE_TRAIN}-.txt',
               '[generale]\nvelocita, 0, 60\n'
               'stazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, '
               f'{HOSTILE_STATION}\n'
               'segnlae, 3000, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0\n[fine]\n')
    PAGES['hostile'] = {'dir': directory, 'line': HOSTILE_LINE, 'train': HOSTILE_TRAIN,
                        'file': run_view(directory, HOSTILE_LINE, HOSTILE_TRAIN)}


def live_files(directory, line, train, name):
    """The page a server sends in live mode and the data it serves, from the texts in directory."""
    page = pathlib.Path(ARGS.work) / f'{name}.html'
    data = pathlib.Path(ARGS.work) / f'{name}.json'
    subprocess.run([ARGS.fixtures, 'live', str(directory), line, train, str(page), str(data)],
                   check=True)
    return page.read_bytes(), data.read_bytes()


class live_server:
    """What a server in live mode answers: the page, its version number and the data."""

    def __init__(self, page, data):
        self.page = page
        self.data = data
        self.version = 1
        self.paths = []
        owner = self

        class handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                owner.paths.append(self.path)
                path = self.path.split('?')[0]
                answers = {'/': (owner.page, 'text/html; charset=utf-8'),
                           '/versione': (str(owner.version).encode(), 'text/plain'),
                           '/dati': (owner.data, 'application/json')}
                if path not in answers:
                    self.send_error(404)
                    return
                body, kind = answers[path]
                self.send_response(200)
                self.send_header('Content-Type', kind)
                self.send_header('Content-Length', str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        self.url = f'http://127.0.0.1:{self.server.server_address[1]}/'
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()




def page_url(what, fragment=''):
    return pathlib.Path(PAGES[what]['file']).resolve().as_uri() + fragment


# Every label of both drawings: its text, its box on the screen and the drawing it is in.
LABEL_BOXES = """
return Array.from(document.querySelectorAll('svg .etichetta')).map((e) => {
  const r = e.getBoundingClientRect();
  const s = e.ownerSVGElement.getBoundingClientRect();
  return {text: e.textContent, svg: e.ownerSVGElement.id, x: r.left, y: r.top, w: r.width,
          h: r.height, inside: r.left >= s.left - 0.5 && r.right <= s.right + 0.5 &&
          r.top >= s.top - 0.5 && r.bottom <= s.bottom + 0.5};
});
"""

# The plan as drawn: the drawing's size, every vertex of the route's and the run-off's lines and
# every station's centre in its pixels, the first vertex of the route and the last of the run-off,
# and the plan's points [metre, east, north] from the data the page holds.
PLAN_DRAWN = """
const svg = document.getElementById('pianta');
const box = svg.viewBox.baseVal;
const drawn = [];
for (const line of svg.querySelectorAll('polyline.binario, polyline.dopo-percorso-pianta')) {
  for (const p of Array.from(line.points)) drawn.push([p.x, p.y, line.getAttribute('class')]);
}
for (const c of svg.querySelectorAll('circle.stazione-pianta')) {
  drawn.push([c.cx.baseVal.value, c.cy.baseVal.value, 'stazione-pianta']);
}
const route = svg.querySelector('polyline.binario').points;
const off = svg.querySelector('polyline.dopo-percorso-pianta');
const end = off ? off.points : route;
const last = end.getItem(end.numberOfItems - 1);
return {width: box.width, height: box.height, drawn,
        first: [route.getItem(0).x, route.getItem(0).y], last: [last.x, last.y],
        plan: JSON.parse(document.getElementById('dati').textContent).pianta};
"""


def km_words(km):
    """Kilometres as the page writes them: 7.05 -> "7,050"."""
    return f'{km:.3f}'.replace('.', ',')


class ViewPage(BrowserTest):

    def open(self, what, fragment=''):
        self.driver.get('about:blank')
        self.driver.get_log('browser')
        self.driver.get_log('performance')
        self.driver.get(page_url(what, fragment))
        WebDriverWait(self.driver, 10).until(
            lambda d: d.find_element(By.ID, 'finestra').get_attribute('data-da-km'))

    def window_km(self):
        caption = self.driver.find_element(By.ID, 'finestra')
        return (float(caption.get_attribute('data-da-km')),
                float(caption.get_attribute('data-a-km')))

    def wait_for_window_change(self, before):
        WebDriverWait(self.driver, 5).until(lambda d: self.window_km() != before)
        return self.window_km()

    def data(self):
        return self.driver.execute_script(
            "return JSON.parse(document.getElementById('dati').textContent);")

    def console_errors(self):
        return console_errors(self.driver)

    def requested_urls(self):
        return requested_urls(self.driver)

    def assert_labels_apart(self, where):
        labels = self.driver.execute_script(LABEL_BOXES)
        self.assertTrue(labels, f'{where}: no label drawn')
        for label in labels:
            self.assertTrue(label['inside'], f'{where}: label outside its drawing: {label}')
        for i, a in enumerate(labels):
            for b in labels[i + 1:]:
                if a['svg'] != b['svg']:
                    continue
                apart = (a['x'] + a['w'] <= b['x'] + 0.5 or b['x'] + b['w'] <= a['x'] + 0.5 or
                         a['y'] + a['h'] <= b['y'] + 0.5 or b['y'] + b['h'] <= a['y'] + 0.5)
                self.assertTrue(apart, f'{where}: labels overlap: {a} and {b}')
        return labels

    def wheel(self, element, delta, x_offset=0):
        ActionChains(self.driver).scroll_from_origin(
            ScrollOrigin.from_element(element, x_offset, 0), 0, delta).perform()

    def test_loads_from_disk_with_no_error_and_no_request_outside_the_file(self):
        for what in ('program', 'synthetic', 'hostile'):
            with self.subTest(page=what):
                self.open(what)
                time.sleep(0.3)
                self.assertEqual(self.console_errors(), [])
                own = page_url(what)
                urls = self.requested_urls()
                self.assertIn(own, [url.split('#')[0] for url in urls])
                for url in urls:
                    self.assertTrue(url.split('#')[0] == own or url.startswith('data:'),
                                    f'request outside the page: {url}')
                self.assertEqual(self.driver.execute_script(
                    "return document.body.getAttribute('data-live')"), '0')

    def test_names_with_markup_show_as_text_and_run_nothing(self):
        self.open('hostile')
        body = self.driver.find_element(By.TAG_NAME, 'body')
        # Hovering every mark gives any planted handler its chance to run.
        for mark in self.driver.find_elements(By.CSS_SELECTOR, '.con-suggerimento'):
            try:
                ActionChains(self.driver).move_to_element(mark).perform()
            except Exception:  # a mark outside the visible part of the page
                pass
        self.assertEqual(self.driver.execute_script('return typeof window.__pwned'), 'undefined')
        self.assertEqual(self.driver.find_elements(By.CSS_SELECTOR, 'img, b, i, script[src]'), [])
        self.assertEqual(len(self.driver.find_elements(By.TAG_NAME, 'script')), 2)
        text = self.driver.execute_script('return document.body.textContent')
        for shown in (HOSTILE_STATION, HOSTILE_SIGN, HOSTILE_LINE, HOSTILE_TRAIN, HOSTILE_FOLDER):
            self.assertIn(shown, text)
        self.assertIn(HOSTILE_LINE, self.driver.title)
        self.assertIn(HOSTILE_FOLDER, body.find_element(By.ID, 'elenco').text)
        self.assertEqual(self.console_errors(), [])

    def test_a_station_tooltip_quotes_its_record(self):
        self.open('program')
        page = PAGES['program']
        train_file = f"{page['dir']}/{page['line']}_{page['train']}-.txt"
        lines = pathlib.Path(train_file).read_bytes().decode('cp1252').split('\r\n')
        for name in ('Cascina Telvo', 'Centrale FS', 'Brunvicco'):
            with self.subTest(station=name):
                number = next(n for n, line in enumerate(lines, 1)
                              if line.startswith('stazione,') and line.endswith(', ' + name))
                mark = self.driver.execute_script(
                    "return Array.from(document.querySelectorAll('#profilo rect.marciapiede'))"
                    ".find((e) => e.getAttribute('data-nome') === arguments[0]);", name)
                self.assertIsNotNone(mark, name)
                ActionChains(self.driver).move_to_element(mark).perform()
                tooltip = self.driver.find_element(By.ID, 'suggerimento')
                WebDriverWait(self.driver, 5).until(lambda d: tooltip.is_displayed())
                self.assertIn(f'stazione "{name}"', tooltip.text)
                self.assertIn(f'{train_file}:{number}:1', tooltip.text)
                self.assertIn(lines[number - 1].strip(), tooltip.text)

    def test_the_wheel_changes_the_kilometre_window(self):
        self.open('program')
        profile = self.driver.find_element(By.ID, 'profilo')
        start = self.window_km()
        self.assertEqual(start[0], 0)
        self.wheel(profile, -400, x_offset=-200)
        narrower = self.wait_for_window_change(start)
        self.assertLess(narrower[1] - narrower[0], (start[1] - start[0]) * 0.9)
        self.assertIn(f'km {narrower[0]:.3f}'.replace('.', ','),
                      self.driver.find_element(By.ID, 'finestra').text)
        self.wheel(profile, 400, x_offset=-200)
        wider = self.wait_for_window_change(narrower)
        self.assertGreater(wider[1] - wider[0], narrower[1] - narrower[0])
        # The plan zooms on its own, leaving the window as it is.
        plan = self.driver.find_element(By.ID, 'pianta')
        before = plan.get_attribute('innerHTML')
        self.wheel(plan, -400)
        WebDriverWait(self.driver, 5).until(
            lambda d: plan.get_attribute('innerHTML') != before)
        self.assertEqual(self.window_km(), wider)

    def test_dragging_moves_the_window_and_keeps_its_width(self):
        self.open('program', '#km=5-9')
        profile = self.driver.find_element(By.ID, 'profilo')
        ActionChains(self.driver).move_to_element(profile).click_and_hold().move_by_offset(
            -300, 0).release().perform()
        moved = self.wait_for_window_change((5, 9))
        self.assertGreater(moved[0], 5)
        self.assertAlmostEqual(moved[1] - moved[0], 4, places=2)

    def test_the_pointer_is_marked_in_both_drawings(self):
        self.open('program')
        profile = self.driver.find_element(By.ID, 'profilo')
        ActionChains(self.driver).move_to_element_with_offset(profile, 0, 0).perform()
        WebDriverWait(self.driver, 5).until(
            lambda d: d.find_elements(By.CSS_SELECTOR, '#pianta .cursore'))
        self.assertTrue(self.driver.find_elements(By.CSS_SELECTOR, '#profilo .cursore'))
        readout = self.driver.find_element(By.ID, 'puntatore').text
        self.assertTrue(readout.startswith('Puntatore: km '), readout)
        # From the plan: over the first station's circle, which stands at metre 0.
        circle = self.driver.find_elements(By.CSS_SELECTOR, '#pianta circle.stazione-pianta')[0]
        ActionChains(self.driver).move_to_element(circle).perform()
        WebDriverWait(self.driver, 5).until(
            lambda d: d.find_element(By.ID, 'puntatore').text.startswith('Puntatore: km 0,0'))
        self.assertTrue(self.driver.find_elements(By.CSS_SELECTOR, '#profilo .cursore'))

    def test_choosing_a_diagnostic_moves_the_view_to_its_place(self):
        self.open('hostile')
        item = self.driver.find_element(By.CSS_SELECTOR, '#elenco li.avviso')
        self.assertEqual(item.get_attribute('data-metri'), '3000')
        self.assertIn('avviso: voce non riconosciuta', item.text)
        item.click()
        WebDriverWait(self.driver, 5).until(
            lambda d: abs(sum(self.window_km()) / 2 - 3) < 0.001)
        self.assertLessEqual(self.window_km()[1] - self.window_km()[0], 2.0001)
        self.assertTrue(self.driver.find_elements(By.CSS_SELECTOR, '#profilo .scelto'))

    def test_live_mode_redraws_new_data_and_keeps_the_window(self):
        page = PAGES['program']
        first, data = live_files(page['dir'], page['line'], page['train'], 'live-1')
        # The same line with one station renamed.
        changed = pathlib.Path(ARGS.work) / 'live-2'
        shutil.copytree(page['dir'], changed)
        train_file = changed / f"{page['line']}_{page['train']}-.txt"
        train_file.write_bytes(train_file.read_bytes().replace(b', Cavuzzo', b', Cavuzzo Nuova'))
        _, new_data = live_files(changed, page['line'], page['train'], 'live-2')
        server = live_server(first, data)
        try:
            self.driver.get('about:blank')
            self.driver.get_log('browser')
            self.driver.get_log('performance')
            self.driver.get(server.url + '#km=5-9')
            status = self.driver.find_element(By.ID, 'stato')
            WebDriverWait(self.driver, 10).until(lambda d: 'versione 1' in status.text)
            self.assertEqual(self.window_km(), (5, 9))
            names = "return Array.from(document.querySelectorAll('#profilo .nome-stazione'))" \
                    ".map((e) => e.textContent);"
            self.assertIn('Cavuzzo', self.driver.execute_script(names))
            server.data = new_data
            server.version = 2
            WebDriverWait(self.driver, 10).until(lambda d: 'versione 2' in status.text)
            self.assertIn('Cavuzzo Nuova', self.driver.execute_script(names))
            self.assertEqual(self.window_km(), (5, 9))
            self.assertEqual(self.console_errors(), [])
            for url in self.requested_urls():
                self.assertTrue(url.split('#')[0] in (server.url, server.url + 'versione',
                                                      server.url + 'dati'), url)
            self.assertIn('/versione', server.paths)
        finally:
            server.stop()
        WebDriverWait(self.driver, 10).until(
            lambda d: 'non raggiungibile' in d.find_element(By.ID, 'stato').text)
        self.assertEqual(self.window_km(), (5, 9))

    def test_live_mode_keeps_showing_the_whole_of_a_new_line(self):
        """A first view left as it is follows new data: the window and the plan show the whole
        of the new line, here one of 22 km after one of 5."""
        short = PAGES['breve']
        first, data = live_files(short['dir'], short['line'], short['train'], 'live-breve')
        longer = PAGES['program']
        _, new_data = live_files(longer['dir'], longer['line'], longer['train'], 'live-program')
        server = live_server(first, data)
        try:
            self.driver.get('about:blank')
            self.driver.get(server.url)
            WebDriverWait(self.driver, 10).until(
                lambda d: 'versione 1' in d.find_element(By.ID, 'stato').text)
            self.assertEqual(self.window_km(), (0, json.loads(data)['fine'] / 1000))
            server.data = new_data
            server.version = 2
            WebDriverWait(self.driver, 10).until(
                lambda d: 'versione 2' in d.find_element(By.ID, 'stato').text)
            new = json.loads(new_data)
            WebDriverWait(self.driver, 5).until(
                lambda d: self.window_km() == (0, new['fine'] / 1000))
            self.assertTrue(self.driver.find_element(By.ID, 'finestra').text.startswith(
                'Finestra: da km 0,000 a km 22,000 '))
            self.assert_whole_plan(new['pianta'])
        finally:
            server.stop()

    def test_labels_never_overlap_and_every_station_can_be_named(self):
        self.open('synthetic')
        labels = self.assert_labels_apart('whole line')
        self.assertTrue(any(label['text'].startswith('Fermata') for label in labels))
        profile = self.driver.find_element(By.ID, 'profilo')
        before = self.window_km()
        for turn in range(6):
            self.wheel(profile, -300, x_offset=100)
            before = self.wait_for_window_change(before)
            self.assert_labels_apart(f'after {turn + 1} turns of the wheel')
        stations = self.data()['stazioni']
        self.assertGreater(len(stations), 20)
        for station in stations:
            centre = station['c'] / 1000
            self.driver.execute_script('location.hash = arguments[0]',
                                       f'#km={centre - 0.8:.3f}-{centre + 0.8:.3f}')
            WebDriverWait(self.driver, 5).until(
                lambda d: abs(sum(self.window_km()) / 2 - centre) < 0.01)
            named = self.driver.execute_script(
                "return Array.from(document.querySelectorAll('#profilo .nome-stazione'))"
                ".some((e) => e.textContent === arguments[0]);", station['nome'])
            self.assertTrue(named, f"{station['nome']} is never named")
        self.assert_labels_apart('zoomed on the last station')

    def test_the_address_opens_a_window(self):
        cases = (('#km=12.5-18', (12.5, 18)), ('#km=3,25-4', (3.25, 4)),
                 ('?da=2&a=5', (2, 5)), ('#da=7&a=9.5', (7, 9.5)))
        for fragment, expected in cases:
            with self.subTest(address=fragment):
                self.open('program', fragment)
                self.assertEqual(self.window_km(), expected)
                caption = self.driver.find_element(By.ID, 'finestra').text
                self.assertIn(f'da km {expected[0]:.3f}'.replace('.', ','), caption)
                self.assertIn(f'a km {expected[1]:.3f}'.replace('.', ','), caption)
                kilometres = self.driver.execute_script(
                    "return Array.from(document.querySelectorAll('#profilo .km'))"
                    ".map((e) => e.textContent);")
                self.assertTrue(kilometres)
                for label in kilometres:
                    value = float(label.replace(',', '.'))
                    self.assertTrue(expected[0] <= value <= expected[1], label)

    def assert_whole_plan(self, plan=None):
        """Every point of the plan (the page's own, or these [metre, east, north]), route and
        run-off, lies inside the drawing with a margin, north up at one scale on both axes, and
        the plan fills the drawing on one axis."""
        margin = 10
        seen = self.driver.execute_script(PLAN_DRAWN)
        if plan is not None:
            seen['plan'] = plan
        width, height = seen['width'], seen['height']
        self.assertGreater(len(seen['plan']), 2)
        for x, y, cls in seen['drawn']:
            self.assertTrue(margin <= x <= width - margin and margin <= y <= height - margin,
                            f'{cls} point ({x}, {y}) outside the drawing of {width} x {height} '
                            f'less {margin} px')
        xs = [point[0] for point in seen['drawn']]
        ys = [point[1] for point in seen['drawn']]
        east = [point[1] for point in seen['plan']]
        north = [point[2] for point in seen['plan']]
        # The drawn box is the plan's box through one scale, north up, from the first point; so
        # is the last point of the run-off.
        x0, y0 = seen['plan'][0][1], seen['plan'][0][2]
        first_x, first_y = seen['first']
        if max(east) - min(east) >= max(north) - min(north):
            scale = (max(xs) - min(xs)) / (max(east) - min(east))
        else:
            scale = (max(ys) - min(ys)) / (max(north) - min(north))

        def at(e, n):
            return first_x + scale * (e - x0), first_y - scale * (n - y0)

        expected = (at(min(east), max(north)), at(max(east), min(north)),
                    at(seen['plan'][-1][1], seen['plan'][-1][2]))
        got = ((min(xs), min(ys)), (max(xs), max(ys)), tuple(seen['last']))
        for (got_x, got_y), (want_x, want_y) in zip(got, expected):
            self.assertAlmostEqual(got_x, want_x, delta=2)
            self.assertAlmostEqual(got_y, want_y, delta=2)
        self.assertGreater(max((max(xs) - min(xs)) / width, (max(ys) - min(ys)) / height), 0.6,
                           'the plan is drawn too small to fit its drawing')

    def test_the_first_view_fits_the_whole_plan(self):
        """A long winding line, a short one whose run-off is longer than its route, and the
        program's line: each page first shows the whole plan."""
        for what in ('winding', 'breve', 'program'):
            with self.subTest(page=what):
                self.open(what)
                self.assert_whole_plan()

    def test_the_window_figures_count_the_route_only(self):
        """A 5 km line: the window's figures read its route, km 0 to 5 at first, and the run-off
        after it apart, as how far the window runs past the end; each window's link opens it
        again; the kilometre axis and the pointer's reading never count the run-off as route."""
        self.open('breve')
        data = self.data()
        self.assertEqual(data['percorso'], 5000)
        past = ' km oltre la fine del percorso'
        run_off = km_words((data['fine'] - data['percorso']) / 1000)
        end = data['fine'] / 1000
        cases = (('', 'da km 0,000 a km 5,000 (5,000 km)', f'+ {run_off}{past}'),
                 ('#km=1-3', 'da km 1,000 a km 3,000 (2,000 km)', ''),
                 ('#km=4-8', 'da km 4,000 a km 5,000 (1,000 km)', f'+ 3,000{past}'),
                 (f'#km=5-{end}', '', f'da 0,000 a {run_off}{past}'),
                 (f'#km=0-{end}', 'da km 0,000 a km 5,000 (5,000 km)', f'+ {run_off}{past}'))
        for fragment, route, beyond in cases:
            with self.subTest(address=fragment):
                expected = 'Finestra: ' + ' '.join(part for part in (route, beyond) if part)
                self.open('breve', fragment)
                caption = self.driver.find_element(By.ID, 'finestra')
                self.assertEqual(caption.text, expected)
                apart = caption.find_elements(By.CLASS_NAME, 'oltre-fine')
                self.assertEqual([e.text for e in apart], [beyond] if beyond else [])
                link = self.driver.find_element(By.ID, 'collegamento').get_attribute('href')
                window = self.window_km()
                self.open('breve', '#' + link.split('#', 1)[1])
                self.assertEqual(self.window_km(), window)
                self.assertEqual(self.driver.find_element(By.ID, 'finestra').text, expected)

        self.open('breve')
        for label in self.driver.execute_script(
                "return Array.from(document.querySelectorAll('#profilo .km'))"
                ".map((e) => e.textContent);"):
            self.assertTrue(label.startswith('+') or float(label.replace(',', '.')) <= 5, label)
        strip = self.driver.find_element(By.CSS_SELECTOR, '#profilo rect.dopo-percorso')
        ActionChains(self.driver).move_to_element(strip).perform()
        readout = self.driver.find_element(By.ID, 'puntatore')
        WebDriverWait(self.driver, 5).until(lambda d: readout.text)
        self.assertTrue(readout.text.startswith('Puntatore: ') and readout.text.endswith(past),
                        readout.text)
        beyond_km = float(readout.text[len('Puntatore: '):-len(past)].replace(',', '.'))
        self.assertTrue(0 < beyond_km <= (data['fine'] - data['percorso']) / 1000, readout.text)

    def test_screenshots(self):
        target = os.environ.get('SCENARIO_VIEW_SCREENSHOTS')
        if not target:
            self.skipTest('SCENARIO_VIEW_SCREENSHOTS not set')
        pathlib.Path(target).mkdir(parents=True, exist_ok=True)
        for what, fragment, name in (('program', '', 'linea-intera'),
                                     ('program', '#km=1.6-4.4', 'linea-zoom'),
                                     ('synthetic', '', 'sintetico-intero'),
                                     ('synthetic', '#km=17-24', 'sintetico-zoom'),
                                     ('winding', '', 'tortuoso-intero'),
                                     ('breve', '', 'breve-intero')):
            self.open(what, fragment)
            time.sleep(0.3)
            self.driver.save_screenshot(str(pathlib.Path(target) / f'{name}.png'))


def main():
    global ARGS
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--tool', required=True)
    parser.add_argument('--fixtures', required=True)
    parser.add_argument('--work', required=True)
    ARGS, rest = parser.parse_known_args()
    BrowserTest.work = ARGS.work
    browser_programs()
    make_pages()
    unittest.main(argv=[sys.argv[0], '-v'] + rest)


if __name__ == '__main__':
    main()
