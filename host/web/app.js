// The page: the host application's bar, and a desktop on which every top-level window of the
// module's snapshot is drawn at its pixel rectangle. What the person does goes back as actions
// (POST /api/act); the page redraws from the next snapshot. Nothing here knows the dialogs: it
// draws whatever windows and controls the snapshot holds.
'use strict';

const POLL_MS = 200;
const desktop = document.getElementById('desktop');
const statusLine = document.getElementById('status');
let lastStateText = '';
let state = null;
let imageLists = {};
let openCombo = 0;        // the combo box whose drop-down list the page shows
let message = null;       // a short-lived note in the status line
let pollTimer = 0;
let wheelRest = 0;        // a wheel turn of less than a notch, kept for the next

// ---- talking to the host
async function post(path, body) {
  const r = await fetch(path, { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body) });
  let j = {};
  try { j = await r.json(); } catch (e) { /* no body */ }
  if (!r.ok || j.ok === false) note(j.error || (path + ' answered ' + r.status));
  return j;
}

// Actions go out one after another, in the order the person made them.
let actChain = Promise.resolve();
function act(action) {
  actChain = actChain.then(() => post('/api/act', action)).catch(e => note(String(e))).then(() => pollSoon(30));
  return actChain;
}

function note(text) {
  message = { text, until: Date.now() + 4000 };
  renderStatus();
}

function pollSoon(ms) {
  clearTimeout(pollTimer);
  pollTimer = setTimeout(poll, ms);
}

async function poll() {
  try {
    const r = await fetch('/api/state', { cache: 'no-store' });
    if (r.status === 403) {
      // Opened without the token (another browser, or a bookmark of the bare address).
      document.body.classList.add('offline');
      statusLine.textContent = 'Open the whole address tavren gui printed, with its ?token=..., to use this page.';
      pollSoon(2000);
      return;
    }
    const text = await r.text();
    if (text !== lastStateText) {
      lastStateText = text;
      state = JSON.parse(text);
      render();
    }
    document.body.classList.remove('offline');
  } catch (e) {
    document.body.classList.add('offline');
    statusLine.textContent = 'The host does not answer.';
  }
  pollSoon(POLL_MS);
}

// ---- helpers
function el(tag, cls, parent) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (parent) parent.appendChild(e);
  return e;
}

function place(e, rc) {
  e.style.left = rc[0] + 'px';
  e.style.top = rc[1] + 'px';
  e.style.width = (rc[2] - rc[0]) + 'px';
  e.style.height = (rc[3] - rc[1]) + 'px';
}

// "&Open" shows O underlined; "&&" is an ampersand.
function mnemonic(e, text, noPrefix) {
  e.textContent = '';
  if (noPrefix) { e.textContent = text; return; }
  for (let i = 0; i < text.length; i++) {
    if (text[i] === '&' && i + 1 < text.length) {
      i++;
      if (text[i] === '&') { e.append('&'); continue; }
      const u = el('u', '', e);
      u.textContent = text[i];
    } else {
      e.append(text[i]);
    }
  }
}

function pictureUrl(h, i) {
  const il = imageLists[h];
  if (!h || !il || i < 0 || i >= il.count) return null;
  return `/pic/il/${h}/${i}.png?v=${il.v}`;
}

function picture(h, i, parent, cls) {
  const url = pictureUrl(h, i);
  if (!url) return null;
  const img = el('img', cls || '', parent);
  img.src = url;
  img.alt = '';
  img.draggable = false;
  return img;
}

const SYS_ICONS = {
  0x10: '<circle cx="16" cy="16" r="14" fill="#d21" stroke="#800" /><path d="M10 10 L22 22 M22 10 L10 22" stroke="#fff" stroke-width="3.5" stroke-linecap="round"/>',
  0x20: '<circle cx="16" cy="16" r="14" fill="#fff" stroke="#246" /><text x="16" y="23" font-size="20" font-weight="bold" text-anchor="middle" fill="#1a4dab" font-family="serif">?</text>',
  0x30: '<path d="M16 2 L31 29 L1 29 Z" fill="#fc0" stroke="#650" stroke-linejoin="round"/><rect x="14.5" y="10" width="3" height="11" fill="#000"/><rect x="14.5" y="23" width="3" height="3" fill="#000"/>',
  0x40: '<circle cx="16" cy="16" r="14" fill="#fff" stroke="#246" /><text x="16" y="24" font-size="20" font-weight="bold" text-anchor="middle" fill="#1a4dab" font-family="serif">i</text>',
};
function sysIcon(kind, parent) {
  const svg = SYS_ICONS[kind];
  if (!svg) return;
  const wrap = el('span', '', parent);
  wrap.innerHTML = `<svg class="sysicon" viewBox="0 0 32 32" aria-hidden="true">${svg}</svg>`;
}

function kindOf(c) {
  const cls = c.cls.toUpperCase();
  if (cls === 'BUTTON') {
    const t = c.style & 0xF;
    if (t === 7) return 'group';
    if (t === 2 || t === 3 || t === 5 || t === 6) return 'check';
    if (t === 4 || t === 9) return 'radio';
    return 'push';
  }
  if (cls === 'STATIC') return 'static';
  if (cls === 'EDIT') return 'edit';
  if (cls === 'SYSLISTVIEW32') return 'list';
  if (cls === 'COMBOBOXEX32' || cls === 'COMBOBOX') return 'combo';
  if (cls === 'MSCTLS_PROGRESS32') return 'progress';
  return 'other';
}

// ---- the host bar
function render() {
  imageLists = state.snapshot.imageLists || {};
  renderHost();
  renderDesktop();
}

function renderHost() {
  const exports = document.getElementById('exports');
  const sig = JSON.stringify([state.exports, state.busy]);
  if (exports.dataset.sig !== sig) {
    exports.dataset.sig = sig;
    exports.textContent = '';
    for (const x of state.exports) {
      const b = el('button', '', exports);
      b.type = 'button';
      b.textContent = x.label;
      b.dataset.export = x.name;
      b.title = x.name + (x.file ? ' (' + x.file + ')' : '');
      b.disabled = !!state.busy;
      b.onclick = () => {
        b.blur();
        if (x.kind === 'manage' || x.kind === 'write') openForm(x);
        else post('/api/call', { export: x.name }).then(() => pollSoon(30));
      };
    }
    if (!state.exports.length) el('span', 'host-label', exports).textContent = 'The module offers no dialog.';
  }
  for (const b of document.querySelectorAll('#language button')) {
    const lang = Number(b.dataset.language);
    b.classList.toggle('on', state.language === lang);
    b.setAttribute('aria-pressed', state.language === lang ? 'true' : 'false');
    b.disabled = !!state.busy || !state.canChangeLanguage;
    b.onclick = () => { b.blur(); post('/api/call', { export: 'ChangeLanguage', language: lang }).then(() => pollSoon(30)); };
  }
  const go = document.getElementById('cf-go');
  if (go) go.disabled = !!state.busy;
  renderMachine();
  renderPc();
  renderStatus();
  renderLast();
}

// ---- what a host chooses for the File Manager and Write a Design, as its own dialog would ask
const TARGETS = [[0, 'USB flash drive only'], [1, 'Machine only'], [2, 'Machine or USB flash drive']];
const callForm = document.getElementById('call-form');

function labelled(parent, text, input) {
  const l = el('label', '', parent);
  l.append(text + ' ');
  l.appendChild(input);
  return input;
}

function input(type, id, value) {
  const i = document.createElement('input');
  i.type = type;
  i.id = id;
  if (type === 'checkbox') i.checked = !!value;
  else if (type !== 'file') i.value = value;
  return i;
}

function choice(id, options, value) {
  const s = document.createElement('select');
  s.id = id;
  for (const [v, text] of options) {
    const o = el('option', '', s);
    o.value = String(v);
    o.textContent = text;
    o.selected = v === value;
  }
  return s;
}

function base64Of(file) {
  return new Promise((resolve, reject) => {
    const r = new FileReader();
    r.onload = () => resolve(String(r.result).replace(/^data:[^,]*,/, ''));
    r.onerror = () => reject(r.error);
    r.readAsDataURL(file);
  });
}

function closeForm() {
  callForm.hidden = true;
  callForm.textContent = '';
  delete callForm.dataset.export;
}

// The form opens under the bar; its button makes the call. A second click on the export closes it.
function openForm(x) {
  if (callForm.dataset.export === x.name) return closeForm();
  callForm.textContent = '';
  callForm.dataset.export = x.name;
  callForm.hidden = false;
  el('span', 'host-label', callForm).textContent = x.label + ':';
  const write = x.kind === 'write', stx = x.name === 'WriteSendStxDialog';
  let file, disk, name, folder, storage, offer, selectAfter, dstNote, upload = null;
  if (write) {
    const kept = (state.kept || {})[x.name] || { folder: '', storage: 0, selectAfterSend: 1 };
    file = labelled(callForm, stx ? 'Pattern' : 'Design', choice('cf-file', x.files.map(f => [f, f]), x.files[0]));
    disk = labelled(callForm, 'or from disk', input('file', 'cf-upload'));
    disk.accept = stx ? '.stx' : '.qef,.qef+,.qpx,.dst';
    name = labelled(callForm, 'Name', input('text', 'cf-name', x.files[0] || ''));
    file.onchange = () => {
      if (!file.selectedOptions[0].dataset.upload) { upload = null; disk.value = ''; name.value = file.value; }
      dstNote(name.value);
    };
    disk.onchange = async () => {
      const f = disk.files[0];
      if (!f) return;
      upload = { name: f.name, data: await base64Of(f) };
      let o = file.querySelector('option[data-upload]');
      if (!o) { o = el('option', '', file); o.dataset.upload = '1'; }
      o.value = '';
      o.textContent = f.name + ' (from disk)';
      o.selected = true;
      name.value = f.name;
      dstNote(f.name);
    };
    // The machine reads only its own formats: the host converts a DST design before the call.
    const note = el('span', 'host-note', callForm);
    note.id = 'cf-note';
    dstNote = n => {
      note.textContent = !stx && /\.dst$/i.test(n) ? `${n} is a DST design: it is converted to ${n.replace(/\.[^.]*$/, '')}.qef before Write a Design gets it.` : '';
    };
    folder = labelled(callForm, 'Folder', input('text', 'cf-folder', kept.folder));
    storage = labelled(callForm, 'Storage', input('number', 'cf-storage', kept.storage));
    if (!stx) {
      offer = labelled(callForm, 'Offer select after send', input('checkbox', 'cf-offer', true));
      selectAfter = labelled(callForm, 'Select after send', input('number', 'cf-select', kept.selectAfterSend));
    }
  }
  const target = labelled(callForm, 'Target', choice('cf-target', TARGETS, 2));
  const deep = labelled(callForm, 'Deep folders', input('checkbox', 'cf-deep', false));
  const go = el('button', '', callForm);
  go.type = 'submit';
  go.id = 'cf-go';
  go.textContent = write ? 'Write' : 'Open';
  go.disabled = !!state.busy;
  const cancel = el('button', '', callForm);
  cancel.type = 'button';
  cancel.textContent = 'Cancel';
  cancel.onclick = closeForm;
  callForm.onsubmit = e => {
    e.preventDefault();
    const call = { export: x.name, target: Number(target.value), deepFolders: deep.checked };
    if (write) {
      if (upload && file.selectedOptions[0].dataset.upload) { call.file = upload.name; call.upload = upload.data; }
      else call.file = file.value;
      call.name = name.value;
      call.folder = folder.value;
      call.storage = Number(storage.value) | 0;
      if (offer) { call.selectAfterSendEnable = offer.checked; call.selectAfterSend = Number(selectAfter.value) | 0; }
    }
    closeForm();
    post('/api/call', call).then(() => pollSoon(30));
  };
}

// What the last export handed back, field by field.
function renderLast() {
  const box = document.getElementById('last');
  const l = state.last;
  const show = l && l.export !== 'ChangeLanguage' && (!l.error || l.refused) && !state.busy;
  const sig = show ? JSON.stringify(l) : '';
  if (box.dataset.sig === sig) return;
  box.dataset.sig = sig;
  box.textContent = '';
  box.hidden = !show;
  if (!show) return;
  el('span', 'host-label', box).textContent = l.export + (l.refused ? ' was not called' : ' returned');
  const fields = [['result', 'result', l.result === undefined ? undefined : l.result + (l.name ? ' (' + l.name + ')' : '')], ['file', 'file', l.file],
                  ['proposedName', 'name', l.proposedName], ['folder', 'folder', l.folder === undefined ? undefined : '"' + l.folder + '"'],
                  ['storage', 'storage', l.storage], ['selectAfterSend', 'select after send', l.selectAfterSend],
                  ['target', 'target', l.target], ['deepFolders', 'deep folders', l.deepFolders],
                  ['converted', 'converted', l.converted && `${l.converted.from} (DST) into ${l.converted.to} (QEF): ${l.converted.design}`],
                  ['refused', 'not sent', l.refused && `${l.file} was not converted: ${l.refused}`]];
  for (const [key, text, value] of fields) {
    if (value === undefined) continue;
    const f = el('span', 'field', box);
    f.dataset.field = key;
    el('b', '', f).textContent = text;
    el('span', 'value', f).textContent = String(value);
  }
}

function toggle(parent, label, on, onText, offText, action, key) {
  const span = el('span', 'host-item', parent);
  el('span', 'led ' + (on ? 'on' : 'off'), span);
  span.append(label + ' ');
  const b = el('button', '', parent);
  b.type = 'button';
  b.textContent = on ? onText : offText;
  if (key) { b.dataset.toggle = key; b.setAttribute('aria-pressed', String(on)); }
  b.onclick = () => { b.blur(); action(); };
}

// A select in the bar whose change calls action(value).
function picker(parent, id, label, options, value, action) {
  const s = labelled(el('span', 'host-item', parent), label, choice(id, options, value));
  s.onchange = () => { s.blur(); action(s.value); };
  return s;
}

// What the machine says through GetStatus: item 3 what it is doing, item 4 what its screen shows
// (the module refuses to send while either is not 0); item 0 its mode (0 or 1 ordinary sewing,
// 2 embroidery: sending a design asks to change it).
const MACHINE_DOING = [['idle', 'idle', '3=0 4=0'], ['busy', 'busy', '3=1 4=0'], ['sewing', 'sewing', '3=4 4=0'],
                       ['bobbin', 'winding a bobbin', '3=8 4=0'], ['locked', 'locked', '3=0 4=1']];
const MACHINE_MODES = [['2', 'embroidery'], ['0', 'ordinary sewing']];
// The operations a slow machine answers late (each call waits this long first).
const SLOW_OPS = ['UploadList', 'DownloadFile', 'UploadFile', 'UploadDesign', 'EraseFile'];
const SLOW_MS = 1500;
const STORAGES = [['1', 'Built-in'], ['2', 'USB 1'], ['3', 'USB 2']];

function statusItems(text) {
  const items = {};
  for (const part of String(text || '').split(' ')) {
    const [k, v] = part.split('=');
    if (v !== undefined) items[k] = Number(v);
  }
  return items;
}

// The machine's words go out one command after another.
async function machineCtl(commands) {
  for (const words of commands) {
    const r = await post('/api/machine', { words });
    if (r.error) break;
  }
  pollSoon(30);
}

function renderMachine() {
  const box = document.getElementById('machine');
  const m = state.machine || {};
  const sig = JSON.stringify(m);
  if (box.dataset.sig === sig) return;
  box.dataset.sig = sig;
  box.textContent = '';
  el('span', 'host-label', box).textContent = 'Machine';
  if (!m.running) { el('span', '', box).textContent = m.error || 'not running'; return; }
  if (m.error || !m.state) { el('span', '', box).textContent = m.error || '?'; return; }
  const s = m.state;
  const ctl = words => machineCtl([words]);
  toggle(box, 'cable', s.cable === 'plugged', 'Pull', 'Plug in', () => ctl(['cable', s.cable === 'plugged' ? 'pull' : 'plug']), 'cable');
  toggle(box, 'USB 1', s.usb1 === 'present', 'Remove', 'Insert', () => ctl(['usb1', s.usb1 === 'present' ? 'absent' : 'present']), 'usb1');
  toggle(box, 'USB 2', s.usb2 === 'present', 'Remove', 'Insert', () => ctl(['usb2', s.usb2 === 'present' ? 'absent' : 'present']), 'usb2');

  const items = statusItems(s.status);
  const doing = MACHINE_DOING.find(d => d[2] === `3=${items[3]} 4=${items[4]}`);
  const doingOptions = MACHINE_DOING.map(d => [d[0], d[1]]);
  if (!doing) doingOptions.push(['other', `other (3=${items[3]} 4=${items[4]})`]);
  picker(box, 'm-doing', 'doing', doingOptions, doing ? doing[0] : 'other', v => {
    const d = MACHINE_DOING.find(x => x[0] === v);
    if (d) ctl(['status', ...d[2].split(' ')]);
  });
  const mode = items[0] === 0 || items[0] === 1 ? '0' : '2';
  picker(box, 'm-mode', 'mode', MACHINE_MODES, mode, v => ctl(['status', '0=' + v]));

  // A full storage: no room at all, so the next file it is sent does not fit (0x8010).
  const full = STORAGES.find(([n]) => (s.capacity || []).includes(n + ' 0'));
  picker(box, 'm-full', 'full', [['none', 'none'], ...STORAGES], full ? full[0] : 'none',
         v => machineCtl(STORAGES.map(([n]) => ['capacity', n, n === v ? '0' : 'none'])));

  const slow = (s.fault || []).some(f => / delay /.test(f));
  toggle(box, 'slow', slow, 'Answer at once', 'Answer slowly',
         () => machineCtl(SLOW_OPS.map(op => slow ? ['fault', 'clear', op] : ['fault', op, 'delay', String(SLOW_MS), '--count', '1000000'])),
         'slow');
}

function renderPc() {
  const box = document.getElementById('pc');
  const pc = state.pc || { drives: [] };
  const sig = JSON.stringify(pc);
  if (box.dataset.sig === sig) return;
  box.dataset.sig = sig;
  box.textContent = '';
  el('span', 'host-label', box).textContent = 'PC';
  for (const d of pc.drives) {
    if (d.type !== 'removable') { el('span', 'host-item', box).textContent = d.letter + ':'; continue; }
    if (pc.switchable)
      toggle(box, 'USB ' + d.letter + ':', d.present, 'Pull out', 'Plug in',
             () => post('/api/pc-drive', { plugged: !d.present }).then(() => pollSoon(30)), 'pc-' + d.letter);
    else
      el('span', 'host-item', box).textContent = d.letter + ': (removable)';
  }
}

function renderStatus() {
  if (!state) return;
  let text = '';
  const label = name => (state.exports.find(x => x.name === name) || {}).label || name;
  if (message && message.until > Date.now()) text = message.text;
  else if (state.busy) text = label(state.busy) + ' is open';
  else if (state.last) {
    const l = state.last;
    if (l.error) text = l.export + ': ' + l.error;
    else if (l.export === 'ChangeLanguage') text = 'ChangeLanguage(' + l.language + ') returned ' + l.result;
    else text = l.export + ' returned ' + l.result + (l.name ? ' (' + l.name + ')' : '') + (l.folder ? ' — folder "' + l.folder + '"' : '');
  }
  statusLine.textContent = text;
}

// ---- the desktop
function renderDesktop() {
  const snap = state.snapshot;
  desktop.classList.toggle('wait', !!snap.waitCursor);
  const keep = new Set();
  let z = 1;
  for (const w of snap.windows) {
    const key = 'w' + w.h;
    keep.add(key);
    let we = desktop.querySelector(`:scope > [data-key="${key}"]`);
    const fresh = !we;
    if (!we) {
      we = el('div', '', desktop);
      we.dataset.key = key;
    }
    we.style.zIndex = String(z++);
    renderWindow(we, w, w.h === snap.front, activeOwner(snap, w));
    if (fresh) we.scrollIntoView({ block: 'nearest', inline: 'nearest' }); // a new window is brought into view
  }
  for (const e of [...desktop.children])
    if (!keep.has(e.dataset.key)) e.remove();
  if (openCombo && !snap.windows.some(w => w.controls.some(c => c.h === openCombo && c.enabled))) openCombo = 0;
  syncFocus();
}

// When the module moves its focus (Tab, a dialog opening on an edit), the page's follows: onto
// the edit's field, or off a field the module has left. Only on a change, so a field the person
// has just clicked keeps the focus until the first key reaches the module.
let lastModuleFocus = '';
function syncFocus() {
  const f = frontWindow();
  const key = f ? f.h + ':' + f.focus : '';
  if (key === lastModuleFocus) return;
  lastModuleFocus = key;
  if (!f) return;
  const active = document.activeElement;
  const inDesktop = active && active !== document.body && desktop.contains(active);
  if (active && active !== document.body && !inDesktop) return; // the host bar's own fields keep theirs
  const field = desktop.querySelector(`.ctl[data-h="${f.focus}"] input, .ctl[data-h="${f.focus}"] textarea`);
  if (field) { if (active !== field && !field.disabled) field.focus(); }
  else if (inDesktop) active.blur();
}

// A window whose popup menu is open stays active, as on Windows: the menu's owner is the window
// or one of its controls.
function activeOwner(snap, w) {
  const f = snap.windows.find(x => x.h === snap.front);
  return !!f && f.kind === 'menu' && !!f.owner && (f.owner === w.h || w.controls.some(c => c.h === f.owner));
}

function renderWindow(we, w, front, ownsMenu) {
  we.className = 'window ' + w.kind + (front ? ' front' : '') + (front || ownsMenu ? ' active' : '') + (w.enabled ? '' : ' blocked');
  we.dataset.h = w.h;
  we.dataset.caption = w.caption;
  we.setAttribute('role', w.kind === 'menu' ? 'menu' : 'dialog');
  we.setAttribute('aria-label', w.caption);
  place(we, w.rc);
  const width = w.rc[2] - w.rc[0], height = w.rc[3] - w.rc[1];
  const cw = w.client[2] - w.client[0], ch = w.client[3] - w.client[1];
  const bx = Math.max(0, Math.floor((width - cw) / 2)), by = Math.max(0, height - ch - bx);

  // The caption with its close box.
  let cap = we.querySelector(':scope > .caption');
  if (w.kind !== 'menu' && by > bx) {
    if (!cap) {
      cap = el('div', 'caption', we);
      el('span', 'title', cap);
      const close = el('button', 'closebox', cap);
      close.type = 'button';
      close.title = 'Close';
      close.setAttribute('aria-label', 'Close');
      close.innerHTML = '<svg width="8" height="7" viewBox="0 0 8 7"><path d="M0 0h2l2 2 2-2h2L5 3.5 8 7H6L4 5 2 7H0l3-3.5z"/></svg>';
    }
    cap.querySelector('.title').textContent = w.caption;
    cap.querySelector('.closebox').onclick = () => act({ do: 'close', hwnd: w.h });
  } else if (cap) {
    cap.remove();
  }

  let client = we.querySelector(':scope > .client');
  if (!client) client = el('div', 'client', we);
  place(client, [bx, by, bx + cw, by + ch]);

  if (w.kind === 'menu') return renderMenu(client, w);

  const keep = new Set();
  let prev = null;
  for (const c of w.controls) {
    if (!c.visible) continue;
    const key = 'c' + c.h;
    keep.add(key);
    let ce = client.querySelector(`:scope > [data-key="${key}"]`);
    const sig = JSON.stringify(c) + (c.list ? JSON.stringify([imageLists[c.list.normal], imageLists[c.list.small]]) : '') +
                (c.combo ? JSON.stringify([imageLists[c.combo.imageList], openCombo === c.h]) : '') + (w.kind === 'messagebox' ? w.icon : '');
    if (ce && ce.dataset.sig === sig) { prev = placeAfter(client, ce, prev); continue; } // keeps z-order as listed
    const fresh = document.createElement('div');
    fresh.dataset.key = key;
    fresh.dataset.sig = sig;
    renderControl(fresh, c, w);
    if (ce && ce.classList.contains('edit') && fresh.classList.contains('edit') && ce.contains(document.activeElement)) {
      // Keep the field the person is typing in; only its state changes.
      ce.className = fresh.className;
      ce.dataset.sig = sig;
      place(ce, c.rc);
      const input = ce.querySelector('input, textarea');
      if (input.value !== c.text) input.value = c.text;
      if (c.edit) input.setSelectionRange(c.edit.sel[0], c.edit.sel[1]);
      prev = placeAfter(client, ce, prev);
      continue;
    }
    if (ce) ce.replaceWith(fresh);
    prev = placeAfter(client, fresh, prev);
  }
  for (const e of [...client.children])
    if (!keep.has(e.dataset.key)) e.remove();
}

// Puts e right after prev (first when null), moving it only when it is elsewhere: a moved field
// would lose the focus.
function placeAfter(parent, e, prev) {
  const want = prev ? prev.nextSibling : parent.firstChild;
  if (want !== e) parent.insertBefore(e, want);
  return e;
}

function renderControl(ce, c, w) {
  const kind = kindOf(c);
  ce.className = 'ctl ' + kind + (c.enabled ? '' : ' disabled') + (c.focused ? ' focused' : '');
  ce.dataset.id = c.id;
  ce.dataset.h = c.h;
  place(ce, c.rc);
  const disabled = !c.enabled || !w.enabled;
  switch (kind) {
  case 'push': {
    ce.classList.toggle('default', c.default);
    ce.setAttribute('role', 'button');
    ce.setAttribute('aria-disabled', String(!c.enabled));
    if (c.image) {
      const img = el('img', '', ce);
      img.src = c.image.url;
      img.alt = c.text;
      ce.setAttribute('aria-label', c.text.replace(/&(.)/g, '$1'));
    } else {
      mnemonic(el('span', 'label', ce), c.text);
    }
    ce.onclick = () => { if (!disabled) act({ do: 'click', hwnd: c.h }); };
    break;
  }
  case 'check':
  case 'radio': {
    ce.classList.toggle('checked', c.check === 1);
    ce.setAttribute('role', kind === 'radio' ? 'radio' : 'checkbox');
    ce.setAttribute('aria-checked', c.check === 1 ? 'true' : c.check === 2 ? 'mixed' : 'false');
    ce.setAttribute('aria-disabled', String(!c.enabled));
    el('span', 'box', ce);
    mnemonic(el('span', 'label', ce), c.text);
    ce.onclick = () => { if (!disabled) act({ do: 'click', hwnd: c.h }); };
    break;
  }
  case 'group': {
    el('div', 'frame', ce);
    // A label of spaces still opens a gap in the frame (a radio button often sits in it).
    if (c.text) mnemonic(el('span', 'label', ce), c.text);
    break;
  }
  case 'static': {
    const type = c.style & 0x1F;
    if (type === 3 || type === 0xE) {
      ce.classList.add('picture');
      if (c.image) {
        const img = el('img', '', ce);
        img.src = c.image.url;
        img.alt = '';
      } else if (w.kind === 'messagebox') {
        sysIcon(w.icon, ce);
      }
    } else {
      if (type === 1) ce.classList.add('center');
      if (type === 2) ce.classList.add('right');
      mnemonic(ce, c.text, (c.style & 0x80) !== 0 || w.kind === 'messagebox');
    }
    break;
  }
  case 'edit': {
    ce.classList.add('sunken');
    if (c.edit && c.edit.readOnly) ce.classList.add('readonly');
    const multi = (c.style & 0x4) !== 0;
    const input = el(multi ? 'textarea' : 'input', '', ce);
    input.value = c.text;
    input.disabled = disabled;
    input.readOnly = !!(c.edit && c.edit.readOnly);
    input.spellcheck = false;
    input.setAttribute('aria-label', 'edit ' + c.id);
    if (c.edit && c.edit.limit > 0) input.maxLength = c.edit.limit;
    // Keystrokes go to the module one by one; the field shows what the edit then holds.
    input.addEventListener('keydown', e => {
      if (e.isComposing) return;
      if (e.key === 'Enter' || e.key === 'Escape' || e.key === 'Tab') {
        e.preventDefault();
        e.stopPropagation();
        act({ do: 'key', hwnd: w.h, key: e.key, shift: e.shiftKey });
      } else if (EDIT_KEYS.has(e.key)) {
        e.preventDefault();
        act({ do: 'keyIn', hwnd: c.h, key: e.key });
      } else if (!e.ctrlKey && !e.metaKey && !e.altKey && [...e.key].length === 1) {
        e.preventDefault();
        act({ do: 'type', hwnd: c.h, text: e.key });
      }
    });
    // Text that comes without a key of its own (pasted, or a character the keyboard lacks).
    input.addEventListener('beforeinput', e => {
      if (e.isComposing || e.inputType.includes('Composition')) return;
      e.preventDefault();
      if (e.data) act({ do: 'type', hwnd: c.h, text: e.data });
    });
    input.addEventListener('compositionend', e => { if (e.data) act({ do: 'type', hwnd: c.h, text: e.data }); });
    if (c.focused && w.enabled && c.parent !== w.h) setTimeout(() => { if (document.activeElement === document.body) input.focus(); }, 0);
    break;
  }
  case 'progress': {
    ce.classList.toggle('smooth', (c.style & 0x1) !== 0);
    const p = c.progress || { lower: 0, upper: 100, pos: 0 };
    const span = p.upper - p.lower;
    const frac = span > 0 ? Math.min(1, Math.max(0, (p.pos - p.lower) / span)) : 0;
    const bar = el('div', 'bar', ce);
    bar.style.width = (frac * 100).toFixed(2) + '%';
    ce.setAttribute('role', 'progressbar');
    ce.setAttribute('aria-valuenow', String(p.pos));
    ce.setAttribute('aria-valuemin', String(p.lower));
    ce.setAttribute('aria-valuemax', String(p.upper));
    break;
  }
  case 'combo': renderCombo(ce, c, w, disabled); break;
  case 'list': renderList(ce, c, w, disabled); break;
  default:
    ce.classList.add('sunken');
  }
}

function comboEntry(parent, e, il, selected) {
  const row = el('div', 'entry', parent);
  row.style.paddingLeft = (2 + 10 * (e.indent || 0)) + 'px';
  const img = picture(il, selected && e.selectedImage >= 0 ? e.selectedImage : e.image, row, 'picture16');
  if (!img && il) el('span', 'picture16', row);
  el('span', '', row).textContent = e.text;
  return row;
}

// Keys an edit handles itself (the page sends them as keys, not characters).
const EDIT_KEYS = new Set(['Backspace', 'Delete', 'Home', 'End', 'ArrowLeft', 'ArrowRight']);

// A combo box's rectangle includes its drop-down list; the closed box is one field high.
const COMBO_HEIGHT = 22;

function renderCombo(ce, c, w, disabled) {
  ce.classList.add('sunken');
  ce.style.height = Math.min(COMBO_HEIGHT, c.rc[3] - c.rc[1]) + 'px';
  ce.setAttribute('role', 'combobox');
  const combo = c.combo;
  const field = el('div', 'field', ce);
  const cur = combo.sel >= 0 ? combo.entries[combo.sel] : null;
  if (cur) {
    const img = picture(combo.imageList, cur.selectedImage >= 0 ? cur.selectedImage : cur.image, field, 'picture16');
    if (!img && combo.imageList) el('span', 'picture16', field);
  }
  el('span', '', field).textContent = cur ? cur.text : c.text;
  el('div', 'dropbtn', ce);
  ce.onclick = () => {
    if (disabled) return;
    openCombo = openCombo === c.h ? 0 : c.h;
    lastStateText = '';
    pollSoon(0);
  };
  if (openCombo === c.h) {
    // The drop-down list belongs to the page until an entry is chosen.
    const dd = el('div', 'dropdown', null);
    dd.setAttribute('role', 'listbox');
    dd.style.left = c.rc[0] + 'px';
    dd.style.top = (c.rc[1] + Math.min(COMBO_HEIGHT, c.rc[3] - c.rc[1])) + 'px';
    dd.style.minWidth = (c.rc[2] - c.rc[0]) + 'px';
    combo.entries.forEach((e, i) => {
      const row = comboEntry(dd, e, combo.imageList, false);
      row.setAttribute('role', 'option');
      row.classList.toggle('current', i === combo.sel);
      row.setAttribute('aria-selected', String(i === combo.sel));
      row.onclick = ev => {
        ev.stopPropagation();
        openCombo = 0;
        act({ do: 'combo', hwnd: c.h, index: i });
      };
    });
    // Placed in the window's client area (not clipped by the control).
    setTimeout(() => { if (ce.parentElement) { dd.dataset.key = 'dd' + c.h; ce.parentElement.appendChild(dd); } }, 0);
  }
}

const SCROLLBAR = 17; // the width of a vertical scroll bar, as the module's lists lay themselves out

// A classic vertical scroll bar: arrows, the track and a thumb as long as the page is of the range.
// Arrows and the track go to the control as the parts a person pressed; the thumb, dragged, goes
// as the position it was let go at.
function renderScrollBar(ce, c, rc, disabled) {
  const s = c.vscroll;
  const sb = el('div', 'vscroll' + (disabled ? ' disabled' : ''), ce);
  place(sb, rc);
  const len = rc[3] - rc[1], track = Math.max(0, len - 2 * SCROLLBAR);
  const range = s.max - s.min + 1, span = Math.max(1, range - Math.max(s.page, 1) + 1) - 1;
  const thumbLen = Math.min(track, Math.max(8, Math.floor(track * Math.max(s.page, 1) / Math.max(range, 1))));
  const topAt = pos => SCROLLBAR + (span > 0 ? Math.round((track - thumbLen) * (pos - s.min) / span) : 0);
  const thumbTop = topAt(s.pos);
  const up = el('div', 'arrow up', sb);
  const down = el('div', 'arrow down', sb);
  const thumb = el('div', 'thumb', sb);
  up.setAttribute('aria-label', 'line up');
  down.setAttribute('aria-label', 'line down');
  thumb.setAttribute('role', 'scrollbar');
  thumb.setAttribute('aria-orientation', 'vertical');
  thumb.setAttribute('aria-valuemin', String(s.min));
  thumb.setAttribute('aria-valuemax', String(s.min + span));
  thumb.setAttribute('aria-valuenow', String(s.pos));
  place(thumb, [0, thumbTop, SCROLLBAR, thumbTop + thumbLen]);
  if (disabled) return;
  const part = p => act({ do: 'scroll', hwnd: c.h, part: p });
  up.addEventListener('mousedown', e => { e.preventDefault(); part('lineUp'); });
  down.addEventListener('mousedown', e => { e.preventDefault(); part('lineDown'); });
  sb.addEventListener('mousedown', e => {
    if (e.target !== sb) return;
    e.preventDefault();
    const y = e.clientY - sb.getBoundingClientRect().top;
    part(y < thumbTop ? 'pageUp' : 'pageDown');
  });
  thumb.addEventListener('mousedown', e => {
    e.preventDefault();
    const y0 = e.clientY;
    let last = s.pos;
    const at = ev => s.min + (track > thumbLen ? Math.round((thumbTop - SCROLLBAR + ev.clientY - y0) * span / (track - thumbLen)) : 0);
    const move = ev => {
      const pos = Math.max(s.min, Math.min(s.min + span, at(ev)));
      thumb.style.top = topAt(pos) + 'px';
      last = pos;
    };
    const upHandler = ev => {
      document.removeEventListener('mousemove', move);
      document.removeEventListener('mouseup', upHandler);
      move(ev);
      if (last !== s.pos) act({ do: 'scroll', hwnd: c.h, part: 'thumb', pos: last });
    };
    document.addEventListener('mousemove', move);
    document.addEventListener('mouseup', upHandler);
  });
}

function renderList(ce, c, w, disabled) {
  const L = c.list;
  ce.classList.add('sunken');
  ce.classList.toggle('fullrow', (L.exStyle & 0x20) !== 0);
  ce.setAttribute('role', 'listbox');
  const width = c.rc[2] - c.rc[0], height = c.rc[3] - c.rc[1];
  const cw = c.client[2] - c.client[0], chh = c.client[3] - c.client[1];
  const bar = c.vscroll ? SCROLLBAR : 0; // the bar sits inside the border, right of the client area
  const bx = Math.max(0, Math.floor((width - cw - bar) / 2)), by = Math.max(0, Math.floor((height - chh) / 2));
  const area = el('div', 'area', ce);
  place(area, [bx, by, bx + cw, by + chh]);
  if (c.vscroll) renderScrollBar(ce, c, [bx + cw, by, bx + cw + bar, by + chh], disabled);
  // The wheel goes to the list under the mouse, a notch (WHEEL_DELTA, 120) for each 100 pixels or 3 lines.
  // (A property, not a listener: the element is kept from one drawing to the next.)
  ce.onwheel = e => {
    e.preventDefault();
    if (disabled) return;
    wheelRest += e.deltaMode === 1 ? e.deltaY * 100 / 3 : e.deltaMode === 2 ? e.deltaY * 100 * 3 : e.deltaY;
    const notches = Math.trunc(wheelRest / 100);
    if (!notches) return;
    wheelRest -= notches * 100;
    act({ do: 'wheel', hwnd: c.h, delta: -notches * 120 });
  };
  const report = L.view === 1, icons = L.view === 0;
  if (report && !(c.style & 0x4000)) {
    const header = el('div', 'header', area);
    for (const col of L.columns) {
      const h = el('div', 'col', header);
      h.style.width = col.width + 'px';
      h.textContent = col.text;
    }
  }
  const small = L.small || L.normal;
  // Group view: each group's header band above its items.
  for (const g of L.groups || []) {
    if (!L.groupView || g.rc[3] <= g.rc[1] || g.rc[3] <= 0 || g.rc[1] >= chh) continue;
    const band = el('div', 'groupband', area);
    place(band, g.rc);
    band.textContent = g.header;
  }
  L.items.forEach((it, i) => {
    if (it.rc[3] <= 0 || it.rc[1] >= chh) return; // scrolled out of view, or not shown
    let item;
    if (icons) {
      item = el('div', 'icon', area);
      place(item, it.rc);
      const inCell = r => [r[0] - it.rc[0], r[1] - it.rc[1], r[2] - it.rc[0], r[3] - it.rc[1]];
      const img = picture(L.normal, it.image, item) || (imageLists[L.normal] ? el('div', '', item) : null);
      if (img) place(img, inCell(it.rcIcon));
      const label = el('div', 'text', item);
      label.textContent = it.label;
      place(label, inCell(it.rcLabel));
    } else {
      item = el('div', 'row', area);
      place(item, it.rc);
      const cols = report && L.columns.length ? L.columns : [{ width: it.rc[2] - it.rc[0] }];
      cols.forEach((col, k) => {
        const cell = el('div', 'cell' + (k === 0 ? ' first' : ''), item);
        cell.style.width = col.width + 'px';
        if (k === 0) {
          if (small) picture(small, it.image, cell, 'picture16');
          el('span', 'text', cell).textContent = it.label;
        } else {
          el('span', 'text', cell).textContent = it.sub[k - 1] || '';
        }
      });
    }
    item.classList.toggle('selected', it.selected);
    item.classList.toggle('focused', it.focused && c.focused);
    item.dataset.item = i;
    item.setAttribute('role', 'option');
    item.setAttribute('aria-selected', String(it.selected));
    item.setAttribute('aria-label', it.label);
  });
  // A click waits a moment for a second one, so a double-click goes out as one action. The point
  // goes with it: the list decides what lay there (a second click on a selected label renames).
  let clickTimer = 0;
  const itemAt = e => {
    const t = e.target.closest('[data-item]');
    return t && area.contains(t) ? Number(t.dataset.item) : -1;
  };
  const mouse = (e, how) => {
    const r = area.getBoundingClientRect();
    return { do: 'item', hwnd: c.h, item: itemAt(e), mouse: how, x: Math.floor(e.clientX - r.left), y: Math.floor(e.clientY - r.top) };
  };
  area.addEventListener('click', e => {
    if (disabled) return;
    const a = mouse(e, 'click');
    if (e.detail >= 2) {
      clearTimeout(clickTimer);
      clickTimer = 0;
      if (e.detail === 2) act({ ...a, mouse: 'double' });
      return;
    }
    clickTimer = setTimeout(() => { clickTimer = 0; act(a); }, 250);
  });
  area.addEventListener('contextmenu', e => {
    e.preventDefault();
    if (!disabled) act(mouse(e, 'right'));
  });
}

function renderMenu(client, w) {
  client.textContent = '';
  for (const m of w.menu) {
    const it = el('div', 'menuitem' + (m.separator ? ' separator' : '') + (m.grayed ? ' grayed' : '') +
                  (m.checked ? ' checked' : '') + (m.popup ? ' popup' : ''), client);
    place(it, m.rc);
    if (!m.separator) {
      const [text, accel] = m.text.split('\t');
      mnemonic(el('span', 'label', it), text);
      if (accel) el('span', 'accel', it).textContent = accel;
      it.setAttribute('role', 'menuitem');
      it.setAttribute('aria-disabled', String(m.grayed));
    }
    it.dataset.id = m.id;
    it.onclick = e => {
      e.stopPropagation();
      if (!m.separator && !m.grayed && !m.popup) act({ do: 'menu', hwnd: w.h, id: m.id });
    };
  }
}

// ---- keys and clicks outside any control
function frontWindow() {
  return state && state.snapshot.windows.find(w => w.h === state.snapshot.front);
}

// Keys a focused list view takes itself: they go to it as the keys they are.
const LIST_KEYS = new Set(['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'Home', 'End', 'PageUp', 'PageDown', ' ']);

function focusedList() {
  const f = frontWindow();
  return f && f.kind !== 'menu' && !openCombo ? f.controls.find(c => c.focused && c.list && c.enabled) : null;
}

document.addEventListener('keydown', e => {
  if (e.target.closest && e.target.closest('input, textarea, #host')) return;
  const list = focusedList();
  if (list && !e.altKey && !e.metaKey) {
    if (LIST_KEYS.has(e.key)) {
      e.preventDefault();
      act({ do: 'keyIn', hwnd: list.h, key: e.key === ' ' ? 'Space' : e.key, ctrl: e.ctrlKey, shift: e.shiftKey });
      return;
    }
    if (!e.ctrlKey && [...e.key].length === 1) {
      e.preventDefault();
      act({ do: 'type', hwnd: list.h, text: e.key }); // the list's search by the start of a label
      return;
    }
  }
  if (e.key !== 'Enter' && e.key !== 'Escape' && e.key !== 'Tab') return;
  e.preventDefault();
  if (e.key === 'Tab') {
    // The dialog manager moves the focus between the front dialog's controls.
    const f = frontWindow();
    if (f && f.kind !== 'menu' && !openCombo) act({ do: 'key', hwnd: f.h, key: 'Tab', shift: e.shiftKey });
    return;
  }
  if (openCombo && e.key === 'Escape') { openCombo = 0; lastStateText = ''; pollSoon(0); return; }
  const f = frontWindow();
  if (!f) return;
  if (f.kind === 'menu' && e.key === 'Escape') act({ do: 'menu', hwnd: f.h, id: 0 });
  else act({ do: 'key', hwnd: f.h, key: e.key });
});

desktop.addEventListener('mousedown', e => {
  const f = frontWindow();
  // A click beside an open menu dismisses it, as on Windows.
  if (f && f.kind === 'menu' && !e.target.closest('.window.menu')) act({ do: 'menu', hwnd: f.h, id: 0 });
  if (openCombo && !e.target.closest('.dropdown') && !e.target.closest(`[data-h="${openCombo}"]`)) {
    openCombo = 0;
    lastStateText = '';
    pollSoon(0);
  }
});
desktop.addEventListener('contextmenu', e => e.preventDefault());

// Windows open in the middle of the 1280 x 1024 screen: start with the middle in view.
const screenBox = document.getElementById('screen');
function centreScreen() {
  screenBox.scrollTop = Math.max(0, (desktop.offsetHeight - screenBox.clientHeight) / 2);
  screenBox.scrollLeft = Math.max(0, (desktop.offsetWidth - screenBox.clientWidth) / 2);
}
centreScreen();
window.addEventListener('resize', centreScreen);

poll();
