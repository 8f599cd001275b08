// A classic scroll bar drawn beside (or below) a control's client area.
import { el, place } from './dom.js';
import { act } from './session.js';

export const SCROLLBAR = 17; // the width of a scroll bar, as the module's lists lay themselves out

// Arrows, the track and a thumb as long as the page is of the range. Arrows and the track go to
// the control as the parts a person pressed; the thumb, dragged, goes as the position it was let
// go at. horz: the bar below the client area (c.hscroll), else the one beside it (c.vscroll).
export function renderScrollBar(ce, c, rc, disabled, horz = false) {
  const s = horz ? c.hscroll : c.vscroll;
  const sb = el('div', (horz ? 'hscroll' : 'vscroll') + (disabled ? ' disabled' : ''), ce);
  place(sb, rc);
  const len = horz ? rc[2] - rc[0] : rc[3] - rc[1], track = Math.max(0, len - 2 * SCROLLBAR);
  const range = s.max - s.min + 1, span = Math.max(1, range - Math.max(s.page, 1) + 1) - 1;
  const thumbLen = Math.min(track, Math.max(8, Math.floor(track * Math.max(s.page, 1) / Math.max(range, 1))));
  const startAt = pos => SCROLLBAR + (span > 0 ? Math.round((track - thumbLen) * (pos - s.min) / span) : 0);
  const thumbStart = startAt(s.pos);
  const back = el('div', horz ? 'arrow left' : 'arrow up', sb);
  const forward = el('div', horz ? 'arrow right' : 'arrow down', sb);
  const thumb = el('div', 'thumb', sb);
  back.setAttribute('aria-label', horz ? 'line left' : 'line up');
  forward.setAttribute('aria-label', horz ? 'line right' : 'line down');
  thumb.setAttribute('role', 'scrollbar');
  thumb.setAttribute('aria-orientation', horz ? 'horizontal' : 'vertical');
  thumb.setAttribute('aria-valuemin', String(s.min));
  thumb.setAttribute('aria-valuemax', String(s.min + span));
  thumb.setAttribute('aria-valuenow', String(s.pos));
  const placeThumb = at => place(thumb, horz ? [at, 0, at + thumbLen, SCROLLBAR] : [0, at, SCROLLBAR, at + thumbLen]);
  placeThumb(thumbStart);
  if (disabled) return;
  const part = (p, pos) => act({ do: 'scroll', hwnd: c.h, part: p, ...(pos === undefined ? {} : { pos }), ...(horz ? { bar: 'horz' } : {}) });
  const along = e => horz ? e.clientX : e.clientY;
  back.addEventListener('mousedown', e => { e.preventDefault(); part('lineUp'); });
  forward.addEventListener('mousedown', e => { e.preventDefault(); part('lineDown'); });
  sb.addEventListener('mousedown', e => {
    if (e.target !== sb) return;
    e.preventDefault();
    const r = sb.getBoundingClientRect();
    part(along(e) - (horz ? r.left : r.top) < thumbStart ? 'pageUp' : 'pageDown');
  });
  thumb.addEventListener('mousedown', e => {
    e.preventDefault();
    const from = along(e);
    let last = s.pos;
    const at = ev => s.min + (track > thumbLen ? Math.round((thumbStart - SCROLLBAR + along(ev) - from) * span / (track - thumbLen)) : 0);
    const move = ev => {
      const pos = Math.max(s.min, Math.min(s.min + span, at(ev)));
      placeThumb(startAt(pos));
      last = pos;
    };
    const upHandler = ev => {
      document.removeEventListener('mousemove', move);
      document.removeEventListener('mouseup', upHandler);
      move(ev);
      if (last !== s.pos) part('thumb', last);
    };
    document.addEventListener('mousemove', move);
    document.addEventListener('mouseup', upHandler);
  });
}
