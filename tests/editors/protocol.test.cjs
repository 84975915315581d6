// The protocol of `scenario-tool lsp` as vscode-jsonrpc speaks it: initialization and the
// position encoding, malformed messages written raw, cancellation, the end of the process, and
// a standard output that holds nothing but framed messages.
'use strict';

const assert = require('node:assert/strict');
const { test } = require('node:test');
const {
  Session, exitWithin, fileUri, folderSnapshot, rpc, spawnServer, trainFile, trainText,
  writeScenario,
} = require('./lsp_session.cjs');

// A server whose standard input the test writes byte by byte and whose output vscode-jsonrpc's
// reader takes apart: answers in one queue, the server's own notifications in another.
class RawServer {
  constructor(dir) {
    this.dir = dir;
    this.child = spawnServer(dir);
    this.queues = { answers: [], notifications: [] };
    this.waiting = null;
    this.reader = new rpc.StreamMessageReader(this.child.stdout);
    this.reader.onError((error) => this.push({ readerError: String(error) }));
    this.reader.listen((message) => this.push(message));
  }

  push(message) {
    this.queues['method' in message ? 'notifications' : 'answers'].push(message);
    if (this.waiting) this.waiting();
  }

  write(bytes) {
    return new Promise((resolve, reject) => {
      this.child.stdin.write(bytes, (error) => (error ? reject(error) : resolve()));
    });
  }

  send(message) {
    const body = Buffer.from(JSON.stringify(message), 'utf8');
    return this.write(Buffer.concat([Buffer.from(`Content-Length: ${body.length}\r\n\r\n`), body]));
  }

  async take(queue, ms) {
    const deadline = Date.now() + ms;
    while (this.queues[queue].length === 0) {
      const left = deadline - Date.now();
      if (left <= 0) {
        throw new Error(`nothing in ${queue} from the server within ${ms} ms; ` +
                        `stderr: ${this.child.stderrText}`);
      }
      await new Promise((resolve) => {
        const timer = setTimeout(resolve, left);
        this.waiting = () => {
          clearTimeout(timer);
          resolve();
        };
      });
      this.waiting = null;
    }
    const message = this.queues[queue].shift();
    assert.ok(!message.readerError, `the reader failed: ${message.readerError}`);
    return message;
  }

  // The next answer (a message without a method), within `ms`.
  next(ms = 5000) {
    return this.take('answers', ms);
  }

  // The next notification of `method` from the server, passing over others.
  async notification(method, ms = 10000) {
    for (;;) {
      const message = await this.take('notifications', ms);
      if (message.method === method) return message;
    }
  }

  // Answers up to the one to request `id`, which comes last.
  async until(id, ms = 10000) {
    const seen = [];
    const deadline = Date.now() + ms;
    for (;;) {
      const message = await this.next(Math.max(1, deadline - Date.now()));
      seen.push(message);
      if (message.id === id) return seen;
    }
  }

  async initialize(capabilities = {}) {
    await this.send({
      jsonrpc: '2.0', id: 'init', method: 'initialize',
      params: { processId: process.pid, rootUri: fileUri(this.dir), capabilities },
    });
    const answer = await this.next();
    assert.equal(answer.id, 'init');
    assert.ok(answer.result, `initialize failed: ${JSON.stringify(answer)}`);
    await this.send({ jsonrpc: '2.0', method: 'initialized', params: {} });
    return answer.result;
  }
}

function assertError(message, code, id) {
  assert.ok(message.error, `expected an error answer, got ${JSON.stringify(message)}`);
  assert.equal(message.error.code, code, JSON.stringify(message));
  assert.equal(typeof message.error.message, 'string');
  assert.deepEqual(message.id, id, JSON.stringify(message));
  assert.equal(message.jsonrpc, '2.0');
  assert.ok(!('result' in message), 'an error answer holds no result');
}

test('initialize answers the capabilities and negotiates the position encoding', async (t) => {
  const dir = writeScenario();
  const cases = [
    { offer: ['utf-8'], expect: 'utf-8' },
    { offer: ['utf-32', 'utf-16'], expect: 'utf-32' },
    { offer: ['utf-16', 'utf-8'], expect: 'utf-16' },
    { offer: ['latin1', 'utf-8', 'utf-32'], expect: 'utf-8' },
    { offer: [], expect: 'utf-16' },
    { offer: undefined, expect: 'utf-16' },
  ];
  for (const { offer, expect } of cases) {
    await t.test(`offered ${JSON.stringify(offer)}`, async () => {
      const session = await Session.start(dir, { encodings: offer });
      try {
        const { capabilities, serverInfo } = session.initializeResult;
        assert.equal(capabilities.positionEncoding, expect);
        assert.deepEqual(capabilities.textDocumentSync, { openClose: true, change: 2 });
        assert.equal(capabilities.hoverProvider, true);
        assert.equal(capabilities.documentSymbolProvider, true);
        assert.equal(typeof capabilities.completionProvider, 'object');
        assert.deepEqual(capabilities.codeActionProvider, { codeActionKinds: ['quickfix'] });
        assert.equal(capabilities.foldingRangeProvider, true);
        assert.equal(serverInfo.name, 'scenario-tool');
        assert.match(serverInfo.version, /\S/);
      } finally {
        assert.equal(await session.close(), 0, session.child.stderrText);
      }
    });
  }
});

test('requests before initialize are refused, and initialize still works after', async () => {
  const server = new RawServer(writeScenario());
  try {
    await server.send({
      jsonrpc: '2.0', id: 1, method: 'textDocument/hover',
      params: { textDocument: { uri: fileUri(server.dir) }, position: { line: 0, character: 0 } },
    });
    assertError(await server.next(), -32002, 1);
    // A notification before initialize is dropped without an answer.
    await server.send({ jsonrpc: '2.0', method: 'initialized', params: {} });
    const result = await server.initialize();
    assert.equal(result.capabilities.positionEncoding, 'utf-16');
  } finally {
    server.child.kill('SIGKILL');
  }
});

test('malformed messages get their errors and the server goes on', async (t) => {
  const server = new RawServer(writeScenario());
  t.after(() => server.child.kill('SIGKILL'));
  await server.initialize({ general: { positionEncodings: ['utf-16'] } });
  const uri = fileUri(`${server.dir}/${trainFile}`);
  await server.send({
    jsonrpc: '2.0', method: 'textDocument/didOpen',
    params: { textDocument: { uri, languageId: 'scenario', version: 1, text: trainText } },
  });
  const frame = (text) => `Content-Length: ${Buffer.byteLength(text)}\r\n\r\n${text}`;
  const cases = [
    { what: 'unparsable JSON', bytes: frame('{"jsonrpc":"2.0","id":1,"method":'), code: -32700, id: null },
    { what: 'a JSON array', bytes: frame('[1,2,3]'), code: -32600, id: null },
    { what: 'a JSON number', bytes: frame('42'), code: -32600, id: null },
    {
      what: 'an unknown request method',
      bytes: frame('{"jsonrpc":"2.0","id":5,"method":"scenario/noSuchMethod","params":{}}'),
      code: -32601, id: 5,
    },
    {
      what: 'a hover on the open text with a position that is no position',
      bytes: frame(JSON.stringify({
        jsonrpc: '2.0', id: 'h', method: 'textDocument/hover',
        params: { textDocument: { uri }, position: 'x' },
      })),
      code: -32602, id: 'h',
    },
    {
      what: 'a hover without a text',
      bytes: frame('{"jsonrpc":"2.0","id":"h2","method":"textDocument/hover","params":{}}'),
      code: -32602, id: 'h2',
    },
    { what: 'a header block without Content-Length', bytes: 'Content-Type: text/plain\r\n\r\n', code: -32700, id: null },
    { what: 'a Content-Length that is no number', bytes: 'Content-Length: twelve\r\n\r\n', code: -32700, id: null },
  ];
  for (const { what, bytes, code, id } of cases) {
    await t.test(what, async () => {
      await server.write(bytes);
      assertError(await server.next(), code, id);
    });
  }
  await t.test('an unknown notification is ignored', async () => {
    await server.send({ jsonrpc: '2.0', method: 'scenario/noSuchNotification', params: {} });
    await server.send({ jsonrpc: '2.0', id: 'probe', method: 'scenario/probe' });
    // The first answer after the notification is the probe's.
    assertError(await server.next(), -32601, 'probe');
  });
  await t.test('the server still compiles and answers', async () => {
    await server.send({
      jsonrpc: '2.0', method: 'textDocument/didChange',
      params: { textDocument: { uri, version: 2 }, contentChanges: [{ text: trainText }] },
    });
    for (;;) {
      const { params } = await server.notification('textDocument/publishDiagnostics');
      if (params.version === 2) {
        assert.ok(params.diagnostics.some((d) => d.code === 22), JSON.stringify(params));
        break;
      }
    }
    await server.send({ jsonrpc: '2.0', id: 'bye', method: 'shutdown' });
    const seen = await server.until('bye');
    assert.equal(seen.at(-1).result, null);
    await server.send({ jsonrpc: '2.0', method: 'exit' });
    assert.equal((await exitWithin(server.child, 5000)).code, 0);
  });
});

// A body of 64 MiB is read; one byte more is refused and passed over. The refused body is made
// of whole messages, so that a server that read it instead of passing over it would answer
// them; the accepted one is a request after 64 MiB of blanks.
test('a body over 64 MiB is refused and passed over, one of 64 MiB is read', { timeout: 120000 }, async (t) => {
  const limit = 64 * 1024 * 1024;
  const writeBody = async (server, size, piece, tail = '') => {
    const chunk = Buffer.concat(Array(Math.ceil(65536 / piece.length)).fill(piece));
    const bulk = size - Buffer.byteLength(tail);
    await server.write(`Content-Length: ${size}\r\n\r\n`);
    for (let written = 0; written < bulk; written += chunk.length) {
      await server.write(chunk.subarray(0, Math.min(chunk.length, bulk - written)));
    }
    if (tail) await server.write(tail);
  };
  await t.test('64 MiB and one byte', async () => {
    const server = new RawServer(writeScenario());
    try {
      await server.initialize();
      const inner = '{"jsonrpc":"2.0","id":"inside","method":"scenario/inside"}';
      await writeBody(server, limit + 1, Buffer.from(`Content-Length: ${inner.length}\r\n\r\n${inner}`));
      await server.send({ jsonrpc: '2.0', id: 'after', method: 'scenario/after' });
      const seen = await server.until('after', 60000);
      assertError(seen[0], -32600, null);
      assert.equal(seen.length, 2, `only the refusal and the answer: ${JSON.stringify(seen.slice(0, 5))}`);
      assertError(seen[1], -32601, 'after');
    } finally {
      server.child.kill('SIGKILL');
    }
  });
  await t.test('64 MiB', async () => {
    const server = new RawServer(writeScenario());
    try {
      await server.initialize();
      await writeBody(server, limit, Buffer.from(' '), '{"jsonrpc":"2.0","id":"big","method":"scenario/big"}');
      const seen = await server.until('big', 60000);
      assert.equal(seen.length, 1, JSON.stringify(seen));
      assertError(seen[0], -32601, 'big');
    } finally {
      server.child.kill('SIGKILL');
    }
  });
});

// A request and its cancel written in one piece reach the server together, before it answers.
test('$/cancelRequest cancels the request it names, if not yet answered', async (t) => {
  const server = new RawServer(writeScenario());
  t.after(() => server.child.kill('SIGKILL'));
  await server.initialize();
  const uri = fileUri(`${server.dir}/${trainFile}`);
  await server.send({
    jsonrpc: '2.0', method: 'textDocument/didOpen',
    params: { textDocument: { uri, languageId: 'scenario', version: 1, text: trainText } },
  });
  await server.notification('textDocument/publishDiagnostics');
  const frame = (message) => {
    const body = JSON.stringify(message);
    return `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
  };
  const symbols = (id) => frame({
    jsonrpc: '2.0', id, method: 'textDocument/documentSymbol', params: { textDocument: { uri } },
  });
  const cancel = (id) => frame({ jsonrpc: '2.0', method: '$/cancelRequest', params: { id } });

  await t.test('the cancelled one answers -32800, the other its result', async () => {
    await server.write(symbols(11) + symbols('twelve') + cancel(11));
    const answers = [await server.next(), await server.next()];
    const byId = new Map(answers.map((a) => [a.id, a]));
    assertError(byId.get(11), -32800, 11);
    assert.ok(Array.isArray(byId.get('twelve')?.result), JSON.stringify(answers));
    assert.ok(byId.get('twelve').result.length > 0);
  });
  await t.test('a cancel after the answer, or for no request, changes nothing', async () => {
    await server.send({ jsonrpc: '2.0', id: 13, method: 'textDocument/documentSymbol', params: { textDocument: { uri } } });
    assert.ok(Array.isArray((await server.next()).result));
    await server.write(cancel(13) + cancel('never') + symbols(14));
    const answer = await server.next();
    assert.equal(answer.id, 14, JSON.stringify(answer));
    assert.ok(Array.isArray(answer.result), JSON.stringify(answer));
  });
});

test('requests after shutdown are refused', async () => {
  const server = new RawServer(writeScenario());
  try {
    await server.initialize();
    await server.send({ jsonrpc: '2.0', id: 1, method: 'shutdown' });
    assert.deepEqual(await server.next(), { jsonrpc: '2.0', id: 1, result: null });
    await server.send({
      jsonrpc: '2.0', id: 2, method: 'textDocument/hover',
      params: { textDocument: { uri: fileUri(`${server.dir}/${trainFile}`) }, position: { line: 0, character: 0 } },
    });
    assertError(await server.next(), -32600, 2);
  } finally {
    server.child.kill('SIGKILL');
  }
});

test('the process ends with 0 after shutdown and 1 otherwise', async (t) => {
  const cases = [
    { shutdown: true, end: 'exit', status: 0 },
    { shutdown: false, end: 'exit', status: 1 },
    { shutdown: true, end: 'end of input', status: 0 },
    { shutdown: false, end: 'end of input', status: 1 },
  ];
  for (const { shutdown, end, status } of cases) {
    await t.test(`${shutdown ? 'shutdown, then ' : ''}${end}`, async () => {
      const dir = writeScenario();
      const before = folderSnapshot(dir);
      const server = new RawServer(dir);
      try {
        await server.initialize();
        await server.send({
          jsonrpc: '2.0', method: 'textDocument/didOpen',
          params: { textDocument: { uri: fileUri(`${dir}/${trainFile}`), languageId: 'scenario', version: 1, text: trainText } },
        });
        if (shutdown) {
          await server.send({ jsonrpc: '2.0', id: 'down', method: 'shutdown' });
          await server.until('down');
        }
        if (end === 'exit') await server.send({ jsonrpc: '2.0', method: 'exit' });
        else server.child.stdin.end();
        const { code, signal } = await exitWithin(server.child, 5000);
        assert.equal(signal, null);
        assert.equal(code, status, server.child.stderrText);
        // The server compiled; it wrote and deleted nothing.
        assert.deepEqual(folderSnapshot(dir), before);
      } finally {
        server.child.kill('SIGKILL');
      }
    });
  }
});

// Splits what the server wrote into messages, failing on any byte that is not part of one.
function splitFrames(bytes) {
  const messages = [];
  let at = 0;
  while (at < bytes.length) {
    const headerEnd = bytes.indexOf('\r\n\r\n', at);
    assert.ok(headerEnd >= 0, `bytes outside a message at ${at}: ${JSON.stringify(bytes.subarray(at, at + 80).toString())}`);
    const fields = bytes.subarray(at, headerEnd).toString('ascii').split('\r\n');
    let length = null;
    for (const field of fields) {
      const match = /^([A-Za-z-]+): *(.*)$/.exec(field);
      assert.ok(match, `not a header field: ${JSON.stringify(field)}`);
      if (match[1].toLowerCase() === 'content-length') {
        assert.match(match[2], /^[0-9]+$/);
        length = Number(match[2]);
      }
    }
    assert.ok(length !== null, `a header block without Content-Length: ${JSON.stringify(fields)}`);
    const body = bytes.subarray(headerEnd + 4, headerEnd + 4 + length);
    assert.equal(body.length, length, 'the output ends inside a body');
    const message = JSON.parse(body.toString('utf8'));
    assert.equal(message.jsonrpc, '2.0');
    messages.push(message);
    at = headerEnd + 4 + length;
  }
  return messages;
}

test('standard output holds nothing but framed messages', async () => {
  const dir = writeScenario();
  const child = spawnServer(dir);
  const chunks = [];
  child.stdout.on('data', (chunk) => chunks.push(chunk));
  const connection = rpc.createMessageConnection(
    new rpc.StreamMessageReader(child.stdout), new rpc.StreamMessageWriter(child.stdin));
  const published = new Promise((resolve) => {
    connection.onNotification('textDocument/publishDiagnostics', (params) => {
      if (params.diagnostics.length > 0) resolve(params);
    });
  });
  connection.listen();
  try {
    await connection.sendRequest('initialize', { processId: process.pid, rootUri: fileUri(dir), capabilities: {} });
    await connection.sendNotification('initialized', {});
    const uri = fileUri(`${dir}/${trainFile}`);
    await connection.sendNotification('textDocument/didOpen', {
      textDocument: { uri, languageId: 'scenario', version: 1, text: trainText },
    });
    await published;
    await connection.sendRequest('textDocument/hover', { textDocument: { uri }, position: { line: 5, character: 2 } });
    await connection.sendRequest('textDocument/completion', { textDocument: { uri }, position: { line: 9, character: 0 } });
    await connection.sendRequest('textDocument/documentSymbol', { textDocument: { uri } });
    await assert.rejects(connection.sendRequest('scenario/noSuchMethod', {}), (e) => e.code === -32601);
    await connection.sendRequest('shutdown');
    await connection.sendNotification('exit');
    assert.equal((await exitWithin(child, 5000)).code, 0);
  } finally {
    connection.dispose();
    child.kill('SIGKILL');
  }
  const messages = splitFrames(Buffer.concat(chunks));
  // Answers to initialize, hover, completion, symbols, the unknown method and shutdown, and at
  // least one diagnostics notification, all in the frames.
  assert.ok(messages.filter((m) => 'id' in m && !('method' in m)).length >= 6);
  assert.ok(messages.some((m) => m.method === 'textDocument/publishDiagnostics'));
  assert.ok(messages.some((m) => JSON.stringify(m).includes('è')), 'a body with a character beyond ASCII');
});
