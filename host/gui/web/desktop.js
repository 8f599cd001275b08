// The desktop: every top-level window of the module's snapshot drawn at its pixel rectangle, with
// its caption and close box, its controls in their z-order, and popup menus. Keys and clicks that
// belong to no control go to the front window as a person's would.
import { el, place, mnemonic } from './dom.js';
import { page, act, redraw } from './session.js';
import { renderControl } from './controls.js';

const desktop = document.getElementById('desktop');

export function renderDesktop() {
  const snap = page.state.snapshot;
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
  if (page.openCombo && !snap.windows.some(w => w.controls.some(c => c.h === page.openCombo && c.enabled))) page.openCombo = 0;
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
    const sig = JSON.stringify(c) + (c.list ? JSON.stringify([page.imageLists[c.list.normal], page.imageLists[c.list.small]]) : '') +
                (c.combo ? JSON.stringify([page.imageLists[c.combo.imageList], page.openCombo === c.h]) : '') + (w.kind === 'messagebox' ? w.icon : '');
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
  return page.state && page.state.snapshot.windows.find(w => w.h === page.state.snapshot.front);
}

// Keys that go to the focused control as the keys they are (a list view moves through its items,
// a button takes Space, Shift+F10 and the context-menu key ask for its menu).
const CONTROL_KEYS = new Set(['ArrowUp', 'ArrowDown', 'ArrowLeft', 'ArrowRight', 'Home', 'End', 'PageUp', 'PageDown', ' ', 'ContextMenu']);

function focusedControl() {
  const f = frontWindow();
  return f && f.kind !== 'menu' && !page.openCombo ? f.controls.find(c => c.focused && c.enabled) : null;
}

document.addEventListener('keydown', e => {
  if (e.target.closest && e.target.closest('input, textarea, #host')) return;
  const ctl = focusedControl();
  if (ctl && !e.metaKey) {
    // Alt+letter reaches the control whose text marks it; Alt+Down opens a combo box's list.
    if (e.altKey) {
      if (/^(Key|Digit)/.test(e.code) || (ctl.combo && e.key === 'ArrowDown')) {
        e.preventDefault();
        act({ do: 'keyIn', hwnd: ctl.h, key: e.key === 'ArrowDown' ? e.key : e.code, alt: true, shift: e.shiftKey });
      }
      return;
    }
    if (CONTROL_KEYS.has(e.key) || (e.key === 'F10' && e.shiftKey) || (e.key === 'F4' && ctl.combo)) {
      e.preventDefault();
      act({ do: 'keyIn', hwnd: ctl.h, key: e.key === ' ' ? 'Space' : e.key, ctrl: e.ctrlKey, shift: e.shiftKey });
      return;
    }
    if (ctl.list && !e.ctrlKey && [...e.key].length === 1) {
      e.preventDefault();
      act({ do: 'type', hwnd: ctl.h, text: e.key }); // the list's search by the start of a label
      return;
    }
    // A letter alone, away from an edit, is a mnemonic to the dialog manager.
    if (!e.ctrlKey && /^(Key|Digit)/.test(e.code)) {
      e.preventDefault();
      act({ do: 'keyIn', hwnd: ctl.h, key: e.code, shift: e.shiftKey });
      return;
    }
  }
  if (e.key !== 'Enter' && e.key !== 'Escape' && e.key !== 'Tab') return;
  e.preventDefault();
  if (e.key === 'Tab') {
    // The dialog manager moves the focus between the front dialog's controls.
    const f = frontWindow();
    if (f && f.kind !== 'menu' && !page.openCombo) act({ do: 'key', hwnd: f.h, key: 'Tab', shift: e.shiftKey });
    return;
  }
  if (page.openCombo && e.key === 'Escape') { page.openCombo = 0; redraw(); return; }
  const f = frontWindow();
  if (!f) return;
  if (f.kind === 'menu' && e.key === 'Escape') act({ do: 'menu', hwnd: f.h, id: 0 });
  else act({ do: 'key', hwnd: f.h, key: e.key });
});

desktop.addEventListener('mousedown', e => {
  const f = frontWindow();
  // A click beside an open menu dismisses it, as on Windows.
  if (f && f.kind === 'menu' && !e.target.closest('.window.menu')) act({ do: 'menu', hwnd: f.h, id: 0 });
  if (page.openCombo && !e.target.closest('.dropdown') && !e.target.closest(`[data-h="${page.openCombo}"]`)) {
    page.openCombo = 0;
    redraw();
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

