// Starts `scenario-tool lsp` for the two scenario sources (SCENARIO_linea.txt and SCENARIO_TRAIN-.txt).
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

function activate(context) {
  const settings = vscode.workspace.getConfiguration('scenarioSources');
  const server = { command: settings.get('toolPath'), args: ['lsp'] };
  client = new LanguageClient('scenarioSources', 'Scenario sources', { run: server, debug: server }, {
    documentSelector: [{ scheme: 'file', language: 'scenario-source' }],
    initializationOptions: { inlayHints: settings.get('inlayHints') },
  });
  context.subscriptions.push(client);
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
