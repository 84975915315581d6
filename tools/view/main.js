// The page's state and its events: the kilometre window of the profile (from the address, the
// wheel, dragging, the buttons and the diagnostics), the plan's own zoom and pan, the pointer's
// place marked in both drawings, the tooltip, and in live mode the polling of the server.

const MIN_SPAN = 100;  // metres of the track axis in the window at the deepest zoom
const POLL_MILLISECONDS = 500;

const view = {
  data: null,
  track: null,
  u0: 0,
  u1: 1,
  svg: document.getElementById('profilo'),
  plan_svg: document.getElementById('pianta'),
  plan: null,
  plan_target: null,
  plan_whole: false,  // the plan shows every point as fitted, not yet zoomed nor moved
  pointer_m: null,
  chosen_m: null,
  diagnostic_places: [],
  profile_drawn: null,
  plan_drawn: null,
};

function set_window(u0, u1) {
  const total = view.track.span;
  const span = clamp(u1 - u0, Math.min(MIN_SPAN, total), total);
  const middle = (u0 + u1) / 2;
  const start = clamp(middle - span / 2, 0, total - span);
  view.u0 = start;
  view.u1 = start + span;
}

function window_metres() {
  return [view.track.m(view.u0), view.track.m(view.u1)];
}

function show_metres(from, to) {
  set_window(view.track.u(Math.min(from, to)), view.track.u(Math.max(from, to)));
}

// A number of kilometres as an address may write it: "12.5" or "12,5".
function km_number(text) {
  if (text === null || !/^\s*[0-9]+([.,][0-9]*)?\s*$/.test(text)) return null;
  return parseFloat(text.replace(',', '.'));
}

// The kilometre window the address asks for: "#km=12.5-18", or "?da=12.5&a=18" (also after #).
function address_window() {
  let hash = location.hash.slice(1);
  try {
    hash = decodeURIComponent(hash);
  } catch (e) {
    // A malformed escape: the hash is read as it stands.
  }
  const range = /(?:^|&)km=([0-9.,]+)-([0-9.,]+)/.exec(hash);
  if (range) {
    const from = km_number(range[1]);
    const to = km_number(range[2]);
    if (from !== null && to !== null) return [from * 1000, to * 1000];
  }
  for (const query of [location.search.slice(1), hash]) {
    const params = new URLSearchParams(query);
    if (!params.has('da') && !params.has('a')) continue;
    const from = params.has('da') ? km_number(params.get('da')) : 0;
    const to = params.has('a') ? km_number(params.get('a')) : view.track.end / 1000;
    if (from !== null && to !== null) return [from * 1000, to * 1000];
  }
  return null;
}

// The window's figures count the route only: the part of the window past the route's end is
// written apart, as how far it runs past the end. The address and the data attributes keep the
// metres of the track, run-off included, so that any window can be linked.
function caption_words(m0, m1) {
  const track = view.track;
  const route = track.end > track.route ? track.route : Infinity;
  const words = {route: '', beyond: ''};
  if (m0 < route) {
    const to = Math.min(m1, route);
    words.route = 'da ' + fmt_km(m0) + ' a ' + fmt_km(to) + ' (' + fmt((to - m0) / 1000, 3) +
      ' km)';
  }
  if (m1 > route) {
    words.beyond = m0 < route ? '+ ' + fmt_beyond(m1 - route) + ' ' + RUN_OFF_WORDS
      : 'da ' + fmt((m0 - route) / 1000, 3) + ' a ' + fmt_beyond(m1 - route) + ' ' +
        RUN_OFF_WORDS;
  }
  return words;
}

function update_caption() {
  const [m0, m1] = window_metres().map(Math.round);
  const caption = document.getElementById('finestra');
  const words = caption_words(m0, m1);
  clear(caption);
  caption.appendChild(document.createTextNode('Finestra: ' + words.route +
    (words.route && words.beyond ? ' ' : '')));
  if (words.beyond) html_el('span', 'oltre-fine', words.beyond, caption);
  const from = String(m0 / 1000);
  const to = String(m1 / 1000);
  caption.setAttribute('data-da-km', from);
  caption.setAttribute('data-a-km', to);
  document.getElementById('collegamento').setAttribute('href', '#km=' + from + '-' + to);
}

function update_pointer_readout() {
  const readout = document.getElementById('puntatore');
  readout.textContent = view.pointer_m === null ? ''
    : 'Puntatore: ' + fmt_place(view.track.route, view.track.end, view.pointer_m);
}

// Both widths are read before either drawing changes: a width read after a change would make
// the browser lay out the whole page again first.
function draw_now() {
  const profile_width = view.svg.parentNode.clientWidth;
  const plan_width = view.plan_svg.parentNode.clientWidth;
  view.profile_drawn = draw_profile(view, profile_width);
  view.plan_drawn = draw_plan(view, plan_width);
  update_caption();
}

let redraw_pending = false;
function redraw() {
  if (redraw_pending) return;
  redraw_pending = true;
  requestAnimationFrame(() => {
    redraw_pending = false;
    draw_now();
  });
}

function move_cursors() {
  if (view.profile_drawn) profile_cursors(view.profile_drawn, view);
  if (view.plan_drawn) plan_cursors(view.plan_drawn, view);
  update_pointer_readout();
}

// The plan on the stretch in the window.
function fit_plan_to_window() {
  view.plan = null;
  view.plan_target = window_metres();
}

function go_to(metres) {
  const span = Math.min(view.u1 - view.u0, 2000);
  const u = view.track.u(metres);
  set_window(u - span / 2, u + span / 2);
  view.chosen_m = metres;
  fit_plan_to_window();
  redraw();
}

function whole_window() {
  return view.u0 <= 0 && view.u1 >= view.track.span;
}

// Everything the page shows, from a data document; `keep` holds the window and the plan's view.
// A window or a plan that showed the whole line goes on showing the whole of the new one.
function apply_data(data, keep) {
  const old = keep && view.track ? window_metres() : null;
  const was_whole = old !== null && whole_window();
  view.data = data;
  view.track = make_track(data);
  view.diagnostic_places = diagnostic_places(data.diagnostica);
  document.title = data.titolo + ' \u2014 scenario-tool view';
  document.getElementById('titolo').textContent = data.titolo;
  draw_diagnostics(data.diagnostica, go_to,
    (m) => fmt_place(view.track.route, view.track.end, m));
  if (old) {
    if (was_whole) set_window(0, view.track.span); else show_metres(old[0], old[1]);
    if (view.plan_whole) view.plan = null;
    return;
  }
  view.plan = null;
  const asked = address_window();
  if (asked) {
    show_metres(asked[0], asked[1]);
    view.plan_target = window_metres();
  } else {
    set_window(0, view.track.span);
  }
}

// A wheel's turn as a factor of the span: down (or towards you) widens, up narrows.
function wheel_factor(event) {
  const unit = event.deltaMode === 1 ? 16 : event.deltaMode === 2 ? 400 : 1;
  return clamp(Math.exp(event.deltaY * unit * 0.002), 0.25, 4);
}

function pointer_tip(event, metres) {
  const tip = tip_of(event.target);
  if (tip && metres !== null) tooltip.show(tip, metres, event.clientX, event.clientY);
  else tooltip.hide();
}

function profile_events() {
  const svg = view.svg;
  let drag = null;
  const plot_x = (event) => event.clientX - svg.getBoundingClientRect().left;
  const plot = () => view.profile_drawn.layout;
  svg.addEventListener('wheel', (event) => {
    event.preventDefault();
    const layout = plot();
    const x = clamp(plot_x(event), layout.left, layout.right);
    const at = view.u0 + (x - layout.left) / (layout.right - layout.left) * (view.u1 - view.u0);
    const factor = wheel_factor(event);
    set_window(at - (at - view.u0) * factor, at + (view.u1 - at) * factor);
    redraw();
  }, {passive: false});
  svg.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    drag = {x: event.clientX, u0: view.u0, u1: view.u1, moved: false};
    svg.setPointerCapture(event.pointerId);
  });
  svg.addEventListener('pointermove', (event) => {
    const layout = plot();
    if (drag) {
      const dx = event.clientX - drag.x;
      if (Math.abs(dx) > 2) drag.moved = true;
      if (drag.moved) {
        const du = -dx / (layout.right - layout.left) * (drag.u1 - drag.u0);
        set_window(drag.u0 + du, drag.u1 + du);
        tooltip.hide();
        redraw();
        return;
      }
    }
    const x = plot_x(event);
    view.pointer_m = x >= layout.left && x <= layout.right
      ? view.profile_drawn.frame.metre_at(x) : null;
    move_cursors();
    pointer_tip(event, view.pointer_m);
  });
  const end_drag = () => {
    drag = null;
  };
  svg.addEventListener('pointerup', end_drag);
  svg.addEventListener('pointercancel', end_drag);
  svg.addEventListener('pointerleave', () => {
    view.pointer_m = null;
    move_cursors();
    tooltip.hide();
  });
}

function plan_events() {
  const svg = view.plan_svg;
  let drag = null;
  const page_point = (event) => {
    const rect = svg.getBoundingClientRect();
    return {x: event.clientX - rect.left, y: event.clientY - rect.top};
  };
  svg.addEventListener('wheel', (event) => {
    if (!view.plan_drawn) return;
    event.preventDefault();
    const p = page_point(event);
    const f = view.plan_drawn.frame;
    const world = f.world(p.x, p.y);
    const scale = clamp(view.plan.scale / wheel_factor(event), 1e-5, PLAN_MAX_SCALE);
    view.plan_whole = false;
    view.plan = {
      scale,
      cx: world.x - (p.x - f.width / 2) / scale,
      cy: world.y + (p.y - f.height / 2) / scale,
    };
    redraw();
  }, {passive: false});
  svg.addEventListener('pointerdown', (event) => {
    if (event.button !== 0 || !view.plan_drawn) return;
    drag = {x: event.clientX, y: event.clientY, cx: view.plan.cx, cy: view.plan.cy};
    svg.setPointerCapture(event.pointerId);
  });
  svg.addEventListener('pointermove', (event) => {
    if (!view.plan_drawn) return;
    if (drag) {
      const scale = view.plan.scale;
      view.plan_whole = false;
      view.plan = {scale, cx: drag.cx - (event.clientX - drag.x) / scale,
        cy: drag.cy + (event.clientY - drag.y) / scale};
      tooltip.hide();
      redraw();
      return;
    }
    const p = page_point(event);
    view.pointer_m = plan_metre_at(view, view.plan_drawn.frame, p.x, p.y);
    move_cursors();
    pointer_tip(event, view.pointer_m === null ? 0 : view.pointer_m);
  });
  const end_drag = () => {
    drag = null;
  };
  svg.addEventListener('pointerup', end_drag);
  svg.addEventListener('pointercancel', end_drag);
  svg.addEventListener('pointerleave', () => {
    view.pointer_m = null;
    move_cursors();
    tooltip.hide();
  });
}

function button_events() {
  const zoom = (factor) => {
    const middle = (view.u0 + view.u1) / 2;
    const half = (view.u1 - view.u0) * factor / 2;
    set_window(middle - half, middle + half);
    redraw();
  };
  document.getElementById('tutta').addEventListener('click', () => {
    set_window(0, view.track.span);
    view.plan = null;
    view.plan_target = null;
    redraw();
  });
  document.getElementById('stringi').addEventListener('click', () => zoom(0.5));
  document.getElementById('allarga').addEventListener('click', () => zoom(2));
  document.getElementById('pianta-finestra').addEventListener('click', () => {
    fit_plan_to_window();
    redraw();
  });
  window.addEventListener('hashchange', () => {
    const asked = address_window();
    if (!asked) return;
    show_metres(asked[0], asked[1]);
    redraw();
  });
  window.addEventListener('resize', redraw);
}

// Live mode: the server's "versione" is polled; when it changes, "dati" is fetched and drawn
// with the window kept.
function poll_server() {
  const status = document.getElementById('stato');
  let version = null;
  let busy = false;
  setInterval(async () => {
    if (busy) return;
    busy = true;
    try {
      const answer = await fetch('versione', {cache: 'no-store'});
      if (!answer.ok) throw new Error(String(answer.status));
      const current = (await answer.text()).trim();
      if (current !== version) {
        const fresh = await fetch('dati', {cache: 'no-store'});
        if (!fresh.ok) throw new Error(String(fresh.status));
        apply_data(await fresh.json(), true);
        version = current;
        redraw();
      }
      status.textContent = 'In ascolto: versione ' + version;
      status.className = 'in-ascolto';
    } catch (error) {
      status.textContent = 'Server non raggiungibile: la pagina mostra l\u2019ultima versione';
      status.className = 'scollegato';
    } finally {
      busy = false;
    }
  }, POLL_MILLISECONDS);
}

function start() {
  tooltip.box = document.getElementById('suggerimento');
  apply_data(JSON.parse(document.getElementById('dati').textContent), false);
  draw_now();
  // When the first view was ready, for the measures of the page's speed.
  performance.mark('scenario-view-drawn');
  profile_events();
  plan_events();
  button_events();
  if (document.body.getAttribute('data-live') === '1') poll_server();
}

start();
