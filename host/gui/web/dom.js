// Small helpers for drawing: elements placed at pixel rectangles, mnemonics, the system icons of
// message boxes, and which kind of control a window class and style make.

export function el(tag, cls, parent) {
  const e = document.createElement(tag);
  if (cls) e.className = cls;
  if (parent) parent.appendChild(e);
  return e;
}

export function place(e, rc) {
  e.style.left = rc[0] + 'px';
  e.style.top = rc[1] + 'px';
  e.style.width = (rc[2] - rc[0]) + 'px';
  e.style.height = (rc[3] - rc[1]) + 'px';
}

// "&Open" shows O underlined; "&&" is an ampersand.
export function mnemonic(e, text, noPrefix) {
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

const SYS_ICONS = {
  0x10: '<circle cx="16" cy="16" r="14" fill="#d21" stroke="#800" /><path d="M10 10 L22 22 M22 10 L10 22" stroke="#fff" stroke-width="3.5" stroke-linecap="round"/>',
  0x20: '<circle cx="16" cy="16" r="14" fill="#fff" stroke="#246" /><text x="16" y="23" font-size="20" font-weight="bold" text-anchor="middle" fill="#1a4dab" font-family="serif">?</text>',
  0x30: '<path d="M16 2 L31 29 L1 29 Z" fill="#fc0" stroke="#650" stroke-linejoin="round"/><rect x="14.5" y="10" width="3" height="11" fill="#000"/><rect x="14.5" y="23" width="3" height="3" fill="#000"/>',
  0x40: '<circle cx="16" cy="16" r="14" fill="#fff" stroke="#246" /><text x="16" y="24" font-size="20" font-weight="bold" text-anchor="middle" fill="#1a4dab" font-family="serif">i</text>',
};
export function sysIcon(kind, parent) {
  const svg = SYS_ICONS[kind];
  if (!svg) return;
  const wrap = el('span', '', parent);
  wrap.innerHTML = `<svg class="sysicon" viewBox="0 0 32 32" aria-hidden="true">${svg}</svg>`;
}

export function kindOf(c) {
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
