// The page's link to the host: the state it draws (followed by a long poll that brings only what
// changed, as a JSON Patch against the version the page holds), the calls and actions it posts,
// and the pictures the state refers to.

export const page = {
  state: null,
  imageLists: {},
  openCombo: 0,   // the combo box whose drop-down list the page shows
  message: null,  // a short-lived note in the status line
};

const statusLine = () => document.getElementById('status');
let draw = () => {};

// What draws the page from page.state; called on every new version and by redraw().
export function drawWith(fn) { draw = fn; }
export function redraw() { if (page.state) draw(); }

export async function post(path, body) {
  const r = await fetch(path, { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body) });
  let j = {};
  try { j = await r.json(); } catch (e) { /* no body */ }
  if (!r.ok || j.ok === false) note(j.error || (path + ' answered ' + r.status));
  return j;
}

// Actions go out one after another, in the order the person made them. What they change comes
// back through the long poll.
let actChain = Promise.resolve();
export function act(action) {
  actChain = actChain.then(() => post('/api/act', action)).catch(e => note(String(e)));
  return actChain;
}

export function note(text) {
  page.message = { text, until: Date.now() + 4000 };
  redraw();
}

export function pictureUrl(h, i) {
  const il = page.imageLists[h];
  if (!h || !il || i < 0 || i >= il.count) return null;
  return `/pic/il/${h}/${i}.png?v=${il.v}`;
}

export function picture(h, i, parent, cls) {
  const url = pictureUrl(h, i);
  if (!url) return null;
  const img = document.createElement('img');
  if (cls) img.className = cls;
  img.src = url;
  img.alt = '';
  img.draggable = false;
  parent.appendChild(img);
  return img;
}

// The operations nlohmann::json::diff makes: add, remove and replace, on objects and arrays.
export function applyPatch(doc, ops) {
  for (const op of ops) {
    if (op.path === '') { doc = op.value; continue; }
    const keys = op.path.split('/').slice(1).map(k => k.replace(/~1/g, '/').replace(/~0/g, '~'));
    const last = keys.pop();
    let t = doc;
    for (const k of keys) t = t[Array.isArray(t) ? Number(k) : k];
    if (Array.isArray(t)) {
      const i = last === '-' ? t.length : Number(last);
      if (op.op === 'add') t.splice(i, 0, op.value);
      else if (op.op === 'remove') t.splice(i, 1);
      else t[i] = op.value;
    } else if (op.op === 'remove') {
      delete t[last];
    } else {
      t[last] = op.value;
    }
  }
  return doc;
}

const sleep = ms => new Promise(r => setTimeout(r, ms));

function offline(text) {
  document.body.classList.add('offline');
  statusLine().textContent = text;
}

// Asks for what changed since the version held; the host answers when something has (or after
// a while with nothing, which is all an idle page costs).
export async function follow() {
  let version = 0;
  for (;;) {
    try {
      const r = await fetch(`/api/state?since=${version}`, { cache: 'no-store' });
      if (r.status === 403) {
        // Opened without the token (another browser, or a bookmark of the bare address).
        offline('Open the whole address tavren gui printed, with its ?token=..., to use this page.');
        await sleep(2000);
        continue;
      }
      if (!r.ok) throw new Error('the host answered ' + r.status);
      const j = await r.json();
      document.body.classList.remove('offline');
      if (j.version === version) continue;
      if (j.state) page.state = j.state;
      else if (j.patch) page.state = applyPatch(page.state, j.patch);
      else continue;
      version = j.version;
      page.imageLists = page.state.snapshot.imageLists || {};
      try { draw(); } catch (e) { console.error(e); } // a fault in drawing is no fault of the host's
    } catch (e) {
      offline('The host does not answer.');
      version = 0;
      await sleep(1000);
    }
  }
}
