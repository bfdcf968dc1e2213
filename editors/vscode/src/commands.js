// "Scenario: Compile" and "Scenario: Timing": both run the program on the
// saved pair that the open description belongs to (the server says which
// files pair), saving the pair's open files first.
'use strict';

const vscode = require('vscode');
const path = require('path');
const { execFile } = require('child_process');

// What `scenario compile` answers with, for the message after it.
// What each status of `scenario compile` means, in the editor's language.
function compile_status(status) {
  switch (status) {
    case 0: return vscode.l10n.t('compiled cleanly');
    case 1: return vscode.l10n.t('compiled, with codes recorded');
    case 2: return vscode.l10n.t('not compiled: the line has no cells');
    case 3: return vscode.l10n.t('not compiled: a slot is in use');
    case 75: return vscode.l10n.t('not compiled: another run kept the folder busy');
    default: return vscode.l10n.t('ended with status {0}', status);
  }
}

// The route and train a builder's pair names: "R_linea.txt" and "R_T-.txt".
function names_of(line, train) {
  const stem = (p) => path.basename(p).replace(/\.[^.]*$/, '');
  let route = stem(line);
  if (route.endsWith('_linea')) route = route.slice(0, -'_linea'.length);
  let t = train ? stem(train) : '';
  if (t.startsWith(route + '_')) t = t.slice(route.length + 1);
  if (t.endsWith('-')) t = t.slice(0, -1);
  return { route, train: t };
}

async function pair_of(s, document) {
  const r = await s.client.sendRequest('scenario/picture', { textDocument: { uri: document.uri.toString() } });
  const files = ((r && r.files) || []).map((f) => vscode.Uri.parse(f.uri).fsPath);
  if (files.length < 2) {
    vscode.window.showErrorMessage(vscode.l10n.t('Scenario: {0} pairs with no line and train description.', path.basename(document.uri.fsPath)));
    return undefined;
  }
  for (const d of vscode.workspace.textDocuments) {
    if (d.isDirty && files.includes(d.uri.fsPath)) await d.save();
  }
  return { line: files[0], train: files[1] };
}

function run(program, args) {
  return new Promise((resolve) => {
    execFile(program, args, { maxBuffer: 64 << 20 }, (error, stdout, stderr) => {
      const status = error ? (typeof error.code === 'number' ? error.code : -1) : 0;
      resolve({ status, stdout, stderr: stderr || (error && typeof error.code !== 'number' ? String(error.message) : '') });
    });
  });
}

async function compile_pair(s, document) {
  const pair = await pair_of(s, document);
  if (!pair) return;
  const names = names_of(pair.line, pair.train);
  const setting = vscode.workspace.getConfiguration('scenario').get('compileFolder', '');
  const folder = setting || path.dirname(pair.line);
  const args = ['compile', pair.line, pair.train, '-o', folder, '--route', names.route, '--train', names.train];
  s.output.appendLine(`$ scenario ${args.join(' ')}`);
  const r = await run(s.program, args);
  if (r.stdout) s.output.append(r.stdout);
  if (r.stderr) s.output.append(r.stderr);
  const what = compile_status(r.status);
  s.output.appendLine(`status ${r.status}: ${what}`);
  const text = vscode.l10n.t('Scenario: {0} / {1} {2} into {3}.', names.route, names.train, what, folder);
  if (r.status === 0) vscode.window.showInformationMessage(text);
  else {
    const choice = await vscode.window.showErrorMessage(text, vscode.l10n.t('Show output'));
    if (choice) s.output.show(true);
  }
  return r.status;
}

async function time_pair(s, document) {
  const pair = await pair_of(s, document);
  if (!pair) return;
  const names = names_of(pair.line, pair.train);
  const r = await run(s.program, ['timing', pair.line, pair.train, '--route', names.route, '--train', names.train]);
  if (!s.timing) s.timing = vscode.window.createOutputChannel(vscode.l10n.t('Scenario timing'));
  s.timing.clear();
  s.timing.append(r.stdout);
  if (r.stderr) s.timing.append(r.stderr);
  s.timing.show(true);
  return r.status;
}

module.exports = { compile_pair, time_pair, names_of };
