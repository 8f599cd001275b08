// A list view in any of its views: column header, group bands, the items around the view (the
// host sends those, keyed by index, in the list's unscrolled content coordinates) and its scroll
// bar; clicks, double-clicks, right-clicks and the wheel go back as the person made them.
import { el, place } from './dom.js';
import { page, act, picture } from './session.js';
import { renderScrollBar, SCROLLBAR } from './scrollbar.js';

let wheelRest = 0; // a wheel turn of less than a notch, kept for the next

export function renderList(ce, c, w, disabled) {
  const L = c.list;
  ce.classList.add('sunken');
  ce.classList.toggle('fullrow', (L.exStyle & 0x20) !== 0);
  ce.setAttribute('role', 'listbox');
  const width = c.rc[2] - c.rc[0], height = c.rc[3] - c.rc[1];
  const cw = c.client[2] - c.client[0], chh = c.client[3] - c.client[1];
  // The bars sit inside the border, right of and below the client area.
  const bar = c.vscroll ? SCROLLBAR : 0, hbar = c.hscroll ? SCROLLBAR : 0;
  const bx = Math.max(0, Math.floor((width - cw - bar) / 2)), by = Math.max(0, Math.floor((height - chh - hbar) / 2));
  const area = el('div', 'area', ce);
  place(area, [bx, by, bx + cw, by + chh]);
  if (c.vscroll) renderScrollBar(ce, c, [bx + cw, by, bx + cw + bar, by + chh], disabled);
  if (c.hscroll) renderScrollBar(ce, c, [bx, by + chh, bx + cw, by + chh + hbar], disabled, true);
  if (c.vscroll && c.hscroll) place(el('div', 'corner', ce), [bx + cw, by + chh, bx + cw + bar, by + chh + hbar]);
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
    header.style.left = -(L.scrollX || 0) + 'px'; // the header scrolls sideways with the columns
    for (const col of L.columns) {
      const h = el('div', 'col', header);
      h.style.width = col.width + 'px';
      h.textContent = col.text;
    }
  }
  const small = L.small || L.normal;
  // Rectangles come in the unscrolled content; the view shows them scrollY higher (and scrollX
  // to the left in report view).
  const sx = L.scrollX || 0;
  const shown = r => [r[0] - sx, r[1] - L.scrollY, r[2] - sx, r[3] - L.scrollY];
  // Group view: each group's header band above its items.
  for (const g of L.groups || []) {
    const rc = shown(g.rc);
    if (!L.groupView || g.rc[3] <= g.rc[1] || rc[3] <= 0 || rc[1] >= chh) continue;
    const band = el('div', 'groupband', area);
    place(band, rc);
    band.textContent = g.header;
  }
  for (const [key, it] of Object.entries(L.items)) {
    const i = Number(key), rc = shown(it.rc);
    if (it.rc[3] <= it.rc[1] || rc[3] <= 0 || rc[1] >= chh) continue; // scrolled out of view, or not shown
    let item;
    if (icons) {
      item = el('div', 'icon', area);
      place(item, rc);
      const inCell = r => [r[0] - it.rc[0], r[1] - it.rc[1], r[2] - it.rc[0], r[3] - it.rc[1]];
      const img = picture(L.normal, it.image, item) || (page.imageLists[L.normal] ? el('div', '', item) : null);
      if (img) place(img, inCell(it.rcIcon));
      const label = el('div', 'text', item);
      label.textContent = it.label;
      place(label, inCell(it.rcLabel));
    } else {
      item = el('div', 'row', area);
      place(item, rc);
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
  }
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

