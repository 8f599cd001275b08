// The controls of a dialog: buttons, check boxes and radio buttons, group boxes, statics, edits and
// progress bars drawn here; combo boxes and list views in their own files.
import { el, place, mnemonic, sysIcon, kindOf } from './dom.js';
import { act } from './session.js';
import { renderCombo } from './combo.js';
import { renderList } from './listview.js';

// Keys an edit handles itself (the page sends them as keys, not characters).
const EDIT_KEYS = new Set(['Backspace', 'Delete', 'Home', 'End', 'ArrowLeft', 'ArrowRight']);
const EDIT_CTRL_CODES = new Set(['KeyA', 'KeyC', 'KeyX', 'KeyV']);

export function renderControl(ce, c, w) {
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
        // The caret and the selection (with Shift) move in the module's edit.
        e.preventDefault();
        act({ do: 'keyIn', hwnd: c.h, key: e.key, shift: e.shiftKey, ctrl: e.ctrlKey });
      } else if ((e.ctrlKey && !e.altKey && EDIT_CTRL_CODES.has(e.code)) || (e.altKey && /^(Key|Digit)/.test(e.code))) {
        // Select all, copy, cut and paste work on the edit's text and the module's clipboard;
        // Alt+letter reaches the control its mnemonic names.
        e.preventDefault();
        act({ do: 'keyIn', hwnd: c.h, key: e.code, ctrl: e.ctrlKey, alt: e.altKey, shift: e.shiftKey });
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

