// A combo box (also with pictures): the closed field, and the drop-down list the page shows until
// an entry is chosen.
import { el } from './dom.js';
import { page, act, picture, redraw } from './session.js';

function comboEntry(parent, e, il, selected) {
  const row = el('div', 'entry', parent);
  row.style.paddingLeft = (2 + 10 * (e.indent || 0)) + 'px';
  const img = picture(il, selected && e.selectedImage >= 0 ? e.selectedImage : e.image, row, 'picture16');
  if (!img && il) el('span', 'picture16', row);
  el('span', '', row).textContent = e.text;
  return row;
}

// A combo box's rectangle includes its drop-down list; the closed box is one field high.
const COMBO_HEIGHT = 22;

export function renderCombo(ce, c, w, disabled) {
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
    page.openCombo = page.openCombo === c.h ? 0 : c.h;
    redraw();
  };
  // Open when the person opened it here, or when the box opened its own list (F4, Alt+Down).
  if (page.openCombo === c.h || (combo.dropped && !disabled)) {
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
        page.openCombo = 0;
        act({ do: 'combo', hwnd: c.h, index: i });
      };
    });
    // Placed in the window's client area (not clipped by the control).
    setTimeout(() => { if (ce.parentElement) { dd.dataset.key = 'dd' + c.h; ce.parentElement.appendChild(dd); } }, 0);
  }
}

