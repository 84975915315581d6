// The tooltip: what the cell file holds for the feature under the pointer (kind, values, cell
// and its metres) and the record that made it (file, line and the whole line of the text).
// Drawn marks are registered with a function that gives the tooltip's lines; the tooltip is
// built from text nodes only.

const tips = new WeakMap();

// Registers the tooltip of a mark: `lines(m, client_y)` gives {title, lines} or null for
// none, m the metre under the pointer and client_y its height in the page; a line is a string or {code: text} for a line of the author's text.
function set_tip(element, lines) {
  tips.set(element, lines);
  element.classList.add('con-suggerimento');
}

// The registered tooltip of the element or of the nearest of its parents that has one.
function tip_of(element) {
  for (let e = element; e && e.nodeType === 1; e = e.parentNode) {
    const tip = tips.get(e);
    if (tip) return tip;
  }
  return null;
}

// The lines that name a record: where it is, then its whole line.
function record_lines(data, index) {
  if (index === null || index === undefined || !data.record[index]) {
    return ['record: nessuno (il valore non viene da un record del testo)'];
  }
  const r = data.record[index];
  return [
    'record ' + (r.nome ? '"' + r.nome + '" ' : '') + data.testi[r.file] + ':' + r.riga + ':' +
      r.colonna,
    {code: r.testo},
  ];
}

function cell_span(cell) {
  return 'cella ' + cell + ': da ' + fmt_m(cell * CELL_METRES) + ' a ' +
    fmt_m((cell + 1) * CELL_METRES);
}

// A metre of the track with its place: on the route or past its end.
function position_words(data, m) {
  return 'posizione ' + fmt_m(m) + ' (' + fmt_place(data.percorso, data.fine, m) + ')';
}

function element_tip(data, e) {
  const lines = [cell_span(e.cella), position_words(data, e.m)];
  if (e.campi.length) lines.push(e.campi.map((f) => f[0] + ' ' + f[1]).join(', '));
  if (e.tipo === 14 && e.etichetta) lines.push('testo: ' + e.etichetta);
  return {title: e.nome + ' (tipo ' + e.tipo + ')', lines: lines.concat(record_lines(data, e.r))};
}

function station_tip(data, s) {
  const lines = [
    position_words(data, s.c) + ', tipo ' + s.tipo,
    'marciapiede da ' + fmt_m(s.a) + ' a ' + fmt_m(s.b),
    'voce ' + s.voce + ' della testata, orario ' + s.orario,
  ];
  if (s.fermata !== null) lines.push('fermata: ' + cell_span(s.fermata));
  return {title: 'stazione "' + s.nome + '"', lines: lines.concat(record_lines(data, s.r))};
}

// A run of cells: [from, to, value, record].
function run_tip(data, title, unit, run) {
  const first = Math.round(run[0] / CELL_METRES);
  const last = Math.round(run[1] / CELL_METRES) - 1;
  return {
    title: title + ' ' + fmt_short(run[2]) + ' ' + unit,
    lines: [
      'da ' + fmt_m(run[0]) + ' a ' + fmt_m(run[1]) + ' (celle da ' + first + ' a ' + last + ')',
    ].concat(record_lines(data, run[3])),
  };
}

function slow_order_tip(data, s) {
  return {
    title: 'rallentamento a ' + fmt_short(s.v) + ' km/h',
    lines: ['da ' + fmt_m(s.da) + ' a ' + fmt_m(s.a)].concat(record_lines(data, s.r)),
  };
}

function curve_tip(data, c) {
  return {
    title: 'curva a ' + c.verso + ', raggio ' + fmt_m(c.raggio),
    lines: ['da ' + fmt_m(c.da) + ' a ' + fmt_m(c.a) + ', ' + fmt_short(c.k) + ' rad/m']
      .concat(record_lines(data, c.r)),
  };
}

const tooltip = {
  box: null,
  shown: null,

  show(tip, m, client_x, client_y) {
    const box = this.box;
    const content = tip(m, client_y);
    // A lane's area answers only near one of its marks.
    if (!content) {
      this.hide();
      return;
    }
    clear(box);
    html_el('div', 'titolo-suggerimento', content.title, box);
    for (const line of content.lines) {
      if (typeof line === 'string') html_el('div', null, line, box);
      else html_el('code', null, line.code, box);
    }
    box.hidden = false;
    const room_x = window.innerWidth - box.offsetWidth - 8;
    const room_y = window.innerHeight - box.offsetHeight - 8;
    box.style.left = Math.max(4, Math.min(client_x + 14, room_x)) + 'px';
    box.style.top = Math.max(4, client_y + 16 > room_y ? client_y - box.offsetHeight - 10
      : client_y + 16) + 'px';
  },

  hide() {
    if (this.box) this.box.hidden = true;
  },
};
