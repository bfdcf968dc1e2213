// Where the `scenario` program is: the scenario.path setting, then PATH,
// then the copy inside the extension (bin/) when the package carries one.
'use strict';

const fs = require('fs');
const path = require('path');

const exe = process.platform === 'win32' ? 'scenario.exe' : 'scenario';

function runnable(file) {
  try {
    fs.accessSync(file, process.platform === 'win32' ? fs.constants.F_OK : fs.constants.X_OK);
    return fs.statSync(file).isFile();
  } catch {
    return false;
  }
}

// {path} when found; {why} says what was looked at when not.
function find_program(setting, extension_dir, env = process.env) {
  if (setting) {
    const file = setting.startsWith('~/') ? path.join(env.HOME || '', setting.slice(2)) : setting;
    if (runnable(file)) return { path: file };
    return { why: `scenario.path is "${setting}", which is no program` };
  }
  for (const dir of (env.PATH || '').split(path.delimiter)) {
    if (dir && runnable(path.join(dir, exe))) return { path: path.join(dir, exe) };
  }
  const bundled = path.join(extension_dir, 'bin', exe);
  if (runnable(bundled)) return { path: bundled };
  return { why: 'not on PATH, and the extension carries no copy' };
}

module.exports = { find_program };
