#!/usr/bin/env node
// How soon the web page shows its first frame: navigation start to the
// first displayed frame (the frame after the program starts; it draws one
// per displayed frame whether or not the clock runs), in headless
// Chromium with SwiftShader at 900x800, the site served on 127.0.0.1.  Each
// round opens a fresh page; the browser's cache is off, so every round
// fetches the program and the pictures again.  Prints the processor, then
// every round, the best and the median.
//   node bench/web/first_frame.js [ROUNDS]     (site: build-web/site, or SOLAR_WEB_SITE)
'use strict';
const os = require('os');
const { withBrowser } = require('../../tests/web/harness.js');

const rounds = Number(process.argv[2] || 7);

withBrowser(async (session) => {
  const times = [];
  for (let round = 0; round < rounds; ++round) {
    const page = await session.browser.newPage();
    await page.setCacheEnabled(false);
    await page.setViewport({ width: 900, height: 800, deviceScaleFactor: 1 });
    await page.goto(session.url, { waitUntil: 'domcontentloaded' });
    const ms = await page.evaluate(() => new Promise((resolve) => {
      const look = () => {
        if (window.solarViewer) requestAnimationFrame(() => resolve(performance.now()));
        else requestAnimationFrame(look);
      };
      look();
    }));
    times.push(ms);
    console.log(`round ${round + 1}: ${ms.toFixed(0)} ms`);
    await page.close();
  }
  const sorted = [...times].sort((a, b) => a - b);
  const cpu = os.cpus()[0] ? os.cpus()[0].model : 'unknown';
  console.log(`processor: ${cpu}, ${os.cpus().length} CPUs; load ${os.loadavg().map((l) => l.toFixed(2)).join(' ')}`);
  console.log(`first frame: best ${sorted[0].toFixed(0)} ms, median ${sorted[Math.floor(sorted.length / 2)].toFixed(0)} ms`);
}).catch((error) => {
  console.error(`first_frame: ${error.message}`);
  process.exit(1);
});
