// What the tests of the language server share: the small scenario they write, the server started
// as a child process and driven through vscode-jsonrpc, the diagnostics it publishes, and the
// positions of the protocol in each of its encodings.
'use strict';

const assert = require('node:assert/strict');
const childProcess = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const url = require('node:url');
const rpc = require('vscode-jsonrpc/node');

const tool = process.env.SCENARIO_TOOL && path.resolve(process.env.SCENARIO_TOOL);
if (!tool) throw new Error('SCENARIO_TOOL must name the scenario-tool executable');

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; five of those bytes have no character.
const cp1252High = '€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008dŽ\u008f\u0090‘’“”•–—˜™š›œ\u009džŸ';

function toWindows1252(text) {
  const bytes = [];
  for (const ch of text) {
    const code = ch.codePointAt(0);
    const high = cp1252High.indexOf(ch);
    if (high >= 0 && code > 0xff) bytes.push(0x80 + high);
    else if (code < 0x80 || (code >= 0xa0 && code <= 0xff)) bytes.push(code);
    else throw new Error(`no Windows-1252 form for U+${code.toString(16)}`);
  }
  return Buffer.from(bytes);
}

const lineName = 'Metrò 2';
const lineFile = `${lineName}_linea.txt`;
const trainFile = `${lineName}_R1-.txt`;

// The line text: a 5000 m route, a gradient written out of order (warning at its position, with
// a note at the gradient before it), a speed board and a sign whose text holds a character that
// Windows-1252 has and Latin-1 has not.
const lineLines = [
  '[generale]',                                   // 0
  'lunghezza percorso, 5000',                     // 1
  '[pendenze]',                                   // 2
  'pendenza, 0, 0',                               // 3
  'pendenza, 2000, 5',                            // 4
  'pendenza, 1500, 3',                            // 5
  '[cartelli]',                                   // 6
  'indicatori_vmax, 400, 80, 80, 80, 0, , , , 0', // 7
  '[indicazioni]',                                // 8
  'cartello_indicatore, 3000, (BIGLIETTO 2 €)',   // 9
  '[fine]',                                       // 10
];

// The train text, by line (0-based, as the protocol counts): a speed limit the cells round
// (warning at its value), two stations too close (fault 22 at the second, with a note at the
// first), a misspelt keyword (warning), an empty line to complete on.
const trainLines = [
  '[generale]',                                                                  // 0
  'numero vetture, 4',                                                           // 1
  '[vel_limite]',                                                                // 2
  'velocita, 0, 83',                                                             // 3
  '[stazioni]',                                                                  // 4
  'stazione, 1000, 12, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 30, 0, Città Alta', // 5
  'stazione, 1400, 27, 200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 6, 32, 0, Porta Nuova', // 6
  '[segnali]',                                                                   // 7
  'segnalle, 2500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0',                                // 8
  '',                                                                            // 9
  'segnale, 3500, 2, 3, 1, 1, 0, 2, 2, 1, 1, 0',                                 // 10
  '[fine]',                                                                      // 11
];

const joined = (lines) => lines.map((l) => l + '\r\n').join('');
const lineText = joined(lineLines);
const trainText = joined(trainLines);

// A fresh folder holding the two texts as the program writes them. Removed when the process
// ends, kept with SCENARIO_KEEP_WORK=1.
function writeScenario(texts = {}) {
  const root = process.env.SCENARIO_EDITOR_WORK || os.tmpdir();
  fs.mkdirSync(root, { recursive: true });
  const dir = fs.mkdtempSync(path.join(root, 'lsp-'));
  const files = { [lineFile]: lineText, [trainFile]: trainText, ...texts };
  for (const [name, text] of Object.entries(files)) {
    fs.writeFileSync(path.join(dir, name), toWindows1252(text));
  }
  if (process.env.SCENARIO_KEEP_WORK !== '1') {
    process.on('exit', () => fs.rmSync(dir, { recursive: true, force: true }));
  }
  return dir;
}

// Every file of a folder with its bytes, to prove that the server wrote nothing.
function folderSnapshot(dir) {
  const snapshot = {};
  for (const name of fs.readdirSync(dir).sort()) {
    snapshot[name] = fs.readFileSync(path.join(dir, name)).toString('base64');
  }
  return snapshot;
}

const fileUri = (file) => url.pathToFileURL(file).href;
// URIs are compared by the path they name: a server may escape characters otherwise.
const uriPath = (uri) => path.resolve(url.fileURLToPath(uri));

// The size of a piece of text in the units of a position encoding.
function unitsOf(text, encoding) {
  switch (encoding) {
    case 'utf-8':
      return Buffer.byteLength(text, 'utf8');
    case 'utf-16':
      return text.length;
    case 'utf-32':
      return [...text].length;
    default:
      throw new Error(`unknown encoding ${encoding}`);
  }
}

// The character index (UTF-16, as JavaScript counts) of a protocol position in a text.
function indexOf(text, position, encoding) {
  let index = 0;
  for (let line = 0; line < position.line; ++line) {
    const next = text.indexOf('\n', index);
    assert.ok(next >= 0, `line ${position.line} beyond the text`);
    index = next + 1;
  }
  let units = 0;
  while (units < position.character) {
    const ch = String.fromCodePoint(text.codePointAt(index));
    assert.ok(ch !== '\n' && index < text.length, `character ${position.character} beyond its line`);
    units += unitsOf(ch, encoding);
    index += ch.length;
  }
  assert.equal(units, position.character, 'position inside a character');
  return index;
}

// Applies text edits (non-overlapping, as the protocol requires) to a text.
function applyEdits(text, edits, encoding) {
  const spans = edits.map((edit) => ({
    from: indexOf(text, edit.range.start, encoding),
    to: indexOf(text, edit.range.end, encoding),
    newText: edit.newText,
  }));
  spans.sort((a, b) => b.from - a.from);
  for (const span of spans) text = text.slice(0, span.from) + span.newText + text.slice(span.to);
  return text;
}

// The client capabilities of the tests; `encodings` undefined offers none.
function clientCapabilities({ encodings, relatedInformation = true, snippets = true, hierarchical = true } = {}) {
  const capabilities = {
    textDocument: {
      synchronization: { dynamicRegistration: false },
      publishDiagnostics: { relatedInformation, versionSupport: true },
      hover: { contentFormat: ['markdown', 'plaintext'] },
      documentSymbol: { hierarchicalDocumentSymbolSupport: hierarchical },
      completion: { completionItem: { snippetSupport: snippets } },
      codeAction: {
        codeActionLiteralSupport: { codeActionKind: { valueSet: ['quickfix'] } },
      },
      foldingRange: { lineFoldingOnly: true },
    },
  };
  if (encodings) capabilities.general = { positionEncodings: encodings };
  return capabilities;
}

// The server as a child process in `dir`, its standard error kept for failure messages.
function spawnServer(dir) {
  const child = childProcess.spawn(tool, ['lsp'], { cwd: dir, stdio: ['pipe', 'pipe', 'pipe'] });
  child.stderrText = '';
  child.stderr.setEncoding('utf8');
  child.stderr.on('data', (chunk) => (child.stderrText += chunk));
  child.exited = new Promise((resolve) => {
    child.on('exit', (code, signal) => resolve({ code, signal }));
  });
  // A write into a server that already ended must fail the test through its checks, not crash
  // the test process.
  child.stdin.on('error', () => {});
  return child;
}

// Resolves with the exit of a child, or rejects after `ms`.
async function exitWithin(child, ms) {
  let timer;
  const timeout = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`the server did not end within ${ms} ms`)), ms);
  });
  try {
    return await Promise.race([child.exited, timeout]);
  } finally {
    clearTimeout(timer);
  }
}

// A server driven through vscode-jsonrpc: the connection, the diagnostics published so far, and
// waits on them.
class Session {
  constructor(dir, options = {}) {
    this.dir = dir;
    this.child = spawnServer(dir);
    this.connection = rpc.createMessageConnection(
      new rpc.StreamMessageReader(this.child.stdout),
      new rpc.StreamMessageWriter(this.child.stdin),
    );
    this.published = new Map(); // path -> the last publishDiagnostics params
    this.waiters = [];
    this.connection.onNotification('textDocument/publishDiagnostics', (params) => {
      this.published.set(uriPath(params.uri), params);
      for (const waiter of [...this.waiters]) waiter();
    });
    this.connection.listen();
    this.options = options;
  }

  static async start(dir, options = {}) {
    const session = new Session(dir, options);
    // A server that ends instead of answering fails here, with what it said.
    const ended = session.child.exited.then(({ code, signal }) => {
      throw new Error(`the server ended (status ${code}, signal ${signal}) instead of answering ` +
                      `initialize; its stderr: ${session.child.stderrText}`);
    });
    session.initializeResult = await Promise.race([
      session.request('initialize', {
        processId: process.pid,
        rootUri: fileUri(dir),
        workspaceFolders: [{ uri: fileUri(dir), name: path.basename(dir) }],
        capabilities: clientCapabilities(options),
      }),
      ended,
    ]);
    ended.catch(() => {});
    await session.connection.sendNotification('initialized', {});
    session.encoding = session.initializeResult.capabilities.positionEncoding ?? 'utf-16';
    return session;
  }

  request(method, params) {
    return this.connection.sendRequest(method, params);
  }

  notify(method, params) {
    return this.connection.sendNotification(method, params);
  }

  uri(name) {
    return fileUri(path.join(this.dir, name));
  }

  async open(name, text, version = 1) {
    await this.notify('textDocument/didOpen', {
      textDocument: { uri: this.uri(name), languageId: 'scenario', version, text },
    });
  }

  async change(name, version, contentChanges) {
    await this.notify('textDocument/didChange', {
      textDocument: { uri: this.uri(name), version },
      contentChanges,
    });
  }

  // The next diagnostics of text `name` that satisfy `accept` (the last ones already published
  // count); fails after `ms` with what was published.
  diagnostics(name, accept, ms = 10000) {
    const key = uriPath(this.uri(name));
    return new Promise((resolve, reject) => {
      const check = () => {
        const params = this.published.get(key);
        if (params && accept(params)) {
          done();
          resolve(params);
        }
      };
      const timer = setTimeout(() => {
        done();
        const last = JSON.stringify(this.published.get(key) ?? null, null, 1);
        reject(new Error(`no accepted diagnostics for ${name} within ${ms} ms; last: ${last}` +
                         `\nserver's stderr: ${this.child.stderrText}`));
      }, ms);
      const done = () => {
        clearTimeout(timer);
        this.waiters = this.waiters.filter((w) => w !== check);
      };
      this.waiters.push(check);
      check();
    });
  }

  // Shutdown and exit, then the exit status.
  async close() {
    try {
      await this.request('shutdown');
      await this.notify('exit');
    } finally {
      this.connection.dispose();
    }
    const { code } = await exitWithin(this.child, 5000);
    return code;
  }

  kill() {
    this.connection.dispose();
    this.child.kill('SIGKILL');
  }
}

const severity = { error: 1, warning: 2, information: 3, hint: 4 };

// The one diagnostic of a list that satisfies `accept`; fails naming them all otherwise.
function findOne(diagnostics, description, accept) {
  const found = diagnostics.filter(accept);
  assert.equal(found.length, 1,
               `expected one diagnostic ${description}, got ${found.length} among ` +
                   JSON.stringify(diagnostics, null, 1));
  return found[0];
}

// The range of the first occurrence of `piece` on line `line` of a text, in an encoding.
function rangeOf(text, line, piece, encoding, occurrence = 0) {
  const lines = text.split('\n');
  let column = -1;
  for (let i = 0; i <= occurrence; ++i) column = lines[line].indexOf(piece, column + 1);
  assert.ok(column >= 0, `"${piece}" is not on line ${line}`);
  const before = lines[line].slice(0, column);
  const start = unitsOf(before, encoding);
  return {
    start: { line, character: start },
    end: { line, character: start + unitsOf(piece, encoding) },
  };
}

module.exports = {
  Session,
  applyEdits,
  exitWithin,
  fileUri,
  findOne,
  folderSnapshot,
  lineFile,
  lineLines,
  lineName,
  lineText,
  rangeOf,
  rpc,
  severity,
  spawnServer,
  toWindows1252,
  trainFile,
  trainLines,
  trainText,
  unitsOf,
  uriPath,
  writeScenario,
};
