// What `scenario-tool lsp` tells an editor about a small scenario, through vscode-jsonrpc:
// diagnostics on open and after each change, positions in every encoding, completion, quick
// fixes, folding, and the texts a scenario misses.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { test } = require('node:test');
const {
  Session, applyEdits, findOne, folderSnapshot, lineFile, lineLines, lineText, rangeOf, severity,
  trainFile, trainLines, trainText, unitsOf, uriPath, writeScenario,
} = require('./lsp_session.cjs');

const isFault22 = (d) => d.severity === severity.error && d.code === 22;
const isSpeedWarning = (d) => d.severity === severity.warning && d.message.includes('83');
const isMisspelt = (d) => d.severity === severity.warning && d.message.includes('"segnalle"');

// Starts a session on a fresh scenario and closes it after the test.
async function sessionFor(t, options = {}, texts = {}) {
  const dir = writeScenario(texts);
  const before = folderSnapshot(dir);
  const session = await Session.start(dir, options);
  t.after(async () => {
    try {
      assert.equal(await session.close(), 0, session.child.stderrText);
      assert.deepEqual(folderSnapshot(dir), before, 'the server changed the scenario folder');
    } finally {
      session.kill();
    }
  });
  return session;
}

test('opening the train text publishes its fault with a note and its warnings', async (t) => {
  const session = await sessionFor(t);
  await session.open(trainFile, trainText, 7);
  const { diagnostics, version } = await session.diagnostics(trainFile, (p) => p.diagnostics.some(isFault22));
  assert.equal(version, 7);
  for (const d of diagnostics) assert.equal(d.source, 'scenario-tool', JSON.stringify(d));

  const fault = findOne(diagnostics, 'of fault 22', isFault22);
  assert.deepEqual(fault.range, rangeOf(trainText, 6, 'stazione', 'utf-16'));
  assert.match(fault.message, /1400/);
  assert.match(fault.message, / \[codice registrato\]$/);
  assert.equal(fault.relatedInformation.length, 1, JSON.stringify(fault));
  const [note] = fault.relatedInformation;
  assert.equal(uriPath(note.location.uri), uriPath(session.uri(trainFile)));
  assert.deepEqual(note.location.range, rangeOf(trainText, 5, 'stazione', 'utf-16'));
  assert.match(note.message, /precedente/);

  const speed = findOne(diagnostics, 'on the rounded speed', isSpeedWarning);
  assert.deepEqual(speed.range.start, rangeOf(trainText, 3, '83', 'utf-16').start);
  assert.match(speed.message, /85/);
  const misspelt = findOne(diagnostics, 'on the misspelt keyword', isMisspelt);
  assert.deepEqual(misspelt.range, rangeOf(trainText, 8, 'segnalle', 'utf-16'));
  assert.match(misspelt.message, /"segnale"/);
  // The station names hold "ò": a character Windows-1252 has is no warning.
  assert.equal(diagnostics.filter((d) => d.severity === severity.warning).length, 2,
               JSON.stringify(diagnostics, null, 1));

  // The line text, not open, is compiled from its file with the train text and gets its own.
  const line = await session.diagnostics(lineFile, (p) => p.diagnostics.length > 0);
  const order = findOne(line.diagnostics, 'of the gradient out of order',
                        (d) => d.severity === severity.warning && /fuori ordine/.test(d.message));
  assert.equal(order.range.start.line, 5);
  assert.equal(order.relatedInformation[0].location.range.start.line, 4);
  assert.equal(uriPath(order.relatedInformation[0].location.uri), uriPath(session.uri(lineFile)));
});

test('without relatedInformation a note is a diagnostic of its own at the other record', async (t) => {
  const session = await sessionFor(t, { relatedInformation: false });
  await session.open(trainFile, trainText);
  const { diagnostics } = await session.diagnostics(trainFile, (p) => p.diagnostics.some(isFault22));
  const fault = findOne(diagnostics, 'of fault 22', isFault22);
  assert.ok(!fault.relatedInformation || fault.relatedInformation.length === 0);
  const note = findOne(diagnostics, 'of the note at the previous station',
                       (d) => d.severity === severity.information && /precedente/.test(d.message));
  assert.deepEqual(note.range, rangeOf(trainText, 5, 'stazione', 'utf-16'));
});

test('ranged changes recompile the open text', async (t) => {
  const session = await sessionFor(t);
  await session.open(trainFile, trainText, 1);
  await session.diagnostics(trainFile, (p) => p.diagnostics.some(isFault22));

  // The second station moves 1000 m on: no fault left.
  let text = trainText;
  const change = { range: rangeOf(text, 6, '1400', 'utf-16'), text: '2400' };
  text = applyEdits(text, [{ range: change.range, newText: change.text }], 'utf-16');
  await session.change(trainFile, 2, [change]);
  let published = await session.diagnostics(trainFile, (p) => p.version === 2);
  assert.equal(published.diagnostics.filter((d) => d.severity === severity.error).length, 0,
               JSON.stringify(published.diagnostics, null, 1));
  findOne(published.diagnostics, 'on the misspelt keyword', isMisspelt);

  // Two changes in one notification, applied in order: a new misspelt record on the empty line,
  // then the old misspelling fixed. Each range is in the text the change before left.
  const insert = { range: rangeOf(text, 9, '', 'utf-16'), text: 'rallentamneto, 3000, 30, 500, 1, 0, 0' };
  text = applyEdits(text, [{ range: insert.range, newText: insert.text }], 'utf-16');
  const fix = { range: rangeOf(text, 8, 'segnalle', 'utf-16'), text: 'segnale' };
  text = applyEdits(text, [{ range: fix.range, newText: fix.text }], 'utf-16');
  await session.change(trainFile, 3, [insert, fix]);
  published = await session.diagnostics(trainFile, (p) => p.version === 3);
  assert.equal(published.diagnostics.filter(isMisspelt).length, 0);
  const added = findOne(published.diagnostics, 'on the new misspelt keyword',
                        (d) => d.severity === severity.warning && d.message.includes('"rallentamneto"'));
  assert.deepEqual(added.range, rangeOf(text, 9, 'rallentamneto', 'utf-16'));

  // A change without a range replaces the whole text.
  await session.change(trainFile, 4, [{ text: trainText }]);
  published = await session.diagnostics(trainFile, (p) => p.version === 4);
  findOne(published.diagnostics, 'of fault 22', isFault22);

  // Closing the text clears its diagnostics.
  await session.notify('textDocument/didClose', { textDocument: { uri: session.uri(trainFile) } });
  await session.diagnostics(trainFile, (p) => p.diagnostics.length === 0);
});

test('a change of the open line text recompiles the train text with it', async (t) => {
  const session = await sessionFor(t);
  await session.open(trainFile, trainText, 1);
  await session.open(lineFile, lineText, 1);
  await session.diagnostics(trainFile, (p) => p.diagnostics.some(isFault22));
  // A route of 1200 m puts the second station and the last signal beyond its end: warnings at
  // their positions come to the train text, which did not change, and one at the sign to the
  // line text.
  const change = { range: rangeOf(lineText, 1, '5000', 'utf-16'), text: '1200' };
  await session.change(lineFile, 2, [change]);
  const beyond = (d) => d.severity === severity.warning && /oltre la fine del percorso/.test(d.message);
  const train = await session.diagnostics(trainFile, (p) => p.diagnostics.some(beyond));
  assert.equal(train.version, 1);
  assert.deepEqual(train.diagnostics.filter(beyond).map((d) => d.range.start).sort((a, b) => a.line - b.line),
                   [rangeOf(trainText, 6, '1400', 'utf-16').start, rangeOf(trainText, 10, '3500', 'utf-16').start]);
  const line = await session.diagnostics(lineFile, (p) => p.version === 2);
  const sign = findOne(line.diagnostics, 'on the sign beyond the end', beyond);
  assert.deepEqual(sign.range.start, rangeOf(lineText, 9, '3000', 'utf-16').start);
});

// A station name with "ò" (two UTF-8 bytes, one UTF-16 unit), "€" (three bytes, one unit) and
// "𝄞" (four bytes, two units, no Windows-1252 form), followed on the same line by a second
// station that is too close: the fault's place counts every one of them in the negotiated units.
// U+0085 is how a Latin-1 editor shows the byte 0x85 and is no warning.
test('positions count in the negotiated encoding', async (t) => {
  const stationLine = 'stazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, ' +
                      'Metrò €𝄞 Sud\u0085, stazione, 1400, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 32, 0, Due';
  const text = ['[generale]', '[stazioni]', stationLine, '[fine]'].map((l) => l + '\r\n').join('');
  for (const encoding of ['utf-8', 'utf-16', 'utf-32']) {
    await t.test(encoding, async (t) => {
      const session = await sessionFor(t, { encodings: [encoding] });
      assert.equal(session.encoding, encoding);
      await session.open(trainFile, text);
      const { diagnostics } = await session.diagnostics(trainFile, (p) => p.diagnostics.some(isFault22));
      const fault = findOne(diagnostics, 'of fault 22', isFault22);
      assert.deepEqual(fault.range, rangeOf(text, 2, 'stazione', encoding, 1));
      assert.deepEqual(fault.relatedInformation[0].location.range, rangeOf(text, 2, 'stazione', encoding, 0));

      const clef = findOne(diagnostics, 'on the character without a Windows-1252 form',
                           (d) => d.severity === severity.warning && d.range.start.line === 2 &&
                                  d.range.start.character === rangeOf(text, 2, '𝄞', encoding).start.character);
      const width = clef.range.end.character - clef.range.start.character;
      assert.ok(clef.range.end.line === 2 && (width === unitsOf('𝄞', encoding) || width === 0),
                `the warning covers "𝄞" or marks its place: ${JSON.stringify(clef.range)}`);
      // Nothing else inside the name: "ò" and "€" have their bytes, U+0085 stands for one.
      const others = diagnostics.filter((d) => d !== clef && d.severity === severity.warning &&
                                               d.range.start.line === 2 &&
                                               d.range.start.character < fault.range.start.character);
      assert.deepEqual(others, [], 'no other warning inside the name');

      // A ranged change after those characters, counted in the same units: the second station
      // moves 100 m on. An edit placed a unit off would break its keyword or its number.
      const change = { range: rangeOf(text, 2, '1400', encoding), text: '1500' };
      await session.change(trainFile, 2, [change]);
      const after = await session.diagnostics(trainFile, (p) => p.version === 2);
      const moved = findOne(after.diagnostics, 'of fault 22 after the change', isFault22);
      assert.match(moved.message, /stazione a 1500 m/);
      assert.deepEqual(moved.range, fault.range);
      assert.deepEqual(findOne(after.diagnostics, 'on "𝄞" after the change',
                               (d) => d.severity === severity.warning &&
                                      d.range.start.character === clef.range.start.character).range,
                       clef.range);
    });
  }
});

test('completion offers the keywords of the place, as snippets or as text', async (t) => {
  const signalSnippet = /^segnale, \$\{1:[^}]+\}(, \$\{(\d+):[^}]+\}){10}$/;
  await t.test('train text, with snippets', async (t) => {
    const session = await sessionFor(t);
    await session.open(trainFile, trainText);
    const answer = await session.request('textDocument/completion', {
      textDocument: { uri: session.uri(trainFile) }, position: { line: 9, character: 0 },
    });
    const items = Array.isArray(answer) ? answer : answer.items;
    const labels = items.map((i) => i.label);
    for (const keyword of ['segnale', 'stazione', 'velocita', 'aderenza', 'rallentamento', 'numero vetture']) {
      assert.ok(labels.includes(keyword), `"${keyword}" among ${labels}`);
    }
    for (const keyword of ['pendenza', 'curvad', 'lunghezza percorso', 'indicatori_vmax']) {
      assert.ok(!labels.includes(keyword), `no line keyword "${keyword}" in a train text: ${labels}`);
    }
    assert.equal(labels.length, 10, `the train text's ten records: ${labels}`);
    const signal = items.find((i) => i.label === 'segnale');
    assert.equal(signal.kind, 14);
    assert.equal(signal.insertTextFormat, 2);
    const snippet = signal.insertText ?? signal.textEdit?.newText;
    assert.match(snippet, signalSnippet);
    const numbers = [...snippet.matchAll(/\$\{(\d+):/g)].map((m) => Number(m[1]));
    assert.deepEqual(numbers, Array.from({ length: 11 }, (_, i) => i + 1));
    assert.match(snippet, /^segnale, \$\{1:posizione\}/);
    assert.match(signal.detail, /posizione/);
  });

  await t.test('line text, as plain text', async (t) => {
    const session = await sessionFor(t, { snippets: false });
    await session.open(lineFile, lineText);
    const at = async (line) => {
      const answer = await session.request('textDocument/completion', {
        textDocument: { uri: session.uri(lineFile) }, position: { line, character: 0 },
      });
      return Array.isArray(answer) ? answer : answer.items;
    };
    const general = await at(1);
    const generalLabels = general.map((i) => i.label);
    assert.ok(generalLabels.includes('lunghezza percorso'), generalLabels);
    assert.ok(!generalLabels.includes('pendenza'), generalLabels);
    assert.ok(!generalLabels.includes('segnale'), generalLabels);
    const features = await at(4);
    const featureLabels = features.map((i) => i.label);
    for (const keyword of ['pendenza', 'curvad', 'curvas', 'indicatori_vmax']) {
      assert.ok(featureLabels.includes(keyword), `"${keyword}" among ${featureLabels}`);
    }
    assert.ok(!featureLabels.includes('lunghezza percorso'), featureLabels);
    assert.ok(!featureLabels.includes('stazione'), featureLabels);
    for (const item of [...general, ...features]) {
      assert.notEqual(item.insertTextFormat, 2, JSON.stringify(item));
      assert.doesNotMatch(item.insertText ?? item.textEdit?.newText ?? item.label, /\$\{/);
    }
  });
});

// Each warning that has a quick fix, in a text that holds it: the action's edit, applied, gives
// the line expected and leaves the others alone, and the warning goes.
test('quick fixes rewrite the item each warning is about', async (t) => {
  const withLine = (lines, index, replacement) =>
    lines.map((line, i) => (i === index ? replacement : line)).map((l) => l + '\r\n').join('');
  const warningOn = (pattern) => (d) => d.severity === severity.warning && pattern.test(d.message);
  const cases = [
    { what: 'misspelt keyword', file: trainFile, text: trainText, pick: isMisspelt,
      title: /^Sostituisci "segnalle" con "segnale"/, line: 8, expect: 'segnale, 2500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0' },
    { what: 'rounded speed', file: trainFile, text: trainText, pick: isSpeedWarning,
      title: /^Scrivi 85 al posto di 83/, line: 3, expect: 'velocita, 0, 85' },
    { what: 'misspelt [generale]', file: trainFile, text: withLine(trainLines, 0, '[generle]'),
      pick: warningOn(/\[generle\]/), title: /^Sostituisci "\[generle\]" con "\[generale\]"/, line: 0,
      expect: '[generale]' },
    { what: 'decimal comma', file: lineFile, text: withLine(lineLines, 4, 'pendenza, 2000, 12,5'),
      pick: warningOn(/12,5/), title: /^Scrivi 12 al posto di "12,5"/, line: 4, expect: 'pendenza, 2000, 12' },
    { what: 'keyword hidden by "-"', file: trainFile,
      text: withLine(trainLines, 10, '-segnale, 3500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0'),
      pick: warningOn(/-segnale/), title: /^Togli il trattino da "-segnale"/, line: 10,
      expect: 'segnale, 3500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0' },
  ];
  for (const { what, file, text, pick, title, line, expect } of cases) {
    await t.test(what, async (t) => {
      const session = await sessionFor(t, { encodings: ['utf-8'] });
      await session.open(file, text, 1);
      const { diagnostics } = await session.diagnostics(file, (p) => p.diagnostics.some(pick));
      const warning = findOne(diagnostics, `of the ${what}`, pick);
      const actions = await session.request('textDocument/codeAction', {
        textDocument: { uri: session.uri(file) },
        range: warning.range,
        context: { diagnostics: [warning], only: ['quickfix'] },
      });
      const action = findOne(actions, `titled ${title}`, (a) => title.test(a.title));
      assert.equal(action.kind, 'quickfix');
      const edits = Object.entries(action.edit.changes);
      assert.equal(edits.length, 1);
      assert.equal(uriPath(edits[0][0]), uriPath(session.uri(file)));
      const fixed = applyEdits(text, edits[0][1], session.encoding);
      const before = text.split('\r\n');
      const after = fixed.split('\r\n');
      assert.equal(after[line], expect);
      assert.deepEqual(after.filter((_, i) => i !== line), before.filter((_, i) => i !== line));

      await session.change(file, 2, [{ text: fixed }]);
      const published = await session.diagnostics(file, (p) => p.version === 2);
      assert.equal(published.diagnostics.filter(pick).length, 0, JSON.stringify(published.diagnostics, null, 1));
    });
  }
});

// A hover names the record and its values, and says what it compiled to: the header entry and
// the cell, with the stretch of track the cell stands for (cell N from (N - 1) × 50 to N × 50 m,
// as the dump prints it), and values as the files hold them.
test('hover says what a record compiled to', async (t) => {
  const stretch = (cell, from, to) => new RegExp(`cella ${cell} \\(${from}( m)? ?[–-] ?${to} m\\)`);
  const sound = trainText.replace('stazione, 1400,', 'stazione, 2400,');
  const cases = [
    { what: 'a sign', file: lineFile, text: lineText, line: 9,
      expect: [/cartello_indicatore/, /voce 80\b/, stretch(61, 3000, 3050)] },
    { what: 'a speed board', file: lineFile, text: lineText, line: 7,
      expect: [/indicatori_vmax/, stretch(9, 400, 450)] },
    { what: 'a station', file: trainFile, text: trainText, line: 5,
      expect: [/stazione/, /Città Alta/, /voce 1\b/, stretch(21, 1000, 1050)] },
    { what: 'a rounded speed limit', file: trainFile, text: sound, line: 3,
      expect: [/velocita/, /\b83\b/, /\b85 km\/h/] },
  ];
  for (const { what, file, text, line, expect } of cases) {
    await t.test(what, async (t) => {
      const session = await sessionFor(t);
      await session.open(file, text);
      const hover = await session.request('textDocument/hover', {
        textDocument: { uri: session.uri(file) }, position: { line, character: 2 },
      });
      assert.equal(hover.contents.kind, 'markdown');
      for (const pattern of expect) assert.match(hover.contents.value, pattern);
    });
  }
});

test('document symbols: sections holding their records, or a flat list', async (t) => {
  await t.test('hierarchical', async (t) => {
    const session = await sessionFor(t);
    await session.open(trainFile, trainText);
    const symbols = await session.request('textDocument/documentSymbol', { textDocument: { uri: session.uri(trainFile) } });
    const sections = symbols.map((s) => s.name);
    assert.deepEqual(sections.filter((n) => n !== '[fine]'), ['[generale]', '[vel_limite]', '[stazioni]', '[segnali]']);
    for (const section of symbols) assert.equal(section.kind, 3, JSON.stringify(section));
    const stations = symbols.find((s) => s.name === '[stazioni]');
    assert.deepEqual(stations.range.start, { line: 4, character: 0 });
    assert.deepEqual(stations.children.map((c) => c.name), ['stazione Città Alta', 'stazione Porta Nuova']);
    assert.match(stations.children[1].detail, /1400/);
    assert.equal(stations.children[1].selectionRange.start.line, 6);
    const signals = symbols.find((s) => s.name === '[segnali]').children.map((c) => c.name);
    assert.ok(signals.includes('segnale 3500 m'), signals);
  });
  // The program reads items, not lines: a station's name ends at a comma, and a record may
  // follow on the same line.
  await t.test('two records on one line', async (t) => {
    const session = await sessionFor(t);
    const line = 'stazione, 1000, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, Uno, ' +
                 'stazione, 2400, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 32, 0, Due';
    const text = ['[generale]', '[stazioni]', line, '[fine]'].map((l) => l + '\r\n').join('');
    await session.open(trainFile, text);
    const uri = session.uri(trainFile);
    const symbols = await session.request('textDocument/documentSymbol', { textDocument: { uri } });
    const stations = symbols.find((s) => s.name === '[stazioni]').children;
    assert.deepEqual(stations.map((s) => s.name), ['stazione Uno', 'stazione Due'], JSON.stringify(stations, null, 1));
    assert.deepEqual(stations[1].selectionRange, rangeOf(text, 2, 'stazione', 'utf-16', 1));
    const hover = await session.request('textDocument/hover', {
      textDocument: { uri }, position: rangeOf(text, 2, 'Due', 'utf-16').start,
    });
    assert.match(hover.contents.value, /Due/);
    assert.match(hover.contents.value, /2400/);
    assert.doesNotMatch(hover.contents.value, /Uno/);
  });
  await t.test('flat, for a client without hierarchy', async (t) => {
    const session = await sessionFor(t, { hierarchical: false });
    await session.open(trainFile, trainText);
    const symbols = await session.request('textDocument/documentSymbol', { textDocument: { uri: session.uri(trainFile) } });
    for (const symbol of symbols) {
      assert.ok(symbol.location && !('children' in symbol), JSON.stringify(symbol));
      assert.equal(uriPath(symbol.location.uri), uriPath(session.uri(trainFile)));
    }
    const station = findOne(symbols, 'of the second station', (s) => s.name === 'stazione Porta Nuova');
    assert.equal(station.location.range.start.line, 6);
    assert.equal(station.containerName, '[stazioni]');
  });
});

test('each section folds from its header to the line before the next', async (t) => {
  const session = await sessionFor(t);
  await session.open(lineFile, lineText);
  const ranges = await session.request('textDocument/foldingRange', { textDocument: { uri: session.uri(lineFile) } });
  const spans = ranges.map((r) => [r.startLine, r.endLine]).sort((a, b) => a[0] - b[0]);
  // [generale] 0-1, [pendenze] 2-5, [cartelli] 6-7, [indicazioni] 8-9; "[fine]" closes the text.
  assert.deepEqual(spans.filter(([start]) => start < 10), [[0, 1], [2, 5], [6, 7], [8, 9]]);
});

// A line text compiles alone as far as it goes, so its own warnings may come with the fault.
test('a text whose partner is missing gets one fault at its top naming the file', async (t) => {
  const cases = [
    { open: 'Sola_R1-.txt', text: trainText, prefix: 'testo della linea non trovato:', names: 'Sola_linea.txt' },
    { open: 'Sola_linea.txt', text: lineText, prefix: 'testo del treno non trovato:', names: 'Sola_' },
  ];
  for (const { open, text, prefix, names } of cases) {
    await t.test(open, async (t) => {
      const session = await sessionFor(t);
      await session.open(open, text);
      const { diagnostics } = await session.diagnostics(
          open, (p) => p.diagnostics.some((d) => d.severity === severity.error));
      const missing = findOne(diagnostics, 'of the missing text', (d) => d.severity === severity.error);
      assert.equal(missing.range.start.line, 0);
      assert.ok(missing.message.startsWith(prefix), missing.message);
      assert.ok(missing.message.includes(names), missing.message);
    });
  }
});

test('a line text saved later is found for the open train text', async (t) => {
  const session = await sessionFor(t);
  // Only the train text: its line is "Metrò 2", whose line text the test renames away first.
  const linePath = path.join(session.dir, lineFile);
  const hidden = `${linePath}.hidden`;
  fs.renameSync(linePath, hidden);
  t.after(() => fs.existsSync(hidden) && fs.renameSync(hidden, linePath));
  await session.open(trainFile, trainText, 1);
  await session.diagnostics(trainFile, (p) => p.diagnostics.some((d) => d.message.startsWith('testo della linea non trovato:')));
  fs.renameSync(hidden, linePath);
  await session.change(trainFile, 2, [{ text: trainText }]);
  await session.diagnostics(trainFile, (p) => p.version === 2 && p.diagnostics.some(isFault22));
});

// With "Linea" and "Linea_Nord" both lines of the folder, "Linea_Nord_R1-.txt" belongs to the
// longer, whose route of 1200 m leaves the second station and the last signal beyond its end;
// the line text counts whether it is on disk or only open in the editor.
test('a train text belongs to the longest line name', async (t) => {
  const shortRoute = lineText.replace('lunghezza percorso, 5000', 'lunghezza percorso, 1200');
  const beyond = (d) => d.severity === severity.warning && /oltre la fine del percorso/.test(d.message);
  for (const where of ['on disk', 'open in the editor']) {
    await t.test(where, async (t) => {
      const texts = { 'Linea_linea.txt': lineText, 'Linea_Nord_R1-.txt': trainText };
      if (where === 'on disk') texts['Linea_Nord_linea.txt'] = shortRoute;
      const session = await sessionFor(t, {}, texts);
      if (where !== 'on disk') await session.open('Linea_Nord_linea.txt', shortRoute);
      await session.open('Linea_Nord_R1-.txt', trainText);
      const { diagnostics } = await session.diagnostics('Linea_Nord_R1-.txt', (p) => p.diagnostics.some(beyond));
      assert.deepEqual(diagnostics.filter(beyond).map((d) => d.range.start.line).sort((a, b) => a - b), [6, 10]);
    });
  }
});
