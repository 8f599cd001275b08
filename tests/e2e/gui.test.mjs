// tavren gui in headless Chromium, the journeys of a person doing the module's job: Write a Design
// from the host's bar sending a sample and a DST design to the machine and the DST design to the
// PC's flash drive; designs sent to the machine in the File Manager (its pictures and lists as the
// page draws them) and one fetched back. The machine panel plays the machine. What a dialog or a
// list does step by step (STX patterns copied, the location box's entries, a right-click's menu,
// the transfer bar) and the language switch are the dialog, host and module tests' business;
// each step leaves a screenshot e2e-<journey>-<n>-<step>.png.
//
// Environment: as browser.mjs says;
// E2E_DOCS_SCREENSHOT=docs/screenshot.png also saves the README's picture (the File Manager with
// thumbnails in both panes, from the File Manager journey).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { FM, MACHINE_LIST, PC_LIST, STEP, TO_MACHINE, TO_PC, closeManager, ctl, listItems, loadedHas, openManager, openPlaces,
  outDir, poll, press, shown, sourceDir, tavren, tick, waitItems, win, withDemoDrives } from './browser.mjs';

// Each step's screenshot, numbered within its journey.
const shooter = (page, journey, n = 0) => step => page.screenshot({ path: path.join(outDir, `e2e-${journey}-${++n}-${step}.png`) });
const lastField = (page, field) => page.locator(`#last [data-field="${field}"] .value`);
// The size tavren info gives a design: its extents.
const infoSize = file => /size: .*/.exec(execFileSync(tavren, ['info', file], { encoding: 'utf8' }))?.[0] ?? assert.fail(`tavren info gives no size for ${file}`);
const same = (a, b, what) => assert.deepEqual(fs.readFileSync(a), fs.readFileSync(b), what);

test('Journey: Write a Design sends a sample and a DST design to the machine and the DST design to the flash drive', { timeout: 120000 }, () =>
  withDemoDrives(async (page, drives) => {
    const WD = 'Write a Design', dst = path.join(sourceDir, 'tests/fixtures/corpus/Star.DST');
    const flowers = path.join(drives.storage, 'builtin', 'EMB', 'Flowers');
    const shot = shooter(page, 'write-design');
    // The form from the bar (fill it in), then the dialog: the places opened, ">>", the result.
    const write = async (fill, places, step) => {
      await page.locator('button[data-export="WriteSendDialog"]:not([disabled])').click({ timeout: STEP });
      await fill();
      await page.locator('#cf-go').click({ timeout: STEP });
      await shown(page, win(page, WD));
      await openPlaces(page, WD, 13007, ...places);
      await shot(step + '-dialog');
      await press(page, WD, 13000);
      await shown(page, win(page, WD), 'detached');
      await lastField(page, 'result').filter({ hasText: '1 (IDOK)' }).waitFor({ timeout: STEP });
      await shot(step + '-sent');
    };
    const upload = async target => {
      await page.locator('#cf-upload').setInputFiles(dst);
      await page.locator('#cf-note', { hasText: 'Star.DST is a DST design' }).waitFor({ timeout: STEP });
      await page.locator('#cf-target').selectOption(target);
    };

    // A sample from the PC into built-in storage's Flowers folder, under a name of the person's.
    await write(async () => {
      await page.locator('#cf-file').selectOption('Star.qef+');
      await page.locator('#cf-name').fill('Rose.qef+');
      await page.locator('#cf-offer').uncheck();
      await page.locator('#cf-target').selectOption('1');
    }, ['Built-in', 'Flowers'], 'sample');
    same(path.join(flowers, 'Rose.qef+'), path.join(sourceDir, 'tests/fixtures/demo/pc/Designs/Star.qef+'), 'the sample arrived byte for byte');

    // A DST design from the person's disk goes as QEF, into the Flowers folder the host kept.
    await write(() => upload('1'), [], 'dst');
    assert.match(await lastField(page, 'converted').innerText(),
                 /^Star\.DST \(DST\) into Star\.qef \(QEF\): 2585 stitch words in 2 colours, 59\.1 x 62\.3 mm$/);
    assert.equal(infoSize(path.join(flowers, 'Star.qef')), infoSize(dst), 'the machine\'s design has the DST design\'s extents');

    // The same design onto the PC's flash drive, the other place a machine reads designs from.
    await write(async () => { await upload('0'); await page.locator('#cf-folder').fill(''); }, ['usb (E:)', 'Embf'], 'flash-drive');
    assert.equal(infoSize(path.join(drives.e, 'EMB', 'Embf', 'Star.qef')), infoSize(dst), 'Star.qef arrived on the flash drive');
  }));

// What each picture of a window shows outside its lists: its control and whether it has loaded.
const picturesOf = caption => [...document.querySelectorAll(`.window[data-caption="${caption}"] .ctl img`)]
  .filter(img => !img.closest('.list') && !img.closest('.combo'))
  .map(img => ({ id: Number(img.closest('.ctl').dataset.id), cls: img.closest('.ctl').className, loaded: img.complete && img.naturalWidth > 0 }));

test('Journey: three designs sent to the machine in the File Manager as the page draws it, one fetched back', { timeout: 120000 }, () =>
  withDemoDrives(async (page, drives) => {
    const shot = shooter(page, 'send-designs');
    const flowers = path.join(drives.storage, 'builtin', 'EMB', 'Flowers');
    await openManager(page);
    const machine = ctl(page, FM, MACHINE_LIST), pc = ctl(page, FM, PC_LIST);

    // Twelve icon buttons, the PC's and the target's picture, the two ticks by the counters (three statics nobody addresses).
    const pictures = await poll(page, () => page.evaluate(picturesOf, FM), p => p.length === 16 && p.every(x => x.loaded), 'sixteen loaded pictures');
    const kind = p => p.cls.includes('push') ? p.id : !p.cls.includes('static') ? p.cls : p.id === -1 ? 'static, unaddressed' : 'static';
    assert.deepEqual(pictures.map(kind).sort(), [13013, 13014, 13015, 13016, 13017, 13020, 13021, 13022, 13023, 13024, 13025, 13026,
                                                 'static', 'static, unaddressed', 'static, unaddressed', 'static, unaddressed'].sort());

    // The machine side's root: its group headers over 75 x 85 cells of 48 x 48 pictures, side by side.
    await machine.locator('[data-item]').first().waitFor({ timeout: STEP });
    assert.deepEqual(await machine.locator('.groupband').allInnerTexts(), ['Machine', 'PC']);
    const cells = await machine.locator('.icon').evaluateAll(es => es.map(e =>
      [e.offsetLeft, e.offsetWidth, e.offsetHeight, e.querySelector('img')?.offsetWidth, e.querySelector('img')?.offsetHeight]));
    assert.ok(cells.length >= 3 && cells[1][0] - cells[0][0] === 75, `the machine side's places side by side: ${JSON.stringify(cells)}`);
    for (const c of cells) assert.deepEqual(c.slice(1), [75, 85, 48, 48]);

    await openPlaces(page, FM, PC_LIST, 'Computer', 'C:', 'Designs');
    await openPlaces(page, FM, MACHINE_LIST, 'Built-in', 'Flowers');
    await waitItems(page, FM, MACHINE_LIST, loadedHas('shamrockin.qef', 'shamrockin.qpx'), 'the Flowers folder');
    const SENT = ['Bean.qef', 'rectangle.qef', 'Embroidermodder-logo-2022.qef+'];
    await waitItems(page, FM, PC_LIST, loadedHas(...SENT), 'the PC designs');
    // A long name without spaces breaks inside its cell.
    assert.ok(await pc.locator('[data-item][aria-label="Embroidermodder.qpx"] .text').evaluate(e => e.scrollWidth <= e.clientWidth),
              'the long label stays in its cell');
    await shot('both-panes');

    // Three ticked on the PC and sent (the transfer dialog's bar is the transfer dialog tests').
    for (const l of SENT) await tick(page, FM, PC_LIST, l);
    await press(page, FM, TO_MACHINE);
    await waitItems(page, FM, MACHINE_LIST, loadedHas(...SENT, 'shamrockin.qpx'), 'the three designs in the machine pane with their pictures');
    for (const f of SENT) same(path.join(flowers, f), path.join(drives.c, 'Designs', f), `${f} arrived byte for byte`);
    await shot('sent');

    // Back to the PC: shamrockin.qef from the machine into C:\Designs.
    await tick(page, FM, MACHINE_LIST, 'shamrockin.qef');
    await press(page, FM, TO_PC);
    await waitItems(page, FM, PC_LIST, loadedHas('shamrockin.qef'), 'shamrockin.qef fetched into the PC pane');
    same(path.join(drives.c, 'Designs', 'shamrockin.qef'), path.join(flowers, 'shamrockin.qef'), 'fetched byte for byte');

    // A click on a machine file ticks it and brings its thumbnail from the machine (pictures
    // from 26 on are thumbnails), each its own.
    for (const f of SENT) {
      await machine.locator(`[data-item][aria-label="${f}"] img`).click({ timeout: STEP });
      await waitItems(page, FM, MACHINE_LIST, items => items.some(i => i.label === f && i.loaded && i.picture >= 26 && i.picture % 2 === 1),
                      `${f} with its thumbnail, ticked`);
    }
    const thumbs = (await listItems(page, FM, MACHINE_LIST)).filter(i => SENT.includes(i.label)).map(i => i.picture);
    assert.equal(new Set(thumbs).size, 3, 'each sent design has a thumbnail of its own');
    await shot('thumbnails');
    if (process.env.E2E_DOCS_SCREENSHOT) await page.screenshot({ path: process.env.E2E_DOCS_SCREENSHOT });
    await closeManager(page);
  }));
