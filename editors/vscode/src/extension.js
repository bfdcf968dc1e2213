// The extension for the simulator's line and train descriptions: starts the
// `scenario lsp` language server for them, gives the files listed in a
// workspace's scenario-pairs.json their language, and adds the live picture,
// compiling and timing commands.
'use strict';

const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');
const { find_program } = require('./program');
const { listed_files } = require('./pairs');
const { picture_panel } = require('./picture');
const { compile_pair, time_pair } = require('./commands');

const language_id = 'scenario-description';

// Everything one activation owns, handed to the parts that need it.
class session {
  constructor(context) {
    this.context = context;
    this.output = vscode.window.createOutputChannel('Scenario');
    this.client = undefined;
    this.program = undefined;
    this.told_missing = false;
    this.listed = new Set();
    this.picture = undefined;
  }

  // The program, or undefined after saying once that it cannot be found.
  locate() {
    const setting = vscode.workspace.getConfiguration('scenario').get('path', '');
    const found = find_program(setting, this.context.extensionPath);
    if (found.path) {
      this.program = found.path;
      this.output.appendLine(`Using ${found.path}`);
      return found.path;
    }
    this.output.appendLine(`No program: ${found.why}`);
    if (!this.told_missing) {
      this.told_missing = true;
      vscode.window.showErrorMessage(vscode.l10n.t(
          'Scenario: the program "scenario" cannot be found ({0}). Put it on PATH, or set "scenario.path" to it.',
          found.why));
    }
    return undefined;
  }

  async start_client() {
    const program = this.locate();
    if (!program) return;
    const warnings = vscode.workspace.getConfiguration('scenario').get('warnings', []);
    this.client = new LanguageClient(
        'scenario', vscode.l10n.t('Scenario language server'),
        { command: program, args: ['lsp'], transport: TransportKind.stdio },
        {
          documentSelector: [{ scheme: 'file', language: language_id }],
          initializationOptions: { warnings },
          synchronize: { configurationSection: 'scenario' },
          outputChannel: this.output,
        });
    try {
      await this.client.start();
    } catch (e) {
      this.client = undefined;
      vscode.window.showErrorMessage(vscode.l10n.t('Scenario: "{0} lsp" did not start: {1}', program, String(e && e.message ? e.message : e)));
    }
  }
}

// Files listed in scenario-pairs.json open as plain text; they are given
// the descriptions' language once seen.
function adopt_listed(s, document) {
  if (document.uri.scheme !== 'file' || document.languageId === language_id) return;
  if (s.listed.has(document.uri.fsPath)) {
    vscode.languages.setTextDocumentLanguage(document, language_id);
  }
}

async function read_listings(s) {
  s.listed = await listed_files(vscode.workspace.workspaceFolders || []);
  for (const d of vscode.workspace.textDocuments) adopt_listed(s, d);
}

function active_description() {
  const e = vscode.window.activeTextEditor;
  if (e && e.document.languageId === language_id) return e;
  vscode.window.showWarningMessage(vscode.l10n.t('Scenario: open a line or train description first.'));
  return undefined;
}

async function activate(context) {
  const s = new session(context);
  context.subscriptions.push(s.output);
  await read_listings(s);
  const watcher = vscode.workspace.createFileSystemWatcher('**/scenario-pairs.json');
  watcher.onDidChange(() => read_listings(s));
  watcher.onDidCreate(() => read_listings(s));
  watcher.onDidDelete(() => read_listings(s));
  context.subscriptions.push(
      watcher,
      vscode.workspace.onDidOpenTextDocument((d) => adopt_listed(s, d)),
      vscode.workspace.onDidChangeConfiguration((e) => {
        if (e.affectsConfiguration('scenario.path')) s.told_missing = false;
      }),
      vscode.commands.registerCommand('scenario.showPicture', () => {
        const e = active_description();
        if (!e || !s.client) return;
        if (!s.picture || s.picture.disposed) s.picture = new picture_panel(s.client, e);
        else s.picture.follow(e, true);
      }),
      vscode.commands.registerCommand('scenario.compile', () => {
        const e = active_description();
        if (e && s.client && s.program) return compile_pair(s, e.document);
      }),
      vscode.commands.registerCommand('scenario.timing', () => {
        const e = active_description();
        if (e && s.client && s.program) return time_pair(s, e.document);
      }));
  await s.start_client();
  context.subscriptions.push({ dispose: () => s.client && s.client.stop() });
}

function deactivate() {}

module.exports = { activate, deactivate };
