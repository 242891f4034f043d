// What the page tests share: the site served on a free loopback port by a
// server of the test's own, and headless Chromium (Debian's) on WebGL 2.
import {createServer} from 'node:http';
import {readFile} from 'node:fs/promises';
import {extname, join, normalize} from 'node:path';
import puppeteer from 'puppeteer-core';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.json': 'application/json',
  '.wasm': 'application/wasm', '.jpg': 'image/jpeg', '.ogg': 'audio/ogg', '.bin': 'application/octet-stream',
};

// Serves `site`. `faults` maps a path (as "data/textures/photo3.jpg") to
// 'missing' (404 until taken off the map) or 'damaged' (the file cut off
// halfway). Resolves to {url, faults, close}.
export function serve(site, faults = new Map()) {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname)).replace(/^\/+/, '') ||
      'index.html';
    const fault = faults.get(path);
    try {
      if (path.startsWith('..') || fault === 'missing') throw new Error('not served');
      let body = await readFile(join(site, path));
      if (fault === 'damaged') body = body.subarray(0, body.length >> 1);
      response.writeHead(200, {'Content-Type': types[extname(path)] || 'application/octet-stream'});
      response.end(body);
    } catch (error) {
      response.writeHead(404, {'Content-Type': 'text/plain'});
      response.end('not found');
    }
  });
  return new Promise(resolve => server.listen(0, '127.0.0.1', () => resolve({
    url: 'http://127.0.0.1:' + server.address().port + '/',
    faults,
    close: () => new Promise(done => { server.closeAllConnections(); server.close(done); }),
  })));
}

// Headless Chromium drawing WebGL 2 with SwiftShader. `extraArgs` adds or,
// with allowSound false, leaves out the switch that lets sound start
// without a click.
export async function launch({extraArgs = [], allowSound = true, width = 640, height = 480} = {}) {
  const args = ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--hide-scrollbars',
    '--window-size=' + width + ',' + height, ...extraArgs];
  if (allowSound) args.push('--autoplay-policy=no-user-gesture-required');
  const browser = await puppeteer.launch({
    executablePath: process.env.SALUTE_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    args,
    defaultViewport: {width, height},
  });
  const pid = browser.process().pid;
  browser.end = async () => {
    await browser.close().catch(() => {});
    try { process.kill(pid, 'SIGKILL'); } catch (error) { /* already gone */ }
  };
  return browser;
}

// A new page whose console lines are collected in page.lines; `beforeLoad`
// runs in the page before any of its own scripts.
export async function openPage(browser, url, beforeLoad) {
  const page = await browser.newPage();
  if (beforeLoad) await page.evaluateOnNewDocument(beforeLoad);
  page.lines = [];
  page.on('console', message => page.lines.push(message.text()));
  page.on('pageerror', error => page.lines.push('page error: ' + error.message));
  await page.goto(url);
  return page;
}

export function waitForBody(page, attribute, value, timeout = 120000) {
  return page.waitForFunction((name, expected) => {
    const actual = document.body.dataset[name];
    return expected === undefined ? actual !== undefined : actual === expected;
  }, {timeout, polling: 50}, attribute, value);
}
