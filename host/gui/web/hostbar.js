// The host application's bar: the exports it offers (with the form of what a host hands in), the
// language, the emulated machine's and the PC's switches, the status line and what the last
// export returned.
import { el } from './dom.js';
import { page, post } from './session.js';

const statusLine = document.getElementById('status');
export function renderHost() {
  const exports = document.getElementById('exports');
  const sig = JSON.stringify([page.state.exports, page.state.busy]);
  if (exports.dataset.sig !== sig) {
    exports.dataset.sig = sig;
    exports.textContent = '';
    for (const x of page.state.exports) {
      const b = el('button', '', exports);
      b.type = 'button';
      b.textContent = x.label;
      b.dataset.export = x.name;
      b.title = x.name + (x.file ? ' (' + x.file + ')' : '');
      b.disabled = !!page.state.busy;
      b.onclick = () => {
        b.blur();
        if (x.kind === 'manage' || x.kind === 'write') openForm(x);
        else post('/api/call', { export: x.name });
      };
    }
    if (!page.state.exports.length) el('span', 'host-label', exports).textContent = 'The module offers no dialog.';
  }
  for (const b of document.querySelectorAll('#language button')) {
    const lang = Number(b.dataset.language);
    b.classList.toggle('on', page.state.language === lang);
    b.setAttribute('aria-pressed', page.state.language === lang ? 'true' : 'false');
    b.disabled = !!page.state.busy || !page.state.canChangeLanguage;
    b.onclick = () => { b.blur(); post('/api/call', { export: 'ChangeLanguage', language: lang }); };
  }
  const go = document.getElementById('cf-go');
  if (go) go.disabled = !!page.state.busy;
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
    const kept = (page.state.kept || {})[x.name] || { folder: '', storage: 0, selectAfterSend: 1 };
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
  go.disabled = !!page.state.busy;
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
    post('/api/call', call);
  };
}

// What the last export handed back, field by field.
function renderLast() {
  const box = document.getElementById('last');
  const l = page.state.last;
  const show = l && l.export !== 'ChangeLanguage' && (!l.error || l.refused) && !page.state.busy;
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
}

function renderMachine() {
  const box = document.getElementById('machine');
  const m = page.state.machine || {};
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
  const pc = page.state.pc || { drives: [] };
  const sig = JSON.stringify(pc);
  if (box.dataset.sig === sig) return;
  box.dataset.sig = sig;
  box.textContent = '';
  el('span', 'host-label', box).textContent = 'PC';
  for (const d of pc.drives) {
    if (d.type !== 'removable') { el('span', 'host-item', box).textContent = d.letter + ':'; continue; }
    if (pc.switchable)
      toggle(box, 'USB ' + d.letter + ':', d.present, 'Pull out', 'Plug in',
             () => post('/api/pc-drive', { plugged: !d.present }), 'pc-' + d.letter);
    else
      el('span', 'host-item', box).textContent = d.letter + ': (removable)';
  }
}

function renderStatus() {
  if (!page.state) return;
  let text = '';
  const label = name => (page.state.exports.find(x => x.name === name) || {}).label || name;
  if (page.message && page.message.until > Date.now()) text = page.message.text;
  else if (page.state.busy) text = label(page.state.busy) + ' is open';
  else if (page.state.last) {
    const l = page.state.last;
    if (l.error) text = l.export + ': ' + l.error;
    else if (l.export === 'ChangeLanguage') text = 'ChangeLanguage(' + l.language + ') returned ' + l.result;
    else text = l.export + ' returned ' + l.result + (l.name ? ' (' + l.name + ')' : '') + (l.folder ? ' — folder "' + l.folder + '"' : '');
  }
  statusLine.textContent = text;
}
