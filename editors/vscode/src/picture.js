// The live picture: a webview beside the editor showing the report page
// that the language server draws from the text being edited (the
// "scenario/picture" request), redrawn a moment after each pause in typing.
// A click on a station or a finding moves the editor to its record; the
// cursor on a station's record marks the station in the picture.
'use strict';

const vscode = require('vscode');
const crypto = require('crypto');
const { page_shell } = require('./picture_page');

// How long after the last edit the picture is asked for: short, since the
// server draws the build's pair in a few tens of milliseconds of processor
// time; while a drawing is on its way, further edits wait for it and then
// ask once more for the text as it is by then.
const redraw_delay_ms = 60;

class picture_panel {
  constructor(client, editor) {
    this.client = client;
    this.disposed = false;
    this.timer = undefined;
    this.result = undefined;
    this.asked = 0;  // the number of the last request, so that answers in the wrong order are dropped
    this.in_flight = undefined;  // the cancellation of the request on its way
    this.again = false;  // the text changed while it was
    this.panel = vscode.window.createWebviewPanel(
        'scenario.picture', vscode.l10n.t('Scenario picture'), { viewColumn: vscode.ViewColumn.Beside, preserveFocus: true },
        { enableScripts: true, localResourceRoots: [], retainContextWhenHidden: true });
    const nonce = crypto.randomBytes(16).toString('base64');
    this.panel.webview.html = page_shell(this.panel.webview.cspSource, nonce);
    this.subscriptions = [
      this.panel.onDidDispose(() => this.dispose()),
      this.panel.webview.onDidReceiveMessage((m) => this.on_message(m)),
      vscode.workspace.onDidChangeTextDocument((e) => {
        if (this.concerns(e.document.uri)) this.redraw_soon();
      }),
      vscode.window.onDidChangeActiveTextEditor((e) => {
        if (e && e.document.languageId === 'scenario-description') this.follow(e, false);
      }),
      vscode.window.onDidChangeTextEditorSelection((e) => this.mark_cursor(e.textEditor)),
    ];
    this.follow(editor, false);
  }

  // Draws the pair of `editor`'s description (again when `reveal`).
  follow(editor, reveal) {
    const known = this.concerns(editor.document.uri);
    this.uri = known && this.uri ? this.uri : editor.document.uri;
    this.column = editor.viewColumn;
    if (reveal) this.panel.reveal(vscode.ViewColumn.Beside, true);
    if (!known || reveal || !this.result) this.redraw();
  }

  concerns(uri) {
    if (!this.uri) return false;
    if (uri.toString() === this.uri.toString()) return true;
    const files = (this.result && this.result.files) || [];
    return files.some((f) => vscode.Uri.parse(f.uri).fsPath === uri.fsPath);
  }

  redraw_soon() {
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.redraw(), redraw_delay_ms);
  }

  async redraw() {
    if (this.disposed) return;
    if (this.in_flight) {
      // The drawing on its way is of an older text: cancelled (a server
      // that has not begun it answers at once), and asked for again.
      this.again = true;
      this.in_flight.cancel();
      return;
    }
    const cancel = new vscode.CancellationTokenSource();
    this.in_flight = cancel;
    this.again = false;
    const n = ++this.asked;
    const asked_at = Date.now();
    let r;
    try {
      r = await this.client.sendRequest('scenario/picture', { textDocument: { uri: this.uri.toString() } }, cancel.token);
    } catch (e) {
      r = { error: String(e && e.message ? e.message : e) };
    } finally {
      this.in_flight = undefined;
      cancel.dispose();
    }
    // A drawing of a text edited since is not shown: the next one is asked
    // for at once.
    if (this.again) {
      this.redraw();
      return;
    }
    if (n !== this.asked || this.disposed) return;
    if (!r) r = { error: vscode.l10n.t('This description pairs with no line description.') };
    if (r.html) this.result = r;
    this.shown = { page: r.html, error: r.html ? undefined : vscode.l10n.t('No picture: {0}', r.error || vscode.l10n.t('nothing to draw')),
      asked_at, answered_at: Date.now() };
    this.panel.webview.postMessage(this.shown);
    const e = vscode.window.activeTextEditor;
    if (e) this.mark_cursor(e);
  }

  // The station whose record holds the cursor, marked in the picture.
  mark_cursor(editor) {
    if (this.disposed || !this.result || !editor) return;
    const line = editor.selection.active.line;
    const here = this.result.objects.find((o) =>
      o.line === line && vscode.Uri.parse(o.uri).fsPath === editor.document.uri.fsPath);
    const index = here ? this.result.objects.filter((o) => o.kind === here.kind && o.name === here.name).indexOf(here) : -1;
    this.panel.webview.postMessage({ mark: here ? { name: here.name, index } : null });
  }

  async on_message(m) {
    // A page that loaded after the first drawing was sent asks for it.
    if (m.ready) {
      if (this.shown) this.panel.webview.postMessage(this.shown);
      return;
    }
    if (!this.result) return;
    let uri;
    let pos;
    if (m.station !== undefined) {
      const same = this.result.objects.filter((o) => o.kind === 'station' && o.name === m.station);
      const o = same[Math.min(m.index || 0, same.length - 1)];
      if (!o) return;
      uri = vscode.Uri.parse(o.uri);
      pos = new vscode.Position(o.line, o.character);
    } else if (m.file !== undefined) {
      const f = this.result.files.find((x) => x.name === m.file);
      if (!f || !(m.line > 0)) return;
      uri = vscode.Uri.parse(f.uri);
      pos = new vscode.Position(m.line - 1, Math.max((m.column || 1) - 1, 0));
    } else {
      return;
    }
    const column = this.column || vscode.ViewColumn.One;
    await vscode.window.showTextDocument(uri, { viewColumn: column, selection: new vscode.Range(pos, pos) });
  }

  dispose() {
    if (this.disposed) return;
    this.disposed = true;
    clearTimeout(this.timer);
    for (const d of this.subscriptions) d.dispose();
    this.panel.dispose();
  }
}

module.exports = { picture_panel };
