// The profile along the kilometres, for the window of the track axis the page shows: stations
// and platforms; signals, boards, signs and value marks; curves; speed limit, slow orders and
// the speed to keep; gradients and the elevation they give; the kilometre axis. Everything is
// drawn afresh on every change of the window, labels included.

const PROFILE_LEFT = 104;
const PROFILE_RIGHT = 16;
const PROFILE_LANES = [
  ['stazioni', ['Stazioni'], 72],
  ['elementi', ['Segnali e', 'cartelli'], 104],
  ['curve', ['Curve'], 36],
  ['velocita', ['Velocità', '(km/h)'], 136],
  ['pendenza', ['Pendenza', '(‰)'], 92],
  ['quota', ['Quota', '(m)'], 92],
  ['asse', ['Progressiva', '(km)'], 46],
];

function profile_layout(width) {
  const lanes = {};
  let y = 4;
  for (const [id, title, height] of PROFILE_LANES) {
    lanes[id] = {top: y, bottom: y + height, title};
    y += height + 6;
  }
  return {left: PROFILE_LEFT, right: width - PROFILE_RIGHT, width, height: y, lanes};
}

// The frame of one drawing: the window in metres and how metres become pixels.
function profile_frame(view, layout) {
  const track = view.track;
  const u0 = view.u0;
  const scale = (layout.right - layout.left) / (view.u1 - view.u0);
  return {
    left: layout.left,
    right: layout.right,
    m0: track.m(view.u0),
    m1: track.m(view.u1),
    x: (m) => layout.left + (track.u(m) - u0) * scale,
    metre_at: (x) => track.m(u0 + (x - layout.left) / scale),
  };
}

// A value axis in a lane: grid lines, tick labels in the left margin, and the y of a value.
function value_axis(g, labels, layout, lane, low, high, min_gap) {
  const top = lane.top + 8;
  const bottom = lane.bottom - 6;
  const y = (v) => bottom - (clamp(v, low, high) - low) / (high - low) * (bottom - top);
  const step = nice_step((bottom - top) / (high - low), min_gap);
  for (let v = Math.ceil(low / step) * step; v <= high + 1e-9; v += step) {
    const value = Math.abs(v) < 1e-9 ? 0 : v;
    svg_el('line', {x1: layout.left, x2: layout.right, y1: y(value), y2: y(value),
      class: value === 0 ? 'griglia zero' : 'griglia'}, g);
    labels.place(fmt_short(value), 10, [{x: layout.left - 6, y: y(value), anchor: 'end'}],
      'tacca');
  }
  return y;
}

// The runs [from, to, value, ...] that meet the window, in order.
function runs_in(runs, f) {
  const first = lower_bound(runs, f.m0, (r) => r[1]);
  const out = [];
  for (let i = first; i < runs.length && runs[i][0] <= f.m1; ++i) out.push(runs[i]);
  return out;
}

// The pixels from metre a to metre b, cut to the plot (at least `least` wide): {x, width}.
function span_x(f, a, b, least) {
  const from = Math.max(f.x(a), f.left - 1);
  const to = Math.min(f.x(b), f.right + 1);
  if (to - from >= least) return {x: from, width: to - from};
  return {x: (from + to - least) / 2, width: least};
}

function step_line(runs, f, y) {
  const points = [];
  for (const r of runs) {
    const span = span_x(f, r[0], r[1], 0);
    points.push(span.x.toFixed(1) + ',' + y(r[2]).toFixed(1));
    points.push((span.x + span.width).toFixed(1) + ',' + y(r[2]).toFixed(1));
  }
  return points.join(' ');
}

// Marks of one class gathered into one path. A window of the whole longest route holds
// thousands of marks; an element for each costs more to make, lay out and paint on every turn
// of the wheel than a frame allows. Every shape is drawn clockwise, so overlapping ones stay
// filled.
class mark_paths {
  constructor() {
    this.by_class = new Map();
  }

  add(cls, d) {
    const list = this.by_class.get(cls);
    if (list) list.push(d); else this.by_class.set(cls, [d]);
  }

  rect(cls, x, y, width, height) {
    this.add(cls, `M${x.toFixed(1)},${y.toFixed(1)}h${width.toFixed(1)}v${height.toFixed(1)}` +
      `h${(-width).toFixed(1)}z`);
  }

  circle(cls, x, y, r) {
    this.add(cls, `M${(x - r).toFixed(1)},${y}a${r},${r} 0 1,1 ${2 * r},0a${r},${r} 0 1,1 ` +
      `${-2 * r},0z`);
  }

  draw(g) {
    for (const [cls, list] of this.by_class) svg_el('path', {d: list.join(''), class: cls}, g);
  }
}

// The marks drawn in a lane, in order along the line ({from, to, tip} in metres), and one
// transparent area over the lane whose tooltip is that of the mark nearest the pointer, when
// it is within `reach` pixels of it.
function lane_tips(g, layout, lane, f, marks, reach) {
  if (!marks.length) return;
  const area = svg_el('rect', {x: layout.left, width: layout.right - layout.left, y: lane.top,
    height: lane.bottom - lane.top, class: 'bersaglio'}, g);
  set_tip(area, (m) => {
    const x = f.x(m);
    const i = lower_bound(marks, m, (mark) => mark.to);
    let best = null;
    for (let j = i - 1; j <= i + 1; ++j) {
      if (j < 0 || j >= marks.length) continue;
      const distance = Math.max(0, f.x(marks[j].from) - x, x - f.x(marks[j].to));
      if (distance <= reach && (!best || distance < best.distance)) {
        best = {distance, tip: marks[j].tip};
      }
    }
    return best ? best.tip(m) : null;
  });
}

function draw_stations(view, g, labels, layout, f) {
  const lane = layout.lanes.stazioni;
  const bar = lane.bottom - 16;
  const shown = view.data.stazioni.filter((s) => s.b >= f.m0 && s.a <= f.m1);
  for (const s of shown) {
    const group = svg_el('g', {class: 'stazione'}, g);
    const span = span_x(f, s.a, s.b, 6);
    const rect = svg_el('rect', {x: span.x, y: bar, width: span.width, height: 10,
      class: 'marciapiede'}, group);
    rect.setAttribute('data-nome', s.nome);
    svg_el('line', {x1: f.x(s.c), x2: f.x(s.c), y1: bar - 6, y2: bar + 10, class: 'palo'}, group);
    set_tip(group, () => station_tip(view.data, s));
  }
  for (const s of shown) {
    const x = f.x(s.c);
    const spots = [];
    for (const row of [bar - 13, bar - 30, bar - 47]) {
      spots.push({x, y: row, anchor: 'middle'}, {x: x - 2, y: row, anchor: 'end'},
        {x: x + 2, y: row, anchor: 'start'});
    }
    const label = labels.place(s.nome, 11, spots, 'nome-stazione');
    if (label) {
      label.setAttribute('data-nome', s.nome);
      set_tip(label, () => station_tip(view.data, s));
    }
  }
}

// The rows of the lane of signals and boards, from its top: marks, then two rows of labels
// (at least a label's height apart), then the value marks and their labels.
const ROW_SIGNAL = 14;
const ROW_BOARD = 36;
const ROWS_LABEL = [53, 71];
const ROW_VALUE = 91;

// The mark of one feature cell, by its kind, in the lane of signals and boards.
function feature_mark(paths, e, x, lane) {
  const row_signal = lane.top + ROW_SIGNAL;
  const row_board = lane.top + ROW_BOARD;
  const row_value = lane.top + ROW_VALUE;
  switch (e.tipo) {
    case 1:
      return paths.add('segnale', `M${(x - 5).toFixed(1)},${row_signal + 6}h10l-5,-11z`);
    case 2: case 3: case 4:
      return paths.rect('rallentamento tipo-' + e.tipo, x - 3, row_board - 7, 6, 14);
    case 5:
      return paths.circle('rallentamento', x, row_board + 10, 2);
    case 6:
      return paths.rect('indicatore', x - 4, row_board - 4, 8, 8);
    case 12: case 13:
      return paths.circle(e.tipo === 12 ? 'segno pieno' : 'segno vuoto', x, row_value, 4);
    case 14:
      return paths.add('cartello', `M${x.toFixed(1)},${row_board - 7}l6,7l-6,7l-6,-7z`);
    default:
      return paths.circle('sconosciuto', x, row_board, 3);
  }
}

function draw_elements(view, g, stations_g, labels, layout, f) {
  const lane = layout.lanes.elementi;
  const list = view.data.elementi;
  const shown = [];
  for (let i = lower_bound(list, f.m0 - CELL_METRES, (e) => e.m); i < list.length; ++i) {
    if (list[i].m > f.m1 + CELL_METRES) break;
    shown.push(list[i]);
  }
  const bar = layout.lanes.stazioni.bottom - 16;
  // Of the marks of one kind that fall on the same pixel only the first is drawn: a long line
  // seen whole has thousands.
  const last_x = new Map();
  const paths = new mark_paths();
  const drawn = [];
  const marked = [];
  for (const e of shown) {
    const x = f.x(e.m);
    if (x - (last_x.has(e.tipo) ? last_x.get(e.tipo) : -Infinity) < 1) continue;
    last_x.set(e.tipo, x);
    marked.push(e);
    const tip = () => element_tip(view.data, e);
    if (e.tipo === 10) {
      const stop = svg_el('path', {d: `M${x - 5},${bar + 16}h10l-5,-7z`, class: 'fermata'},
        stations_g);
      set_tip(stop, tip);
    } else {
      feature_mark(paths, e, x, lane);
      drawn.push({from: e.m, to: e.m, tip});
    }
  }
  paths.draw(g);
  lane_tips(g, layout, lane, f, drawn, 6);
  // Speeds and texts beside the boards, then the values beside the marks: only of the marks
  // drawn, the others having no place of their own.
  for (const e of marked) {
    if (!e.etichetta || e.tipo === 12) continue;
    if (![3, 4, 6, 14].includes(e.tipo)) continue;
    const x = f.x(e.m);
    const spots = [];
    for (const row of ROWS_LABEL) {
      spots.push({x, y: lane.top + row, anchor: 'middle'},
        {x: x + 2, y: lane.top + row, anchor: 'start'},
        {x: x - 2, y: lane.top + row, anchor: 'end'});
    }
    const cls = e.tipo === 14 ? 'testo-cartello'
      : e.tipo === 6 ? 'velocita-cartello' : 'velocita-rallentamento';
    const label = labels.place(e.etichetta, e.tipo === 14 ? 10 : 11, spots, cls);
    if (label) set_tip(label, () => element_tip(view.data, e));
  }
  for (const e of marked) {
    if (e.tipo === 12 || e.tipo === 13) {
      labels.reserve({x: f.x(e.m) - 5, y: lane.top + ROW_VALUE - 5, w: 10, h: 10});
    }
  }
  for (const e of marked) {
    if (e.tipo !== 12) continue;
    const x = f.x(e.m);
    labels.place(e.etichetta, 10, [{x: x + 7, y: lane.top + ROW_VALUE, anchor: 'start'},
      {x: x - 7, y: lane.top + ROW_VALUE, anchor: 'end'}], 'valore');
  }
}

function draw_curves(view, g, layout, f) {
  const lane = layout.lanes.curve;
  const middle = (lane.top + lane.bottom) / 2;
  svg_el('line', {x1: layout.left, x2: layout.right, y1: middle, y2: middle, class: 'griglia zero'},
    g);
  const paths = new mark_paths();
  const drawn = [];
  for (const c of view.data.curve) {
    if (c.a < f.m0 || c.da > f.m1) continue;
    const height = Math.max(3, Math.abs(c.k) / 0.003 * (lane.bottom - lane.top - 12) / 2);
    const span = span_x(f, c.da, c.a, 2);
    paths.rect('curva ' + c.verso, span.x, c.k > 0 ? middle - height : middle, span.width,
      height);
    drawn.push({from: c.da, to: c.a, tip: () => curve_tip(view.data, c)});
  }
  paths.draw(g);
  lane_tips(g, layout, lane, f, drawn, 1);
}

function speed_in_force(runs, m) {
  const i = lower_bound(runs, m, (r) => r[1]);
  return i < runs.length && runs[i][0] <= m ? runs[i][2] : null;
}

function draw_speeds(view, g, labels, plot_labels, layout, f) {
  const data = view.data;
  const lane = layout.lanes.velocita;
  let fastest = 40;
  for (const r of data.limite) fastest = Math.max(fastest, r[2]);
  const y = value_axis(g, labels, layout, lane, 0, Math.ceil(fastest / 20) * 20, 24);
  const slow = data.rallentamenti.filter((s) => s.a >= f.m0 && s.da <= f.m1);
  for (const s of slow) {
    svg_el('rect', {...span_x(f, s.da, s.a, 2),
      y: y(s.v), height: Math.max(1, y(0) - y(s.v)), class: 'tratto-rallentato'}, g);
  }
  const limits = runs_in(data.limite, f);
  const keep = runs_in(data.da_tenere, f);
  svg_el('polyline', {points: step_line(limits, f, y), class: 'limite'}, g);
  svg_el('polyline', {points: step_line(keep, f, y), class: 'da-tenere'}, g);
  // One area over the lane answers for the two lines and the slow orders' bands: an element for
  // each run would cost more than a frame allows on the whole longest route. The pointer within
  // 5 pixels of the speed limit's line finds its run, within 3 of the speed to keep's, else the
  // band of a slow order under it.
  const area = svg_el('rect', {x: layout.left, width: layout.right - layout.left, y: lane.top,
    height: lane.bottom - lane.top, class: 'bersaglio'}, g);
  set_tip(area, (m, client_y) => {
    const py = client_y - view.svg.getBoundingClientRect().top;
    const limit = limits[lower_bound(limits, m, (r) => r[1])];
    if (limit && limit[0] <= m && Math.abs(py - y(limit[2])) <= 5) {
      return run_tip(data, 'limite di velocità', 'km/h', limit);
    }
    const held = keep[lower_bound(keep, m, (r) => r[1])];
    if (held && held[0] <= m && Math.abs(py - y(held[2])) <= 3) {
      return {
        title: 'velocità da tenere ' + fmt_short(held[2]) + ' km/h',
        lines: ['da ' + fmt_m(held[0]) + ' a ' + fmt_m(held[1]),
          'la minore fra il limite (' + fmt_short(speed_in_force(data.limite, held[0])) +
          ' km/h) e i rallentamenti in vigore'],
      };
    }
    const band = slow.find((s) => s.da <= m && m <= s.a && py >= y(s.v) && py <= y(0));
    return band ? slow_order_tip(data, band) : null;
  });
  // A slow order's speed beside its band, below the line of the speed to keep.
  for (const s of slow) {
    const from = f.x(Math.max(s.da, f.m0));
    const to = f.x(Math.min(s.a, f.m1));
    const low = y(s.v) + 9;
    plot_labels.place(fmt_short(s.v), 11, [{x: to + 3, y: low, anchor: 'start'},
      {x: from - 3, y: low, anchor: 'end'}, {x: (from + to) / 2, y: low, anchor: 'middle'},
      {x: to + 3, y: low + 14, anchor: 'start'}], 'velocita-rallentamento');
  }
  for (const r of limits) {
    const x = f.x(Math.max(r[0], f.m0)) + 3;
    plot_labels.place(fmt_short(r[2]), 11, [{x, y: y(r[2]) - 9, anchor: 'start'},
      {x: (x + f.x(Math.min(r[1], f.m1))) / 2, y: y(r[2]) - 9, anchor: 'middle'}],
    'velocita-limite');
  }
}

function draw_gradients(view, g, labels, layout, f) {
  const data = view.data;
  const lane = layout.lanes.pendenza;
  let steepest = 5;
  for (const r of data.pendenza) steepest = Math.max(steepest, Math.abs(r[2]));
  const top = Math.ceil(steepest / 5) * 5;
  const y = value_axis(g, labels, layout, lane, -top, top, 18);
  const runs = runs_in(data.pendenza, f);
  const paths = new mark_paths();
  const drawn = [];
  for (const r of runs) {
    const span = span_x(f, r[0], r[1], 1);
    paths.rect(r[2] > 0 ? 'salita' : r[2] < 0 ? 'discesa' : 'piano', span.x,
      Math.min(y(0), y(r[2])), span.width, Math.max(1, Math.abs(y(r[2]) - y(0))));
    drawn.push({from: r[0], to: r[1], tip: () => run_tip(data, 'pendenza', '‰', r)});
  }
  // A change of gradient: a mark on the zero line where the next run starts; of marks closer
  // than their own width, the first.
  let last_x = -Infinity;
  for (let i = 1; i < runs.length; ++i) {
    const before = runs[i - 1];
    const after = runs[i];
    const x = f.x(after[0]);
    if (x - last_x < 8) continue;
    last_x = x;
    paths.add('cambio', `M${x.toFixed(1)},${y(0) - 5}l4,5l-4,5l-4,-5z`);
    // The change stands before its run: the pointer on its mark finds it first.
    drawn[i].change = () => {
      const tip = run_tip(data, 'pendenza', '‰', after);
      tip.title = 'cambio di pendenza a ' + fmt_m(after[0]) + ': da ' + fmt_short(before[2]) +
        ' ‰ a ' + fmt_short(after[2]) + ' ‰';
      return tip;
    };
  }
  paths.draw(g);
  // Near a change's mark (within its 4 pixels each side, on the zero line) its tooltip, else
  // the run's.
  for (const d of drawn) {
    if (!d.change) continue;
    const run_tip_of = d.tip;
    const change = d.change;
    const at = d.from;
    d.tip = (m) => (Math.abs(f.x(m) - f.x(at)) <= 4 ? change() : run_tip_of(m));
  }
  lane_tips(g, layout, lane, f, drawn, 1);
}

// The elevation at metre m, along the straight pieces between the points.
function elevation_at(points, m) {
  const i = lower_bound(points, m, (p) => p[0]);
  if (i === 0) return points.length ? points[0][1] : 0;
  if (i >= points.length) return points[points.length - 1][1];
  const [m0, z0] = points[i - 1];
  const [m1, z1] = points[i];
  return m1 === m0 ? z1 : z0 + (z1 - z0) * (m - m0) / (m1 - m0);
}

function draw_elevation(view, g, labels, layout, f) {
  const points = view.data.quota;
  const lane = layout.lanes.quota;
  if (!points.length) return;
  // The scale fits the elevations in the window.
  let low = Math.min(elevation_at(points, f.m0), elevation_at(points, f.m1));
  let high = Math.max(elevation_at(points, f.m0), elevation_at(points, f.m1));
  for (let i = lower_bound(points, f.m0, (p) => p[0]); i < points.length; ++i) {
    if (points[i][0] > f.m1) break;
    low = Math.min(low, points[i][1]), high = Math.max(high, points[i][1]);
  }
  const pad = Math.max(1, (high - low) * 0.1);
  const y = value_axis(g, labels, layout, lane, low - pad, high + pad, 18);
  const area = svg_el('rect', {x: layout.left, width: layout.right - layout.left, y: lane.top,
    height: lane.bottom - lane.top, class: 'bersaglio'}, g);
  set_tip(area, (m) => ({
    title: 'quota ' + fmt(elevation_at(points, m), 2) + ' m a ' + fmt_m(Math.round(m)),
    lines: ['dalle pendenze delle celle, partendo da 0 m a 0 m'],
  }));
  const first = Math.max(0, lower_bound(points, f.m0, (p) => p[0]) - 1);
  const shown = [];
  for (let i = first; i < points.length; ++i) {
    shown.push(f.x(points[i][0]).toFixed(1) + ',' + y(points[i][1]).toFixed(1));
    if (points[i][0] > f.m1) break;
  }
  svg_el('polyline', {points: shown.join(' '), class: 'quota'}, g);
}

function draw_axis(view, g, labels, layout, f) {
  const lane = layout.lanes.asse;
  const y = lane.top + 4;
  svg_el('line', {x1: layout.left, x2: layout.right, y1: y, y2: y, class: 'asse'}, g);
  const per_km = (layout.right - layout.left) / ((view.u1 - view.u0) / 1000);
  const minor = nice_step(per_km, 8);
  const major = nice_step(per_km, 64);
  const end = view.track.end / 1000;
  const route = view.track.route / 1000;
  let last_x = -Infinity;
  for (let km = Math.ceil(f.m0 / 1000 / minor) * minor; km <= Math.min(f.m1 / 1000, end) + 1e-9;
    km += minor) {
    const x = f.x(km * 1000);
    const is_major = Math.abs(km / major - Math.round(km / major)) < 1e-6;
    const beyond = km > route + 1e-9;
    // In the squeezed run-off the ticks would run together.
    if ((!is_major || beyond) && x - last_x < 4) continue;
    last_x = x;
    svg_el('line', {x1: x, x2: x, y1: y, y2: y + (is_major ? 7 : 4), class: 'asse'}, g);
    if (is_major) {
      // Past the route's end a mark tells how far past, so that no kilometre of the run-off
      // reads as route.
      labels.place(beyond ? '+' + fmt_short(km - route) : fmt_short(km), 11,
        [{x, y: y + 17, anchor: 'middle'}], beyond ? 'km oltre-fine' : 'km');
    }
  }
  for (const d of view.diagnostic_places) {
    if (d.metri < f.m0 || d.metri > f.m1) continue;
    const x = f.x(d.metri);
    const mark = svg_el('path', {d: `M${x},${y + 22}l5,9h-10z`, class: 'segnalazione ' + d.gravita},
      g);
    set_tip(mark, () => ({title: d.gravita + ' a ' + fmt_m(d.metri), lines: [d.testo]}));
  }
}

function draw_lane_titles(labels, layout) {
  for (const id of Object.keys(layout.lanes)) {
    const lane = layout.lanes[id];
    lane.title.forEach((line, i) => {
      labels.place(line, 11, [{x: 6, y: lane.top + 10 + 18 * i, anchor: 'start'}],
        'titolo-corsia');
    });
  }
}

function vertical_mark(g, layout, x, cls) {
  if (x < layout.left || x > layout.right) return;
  svg_el('line', {x1: x, x2: x, y1: layout.lanes.stazioni.top,
    y2: layout.lanes.asse.top + 4, class: cls}, g);
}

// Draws the whole profile, `available` pixels wide, for view {svg, data, track, u0, u1,
// pointer_m, chosen_m, diagnostic_places}; returns what the pointer needs: the layout, the frame and the group of the
// cursors.
function draw_profile(view, available) {
  const svg = view.svg;
  clear(svg);
  const width = Math.max(480, available);
  const layout = profile_layout(width);
  svg.setAttribute('width', width);
  svg.setAttribute('height', layout.height);
  svg.setAttribute('viewBox', `0 0 ${width} ${layout.height}`);
  const f = profile_frame(view, layout);
  const clip = svg_el('clipPath', {id: 'ritaglio-profilo'}, svg_el('defs', {}, svg));
  svg_el('rect', {x: layout.left, y: 0, width: layout.right - layout.left,
    height: layout.height}, clip);
  const back = svg_el('g', {'clip-path': 'url(#ritaglio-profilo)'}, svg);
  const marks = svg_el('g', {'clip-path': 'url(#ritaglio-profilo)'}, svg);
  const label_group = svg_el('g', {class: 'etichette'}, svg);
  const front = svg_el('g', {'class': 'cursori', 'clip-path': 'url(#ritaglio-profilo)'}, svg);
  const labels = new label_layer(label_group, {x: 0, y: 0, w: width, h: layout.height});

  const route_x = f.x(view.track.route);
  if (view.track.end > view.track.route && route_x < layout.right) {
    const strip = svg_el('rect', {x: route_x, y: layout.lanes.stazioni.top,
      width: layout.right - route_x,
      height: layout.lanes.quota.bottom - layout.lanes.stazioni.top, class: 'dopo-percorso'},
    back);
    set_tip(strip, () => ({title: RUN_OFF_WORDS,
      lines: [fmt_beyond(view.track.end - view.track.route) + ' di celle e geometria dopo la ' +
        'fine del percorso a ' + fmt_km(view.track.route) +
        (view.track.squeezed ? ' (disegnati stretti)' : ''),
      'le celle da ' + fmt_m(view.track.route) + ' a ' + fmt_m(view.track.end)]}));
  }
  draw_lane_titles(labels, layout);
  draw_axis(view, marks, labels, layout, f);
  if (!view.data.elementi.length && !view.data.pendenza.length) {
    labels.place('nessuna cella compilata: vedere gli errori', 13,
      [{x: (layout.left + layout.right) / 2, y: layout.lanes.velocita.top + 60,
        anchor: 'middle'}], 'avviso-vuoto');
  }
  // The labels of features stay over the plot, clear of the margin's titles and ticks.
  const plot_labels = labels.within({x: layout.left, y: 0, w: layout.right - layout.left,
    h: layout.height});
  draw_stations(view, marks, plot_labels, layout, f);
  draw_speeds(view, marks, labels, plot_labels, layout, f);
  draw_elements(view, marks, marks, plot_labels, layout, f);
  draw_curves(view, marks, layout, f);
  draw_gradients(view, marks, labels, layout, f);
  draw_elevation(view, back, labels, layout, f);
  const drawn = {layout, frame: f, front};
  profile_cursors(drawn, view);
  return drawn;
}

// The pointer's place and the chosen diagnostic's, redrawn alone while the pointer moves.
function profile_cursors(drawn, view) {
  clear(drawn.front);
  if (view.chosen_m !== null) {
    vertical_mark(drawn.front, drawn.layout, drawn.frame.x(view.chosen_m), 'scelto');
  }
  if (view.pointer_m !== null) {
    vertical_mark(drawn.front, drawn.layout, drawn.frame.x(view.pointer_m), 'cursore');
  }
}
