// What every browser test of the web page shares: the site served on
// 127.0.0.1 by scripts/serve-web.sh, Debian's chromium driven headless by
// puppeteer-core (SwiftShader for WebGL, a fresh profile per run), a page of
// 900x800 canvas pixels at device pixel ratio 1, and a record of console
// errors and failed requests.
//
// A test exits 77 (skipped) with a line saying why when chromium,
// puppeteer-core or the built site is missing.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');

const SOURCE = path.resolve(__dirname, '../..');
const SITE = process.env.SOLAR_WEB_SITE || path.join(SOURCE, 'build-web/site');
const CHROMIUM = process.env.SOLAR_CHROMIUM || '/usr/bin/chromium';
const WIDTH = 900;
const HEIGHT = 800;

function skip(why) {
  console.log(`skipped: ${why}`);
  process.exit(77);
}

function requirements(needsProgram) {
  let puppeteer;
  try {
    puppeteer = require('puppeteer-core');
  } catch (e) {
    skip('puppeteer-core is not installed (scripts/install-deps.sh test runs npm ci)');
  }
  if (!fs.existsSync(CHROMIUM)) skip(`${CHROMIUM} is not installed (scripts/install-deps.sh test installs chromium)`);
  for (const file of needsProgram ? ['index.html', 'solar-system.js', 'solar-system.wasm'] : ['index.html']) {
    if (!fs.existsSync(path.join(SITE, file))) skip(`the site has no ${file} (scripts/build-web.sh builds ${SITE})`);
  }
  return puppeteer;
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
    server.on('error', reject);
  });
}

async function serve(site) {
  const port = await freePort();
  const server = spawn(path.join(SOURCE, 'scripts/serve-web.sh'), [site, String(port)], { stdio: ['ignore', 'pipe', 'inherit'] });
  // Ready when it answers.
  for (let i = 0; i < 100; ++i) {
    const up = await new Promise((resolve) => {
      const socket = net.connect(port, '127.0.0.1', () => { socket.end(); resolve(true); });
      socket.on('error', () => resolve(false));
    });
    if (up) return { port, url: `http://127.0.0.1:${port}/`, stop: () => server.kill() };
    await new Promise((r) => setTimeout(r, 100));
  }
  server.kill();
  throw new Error('serve-web.sh did not answer');
}

// Opens the browser and the server; `run(session)` gets
//   { browser, url, open(query, {touch, before, address}) -> page, problems }.
// `needsProgram` false: the cases need the page only, not its program.
// Every page opened records console errors, uncaught exceptions and failed
// requests into `problems`.
async function withBrowser(run, needsProgram = true) {
  const puppeteer = requirements(needsProgram);
  const server = await serve(SITE);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'solar-web-profile-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--ignore-gpu-blocklist',
           '--no-first-run', '--no-default-browser-check', '--disable-background-timer-throttling',
           '--disable-renderer-backgrounding', '--disable-backgrounding-occluded-windows',
           `--window-size=${WIDTH},${HEIGHT}`],
    defaultViewport: { width: WIDTH, height: HEIGHT, deviceScaleFactor: 1 },
  });
  const problems = [];
  const session = {
    browser,
    url: server.url,
    problems,
    async open(query = '', options = {}) {
      const page = await browser.newPage();
      if (options.touch) await page.emulate({ viewport: { width: WIDTH, height: HEIGHT, deviceScaleFactor: 1, hasTouch: true, isMobile: false }, userAgent: await browser.userAgent() });
      else await page.setViewport({ width: WIDTH, height: HEIGHT, deviceScaleFactor: 1 });
      page.on('console', (message) => {
        if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
      });
      page.on('pageerror', (error) => problems.push(`uncaught: ${error.message}`));
      page.on('requestfailed', (request) => problems.push(`failed request: ${request.url()} (${request.failure()?.errorText})`));
      page.on('response', (response) => {
        if (response.status() >= 400) problems.push(`HTTP ${response.status()}: ${response.url()}`);
      });
      // `before` runs in the page before any of its scripts; `address`
      // opens another address than the served site's.
      if (options.before) await page.evaluateOnNewDocument(options.before);
      await page.goto(options.address || server.url + query, { waitUntil: 'load' });
      if (needsProgram) {
        await page.waitForFunction(() => window.solarViewer !== undefined, { timeout: 30000 });
        await frames(page, 2);
      }
      return page;
    },
  };
  try {
    await run(session);
  } finally {
    await browser.close().catch(() => {});
    server.stop();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

// Waits until the page has shown `count` more frames.
async function frames(page, count = 1) {
  await page.evaluate((n) => new Promise((resolve) => {
    let left = n;
    const step = () => (--left <= 0 ? resolve() : requestAnimationFrame(step));
    requestAnimationFrame(step);
  }), count);
}

// The program's exports, called in the page: call(page, 'viewMode').
function call(page, name, ...args) {
  return page.evaluate((n, a) => window.solarViewer.viewer[n](...a), name, args);
}

// The canvas's pixels as {width, height, data (RGBA)}.
async function pixels(page) {
  const { width, height, data } = await page.evaluate(() => {
    const canvas = document.getElementById('scene');
    const copy = document.createElement('canvas');
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const image = context.getImageData(0, 0, copy.width, copy.height);
    return { width: copy.width, height: copy.height, data: Array.from(image.data) };
  });
  return { width, height, data: Uint8Array.from(data) };
}

// How many pixels differ between two pictures of the same size.
function differingPixels(a, b) {
  let count = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    if (a.data[i] !== b.data[i] || a.data[i + 1] !== b.data[i + 1] || a.data[i + 2] !== b.data[i + 2]) ++count;
  }
  return count;
}

// A small test runner: named cases in order, each reported; exit 1 if one failed.
async function cases(list) {
  let failed = 0;
  for (const [name, body] of list) {
    try {
      await body();
      console.log(`ok   ${name}`);
    } catch (error) {
      ++failed;
      console.log(`FAIL ${name}\n     ${String(error.stack || error).split('\n').join('\n     ')}`);
    }
  }
  return failed;
}

module.exports = { SOURCE, SITE, CHROMIUM, WIDTH, HEIGHT, withBrowser, frames, call, pixels, differingPixels, cases, skip };
