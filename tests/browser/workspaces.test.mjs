// The File menu of `velmora serve` in a real browser, as a newcomer meets it: no workspace in a
// fresh home, "(empty)" under Recent Workspaces, a workspace made through the wizard (a refused
// name first, then the folder picked in the served browser), a second one through the FTP pages
// over files that are there (after the question), the first one opened again through Open
// Workspace, the browser's refusals outside the home folder, and Exit, which stops the server.
//
// Environment: VELMORA_BIN, ARTIFACTS (screenshots), CHROMIUM (default /usr/bin/chromium).
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { artifacts, closeDialog, launchBrowser, openPage, menuCommand, request, serve, shot, stop, velmora } from './support.mjs';

const home = fs.realpathSync(fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-wizard-')));
const outside = fs.realpathSync(fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-outside-')));
const env = { ...process.env, XDG_CONFIG_HOME: path.join(home, 'config'), HOME: home };
delete env.DISPLAY;
delete env.WAYLAND_DISPLAY;
delete env.XDG_DOCUMENTS_DIR;
const sites = path.join(home, 'sites');

function setting(file, key) {
  return execFileSync(velmora, ['-w', file, 'settings', 'get', key], { env, encoding: 'utf8' }).trim();
}

const wizard = (page) => page.locator('dialog#wizard');
const wizardCaption = (page) => wizard(page).locator('.caption').textContent();

async function wizardPage(page, title, name) {
  assert.equal(await wizardCaption(page), title);
  await shot(page, `wizard-${name}`);
}

// Waits until the page shows the workspace `name` with its report tree.
async function workspaceShown(page, name) {
  await page.waitForFunction((title) => document.title === title, `[${name}] - Velmora`);
  await page.waitForSelector('#tree .tree-row');
}

let browser;
let server;
let page;

before(async () => {
  assert.ok(velmora, 'VELMORA_BIN names the program under test');
  fs.mkdirSync(artifacts, { recursive: true });
  fs.mkdirSync(sites);
  fs.mkdirSync(path.join(sites, 'second'));
  fs.writeFileSync(path.join(sites, 'second', 'notes.txt'), 'a file the new workspace would overwrite\n');
  fs.writeFileSync(path.join(outside, 'elsewhere.stw'), 'STP');
  fs.symlinkSync(outside, path.join(home, 'link-out'));
  server = await serve([], env);
  browser = await launchBrowser();
  page = await openPage(browser, server.url);
  await page.waitForFunction(() => document.title === '[No Workspace Loaded] - Velmora');
});

after(async () => {
  if (browser) await browser.close();
  if (server) await stop(server);
  fs.rmSync(home, { recursive: true, force: true });
  fs.rmSync(outside, { recursive: true, force: true });
});

describe('the File menu of velmora serve', () => {
  it('shows "(empty)" under Recent Workspaces in a fresh home', async () => {
    await page.locator('.menu-title', { hasText: 'File' }).dispatchEvent('mousedown');
    await page.locator('.menu-item[data-command=recent]').hover();
    const items = page.locator('.submenu .menu-item');
    assert.equal(await items.count(), 1);
    assert.equal(await items.textContent(), '(empty)');
    assert.match(await items.getAttribute('class'), /disabled/);
    await shot(page, 'recent-empty');
    await page.keyboard.press('Escape');
  });

  it('makes a workspace through the wizard, after refusing an invalid name', async () => {
    await menuCommand(page, 'File', 'new');
    await wizard(page).waitFor();
    assert.equal(await page.inputValue('#wizard-name'), 'New Workspace');
    assert.equal(await page.inputValue('#wizard-location'), path.join(home, 'Documents', 'Velmora Workspaces') + '/');
    assert.equal(await page.inputValue('#wizard-default-file'), 'index.htm');
    assert.equal(await page.isDisabled('#wizard-back'), true);
    assert.equal(await page.isDisabled('#wizard-finish'), true);
    await page.fill('#wizard-name', 'bad:name');
    await page.fill('#wizard-server-names', 'www.example.com');
    await wizardPage(page, 'Create new workspace - general settings', '1-general');

    await page.click('#wizard-next');
    await wizardPage(page, 'Create new workspace - choose log file format', '2-format');
    assert.equal(await page.isChecked('#wizard-log-format-mode-1'), true, 'autodetect by default');
    assert.equal(await page.isDisabled('#wizard-custom-format'), true);
    await page.check('#wizard-log-format-mode-2');
    assert.equal(await page.isDisabled('#wizard-custom-format'), false, 'the custom format is typed when chosen');
    await page.check('#wizard-log-format-mode-1');
    await page.click('#wizard-next');
    await wizardPage(page, 'Create new workspace - choose log files retrieving method', '3-retrieval');
    assert.equal(await page.isChecked('#wizard-retrieve-method-2'), true, 'from a local directory by default');
    assert.equal(await page.isChecked('#wizard-local-compression-1'), true, 'GZIP by default');
    assert.equal(await page.isDisabled('#wizard-next'), true, 'the local directory needs no more pages');
    await page.click('#wizard-finish');

    const refusal = page.locator('dialog', { hasText: 'The workspace name is invalid' });
    await refusal.waitFor();
    assert.equal(await refusal.locator('.caption').textContent(), 'Velmora');
    await shot(page, 'wizard-invalid-name');
    await closeDialog(page, 'The workspace name is invalid', 'OK');
    await wizard(page).waitFor();
    assert.equal(await wizardCaption(page), 'Create new workspace - general settings', 'the wizard again');
    assert.equal(await page.inputValue('#wizard-name'), 'bad:name', 'with the values entered');
    assert.equal(await page.inputValue('#wizard-server-names'), 'www.example.com');

    await page.fill('#wizard-name', 'first');
    await page.click('#wizard-browse');
    const chooser = page.locator('dialog#folder-browser');
    await chooser.waitFor();
    await page.waitForFunction((h) => document.getElementById('browse-path').textContent === h, home);
    const shown = await chooser.locator('.browse-entry').allTextContents();
    assert.ok(shown.some((t) => t.endsWith('sites')), `the home folder's folders: ${shown}`);
    assert.ok(!shown.some((t) => t.endsWith('link-out')), 'no link out of the home folder');
    await chooser.locator('.browse-entry', { hasText: 'sites' }).click();
    assert.equal(await page.inputValue('#browse-chosen'), sites);
    await shot(page, 'browse-folder');
    await page.click('#browse-ok');
    await chooser.waitFor({ state: 'detached' });
    assert.equal(await page.inputValue('#wizard-location'), `${sites}/`);
    await page.click('#wizard-next');
    await page.click('#wizard-next');
    await page.click('#wizard-finish');

    await workspaceShown(page, 'first');
    const file = path.join(sites, 'first', 'first.stw');
    assert.ok(fs.existsSync(file));
    assert.equal(setting(file, 'server-names'), 'www.example.com');
    assert.equal(setting(file, 'retrieve-method'), '2');
    assert.equal(setting(file, 'local-compression'), '1');
    await shot(page, 'wizard-first-open');
  });

  it('makes a second through the FTP pages, asking before it overwrites', async () => {
    await menuCommand(page, 'File', 'new');
    await wizard(page).waitFor();
    await page.fill('#wizard-name', 'second');
    await page.fill('#wizard-location', '~/sites');
    await page.click('#wizard-next');
    await page.click('#wizard-next');
    await page.check('#wizard-retrieve-method-0');
    assert.equal(await page.isDisabled('#wizard-finish'), true, 'the Fetchlet page comes first');
    await page.click('#wizard-next');
    await wizardPage(page, 'Create new workspace - fill in parameters for Fetchlet interface', '4-fetchlet');
    assert.equal(await page.inputValue('#wizard-fetchlet-path'), '/cgi-bin/fl.dll');
    assert.equal(await page.inputValue('#wizard-http-files-to-keep'), '91');
    await page.click('#wizard-back');
    await page.check('#wizard-retrieve-method-1');
    await page.click('#wizard-next');
    assert.equal(await page.inputValue('#wizard-ftp-port'), '21');
    assert.equal(await page.inputValue('#wizard-ftp-log-path'), '/logs/');
    assert.equal(await page.isChecked('#wizard-passive-ftp'), true);
    await page.fill('#wizard-ftp-server', 'ftp.example.com');
    await page.fill('#wizard-ftp-port', '2121');
    await page.fill('#wizard-ftp-login', 'logs');
    await page.fill('#wizard-ftp-password', 'secret-word');
    await page.uncheck('#wizard-passive-ftp');
    await wizardPage(page, 'Create new workspace - fill in parameters for FTP connection', '5-ftp');
    await page.click('#wizard-finish');

    const asked = page.locator('dialog', { hasText: 'This action will overwrite some files in the' });
    await asked.waitFor();
    assert.match(await asked.textContent(), new RegExp(`${sites}/second`));
    await shot(page, 'wizard-overwrite-question');
    const [created] = await Promise.all([
      page.waitForResponse((r) => r.url().endsWith('/api/new-workspace') && r.request().method() === 'POST'),
      asked.locator('button', { hasText: 'Yes' }).click(),
    ]);
    assert.ok(!(await created.text()).includes('secret-word'), 'the password is not sent back');
    await workspaceShown(page, 'second');
    const file = path.join(sites, 'second', 'second.stw');
    assert.deepEqual(['retrieve-method', 'ftp-server', 'ftp-port', 'ftp-login', 'ftp-password', 'passive-ftp'].map((k) => setting(file, k)),
      ['1', 'ftp.example.com', '2121', 'logs', '(set)', '0']);

    await page.locator('.menu-title', { hasText: 'File' }).dispatchEvent('mousedown');
    await page.locator('.menu-item[data-command=recent]').hover();
    assert.deepEqual(await page.locator('.submenu .menu-item').allTextContents(),
      [`1 ${file}`, `2 ${path.join(sites, 'first', 'first.stw')}`]);
    await page.keyboard.press('Escape');
  });

  it('opens the first workspace again through Open Workspace', async () => {
    await menuCommand(page, 'File', 'open');
    const chooser = page.locator('dialog#folder-browser');
    await chooser.waitFor();
    assert.equal(await chooser.locator('.caption').textContent(), 'Open Workspace');
    await page.waitForFunction((h) => document.getElementById('browse-path').textContent === h, home);
    await chooser.locator('.browse-entry', { hasText: 'sites' }).dblclick();
    await page.waitForFunction((s) => document.getElementById('browse-path').textContent === s, sites);
    await chooser.locator('.browse-entry', { hasText: 'first' }).dblclick();
    await chooser.locator('.browse-entry', { hasText: 'first.stw' }).click();
    await shot(page, 'open-workspace');
    await page.click('#browse-up');
    await page.waitForFunction((s) => document.getElementById('browse-path').textContent === s, sites);
    await chooser.locator('.browse-entry', { hasText: 'first' }).dblclick();
    await chooser.locator('.browse-entry', { hasText: 'first.stw' }).click();
    await page.click('#browse-ok');
    await workspaceShown(page, 'first');
  });

  it('refuses to look, open or make anything outside the home and recent folders', async () => {
    const { port, token } = server;
    const headers = { Host: `127.0.0.1:${port}`, 'X-Velmora-Token': token, 'Content-Type': 'application/json' };
    const cases = [
      { what: 'a folder elsewhere', pathname: `/api/browse?path=${encodeURIComponent(outside)}`, status: 403 },
      { what: '.. out of home', pathname: `/api/browse?path=${encodeURIComponent(`${home}/sites/../..`)}`, status: 403 },
      { what: 'a link out of home', pathname: `/api/browse?path=${encodeURIComponent(`${home}/link-out`)}`, status: 403 },
      { what: 'a folder not there', pathname: `/api/browse?path=${encodeURIComponent(`${home}/none`)}`, status: 404 },
      { what: 'a recent workspace folder', pathname: `/api/browse?path=${encodeURIComponent(`${sites}/second`)}`, status: 200 },
      { what: 'a file elsewhere', method: 'POST', pathname: '/api/open', body: { path: path.join(outside, 'elsewhere.stw') }, status: 403 },
      { what: 'a file through the link', method: 'POST', pathname: '/api/open', body: { path: `${home}/link-out/elsewhere.stw` }, status: 403 },
      { what: 'a file that is no workspace', method: 'POST', pathname: '/api/open', body: { path: `${sites}/second/notes.txt` }, status: 400 },
      { what: 'a workspace made elsewhere', method: 'POST', pathname: '/api/new-workspace', body: { name: 'x', location: outside }, status: 403 },
      { what: 'a setting the wizard does not set', method: 'POST', pathname: '/api/new-workspace', body: { name: 'x', location: sites, settings: { 'session-timeout': '5' } }, status: 400 },
    ];
    for (const c of cases) {
      const res = await request(port, { method: c.method, pathname: c.pathname, headers, body: c.body && JSON.stringify(c.body) });
      assert.equal(res.status, c.status, `${c.what}: ${res.body}`);
      if (c.status === 403) assert.match(JSON.parse(res.body).error, /outside the folders the page may show/, c.what);
    }
    assert.equal(fs.existsSync(path.join(outside, 'x')), false, 'nothing was made elsewhere');
    assert.equal(fs.existsSync(path.join(sites, 'x')), false, 'nor with a refused setting');
  });

  it('stops the server on Exit once asked', async () => {
    await menuCommand(page, 'File', 'exit');
    const asked = page.locator('dialog', { hasText: 'Quit Velmora?' });
    await asked.waitFor();
    await shot(page, 'exit-question');
    await asked.locator('button', { hasText: 'Yes' }).click();
    await page.waitForSelector('#stopped');
    assert.match(await page.locator('#stopped').textContent(), /Velmora has stopped/);
    await shot(page, 'exit-stopped');
    assert.equal(await stop(server, null), 0, 'the server ends by itself, cleanly');
    server = null;
  });
});
