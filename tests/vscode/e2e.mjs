// The extension in the browser-hosted VS Code, driven in chromium: the
// build's pair (an accented station name, CR LF line ends) opened, coloured,
// checked, hovered, fixed, formatted and saved, and drawn in the live picture,
// which follows an edit and leads a click back to the record. Each check is
// reported on its own line; the run ends with the number passed and failed.
// Environment: CS_URL, WS_FOLDER, SHOT_DIR, CHROME_PROFILE, NODE_PATH (where
// puppeteer-core is installed).
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';

const require = createRequire(path.join(process.env.NODE_PATH, 'x.js'));
const puppeteer = require('puppeteer-core');

const base = process.env.CS_URL;
const folder = process.env.WS_FOLDER;
const shots = process.env.SHOT_DIR;
const train_file = path.join(folder, 'Tarvena_Olmisco_IR 4518-.txt');
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

let passed = 0;
let failed = 0;
function check(name, ok, detail = '') {
  if (ok) passed++;
  else failed++;
  console.log(`${ok ? 'PASS' : 'FAIL'} ${name}${detail ? ': ' + detail : ''}`);
  return ok;
}

// The 1-based line of `file` (read as bytes) that starts with `prefix`, a
// string or a pattern.
function line_of(file, prefix) {
  const lines = fs.readFileSync(file, 'latin1').split('\r\n');
  const at = (l) => (typeof prefix === 'string' ? l.startsWith(prefix) : prefix.test(l));
  return lines.findIndex(at) + 1;
}

// The 1-based column of `field` in line `line` of `file`.
function column_of(file, line, field) {
  return fs.readFileSync(file, 'latin1').split('\r\n')[line - 1].indexOf(field) + 1;
}

async function keys(page, ...combo) {
  for (const k of combo.slice(0, -1)) await page.keyboard.down(k);
  await page.keyboard.press(combo[combo.length - 1]);
  for (const k of combo.slice(0, -1).reverse()) await page.keyboard.up(k);
}

async function command(page, name) {
  await keys(page, 'Control', 'Shift', 'KeyP');
  await page.waitForSelector('.quick-input-widget input', { visible: true, timeout: 15000 });
  await page.keyboard.type(name, { delay: 20 });
  await page.waitForFunction((n) => [...document.querySelectorAll('.quick-input-widget .monaco-list-row')]
    .some((r) => r.innerText.includes(n)), { timeout: 15000 }, name);
  await page.keyboard.press('Enter');
}

async function open_file(page, name) {
  await keys(page, 'Control', 'KeyP');
  await page.waitForSelector('.quick-input-widget input', { visible: true, timeout: 15000 });
  await page.keyboard.type(name, { delay: 20 });
  await page.waitForFunction((n) => [...document.querySelectorAll('.quick-input-widget .monaco-list-row')]
    .some((r) => r.innerText.includes(n)), { timeout: 30000 }, name);
  await page.keyboard.press('Enter');
  await page.waitForFunction((n) => {
    const tab = document.querySelector('.tab.active');
    return tab && tab.innerText.includes(n);
  }, { timeout: 30000 }, name);
}

// Puts the cursor at 1-based `line` and `column` with Go to Line.
async function go_to(page, line, column) {
  await keys(page, 'Control', 'KeyG');
  await page.waitForSelector('.quick-input-widget input', { visible: true, timeout: 15000 });
  await page.keyboard.type(`${line}:${column}`, { delay: 20 });
  await page.keyboard.press('Enter');
  await page.waitForFunction((l, c) => [...document.querySelectorAll('.statusbar-item')]
    .some((e) => e.innerText.trim() === `Ln ${l}, Col ${c}`), { timeout: 10000 }, line, column);
}

function status_items(page) {
  return page.$$eval('.statusbar-item', (items) => items.map((e) => e.innerText.trim()));
}

async function problem_rows(page) {
  return page.$$eval('.markers-panel .monaco-list-row', (rows) => rows.map((r) => r.innerText.replace(/\s+/g, ' ').trim()));
}

// The spans of the visible lines of the editor: [[text, colour], ...] per line.
async function tokens(page) {
  return page.$$eval('.editor-instance .view-line', (lines) => lines
    .map((l) => ({ top: parseFloat(l.style.top), spans: [...l.querySelectorAll('span > span')]
      .map((s) => [s.textContent.replace(/\u00a0/g, ' '), getComputedStyle(s).color]) }))
    .sort((a, b) => a.top - b.top).map((l) => l.spans));
}

// The webview frame that holds the picture's drawing, once there.
async function picture_frame(page, timeout_ms) {
  const until = Date.now() + timeout_ms;
  while (Date.now() < until) {
    for (const f of page.frames()) {
      try {
        if (await f.$('.plan-station')) return f;
      } catch { /* a frame going away */ }
    }
    await sleep(250);
  }
  return undefined;
}

async function shot(page, name) {
  await page.screenshot({ path: path.join(shots, name + '.png') }).catch(() => {});
}

async function run(page) {
  const t0 = Date.now();
  await page.goto(`${base}/?folder=${encodeURIComponent(folder)}`, { waitUntil: 'domcontentloaded', timeout: 60000 });
  await page.waitForSelector('.monaco-workbench .explorer-folders-view', { timeout: 60000 });
  console.log('workbench ready after', Date.now() - t0, 'ms');
  await sleep(2000);

  // A plain notes.txt stays plain text.
  await open_file(page, 'notes.txt');
  await sleep(1500);
  let status = await status_items(page);
  check('notes.txt stays plain text', status.includes('Plain Text'), status.join(' | '));

  // --- The train: language, encoding, line ends, colours.
  await open_file(page, '4518-.txt');
  await page.waitForFunction(() => [...document.querySelectorAll('.statusbar-item')]
    .some((e) => e.innerText.trim() === 'Scenario description'), { timeout: 30000 }).catch(() => {});
  status = await status_items(page);
  check('language mode', status.includes('Scenario description'), status.join(' | '));
  check('Windows 1252 and CRLF', status.includes('Windows 1252') && status.includes('CRLF'), status.join(' | '));

  const first_station = line_of(train_file, 'stazione,');
  await go_to(page, first_station, 1);
  await sleep(800);
  const lines = await tokens(page);
  const station = lines.find((l) => l.map(([t]) => t).join('').startsWith('stazione,     200'));
  const colour = (text) => station && (station.find(([t]) => t.trim() === text) || [])[1];
  const key = colour('stazione'), number = colour('200'), quoted = colour('"TARVENA"');
  check('distinct colours for a key, a number and a quoted text',
    key && number && quoted && key !== number && number !== quoted && key !== quoted,
    JSON.stringify({ key, number, quoted }));
  await shot(page, '1-train-opened');

  // --- A planted error, typed: a signal moved into another signal's cell.
  const signal = line_of(train_file, 'segnale,    4900,');
  await go_to(page, signal, 13);
  for (let i = 0; i < 4; i++) await keys(page, 'Shift', 'ArrowRight');
  await page.keyboard.type('2400', { delay: 40 });
  const typed = Date.now();
  let ok = await page.waitForSelector('.editor-instance .squiggly-error', { timeout: 30000 }).then(() => true, () => false);
  check('the planted error is underlined', ok, `after ${Date.now() - typed} ms`);
  await keys(page, 'Control', 'Shift', 'KeyM');
  await page.waitForSelector('.markers-panel .monaco-list-row', { timeout: 20000 }).catch(() => {});
  await sleep(1000);
  let rows = await problem_rows(page);
  const planted = rows.find((r) => /scenario\W*16\W/.test(r) && r.includes(`Ln ${signal},`));
  check('the planted error in the Problems panel with its text and code', planted && /error|cell|occup/i.test(planted),
    planted || JSON.stringify(rows.slice(0, 8)));
  await shot(page, '2-planted-error');

  // --- Hover on a signal's position.
  const other_signal = line_of(train_file, 'segnale,');
  await go_to(page, other_signal, 14);
  await keys(page, 'Control', 'KeyK');
  await keys(page, 'Control', 'KeyI');
  ok = await page.waitForFunction(() => {
    const h = document.querySelector('.monaco-hover:not(.hidden)');
    return h && /cell \d+/.test(h.innerText);
  }, { timeout: 15000 }).then(() => true, () => false);
  const hover = await page.$eval('.monaco-hover', (h) => h.innerText.replace(/\s+/g, ' ')).catch(() => '');
  check('hover on a signal position', ok, hover.slice(0, 160));
  await shot(page, '3-hover');
  await page.keyboard.press('Escape');

  // --- The quick fix removes its warning: a record written twice.
  const repeated = line_of(train_file, 'velocita,   49700,') + 1;
  const same_as = `the same record as line ${repeated - 1} `;
  rows = await problem_rows(page);
  const repeated_before = rows.filter((r) => r.includes(same_as)).length;
  await go_to(page, repeated, 1);
  await keys(page, 'Control', 'Period');
  const fix_title = 'Remove the repeated record';
  ok = await page.waitForFunction((t) => [...document.querySelectorAll('.action-widget .monaco-list-row')]
    .some((e) => e.innerText.includes(t)), { timeout: 15000 }, fix_title).then(() => true, () => false);
  await shot(page, '4-quick-fix-menu');
  const fixed = () => page.waitForFunction((t) => ![...document.querySelectorAll('.markers-panel .monaco-list-row')]
    .some((r) => r.innerText.includes(t)), { timeout: 10000 }, same_as).then(() => true, () => false);
  if (ok) {
    // The menu opened from the keyboard has its first fix focused; a click
    // on it is the second way when Enter came too early.
    await sleep(300);
    await page.keyboard.press('Enter');
    if (!(await fixed())) {
      await page.evaluate((t) => {
        const item = [...document.querySelectorAll('.action-widget .monaco-list-row')].find((e) => e.innerText.includes(t));
        if (item) item.click();
      }, fix_title);
      await fixed();
    }
  }
  await shot(page, '4b-after-quick-fix');
  // The fix's edit, as the editor shows it: the repeated record is gone and
  // the record after it moved up.
  const shown = await page.$$eval('.editor-instance .view-line', (lines) => lines
    .map((l) => [parseFloat(l.style.top), l.textContent.replace(/\u00a0/g, ' ')])
    .sort((a, b) => a[0] - b[0]).map((l) => l[1]));
  const copies = shown.filter((l) => /^velocita, +49700,/.test(l)).length;
  check('the quick fix removes the repeated record', ok && repeated_before === 1 && copies === 1,
    `"${same_as}" rows before ${repeated_before}; copies of the record shown after ${copies}`);
  // The Problems panel follows once the server publishes again; a known
  // race sometimes leaves the old row until the next edit (reported).
  rows = await problem_rows(page);
  const repeated_after = rows.filter((r) => r.includes(same_as)).length;
  console.log(`NOTE "${same_as}" rows in the Problems panel after the fix: ${repeated_after}`);

  // --- Format Document keeps the accented bytes and CR LF; two blanks
  // taken out of a speed record come back.
  const speed = line_of(train_file, 'velocita,   36100,');
  await go_to(page, speed, 10);
  await page.keyboard.press('Delete');
  await page.keyboard.press('Delete');
  await sleep(300);
  await keys(page, 'Control', 'Shift', 'KeyI');
  await sleep(1500);
  await keys(page, 'Control', 'KeyS');
  await sleep(1500);
  const bytes = fs.readFileSync(train_file);
  const text = bytes.toString('latin1');
  check('format and save keep the accented byte', text.includes('CITT\u00c0 DI ROVIGNANO'),
    JSON.stringify(text.slice(text.indexOf('ROVIGNANO') - 12, text.indexOf('ROVIGNANO') + 9)));
  check('format and save keep CR LF', !/[^\r]\n/.test(text) && text.endsWith('\r\n'));
  const saved = text.split('\r\n');
  const second_comma = (l) => l.indexOf(',', l.indexOf(',') + 1);
  const speeds = saved.filter((l) => l.startsWith('velocita,')).map(second_comma);
  check('format realigned the record and kept the planted edit',
    speeds.length > 2 && speeds.every((c) => c === speeds[0]) && saved.filter((l) => /^segnale,\s+2400,/.test(l)).length === 2,
    JSON.stringify(speeds));

  // --- The live picture.
  await open_file(page, '4518-.txt');
  await command(page, 'Scenario: Show picture');
  const frame = await picture_frame(page, 30000);
  await sleep(500);
  const drawn = frame ? await frame.$$eval('.plan-station-label, .timetable-row td', (e) => e.map((x) => x.textContent)) : [];
  check('the picture shows the stations', ['TARVENA', 'OLMISCO', 'CITT\u00c0 DI ROVIGNANO'].every((n) => drawn.includes(n)),
    JSON.stringify(drawn.filter((d) => /^[A-Z]/.test(d)).slice(0, 6)));
  await shot(page, '5-picture');

  if (frame) {
    const title_of = () => frame.$$eval('.plan-station title', (t) => t.map((x) => x.textContent).find((x) => x.startsWith('BRENOLA ')));
    const before = await title_of();
    const brenola = line_of(train_file, /^stazione,\s*6900,/);
    await page.click('.editor-instance .view-lines');
    await go_to(page, brenola, column_of(train_file, brenola, '6900'));
    for (let i = 0; i < 4; i++) await keys(page, 'Shift', 'ArrowRight');
    await page.keyboard.type('8900', { delay: 30 });
    const moved_at = Date.now();
    let after = before;
    while (Date.now() - moved_at < 15000 && after === before) {
      await sleep(50);
      after = await title_of().catch(() => before);
    }
    check('the picture redraws after an edit that moves a station', after !== before && /8\+900/.test(after),
      `${before} -> ${after} in ${Date.now() - moved_at} ms (typing ended at 0)`);
    await shot(page, '6-picture-redrawn');

    // A click on a station moves the cursor to its record.
    const luvea = line_of(train_file, /^stazione,\s*17600,/);
    const label = await frame.$$('.plan-station-label');
    let target;
    for (const l of label) if ((await l.evaluate((e) => e.textContent)) === 'LUVEA') target = l;
    if (target) {
      await target.click();
      ok = await page.waitForFunction((l) => [...document.querySelectorAll('.statusbar-item')]
        .some((e) => e.innerText.trim().startsWith(`Ln ${l},`)), { timeout: 10000 }, luvea).then(() => true, () => false);
      status = await status_items(page);
      check('a click on a station moves the cursor to its record', ok, status.filter((s) => s.startsWith('Ln ')).join());
      await sleep(700);
      const marked = await frame.$$eval('.scenario-mark', (e) => e.length);
      check('the record under the cursor marks its station in the picture', marked > 0, `${marked} marked`);
    } else {
      check('a click on a station moves the cursor to its record', false, 'no LUVEA label in the plan');
    }
    await shot(page, '7-picture-click');
  }
}

const browser = await puppeteer.launch({
  executablePath: '/usr/bin/chromium', headless: true, userDataDir: process.env.CHROME_PROFILE,
  args: ['--no-sandbox', '--disable-gpu', '--window-size=1400,900'],
  defaultViewport: { width: 1400, height: 900 },
});
try {
  const page = await browser.newPage();
  page.on('pageerror', (e) => console.log('pageerror:', e.message.slice(0, 200)));
  try {
    await run(page);
  } catch (e) {
    check('the run went through', false, e.message);
    await shot(page, 'failure');
  }
} finally {
  await browser.close();
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 && passed > 0 ? 0 : 1);
