// Tests of the two grammars as VS Code runs them (vscode-textmate over the Oniguruma of
// vscode-oniguruma): the program's own texts, read in Windows-1252, get their sections,
// keywords, numbers and text items scoped; a few lines beyond them cover what the program's
// texts do not hold (an accented name, a quoted item, the case rules, misspelt keywords); and
// every keyword of the Notepad++ completion files, which the build generates from the
// compiler's keyword tables, is a keyword here too.
'use strict';

const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const vsctm = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const extensionRoot = path.resolve(__dirname, '..');
const goldenDir =
  process.env.SCENARIO_GOLDEN_DIR || path.resolve(extensionRoot, '../../tests/golden/descriptions');
const notepadppDir = process.env.SCENARIO_NOTEPADPP_DIR;

const manifest = JSON.parse(fs.readFileSync(path.join(extensionRoot, 'package.json'), 'utf8'));

const onigLib = (async () => {
  const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  return {
    createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
    createOnigString: (text) => new oniguruma.OnigString(text),
  };
})();

// The grammars are found as VS Code finds them: through the manifest.
const registry = new vsctm.Registry({
  onigLib,
  loadGrammar: async (scopeName) => {
    const entry = manifest.contributes.grammars.find((g) => g.scopeName === scopeName);
    if (!entry) return null;
    const file = path.join(extensionRoot, entry.path);
    return vsctm.parseRawGrammar(fs.readFileSync(file, 'utf8'), file);
  },
});

async function grammarOf(language) {
  const entry = manifest.contributes.grammars.find((g) => g.language === language);
  assert.ok(entry, `no grammar for ${language}`);
  const grammar = await registry.loadGrammar(entry.scopeName);
  assert.ok(grammar, `grammar ${entry.scopeName} not loaded`);
  return grammar;
}

function readText(name) {
  return new TextDecoder('windows-1252').decode(fs.readFileSync(path.join(goldenDir, name)));
}

// Lines of [text, scopes] tokens.
function tokenize(grammar, text) {
  let stack = vsctm.INITIAL;
  return text.split(/\r\n|\n|\r/).map((line) => {
    const result = grammar.tokenizeLine(line, stack);
    stack = result.ruleStack;
    return result.tokens.map((t) => ({
      text: line.slice(t.startIndex, t.endIndex),
      scopes: t.scopes,
    }));
  });
}

// The scopes of the token that is exactly `text` on the first line that starts with `start`.
function scopesOf(lines, start, text) {
  const line = lines.find((tokens) => tokens.map((t) => t.text).join('').startsWith(start));
  assert.ok(line, `no line starting with ${JSON.stringify(start)}`);
  const token = line.find((t) => t.text === text);
  assert.ok(
    token,
    `no token ${JSON.stringify(text)} on ${JSON.stringify(start)}: ` +
      JSON.stringify(line.map((t) => t.text)));
  return token.scopes;
}

function hasScope(scopes, prefix) {
  return scopes.some((s) => s === prefix || s.startsWith(`${prefix}.`));
}

const SECTION = 'entity.name.section';
const KEYWORD = 'keyword.other.record';
const NUMBER = 'constant.numeric.integer';
const TEXT = 'string.unquoted.text';
const QUOTED = 'string.quoted.double';

// language | text | the line that starts with | token | scope it has (or null: none of ours)
const cases = [
  ['scenario-linea', 'linea.txt', '[generale]', 'generale', SECTION],
  ['scenario-linea', 'linea.txt', 'lunghezza percorso', 'lunghezza percorso', KEYWORD],
  ['scenario-linea', 'linea.txt', 'lunghezza percorso', '22000', NUMBER],
  ['scenario-linea', 'linea.txt', 'ripetizione segnali', 'ripetizione segnali 4 codici', KEYWORD],
  ['scenario-linea', 'linea.txt', 'ripetizione segnali', '0', NUMBER],
  ['scenario-linea', 'linea.txt', 'progressiva chilometrica uno', 'progressiva chilometrica uno', KEYWORD],
  ['scenario-linea', 'linea.txt', 'sfondo uno', 'sfondo uno', KEYWORD],
  ['scenario-linea', 'linea.txt', '[curve]', 'curve', SECTION],
  ['scenario-linea', 'linea.txt', 'curvas6', 'curvas6', KEYWORD],
  ['scenario-linea', 'linea.txt', 'curvas6', '2400', NUMBER],
  ['scenario-linea', 'linea.txt', 'pendenza,  2100', 'pendenza', KEYWORD],
  ['scenario-linea', 'linea.txt', 'pendenza,  2100', '-25', NUMBER],
  ['scenario-linea', 'linea.txt', 'montagna', 'montagna', KEYWORD],
  ['scenario-linea', 'linea.txt', 'indicatori_vmax,  400', 'indicatori_vmax', KEYWORD],
  ['scenario-linea', 'linea.txt', 'indicatori_vmax,  400', '80', NUMBER],
  ['scenario-linea', 'linea.txt', 'cartello_indicatore,  2150', 'cartello_indicatore', KEYWORD],
  ['scenario-linea', 'linea.txt', 'cartello_indicatore,  2150', '(INIZIO TRATTA)(SOTTERRANEA  )', TEXT],
  ['scenario-linea', 'linea.txt', '[fine]', 'fine', SECTION],
  ['scenario-treno', 'treno.txt', '[generale]', 'generale', SECTION],
  ['scenario-treno', 'treno.txt', 'numero vetture', 'numero vetture', KEYWORD],
  ['scenario-treno', 'treno.txt', 'numero vetture', '6', NUMBER],
  ['scenario-treno', 'treno.txt', 'percentuale massa frenata', 'percentuale massa frenata', KEYWORD],
  ['scenario-treno', 'treno.txt', 'orologio', '29', NUMBER],
  ['scenario-treno', 'treno.txt', 'orologio', '30', NUMBER],
  ['scenario-treno', 'treno.txt', '[vel_limite]', 'vel_limite', SECTION],
  ['scenario-treno', 'treno.txt', 'velocita,    2200', 'velocita', KEYWORD],
  ['scenario-treno', 'treno.txt', 'stazione,       0', 'stazione', KEYWORD],
  ['scenario-treno', 'treno.txt', 'stazione,       0', 'Cascina Telvo', TEXT],
  ['scenario-treno', 'treno.txt', 'stazione,    4000', 'Lostrave FS', TEXT],
  ['scenario-treno', 'treno.txt', 'stazione,   14000', 'S.Anselvio', TEXT],
  ['scenario-treno', 'treno.txt', 'stazione,   17600', '130', NUMBER],
  ['scenario-treno', 'treno.txt', 'segnale,     750', 'segnale', KEYWORD],
  ['scenario-treno', 'treno.txt', 'segnale,     750', '750', NUMBER],
];

for (const [language, file, start, token, scope] of cases) {
  test(`${file}: "${token}" on "${start}" is ${scope}`, async () => {
    const lines = tokenize(await grammarOf(language), readText(file));
    const scopes = scopesOf(lines, start, token);
    assert.ok(hasScope(scopes, scope), `scopes ${scopes.join(' ')}`);
    assert.ok(scopes.some((s) => s.endsWith(`.${language}`)), `not scoped as ${language}`);
  });
}

// Lines the program's texts do not hold: what an author may write besides.
// language | line | token | scope, or null for none of the record scopes
const written = [
  ['scenario-treno', 'stazione, 19000, 27, 200, 0, 0, 0, 0,0,0, 0,0,0, 10, 6,53, 0, Metrò Centrale', 'Metrò Centrale', TEXT],
  ['scenario-treno', 'stazione, 19000, 27, 200, 0, 0, 0, 0,0,0, 0,0,0, 10, 6,53, 0, Metrò Centrale', 'stazione', KEYWORD],
  ['scenario-treno', 'stazione, 19000, 27, 200, 0, 0, 0, 0,0,0, 0,0,0, 10, 6,53, 0, "Piazza, Duomo"', '"Piazza, Duomo"', QUOTED],
  ['scenario-treno', 'velocità, 0, -80', 'velocità', KEYWORD],
  ['scenario-treno', 'velocità, 0, -80', '-80', NUMBER],
  ['scenario-treno', 'Segnale, 750, 2', 'Segnale', KEYWORD],
  ['scenario-treno', 'segnalle, 750, 2', 'segnalle', null],
  ['scenario-treno', 'pendenza, 0, 0', 'pendenza', null],
  ['scenario-linea', 'curva, 2400, 200', 'curva', null],
  ['scenario-linea', 'curvad7, 2400, 200', 'curvad7', null],
  ['scenario-linea', 'PENDENZA, 100, +5', 'PENDENZA', KEYWORD],
  ['scenario-linea', 'PENDENZA, 100, +5', '+5', NUMBER],
  ['scenario-linea', 'Sfondo uno, 1', 'Sfondo uno', null],
  ['scenario-linea', 'segnale, 750, 2', 'segnale', null],
  ['scenario-linea', 'pendenza, 12.5, 0', '12.5', TEXT],
  ['scenario-linea', 'cartello_indicatore, 2150, (USCITA Metrò)', '(USCITA Metrò)', TEXT],
];

for (const [language, line, token, scope] of written) {
  test(`${language}: "${token}" in "${line}" is ${scope || 'not a record part'}`, async () => {
    const [tokens] = tokenize(await grammarOf(language), line);
    const found = tokens.find((t) => t.text === token);
    assert.ok(found, `no token ${JSON.stringify(token)}: ${JSON.stringify(tokens.map((t) => t.text))}`);
    if (scope) {
      assert.ok(hasScope(found.scopes, scope), `scopes ${found.scopes.join(' ')}`);
    } else {
      for (const s of [KEYWORD, NUMBER, TEXT, QUOTED, SECTION]) {
        assert.ok(!hasScope(found.scopes, s), `scoped ${found.scopes.join(' ')}`);
      }
    }
  });
}

// The keyword lists of the Notepad++ completion files come from the compiler's keyword tables.
for (const language of ['scenario-linea', 'scenario-treno']) {
  test(`every keyword and section of the ${language} tables is scoped`, async (t) => {
    if (!notepadppDir) {
      t.skip('SCENARIO_NOTEPADPP_DIR is not set');
      return;
    }
    const completion = fs.readFileSync(path.join(notepadppDir, 'autoCompletion', `${language}.xml`), 'utf8');
    const keywords = [...completion.matchAll(/<KeyWord name="([^"]*)" func="yes">/g)].map((m) => m[1]);
    const sections = [...completion.matchAll(/<KeyWord name="(\[[^"]*\])" \/>/g)].map((m) => m[1]);
    assert.ok(keywords.length >= 10, `only ${keywords.length} keywords in the completion file`);
    assert.ok(sections.length >= 5, `only ${sections.length} sections in the completion file`);
    const grammar = await grammarOf(language);
    for (const keyword of keywords) {
      const [tokens] = tokenize(grammar, `${keyword}, 1`);
      assert.equal(tokens[0].text, keyword, `"${keyword}" is not one token`);
      assert.ok(hasScope(tokens[0].scopes, KEYWORD), `"${keyword}": ${tokens[0].scopes.join(' ')}`);
    }
    for (const section of sections) {
      const [tokens] = tokenize(grammar, section);
      const name = tokens.find((tok) => tok.text === section.slice(1, -1));
      assert.ok(name && hasScope(name.scopes, SECTION), `"${section}" is not a section`);
    }
  });
}
