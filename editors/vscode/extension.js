// The client of scenario-tool's language server for the two description texts. The server does
// the work (diagnostics, hovers, completions, outline, quick fixes, folding); this file only
// finds the tool and starts it as `scenario-tool lsp` on standard input and output.
'use strict';

const fs = require('fs');
const path = require('path');
const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

const CLIENT_ID = 'scenarioTexts';
let client;

// The tool that comes with the extension, built for this system; undefined where none does.
function bundledTool(context) {
  const relative = {
    linux: path.join('bin', 'linux', 'scenario-tool'),
    win32: path.join('bin', 'win32', 'scenario-tool.exe'),
  }[process.platform];
  if (!relative) return undefined;
  const tool = context.asAbsolutePath(relative);
  if (process.platform !== 'win32') {
    // An unpacker that drops the executable bit would leave the server unable to start.
    try {
      if ((fs.statSync(tool).mode & 0o111) === 0) fs.chmodSync(tool, 0o755);
    } catch (_) {
      // A missing tool is reported when it is started.
    }
  }
  return tool;
}

function configuredTool() {
  const setting = vscode.workspace.getConfiguration(CLIENT_ID).get('toolPath', '');
  return typeof setting === 'string' && setting.trim() !== '' ? setting.trim() : undefined;
}

async function start(context) {
  const command = configuredTool() || bundledTool(context);
  if (!command || !fs.existsSync(command)) {
    vscode.window.showErrorMessage(
      `scenario-tool was not found${command ? ` at ${command}` : ' for this system'}: ` +
        'set "scenarioTexts.toolPath" to the executable.');
    return;
  }
  const executable = { command, args: ['lsp'], transport: TransportKind.stdio };
  client = new LanguageClient(
    CLIENT_ID,
    'Scenario texts',
    { run: executable, debug: executable },
    {
      documentSelector: [
        { scheme: 'file', language: 'scenario-linea' },
        { scheme: 'file', language: 'scenario-treno' },
      ],
    });
  await client.start();
}

async function stop() {
  const running = client;
  client = undefined;
  if (running) await running.stop();
}

async function activate(context) {
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (event.affectsConfiguration(`${CLIENT_ID}.toolPath`)) {
        await stop();
        await start(context);
      }
    }));
  await start(context);
}

function deactivate() {
  return stop();
}

module.exports = { activate, deactivate };
