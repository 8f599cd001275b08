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
    child.stdout.on('data', onData);
    child.stderr.on('data', onData);
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
// the page must run without script errors. When first(url) answers a reason (the state a script
// sees, before any browser starts), the journey stops there and that reason is returned.
export async function withPage({ extra = [], env = {}, first = null }, fn) {
  assert.ok(fs.existsSync(chromiumPath), `Chromium is not installed at ${chromiumPath}`);
  const require = createRequire(path.join(modules, 'package.json'));
  const { chromium } = require('playwright-core');
  const gui = startGui(extra, env);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tavren-e2e-chromium-'));
  let context = null;
  try {
    const url = await gui.ready;
    const why = first ? await first(url) : '';
    if (why) return why;
    context = await chromium.launchPersistentContext(profile, {
      executablePath: chromiumPath,
      headless: true,
      viewport: { width: 1280, height: 900 },
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'],
    });
    const page = context.pages()[0] || await context.newPage();
    const errors = [];
    page.on('pageerror', e => errors.push(e.message));
    await page.goto(url);
    await fn(page, url);
    assert.deepEqual(errors, [], 'the page ran without script errors');
    return '';
  } finally {
    if (context) await context.close().catch(() => {});
    await stopGui(gui.child);
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

// Polls fn in the page until it returns something truthy, and returns that.
export async function until(page, fn, arg, what) {
  const deadline = Date.now() + STEP;
  let last;
  while (Date.now() < deadline) {
    last = await page.evaluate(fn, arg);
    if (last) return last;
    await page.waitForTimeout(100);
  }
  throw new Error(`timed out waiting for ${what}`);
}
