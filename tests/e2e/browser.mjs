// What the browser journeys share: tavren gui started on a port of its own choosing, headless
// Chromium on its page, and bounded waits.
//
// Environment: TAVREN_BIN (the tavren program), E2E_MODULES (the folder whose node_modules holds
// playwright-core), E2E_OUT (where the screenshots go), TAVREN_SOURCE_DIR (the demo files),
// CHROMIUM (default /usr/bin/chromium).
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { createRequire } from 'node:module';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';

export const here = path.dirname(new URL(import.meta.url).pathname);
const modules = path.resolve(process.env.E2E_MODULES || here);
export const tavren = path.resolve(process.env.TAVREN_BIN || path.join(here, '../../build/bin/tavren'));
export const outDir = path.resolve(process.env.E2E_OUT || process.cwd());
export const sourceDir = process.env.TAVREN_SOURCE_DIR || path.join(here, '../..');
const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';
export const STEP = 10000; // every wait is bounded

// tavren gui on a port of its own choosing (--port 0); ready resolves with its address.
function startGui(extra, env) {
  const child = spawn(tavren, ['gui', '--port', '0', ...extra], { stdio: ['ignore', 'pipe', 'pipe'], env: { ...process.env, ...env } });
  let out = '';
  const ready = new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('tavren gui printed no address in time:\n' + out)), 20000);
    const onData = d => {
      out += d;
      const m = /Tavren is at (http:\/\/127\.0\.0\.1:\d+\/\?token=[0-9a-f]+)/.exec(out);
      if (m) { clearTimeout(timer); resolve(m[1]); }
    };
    for (const stream of [child.stdout, child.stderr]) stream.on('data', onData);
    child.once('exit', code => { clearTimeout(timer); reject(new Error(`tavren gui ended (${code}):\n${out}`)); });
  });
  return { child, ready };
}

function stopGui(child) {
  return new Promise(resolve => {
    if (child.exitCode !== null || child.signalCode !== null) return resolve(child.exitCode);
    const kill = setTimeout(() => child.kill('SIGKILL'), 10000);
    child.once('exit', code => { clearTimeout(kill); resolve(code); });
    child.kill('SIGTERM');
  });
}

// Starts tavren gui with extra arguments and environment, opens its page and runs fn(page, url);
// the page must run without script errors.
export async function withPage({ extra = [], env = {} }, fn) {
  assert.ok(fs.existsSync(chromiumPath), `Chromium is not installed at ${chromiumPath}`);
  const { chromium } = createRequire(path.join(modules, 'package.json'))('playwright-core');
  const gui = startGui(extra, env);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tavren-e2e-chromium-'));
  let context = null;
  try {
    const url = await gui.ready;
    context = await chromium.launchPersistentContext(profile, {
      executablePath: chromiumPath, headless: true, viewport: { width: 1280, height: 900 },
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
    });
    const page = context.pages()[0] || await context.newPage();
    const errors = [];
    page.on('pageerror', e => errors.push(e.message));
    await page.goto(url);
    await fn(page, url);
    assert.deepEqual(errors, [], 'the page ran without script errors');
  } finally {
    if (context) await context.close().catch(() => {});
    await stopGui(gui.child);
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

// Polls get() until ok(value) holds and returns the value; else fails saying what was last seen
// and which windows are in front.
export async function poll(page, get, ok, what, ms = STEP) {
  let last;
  for (const deadline = Date.now() + ms; Date.now() < deadline; await page.waitForTimeout(50))
    if (ok(last = await get())) return last;
  throw await whyNot(new Error(`timed out waiting for ${what}; last seen ${JSON.stringify(last)}`), page);
}

// ---- the File Manager and Write a Design as a person works them, shared by both files.
export const FM = 'File Manager', PC_LIST = 13011, MACHINE_LIST = 13018, TO_MACHINE = 13025, TO_PC = 13026;
export const win = (page, caption) => page.locator(`.window[data-caption="${caption}"]`);
export const ctl = (page, caption, id) => win(page, caption).locator(`.ctl[data-id="${id}"]`);

// An error that also says which windows are in front, for a step that found the page elsewhere.
export async function whyNot(e, page) {
  const front = await page.evaluate(() => [...document.querySelectorAll('.window.front')].map(w => w.dataset.caption + ': ' + w.innerText).join('\n'));
  return new Error(e.message + '\nin front: ' + front);
}

// The items of a list control: label, picture index (from the picture's address) and whether the
// picture has loaded.
export function listItems(page, caption, id) {
  return page.evaluate(([caption, id]) => {
    const list = document.querySelector(`.window[data-caption="${caption}"] .ctl[data-id="${id}"]`);
    return list ? [...list.querySelectorAll('[data-item]')].map(e => {
      const img = e.querySelector('img');
      const m = img && /\/pic\/il\/\d+\/(\d+)\.png/.exec(img.getAttribute('src'));
      return { label: e.getAttribute('aria-label'), picture: m ? Number(m[1]) : -1, loaded: !!img && img.complete && img.naturalWidth > 0 };
    }) : [];
  }, [caption, id]);
}

export const waitItems = (page, caption, id, pred, what) => poll(page, () => listItems(page, caption, id), pred, what);

export const loadedHas = (...labels) => items => labels.every(l => items.some(i => i.label === l && i.loaded));

// Opens the places in turn by double-clicks, each once the list shows it (a label holding its text).
export async function openPlaces(page, caption, id, ...places) {
  for (const place of places) {
    await waitItems(page, caption, id, items => items.some(i => i.label.includes(place)), place);
    await ctl(page, caption, id).locator('[data-item]').filter({ has: page.locator('.text', { hasText: place }) }).first()
      .dblclick({ timeout: STEP });
  }
}

// Waits for a locator to reach a state; a timeout also says which windows are in front.
export const shown = (page, loc, state = 'visible') => loc.waitFor({ state, timeout: STEP }).catch(async e => { throw await whyNot(e, page); });

// Opens the File Manager from the host's bar, the machine as its target; resolves when its window is up.
export async function openManager(page) {
  await page.locator('button[data-export="ManageDesignDialog"]:not([disabled])').click({ timeout: STEP });
  await page.locator('#cf-target').selectOption('2');
  await page.locator('#cf-go').click({ timeout: STEP });
  await shown(page, win(page, FM));
}

export async function closeManager(page) {
  await ctl(page, FM, 2).click({ timeout: STEP });
  await shown(page, win(page, FM), 'detached');
}

// A click on a file's picture ticks it; waits until its picture is the ticked one (odd) and loaded.
export async function tick(page, caption, id, label) {
  await ctl(page, caption, id).locator(`[data-item][aria-label="${label}"] img`).click({ timeout: STEP });
  await waitItems(page, caption, id, items => items.some(i => i.label === label && i.loaded && i.picture % 2 === 1), `${label} ticked`);
}

export async function press(page, caption, id) {
  await shown(page, ctl(page, caption, id).and(page.locator('[aria-disabled="false"]')));
  await ctl(page, caption, id).click({ timeout: STEP });
}

// Runs fn(page, drives) on tavren gui with the machine's storage, drive C: and the flash drive E:
// in a folder of their own, copied from the demo files; drives says where each drive's files are.
export async function withDemoDrives(fn) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'tavren-e2e-'));
  const [storage, c, e] = ['storage', 'pc', 'usb'].map(d => path.join(root, d));
  for (const [from, to] of [['machine', storage], ['pc', c], ['pc-usb', e]])
    fs.cpSync(path.join(sourceDir, 'tests/fixtures/demo', from), to, { recursive: true });
  try {
    await withPage({ extra: ['--storage', storage], env: { TAVREN_DRIVES: `C=fixed:${c};E=removable:${e}` } },
                   page => fn(page, { root, storage, c, e }));
  } finally {
    fs.rmSync(root, { recursive: true, force: true });
  }
}
