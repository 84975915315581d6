// Helpers the two drawings share: SVG and HTML elements built with text only, numbers and
// places written the Italian way (a place in the run-off as its distance past the route's end),
// text widths, the label placer that keeps labels apart, and the map between metres and the
// drawn track axis (the run-off after the route squeezed into a thin strip).

const SVG_NS = 'http://www.w3.org/2000/svg';
const LABEL_FONT = '"DejaVu Sans", Verdana, Arial, sans-serif';
const CELL_METRES = 50;

// An SVG element with these attributes, appended to parent when one is given. Every value goes
// through setAttribute and every text through textContent: no markup is ever parsed.
function svg_el(tag, attrs, parent) {
  const e = document.createElementNS(SVG_NS, tag);
  for (const name of Object.keys(attrs || {})) e.setAttribute(name, String(attrs[name]));
  if (parent) parent.appendChild(e);
  return e;
}

function html_el(tag, cls, text, parent) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (text !== undefined && text !== null) e.textContent = String(text);
  if (parent) parent.appendChild(e);
  return e;
}

function clear(node) {
  while (node.firstChild) node.removeChild(node.firstChild);
}

function clamp(v, lo, hi) {
  return Math.min(hi, Math.max(lo, v));
}

// 12.5 with `decimals` digits after a comma: "12,500".
function fmt(value, decimals) {
  return value.toFixed(decimals).replace('.', ',');
}

// A number without the decimals it does not need: 12.5 -> "12,5", 3 -> "3".
function fmt_short(value) {
  const rounded = Math.round(value * 1000) / 1000;
  return String(rounded).replace('.', ',');
}

function fmt_km(metres) {
  return 'km ' + fmt(metres / 1000, 3);
}

function fmt_m(metres) {
  return fmt_short(metres) + ' m';
}

// The run-off after the route's end is cells and geometry, not route: a place there is told as
// its distance past the end, never as a kilometre of the route.
const RUN_OFF_WORDS = 'oltre la fine del percorso';

function fmt_beyond(metres) {
  return fmt(metres / 1000, 3) + ' km';
}

// A place along the track of a route of `route` metres whose cells end at `end`: "km 3,250" on
// the route, "1,200 km oltre la fine del percorso" in the run-off.
function fmt_place(route, end, metres) {
  return metres > route && end > route ? fmt_beyond(metres - route) + ' ' + RUN_OFF_WORDS
    : fmt_km(metres);
}

// Text widths from a canvas with the labels' font, remembered.
const text_widths = {
  context: document.createElement('canvas').getContext('2d'),
  known: new Map(),
  of(text, size) {
    const key = size + '|' + text;
    let width = this.known.get(key);
    if (width === undefined) {
      if (this.context) {
        this.context.font = size + 'px ' + LABEL_FONT;
        width = this.context.measureText(text).width;
      } else {
        width = text.length * size * 0.62;
      }
      this.known.set(key, width);
    }
    return width;
  },
};

// Labels that never overlap. Each label goes to the first of its candidate spots where its box
// lies inside the bounds and meets no box placed before; with no such spot it is not drawn.
// Callers place the labels that matter most first. A spot is {x, y, anchor} with y the middle
// of the text.
// The boxes are kept in columns of the page, so that a long line's thousands of labels are each
// checked against their neighbours only.
const LABEL_COLUMN = 64;

class label_layer {
  constructor(group, bounds) {
    this.group = group;
    this.bounds = bounds;
    this.columns = new Map();
  }

  // A layer that draws into the same group and keeps clear of the same boxes, within narrower
  // bounds.
  within(bounds) {
    const inner = new label_layer(this.group, bounds);
    inner.columns = this.columns;
    return inner;
  }

  // The columns a box spans.
  static columns_of(box) {
    const first = Math.floor(box.x / LABEL_COLUMN);
    const last = Math.floor((box.x + box.w) / LABEL_COLUMN);
    const out = [];
    for (let c = first; c <= last; ++c) out.push(c);
    return out;
  }

  // Keeps labels off a mark's box {x, y, w, h}.
  reserve(box) {
    for (const c of label_layer.columns_of(box)) {
      if (!this.columns.has(c)) this.columns.set(c, []);
      this.columns.get(c).push(box);
    }
  }

  static overlap(a, b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
  }

  box_at(spot, width, size) {
    const pad = 1.5;
    const left = spot.anchor === 'middle' ? spot.x - width / 2
      : spot.anchor === 'end' ? spot.x - width : spot.x;
    // The glyphs of the font reach about 1.17 sizes from top to bottom.
    const height = size * 1.25;
    return {x: left - pad, y: spot.y - height / 2 - pad, w: width + 2 * pad, h: height + 2 * pad};
  }

  fits(box) {
    const b = this.bounds;
    if (box.x < b.x || box.y < b.y || box.x + box.w > b.x + b.w || box.y + box.h > b.y + b.h) {
      return false;
    }
    for (const c of label_layer.columns_of(box)) {
      const boxes = this.columns.get(c);
      if (boxes && boxes.some((other) => label_layer.overlap(other, box))) return false;
    }
    return true;
  }

  // The text element placed, or null. `cls` is added to the label's classes.
  place(text, size, spots, cls) {
    if (text === '' || text === null || text === undefined) return null;
    const content = String(text);
    const width = text_widths.of(content, size);
    for (const spot of spots) {
      const box = this.box_at(spot, width, size);
      if (!this.fits(box)) continue;
      this.reserve(box);
      const label = svg_el('text', {
        'x': spot.x,
        'y': spot.y,
        'text-anchor': spot.anchor || 'start',
        'dominant-baseline': 'central',
        'font-size': size,
        'class': 'etichetta' + (cls ? ' ' + cls : ''),
      }, this.group);
      label.textContent = content;
      return label;
    }
    return null;
  }
}

// The drawn track axis: metres up to the route's end as they are, the run-off after it squeezed
// into a strip of 3% of the route (at least 50 m), so that the route fills the view.
function make_track(data) {
  const route = Math.max(0, data.percorso);
  const end = Math.max(route, data.fine);
  const run_off = end - route;
  const strip = Math.max(50, 0.03 * route);
  const squeeze = run_off > 0 ? Math.min(1, strip / run_off) : 1;
  const span = route + run_off * squeeze;
  return {
    route,
    end,
    squeezed: squeeze < 1,
    span: span > 0 ? span : 1000,
    u(m) {
      return m <= route ? m : route + (m - route) * squeeze;
    },
    m(u) {
      return u <= route ? u : route + (u - route) / squeeze;
    },
  };
}

// The first index whose item's key is at least `value` in a list sorted by key.
function lower_bound(list, value, key) {
  let lo = 0;
  let hi = list.length;
  while (lo < hi) {
    const mid = (lo + hi) >> 1;
    if (key(list[mid]) < value) lo = mid + 1; else hi = mid;
  }
  return lo;
}

// The smallest of the usual steps that keeps `pixels` between marks `per_unit` pixels apart.
function nice_step(per_unit, pixels) {
  for (let power = -3; power < 9; ++power) {
    for (const base of [1, 2, 5]) {
      const step = base * Math.pow(10, power);
      if (step * per_unit >= pixels) return step;
    }
  }
  return 1e9;
}
