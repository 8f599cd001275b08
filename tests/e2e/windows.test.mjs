// How the page draws the module's windows and takes the mouse and the keys, in headless Chromium
// with the real dialogs: Tab and Shift+Tab between the controls of the sampler (typing then
// replaces the edit's selected text); a message box's picture, text and buttons over its blocked
// owner; a folder of 1,000 designs reached by the wheel, the thumb and the keys, with the File
// Manager worked by keyboard alone. (The File Manager's pictures, lists, menu and transfer bar are
// checked in gui.test.mjs's File Manager journey.)
//
// Environment: as browser.mjs says.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { FM, MACHINE_LIST, PC_LIST, STEP, TO_MACHINE, ctl, openManager, openPlaces, outDir, sourceDir, until, win, withPage } from './browser.mjs';

// The focused control of a window (null if none), and the wait for the focus to leave one.
const focusedId = caption => {
  const f = document.querySelector(`.window[data-caption="${caption}"] .ctl.focused`);
  return f ? Number(f.dataset.id) : null;
};
const focusLeaves = (page, caption, from, what) => until(page, ([c, b]) => {
  const f = document.querySelector(`.window[data-caption="${c}"] .ctl.focused`);
  return f && Number(f.dataset.id) !== b ? Number(f.dataset.id) : null;
}, [caption, from], what);

test('Tab and Shift+Tab move the focus between a dialog\'s controls, typing replaces the edit\'s text; a message box over its dialog', { timeout: 120000 }, async () => {
  await withPage({ extra: ['--sampler', '--no-machine'] }, async page => {
    const SAMPLER = 'Control Sampler', sampler = win(page, SAMPLER), EDIT = 105;
    await page.locator('button[data-export="Sampler"]:not([disabled])').click({ timeout: STEP });
    await sampler.waitFor({ timeout: STEP });
    const seen = [await until(page, focusedId, SAMPLER, 'a focused control')];
    while (seen.length < 12 && seen[seen.length - 1] !== EDIT) {
      await page.keyboard.press('Tab');
      seen.push(await focusLeaves(page, SAMPLER, seen[seen.length - 1], 'the focus to move on Tab'));
    }
    assert.ok(seen[seen.length - 1] === EDIT && new Set(seen).size === seen.length, `Tab goes from control to control up to the edit: ${seen}`);
    // Shift+Tab goes back one control, Tab forwards again onto the edit, selecting its text.
    await page.keyboard.press('Shift+Tab');
    const back = await focusLeaves(page, SAMPLER, EDIT, 'Shift+Tab to go back');
    if (seen.length > 1) assert.equal(back, seen[seen.length - 2], 'Shift+Tab goes back to the control before');
    await page.screenshot({ path: path.join(outDir, 'e2e-windows-tab.png') });
    await page.keyboard.press('Tab');
    await until(page, ([c, want]) => document.querySelector(`.window[data-caption="${c}"] .ctl.focused`)?.dataset.id === String(want),
                [SAMPLER, EDIT], 'Tab back onto the edit');
    await until(page, () => document.activeElement?.closest('.ctl')?.dataset.id === '105', null, 'the page to focus the field');
    await page.keyboard.type('X');
    await until(page, () => document.querySelector('.ctl[data-id="105"] input')?.value === 'X', null,
      'the typing to replace the text the Tab selected').catch(async e => { throw new Error(e.message + ': ' + await sampler.locator('.ctl[data-id="105"] input').inputValue()); });

    // A message box over the sampler: its picture, its text, its buttons; the sampler blocked.
    await sampler.locator('.ctl[data-id="108"]').click({ timeout: STEP });
    const box = page.locator('.window.messagebox');
    await box.waitFor({ timeout: STEP });
    assert.equal(await box.locator('svg.sysicon').count(), 1, 'the question mark');
    assert.deepEqual(await box.locator('.ctl.push').allInnerTexts(), ['Yes', 'No', 'Cancel']);
    assert.match(await box.locator('.ctl.static:not(.picture)').first().innerText(), /rose\.qef/);
    const z = await page.evaluate(() => [...document.querySelectorAll('.window')].map(w => [w.dataset.caption, Number(w.style.zIndex), w.classList.contains('blocked')]));
    const [samplerZ, boxZ] = [z.find(w => w[0] === SAMPLER), z.find(w => w[0] !== SAMPLER)];
    assert.ok(boxZ[1] > samplerZ[1] && samplerZ[2] && !boxZ[2], `the box over its blocked owner: ${JSON.stringify(z)}`);
    await page.screenshot({ path: path.join(outDir, 'e2e-windows-messagebox.png') });
    await page.keyboard.press('Escape');
    await box.waitFor({ state: 'detached', timeout: STEP });
    await page.keyboard.press('Escape');
    await sampler.waitFor({ state: 'detached', timeout: STEP });
  });
});

// The thumb's position and the wait for it, in a list's scroll bar.
function scrollBarOf(page, list) {
  const thumb = list.locator('.vscroll .thumb');
  const now = async () => Number(await thumb.getAttribute('aria-valuenow', { timeout: STEP }));
  const waitPos = async (test, what) => {
    for (const deadline = Date.now() + STEP; Date.now() < deadline; await page.waitForTimeout(50))
      if (test(await now())) return;
    throw new Error(`timed out waiting for the bar ${what}: at ${await now()}`);
  };
  return { thumb, now, waitPos, max: async () => Number(await thumb.getAttribute('aria-valuemax', { timeout: STEP })) };
}

async function dragThumb(page, list, toEnd) {
  const { thumb } = scrollBarOf(page, list);
  const tb = await thumb.boundingBox(), sb = await list.locator('.vscroll').boundingBox();
  await page.mouse.move(tb.x + tb.width / 2, tb.y + tb.height / 2);
  await page.mouse.down();
  await page.mouse.move(tb.x + tb.width / 2, toEnd ? sb.y + sb.height : sb.y, { steps: 5 });
  await page.mouse.up();
}

test('A folder of 1,000 designs, the File Manager by keyboard: the wheel and the thumb reach the last, which is ticked, sent and found by its name', { timeout: 180000 }, async () => {
  // 999 designs and Zinnia, last by name, on a C: of their own.
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'tavren-e2e-long-'));
  const designs = path.join(root, 'c', 'Designs');
  fs.mkdirSync(designs, { recursive: true });
  const star = fs.readFileSync(path.join(sourceDir, 'tests/fixtures/demo/pc/Designs/Star.qef+'));
  for (let i = 0; i < 999; i++) fs.writeFileSync(path.join(designs, `Design ${String(i).padStart(3, '0')}.qef+`), star);
  fs.writeFileSync(path.join(designs, 'Zinnia.qef+'), star);
  try {
    await withPage({ env: { TAVREN_DRIVES: `C=fixed:${path.join(root, 'c')}` } }, async page => {
      await openManager(page);
      const pc = ctl(page, FM, PC_LIST), machine = ctl(page, FM, MACHINE_LIST);
      const item = (label, more = '') => pc.locator(`[data-item][aria-label="${label}"]${more}`);
      const tabTo = async id => {
        for (let i = 0; i < 40; i++) {
          if (await page.evaluate(() => Number(document.querySelector('.window.front .ctl.focused')?.dataset.id)) === id) return;
          await page.keyboard.press('Tab');
          await page.waitForTimeout(120);
        }
        throw new Error(`Tab never reached control ${id}`);
      };

      // By keyboard alone: Tab into the PC pane, a name typed and Enter open Computer, Home and
      // Enter its drive; Shift+F10 opens the pane's menu beside its focused item.
      await item('Computer').waitFor({ timeout: STEP });
      await page.locator('#desktop').focus().catch(() => {});
      await tabTo(PC_LIST);
      await page.keyboard.type('comp');
      await item('Computer', '[aria-selected="true"]').waitFor({ timeout: STEP });
      await page.keyboard.press('Enter');
      await item('Computer').waitFor({ state: 'detached', timeout: STEP });
      await page.keyboard.press('Home');
      await pc.locator('[data-item][aria-selected="true"]').first().waitFor({ timeout: STEP });
      await page.keyboard.press('Enter');
      await item('Designs').waitFor({ timeout: STEP });
      await page.keyboard.press('Home');
      await item('Designs', '[aria-selected="true"]').waitFor({ timeout: STEP });
      await page.keyboard.press('Shift+F10');
      const menu = page.locator('.window.menu');
      await menu.waitFor({ timeout: STEP });
      const mb = await menu.boundingBox(), ib = await item('Designs').boundingBox();
      assert.ok(mb.x >= ib.x && mb.x <= ib.x + ib.width && mb.y >= ib.y && mb.y <= ib.y + ib.height,
                `the menu opens on the focused item: ${JSON.stringify([mb, ib])}`);
      await page.keyboard.press('Escape');
      await menu.waitFor({ state: 'detached', timeout: STEP });

      const bar = scrollBarOf(page, pc);
      const last = item('Zinnia.qef+');
      const lastShown = () => last.locator('img').evaluate(img => img.complete && img.naturalWidth > 0).catch(() => false);
      // From the double-click on the folder to the last design's thumbnail, reached with one turn
      // of the wheel as soon as the list shows the folder with its bar (the pointer is still on
      // the list). Timed in the page, from the double-click to the picture's load, and watched
      // for there: a locator's own wait backs off to half a second between looks.
      const started = await page.evaluate(() => {
        window.lastLoadedAt = 0;
        document.addEventListener('load', e => {
          if (e.target.closest && e.target.closest('[aria-label="Zinnia.qef+"]')) window.lastLoadedAt ||= performance.now();
        }, true);
        return performance.now();
      });
      await item('Designs').dblclick({ timeout: STEP });
      await page.evaluate(([list, timeout]) => new Promise((resolve, reject) => {
        const shown = () => document.querySelector(`${list} .vscroll .thumb`) && document.querySelector(`${list} [data-item][aria-label="Design 000.qef+"]`);
        if (shown()) return resolve();
        const watch = new MutationObserver(() => { if (shown()) { watch.disconnect(); resolve(); } });
        watch.observe(document.body, { childList: true, subtree: true, attributes: true });
        setTimeout(() => { watch.disconnect(); reject(new Error('the folder never came with its bar')); }, timeout);
      }), [`.window[data-caption="${FM}"] .ctl[data-id="${PC_LIST}"]`, STEP]);
      await page.mouse.wheel(0, 100000);
      for (const deadline = Date.now() + STEP; !(await lastShown()); await page.waitForTimeout(10))
        if (Date.now() > deadline) throw new Error('the last design never came into view');
      const loadedAt = await page.evaluate(() => window.lastLoadedAt);
      console.log(`# from the double-click on a folder of 1,000 designs to the last one's thumbnail: ${Math.round(loadedAt - started)} ms`);
      const max = await bar.max();
      await bar.waitPos(p => p === max, 'at its end after the wheel');

      // The thumb to the top and back to the bottom; the arrow up takes one row back.
      await dragThumb(page, pc, false);
      await bar.waitPos(p => p === 0, 'at the top');
      assert.equal(await last.count(), 0, 'the last design is out of view');
      await dragThumb(page, pc, true);
      await bar.waitPos(p => p === max, 'at its end after the thumb');
      await pc.locator('.vscroll .arrow.up').click({ timeout: STEP });
      await bar.waitPos(p => p === max - 1, 'one row up');
      await last.locator('img').click({ timeout: STEP });
      await ctl(page, FM, 13027).filter({ hasText: '1' }).waitFor({ timeout: STEP });
      await page.screenshot({ path: path.join(outDir, 'e2e-windows-long-folder.png') });

      // Sent to the machine's Flowers folder, and found there by typing the start of its name.
      await openPlaces(page, FM, MACHINE_LIST, 'Built-in', 'Flowers');
      await machine.locator('[data-item][aria-label="shamrockin.qpx"]').waitFor({ timeout: STEP });
      await ctl(page, FM, TO_MACHINE).and(page.locator(':not(.disabled)')).click({ timeout: STEP });
      await ctl(page, FM, 13027).filter({ hasText: '0' }).waitFor({ timeout: 20000 });
      // On the picture: a click on a selected item's name would begin renaming it.
      await machine.locator('[data-item] img').first().click({ timeout: STEP });
      await win(page, FM).locator(`.ctl[data-id="${MACHINE_LIST}"].focused`).waitFor({ timeout: STEP });
      await page.keyboard.type('zin');
      await machine.locator('[data-item][aria-label="Zinnia.qef+"][aria-selected="true"]').waitFor({ timeout: STEP }).catch(async e => {
        const labels = await machine.locator('[data-item]').evaluateAll(l => l.map(x => x.getAttribute('aria-label') + ':' + x.getAttribute('aria-selected')));
        throw new Error(`${e.message}; the machine pane holds ${labels.join(', ')}`);
      });

      // Left alone, the page costs next to nothing: the wait for a change, answered when it runs out.
      let requests = 0, bytes = 0;
      const count = async req => { const z = await req.sizes().catch(() => null); requests++; if (z) bytes += z.responseBodySize + z.responseHeadersSize; };
      await page.waitForTimeout(1000);
      page.on('requestfinished', count);
      await page.waitForTimeout(10000);
      page.off('requestfinished', count);
      console.log(`# an idle page with 1,000 designs shown, in 10 s: ${requests} answers, ${bytes} bytes`);
      assert.ok(requests <= 1 && bytes < 2000, `an idle page costs only a keep-alive: ${requests} answers, ${bytes} bytes`);

      // Back in the PC pane the keyboard moves through the folder: Home, a name typed, an arrow, End.
      await last.locator('img').click({ timeout: STEP });
      await win(page, FM).locator(`.ctl[data-id="${PC_LIST}"].focused`).waitFor({ timeout: STEP });
      await page.keyboard.press('Home');
      await bar.waitPos(p => p === 0, 'back at the top');
      await page.keyboard.type('design 07');
      await item('Design 070.qef+', '[aria-selected="true"]').waitFor({ timeout: STEP });
      await page.keyboard.press('ArrowDown');
      await item('Design 070.qef+', '[aria-selected="false"]').waitFor({ timeout: STEP });
      assert.equal(await pc.locator('[data-item][aria-selected="true"]').count(), 1, 'the selection moved to one other design');
      await page.keyboard.press('End');
      await item('Zinnia.qef+', '[aria-selected="true"]').waitFor({ timeout: STEP });
      await bar.waitPos(p => p === max, 'at its end after End');

      // The location box: F4 opens its list and Escape closes it; Up goes to the place above, C:.
      // Then Tab to the Up button, Space: among the drives; Escape closes the File Manager.
      await tabTo(13012);
      await page.keyboard.press('F4');
      await win(page, FM).locator('.dropdown').waitFor({ timeout: STEP });
      await page.keyboard.press('Escape');
      await win(page, FM).locator('.dropdown').waitFor({ state: 'detached', timeout: STEP });
      await page.keyboard.press('ArrowUp');
      await item('Designs').waitFor({ timeout: STEP });
      await tabTo(13015);
      await page.keyboard.press(' ');
      await item('Designs').waitFor({ state: 'detached', timeout: STEP });
      await pc.locator('[data-item][aria-label*="C:"]').waitFor({ timeout: STEP });
      await page.keyboard.press('Escape');
      await win(page, FM).waitFor({ state: 'detached', timeout: STEP });
    });
  } finally {
    fs.rmSync(root, { recursive: true, force: true });
  }
});
