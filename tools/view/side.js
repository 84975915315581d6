// The faults, notes and warnings of the compile beside the drawing, written the way the compile
// prints them. Choosing one that has a place moves the view there. `place(m)` words a metre of
// the track for the item's title.

function place_prefix(m) {
  return m.file + (m.line !== null ? ':' + m.line + ':' + m.column : '') + ': ';
}

// The diagnostics with a place, for the marks on the kilometre axis.
function diagnostic_places(diagnostics) {
  const places = [];
  for (const f of diagnostics.errori) {
    if (f.metri !== null) {
      places.push({metri: f.metri, gravita: 'errore', testo: 'errore ' + f.codice + ': ' + f.message});
    }
    for (const n of f.notes) {
      if (n.metri !== null) places.push({metri: n.metri, gravita: 'nota', testo: n.message});
    }
  }
  for (const w of diagnostics.warnings) {
    if (w.metri !== null) places.push({metri: w.metri, gravita: 'avviso', testo: w.message});
  }
  return places;
}

function diagnostic_item(list, cls, text, metres, go_to, place) {
  const item = html_el('li', cls, text, list);
  if (metres === null) return item;
  item.classList.add('con-posto');
  item.tabIndex = 0;
  item.setAttribute('role', 'button');
  item.setAttribute('data-metri', String(metres));
  item.title = 'mostra ' + place(metres);
  const choose = (event) => {
    event.stopPropagation();
    for (const other of document.querySelectorAll('#elenco li[aria-current]')) {
      other.removeAttribute('aria-current');
    }
    item.setAttribute('aria-current', 'true');
    go_to(metres);
  };
  item.addEventListener('click', choose);
  item.addEventListener('keydown', (event) => {
    if (event.key === 'Enter' || event.key === ' ') {
      event.preventDefault();
      choose(event);
    }
  });
  return item;
}

function draw_diagnostics(diagnostics, go_to, place) {
  const list = document.getElementById('elenco');
  clear(list);
  const count = document.getElementById('conteggio');
  // The other records a fault or a warning concerns, under it.
  function list_notes(item, notes) {
    if (!notes.length) return;
    const sub = html_el('ol', 'note', null, item);
    for (const n of notes) {
      diagnostic_item(sub, 'nota', place_prefix(n) + 'nota: ' + n.message, n.metri, go_to, place);
    }
  }
  const faults = diagnostics.errori.length;
  const warnings = diagnostics.warnings.length;
  count.textContent = faults + warnings === 0 ? 'Nessun errore né avviso.'
    : faults + (faults === 1 ? ' errore, ' : ' errori, ') + warnings +
      (warnings === 1 ? ' avviso' : ' avvisi');
  for (const f of diagnostics.errori) {
    const item = diagnostic_item(list, 'errore',
      place_prefix(f) + 'errore ' + f.codice + ': ' + f.message +
        (f.registrato ? ' [codice registrato]' : ''), f.metri, go_to, place);
    list_notes(item, f.notes);
  }
  for (const w of diagnostics.warnings) {
    const item = diagnostic_item(list, 'avviso', place_prefix(w) + 'avviso: ' + w.message,
      w.metri, go_to, place);
    list_notes(item, w.notes || []);
  }
}
