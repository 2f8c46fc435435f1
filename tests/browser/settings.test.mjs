// "Workspace settings" and "Manage Imported Log Files" in a real browser. The dialog is walked
// page by page (a screenshot of each), a bad value is refused beside its field with nothing
// saved, good values are saved by OK and read back with `velmora settings show`, Cancel keeps
// everything, and no reply the page gets ever carries a password. The log files of a parsed
// workspace are listed with their size, compression and parsed state, a hostile name as text.
//
// Environment: VELMORA_BIN, ARTIFACTS (screenshots), CHROMIUM (default /usr/bin/chromium).
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { artifacts, closeDialog, launchBrowser, menuCommand, serve, shot, stop, testHome, velmora } from './support.mjs';

const FTP_PASSWORD = 'ftp-S3cret-1';
const HTTP_PASSWORD = 'http-S3cret-2';
const NEW_FTP_PASSWORD = 'typed-N3w-3';
const HOSTILE_NAME = '<img src=x onerror="window.pwned=1">.log';
const PAGES = ['General', 'Log Files', 'HTTP Settings', 'FTP Settings', 'File Types', 'Time Settings', 'Export', 'Filters'];
const LINE = '10.0.0.1 - - [10/Nov/2026:12:00:00 +0000] "GET /index.html HTTP/1.1" 200 512 "-" "Mozilla/5.0"\n';

const { home, env } = testHome('velmora-settings-');
const ws = path.join(home, 'site');
const cli = (...args) => execFileSync(velmora, ['-w', ws, ...args], { env, encoding: 'utf8' });
const shown = () => JSON.parse(cli('settings', 'show'));

let browser;
let server;
let page;
const replies = [];

async function openSettings() {
  await menuCommand(page, 'Workspace', 'settings');
  const dialog = page.locator('dialog', { hasText: 'Workspace settings' });
  await dialog.waitFor();
  return dialog;
}

async function tab(dialog, name) {
  await dialog.locator('.tabs .tab', { hasText: name }).click();
}

before(async () => {
  fs.mkdirSync(artifacts, { recursive: true });
  execFileSync(velmora, ['--yes', 'new', 'site', '--path', home], { env });
  fs.writeFileSync(path.join(ws, 'logs', 'access.log'), LINE.repeat(3));
  cli('parse');
  // Arrived after the run: not parsed.
  fs.writeFileSync(path.join(ws, 'logs', 'later.log.gz'), zlib.gzipSync(LINE));
  fs.writeFileSync(path.join(ws, 'logs', HOSTILE_NAME), LINE);
  cli('settings', 'set', 'ftp-password', FTP_PASSWORD);
  cli('settings', 'set', 'http-password', HTTP_PASSWORD);
  server = await serve(['-w', ws], env);
  browser = await launchBrowser();
  page = await browser.newPage({ viewport: { width: 1200, height: 820 } });
  page.on('pageerror', (error) => { throw error; });
  page.on('response', (response) => {
    if (new URL(response.url()).pathname.startsWith('/api/')) replies.push(response.text().catch(() => ''));
  });
  await page.goto(server.url);
  await page.waitForSelector('#tree .tree-row');
});

after(async () => {
  if (browser) await browser.close();
  if (server) assert.equal(await stop(server), 0);
  fs.rmSync(home, { recursive: true, force: true });
});

describe('workspace settings', () => {
  it('shows the eight pages with their fields', async () => {
    const dialog = await openSettings();
    assert.deepEqual(await dialog.locator('.tabs .tab').allTextContents(), PAGES);
    for (const [index, name] of PAGES.entries()) {
      await tab(dialog, name);
      await dialog.locator(`#settings-page-${index}`).waitFor({ state: 'visible' });
      await shot(page, `settings-${index + 1}-${name.replace(/ /g, '-').toLowerCase()}`);
    }
    const text = await dialog.textContent();
    for (const label of ['Server name(s):', 'Custom log file format string', 'Path to fetchlet.dll:',
      'Number of files to keep on server (1-9999):', 'Use Passive FTP (firewall and DSL modem compatibility)',
      'File Mask', 'Your time zone:', 'Limit entries in combined report to:', 'Enable Filters']) {
      assert.ok(text.includes(label), label);
    }
    assert.equal(await page.inputValue('#setting-workspace-name'), 'site');
    assert.equal(await page.inputValue('#setting-ftp-password'), '', 'no password in the field');
    assert.match(await page.getAttribute('#setting-ftp-password', 'placeholder'), /\(set/);
    await closeDialog(page, 'Workspace settings', 'Cancel');
  });

  it('refuses a bad value beside its field and saves nothing', async () => {
    const dialog = await openSettings();
    await tab(dialog, 'FTP Settings');
    await page.fill('#setting-ftp-port', '70000');
    await tab(dialog, 'General');
    await page.fill('#setting-session-timeout', '45');
    await dialog.locator('.buttons button', { hasText: 'OK' }).click();
    const problem = dialog.locator('#settings-problem');
    await problem.waitFor();
    assert.equal(await problem.textContent(), 'Must be a whole number from 1 to 65535');
    assert.ok(await dialog.locator('#settings-page-3').isVisible(), 'the FTP page comes forward');
    await shot(page, 'settings-9-refused');
    assert.equal(shown()['session-timeout'], 30, 'nothing saved');
    assert.equal(shown()['ftp-port'], 21);
    await closeDialog(page, 'Workspace settings', 'Cancel');
    assert.equal(shown()['session-timeout'], 30, 'Cancel saves nothing');
  });

  it('saves every page with OK, keeping the passwords not typed', async () => {
    const dialog = await openSettings();
    await page.fill('#setting-session-timeout', '45');
    await tab(dialog, 'FTP Settings');
    await page.fill('#setting-ftp-port', '2121');
    await page.fill('#setting-ftp-password', NEW_FTP_PASSWORD);
    await tab(dialog, 'Time Settings');
    await page.selectOption('#setting-your-time-zone', '30');
    await tab(dialog, 'File Types');
    await page.click('#rules-list-add');
    const group = page.locator('dialog', { hasText: 'File Group Properties' });
    await page.fill('#rule-masks', '*.pdf, *.epub');
    await page.selectOption('#rule-type', '2');
    await shot(page, 'settings-10-file-group');
    await closeDialog(page, 'File Group Properties', 'OK');
    await group.waitFor({ state: 'detached' });
    await tab(dialog, 'Filters');
    await page.check('#setting-enable-filters');
    await page.click('#log-filters-list-add');
    await page.locator('dialog', { hasText: 'Filter Properties' }).waitFor();
    await page.fill('#log-filter-name', 'Office');
    await shot(page, 'settings-11-filter-properties');
    await closeDialog(page, 'Filter Properties', 'OK');
    await dialog.locator('.buttons button', { hasText: 'OK' }).click();
    await dialog.waitFor({ state: 'detached' });
    // Timeout, zones, rules and filters decide parsing: the page says what that means.
    const note = page.locator('dialog', { hasText: 'apply to the log files parsed from now on' });
    await note.waitFor();
    await shot(page, 'settings-12-parsing-note');
    await closeDialog(page, 'Velmora', 'OK');

    const saved = shown();
    assert.equal(saved['session-timeout'], 45);
    assert.equal(saved['ftp-port'], 2121);
    assert.equal(saved['your-time-zone'], 30);
    assert.equal(saved['enable-filters'], 1);
    assert.deepEqual(saved['log-filters'].map((f) => [f.name, f['address-text']]), [['Office', '127.0.0.1']]);
    const masks = saved['resource-masks'].map((m) => m.mask);
    assert.deepEqual(masks.slice(-3), ['*.pdf', '*.epub', '*'], 'new rules go ahead of the catch-all');
    assert.equal(saved['resource-masks'].at(-2)['request-class'], 0x102);
    const file = path.join(home, 'exported.json');
    cli('settings', 'export', file);
    const real = JSON.parse(fs.readFileSync(file, 'utf8'));
    assert.equal(real['ftp-password'], NEW_FTP_PASSWORD, 'the typed password is saved');
    assert.equal(real['http-password'], HTTP_PASSWORD, 'the untyped one is kept');
  });

  it('never sends a password to the page', async () => {
    const texts = await Promise.all(replies);
    assert.ok(texts.some((t) => t.includes('"ftp-password-set":true')), 'the settings were fetched');
    for (const secret of [FTP_PASSWORD, HTTP_PASSWORD, NEW_FTP_PASSWORD]) {
      assert.ok(!texts.some((t) => t.includes(secret)), `${secret} in a reply`);
    }
  });
});

describe('manage imported log files', () => {
  it('lists the files of logs/ with size, compression and parsed state', async () => {
    await menuCommand(page, 'Workspace', 'manageLogs');
    const dialog = page.locator('dialog', { hasText: 'Manage Imported Log Files' });
    await dialog.waitFor();
    const rows = await page.$$eval('#log-files tbody tr', (trs) => trs.map((tr) => [...tr.cells].map((c) => c.textContent)));
    const size = (name) => fs.statSync(path.join(ws, 'logs', name)).size.toLocaleString('en-US');
    assert.deepEqual(rows, [
      [HOSTILE_NAME, size(HOSTILE_NAME), 'plain', 'No'],
      ['access.log', size('access.log'), 'plain', 'Yes'],
      ['later.log.gz', size('later.log.gz'), 'gzip', 'No'],
    ]);
    assert.equal(await page.evaluate(() => window.pwned), undefined, 'a file name ran nothing');
    assert.equal(await dialog.locator('tbody img').count(), 0);
    assert.ok(await page.locator('#open-logs-folder').isDisabled(), 'no desktop: the button is unavailable');
    assert.equal(await page.inputValue('#logs-folder'), path.join(ws, 'logs'));
    assert.match(await page.locator('#log-files-summary').textContent(), /^3 file\(s\), .*; 1 parsed, 2 to parse$/);
    await shot(page, 'settings-13-log-files');
    await closeDialog(page, 'Manage Imported Log Files', 'Close');
  });
});
