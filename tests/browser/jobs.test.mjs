// Retrieve and Parse in the page: the sample logs imported through the local chooser (the folder
// field, Select None, Invert, the check boxes), parse runs with the progress window (one
// cancelled), a second tab that sees the running job and is refused a second run, questions of
// the worker answered in either tab, and, with a worker slowed through the serve command's test
// seam, the five-second wait and the question whether to end the worker.
//
// Environment: VELMORA_BIN, LOGGEN_BIN, ARTIFACTS (screenshots), CHROMIUM.
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { artifacts, launchBrowser, openPage, serve, shot, stop, velmora } from './support.mjs';

const loggen = process.env.LOGGEN_BIN;
const home = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-jobs-'));
const env = { ...process.env, XDG_CONFIG_HOME: path.join(home, 'config'), HOME: home };
delete env.DISPLAY;
delete env.WAYLAND_DISPLAY;
const ws = path.join(home, 'demo');
const source = path.join(home, 'source');
const LOGS = ['access.log', 'access.log.1'];

let browser;
let server;
let page;

async function openTab(url) {
  const tab = await openPage(browser, url);
  await tab.waitForSelector('#tree .tree-row');
  return tab;
}

// Opens the chooser on the sample folder: the first list is of the documents folder, which
// holds no logs; the folder field lists another.
async function chooseSource(tab) {
  await tab.keyboard.press('F3');
  const folder = tab.locator('#chooser-folder');
  await folder.waitFor();
  await folder.fill(source);
  await folder.dispatchEvent('change');
  await tab.locator(`#chooser-list input[data-name="${LOGS[0]}"]`).waitFor();
}

function ticks(tab) {
  return tab.$$eval('#chooser-list input[type=checkbox]', (boxes) =>
    Object.fromEntries(boxes.map((b) => [b.dataset.name, b.checked])));
}

// The message box the run ended with (or any other) with `text`, closed by its OK.
async function expectMessage(tab, text) {
  const box = tab.locator('dialog', { hasText: text });
  await box.waitFor({ timeout: 20000 });
  await box.locator('.buttons button', { hasText: 'OK' }).click();
  await box.waitFor({ state: 'detached' });
}

async function runEnded(tab) {
  await tab.locator('#job-window').waitFor({ state: 'detached', timeout: 30000 });
}

const run = (program, args) => execFileSync(program, args, { env, encoding: 'utf8' });

before(async () => {
  assert.ok(velmora && loggen, 'VELMORA_BIN and LOGGEN_BIN name the programs under test');
  fs.mkdirSync(artifacts, { recursive: true });
  run(velmora, ['--yes', 'new', 'demo', '--path', home, '--server-names', 'www.example.com']);
  fs.mkdirSync(source);
  LOGS.forEach((name, seed) => {
    run(loggen, ['--format', 'combined', '--lines', '300000', '--seed', String(seed + 3), '--start',
      seed === 0 ? '2026-11-11' : '2026-11-01', '--days', '10', '-o', path.join(source, name)]);
  });
  fs.writeFileSync(path.join(source, 'notes.txt'), 'not a log\n');
  server = await serve(['-w', ws], env);
  browser = await launchBrowser();
  page = await openTab(server.url);
});

after(async () => {
  if (browser) await browser.close();
  if (server) await stop(server);
  fs.rmSync(home, { recursive: true, force: true });
});

describe('Retrieve and Parse in the page', () => {
  it('imports the sample logs through the local chooser', async () => {
    await chooseSource(page);
    // Browse picks the folder shown in the served folder browser, and the list is made again.
    await page.click('#chooser-browse');
    await page.locator('#folder-browser').waitFor();
    await page.click('#browse-ok');
    await page.locator('#folder-browser').waitFor({ state: 'detached' });
    await page.locator(`#chooser-list input[data-name="${LOGS[0]}"]`).waitFor();
    assert.equal(await page.inputValue('#chooser-folder'), `${source}/`);
    assert.deepEqual(await ticks(page), { [LOGS[1]]: true, [LOGS[0]]: true }, 'new logs are ticked, notes.txt is no log');
    await page.click('#chooser-none');
    assert.deepEqual(await ticks(page), { [LOGS[1]]: false, [LOGS[0]]: false });
    await page.click(`#chooser-list input[data-name="${LOGS[1]}"]`);
    await page.click('#chooser-invert');
    assert.deepEqual(await ticks(page), { [LOGS[1]]: false, [LOGS[0]]: true });
    await page.click(`#chooser-list input[data-name="${LOGS[1]}"]`);
    // A new workspace parses after a retrieval; this one parses when told to.
    assert.equal(await page.isChecked('#chooser-box-parse'), true);
    await page.click('#chooser-box-parse');
    await shot(page, 'jobs-chooser');
    await page.click('#chooser-ok');
    await runEnded(page);
    const stored = fs.readdirSync(path.join(ws, 'logs')).filter((name) => !name.startsWith('.'));
    assert.equal(stored.length, 2, stored.join());
  });

  // The logs are large enough that the run lasts a second or so: Cancel lands before its end.
  it('cancels a parse run, then parses with the progress window', async () => {
    await page.keyboard.press('F4');
    await page.locator('#job-window').waitFor();
    await page.click('#job-cancel');
    await expectMessage(page, 'The parse run was cancelled');
    await runEnded(page);

    await page.keyboard.press('F4');
    const status = page.locator('#job-status');
    await page.waitForFunction(() => {
      const s = document.getElementById('job-status');
      return !s || s.textContent !== '';
    });
    if (await status.count() > 0) await shot(page, 'jobs-progress');
    await runEnded(page);
    const state = await page.evaluate(async () => (await fetch(`/api/state`, {
      headers: { 'X-Velmora-Token': new URLSearchParams(location.search).get('token') },
    })).json());
    assert.equal(state.workspace.parsing_log, true);
  });

  it('shows the running job in a second tab, refuses it a second run and takes answers from both', async () => {
    const second = await openTab(server.url);
    await chooseSource(page);
    await second.locator('#job-window').waitFor({ timeout: 10000 });
    await second.locator('#chooser-list').waitFor();
    assert.deepEqual(await ticks(second), { [LOGS[1]]: false, [LOGS[0]]: false }, 'stored logs are not new');

    await second.keyboard.press('F4');
    await expectMessage(second, 'is under way in this or another tab');

    await page.click('#chooser-all');
    await page.click('#chooser-ok');
    const overwrite = page.locator('#job-question', { hasText: 'already exists' });
    await overwrite.waitFor();
    assert.deepEqual(await overwrite.locator('.buttons button').allTextContents(), ['Yes', 'Yes to All', 'No to All', 'No']);
    await shot(page, 'jobs-question');
    await page.click('#job-question button[data-answer="yes_to_all"]');
    // The replaced files had been parsed: the other tab answers the offer to remove the data.
    const removeAll = second.locator('#job-question', { hasText: 'Remove all collected data' });
    await removeAll.waitFor();
    await second.click('#job-question button[data-answer="no"]');
    await runEnded(page);
    await runEnded(second);
    await second.close();
  });

  it('waits five seconds for a slow worker and asks whether to end it', async () => {
    await stop(server);
    server = await serve(['-w', ws], { ...env, VELMORA_SERVE_SLOW_WORKER: '7000' });
    await page.goto(server.url);
    await page.waitForSelector('#tree .tree-row');
    await chooseSource(page);
    await page.click('#chooser-none');
    await page.click(`#chooser-list input[data-name="${LOGS[0]}"]`);
    await page.click('#chooser-ok');
    await page.locator('#job-window').waitFor();
    const started = Date.now();
    await page.click('#job-cancel');
    await page.locator('#job-wait').waitFor({ state: 'visible' });
    await shot(page, 'jobs-wait');
    const ask = page.locator('#job-question', { hasText: 'Terminate processing thread?' });
    await ask.waitFor({ timeout: 10000 });
    const waited = Date.now() - started;
    assert.ok(waited >= 4500, `asked after ${waited} ms`);
    await shot(page, 'jobs-terminate');
    await page.click('#job-question button[data-answer="no"]');
    await runEnded(page);
    assert.ok(Date.now() - started >= 6500, 'No waited for the worker, which ended by itself');
  });

  it('says which logs a parse run could not read', async () => {
    fs.symlinkSync(path.join(home, 'nowhere'), path.join(ws, 'logs', 'gone.log'));
    await page.keyboard.press('F4');
    const said = page.locator('dialog', { hasText: 'gone.log: cannot open: No such file or directory' });
    await said.waitFor({ timeout: 30000 });
    assert.match(await said.textContent(), /1 new file\(s\) were skipped; Workspace > View Latest Parsing Log says why/);
    await shot(page, 'jobs-unreadable');
    await said.locator('.buttons button', { hasText: 'OK' }).click();
    await runEnded(page);
  });
});
