// What the browser tests share: a home of their own for the program, starting and stopping
// `velmora serve`, the browser, screenshots and the menu.
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

export const velmora = process.env.VELMORA_BIN;
export const loggen = process.env.LOGGEN_BIN;
export const artifacts = process.env.ARTIFACTS || fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-shots-'));

// A home folder with its own preferences, and no desktop to open a browser on.
export function testHome(prefix) {
  const home = fs.mkdtempSync(path.join(os.tmpdir(), prefix));
  const env = { ...process.env, XDG_CONFIG_HOME: path.join(home, 'config'), HOME: home };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  return { home, env };
}

export function run(program, args, env) {
  return execFileSync(program, args, { env, encoding: 'utf8', maxBuffer: 64 << 20 });
}

// Starts `velmora serve` and resolves with { child, url, port, token } once it prints its address.
export function serve(args, serveEnv) {
  return new Promise((resolve, reject) => {
    const child = spawn(velmora, [...args, 'serve', '--no-open', '--port', '0'], { env: serveEnv });
    let out = '';
    child.stdout.on('data', (chunk) => {
      out += chunk;
      const m = out.match(/http:\/\/127\.0\.0\.1:(\d+)\/\?token=([0-9a-f]{64})/);
      if (m) resolve({ child, url: m[0], port: Number(m[1]), token: m[2] });
    });
    child.stderr.on('data', (chunk) => process.stderr.write(chunk));
    child.on('exit', (code) => reject(new Error(`serve ended early with ${code}: ${out}`)));
  });
}

export function stop(server) {
  return new Promise((resolve) => {
    server.child.removeAllListeners('exit');
    server.child.on('exit', (code) => resolve(code));
    server.child.kill('SIGTERM');
  });
}

export function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu'],
  });
}

export async function shot(page, name) {
  fs.mkdirSync(artifacts, { recursive: true });
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
