// `velmora serve` in a real browser: Debian's chromium, headless, driven by playwright-core. A
// workspace of generated traffic plus a few hostile lines is parsed, the server started on it, and
// the page walked as a person would: every report of the tree with its table and chart (the same
// numbers as `velmora report ID --format json`), sorting, a quick filter, an IP filter, the date
// picker, the navigation keys and the availability of the menu commands. The server's refusals
// (no token, another Host or Origin) are checked with plain HTTP requests. Then "Workspace
// settings" is walked page by page (a screenshot of each): a bad value is refused beside its field
// with nothing saved, good values are saved by OK and read back with `velmora settings show`,
// Cancel keeps everything, and no reply the page gets ever carries a password. "Manage Imported
// Log Files" lists the logs with their size, compression and parsed state, a hostile name as text.
//
// Environment: VELMORA_BIN, LOGGEN_BIN, ARTIFACTS (screenshots), CHROMIUM (default
// /usr/bin/chromium).
import { after, before, describe, it } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {
  artifacts, closeDialog, launchBrowser, loggen, menuCommand, menuState, request, serve, shot, stop, testHome,
  velmora,
} from './support.mjs';
const HOSTILE_IP = '203.0.113.66';
const HOSTILE_REFERRER = 'http://evil.example/<script>window.pwned=1</script>';
const HOSTILE_AGENT = '<img src=x onerror="window.pwned=2">';
const HOSTILE_NAME = '<img src=x onerror="window.pwned=3">.log';
const FTP_PASSWORD = 'ftp-S3cret-1';
const HTTP_PASSWORD = 'http-S3cret-2';
const NEW_FTP_PASSWORD = 'typed-N3w-3';
const SETTINGS_PAGES = ['General', 'Log Files', 'HTTP Settings', 'FTP Settings', 'File Types', 'Time Settings', 'Export', 'Filters'];
const LINE = '10.0.0.1 - - [10/Nov/2026:12:00:00 +0000] "GET /index.html HTTP/1.1" 200 512 "-" "Mozilla/5.0"\n';

const { home, env } = testHome('velmora-browser-');
const ws = path.join(home, 'demo');

function cli(...args) {
  return execFileSync(velmora, ['-w', ws, ...args], { env, encoding: 'utf8', maxBuffer: 64 << 20 });
}
function cliReport(id, ...args) {
  return JSON.parse(cli('report', id, '--format', 'json', ...args));
}
const shownSettings = () => JSON.parse(cli('settings', 'show'));

// The rows the page shows, as the cells' texts.
function shownRows(page) {
  return page.$$eval('#report-table tbody tr', (rows) => rows.map((r) => [...r.cells].map((c) => c.textContent)));
}

async function renders(page) {
  return Number(await page.$eval('#view', (v) => v.dataset.renders || 0));
}

// The rows of a long list beyond the first thousand are drawn on request.
async function allRowsShown(page) {
  if (await page.locator('#show-all').count() > 0) await andWaitForReport(page, () => page.click('#show-all'));
}

// Runs `act` and waits until the report view has been drawn once more.
async function andWaitForReport(page, act) {
  const before = await renders(page);
  await act();
  await page.waitForFunction((n) => Number(document.getElementById('view').dataset.renders || 0) > n, before);
}

// Waits for the chart of the report shown, if it has one: until then the server holds the
// workspace's table files, which are locked against other processes.
async function chartLoaded(page) {
  if (await page.locator('#chart').count() === 0) return false;
  await page.waitForFunction(() => {
    const img = document.getElementById('chart');
    return img && img.complete && img.naturalWidth > 0;
  }, null, { timeout: 10000 });
  return true;
}

// The rows `velmora report` gives, asked once the page is done with the server.
async function cliRows(page, id, ...args) {
  await chartLoaded(page);
  return cliReport(id, ...args).rows.map((r) => r.cells);
}

function treeRow(page, id) {
  return page.locator(`li[data-report="${id}"] > .tree-row`);
}

async function openSettings() {
  await menuCommand(page, 'Workspace', 'settings');
  const dialog = page.locator('dialog', { hasText: 'Workspace settings' });
  await dialog.waitFor();
  return dialog;
}

async function settingsTab(dialog, name) {
  await dialog.locator('.tabs .tab', { hasText: name }).click();
}

let browser;
let server;
let page;
let catalogue;
const timings = [];
const replies = [];

before(async () => {
  assert.ok(velmora && loggen, 'VELMORA_BIN and LOGGEN_BIN name the programs under test');
  fs.mkdirSync(artifacts, { recursive: true });
  execFileSync(velmora, ['--yes', 'new', 'demo', '--path', home, '--server-names', 'www.example.com'], { env });
  execFileSync(loggen, ['--format', 'combined', '--lines', '20000', '--seed', '7', '--start', '2026-11-01',
    '--days', '10', '-o', path.join(ws, 'logs', 'access.log')], { env });
  const hostile = [];
  for (let i = 0; i < 3; ++i) {
    hostile.push(`${HOSTILE_IP} - - [10/Nov/2026:12:0${i}:00 +0000] "GET /index.html HTTP/1.1" 200 512 ` +
      `"${HOSTILE_REFERRER.replaceAll('"', '')}" "${HOSTILE_AGENT.replaceAll('"', "'")}"`);
  }
  fs.writeFileSync(path.join(ws, 'logs', 'hostile.log'), `${hostile.join('\n')}\n`);
  cli('parse');
  // Arrived after the run: not parsed.
  fs.writeFileSync(path.join(ws, 'logs', 'later.log.gz'), zlib.gzipSync(LINE));
  fs.writeFileSync(path.join(ws, 'logs', HOSTILE_NAME), LINE);
  cli('settings', 'set', 'ftp-password', FTP_PASSWORD);
  cli('settings', 'set', 'http-password', HTTP_PASSWORD);
  catalogue = JSON.parse(cli('reports', '--format', 'json')).filter((n) => n.id);
  server = await serve(['-w', ws], env);
  browser = await launchBrowser();
  page = await browser.newPage({ viewport: { width: 1400, height: 900 } });
  page.on('pageerror', (error) => { throw error; });
  page.on('response', (response) => {
    if (new URL(response.url()).pathname.startsWith('/api/')) replies.push(response.text().catch(() => ''));
  });
  await page.goto(server.url);
  await page.waitForSelector('#tree .tree-row');
});

after(async () => {
  for (const key of ['total', 'inPage']) {
    if (!timings.length) break;
    const sorted = timings.map((t) => t[key]).sort((a, b) => a - b);
    const what = key === 'total' ? 'click to table shown, as the test sees it' : 'request to table drawn, in the page';
    console.log(`cached report, ${what}: median ${sorted[Math.floor(sorted.length / 2)]} ms, ` +
      `max ${sorted[sorted.length - 1]} ms over ${sorted.length} clicks`);
  }
  if (browser) await browser.close();
  if (server) assert.equal(await stop(server), 0, 'SIGTERM stops the server cleanly');
  fs.rmSync(home, { recursive: true, force: true });
});

describe('velmora serve', () => {
  it('refuses requests without the token or from elsewhere', async () => {
    const { port, token } = server;
    const own = { Host: `127.0.0.1:${port}` };
    const cases = [
      { what: 'no token', req: { headers: own }, status: 403 },
      { what: 'wrong token', req: { headers: { ...own, 'X-Velmora-Token': '0'.repeat(64) } }, status: 403 },
      { what: 'page without token', req: { pathname: '/', headers: own }, status: 403 },
      { what: 'another Host', req: { headers: { Host: `evil.example:${port}`, 'X-Velmora-Token': token } }, status: 403 },
      { what: 'another Origin', req: { headers: { ...own, Origin: 'http://evil.example', 'X-Velmora-Token': token } }, status: 403 },
      { what: 'POST with the query token only', req: { method: 'POST', pathname: `/api/day?token=${token}`, headers: own, body: '{"day":null}' }, status: 403 },
      { what: 'the token in the header', req: { headers: { ...own, 'X-Velmora-Token': token } }, status: 200 },
      { what: 'the page with its token', req: { pathname: `/?token=${token}`, headers: own }, status: 200 },
      { what: 'a static file', req: { pathname: '/style.css', headers: own }, status: 200 },
    ];
    for (const c of cases) {
      const res = await request(port, c.req);
      assert.equal(res.status, c.status, c.what);
      assert.match(res.headers['content-security-policy'] || '', /script-src 'self'/, c.what);
      assert.equal(res.headers['x-content-type-options'], 'nosniff', c.what);
    }
  });

  it('shows the workspace, the tree and the menus with their availability', async () => {
    assert.equal(await page.title(), '[demo] - Velmora');
    assert.equal(await page.locator('#tree li').count(), 146);
    assert.equal(await page.locator('#status').textContent(), 'Ready');
    const file = await menuState(page, 'File');
    assert.deepEqual(file.texts, ['New Workspace\tCtrl+N', 'Open Workspace...\tCtrl+O', '', 'Recent Workspaces', '', 'Exit']);
    const work = await menuState(page, 'Workspace');
    assert.ok(work.items.retrieve && work.items.parse && work.items.settings && work.items.viewLog, 'workspace commands');
    const report = await menuState(page, 'Report');
    assert.deepEqual(report.texts, ['Previous\tAlt+Left Arrow', 'Next\tAlt+Right Arrow', '', 'Back\tAlt+Up Arrow',
      'Forward\tAlt+Down Arrow', 'Refresh\tF5', '', 'Export Current...', 'Export All...']);
    assert.deepEqual(
      [report.items.previous, report.items.next, report.items.back, report.items.forward, report.items.refresh],
      [false, true, false, false, false], 'with no report shown only Next moves');
    await page.locator('.menu-title', { hasText: 'Report' }).dispatchEvent('mousedown');
    await page.locator('.menu-item[data-command=next]').hover();
    assert.equal(await page.locator('#status').textContent(), 'Goes to the subsequent report.');
    await shot(page, '01-report-menu');
    await page.keyboard.press('Escape');
  });

  it('shows every report with the numbers of `velmora report` and its chart', async () => {
    while (await page.locator('li.collapsed > .tree-row > .toggle').count() > 0) {
      await page.locator('li.collapsed > .tree-row > .toggle').first().click();
    }
    for (const { id } of catalogue) {
      await andWaitForReport(page, () => treeRow(page, id).click());
      await allRowsShown(page);
      const charted = await chartLoaded(page);
      const expected = cliReport(id);
      assert.equal(await page.locator('#report-title').textContent(), expected.title, id);
      assert.deepEqual(await shownRows(page), expected.rows.map((r) => r.cells), id);
      assert.equal(charted, Boolean(expected.chart && expected.chart.title), `${id}: a chart where the report has one`);
      if (id === 'traffic' || id === 'pagesreq' || id === 'countries') await shot(page, `02-${id}`);
    }
    for (const id of ['pagesreq', 'countries', 'traffic', 'refservers', 'browsers', 'pagesreq']) {
      const started = Date.now();
      await andWaitForReport(page, () => treeRow(page, id).click());
      const total = Date.now() - started;
      const inPage = Number((await page.locator('#status-right').textContent()).match(/shown in (\d+) ms/)[1]);
      timings.push({ total, inPage });
    }
  });

  it('sorts by a clicked period caption as --sort does', async () => {
    await andWaitForReport(page, () => treeRow(page, 'pagesreq').click());
    await andWaitForReport(page, () => page.locator('#report-table th', { hasText: '4 Weeks' }).click());
    assert.equal(await page.locator('#report-table th.sorted').textContent(), '4 Weeks');
    assert.deepEqual(await shownRows(page), await cliRows(page, 'pagesreq', '--sort', '4weeks'));
    await shot(page, '03-sorted');
    await andWaitForReport(page, () => page.locator('#report-table th', { hasText: 'Week' }).first().click());
  });

  it('applies a quick filter and an IP filter, kept in the workspace', async () => {
    await andWaitForReport(page, () => treeRow(page, 'countries').click());
    const country = (await shownRows(page))[0][0];
    await andWaitForReport(page, () => page.selectOption('#filter-mode', '1'));
    await page.waitForSelector('#quick-target', { state: 'visible' });
    await page.selectOption('#quick-target', '9');
    await page.selectOption('#quick-operation', '0');
    await page.fill('#quick-value', country);
    await andWaitForReport(page, () => page.click('#quick-apply'));
    const filtered = await shownRows(page);
    assert.deepEqual(filtered.map((r) => r[0]), [country], 'a country filter leaves that country alone');
    assert.deepEqual(filtered, await cliRows(page, 'countries'), 'the saved filter bar holds');
    await shot(page, '04-quick-filter');

    await andWaitForReport(page, () => page.selectOption('#filter-mode', '2'));
    await page.waitForFunction(() => document.getElementById('quick-target').offsetParent === null);
    await page.fill('#ip-filter', HOSTILE_IP);
    await andWaitForReport(page, () => page.press('#ip-filter', 'Tab'));
    await andWaitForReport(page, () => treeRow(page, 'refpages').click());
    assert.deepEqual(await shownRows(page), await cliRows(page, 'refpages'));
    const texts = (await shownRows(page)).map((r) => r[0]);
    assert.ok(texts.includes(HOSTILE_REFERRER), `the hostile referrer shows as text: ${texts}`);
    await andWaitForReport(page, () => treeRow(page, 'todays_visitors').click());
    const visits = await page.locator('#report-table').textContent();
    assert.ok(visits.includes(HOSTILE_IP), 'the IP filter keeps that visitor');
    assert.equal(await page.evaluate(() => window.pwned), undefined, 'no text from a log ran');
    assert.equal(await page.locator('#view script, #view img[src="x"], #view b').count(), 0, 'no markup from a log');
    await shot(page, '05-ip-filter-hostile');

    const cell = page.locator('#report-table td', { hasText: HOSTILE_IP }).first();
    await cell.click({ button: 'right' });
    const items = await page.$$eval('.cell-menu .menu-item', (n) => n.map((x) => x.textContent));
    assert.deepEqual(items, ['Run whois search on the ARIN', 'Run whois search on the RIPE',
      'Run whois search on the APNIC', 'Run whois search on the LACNIC', 'Copy value to the clipboard']);
    await shot(page, '06-cell-menu');
    await page.mouse.click(5, 880);

    await page.fill('#ip-filter', '');
    await andWaitForReport(page, () => page.press('#ip-filter', 'Tab'));
    await chartLoaded(page);
    const settings = JSON.parse(cli('settings', 'show'));
    assert.equal(settings['filter-bar']['filter-mode'], 2);
    assert.equal(settings['filter-bar']['ip-filter'], '');
  });

  it('adds, uses, edits and deletes a saved filter through its dialogs', async () => {
    await andWaitForReport(page, () => treeRow(page, 'countries').click());
    const [first, second] = (await shownRows(page)).map((r) => r[0]);
    await andWaitForReport(page, () => page.selectOption('#filter-mode', '0'));
    await page.click('#filter-add');
    const properties = page.locator('dialog', { hasText: 'Filter properties' });
    await properties.waitFor();
    assert.equal(await page.inputValue('#filter-name'), 'New Filter (#1)');
    assert.match(await properties.textContent(), /Click 'Add' to define a filter/);
    await page.fill('#filter-name', 'Two countries');
    for (const country of [first, second]) {
      await properties.locator('button', { hasText: 'Add' }).click();
      await page.locator('dialog', { hasText: 'Filter Condition' }).waitFor();
      await page.selectOption('#condition-target', '9');
      await page.fill('#condition-value', country);
      await page.locator('dialog', { hasText: 'Filter Condition' }).locator('button', { hasText: 'OK' }).click();
    }
    await properties.locator('input[type=radio]').nth(1).check();
    await shot(page, '06-filter-properties');
    await andWaitForReport(page, () => properties.locator('.buttons button', { hasText: 'OK' }).click());
    assert.deepEqual((await shownRows(page)).map((r) => r[0]).sort(), [first, second].sort(), 'either country');
    assert.deepEqual(await shownRows(page), await cliRows(page, 'countries'));
    const saved = JSON.parse(cli('settings', 'show'));
    assert.equal(saved['filter-bar']['selected-filter'], 'Two countries');
    assert.deepEqual(saved['report-filters'][0].conditions.map((c) => c.value), [first, second]);

    await page.click('#filter-edit');
    await properties.waitFor();
    await properties.locator('tbody tr').first().click();
    await properties.locator('button', { hasText: 'Del' }).click();
    await andWaitForReport(page, () => properties.locator('.buttons button', { hasText: 'OK' }).click());
    assert.deepEqual((await shownRows(page)).map((r) => r[0]), [second], 'the condition left');

    await andWaitForReport(page, () => page.click('#filter-del'));
    await chartLoaded(page);
    assert.deepEqual(JSON.parse(cli('settings', 'show'))['report-filters'], []);
    await andWaitForReport(page, () => page.selectOption('#filter-mode', '2'));
  });

  it('makes a picked date "Today"', async () => {
    await andWaitForReport(page, () => treeRow(page, 'pagesreq').click());
    await andWaitForReport(page, () => page.fill('#day', '2026-11-05'));
    assert.equal(await page.locator('.report-day').textContent(), 'Today: 2026-11-05');
    assert.deepEqual(await shownRows(page), await cliRows(page, 'pagesreq', '--date', '2026-11-05'));
    await shot(page, '07-date-picked');
    await andWaitForReport(page, () => page.click('#latest'));
    assert.equal(await page.locator('.report-day').textContent(), 'Today: 2026-11-10');
  });

  it('moves with Previous, Next, Back and Forward by their keys', async () => {
    const order = catalogue.map((n) => n.id);
    const shown = () => page.$eval('#view', (v) => v.dataset.shown);
    await andWaitForReport(page, () => treeRow(page, order[0]).click());
    assert.equal((await menuState(page, 'Report')).items.previous, false, 'nothing before the first report');
    await andWaitForReport(page, () => page.keyboard.press('Alt+ArrowRight'));
    assert.equal(await shown(), order[1], 'Next');
    await andWaitForReport(page, () => page.keyboard.press('Alt+ArrowRight'));
    assert.equal(await shown(), order[2], 'Next again');
    await andWaitForReport(page, () => page.keyboard.press('Alt+ArrowLeft'));
    assert.equal(await shown(), order[1], 'Previous');
    await andWaitForReport(page, () => page.keyboard.press('Alt+ArrowUp'));
    assert.equal(await shown(), order[2], 'Back to the report before Previous');
    await andWaitForReport(page, () => page.keyboard.press('Alt+ArrowUp'));
    assert.equal(await shown(), order[1], 'Back once more');
    let menu = await menuState(page, 'Report');
    assert.equal(menu.items.forward, true, 'Forward after Back');
    await andWaitForReport(page, () => page.keyboard.press('Alt+ArrowDown'));
    assert.equal(await shown(), order[2], 'Forward');
    await andWaitForReport(page, () => page.keyboard.press('Alt+ArrowUp'));
    await andWaitForReport(page, () => treeRow(page, 'countries').click());
    menu = await menuState(page, 'Report');
    assert.equal(menu.items.forward, false, 'showing from the tree drops what Forward could reach');
    await andWaitForReport(page, () => page.keyboard.press('F5'));
    assert.match(await page.locator('#status').textContent(), /^Report generation time: \d+ ms$/);
    await shot(page, '08-navigated');
  });

  it('opens the help pages, the tip of the day and About', async () => {
    const [help] = await Promise.all([page.context().waitForEvent('page'), menuCommand(page, 'Help', 'help')]);
    await help.waitForLoadState();
    assert.equal(await help.title(), 'Velmora Help - Velmora Help');
    const topics = await help.$$eval('ul a', (links) => links.map((a) => a.getAttribute('href')));
    assert.equal(topics.length, 5);
    for (const topic of topics) {
      await help.goto(new URL(topic, help.url()).href);
      assert.ok((await help.locator('h1').textContent()).length > 0, topic);
    }
    await shot(help, '10-help');
    await help.close();

    const tipText = () => page.locator('#tip-text').textContent();
    await menuCommand(page, 'Help', 'tip');
    const first = await tipText();
    await page.click('#tip-next');
    await page.waitForFunction((t) => document.getElementById('tip-text').textContent !== t, first);
    assert.equal(await page.isChecked('#tip-at-startup'), false);
    await Promise.all([page.waitForResponse((r) => r.url().endsWith('/api/tip-at-startup')), page.check('#tip-at-startup')]);
    await shot(page, '11-tip');
    await closeDialog(page, 'Tip of the Day', 'Close');
    const prefs = fs.readFileSync(path.join(home, 'config', 'velmora', 'preferences.ini'), 'utf8');
    assert.match(prefs, /Show tip at startup\s*=\s*Yes/);
    assert.match(prefs, /Next tip\s*=\s*2/);

    await menuCommand(page, 'Help', 'about');
    const about = await page.locator('dialog', { hasText: 'About Velmora' }).textContent();
    assert.match(about, /Version \d+\.\d+/);
    assert.match(about, /Public Domain Dedication/);
    await closeDialog(page, 'About Velmora', 'OK');
  });

  it('shows the latest parsing log', async () => {
    await menuCommand(page, 'Workspace', 'viewLog');
    await page.waitForSelector('#text-dialog');
    assert.match(await page.locator('#text-dialog').textContent(), /access\.log/);
    assert.equal(await page.locator('#text-dialog script, #text-dialog img').count(), 0);
    await shot(page, '12-parsing-log');
    await closeDialog(page, 'Parsing Log', 'Close');
  });

});

describe('workspace settings', () => {
  it('shows the eight pages with their fields', async () => {
    const dialog = await openSettings();
    assert.deepEqual(await dialog.locator('.tabs .tab').allTextContents(), SETTINGS_PAGES);
    for (const [index, name] of SETTINGS_PAGES.entries()) {
      await settingsTab(dialog, name);
      await dialog.locator(`#settings-page-${index}`).waitFor({ state: 'visible' });
      await shot(page, `settings-${index + 1}-${name.replace(/ /g, '-').toLowerCase()}`);
    }
    const text = await dialog.textContent();
    for (const label of ['Server name(s):', 'Custom log file format string', 'Path to fetchlet.dll:',
      'Number of files to keep on server (1-9999):', 'Use Passive FTP (firewall and DSL modem compatibility)',
      'File Mask', 'Your time zone:', 'Limit entries in combined report to:', 'Enable Filters']) {
      assert.ok(text.includes(label), label);
    }
    assert.equal(await page.inputValue('#setting-workspace-name'), 'demo');
    assert.equal(await page.inputValue('#setting-ftp-password'), '', 'no password in the field');
    assert.match(await page.getAttribute('#setting-ftp-password', 'placeholder'), /\(set/);
    await closeDialog(page, 'Workspace settings', 'Cancel');
  });

  it('refuses a bad value beside its field and saves nothing', async () => {
    const dialog = await openSettings();
    await settingsTab(dialog, 'FTP Settings');
    await page.fill('#setting-ftp-port', '70000');
    await settingsTab(dialog, 'General');
    await page.fill('#setting-session-timeout', '45');
    await dialog.locator('.buttons button', { hasText: 'OK' }).click();
    const problem = dialog.locator('#settings-problem');
    await problem.waitFor();
    assert.equal(await problem.textContent(), 'Must be a whole number from 1 to 65535');
    assert.ok(await dialog.locator('#settings-page-3').isVisible(), 'the FTP page comes forward');
    await shot(page, 'settings-9-refused');
    assert.equal(shownSettings()['session-timeout'], 30, 'nothing saved');
    assert.equal(shownSettings()['ftp-port'], 21);
    await closeDialog(page, 'Workspace settings', 'Cancel');
    assert.equal(shownSettings()['session-timeout'], 30, 'Cancel saves nothing');
  });

  it('saves every page with OK, keeping the passwords not typed', async () => {
    const dialog = await openSettings();
    await page.fill('#setting-session-timeout', '45');
    await settingsTab(dialog, 'FTP Settings');
    await page.fill('#setting-ftp-port', '2121');
    await page.fill('#setting-ftp-password', NEW_FTP_PASSWORD);
    await settingsTab(dialog, 'Time Settings');
    await page.selectOption('#setting-your-time-zone', '30');
    await settingsTab(dialog, 'File Types');
    await page.click('#rules-list-add');
    const group = page.locator('dialog', { hasText: 'File Group Properties' });
    await page.fill('#rule-masks', '*.pdf, *.epub');
    await page.selectOption('#rule-type', '2');
    await shot(page, 'settings-10-file-group');
    await closeDialog(page, 'File Group Properties', 'OK');
    await group.waitFor({ state: 'detached' });
    await settingsTab(dialog, 'Filters');
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

    const saved = shownSettings();
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
      ['hostile.log', size('hostile.log'), 'plain', 'Yes'],
      ['later.log.gz', size('later.log.gz'), 'gzip', 'No'],
    ]);
    assert.equal(await page.evaluate(() => window.pwned), undefined, 'a file name ran nothing');
    assert.equal(await dialog.locator('tbody img').count(), 0);
    assert.ok(await page.locator('#open-logs-folder').isDisabled(), 'no desktop: the button is unavailable');
    assert.equal(await page.inputValue('#logs-folder'), path.join(ws, 'logs'));
    assert.match(await page.locator('#log-files-summary').textContent(), /^4 file\(s\), .*; 2 parsed, 2 to parse$/);
    await shot(page, 'settings-13-log-files');
    await closeDialog(page, 'Manage Imported Log Files', 'Close');
  });
});

// Last, as it leaves nothing to report.
describe('remove all parsed data', () => {
  it('removes all parsed data after asking', async () => {
    await andWaitForReport(page, () => treeRow(page, 'pagesreq').click());
    assert.ok((await shownRows(page)).length > 0);
    await menuCommand(page, 'Workspace', 'remove');
    const asked = page.locator('dialog', { hasText: 'Remove all collected data from the workspace?' });
    await asked.waitFor();
    await andWaitForReport(page, () => asked.locator('button', { hasText: 'Yes' }).click());
    assert.deepEqual(await shownRows(page), [], 'no rows once the data is gone');
    await chartLoaded(page);
    assert.deepEqual(cliReport('pagesreq').rows, []);
    await shot(page, '14-removed');
  });
});
