// The plan of the line, north up and one scale on both axes: the route, the run-off after it
// dashed, the stretch in the profile's window highlighted, stations with their names, signals,
// kilometre marks, a scale bar and a north arrow. It first shows every point of the plan, and
// has its own zoom and pan; the pointer's place is marked in both drawings.

const PLAN_HEIGHT = 300;
const PLAN_MAX_SCALE = 5;  // pixels per metre

// The point at metre m of the thinned plan [[metre, east, north], ...], between its points.
function plan_at(points, m) {
  const i = lower_bound(points, m, (p) => p[0]);
  if (i === 0) return {x: points[0][1], y: points[0][2]};
  if (i >= points.length) {
    const last = points[points.length - 1];
    return {x: last[1], y: last[2]};
  }
  const a = points[i - 1];
  const b = points[i];
  const t = b[0] === a[0] ? 0 : (m - a[0]) / (b[0] - a[0]);
  return {x: a[1] + (b[1] - a[1]) * t, y: a[2] + (b[2] - a[2]) * t};
}

// The points from metre `from` to metre `to`, the two ends included.
function plan_stretch(points, from, to) {
  if (to < from) return [];
  const out = [plan_at(points, from)];
  for (let i = lower_bound(points, from, (p) => p[0]); i < points.length && points[i][0] < to;
    ++i) {
    if (points[i][0] > from) out.push({x: points[i][1], y: points[i][2]});
  }
  out.push(plan_at(points, to));
  return out;
}

// The margins a fitted view leaves on each side, in pixels: clear of the north arrow in the top
// right corner and of the scale bar along the bottom.
const PLAN_MARGIN_X = 60;
const PLAN_MARGIN_Y = 35;

// The view {scale, cx, cy} that shows points [{x, y}] whole within the margins, north up and
// one scale on both axes.
function plan_fit_points(stretch, width, height) {
  let x0 = Infinity;
  let x1 = -Infinity;
  let y0 = Infinity;
  let y1 = -Infinity;
  for (const p of stretch) {
    x0 = Math.min(x0, p.x), x1 = Math.max(x1, p.x);
    y0 = Math.min(y0, p.y), y1 = Math.max(y1, p.y);
  }
  const scale = Math.min((width - 2 * PLAN_MARGIN_X) / Math.max(x1 - x0, 1),
    (height - 2 * PLAN_MARGIN_Y) / Math.max(y1 - y0, 1), PLAN_MAX_SCALE);
  return {scale, cx: (x0 + x1) / 2, cy: (y0 + y1) / 2};
}

// The view that shows the stretch from..to whole.
function plan_fit(points, from, to, width, height) {
  return plan_fit_points(plan_stretch(points, from, to), width, height);
}

// The view that shows every point of the plan, the route and the run-off after it: a long
// winding route may wander anywhere, and its run-off may leave the route's box.
function plan_fit_whole(points, width, height) {
  return plan_fit_points(points.map((p) => ({x: p[1], y: p[2]})), width, height);
}

function plan_frame(view, width, height) {
  const p = view.plan;
  return {
    width,
    height,
    sx: (x) => width / 2 + (x - p.cx) * p.scale,
    sy: (y) => height / 2 - (y - p.cy) * p.scale,
    world: (px, py) => ({x: p.cx + (px - width / 2) / p.scale, y: p.cy - (py - height / 2) / p.scale}),
  };
}

// The points of a polyline through the plan from metre `from` to metre `to`, leaving out points
// less than a pixel from the one before; null for no stretch. It walks the plan's own points:
// the whole plan of the longest route has tens of thousands, too many to copy on every turn of
// the wheel.
function plan_polyline_points(points, from, to, f) {
  if (to < from) return null;
  const out = [];
  let last = null;
  const add = (x, y, always) => {
    if (last && !always && Math.abs(x - last.x) + Math.abs(y - last.y) < 1) return;
    last = {x, y};
    out.push(x.toFixed(1) + ',' + y.toFixed(1));
  };
  const start = plan_at(points, from);
  add(f.sx(start.x), f.sy(start.y), true);
  for (let i = lower_bound(points, from, (p) => p[0]); i < points.length && points[i][0] < to;
    ++i) {
    if (points[i][0] > from) add(f.sx(points[i][1]), f.sy(points[i][2]), false);
  }
  const end = plan_at(points, to);
  add(f.sx(end.x), f.sy(end.y), true);
  return out.join(' ');
}

function plan_polyline(points, from, to, f, cls, g) {
  const shown = plan_polyline_points(points, from, to, f);
  return shown === null ? null : svg_el('polyline', {points: shown, class: cls}, g);
}

// The stretch of the profile's window on the plan.
function plan_window(view, points) {
  const last = points[points.length - 1][0];
  return [view.track.m(view.u0), Math.min(view.track.m(view.u1), last)];
}

// The unit vector to the right of travel at metre m, in page pixels (y down).
function plan_right(points, m) {
  const a = plan_at(points, m - 10);
  const b = plan_at(points, m + 10);
  const dx = b.x - a.x;
  const dy = b.y - a.y;
  const length = Math.hypot(dx, dy) || 1;
  return {x: dy / length, y: dx / length};
}

function draw_scale_and_north(g, labels, f, scale) {
  const metres = nice_step(scale, 60);
  const bar = metres * scale;
  const x = 14;
  const y = f.height - 16;
  svg_el('rect', {x, y: y - 3, width: bar, height: 4, class: 'barra-scala'}, g);
  labels.place(metres >= 1000 ? fmt_short(metres / 1000) + ' km' : fmt_short(metres) + ' m', 11,
    [{x: x + bar + 6, y: y - 1, anchor: 'start'}], 'scala');
  const nx = f.width - 24;
  svg_el('path', {d: `M${nx},12l7,20l-7,-5l-7,5z`, class: 'nord'}, g);
  labels.place('N', 12, [{x: nx, y: 42, anchor: 'middle'}], 'nord');
}

function draw_plan_stations(view, g, labels, f) {
  const points = view.data.pianta;
  for (const s of view.data.stazioni) {
    const at = plan_at(points, s.c);
    const dot = svg_el('circle', {cx: f.sx(at.x), cy: f.sy(at.y), r: 5, class: 'stazione-pianta'},
      g);
    set_tip(dot, () => station_tip(view.data, s));
    labels.reserve({x: f.sx(at.x) - 6, y: f.sy(at.y) - 6, w: 12, h: 12});
  }
  for (const s of view.data.stazioni) {
    const at = plan_at(points, s.c);
    const x = f.sx(at.x);
    const y = f.sy(at.y);
    const right = plan_right(points, s.c);
    const side = right.x >= 0 ? 1 : -1;
    const label = labels.place(s.nome, 11, [
      {x: x + right.x * 10, y: y + right.y * 10, anchor: right.x >= 0 ? 'start' : 'end'},
      {x: x - right.x * 10, y: y - right.y * 10, anchor: right.x >= 0 ? 'end' : 'start'},
      {x: x + 8 * side, y: y - 12, anchor: side > 0 ? 'start' : 'end'},
      {x: x - 8 * side, y: y + 12, anchor: side > 0 ? 'end' : 'start'},
      {x, y: y - 14, anchor: 'middle'},
      {x, y: y + 14, anchor: 'middle'},
    ], 'nome-stazione');
    if (label) {
      label.setAttribute('data-nome', s.nome);
      set_tip(label, () => station_tip(view.data, s));
    }
  }
}

function draw_plan_km(view, g, labels, f) {
  const points = view.data.pianta;
  const scale = view.plan.scale;
  const step = Math.max(1, nice_step(scale * 1000, 40));
  const route_km = view.track.route / 1000;
  for (let km = 0; km <= route_km + 1e-9; km += step) {
    const at = plan_at(points, km * 1000);
    const right = plan_right(points, km * 1000);
    const x = f.sx(at.x);
    const y = f.sy(at.y);
    if (x < 0 || y < 0 || x > f.width || y > f.height) continue;
    svg_el('line', {x1: x - right.x * 6, y1: y - right.y * 6, x2: x + right.x * 6,
      y2: y + right.y * 6, class: 'tacca-km'}, g);
    labels.place('km ' + fmt_short(km), 10, [
      {x: x - right.x * 12, y: y - right.y * 12, anchor: right.x >= 0 ? 'end' : 'start'},
      {x: x + right.x * 12, y: y + right.y * 12, anchor: right.x >= 0 ? 'start' : 'end'},
    ], 'km');
  }
}

// Draws the plan, `available` pixels wide, for view {plan_svg, data, track, u0, u1, plan,
// plan_target, plan_whole, pointer_m, chosen_m}: with no plan view yet, the view fits the
// window's stretch when plan_target asks for it, else the whole plan. Returns the frame and the
// group of the cursors, or null when there is no geometry.
//
// The plan is drawn afresh only when what it shows changes (the data, its view or its width):
// a new window of the profile, at every turn of the wheel over it, moves only the highlight of
// the window's stretch.
function draw_plan(view, available) {
  const svg = view.plan_svg;
  const width = Math.max(320, available);
  const before = view.plan_drawn;
  if (before && before.data === view.data && before.plan === view.plan &&
      before.width === width) {
    const [m0, m1] = plan_window(view, view.data.pianta);
    const shown = plan_polyline_points(view.data.pianta, m0, m1, before.frame);
    if (shown !== null && before.window) {
      before.window.setAttribute('points', shown);
      plan_cursors(before, view);
      return before;
    }
  }
  clear(svg);
  svg.setAttribute('width', width);
  svg.setAttribute('height', PLAN_HEIGHT);
  svg.setAttribute('viewBox', `0 0 ${width} ${PLAN_HEIGHT}`);
  const points = view.data.pianta;
  const labels = new label_layer(null, {x: 0, y: 0, w: width, h: PLAN_HEIGHT});
  const marks = svg_el('g', {}, svg);
  labels.group = svg_el('g', {class: 'etichette'}, svg);
  const front = svg_el('g', {class: 'cursori'}, svg);
  if (points.length < 2) {
    labels.place('geometria non disponibile', 13,
      [{x: width / 2, y: PLAN_HEIGHT / 2, anchor: 'middle'}], 'avviso-vuoto');
    return null;
  }
  if (!view.plan) {
    view.plan = view.plan_target
      ? plan_fit(points, view.plan_target[0], view.plan_target[1], width, PLAN_HEIGHT)
      : plan_fit_whole(points, width, PLAN_HEIGHT);
    view.plan_whole = !view.plan_target;
    view.plan_target = null;
  }
  const f = plan_frame(view, width, PLAN_HEIGHT);
  const last = points[points.length - 1][0];
  const route = Math.min(view.track.route, last);
  plan_polyline(points, route, last, f, 'dopo-percorso-pianta', marks);
  plan_polyline(points, 0, route, f, 'binario', marks);
  const [m0, m1] = plan_window(view, points);
  const window_line = plan_polyline(points, m0, m1, f, 'finestra-pianta', marks);
  let last_dot = null;
  for (const e of view.data.elementi) {
    if (e.tipo !== 1) continue;
    const at = plan_at(points, e.m);
    const x = f.sx(at.x);
    const y = f.sy(at.y);
    if (x < -5 || y < -5 || x > width + 5 || y > PLAN_HEIGHT + 5) continue;
    // Of dots that would cover each other, the first: the whole longest route has thousands.
    if (last_dot && Math.hypot(x - last_dot.x, y - last_dot.y) < 5) continue;
    last_dot = {x, y};
    const dot = svg_el('circle', {cx: x, cy: y, r: 2.5, class: 'segnale'}, marks);
    set_tip(dot, () => element_tip(view.data, e));
  }
  draw_scale_and_north(marks, labels, f, view.plan.scale);
  draw_plan_stations(view, marks, labels, f);
  draw_plan_km(view, marks, labels, f);
  const drawn = {frame: f, front, data: view.data, plan: view.plan, width, window: window_line};
  plan_cursors(drawn, view);
  return drawn;
}

// The pointer's place and the chosen diagnostic's, redrawn alone while the pointer moves.
function plan_cursors(drawn, view) {
  clear(drawn.front);
  const f = drawn.frame;
  for (const [m, cls] of [[view.chosen_m, 'scelto'], [view.pointer_m, 'cursore']]) {
    if (m === null) continue;
    const at = plan_at(view.data.pianta, m);
    svg_el('circle', {cx: f.sx(at.x), cy: f.sy(at.y), r: 8, class: cls}, drawn.front);
  }
}

// The metre of the track nearest the page point (px, py), when it is within 25 pixels.
function plan_metre_at(view, f, px, py) {
  const points = view.data.pianta;
  const w = f.world(px, py);
  let best = null;
  let best_distance = 25 / view.plan.scale;
  for (let i = 1; i < points.length; ++i) {
    const a = points[i - 1];
    const b = points[i];
    const dx = b[1] - a[1];
    const dy = b[2] - a[2];
    const length2 = dx * dx + dy * dy;
    const t = length2 > 0 ? clamp(((w.x - a[1]) * dx + (w.y - a[2]) * dy) / length2, 0, 1) : 0;
    const d = Math.hypot(w.x - (a[1] + t * dx), w.y - (a[2] + t * dy));
    if (d < best_distance) {
      best_distance = d;
      best = a[0] + t * (b[0] - a[0]);
    }
  }
  return best;
}
