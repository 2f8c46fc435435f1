// A newcomer's whole path through `velmora serve`, never touching the terminal after starting it:
// no workspace in a fresh home, one made with the wizard, the sample logs imported through the
// chooser, a parse run cancelled and one run to its end in the progress window, the summary
// read, a setting changed, every report exported and the written page opened, then Exit.
//
// Environment: VELMORA_BIN, LOGGEN_BIN, ARTIFACTS (screenshots), CHROMIUM.
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { artifacts, closeDialog, launchBrowser, openPage, loggen, menuCommand, serve, shot, stop, testHome, velmora } from './support.mjs';

const { home, env } = testHome('velmora-newcomer-');
const samples = path.join(home, 'sample-logs');
const sites = path.join(home, 'sites');
const ws = path.join(sites, 'mysite', 'mysite.stw');
const SAMPLES = [
  { name: 'access-2026-11-01.log', seed: 1, start: '2026-11-01', compress: null },
  { name: 'access-2026-11-11.log.gz', seed: 2, start: '2026-11-11', compress: 'gzip' },
  { name: 'access-2026-11-21.log.bz2', seed: 3, start: '2026-11-21', compress: 'bzip2' },
];

const cli = (...args) => execFileSync(velmora, ['-w', ws, ...args], { env, encoding: 'utf8', maxBuffer: 64 << 20 });

async function runEnded(page) {
  await page.locator('#job-window').waitFor({ state: 'detached', timeout: 60000 });
}

let browser;
let server;
let page;

before(async () => {
  assert.ok(velmora && loggen, 'VELMORA_BIN and LOGGEN_BIN name the programs under test');
  fs.mkdirSync(artifacts, { recursive: true });
  fs.mkdirSync(samples);
  fs.mkdirSync(sites);
  for (const s of SAMPLES) {
    const args = ['--format', 'combined', '--lines', '60000', '--seed', String(s.seed), '--start', s.start,
      '--days', '10', '-o', path.join(samples, s.name)];
    if (s.compress) args.push('--compress', s.compress);
    execFileSync(loggen, args, { env });
  }
  server = await serve([], env);
  browser = await launchBrowser();
  page = await openPage(browser, server.url);
  await page.waitForFunction(() => document.title === '[No Workspace Loaded] - Velmora');
});

after(async () => {
  if (browser) await browser.close();
  if (server) await stop(server);
  fs.rmSync(home, { recursive: true, force: true });
});

describe("a newcomer's path through velmora serve", () => {
  it('makes a workspace with the wizard', async () => {
    await menuCommand(page, 'File', 'new');
    await page.locator('dialog#wizard').waitFor();
    await page.fill('#wizard-name', 'mysite');
    await page.fill('#wizard-location', `${sites}/`);
    await page.fill('#wizard-server-names', 'www.example.com,example.com');
    await shot(page, 'newcomer-1-wizard');
    await page.click('#wizard-next');
    await page.click('#wizard-next');
    await shot(page, 'newcomer-2-wizard-retrieval');
    await page.click('#wizard-finish');
    await page.waitForFunction(() => document.title === '[mysite] - Velmora');
    await page.waitForSelector('#tree .tree-row');
    assert.ok(fs.existsSync(ws));
  });

  it('imports the sample logs through the chooser', async () => {
    await page.keyboard.press('F3');
    const folder = page.locator('#chooser-folder');
    await folder.waitFor();
    await folder.fill(samples);
    await folder.dispatchEvent('change');
    await page.locator(`#chooser-list input[data-name="${SAMPLES[0].name}"]`).waitFor();
    const ticked = await page.$$eval('#chooser-list input[type=checkbox]', (boxes) => boxes.filter((b) => b.checked).length);
    assert.equal(ticked, SAMPLES.length, 'every sample log is new');
    if (await page.isChecked('#chooser-box-parse')) await page.click('#chooser-box-parse');
    await shot(page, 'newcomer-3-chooser');
    await page.click('#chooser-ok');
    await runEnded(page);
    const stored = fs.readdirSync(path.join(sites, 'mysite', 'logs')).filter((name) => !name.startsWith('.'));
    assert.equal(stored.length, SAMPLES.length, stored.join());
  });

  it('cancels a parse run, then parses with the progress window', async () => {
    await page.keyboard.press('F4');
    await page.locator('#job-window').waitFor();
    await page.click('#job-cancel');
    const cancelled = page.locator('dialog', { hasText: 'The parse run was cancelled' });
    await cancelled.waitFor({ timeout: 30000 });
    await cancelled.locator('.buttons button', { hasText: 'OK' }).click();
    await runEnded(page);

    await page.keyboard.press('F4');
    await page.locator('#job-window').waitFor();
    await page.waitForFunction(() => (document.getElementById('job-status')?.textContent ?? 'ended') !== '');
    if (await page.locator('#job-window').count() > 0) await shot(page, 'newcomer-4-progress');
    await runEnded(page);
    assert.equal(cli('log').match(/Lines Processed: 60000/g)?.length, SAMPLES.length, 'every sample parsed whole');
  });

  it('reads the summary', async () => {
    await page.locator('li[data-report="traffic"] > .tree-row').click();
    // Until its chart is drawn the server holds the table files, which a second process may not open.
    await page.waitForFunction(() => {
      const img = document.getElementById('chart');
      return img && img.complete && img.naturalWidth > 0;
    }, null, { timeout: 20000 });
    const expected = JSON.parse(cli('report', 'traffic', '--format', 'json'));
    await page.waitForFunction((title) => document.getElementById('report-title')?.textContent === title, expected.title);
    const rows = await page.$$eval('#report-table tbody tr', (trs) => trs.map((r) => [...r.cells].map((c) => c.textContent)));
    assert.deepEqual(rows, expected.rows.map((r) => r.cells));
    await shot(page, 'newcomer-5-summary');
  });

  it('changes a setting in the Workspace settings dialog', async () => {
    await menuCommand(page, 'Workspace', 'settings');
    const dialog = page.locator('dialog', { hasText: 'Workspace settings' });
    await dialog.waitFor();
    await page.fill('#setting-default-file', 'index.html');
    await shot(page, 'newcomer-6-settings');
    await dialog.locator('.buttons button', { hasText: 'OK' }).click();
    await dialog.waitFor({ state: 'detached' });
    // The default file decides how requests are counted, so the page says when the change applies.
    await closeDialog(page, 'apply to the log files parsed from now on', 'OK');
    assert.equal(cli('settings', 'get', 'default-file').trim(), 'index.html');
  });

  it('exports every report and opens the written page', async () => {
    await menuCommand(page, 'Report', 'exportAll');
    const dialog = page.locator('dialog', { hasText: 'Save combined report as HTML file' });
    await dialog.waitFor();
    await dialog.locator('button', { hasText: 'OK' }).click();
    const link = page.locator('#exported-link');
    await link.waitFor({ timeout: 120000 });
    const [exported] = await Promise.all([page.context().waitForEvent('page'), link.click()]);
    await exported.waitForLoadState();
    assert.match(await exported.title(), /^Access Statistics for www\.example\.com/);
    const pictures = await exported.$$eval('img', (imgs) => imgs.map((i) => i.complete && i.naturalWidth > 0));
    assert.ok(pictures.length > 50 && pictures.every(Boolean), `${pictures.length} charts, all shown`);
    await shot(exported, 'newcomer-7-exported');
    await exported.close();
    await closeDialog(page, 'Open the exported page', 'OK');
  });

  it('leaves with Exit', async () => {
    await menuCommand(page, 'File', 'exit');
    const asked = page.locator('dialog', { hasText: 'Quit Velmora?' });
    await asked.waitFor();
    await asked.locator('button', { hasText: 'Yes' }).click();
    await page.waitForSelector('#stopped');
    assert.equal(await stop(server, null), 0);
    server = null;
  });
});
