// tavren gui in headless Chromium, the journeys of a person doing the module's job: Write a Design
// from the host's bar sending a sample and an uploaded design, designs sent to the machine and one
// fetched back, a DST design written onto it, STX patterns copied to the PC's flash drive, the
// language switched; the machine panel and the PC's drive switch play the machine and the flash
// drive. What a dialog or a list does step by step is the dialog and list tests' business.
//
// Environment: as browser.mjs says;
// E2E_DOCS_SCREENSHOT=docs/screenshot.png also saves the README's picture (the File Manager with
// thumbnails in both panes, from the first journey).
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { STEP, outDir, sourceDir, tavren, withPage } from './browser.mjs';

// A journey that needs what the module does not offer yet (skipWhy says so from the state a
// script sees) is skipped, saying so.
async function withGui(t, extra, skipWhy, fn) {
  const first = async url => {
    // A script brings the printed token in a header; the page gets it as a cookie by opening the address.
    const address = new URL(url);
    const state = await (await fetch(new URL('/api/state', address),
      { headers: { 'X-Tavren-Token': address.searchParams.get('token') } })).json();
    return skipWhy(state);
  };
  const why = await withPage({ extra, first }, fn);
  if (why) t.skip(why);
}

const exported = name => state => state.exports.some(x => x.name === name) ? '' : `the module does not export ${name} yet`;

// The items of a list control: label, picture index (from the picture's address) and whether the
// picture has loaded.
function listItems(page, caption, id) {
  return page.evaluate(([caption, id]) => {
    const list = document.querySelector(`.window[data-caption="${caption}"] .ctl[data-id="${id}"]`);
    return list ? [...list.querySelectorAll('[data-item]')].map(e => {
      const img = e.querySelector('img');
      const m = img && /\/pic\/il\/\d+\/(\d+)\.png/.exec(img.getAttribute('src'));
      return { label: e.getAttribute('aria-label'), picture: m ? Number(m[1]) : -1, loaded: !!img && img.complete && img.naturalWidth > 0 };
    }) : [];
  }, [caption, id]);
}

async function waitItems(page, caption, id, pred, what) {
  const deadline = Date.now() + STEP;
  let items = [];
  while (Date.now() < deadline) {
    items = await listItems(page, caption, id);
    if (pred(items)) return items;
    await page.waitForTimeout(100);
  }
  throw new Error(`timed out waiting for ${what}; the list holds ${JSON.stringify(items)}`);
}

async function openItem(page, caption, id, label) {
  const item = page.locator(`.window[data-caption="${caption}"] .ctl[data-id="${id}"] [data-item]`)
    .filter({ has: page.locator('.text', { hasText: label }) }).first();
  await item.dblclick({ timeout: STEP });
}

// A front message box or dialog the journey did not expect, as text for a failure.
async function frontWindowText(page) {
  return page.evaluate(() => [...document.querySelectorAll('.window.front')].map(w => w.dataset.caption + ': ' + w.innerText).join('\n'));
}

test('Write a Design from the bar sends a sample and an uploaded design to the machine', { timeout: 120000 }, async t => {
  const storage = fs.mkdtempSync(path.join(os.tmpdir(), 'tavren-e2e-storage-'));
  fs.mkdirSync(path.join(storage, 'builtin', 'EMB', 'Flowers'), { recursive: true });
  const demo = path.join(sourceDir, 'tests/fixtures/demo/pc/Designs');
  try {
    await withGui(t, ['--storage', storage], exported('WriteSendDialog'), async page => {
      const WD = 'Write a Design';
      const send = async (what, bReopensFlowers) => {
        await page.locator('#cf-go').click({ timeout: STEP });
        const dialog = page.locator(`.window[data-caption="${WD}"]`);
        await dialog.waitFor({ timeout: STEP })
          .catch(async () => { throw new Error(`no ${WD}; in front: ` + await frontWindowText(page)); });
        if (bReopensFlowers) {
          // The folder the host kept from the last send: the dialog opens in it, where ">>" sends.
          await waitItems(page, WD, 13007, items => items.some(i => i.label === 'Rose.qef+'), 'the kept Flowers folder');
        } else {
          // Built-in storage, then its Flowers folder: the level at which ">>" sends.
          await waitItems(page, WD, 13007, items => items.some(i => i.label === 'Built-in'), 'the machine in the list');
          await openItem(page, WD, 13007, 'Built-in');
          await waitItems(page, WD, 13007, items => items.some(i => i.label === 'Flowers'), 'built-in storage');
          await openItem(page, WD, 13007, 'Flowers');
        }
        const sendButton = dialog.locator('.ctl[data-id="13000"]');
        await sendButton.and(page.locator('[aria-disabled="false"]')).waitFor({ timeout: STEP })
          .catch(async () => { throw new Error('">>" stays disabled; in front: ' + await frontWindowText(page)); });
        await page.screenshot({ path: path.join(outDir, `e2e-write-design-${what}-1-dialog.png`) });
        await sendButton.click({ timeout: STEP });
        await dialog.waitFor({ state: 'detached', timeout: STEP })
          .catch(async () => { throw new Error(`${WD} did not close after ">>"; in front: ` + await frontWindowText(page)); });
        await page.locator('#last [data-field="result"] .value', { hasText: '1 (IDOK)' }).waitFor({ timeout: STEP });
        await page.screenshot({ path: path.join(outDir, `e2e-write-design-${what}-2-sent.png`) });
      };

      // A sample from the PC, into built-in storage's Flowers folder, without select-after-send.
      await page.locator('button[data-export="WriteSendDialog"]').click({ timeout: STEP });
      await page.locator('#cf-file').selectOption('Star.qef+');
      await page.locator('#cf-name').fill('Rose.qef+');
      await page.locator('#cf-offer').uncheck();
      await page.locator('#cf-target').selectOption('1');
      await send('sample', false);
      assert.equal(await page.locator('#last [data-field="folder"] .value').innerText(), '"\\\\EMB\\Flowers"');
      assert.equal(await page.locator('#last [data-field="storage"] .value').innerText(), '1');
      const sent = path.join(storage, 'builtin', 'EMB', 'Flowers', 'Rose.qef+');
      assert.ok(fs.existsSync(sent), 'the design arrived in the machine\'s Flowers folder');
      assert.deepEqual(fs.readFileSync(sent), fs.readFileSync(path.join(demo, 'Star.qef+')), 'byte for byte');

      // A file from the person's disk: the form offers the folder and storage the host kept, and
      // the dialog opens in that folder again.
      await page.locator('button[data-export="WriteSendDialog"]').click({ timeout: STEP });
      assert.equal(await page.locator('#cf-folder').inputValue(), '\\\\EMB\\Flowers');
      assert.equal(await page.locator('#cf-storage').inputValue(), '1');
      await page.locator('#cf-upload').setInputFiles(path.join(demo, 'shamrockin.qpx'));
      // The name follows once the file is read.
      await waitValue(page.locator('#cf-name'), 'shamrockin.qpx');
      await page.locator('#cf-offer').uncheck();
      await page.locator('#cf-target').selectOption('1');
      await send('upload', true);
      const uploaded = path.join(storage, 'builtin', 'EMB', 'Flowers', 'shamrockin.qpx');
      assert.ok(fs.existsSync(uploaded), 'the uploaded design arrived in the Flowers folder');
      assert.deepEqual(fs.readFileSync(uploaded), fs.readFileSync(path.join(demo, 'shamrockin.qpx')));
    });
  } finally {
    fs.rmSync(storage, { recursive: true, force: true });
  }
});

// ---- what a person does with the module, journey by journey, through the host's bar, the machine
// panel and the dialogs; each step leaves a screenshot e2e-<journey>-<n>-<step>.png.

const FM = 'File Manager', PC_LIST = 13011, MACHINE_LIST = 13018, TO_MACHINE = 13025, TO_PC = 13026;

// A machine storage holding the demo's files, in a folder the journey can look into.
function demoStorage() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tavren-e2e-storage-'));
  fs.cpSync(path.join(sourceDir, 'tests/fixtures/demo/machine'), dir, { recursive: true });
  return dir;
}

function shooter(page, journey) {
  let n = 0;
  return step => page.screenshot({ path: path.join(outDir, `e2e-${journey}-${++n}-${step}.png`) });
}

const win = (page, caption) => page.locator(`.window[data-caption="${caption}"]`);
const ctl = (page, caption, id) => win(page, caption).locator(`.ctl[data-id="${id}"]`);

async function whyNot(e, page) {
  return new Error(e.message + '\nin front: ' + await frontWindowText(page));
}

// Opens a File Manager export from the bar with a target; resolves when its window is up.
async function openManager(page, exportName, target, caption = FM) {
  await page.locator(`button[data-export="${exportName}"]:not([disabled])`).click({ timeout: STEP });
  await page.locator('#cf-target').selectOption(String(target));
  await page.locator('#cf-go').click({ timeout: STEP });
  await win(page, caption).waitFor({ timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
}

// The PC pane: Computer, drive C:, then a folder of it.
async function openPcFolder(page, folder, caption = FM, computer = 'Computer') {
  await waitItems(page, caption, PC_LIST, items => items.some(i => i.label === computer), 'the PC root view');
  await openItem(page, caption, PC_LIST, computer);
  await waitItems(page, caption, PC_LIST, items => items.some(i => /C:/.test(i.label)), 'the drives view');
  await openItem(page, caption, PC_LIST, 'C:');
  await waitItems(page, caption, PC_LIST, items => items.some(i => i.label === folder), 'drive C:');
  await openItem(page, caption, PC_LIST, folder);
}

// A click on a file's picture ticks it; waits until its picture is the ticked one (odd).
async function tick(page, caption, id, label) {
  await win(page, caption).locator(`.ctl[data-id="${id}"] [data-item][aria-label="${label}"] img`).click({ timeout: STEP });
  await waitItems(page, caption, id, items => items.some(i => i.label === label && i.picture % 2 === 1), `${label} ticked`);
}

async function press(page, caption, id) {
  const b = ctl(page, caption, id);
  await b.and(page.locator('[aria-disabled="false"]')).waitFor({ timeout: STEP })
    .catch(async e => { throw await whyNot(new Error(e.message + '\n' + await b.evaluate(x => x.outerHTML).catch(() => 'no such control')), page); });
  await b.click({ timeout: STEP });
}

// A message box in front with this caption whose text holds text, answered with a button.
async function answer(page, caption, text, buttonId) {
  const box = page.locator(`.window.front[data-caption="${caption}"]`);
  await box.waitFor({ timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
  assert.ok((await box.innerText()).includes(text), `"${caption}" says "${text}": ${await box.innerText()}`);
  await box.locator(`.ctl[data-id="${buttonId}"]`).click({ timeout: STEP });
  await box.waitFor({ state: 'detached', timeout: STEP });
}

async function closeManager(page, caption = FM) {
  await ctl(page, caption, 2).click({ timeout: STEP });
  await win(page, caption).waitFor({ state: 'detached', timeout: STEP });
}

const loadedHas = (...labels) => items => labels.every(l => items.some(i => i.label === l && i.loaded));

test('Journey: three designs sent to the machine, a clash answered No, one fetched back', { timeout: 120000 }, async t => {
  const storage = demoStorage();
  try {
    await withGui(t, ['--storage', storage], exported('ManageDesignDialog'), async page => {
      const shot = shooter(page, 'send-designs');
      await openManager(page, 'ManageDesignDialog', 2);
      await openPcFolder(page, 'Designs');
      await waitItems(page, FM, MACHINE_LIST, items => items.some(i => i.label === 'Built-in'), 'the machine root view');
      await openItem(page, FM, MACHINE_LIST, 'Built-in');
      await waitItems(page, FM, MACHINE_LIST, loadedHas('Star.qef', 'Flowers'), 'built-in storage');
      // Designs go into a folder of a storage's design folder.
      await openItem(page, FM, MACHINE_LIST, 'Flowers');
      await waitItems(page, FM, MACHINE_LIST, loadedHas('shamrockin.qef', 'shamrockin.qpx'), 'the Flowers folder');
      const SENT = ['Bean.qef', 'rectangle.qef', 'Embroidermodder-logo-2022.qef+'];
      await waitItems(page, FM, PC_LIST, loadedHas(...SENT), 'the PC designs');
      await shot('both-panes');

      // Three ticked on the PC; the machine answers slowly, so the progress dialog stays a while.
      for (const l of SENT) await tick(page, FM, PC_LIST, l);
      assert.equal((await ctl(page, FM, 13027).innerText()).trim(), '3', 'the PC counter counts three ticks');
      await shot('ticked');
      await page.locator('#machine button[data-toggle="slow"][aria-pressed="false"]').click({ timeout: STEP });
      await page.locator('#machine button[data-toggle="slow"][aria-pressed="true"]').waitFor({ timeout: STEP });
      await press(page, FM, TO_MACHINE);
      const progress = win(page, 'Send Designs');
      await progress.waitFor({ timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
      await progress.locator('[role="progressbar"]').waitFor({ timeout: STEP });
      await shot('progress');
      await page.locator('#machine button[data-toggle="slow"]').click({ timeout: STEP });
      await progress.waitFor({ state: 'detached', timeout: 20000 });
      await waitItems(page, FM, MACHINE_LIST, loadedHas(...SENT, 'shamrockin.qpx'), 'the three designs in the machine pane with their pictures');
      const flowers = path.join(storage, 'builtin', 'EMB', 'Flowers');
      for (const f of SENT)
        assert.deepEqual(fs.readFileSync(path.join(flowers, f)), fs.readFileSync(path.join(sourceDir, 'tests/fixtures/demo/pc/Designs', f)),
                         `${f} arrived byte for byte`);
      await page.locator('#machine button[data-toggle="slow"][aria-pressed="false"]').waitFor({ timeout: STEP });
      assert.equal((await ctl(page, FM, 13027).innerText()).trim(), '0', 'the ticks are cleared after the send');
      await shot('sent');
      // A click on a machine file ticks it and brings its thumbnail from the machine (pictures
      // from 26 on are thumbnails); a second click unticks it and keeps the thumbnail.
      const thumbnail = (label, ticked) => waitItems(page, FM, MACHINE_LIST,
        items => items.some(i => i.label === label && i.loaded && i.picture >= 26 && i.picture % 2 === (ticked ? 1 : 0)),
        `${label} with its thumbnail, ${ticked ? 'ticked' : 'unticked'}`);
      const itemPicture = label => win(page, FM).locator(`.ctl[data-id="${MACHINE_LIST}"] [data-item][aria-label="${label}"] img`);
      for (const f of SENT) {
        await itemPicture(f).click({ timeout: STEP });
        await thumbnail(f, true);
      }
      const thumbs = (await listItems(page, FM, MACHINE_LIST)).filter(i => SENT.includes(i.label)).map(i => i.picture);
      assert.equal(new Set(thumbs).size, 3, 'each sent design has a thumbnail of its own');
      await shot('thumbnails');
      if (process.env.E2E_DOCS_SCREENSHOT) await page.screenshot({ path: process.env.E2E_DOCS_SCREENSHOT });
      for (const f of SENT) {
        await page.waitForTimeout(300); // not a double-click
        await itemPicture(f).click({ timeout: STEP });
        await thumbnail(f, false);
      }

      // shamrockin.qpx is on the machine already: No leaves the machine's file as it is.
      const before = fs.readFileSync(path.join(flowers, 'shamrockin.qpx'));
      await tick(page, FM, PC_LIST, 'shamrockin.qpx');
      await press(page, FM, TO_MACHINE);
      await page.locator('.window.front[data-caption="Save As"]').waitFor({ timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
      await shot('clash');
      await answer(page, 'Save As', 'shamrockin.qpx already exists.', 7);
      assert.deepEqual(fs.readFileSync(path.join(flowers, 'shamrockin.qpx')), before, 'No kept the machine\'s file');

      // Back to the PC: shamrockin.qef from the machine into C:\Designs.
      await tick(page, FM, MACHINE_LIST, 'shamrockin.qef');
      await press(page, FM, TO_PC);
      await waitItems(page, FM, PC_LIST, loadedHas('shamrockin.qef', 'shamrockin.qpx'), 'shamrockin.qef fetched into the PC pane')
        .catch(async e => { throw await whyNot(e, page); });
      await shot('fetched');
      await closeManager(page);
    });
  } finally {
    fs.rmSync(storage, { recursive: true, force: true });
  }
});

// Sets one of the machine panel's selects and waits until the machine's state shows it.
async function machineSetting(page, id, value) {
  const before = await page.locator(`#${id}`).elementHandle({ timeout: STEP });
  await page.locator(`#${id}`).selectOption(value);
  // The select shows the choice at once; the panel is drawn anew from the machine's state only
  // once the machine has taken it, and that is what the next step needs.
  const until = Date.now() + STEP;
  while (!await page.evaluate(([id, old, v]) => {
    const e = document.getElementById(id);
    return !!e && e !== old && e.value === v;
  }, [id, before, value])) {
    if (Date.now() > until) throw new Error(`timed out waiting for the machine to take ${id} = ${value}`);
    await page.waitForTimeout(50);
  }
}

// Waits until a field reads text. (Not page.waitForFunction: that evaluates in the page, which the
// page's own security policy forbids, as it should.)
async function waitValue(field, text) {
  const until = Date.now() + STEP;
  let now = '';
  while ((now = await field.inputValue({ timeout: STEP })) !== text) {
    if (Date.now() > until) throw new Error(`timed out waiting for the field to read "${text}": it reads "${now}"`);
    await new Promise(r => setTimeout(r, 50));
  }
}

function infoSize(file) {
  const out = execFileSync(tavren, ['info', file], { encoding: 'utf8' });
  const m = /size: .*/.exec(out);
  assert.ok(m, 'tavren info gives the size:\n' + out);
  return m[0];
}

test('Journey: a DST design written onto the machine once it embroiders, then onto the PC\'s flash drive', { timeout: 120000 }, async t => {
  const storage = demoStorage();
  const notDst = path.join(storage, 'Scribble.dst');
  fs.writeFileSync(notDst, Buffer.alloc(700, 0x41));
  const dst = path.join(sourceDir, 'tests/fixtures/corpus/Star.DST');
  try {
    await withGui(t, ['--storage', storage], exported('WriteSendDialog'), async page => {
      const shot = shooter(page, 'write-dst');
      const WD = 'Write a Design';
      await page.locator('button[data-export="WriteSendDialog"]').click({ timeout: STEP });
      await page.locator('#cf-upload').setInputFiles(dst);
      await page.locator('#cf-note', { hasText: 'Star.DST is a DST design: it is converted to Star.qef' }).waitFor({ timeout: STEP });
      await page.locator('#cf-target').selectOption('1');
      await shot('form');
      await page.locator('#cf-go').click({ timeout: STEP });
      await win(page, WD).waitFor({ timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
      assert.equal(await ctl(page, WD, 13008).locator('input').inputValue(), 'Star.qef', 'the dialog offers the QEF name');
      await waitItems(page, WD, 13007, items => items.some(i => i.label === 'Built-in'), 'the machine in the list');
      await openItem(page, WD, 13007, 'Built-in');
      await waitItems(page, WD, 13007, items => items.some(i => i.label === 'Flowers'), 'built-in storage');
      await openItem(page, WD, 13007, 'Flowers');
      await waitItems(page, WD, 13007, items => items.some(i => i.label === 'shamrockin.qpx'), 'the Flowers folder');

      // Ordinary sewing mode: No to changing it sends nothing.
      await machineSetting(page, 'm-mode', '0');
      await press(page, WD, 13000);
      await page.locator('.window.front[data-caption="Confirm"]').waitFor({ timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
      await shot('sewing-mode');
      await answer(page, 'Confirm', 'Ordinary sewing mode will be changed to Embroidery mode.', 7);
      assert.ok(!fs.existsSync(path.join(storage, 'builtin', 'EMB', 'Flowers', 'Star.qef')), 'nothing sent after No');

      // Embroidery mode: the design goes, as QEF.
      await machineSetting(page, 'm-mode', '2');
      await press(page, WD, 13000);
      await win(page, WD).waitFor({ state: 'detached', timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
      await page.locator('#last [data-field="result"] .value', { hasText: '1 (IDOK)' }).waitFor({ timeout: STEP });
      const converted = await page.locator('#last [data-field="converted"] .value').innerText();
      assert.match(converted, /^Star\.DST \(DST\) into Star\.qef \(QEF\): 2585 stitch words in 2 colours, 59\.1 x 62\.3 mm$/);
      await shot('sent');
      const sent = path.join(storage, 'builtin', 'EMB', 'Flowers', 'Star.qef');
      assert.ok(fs.existsSync(sent), 'Star.qef arrived in the Flowers folder');
      assert.equal(infoSize(sent), infoSize(dst), 'the machine\'s design has the DST design\'s extents');

      // The same design onto the PC's flash drive, the other place a machine reads designs from.
      await page.locator('button[data-export="WriteSendDialog"]:not([disabled])').click({ timeout: STEP });
      await page.locator('#cf-upload').setInputFiles(dst);
      await page.locator('#cf-note', { hasText: 'Star.DST is a DST design' }).waitFor({ timeout: STEP });
      await page.locator('#cf-folder').fill('');
      await page.locator('#cf-target').selectOption('0');
      await page.locator('#cf-go').click({ timeout: STEP });
      await win(page, WD).waitFor({ timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
      await waitItems(page, WD, 13007, items => items.length === 1 && items[0].label === 'usb (E:)', 'the flash drive alone');
      await openItem(page, WD, 13007, 'usb (E:)');
      await waitItems(page, WD, 13007, items => items.some(i => i.label === 'Embf'), 'the design folder of the flash drive');
      await openItem(page, WD, 13007, 'Embf');
      await waitItems(page, WD, 13007, loadedHas('Bean.qef', 'Star.qpx'), 'the designs on the flash drive');
      await shot('flash-drive');
      await press(page, WD, 13000);
      await win(page, WD).waitFor({ state: 'detached', timeout: STEP }).catch(async e => { throw await whyNot(e, page); });
      await page.locator('#last [data-field="result"] .value', { hasText: '1 (IDOK)' }).waitFor({ timeout: STEP });
      assert.equal(await page.locator('#last [data-field="folder"] .value').innerText(), '"E:\\EMB\\Embf"');
      assert.match(await page.locator('#last [data-field="converted"] .value').innerText(), /^Star\.DST \(DST\) into Star\.qef/);
      await openManager(page, 'ManageDesignDialog', 0);
      await openItem(page, FM, MACHINE_LIST, 'usb (E:)');
      await waitItems(page, FM, MACHINE_LIST, items => items.some(i => i.label === 'Embf'), 'the design folder of the flash drive');
      await openItem(page, FM, MACHINE_LIST, 'Embf');
      await waitItems(page, FM, MACHINE_LIST, loadedHas('Star.qef', 'Bean.qef'), 'Star.qef on the flash drive');
      await shot('on-flash-drive');
      await closeManager(page);

      // Not a DST design: nothing opens, and the page says why.
      await page.locator('button[data-export="WriteSendDialog"]:not([disabled])').click({ timeout: STEP });
      await page.locator('#cf-upload').setInputFiles(notDst);
      await page.locator('#cf-note', { hasText: 'Scribble.dst is a DST design' }).waitFor({ timeout: STEP });
      await page.locator('#cf-go').click({ timeout: STEP });
      await page.locator('#last [data-field="refused"] .value', { hasText: 'Scribble.dst was not converted: it has no DST header' })
        .waitFor({ timeout: STEP });
      assert.equal(await page.locator('.window').count(), 0, 'no dialog opened');
      assert.equal(await page.locator('#last .host-label').innerText(), 'WriteSendDialog was not called');
      assert.equal(await page.locator('#last [data-field="result"]').count(), 0, 'no result without a call');
      await shot('refused');
    });
  } finally {
    fs.rmSync(storage, { recursive: true, force: true });
  }
});

test('Journey: STX patterns copied to the PC\'s flash drive', { timeout: 120000 }, async t => {
  await withGui(t, [], exported('ManageStxDialog'), async page => {
    const shot = shooter(page, 'stx-flash-drive');
    // USB flash drive only: the right pane shows the PC's flash drive instead of the machine.
    await openManager(page, 'ManageStxDialog', 0);
    await openPcFolder(page, 'Patterns');
    await waitItems(page, FM, MACHINE_LIST, items => items.length === 1 && items[0].label === 'usb (E:)', 'the flash drive E: alone');
    await openItem(page, FM, MACHINE_LIST, 'usb (E:)');
    await waitItems(page, FM, MACHINE_LIST, items => items.some(i => i.label === 'Ordf'), 'the pattern folder of the flash drive');
    await openItem(page, FM, MACHINE_LIST, 'Ordf');
    await waitItems(page, FM, MACHINE_LIST, loadedHas('Wave.stx', 'Zigzag.stx'), 'the patterns on the flash drive');
    await waitItems(page, FM, PC_LIST, loadedHas('Arrow.stx', 'Scallop.stx'), 'the PC\'s patterns');
    await tick(page, FM, PC_LIST, 'Arrow.stx');
    await tick(page, FM, PC_LIST, 'Scallop.stx');
    await shot('ticked');
    await press(page, FM, TO_MACHINE);
    const copied = await waitItems(page, FM, MACHINE_LIST, items => ['Arrow.stx', 'Scallop.stx', 'Wave.stx', 'Zigzag.stx']
      .every(l => items.some(i => i.label === l && i.loaded)) && items.length === 4, 'the two patterns on the flash drive')
      .catch(async e => { throw await whyNot(e, page); });
    const pc = await listItems(page, FM, PC_LIST);
    for (const l of ['Arrow.stx', 'Scallop.stx'])
      assert.equal(copied.find(i => i.label === l).picture % 2, 0, `${l} arrives unticked`);
    assert.ok(pc.every(i => i.picture % 2 === 0 || i.picture < 0), 'the PC pane\'s ticks are cleared');
    await shot('copied');

    await closeManager(page);
  });
});

test('Journey: Japanese and back, the File Manager speaking each language', { timeout: 120000 }, async t => {
  await withGui(t, ['--no-machine'], state => exported('ManageDesignDialog')(state) || (state.canChangeLanguage ? '' : 'no language module'),
                async page => {
    const shot = shooter(page, 'language');
    const language = async lang => {
      await page.locator(`#language button[data-language="${lang}"]:not([disabled])`).click({ timeout: STEP });
      await page.locator(`#language button[data-language="${lang}"][aria-pressed="true"]`).waitFor({ timeout: STEP });
    };
    const JA = 'ファイル マネージャー';
    await language(1041);
    await openManager(page, 'ManageDesignDialog', 0, JA);
    await waitItems(page, JA, PC_LIST, items => items.some(i => i.label === 'コンピューター'), 'the PC root view in Japanese');
    assert.equal(await ctl(page, JA, 2).innerText(), '閉じる', 'the close button in Japanese');
    await shot('japanese');
    await closeManager(page, JA);

    await language(1033);
    await openManager(page, 'ManageDesignDialog', 0);
    await waitItems(page, FM, PC_LIST, items => items.some(i => i.label === 'Computer'), 'the PC root view in English');
    assert.equal(await ctl(page, FM, 2).innerText(), 'Close');
    await shot('english');
    await closeManager(page);
  });
});
