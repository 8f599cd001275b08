// tavren gui in headless Chromium, the journeys of a person doing the module's job: Write a Design
// from the host's bar sending a sample and a DST design to the machine and the DST design to the
// PC's flash drive; designs sent to the machine in the File Manager (its pictures, lists, location
// box, menu and transfer bar as the page draws them) and one fetched back; STX patterns copied to
// the flash drive; the language switched. The machine panel plays the machine. What a dialog or a
// list does step by step is the dialog and list tests' business; each step leaves a screenshot
// e2e-<journey>-<n>-<step>.png.
//
// Environment: as browser.mjs says;
// E2E_DOCS_SCREENSHOT=docs/screenshot.png also saves the README's picture (the File Manager with
// thumbnails in both panes, from the File Manager journey).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { FM, MACHINE_LIST, PC_LIST, STEP, TO_MACHINE, TO_PC, closeManager, ctl, demoDrives, listItems, loadedHas, openManager,
  openPlaces, outDir, press, sourceDir, tavren, tick, until, waitItems, whyNot, win, withPage } from './browser.mjs';

// A journey that needs what the module does not offer yet (skipWhy says so from the state a
// script sees) is skipped, saying so. The journey runs on demoDrives(), removed afterwards.
async function withGui(t, { extra = [], env = {} }, skipWhy, fn) {
  const first = async url => {
    // A script brings the printed token in a header; the page gets it as a cookie by opening the address.
    const address = new URL(url);
    const state = await (await fetch(new URL('/api/state', address),
      { headers: { 'X-Tavren-Token': address.searchParams.get('token') } })).json();
    return skipWhy(state);
  };
  const why = await withPage({ extra, env, first }, fn);
  if (why) t.skip(why);
}

const exported = name => state => state.exports.some(x => x.name === name) ? '' : `the module does not export ${name} yet`;

function shooter(page, journey) {
  let n = 0;
  return step => page.screenshot({ path: path.join(outDir, `e2e-${journey}-${++n}-${step}.png`) });
}

const lastField = (page, field) => page.locator(`#last [data-field="${field}"] .value`);

function infoSize(file) {
  const out = execFileSync(tavren, ['info', file], { encoding: 'utf8' });
  const m = /size: .*/.exec(out);
  assert.ok(m, 'tavren info gives the size:\n' + out);
  return m[0];
}

test('Journey: Write a Design sends a sample and a DST design to the machine and the DST design to the flash drive', { timeout: 120000 }, async t => {
  const drives = demoDrives();
  const WD = 'Write a Design', dst = path.join(sourceDir, 'tests/fixtures/corpus/Star.DST');
  const flowers = path.join(drives.storage, 'builtin', 'EMB', 'Flowers');
  try {
    await withGui(t, drives, exported('WriteSendDialog'), async page => {
      const shot = shooter(page, 'write-design');
      // The form from the bar (fill it in), then the dialog: the places opened, ">>", the result.
      const write = async (fill, places, step) => {
        await page.locator('button[data-export="WriteSendDialog"]:not([disabled])').click({ timeout: STEP });
        await fill();
        await page.locator('#cf-go').click({ timeout: STEP });
        await win(page, WD).waitFor({ timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
        await openPlaces(page, WD, 13007, ...places);
        await shot(step + '-dialog');
        await press(page, WD, 13000);
        await win(page, WD).waitFor({ state: 'detached', timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
        await lastField(page, 'result').filter({ hasText: '1 (IDOK)' }).waitFor({ timeout: STEP });
        await shot(step + '-sent');
      };
      const upload = async (file, target) => {
        await page.locator('#cf-upload').setInputFiles(file);
        await page.locator('#cf-note', { hasText: `${path.basename(file)} is a DST design` }).waitFor({ timeout: STEP });
        await page.locator('#cf-target').selectOption(target);
      };

      // A sample from the PC into built-in storage's Flowers folder, under a name of the person's.
      await write(async () => {
        await page.locator('#cf-file').selectOption('Star.qef+');
        await page.locator('#cf-name').fill('Rose.qef+');
        await page.locator('#cf-offer').uncheck();
        await page.locator('#cf-target').selectOption('1');
      }, ['Built-in', 'Flowers'], 'sample');
      assert.deepEqual(fs.readFileSync(path.join(flowers, 'Rose.qef+')),
                       fs.readFileSync(path.join(sourceDir, 'tests/fixtures/demo/pc/Designs/Star.qef+')), 'the sample arrived byte for byte');

      // A DST design from the person's disk goes as QEF, into the Flowers folder the host kept.
      await write(() => upload(dst, '1'), [], 'dst');
      assert.match(await lastField(page, 'converted').innerText(),
                   /^Star\.DST \(DST\) into Star\.qef \(QEF\): 2585 stitch words in 2 colours, 59\.1 x 62\.3 mm$/);
      assert.equal(infoSize(path.join(flowers, 'Star.qef')), infoSize(dst), 'the machine\'s design has the DST design\'s extents');

      // The same design onto the PC's flash drive, the other place a machine reads designs from.
      await write(async () => { await upload(dst, '0'); await page.locator('#cf-folder').fill(''); }, ['usb (E:)', 'Embf'], 'flash-drive');
      assert.equal(infoSize(path.join(drives.e, 'EMB', 'Embf', 'Star.qef')), infoSize(dst), 'Star.qef arrived on the flash drive');

      // Not a DST design: nothing opens, and the page says why.
      const notDst = path.join(drives.root, 'Scribble.dst');
      fs.writeFileSync(notDst, Buffer.alloc(700, 0x41));
      await page.locator('button[data-export="WriteSendDialog"]:not([disabled])').click({ timeout: STEP });
      await upload(notDst, '1');
      await page.locator('#cf-go').click({ timeout: STEP });
      await lastField(page, 'refused').filter({ hasText: 'Scribble.dst was not converted: it has no DST header' }).waitFor({ timeout: STEP });
      assert.equal(await page.locator('.window').count(), 0, 'no dialog opened');
      assert.equal(await page.locator('#last .host-label').innerText(), 'WriteSendDialog was not called');
      await shot('refused');
    });
  } finally {
    drives.remove();
  }
});

// What each picture of a window shows outside its lists: its control and whether it has loaded.
const picturesOf = caption => [...document.querySelectorAll(`.window[data-caption="${caption}"] .ctl img`)]
  .filter(img => !img.closest('.list') && !img.closest('.combo'))
  .map(img => ({ id: Number(img.closest('.ctl').dataset.id), cls: img.closest('.ctl').className, loaded: img.complete && img.naturalWidth > 0 }));

test('Journey: three designs sent to the machine in the File Manager as the page draws it, one fetched back', { timeout: 120000 }, async t => {
  const drives = demoDrives();
  try {
    await withGui(t, drives, exported('ManageDesignDialog'), async page => {
      const shot = shooter(page, 'send-designs');
      await openManager(page);
      const machine = ctl(page, FM, MACHINE_LIST), pc = ctl(page, FM, PC_LIST);

      // Twelve icon buttons, the PC's and the target's picture, the two ticks by the counters.
      let pictures = [];
      for (const deadline = Date.now() + STEP; Date.now() < deadline; await page.waitForTimeout(100))
        if ((pictures = await page.evaluate(picturesOf, FM)).length === 16 && pictures.every(x => x.loaded)) break;
      assert.ok(pictures.length === 16 && pictures.every(x => x.loaded), 'sixteen loaded pictures: ' + JSON.stringify(pictures));
      assert.deepEqual(pictures.filter(p => p.cls.includes('push')).map(p => p.id).sort(),
                       [13013, 13014, 13015, 13016, 13017, 13020, 13021, 13022, 13023, 13024, 13025, 13026]);
      const statics = pictures.filter(p => p.cls.includes('static'));
      assert.deepEqual([statics.length, statics.filter(p => p.id === -1).length], [4, 3], 'four static pictures, three that nobody addresses');

      // The machine side's root: its group headers over 75 x 85 cells of 48 x 48 pictures.
      await machine.locator('[data-item]').first().waitFor({ timeout: STEP });
      assert.deepEqual(await machine.locator('.groupband').allInnerTexts(), ['Machine', 'PC']);
      const cells = await machine.locator('.icon').evaluateAll(es => es.map(e => {
        const img = e.querySelector('img');
        return { x: e.offsetLeft, size: [e.offsetWidth, e.offsetHeight, img ? img.offsetWidth : 0, img ? img.offsetHeight : 0] };
      }));
      assert.ok(cells.length >= 3, 'the places of the machine side');
      for (const c of cells) assert.deepEqual(c.size, [75, 85, 48, 48]);
      assert.equal(cells[1].x - cells[0].x, 75, 'cells side by side');

      // The PC's location box opened: its entries indented under PC, the current one marked.
      await ctl(page, FM, 13012).click({ timeout: STEP });
      const entries = await until(page, () => {
        const rows = [...document.querySelectorAll('.dropdown .entry')].map(e =>
          ({ text: e.innerText, indent: parseInt(e.style.paddingLeft, 10), current: e.classList.contains('current'), pic: !!e.querySelector('img') }));
        return rows.length ? rows : null;
      }, null, 'the drop-down list');
      assert.deepEqual(entries.map(e => e.text), ['PC', 'Desktop', 'Computer', 'Documents']);
      assert.ok(entries[1].indent > entries[0].indent && entries.every(e => e.pic), 'the places under PC indented, each with its picture');
      assert.deepEqual(entries.map(e => e.current), [true, false, false, false], 'the current entry is marked');
      await shot('location');
      await page.keyboard.press('Escape');
      await page.locator('.dropdown').waitFor({ state: 'detached', timeout: STEP });

      await openPlaces(page, FM, PC_LIST, 'Computer', 'C:', 'Designs');
      await openPlaces(page, FM, MACHINE_LIST, 'Built-in', 'Flowers');
      await waitItems(page, FM, MACHINE_LIST, loadedHas('shamrockin.qef', 'shamrockin.qpx'), 'the Flowers folder');
      const SENT = ['Bean.qef', 'rectangle.qef', 'Embroidermodder-logo-2022.qef+'];
      await waitItems(page, FM, PC_LIST, loadedHas(...SENT), 'the PC designs');
      // A long name without spaces breaks inside its cell; a design's picture is a 48 x 48 thumbnail.
      assert.ok(await pc.locator('[data-item][aria-label="Embroidermodder.qpx"] .text').evaluate(e => e.scrollWidth <= e.clientWidth),
                'the long label stays in its cell');
      assert.deepEqual(await pc.locator('[data-item][aria-label="Bean.qef"] img').evaluate(img => [img.offsetWidth, img.offsetHeight]), [48, 48]);
      await shot('both-panes');

      // A context menu opens where the person clicked, with its separators; the dialog stays active.
      const box = await pc.locator('[data-item][aria-label="Bean.qef"] .text').boundingBox();
      const at = { x: Math.round(box.x + 5), y: Math.round(box.y + 5) };
      await page.mouse.click(at.x, at.y, { button: 'right' });
      const menu = page.locator('.window.menu');
      await menu.waitFor({ timeout: STEP });
      const mb = await menu.boundingBox();
      assert.ok(Math.abs(mb.x - at.x) <= 2 && Math.abs(mb.y - at.y) <= 2, `the menu at the cursor: ${JSON.stringify([mb, at])}`);
      assert.ok(await menu.locator('.menuitem.separator').count() >= 1, 'a separator');
      assert.ok(await win(page, FM).evaluate(w => w.classList.contains('active')), 'the dialog stays active while its menu is open');
      await shot('menu');
      await page.keyboard.press('Escape');
      await menu.waitFor({ state: 'detached', timeout: STEP });

      // Three ticked on the PC and sent to a machine answering slowly: the transfer dialog's bar
      // moves forwards over the blocked File Manager.
      for (const l of SENT) await tick(page, FM, PC_LIST, l);
      await page.locator('#machine button[data-toggle="slow"][aria-pressed="false"]').click({ timeout: STEP });
      await page.locator('#machine button[data-toggle="slow"][aria-pressed="true"]').waitFor({ timeout: STEP });
      await press(page, FM, TO_MACHINE);
      const seen = [];
      for (const deadline = Date.now() + 20000; Date.now() < deadline; await page.waitForTimeout(100)) {
        const now = await page.evaluate(fm => {
          const bar = document.querySelector(`.window:not([data-caption="${fm}"]) [role=progressbar]`);
          return { pos: bar ? Number(bar.getAttribute('aria-valuenow')) : null, width: bar ? bar.querySelector('.bar').offsetWidth : 0,
                   order: [...document.querySelectorAll('.window')].map(w => [w.dataset.caption, Number(w.style.zIndex), w.classList.contains('blocked')]) };
        }, FM);
        if (now.pos === null) { if (seen.length) break; continue; }
        if (!seen.length) await shot('progress');
        if (!seen.length || seen[seen.length - 1].pos !== now.pos) seen.push(now);
      }
      assert.ok(seen.length >= 3, `the bar moves: ${JSON.stringify(seen.map(x => x.pos))}`);
      for (let k = 1; k < seen.length; k++)
        assert.ok(seen[k].pos > seen[k - 1].pos && seen[k].width >= seen[k - 1].width, `forwards: ${JSON.stringify(seen)}`);
      const [fm, transfer] = [seen[0].order.find(w => w[0] === FM), seen[0].order.find(w => w[0] !== FM)];
      assert.ok(transfer[1] > fm[1] && fm[2] && !transfer[2], `the transfer dialog over the blocked File Manager: ${JSON.stringify(seen[0].order)}`);
      await page.locator('#machine button[data-toggle="slow"]').click({ timeout: STEP });
      await page.locator('#machine button[data-toggle="slow"][aria-pressed="false"]').waitFor({ timeout: STEP });
      await waitItems(page, FM, MACHINE_LIST, loadedHas(...SENT, 'shamrockin.qpx'), 'the three designs in the machine pane with their pictures');
      for (const f of SENT)
        assert.deepEqual(fs.readFileSync(path.join(drives.storage, 'builtin', 'EMB', 'Flowers', f)),
                         fs.readFileSync(path.join(drives.c, 'Designs', f)), `${f} arrived byte for byte`);
      await shot('sent');

      // Back to the PC: shamrockin.qef from the machine into C:\Designs.
      await tick(page, FM, MACHINE_LIST, 'shamrockin.qef');
      await press(page, FM, TO_PC);
      await waitItems(page, FM, PC_LIST, loadedHas('shamrockin.qef'), 'shamrockin.qef fetched into the PC pane');
      assert.deepEqual(fs.readFileSync(path.join(drives.c, 'Designs', 'shamrockin.qef')),
                       fs.readFileSync(path.join(drives.storage, 'builtin', 'EMB', 'Flowers', 'shamrockin.qef')), 'fetched byte for byte');

      // A click on a machine file ticks it and brings its thumbnail from the machine (pictures
      // from 26 on are thumbnails), each its own.
      for (const f of SENT) {
        await ctl(page, FM, MACHINE_LIST).locator(`[data-item][aria-label="${f}"] img`).click({ timeout: STEP });
        await waitItems(page, FM, MACHINE_LIST, items => items.some(i => i.label === f && i.loaded && i.picture >= 26 && i.picture % 2 === 1),
                        `${f} with its thumbnail, ticked`);
      }
      const thumbs = (await listItems(page, FM, MACHINE_LIST)).filter(i => SENT.includes(i.label)).map(i => i.picture);
      assert.equal(new Set(thumbs).size, 3, 'each sent design has a thumbnail of its own');
      await shot('thumbnails');
      if (process.env.E2E_DOCS_SCREENSHOT) await page.screenshot({ path: process.env.E2E_DOCS_SCREENSHOT });
      await closeManager(page);
    });
  } finally {
    drives.remove();
  }
});

test('Journey: STX patterns copied to the PC\'s flash drive', { timeout: 120000 }, async t => {
  const drives = demoDrives();
  try {
    await withGui(t, drives, exported('ManageStxDialog'), async page => {
      const shot = shooter(page, 'stx-flash-drive');
      // USB flash drive only: the right pane shows the PC's flash drive instead of the machine.
      await openManager(page, 'ManageStxDialog', 0);
      await openPlaces(page, FM, PC_LIST, 'Computer', 'C:', 'Patterns');
      await openPlaces(page, FM, MACHINE_LIST, 'usb (E:)', 'Ordf');
      await waitItems(page, FM, MACHINE_LIST, loadedHas('Wave.stx', 'Zigzag.stx'), 'the patterns on the flash drive');
      await tick(page, FM, PC_LIST, 'Arrow.stx');
      await tick(page, FM, PC_LIST, 'Scallop.stx');
      await shot('ticked');
      await press(page, FM, TO_MACHINE);
      await waitItems(page, FM, MACHINE_LIST, items => loadedHas('Arrow.stx', 'Scallop.stx', 'Wave.stx', 'Zigzag.stx')(items) && items.length === 4,
                      'the two patterns on the flash drive');
      for (const l of ['Arrow.stx', 'Scallop.stx'])
        assert.deepEqual(fs.readFileSync(path.join(drives.e, 'ORD', 'Ordf', l)), fs.readFileSync(path.join(drives.c, 'Patterns', l)), `${l} copied`);
      await shot('copied');
      await closeManager(page);
    });
  } finally {
    drives.remove();
  }
});

test('Journey: Japanese and back, the File Manager speaking each language', { timeout: 120000 }, async t => {
  await withGui(t, { extra: ['--no-machine'] }, state => exported('ManageDesignDialog')(state) || (state.canChangeLanguage ? '' : 'no language module'),
                async page => {
    const shot = shooter(page, 'language');
    for (const [lang, caption, computer, close, name] of [[1041, 'ファイル マネージャー', 'コンピューター', '閉じる', 'japanese'],
                                                         [1033, FM, 'Computer', 'Close', 'english']]) {
      await page.locator(`#language button[data-language="${lang}"]:not([disabled])`).click({ timeout: STEP });
      await page.locator(`#language button[data-language="${lang}"][aria-pressed="true"]`).waitFor({ timeout: STEP });
      await openManager(page, 'ManageDesignDialog', 0, caption);
      await waitItems(page, caption, PC_LIST, items => items.some(i => i.label === computer), `the PC root view in ${name}`);
      assert.equal(await ctl(page, caption, 2).innerText(), close, `the close button in ${name}`);
      await shot(name);
      await closeManager(page, caption);
    }
  });
});
