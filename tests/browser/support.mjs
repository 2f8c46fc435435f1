// What the browser tests share: starting and stopping `velmora serve`, plain HTTP requests to it,
// the browser itself, screenshots, and working the menus and dialogs as a person does.
//
// Environment: VELMORA_BIN, LOGGEN_BIN, ARTIFACTS (screenshots), CHROMIUM (default /usr/bin/chromium).
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { spawn } from 'node:child_process';
import { chromium } from 'playwright-core';

export const velmora = process.env.VELMORA_BIN;
export const loggen = process.env.LOGGEN_BIN;
export const artifacts = process.env.ARTIFACTS || fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-shots-'));

// A fresh home folder with its own preferences, and an environment without a desktop. The path is
// the real one, as the served folder browser shows it.
export function testHome(prefix) {
  const home = fs.realpathSync(fs.mkdtempSync(path.join(os.tmpdir(), prefix)));
  const env = { ...process.env, XDG_CONFIG_HOME: path.join(home, 'config'), HOME: home };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  delete env.XDG_DOCUMENTS_DIR;
  return { home, env };
}

// Starts `velmora serve` and resolves with { child, url, port, token } once it prints its address.
export function serve(args, env) {
  return new Promise((resolve, reject) => {
    const child = spawn(velmora, [...args, 'serve', '--no-open', '--port', '0'], { env });
    let out = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const m = out.match(/http:\/\/127\.0\.0\.1:(\d+)\/\?token=([0-9a-f]{64})/);
      if (m) resolve({ child, url: m[0], port: Number(m[1]), token: m[2] });
    });
    child.stderr.on('data', (chunk) => process.stderr.write(chunk));
    child.on('error', reject);
    child.on('exit', (code) => reject(new Error(`serve ended early with ${code}: ${out}`)));
  });
}

// Resolves with the exit code once the server has ended; `signal` ends it first (null: it ends
// by itself).
export function stop(server, signal = 'SIGTERM') {
  return new Promise((resolve) => {
    server.child.removeAllListeners('exit');
    if (server.child.exitCode !== null) {
      resolve(server.child.exitCode);
      return;
    }
    server.child.on('exit', (code) => resolve(code));
    if (signal) server.child.kill(signal);
  });
}

export function request(port, { method = 'GET', pathname = '/api/state', headers = {}, body } = {}) {
  return new Promise((resolve, reject) => {
    const req = http.request({ host: '127.0.0.1', port, method, path: pathname, headers }, (res) => {
      let data = '';
      res.on('data', (c) => { data += c; });
      res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: data }));
    });
    req.on('error', reject);
    if (body) req.write(body);
    req.end();
  });
}

export function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu'],
  });
}

// A tab on `url` that fails the test on any error of the page's own scripts.
export async function openPage(browser, url, viewport = { width: 1200, height: 800 }) {
  const page = await browser.newPage({ viewport });
  page.on('pageerror', (error) => { throw error; });
  await page.goto(url);
  return page;
}

export async function shot(page, name) {
  await page.screenshot({ path: path.join(artifacts, `${name}.png`) });
}

// Runs the command `command` of the menu `menu` by a click, as a person would.
export async function menuCommand(page, menu, command) {
  await page.locator('.menu-title', { hasText: menu }).first().dispatchEvent('mousedown');
  await page.locator(`.menu-panel .menu-item[data-command=${command}]`).click();
}

export async function closeDialog(page, caption, button) {
  const dialog = page.locator('dialog', { hasText: caption });
  await dialog.locator('.buttons button', { hasText: button }).click();
  await dialog.waitFor({ state: 'detached' });
}

// The items of menu `menu`: which commands are available, and every row's texts.
export async function menuState(page, menu) {
  await page.locator('.menu-title', { hasText: menu }).first().dispatchEvent('mousedown');
  const items = await page.$$eval('.menu-panel .menu-item', (nodes) =>
    Object.fromEntries(nodes.map((n) => [n.dataset.command, n.getAttribute('aria-disabled') !== 'true'])));
  const texts = await page.$$eval('.menu-panel > *', (nodes) =>
    nodes.map((n) => (n.classList.contains('menu-separator') ? '' : [...n.children].map((c) => c.textContent).filter(Boolean).join('\t'))));
  await page.keyboard.press('Escape');
  return { items, texts };
}
