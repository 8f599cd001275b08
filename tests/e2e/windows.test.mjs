// How the page takes the mouse and the keys, in headless Chromium with the real File Manager: a
// folder of 1,000 designs reached by the wheel, the thumb and the keys, with the File Manager worked
// by keyboard alone. (Tab order and a message box are the platform tests'; the File Manager's
// pictures and lists are checked in gui.test.mjs's File Manager journey.)
//
// Environment: as browser.mjs says.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { FM, MACHINE_LIST, PC_LIST, STEP, TO_MACHINE, ctl, openManager, openPlaces, outDir, poll, shown, sourceDir, win, withPage } from './browser.mjs';

// A list's scroll bar: the thumb's position and range, the wait for a position, and the thumb
// dragged to the top or the end.
function scrollBarOf(page, list) {
  const thumb = list.locator('.vscroll .thumb');
  const value = async which => Number(await thumb.getAttribute(`aria-value${which}`, { timeout: STEP }));
  return {
    max: () => value('max'),
    waitPos: (test, what) => poll(page, () => value('now'), test, `the bar ${what}`),
    drag: async toEnd => {
      const tb = await thumb.boundingBox(), sb = await list.locator('.vscroll').boundingBox();
      await page.mouse.move(tb.x + tb.width / 2, tb.y + tb.height / 2);
      await page.mouse.down();
      await page.mouse.move(tb.x + tb.width / 2, toEnd ? sb.y + sb.height : sb.y, { steps: 5 });
      await page.mouse.up();
    },
  };
}

test('A folder of 1,000 designs, the File Manager by keyboard: the wheel and the thumb reach the last, which is ticked, sent and found by its name', { timeout: 180000 }, async () => {
  // 999 designs and Zinnia, last by name, on a C: of their own.
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'tavren-e2e-long-'));
  fs.mkdirSync(path.join(root, 'c', 'Designs'), { recursive: true });
  for (const name of [...Array(999).keys()].map(i => `Design ${String(i).padStart(3, '0')}`).concat('Zinnia'))
    fs.copyFileSync(path.join(sourceDir, 'tests/fixtures/demo/pc/Designs/Star.qef+'), path.join(root, 'c', 'Designs', `${name}.qef+`));
  try {
    await withPage({ env: { TAVREN_DRIVES: `C=fixed:${path.join(root, 'c')}` } }, async page => {
      await openManager(page);
      const pc = ctl(page, FM, PC_LIST), machine = ctl(page, FM, MACHINE_LIST);
      const item = (label, more = '') => pc.locator(`[data-item][aria-label="${label}"]${more}`);
      const tabTo = async id => {
        for (let i = 0; i < 40; i++, await page.keyboard.press('Tab'), await page.waitForTimeout(120))
          if (await page.evaluate(() => Number(document.querySelector('.window.front .ctl.focused')?.dataset.id)) === id) return;
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
      await poll(page, lastShown, x => x, 'the last design to come into view');
      const loadedAt = await page.evaluate(() => window.lastLoadedAt);
      console.log(`# from the double-click on a folder of 1,000 designs to the last one's thumbnail: ${Math.round(loadedAt - started)} ms`);
      const max = await bar.max();
      await bar.waitPos(p => p === max, 'at its end after the wheel');

      // The thumb to the top and back to the bottom; the arrow up takes one row back.
      await bar.drag(false);
      await bar.waitPos(p => p === 0, 'at the top');
      assert.equal(await last.count(), 0, 'the last design is out of view');
      await bar.drag(true);
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
      await shown(page, machine.locator('[data-item][aria-label="Zinnia.qef+"][aria-selected="true"]'));

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
