// How the page draws the module's windows, checked in headless Chromium with the real dialogs:
// the File Manager's pictures (icon buttons, the static PC and target pictures, the ticks by the
// counters), its lists (group headers, 75 x 85 cells, 48 x 48 thumbnails, ticked files), the current
// entry of an open location box, a context menu at the cursor, the transfer dialog's bar moving
// over the blocked File Manager; Tab and Shift+Tab between the
// controls of Connection Settings and the sampler (typing then replaces the edit's selected
// text); a message box's picture, text and buttons over its blocked owner; a folder of 1,000
// designs reached by the wheel, the thumb and the keys; the File Manager by keyboard alone.
//
// Environment: as browser.mjs says.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { STEP, outDir, sourceDir, until, withPage } from './browser.mjs';

// What each picture of a window shows: the control it belongs to and whether it has loaded.
const picturesOf = caption => [...document.querySelectorAll(`.window[data-caption="${caption}"] .ctl img`)]
  .filter(img => !img.closest('.list') && !img.closest('.combo'))
  .map(img => ({ id: Number(img.closest('.ctl').dataset.id), cls: img.closest('.ctl').className, loaded: img.complete && img.naturalWidth > 0 }));

const focusedId = caption => {
  const f = document.querySelector(`.window[data-caption="${caption}"] .ctl.focused`);
  return f ? Number(f.dataset.id) : null;
};

test('File Manager: every picture, the lists\' layout, ticks, location box and context menu', { timeout: 120000 }, async () => {
  await withPage({}, async page => {
    const FM = 'File Manager', PC = 13011, MACHINE = 13018;
    const win = page.locator(`.window[data-caption="${FM}"]`);
    await page.locator('button[data-export="ManageDesignDialog"]').click({ timeout: STEP });
    await page.locator('#cf-target').selectOption('2');
    await page.locator('#cf-go').click({ timeout: STEP });
    await win.waitFor({ timeout: STEP });

    // Twelve icon buttons, the PC's and the target's picture, the two ticks by the counters.
    let pictures = [];
    for (const deadline = Date.now() + STEP; Date.now() < deadline; await page.waitForTimeout(100)) {
      pictures = await page.evaluate(picturesOf, FM);
      if (pictures.length === 16 && pictures.every(x => x.loaded)) break;
    }
    assert.ok(pictures.length === 16 && pictures.every(x => x.loaded), 'sixteen loaded pictures: ' + JSON.stringify(pictures));
    const buttons = pictures.filter(p => p.cls.includes('push')).map(p => p.id).sort();
    assert.deepEqual(buttons, [13013, 13014, 13015, 13016, 13017, 13020, 13021, 13022, 13023, 13024, 13025, 13026]);
    const statics = pictures.filter(p => p.cls.includes('static'));
    assert.equal(statics.length, 4, 'the PC picture, the target picture and two ticks');
    assert.equal(statics.filter(p => p.id === -1).length, 3, 'the pictures nobody addresses are drawn too');

    // The machine side's root: its group headers over 75 x 85 cells of 48 x 48 pictures.
    const machine = win.locator(`.ctl[data-id="${MACHINE}"]`);
    await machine.locator('[data-item]').first().waitFor({ timeout: STEP });
    assert.deepEqual(await machine.locator('.groupband').allInnerTexts(), ['Machine', 'PC']);
    const cells = await machine.locator('.icon').evaluateAll(es => es.map(e => {
      const img = e.querySelector('img');
      return { x: e.offsetLeft, y: e.offsetTop, w: e.offsetWidth, h: e.offsetHeight, iw: img ? img.offsetWidth : 0, ih: img ? img.offsetHeight : 0 };
    }));
    assert.ok(cells.length >= 3, 'the places of the machine side');
    for (const c of cells) assert.deepEqual([c.w, c.h, c.iw, c.ih], [75, 85, 48, 48]);
    assert.equal(cells[1].x - cells[0].x, 75, 'cells side by side');

    // A location box opened shows its entries with their indents and the current one marked.
    await win.locator(`.ctl[data-id="13012"]`).click({ timeout: STEP });
    const entries = await until(page, () => {
      const rows = [...document.querySelectorAll('.dropdown .entry')].map(e =>
        ({ text: e.innerText, indent: parseInt(e.style.paddingLeft, 10), current: e.classList.contains('current'), pic: !!e.querySelector('img') }));
      return rows.length ? rows : null;
    }, null, 'the drop-down list');
    assert.deepEqual(entries.map(e => e.text), ['PC', 'Desktop', 'Computer', 'Documents']);
    assert.ok(entries[1].indent > entries[0].indent, 'the places under PC are indented');
    assert.deepEqual(entries.map(e => e.current), [true, false, false, false], 'the current entry is marked');
    assert.ok(entries.every(e => e.pic), 'each entry has its picture');
    await page.screenshot({ path: path.join(outDir, 'e2e-windows-fm-location.png') });
    await page.keyboard.press('Escape');
    await page.locator('.dropdown').waitFor({ state: 'detached', timeout: STEP });

    // The PC's Designs folder: a click ticks a design; the list shows it ticked in its picture.
    const pc = win.locator(`.ctl[data-id="${PC}"]`);
    for (const place of ['Computer', 'C:', 'Designs']) {
      const item = pc.locator('[data-item]').filter({ has: page.locator('.text', { hasText: place }) }).first();
      await item.dblclick({ timeout: STEP });
      await page.waitForTimeout(300);
    }
    const design = pc.locator('[data-item][aria-label$=".qef"]').first();
    await design.waitFor({ timeout: STEP });
    // A long name without spaces breaks inside the cell instead of running over its neighbours.
    const long = pc.locator('[data-item][aria-label="Embroidermodder.qpx"] .text');
    assert.ok(await long.evaluate(e => e.scrollWidth <= e.clientWidth), 'the long label stays in its cell');
    const picture = design.locator('img');
    const before = await picture.getAttribute('src', { timeout: STEP });
    const size = await picture.evaluate(img => [img.offsetWidth, img.offsetHeight]);
    assert.deepEqual(size, [48, 48], 'a 48 x 48 thumbnail');
    await picture.click({ timeout: STEP });
    await win.locator('.ctl[data-id="13027"]', { hasText: '1' }).waitFor({ timeout: STEP });
    await until(page, ([sel, b]) => {
      const img = document.querySelector(sel);
      return img && img.getAttribute('src') !== b && img.complete && img.naturalWidth > 0;
    }, [`.window[data-caption="${FM}"] .ctl[data-id="${PC}"] [data-item][aria-label="${await design.getAttribute('aria-label')}"] img`, before],
    'the ticked picture');

    // A context menu opens where the person clicked, separators and grayed commands as such.
    const box = await design.locator('.text').boundingBox();
    const at = { x: Math.round(box.x + 5), y: Math.round(box.y + 5) };
    await page.mouse.click(at.x, at.y, { button: 'right' });
    const menu = page.locator('.window.menu');
    await menu.waitFor({ timeout: STEP });
    const mb = await menu.boundingBox();
    assert.ok(Math.abs(mb.x - at.x) <= 2 && Math.abs(mb.y - at.y) <= 2, `the menu at the cursor: ${JSON.stringify([mb, at])}`);
    assert.ok(await menu.locator('.menuitem.separator').count() >= 1, 'a separator');
    assert.ok(await win.evaluate(w => w.classList.contains('active')), 'the dialog stays active while its menu is open');
    await page.screenshot({ path: path.join(outDir, 'e2e-windows-fm-menu.png') });
    await page.keyboard.press('Escape');
    await menu.waitFor({ state: 'detached', timeout: STEP });

    // Sending ticked designs: the transfer dialog over the blocked File Manager, its bar moving
    // (the emulated machine takes its time over each file).
    await pc.locator('[data-item][aria-label="Star.qef+"] img').click({ timeout: STEP });
    await win.locator('.ctl[data-id="13027"]', { hasText: '2' }).waitFor({ timeout: STEP });
    for (const place of ['Built-in', 'Flowers']) {
      await machine.locator(`[data-item][aria-label="${place}"]`).dblclick({ timeout: STEP });
      await machine.locator('[data-item]').first().waitFor({ timeout: STEP });
      await page.waitForTimeout(300);
    }
    const slow = await page.evaluate(() => fetch('/api/machine', { method: 'POST', headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({ words: ['fault', 'DownloadFile', 'delay', '700', '--count', '2'] }) }).then(r => r.ok));
    assert.ok(slow, 'the machine takes its time');
    await win.locator('.ctl[data-id="13025"]:not(.disabled)').click({ timeout: STEP });
    const seen = [];
    for (const deadline = Date.now() + STEP; Date.now() < deadline; await page.waitForTimeout(100)) {
      const now = await page.evaluate(() => {
        const ws = [...document.querySelectorAll('.window')];
        const bar = document.querySelector('.window:not([data-caption="File Manager"]) [role=progressbar]');
        return { pos: bar ? Number(bar.getAttribute('aria-valuenow')) : null, width: bar ? bar.querySelector('.bar').offsetWidth : 0,
                 order: ws.map(w => [w.dataset.caption, Number(w.style.zIndex), w.classList.contains('blocked')]) };
      });
      if (now.pos === null) { if (seen.length) break; continue; }
      if (!seen.length || seen[seen.length - 1].pos !== now.pos) seen.push(now);
    }
    assert.ok(seen.length >= 3, `the bar moves: ${JSON.stringify(seen.map(x => x.pos))}`);
    for (let k = 1; k < seen.length; k++)
      assert.ok(seen[k].pos > seen[k - 1].pos && seen[k].width >= seen[k - 1].width, `forwards: ${JSON.stringify(seen)}`);
    const [fm, transfer] = [seen[0].order.find(w => w[0] === FM), seen[0].order.find(w => w[0] !== FM)];
    assert.ok(transfer[1] > fm[1] && fm[2] && !transfer[2], `the transfer dialog over the blocked File Manager: ${JSON.stringify(seen[0].order)}`);

    await win.locator('.ctl[data-id="2"]:not(.disabled)').click({ timeout: STEP });
    await win.waitFor({ state: 'detached', timeout: STEP });
  });
});

test('Tab and Shift+Tab move the focus between a dialog\'s controls; a message box over its dialog', { timeout: 120000 }, async () => {
  await withPage({ extra: ['--sampler', '--no-machine'] }, async page => {
    const CS = 'Connection Settings';
    await page.locator('button[data-export="ComSetDialog"]').click({ timeout: STEP });
    await page.locator(`.window[data-caption="${CS}"]`).waitFor({ timeout: STEP });
    const first = await until(page, focusedId, CS, 'a focused control');
    const seen = [first];
    for (let k = 0; k < 2; k++) {
      await page.keyboard.press('Tab');
      seen.push(await until(page, ([c, prev]) => {
        const f = document.querySelector(`.window[data-caption="${c}"] .ctl.focused`);
        return f && Number(f.dataset.id) !== prev ? Number(f.dataset.id) : null;
      }, [CS, seen[seen.length - 1]], 'the focus to move on Tab'));
    }
    assert.equal(new Set(seen).size, 3, `three controls in turn: ${seen}`);
    await page.screenshot({ path: path.join(outDir, 'e2e-windows-tab.png') });
    await page.keyboard.press('Shift+Tab');
    await until(page, ([c, want]) => {
      const f = document.querySelector(`.window[data-caption="${c}"] .ctl.focused`);
      return f && Number(f.dataset.id) === want;
    }, [CS, seen[1]], 'Shift+Tab to go back');
    await page.keyboard.press('Escape');
    await page.locator(`.window[data-caption="${CS}"]`).waitFor({ state: 'detached', timeout: STEP });

    // The sampler's edit: reached with Tab, the page's field takes the keys the person types.
    const SAMPLER = 'Control Sampler';
    await page.locator('button[data-export="Sampler"]:not([disabled])').click({ timeout: STEP });
    const sampler = page.locator(`.window[data-caption="${SAMPLER}"]`);
    await sampler.waitFor({ timeout: STEP });
    for (let k = 0; k < 12 && await page.evaluate(focusedId, SAMPLER) !== 105; k++) {
      const before = await page.evaluate(focusedId, SAMPLER);
      await page.keyboard.press('Tab');
      await until(page, ([c, b]) => {
        const f = document.querySelector(`.window[data-caption="${c}"] .ctl.focused`);
        return f && Number(f.dataset.id) !== b;
      }, [SAMPLER, before], 'Tab in the sampler');
    }
    assert.equal(await page.evaluate(focusedId, SAMPLER), 105, 'Tab reaches the edit');
    const field = sampler.locator('.ctl[data-id="105"] input');
    await until(page, () => document.activeElement?.closest('.ctl')?.dataset.id === '105', null, 'the page to focus the field');
    await page.keyboard.type('X');
    await until(page, () => document.querySelector('.ctl[data-id="105"] input')?.value === 'X', null,
      'the typing to replace the text the Tab selected').catch(async e => { throw new Error(e.message + ': ' + await field.inputValue()); });

    // A message box over the sampler: its picture, its text, its buttons; the sampler blocked.
    await sampler.locator('.ctl[data-id="108"]').click({ timeout: STEP });
    const box = page.locator('.window.messagebox');
    await box.waitFor({ timeout: STEP });
    assert.ok(await box.locator('svg.sysicon').count() === 1, 'the question mark');
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

test('A folder of 1,000 designs: the wheel and the thumb reach the last, which is ticked, sent and found by its name', { timeout: 180000 }, async () => {
  // 999 designs and Zinnia, last by name, on a C: of their own.
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'tavren-e2e-long-'));
  const designs = path.join(root, 'c', 'Designs');
  fs.mkdirSync(designs, { recursive: true });
  const star = fs.readFileSync(path.join(sourceDir, 'tests/fixtures/demo/pc/Designs/Star.qef+'));
  for (let i = 0; i < 999; i++) fs.writeFileSync(path.join(designs, `Design ${String(i).padStart(3, '0')}.qef+`), star);
  fs.writeFileSync(path.join(designs, 'Zinnia.qef+'), star);
  try {
    await withPage({ env: { TAVREN_DRIVES: `C=fixed:${path.join(root, 'c')}` } }, async page => {
      const FM = 'File Manager', PC = 13011, MACHINE = 13018;
      const win = page.locator(`.window[data-caption="${FM}"]`);
      await page.locator('button[data-export="ManageDesignDialog"]').click({ timeout: STEP });
      await page.locator('#cf-go').click({ timeout: STEP });
      await win.waitFor({ timeout: STEP });
      const pc = win.locator(`.ctl[data-id="${PC}"]`), machine = win.locator(`.ctl[data-id="${MACHINE}"]`);
      for (const place of ['Computer', 'C:']) {
        await pc.locator('[data-item]').filter({ has: page.locator('.text', { hasText: place }) }).first().dblclick({ timeout: STEP });
        await page.waitForTimeout(300);
      }
      const bar = scrollBarOf(page, pc);
      const last = pc.locator('[data-item][aria-label="Zinnia.qef+"]');
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
      await pc.locator('[data-item]').filter({ has: page.locator('.text', { hasText: 'Designs' }) }).first().dblclick({ timeout: STEP });
      await page.evaluate(([list, timeout]) => new Promise((resolve, reject) => {
        const shown = () => document.querySelector(`${list} .vscroll .thumb`) && document.querySelector(`${list} [data-item][aria-label="Design 000.qef+"]`);
        if (shown()) return resolve();
        const watch = new MutationObserver(() => { if (shown()) { watch.disconnect(); resolve(); } });
        watch.observe(document.body, { childList: true, subtree: true, attributes: true });
        setTimeout(() => { watch.disconnect(); reject(new Error('the folder never came with its bar')); }, timeout);
      }), [`.window[data-caption="${FM}"] .ctl[data-id="${PC}"]`, STEP]);
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
      await win.locator('.ctl[data-id="13027"]', { hasText: '1' }).waitFor({ timeout: STEP });
      await page.screenshot({ path: path.join(outDir, 'e2e-windows-long-folder.png') });

      // Sent to the machine's Flowers folder, and found there by typing the start of its name.
      for (const place of ['Built-in', 'Flowers']) {
        await machine.locator(`[data-item][aria-label="${place}"]`).dblclick({ timeout: STEP });
        await machine.locator('[data-item]').first().waitFor({ timeout: STEP });
        await page.waitForTimeout(300);
      }
      await win.locator('.ctl[data-id="13025"]:not(.disabled)').click({ timeout: STEP });
      await win.locator('.ctl[data-id="13027"]', { hasText: '0' }).waitFor({ timeout: 20000 });
      // On the picture: a click on a selected item's name would begin renaming it.
      await machine.locator('[data-item] img').first().click({ timeout: STEP });
      await win.locator(`.ctl[data-id="${MACHINE}"].focused`).waitFor({ timeout: STEP });
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

      // Back in the PC pane the keyboard moves through the folder: Home, a name typed, an arrow.
      await pc.locator('[data-item][aria-label="Zinnia.qef+"] img').click({ timeout: STEP });
      await win.locator(`.ctl[data-id="${PC}"].focused`).waitFor({ timeout: STEP });
      await page.keyboard.press('Home');
      await bar.waitPos(p => p === 0, 'back at the top');
      await page.keyboard.type('design 07');
      await pc.locator('[data-item][aria-label="Design 070.qef+"][aria-selected="true"]').waitFor({ timeout: STEP });
      await page.keyboard.press('ArrowDown');
      await pc.locator('[data-item][aria-label="Design 070.qef+"][aria-selected="false"]').waitFor({ timeout: STEP });
      assert.equal(await pc.locator('[data-item][aria-selected="true"]').count(), 1, 'the selection moved to one other design');
      await win.locator('.ctl[data-id="2"]:not(.disabled)').click({ timeout: STEP });
      await win.waitFor({ state: 'detached', timeout: STEP });
    });
  } finally {
    fs.rmSync(root, { recursive: true, force: true });
  }
});

test('The File Manager by keyboard alone: Tab into a pane, arrows, End, Enter, Shift+F10, the location box, the Up button by Space', { timeout: 120000 }, async () => {
  await withPage({}, async page => {
    const FM = 'File Manager', PC = 13011, UP = 13015;
    const win = page.locator(`.window[data-caption="${FM}"]`);
    await page.locator('button[data-export="ManageDesignDialog"]').click({ timeout: STEP });
    await page.locator('#cf-go').click({ timeout: STEP });
    await win.waitFor({ timeout: STEP });
    await page.locator('#desktop').focus().catch(() => {});
    const focused = () => page.evaluate(() => {
      const f = document.querySelector('.window.front .ctl.focused');
      return f ? Number(f.dataset.id) : null;
    });
    const tabTo = async id => {
      for (let i = 0; i < 40; i++) {
        if (await focused() === id) return;
        await page.keyboard.press('Tab');
        await page.waitForTimeout(120);
      }
      throw new Error(`Tab never reached control ${id}: at ${await focused()}`);
    };
    const pc = win.locator(`.ctl[data-id="${PC}"]`);
    const selected = () => pc.locator('[data-item][aria-selected="true"]').getAttribute('aria-label', { timeout: STEP });
    await tabTo(PC);
    await page.keyboard.press('Home');
    await pc.locator('[data-item][aria-selected="true"]').waitFor({ timeout: STEP });
    const first = await selected();
    await page.keyboard.press('End');
    await pc.locator(`[data-item][aria-selected="true"]:not([aria-label="${first}"])`).waitFor({ timeout: STEP });
    await page.keyboard.press('Home');
    await pc.locator(`[data-item][aria-selected="true"][aria-label="${first}"]`).waitFor({ timeout: STEP });
    // Typing finds Computer; Enter opens it.
    await page.keyboard.type('comp');
    await pc.locator('[data-item][aria-selected="true"][aria-label="Computer"]').waitFor({ timeout: STEP });
    await page.keyboard.press('Enter');
    await pc.locator('[data-item][aria-label="Computer"]').waitFor({ state: 'detached', timeout: STEP });
    const inside = await pc.locator('[data-item]').first().getAttribute('aria-label', { timeout: STEP });
    await page.keyboard.press('ArrowRight');
    await page.keyboard.press('ArrowLeft');
    await pc.locator('[data-item][aria-selected="true"]').first().waitFor({ timeout: STEP });
    // Home and Enter open the first drive.
    await page.keyboard.press('Home');
    await pc.locator(`[data-item][aria-selected="true"][aria-label="${inside}"]`).waitFor({ timeout: STEP });
    await page.keyboard.press('Enter');
    await pc.locator(`[data-item][aria-label="${inside}"]`).waitFor({ state: 'detached', timeout: STEP });
    // Shift+F10: the pane's menu opens beside its focused item, and Escape closes it.
    await page.keyboard.press('Home');
    await pc.locator('[data-item][aria-selected="true"]').first().waitFor({ timeout: STEP });
    await page.keyboard.press('Shift+F10');
    const menu = page.locator('.window.menu');
    await menu.waitFor({ timeout: STEP });
    const mb = await menu.boundingBox(), ib = await pc.locator('[data-item].focused').first().boundingBox();
    assert.ok(mb.x >= ib.x && mb.x <= ib.x + ib.width && mb.y >= ib.y && mb.y <= ib.y + ib.height,
              `the menu opens on the focused item: ${JSON.stringify([mb, ib])}`);
    await page.keyboard.press('Escape');
    await menu.waitFor({ state: 'detached', timeout: STEP });
    // The location box: F4 opens its list and Escape closes it; Up goes to the place above, back
    // among the drives.
    await tabTo(13012);
    await page.keyboard.press('F4');
    await win.locator('.dropdown').waitFor({ timeout: STEP });
    await page.keyboard.press('Escape');
    await win.locator('.dropdown').waitFor({ state: 'detached', timeout: STEP });
    await page.keyboard.press('ArrowUp');
    await pc.locator(`[data-item][aria-label="${inside}"]`).waitFor({ timeout: STEP });
    // Tab to the Up button, Space: back where the pane began.
    await tabTo(UP);
    await page.keyboard.press(' ');
    await pc.locator('[data-item][aria-label="Computer"]').waitFor({ timeout: STEP });
    await page.keyboard.press('Escape');
    await win.waitFor({ state: 'detached', timeout: STEP });
  });
});
