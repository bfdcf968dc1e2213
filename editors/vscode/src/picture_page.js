// The webview's page: an empty shell whose one script (allowed by its nonce)
// takes each report page the server draws, puts its style sheet and body in
// place, and turns clicks on stations and findings into messages. Nothing is
// loaded from anywhere: the policy allows no source but the script's nonce.
'use strict';

function page_shell(csp_source, nonce) {
  const policy = [
    "default-src 'none'",
    `img-src ${csp_source} data:`,
    `style-src ${csp_source}`,
    `script-src 'nonce-${nonce}'`,
  ].join('; ');
  return `<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="${policy}">
<title>Scenario picture</title></head>
<body><p id="waiting">Drawing…</p>
<script nonce="${nonce}">${page_script.toString()}
page_script();</script></body></html>`;
}

// Runs inside the webview.
function page_script() {
  const vscode = acquireVsCodeApi();
  const marks = new CSSStyleSheet();
  marks.replaceSync(`
.scenario-mark circle, .scenario-mark .station-position { stroke: #d00 !important; stroke-width: 3 !important; }
.scenario-mark .station-zone { fill: #d00 !important; }
text.scenario-mark { fill: #d00 !important; font-weight: 700; }
tr.scenario-mark td { background: #ffe9a8 !important; }
.plan-station, .plan-station-label, .station, .station-label, .timetable-row, .problem-row, .problem-marker { cursor: pointer; }
#scenario-error { color: #a00; font-weight: 600; }`);
  const page = new CSSStyleSheet();
  document.adoptedStyleSheets = [page, marks];
  let mark = null;

  // The station an element of the page stands for, and which of the
  // stations of that name it is.
  function station_of(el) {
    const hit = el.closest('.plan-station, .plan-station-label, .station, .station-label, .timetable-row');
    if (!hit) return null;
    let name;
    if (hit.classList.contains('timetable-row')) name = hit.cells[1].textContent;
    else if (hit.tagName.toLowerCase() === 'text') name = hit.textContent;
    else {
      const title = (hit.querySelector('title') || {}).textContent || '';
      name = hit.classList.contains('station') ? title.replace(/ at \S+, zone .*$/, '') : title.replace(/ \S+$/, '');
    }
    const kind = hit.tagName.toLowerCase() === 'text' ? 'text' : hit.classList.contains('timetable-row') ? 'tr' : 'g';
    const same = [...document.querySelectorAll('.' + hit.classList[0])].filter((e) => name_of(e) === name);
    return { name, index: Math.max(same.indexOf(hit), 0), kind };
  }

  function name_of(el) {
    if (el.classList.contains('timetable-row')) return el.cells[1].textContent;
    if (el.tagName.toLowerCase() === 'text') return el.textContent;
    const title = (el.querySelector('title') || {}).textContent || '';
    return el.classList.contains('station') ? title.replace(/ at \S+, zone .*$/, '') : title.replace(/ \S+$/, '');
  }

  // A finding's file, line and column: its row in the table, or its marker.
  function finding_of(el) {
    const row = el.closest('.problem-row');
    if (row) {
      return { file: row.cells[3].textContent, line: Number(row.cells[4].textContent), column: Number(row.cells[5].textContent) };
    }
    const marker = el.closest('.problem-marker');
    if (!marker) return null;
    const title = (marker.querySelector('title') || {}).textContent || '';
    const m = /\(([^()]*):(\d+)(?::(\d+))?\)(?:;[^()]*)?$/.exec(title);
    return m ? { file: m[1], line: Number(m[2]), column: Number(m[3] || 1) } : null;
  }

  function show_mark() {
    for (const e of document.querySelectorAll('.scenario-mark')) e.classList.remove('scenario-mark');
    if (!mark) return;
    for (const cls of ['plan-station', 'plan-station-label', 'station', 'station-label', 'timetable-row']) {
      const same = [...document.querySelectorAll('.' + cls)].filter((e) => name_of(e) === mark.name);
      const e = same[Math.min(mark.index, same.length - 1)];
      if (e) e.classList.add('scenario-mark');
    }
  }

  document.addEventListener('click', (ev) => {
    const st = station_of(ev.target);
    if (st) {
      vscode.postMessage({ station: st.name, index: st.index });
      return;
    }
    const f = finding_of(ev.target);
    if (f) vscode.postMessage(f);
  });

  window.addEventListener('message', (ev) => {
    const m = ev.data;
    if ('mark' in m) {
      mark = m.mark;
      show_mark();
      return;
    }
    if (!m.page) {
      let err = document.getElementById('scenario-error');
      if (!err) {
        err = document.createElement('p');
        err.id = 'scenario-error';
        document.body.prepend(err);
      }
      err.textContent = m.error;  // in the editor's language already
      return;
    }
    const start = Date.now();
    const drawn = new DOMParser().parseFromString(m.page, 'text/html');
    page.replaceSync([...drawn.querySelectorAll('style')].map((s) => s.textContent).join('\n'));
    const y = window.scrollY;
    document.body.replaceChildren(...drawn.body.childNodes);
    document.body.dataset.drawn = String(Number(document.body.dataset.drawn || 0) + 1);
    // When the drawing was asked for, came, and was put in place, and how
    // long that took: where the delay after an edit goes.
    Object.assign(document.body.dataset, { askedAt: m.asked_at, answeredAt: m.answered_at, drawnAt: Date.now(), drawMs: Date.now() - start });
    window.scrollTo(0, y);
    show_mark();
  });
  vscode.postMessage({ ready: true });
}

module.exports = { page_shell };
