// The extension's parts that need no editor: where the program is found
// (the setting, then PATH, then the copy in the extension) and which files
// a workspace's scenario-pairs.json lists.
import test from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(import.meta.url);
const { find_program } = require('../../editors/vscode/src/program.js');
const { listed_in } = require('../../editors/vscode/src/pairs.js');

function folder() {
  return fs.mkdtempSync(path.join(os.tmpdir(), 'scenario-vscode-'));
}

function program_in(dir, mode = 0o755) {
  fs.mkdirSync(dir, { recursive: true });
  const file = path.join(dir, 'scenario');
  fs.writeFileSync(file, '#!/bin/sh\n');
  fs.chmodSync(file, mode);
  return file;
}

test('the program is looked for in the setting, then PATH, then the extension', () => {
  const root = folder();
  const set = program_in(path.join(root, 'set'));
  const on_path = program_in(path.join(root, 'path'));
  const bundled = program_in(path.join(root, 'ext', 'bin'));
  const env = { PATH: ['/nonexistent', path.dirname(on_path)].join(path.delimiter) };
  const ext = path.join(root, 'ext');
  const cases = [
    ['the setting first', set, env, { path: set }],
    ['PATH without a setting', '', env, { path: on_path }],
    ['the bundled copy last', '', { PATH: '/nonexistent' }, { path: bundled }],
  ];
  for (const [name, setting, e, want] of cases) {
    assert.deepEqual(find_program(setting, ext, e), want, name);
  }
});

test('a program that is missing or not executable is said so', () => {
  const root = folder();
  const plain = program_in(path.join(root, 'plain'), 0o644);
  const none = find_program('', path.join(root, 'ext'), { PATH: path.dirname(plain) });
  assert.match(none.why, /not on PATH/);
  assert.equal(none.path, undefined);
  const wrong = find_program(plain, root, { PATH: '' });
  assert.match(wrong.why, /scenario\.path is ".*plain\/scenario", which is no program/);
});

test('the files of scenario-pairs.json, relative to its folder', () => {
  const root = folder();
  const write = (text) => fs.writeFileSync(path.join(root, 'scenario-pairs.json'), text);
  write(JSON.stringify({ pairs: [{ line: 'lines/valley.txt', train: 'trains/ir.txt' }, { line: 'alone.txt' }, 7, { train: 3 }] }));
  assert.deepEqual(listed_in(root), [
    path.join(root, 'lines/valley.txt'), path.join(root, 'trains/ir.txt'), path.join(root, 'alone.txt'),
  ]);
  for (const bad of ['{', '[]', '{"pairs": 3}']) {
    write(bad);
    assert.deepEqual(listed_in(root), [], bad);
  }
  fs.rmSync(path.join(root, 'scenario-pairs.json'));
  assert.deepEqual(listed_in(root), []);
});

// Every text of the extension's own has its Italian: the %keys% of
// package.json in both package.nls files, and every vscode.l10n.t message
// of the sources in the Italian bundle with the same {N} arguments.
test('every text of the extension is translated into Italian', () => {
  const dir = path.join(path.dirname(new URL(import.meta.url).pathname), '../../editors/vscode');
  const read = (f) => JSON.parse(fs.readFileSync(path.join(dir, f), 'utf8'));
  const manifest = fs.readFileSync(path.join(dir, 'package.json'), 'utf8');
  const keys = [...manifest.matchAll(/"%([^"%]+)%"/g)].map((m) => m[1]);
  assert.ok(keys.length >= 5, `only ${keys.length} keys in package.json`);
  for (const nls of ['package.nls.json', 'package.nls.it.json']) {
    const texts = read(nls);
    for (const k of keys) assert.ok(texts[k], `${nls} lacks ${k}`);
  }
  assert.equal(read('package.json').l10n, './l10n');
  const bundle = read('l10n/bundle.l10n.it.json');
  const args = (s) => [...s.matchAll(/\{\d+\}/g)].map((m) => m[0]).sort();
  const messages = [];
  for (const f of fs.readdirSync(path.join(dir, 'src'))) {
    const text = fs.readFileSync(path.join(dir, 'src', f), 'utf8');
    // Each call names its message as one literal, so that it can be found.
    const calls = (text.match(/l10n\.t\(/g) || []).length;
    const literal = [...text.matchAll(/l10n\.t\(\s*'((?:[^'\\]|\\.)*)'/g)].map((m) => m[1].replace(/\\(.)/g, '$1'));
    assert.equal(literal.length, calls, `${f}: a vscode.l10n.t call without a literal message`);
    messages.push(...literal);
  }
  assert.ok(messages.length >= 10, `only ${messages.length} messages found`);
  for (const m of messages) {
    assert.ok(bundle[m], `no Italian for "${m}"`);
    assert.notEqual(bundle[m], m, `"${m}" is not translated`);
    assert.deepEqual(args(bundle[m]), args(m), `the arguments of "${m}"`);
  }
  for (const m of Object.keys(bundle)) assert.ok(messages.includes(m), `"${m}" is used nowhere`);
});
