// What `scenario-tool lsp` tells an editor about a small scenario, through vscode-jsonrpc:
// diagnostics on open and after each change, positions in every encoding, completion, quick
// fixes, folding, and the texts a scenario misses.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { test } = require('node:test');
const {
  Session, applyEdits, findOne, folderSnapshot, lineFile, lineText, positionOf, rangeOf,
  severity, trainFile, trainLines, trainText, unitsOf, uriPath, writeScenario,
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
  const insert = { range: rangeOf(text, 9, '', 'utf-16'), text: 'velocitta, 3000, 60' };
  text = applyEdits(text, [{ range: insert.range, newText: insert.text }], 'utf-16');
  const fix = { range: rangeOf(text, 8, 'segnalle', 'utf-16'), text: 'segnale' };
  text = applyEdits(text, [{ range: fix.range, newText: fix.text }], 'utf-16');
  await session.change(trainFile, 3, [insert, fix]);
  published = await session.diagnostics(trainFile, (p) => p.version === 3);
  assert.equal(published.diagnostics.filter(isMisspelt).length, 0);
  const added = findOne(published.diagnostics, 'on the new misspelt keyword',
                        (d) => d.severity === severity.warning && d.message.includes('"velocitta"'));
  assert.deepEqual(added.range, rangeOf(text, 9, 'velocitta', 'utf-16'));

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

test('quick fixes replace the misspelt keyword and the rounded speed', async (t) => {
  const cases = [
    { what: 'misspelt keyword', pick: isMisspelt, title: /^Sostituisci "segnalle" con "segnale"/, line: 8, expect: 'segnale, 2500' },
    { what: 'rounded speed', pick: isSpeedWarning, title: /^Scrivi 85 al posto di 83/, line: 3, expect: 'velocita, 0, 85' },
  ];
  for (const { what, pick, title, line, expect } of cases) {
    await t.test(what, async (t) => {
      const session = await sessionFor(t, { encodings: ['utf-8'] });
      await session.open(trainFile, trainText, 1);
      const { diagnostics } = await session.diagnostics(trainFile, (p) => p.diagnostics.some(pick));
      const warning = findOne(diagnostics, `of the ${what}`, pick);
      const actions = await session.request('textDocument/codeAction', {
        textDocument: { uri: session.uri(trainFile) },
        range: warning.range,
        context: { diagnostics: [warning], only: ['quickfix'] },
      });
      const action = findOne(actions, `titled ${title}`, (a) => title.test(a.title));
      assert.equal(action.kind, 'quickfix');
      const edits = Object.entries(action.edit.changes);
      assert.equal(edits.length, 1);
      assert.equal(uriPath(edits[0][0]), uriPath(session.uri(trainFile)));
      const fixed = applyEdits(trainText, edits[0][1], session.encoding);
      const fixedLines = fixed.split('\r\n');
      assert.ok(fixedLines[line].startsWith(expect), fixedLines[line]);
      assert.deepEqual(fixedLines.filter((_, i) => i !== line), trainLines.concat('').filter((_, i) => i !== line));

      await session.change(trainFile, 2, [{ text: fixed }]);
      const after = await session.diagnostics(trainFile, (p) => p.version === 2);
      assert.equal(after.diagnostics.filter(pick).length, 0, JSON.stringify(after.diagnostics, null, 1));
    });
  }
});

test('each section folds from its header to the line before the next', async (t) => {
  const session = await sessionFor(t);
  await session.open(lineFile, lineText);
  const ranges = await session.request('textDocument/foldingRange', { textDocument: { uri: session.uri(lineFile) } });
  const spans = ranges.map((r) => [r.startLine, r.endLine]).sort((a, b) => a[0] - b[0]);
  // [generale] 0-1, [pendenze] 2-5, [cartelli] 6-7, [indicazioni] 8-9; "[fine]" closes the text.
  assert.deepEqual(spans.filter(([start]) => start < 10), [[0, 1], [2, 5], [6, 7], [8, 9]]);
});

test('a text whose partner is missing gets one fault at its top naming the file', async (t) => {
  const cases = [
    { open: 'Sola_R1-.txt', text: trainText, prefix: 'testo della linea non trovato:', names: 'Sola_linea.txt' },
    { open: 'Sola_linea.txt', text: lineText, prefix: 'testo del treno non trovato:', names: 'Sola_' },
  ];
  for (const { open, text, prefix, names } of cases) {
    await t.test(open, async (t) => {
      const session = await sessionFor(t);
      await session.open(open, text);
      const { diagnostics } = await session.diagnostics(open, (p) => p.diagnostics.length > 0);
      assert.equal(diagnostics.length, 1, JSON.stringify(diagnostics, null, 1));
      const [missing] = diagnostics;
      assert.equal(missing.severity, severity.error);
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
