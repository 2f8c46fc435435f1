// A newcomer's whole path through `velmora serve`, never touching the terminal after starting it,
// then the rest of the File menu and the harder turns of a run. From a fresh home: "No Workspace
// Loaded" with the workspace commands unavailable and "(empty)" under Recent Workspaces; a
// workspace made with the wizard (a refused name first, then the folder picked in the served
// browser); the sample logs (plain, gzip, bzip2) imported through the chooser (Browse, Select None,
// Invert, the check boxes); a parse run cancelled and one run to its end in the progress window;
// the summary read; a setting changed; every report exported with a limit and the written page
// opened; a second tab that sees the running job, is refused a second run and answers its
// questions; a second workspace through the FTP pages over files that are there (after the
// question); the first opened again through Open Workspace; the refusals outside the home folder;
// Exit, which stops the server. Last, with a worker slowed through the serve command's test seam,
// the five-second wait and the question whether to end the worker, and a run that says which logs
// it could not read.
//
// Environment: VELMORA_BIN, LOGGEN_BIN, ARTIFACTS (screenshots), CHROMIUM.
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  artifacts, closeDialog, launchBrowser, loggen, menuCommand, menuState, openPage, request, serve, shot, stop,
  testHome, velmora,
} from './support.mjs';

const { home, env } = testHome('velmora-newcomer-');
const outside = fs.realpathSync(fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-outside-')));
const samples = path.join(home, 'sample-logs');
const sites = path.join(home, 'sites');
const ws = path.join(sites, 'first', 'first.stw');
const SAMPLES = [
  { name: 'access-2026-11-01.log', seed: 1, start: '2026-11-01', compress: null },
  { name: 'access-2026-11-11.log.gz', seed: 2, start: '2026-11-11', compress: 'gzip' },
  { name: 'access-2026-11-21.log.bz2', seed: 3, start: '2026-11-21', compress: 'bzip2' },
];

const cli = (...args) => execFileSync(velmora, ['-w', ws, ...args], { env, encoding: 'utf8', maxBuffer: 64 << 20 });
const setting = (file, key) => execFileSync(velmora, ['-w', file, 'settings', 'get', key], { env, encoding: 'utf8' }).trim();

const wizard = (page) => page.locator('dialog#wizard');
const wizardCaption = (page) => wizard(page).locator('.caption').textContent();

async function wizardPage(page, title, picture) {
  assert.equal(await wizardCaption(page), title);
  await shot(page, picture);
}

// Waits until the page shows the workspace `name` with its report tree.
async function workspaceShown(page, name) {
  await page.waitForFunction((title) => document.title === title, `[${name}] - Velmora`);
  await page.waitForSelector('#tree .tree-row');
}

async function openRecentMenu(page) {
  await page.locator('.menu-title', { hasText: 'File' }).dispatchEvent('mousedown');
  await page.locator('.menu-item[data-command=recent]').hover();
  return page.locator('.submenu .menu-item');
}

// Opens the chooser on the sample folder: the first list is of the documents folder, which
// holds no logs; the folder field lists another.
async function chooseSamples(tab) {
  await tab.keyboard.press('F3');
  const folder = tab.locator('#chooser-folder');
  await folder.waitFor();
  await folder.fill(samples);
  await folder.dispatchEvent('change');
  await tab.locator(`#chooser-list input[data-name="${SAMPLES[0].name}"]`).waitFor();
}

function ticks(tab) {
  return tab.$$eval('#chooser-list input[type=checkbox]', (boxes) =>
    Object.fromEntries(boxes.map((b) => [b.dataset.name, b.checked])));
}
const ticked = (...states) => Object.fromEntries(SAMPLES.map((s, i) => [s.name, states[i]]));

// The message box the run ended with (or any other) with `text`, closed by its OK.
async function expectMessage(tab, text) {
  const box = tab.locator('dialog', { hasText: text });
  await box.waitFor({ timeout: 30000 });
  await box.locator('.buttons button', { hasText: 'OK' }).click();
  await box.waitFor({ state: 'detached' });
}

async function runEnded(tab) {
  await tab.locator('#job-window').waitFor({ state: 'detached', timeout: 60000 });
}

let browser;
let server;
let page;

before(async () => {
  assert.ok(velmora && loggen, 'VELMORA_BIN and LOGGEN_BIN name the programs under test');
  fs.mkdirSync(artifacts, { recursive: true });
  fs.mkdirSync(samples);
  for (const s of SAMPLES) {
    const args = ['--format', 'combined', '--lines', '60000', '--seed', String(s.seed), '--start', s.start,
      '--days', '10', '-o', path.join(samples, s.name)];
    if (s.compress) args.push('--compress', s.compress);
    execFileSync(loggen, args, { env });
  }
  fs.writeFileSync(path.join(samples, 'notes.txt'), 'not a log\n');
  fs.mkdirSync(path.join(sites, 'second'), { recursive: true });
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

describe("a newcomer's path through velmora serve", () => {
  it('starts with no workspace: its commands unavailable, "(empty)" under Recent Workspaces', async () => {
    const work = await menuState(page, 'Workspace');
    assert.ok(Object.values(work.items).every((enabled) => !enabled), 'every Workspace command is unavailable');
    const file = await menuState(page, 'File');
    assert.ok(file.items.new && file.items.open && file.items.exit, 'File commands stay');
    assert.equal((await menuState(page, 'Report')).items.exportAll, false);
    await shot(page, '09-no-workspace');
    const items = await openRecentMenu(page);
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
    await wizardPage(page, 'Create new workspace - general settings', 'newcomer-1-wizard');

    await page.click('#wizard-next');
    await wizardPage(page, 'Create new workspace - choose log file format', 'wizard-2-format');
    assert.equal(await page.isChecked('#wizard-log-format-mode-1'), true, 'autodetect by default');
    assert.equal(await page.isDisabled('#wizard-custom-format'), true);
    await page.check('#wizard-log-format-mode-2');
    assert.equal(await page.isDisabled('#wizard-custom-format'), false, 'the custom format is typed when chosen');
    await page.check('#wizard-log-format-mode-1');
    await page.click('#wizard-next');
    await wizardPage(page, 'Create new workspace - choose log files retrieving method', 'newcomer-2-wizard-retrieval');
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
    assert.equal(setting(ws, 'server-names'), 'www.example.com');
    assert.equal(setting(ws, 'retrieve-method'), '2');
    assert.equal(setting(ws, 'local-compression'), '1');
    await shot(page, 'wizard-first-open');
  });

  it('imports the sample logs through the chooser', async () => {
    await chooseSamples(page);
    // Browse picks the folder shown in the served folder browser, and the list is made again.
    await page.click('#chooser-browse');
    await page.locator('#folder-browser').waitFor();
    await page.click('#browse-ok');
    await page.locator('#folder-browser').waitFor({ state: 'detached' });
    await page.locator(`#chooser-list input[data-name="${SAMPLES[0].name}"]`).waitFor();
    assert.equal(await page.inputValue('#chooser-folder'), `${samples}/`);
    assert.deepEqual(await ticks(page), ticked(true, true, true), 'new logs are ticked, notes.txt is no log');
    await page.click('#chooser-none');
    assert.deepEqual(await ticks(page), ticked(false, false, false));
    await page.click(`#chooser-list input[data-name="${SAMPLES[1].name}"]`);
    await page.click('#chooser-invert');
    assert.deepEqual(await ticks(page), ticked(true, false, true));
    await shot(page, 'jobs-chooser');
    await page.click(`#chooser-list input[data-name="${SAMPLES[1].name}"]`);
    // A new workspace parses after a retrieval; the path below parses when told to.
    assert.equal(await page.isChecked('#chooser-box-parse'), true);
    await page.click('#chooser-box-parse');
    await shot(page, 'newcomer-3-chooser');
    await page.click('#chooser-ok');
    await runEnded(page);
    const stored = fs.readdirSync(path.join(sites, 'first', 'logs')).filter((name) => !name.startsWith('.'));
    assert.equal(stored.length, SAMPLES.length, stored.join());
  });

  // The logs are large enough that the run lasts a second or so: Cancel lands before its end.
  it('cancels a parse run, then parses with the progress window', async () => {
    await page.keyboard.press('F4');
    await page.locator('#job-window').waitFor();
    await page.click('#job-cancel');
    await expectMessage(page, 'The parse run was cancelled');
    await runEnded(page);

    await page.keyboard.press('F4');
    await page.locator('#job-window').waitFor();
    await page.waitForFunction(() => (document.getElementById('job-status')?.textContent ?? 'ended') !== '');
    if (await page.locator('#job-window').count() > 0) {
      await shot(page, 'newcomer-4-progress');
      await shot(page, 'jobs-progress');
    }
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
    assert.equal(setting(ws, 'default-file'), 'index.html');
  });

  it('exports every report with a limit and opens the written page', async () => {
    await menuCommand(page, 'Report', 'exportAll');
    const dialog = page.locator('dialog', { hasText: 'Save combined report as HTML file' });
    await dialog.waitFor();
    assert.match(await dialog.textContent(), /Maximum number of entries in individual reports:.*Sort all reports by:/s);
    await page.fill('#export-limit', '3');
    await page.selectOption('#export-sort', '3');
    await dialog.locator('button', { hasText: 'OK' }).click();
    const link = page.locator('#exported-link');
    await link.waitFor({ timeout: 120000 });
    const [exported] = await Promise.all([page.context().waitForEvent('page'), link.click()]);
    await exported.waitForLoadState();
    assert.match(await exported.title(), /^Access Statistics for www\.example\.com/);
    const tables = await exported.$$eval('table', (nodes) => nodes.length);
    assert.ok(tables > 50, `the tables of every report: ${tables}`);
    const pictures = await exported.$$eval('img', (imgs) => imgs.map((i) => i.complete && i.naturalWidth > 0));
    assert.ok(pictures.length > 50 && pictures.every(Boolean), `${pictures.length} charts and icons, all shown`);
    await shot(exported, 'newcomer-7-exported');
    await exported.close();
    await closeDialog(page, 'Open the exported page', 'OK');
    const escape = await request(server.port, {
      pathname: '/export/..%2Ffirst.stw', headers: { Host: `127.0.0.1:${server.port}`, 'X-Velmora-Token': server.token },
    });
    assert.equal(escape.status, 404, 'nothing outside export/');
  });

  it('shows the running job in a second tab, refuses it a second run and takes answers from both', async () => {
    const second = await openPage(browser, server.url);
    await second.waitForSelector('#tree .tree-row');
    await chooseSamples(page);
    await second.locator('#job-window').waitFor({ timeout: 10000 });
    await second.locator('#chooser-list').waitFor();
    assert.deepEqual(await ticks(second), ticked(false, false, false), 'stored logs are not new');

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
    for (const tab of [page, second]) {
      await runEnded(tab);
      await expectMessage(tab, "the parsed data of the replaced file stays until 'velmora reset'");
    }
    await second.close();
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
    await wizardPage(page, 'Create new workspace - fill in parameters for Fetchlet interface', 'wizard-4-fetchlet');
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
    await wizardPage(page, 'Create new workspace - fill in parameters for FTP connection', 'wizard-5-ftp');
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
    assert.deepEqual(await (await openRecentMenu(page)).allTextContents(), [`1 ${file}`, `2 ${ws}`]);
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

  // Each call's refusal, through the server; the ways a path can leave the home folder are the
  // folder browser's own unit tests.
  it('refuses to look, open or make anything outside the home and recent folders', async () => {
    const { port, token } = server;
    const headers = { Host: `127.0.0.1:${port}`, 'X-Velmora-Token': token, 'Content-Type': 'application/json' };
    const cases = [
      { what: 'a folder elsewhere', pathname: `/api/browse?path=${encodeURIComponent(outside)}`, status: 403 },
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

  it('waits five seconds for a slow worker and asks whether to end it', async () => {
    server = await serve(['-w', ws], { ...env, VELMORA_SERVE_SLOW_WORKER: '7000' });
    await page.goto(server.url);
    await page.waitForSelector('#tree .tree-row');
    await chooseSamples(page);
    await page.click('#chooser-none');
    await page.click(`#chooser-list input[data-name="${SAMPLES[0].name}"]`);
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
    fs.symlinkSync(path.join(home, 'nowhere'), path.join(sites, 'first', 'logs', 'gone.log'));
    await page.keyboard.press('F4');
    const said = page.locator('dialog', { hasText: 'gone.log: cannot open: No such file or directory' });
    await said.waitFor({ timeout: 30000 });
    assert.match(await said.textContent(), /1 new file\(s\) were skipped; Workspace > View Latest Parsing Log says why/);
    await shot(page, 'jobs-unreadable');
    await said.locator('.buttons button', { hasText: 'OK' }).click();
    await runEnded(page);
  });
});
