// A classic vertical scroll bar drawn beside a control's client area.
import { el, place } from './dom.js';
import { act } from './session.js';

export const SCROLLBAR = 17; // the width of a vertical scroll bar, as the module's lists lay themselves out

// A classic vertical scroll bar: arrows, the track and a thumb as long as the page is of the range.
// Arrows and the track go to the control as the parts a person pressed; the thumb, dragged, goes
// as the position it was let go at.
export function renderScrollBar(ce, c, rc, disabled) {
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

