// The descriptions a workspace lists in its scenario-pairs.json:
//   {"pairs": [{"line": "lines/valley.txt", "train": "trains/ir.txt"}]}
// with paths relative to the workspace folder.
'use strict';

const fs = require('fs');
const path = require('path');

function listed_in(root) {
  const files = [];
  let j;
  try {
    j = JSON.parse(fs.readFileSync(path.join(root, 'scenario-pairs.json'), 'utf8'));
  } catch {
    return files;
  }
  if (!j || !Array.isArray(j.pairs)) return files;
  for (const p of j.pairs) {
    if (!p || typeof p !== 'object') continue;
    for (const k of ['line', 'train']) {
      if (typeof p[k] === 'string') files.push(path.resolve(root, p[k]));
    }
  }
  return files;
}

// The listed files of every folder, as absolute paths.
async function listed_files(folders) {
  const set = new Set();
  for (const f of folders) {
    if (f.uri.scheme !== 'file') continue;
    for (const file of listed_in(f.uri.fsPath)) set.add(file);
  }
  return set;
}

module.exports = { listed_files, listed_in };
