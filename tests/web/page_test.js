// The viewer's web page in headless Chromium, one group of cases a run:
//   node tests/web/page_test.js menu|controls|help|date|touch|health
// Each group opens the built site (scripts/build-web.sh) served on
// 127.0.0.1 in a page of 900x800 canvas pixels; see harness.js.
'use strict';
const assert = require('assert/strict');
const { withBrowser, frames, call, pixels, differingPixels, cases, skip } = require('./harness');
const { bodyRow, catalog } = require('./texts');

const group = process.argv[2];
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The page's view of itself: what the HTML shows.
function dom(page) {
  return page.evaluate(() => {
    const shown = (id) => !document.getElementById(id).hidden;
    return {
      help: shown('help'),
      helpRows: Array.from(document.querySelectorAll('#help-rows tr'), (tr) => [tr.cells[0].textContent, tr.cells[1].textContent]),
      helpQuit: document.getElementById('help-quit').textContent,
      credits: Array.from(document.querySelectorAll('#credits li'), (li) => li.textContent),
      menu: shown('menu'),
      menuLabels: Array.from(document.querySelectorAll('#menu li'), (li) => li.textContent),
      fact: shown('fact'),
      factCaption: document.getElementById('fact-caption').textContent,
      factText: document.getElementById('fact-text').textContent,
      factOk: document.getElementById('fact-ok').textContent,
      names: Array.from(document.querySelectorAll('#names span'), (s) => ({ text: s.textContent, hidden: s.hidden })),
      status: document.getElementById('status').textContent,
      title: document.title,
      lang: document.documentElement.lang,
    };
  });
}

// Waits until `check(page)` is true, or fails after `ms`.
async function until(page, what, check, ms = 5000) {
  const end = Date.now() + ms;
  for (;;) {
    if (await check()) return;
    if (Date.now() > end) throw new Error(`timed out waiting for ${what}`);
    await frames(page, 1);
  }
}

// Whether the clock steps: the step count grows over a few frames.
async function running(page) {
  const steps = await call(page, 'steps');
  await frames(page, 4);
  return (await call(page, 'steps')) > steps;
}

// Opens the menu with the right button and chooses the row with `value`.
async function choose(page, value) {
  await page.mouse.click(450, 400, { button: 'right' });
  await page.waitForSelector('#menu:not([hidden])');
  await page.click(`#menu li[data-value="${value}"]`);
  await frames(page, 3);
}

// The page's own two messages, before the program runs, in both languages:
// opened as a file it needs a web server; without WebGL 2 it says so.
async function messagesGroup() {
  const { SITE } = require('./harness');
  const path = require('path');
  const message = (page) => page.$eval('#message', (p) => (p.hidden ? null : p.textContent));
  await withBrowser(async (session) => {
    const noWebGL2 = () => {
      const getContext = HTMLCanvasElement.prototype.getContext;
      HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
        return type === 'webgl2' ? null : getContext.call(this, type, ...rest);
      };
    };
    const failed = await cases(['ko', 'en'].flatMap((lang) => {
      const tr = catalog(lang);
      const query = lang === 'en' ? '?lang=en' : '';
      return [
        [`${lang}: opened as a file, the page needs a web server`, async () => {
          const page = await session.open('', { address: `file://${path.resolve(SITE, 'index.html')}${query}` });
          assert.equal(await message(page), tr('This page needs a web server: a browser does not run WebAssembly and WebGL pictures from a page opened as a file. Serve its folder (for instance with scripts/serve-web.sh) and open it through http://.'));
          await page.close();
        }],
        [`${lang}: without WebGL 2 the page says so`, async () => {
          const page = await session.open(query, { before: noWebGL2 });
          await page.waitForSelector('#message:not([hidden])', { timeout: 10000 });
          assert.equal(await message(page), tr('This browser has no WebGL 2, which the viewer draws with.'));
          await page.close();
        }],
      ];
    }).concat([
      ['the language: Korean by default, ?lang= chooses, auto follows the browser and falls back to Korean', async () => {
        const chosen = async (query, languages) => {
          const page = await session.open(query, {
            before: languages ? `Object.defineProperty(navigator, 'languages', { get: () => ${JSON.stringify(languages)} })` : undefined,
          });
          const lang = await page.evaluate(() => [window.solarPage.language, document.documentElement.lang]);
          await page.close();
          return lang;
        };
        assert.deepEqual(await chosen('', ['en-US', 'en']), ['ko', 'ko']);
        assert.deepEqual(await chosen('?lang=en'), ['en', 'en']);
        assert.deepEqual(await chosen('?lang=ko', ['en-US']), ['ko', 'ko']);
        assert.deepEqual(await chosen('?lang=auto', ['en-US', 'en']), ['en', 'en']);
        assert.deepEqual(await chosen('?lang=auto', ['fr-FR', 'ko-KR']), ['ko', 'ko']);
        assert.deepEqual(await chosen('?lang=auto', ['fr-FR', 'de']), ['ko', 'ko']);
        assert.deepEqual(await chosen('?lang=xx'), ['ko', 'ko']);
      }],
    ]));
    if (failed) process.exitCode = 1;
  }, false);
}

async function menuGroup() {
  const mars = bodyRow('Mars');
  for (const lang of ['ko', 'en']) {
    const tr = catalog(lang);
    await withBrowser(async (session) => {
      const page = await session.open(lang === 'en' ? '?lang=en' : '');
      const failed = await cases([
        [`${lang}: the menu lists the program's labels`, async () => {
          await page.mouse.click(450, 400, { button: 'right' });
          await page.waitForSelector('#menu:not([hidden])');
          const labels = (await call(page, 'menu')).map(([label]) => label);
          assert.deepEqual((await dom(page)).menuLabels, labels);
          assert.ok(labels.includes(tr('Mars', 'body menu')), `no ${tr('Mars', 'body menu')} in ${labels}`);
          await page.keyboard.press('Escape');
          assert.equal((await dom(page)).menu, false, 'Esc did not close the menu');
        }],
        [`${lang}: Mars opens its close-up and its fact box, in the desktop's words`, async () => {
          const before = await pixels(page);
          await choose(page, mars.menuValue);
          assert.equal(await call(page, 'viewMode'), mars.viewMode);
          const shown = await dom(page);
          assert.ok(shown.fact, 'no fact box');
          assert.equal(shown.factCaption, tr(mars.factCaption));
          assert.equal(shown.factText, tr(mars.factText));
          assert.equal(shown.factOk, tr('OK'));
          assert.ok(differingPixels(before, await pixels(page)) > 10000, 'the picture is not a close-up');
        }],
        [`${lang}: Return closes the fact box, OK too`, async () => {
          await page.keyboard.press('Enter');
          assert.equal((await dom(page)).fact, false);
          await choose(page, mars.menuValue);
          assert.ok((await dom(page)).fact);
          await page.click('#fact-ok');
          assert.equal((await dom(page)).fact, false);
        }],
      ]);
      if (failed) process.exitCode = 1;
    });
  }
}

// The help panel: the rows of the controls table in the page's language,
// the line that a page cannot quit, the map credits.
async function helpGroup() {
  for (const lang of ['ko', 'en']) {
    const tr = catalog(lang);
    await withBrowser(async (session) => {
      const page = await session.open(lang === 'en' ? '?lang=en' : '');
      const failed = await cases([
        [`${lang}: the help panel is the controls table`, async () => {
          await page.keyboard.press('F1');
          await frames(page, 2);
          const shown = await dom(page);
          assert.ok(shown.help, 'F1 did not open the help panel');
          const rows = await call(page, 'controls');
          assert.ok(rows.length >= 15, `only ${rows.length} rows`);
          assert.deepEqual(shown.helpRows, rows);
          // In the page's language: each row is its msgid's translation.
          assert.ok(rows.some(([input, text]) => input === tr('Up / Down') && text === tr('walk forward / back')), JSON.stringify(rows));
          assert.equal(shown.helpQuit, tr('A web page cannot quit: Esc closes the panels and boxes.'));
          assert.deepEqual(shown.credits, await call(page, 'credits'));
          assert.ok(shown.credits.length >= 5);
          assert.equal(shown.title, tr('Solar System'));
          assert.equal(shown.lang, lang);
        }],
        [`${lang}: the switch changes every text to the other language`, async () => {
          const other = lang === 'ko' ? 'en' : 'ko';
          const otherTr = catalog(other);
          await page.select('#language-switch', other);
          await until(page, 'the other language', async () => (await dom(page)).lang === other);
          await frames(page, 2);
          const shown = await dom(page);
          assert.ok(shown.help);
          assert.ok(shown.helpRows.some(([input]) => input === otherTr('Up / Down')), JSON.stringify(shown.helpRows));
          assert.equal(shown.helpQuit, otherTr('A web page cannot quit: Esc closes the panels and boxes.'));
          assert.ok(page.url().includes(`lang=${other}`));
        }],
      ]);
      if (failed) process.exitCode = 1;
    });
  }
}

// Every row of the controls table except F11 and F12 does what the help
// says: by the HTML where it changes the page, by the picture where it
// changes the scene, by the program's state where neither shows it alone.
async function controlsGroup() {
  const tr = catalog('en');
  await withBrowser(async (session) => {
    const page = await session.open('?lang=en');
    const still = async () => assert.ok(!(await running(page)), 'the scene does not stand still at start');
    const picture = () => pixels(page);
    const tested = new Set();
    const row = (input) => {
      tested.add(input);
      return input;
    };
    const key = async (k, n = 2) => {
      await page.keyboard.press(k);
      await frames(page, n);
    };
    const failed = await cases([
      [row('Up / Down'), async () => {
        await still();
        const start = await picture();
        await key('ArrowUp');
        const walked = await picture();
        assert.ok(differingPixels(start, walked) > 1000, 'Up did not walk');
        await key('ArrowDown');
        assert.ok(differingPixels(start, await picture()) < 50, 'Down did not walk back');
      }],
      [row('Left / Right'), async () => {
        const start = await picture();
        await key('ArrowLeft');
        assert.ok(differingPixels(start, await picture()) > 1000, 'Left did not turn');
        await key('ArrowRight');
        assert.ok(differingPixels(start, await picture()) < 50, 'Right did not turn back');
      }],
      [row('mouse wheel'), async () => {
        const start = await picture();
        await key('ArrowUp');
        const walked = await picture();
        await key('ArrowDown');
        await page.mouse.move(450, 400);
        await page.mouse.wheel({ deltaY: -100 });
        await frames(page, 2);
        assert.ok(differingPixels(walked, await picture()) < 50, 'the wheel up is not Up');
        await page.mouse.wheel({ deltaY: 100 });
        await frames(page, 2);
        assert.ok(differingPixels(start, await picture()) < 50, 'the wheel down is not Down');
      }],
      [row('left drag'), async () => {
        const start = await picture();
        // A small turn (a degree a pixel), which keeps the system in sight.
        await page.mouse.move(450, 600);
        await page.mouse.down();
        await page.mouse.move(465, 590, { steps: 5 });
        await frames(page, 2);
        assert.ok(differingPixels(start, await picture()) > 1000, 'the drag did not turn the scene');
        assert.ok(!(await running(page)), 'a drag started the animation before the button was let go');
        await page.mouse.up();
        await frames(page, 2);
      }],
      [row('left click'), async () => {
        // The drag's release started the animation, as a click does.
        assert.ok(await running(page), 'the clock does not step');
        let steps;
        await page.mouse.move(450, 700);
        await page.mouse.down();
        await frames(page, 3);
        steps = await call(page, 'steps');
        await frames(page, 5);
        assert.equal(await call(page, 'steps'), steps, 'holding the button did not pause');
        await page.mouse.up();
        await frames(page, 5);
        assert.ok((await call(page, 'steps')) > steps, 'letting go did not resume');
      }],
      [row('space'), async () => {
        await key(' ', 3);
        const steps = await call(page, 'steps');
        await frames(page, 5);
        assert.equal(await call(page, 'steps'), steps, 'space did not pause');
        await key(' ', 5);
        assert.ok((await call(page, 'steps')) > steps, 'space did not resume');
        await key(' ', 3);  // paused again for the cases below
      }],
      [row('o'), async () => {
        const before = await call(page, 'showOrbits');
        const start = await picture();
        await key('o');
        assert.equal(await call(page, 'showOrbits'), before ? 0 : 1);
        assert.ok(differingPixels(start, await picture()) > 500, 'no orbit lines appeared');
      }],
      [row('l'), async () => {
        // Lighting shows on untextured drawing only: the axis of a plain
        // close-up (Mars's) is such.
        await key('o');
        await choose(page, bodyRow('Mars').menuValue);
        await page.keyboard.press('Enter');
        await frames(page, 2);
        const start = await picture();
        await key('l');
        const changed = differingPixels(start, await picture());
        await key('l');
        const back = differingPixels(start, await picture());
        await choose(page, bodyRow('Kosmara').menuValue);
        assert.ok(changed > 0, 'lighting changed nothing');
        assert.ok(back < 50, 'lighting on again is not as before');
      }],
      [row('n'), async () => {
        await key('n');
        let names = (await dom(page)).names.filter((n) => !n.hidden).map((n) => n.text);
        assert.ok(names.includes(tr('Mars')) && names.includes(tr('Sun')), `names shown: ${names}`);
        assert.equal(await call(page, 'showNames'), 1);
        await key('n');
        names = (await dom(page)).names.filter((n) => !n.hidden);
        assert.equal(names.length, 0);
      }],
      [row('F1 / h / ?'), async () => {
        for (const k of ['F1', 'h', '?']) {
          await key(k);
          assert.ok((await dom(page)).help, `${k} did not open the help`);
          await key(k);
          assert.ok(!(await dom(page)).help, `${k} did not close the help`);
        }
      }],
      [row('+ / ='), async () => {
        await key('+');
        assert.equal(await call(page, 'timeRate'), 2);
        await key('=');
        assert.equal(await call(page, 'timeRate'), 4);
        for (let i = 0; i < 6; ++i) await key('+', 1);
        assert.equal(await call(page, 'timeRate'), 64, 'not held at 64x');
        assert.ok((await dom(page)).status.includes('64'), (await dom(page)).status);
      }],
      [row('-'), async () => {
        for (let i = 0; i < 12; ++i) await key('-', 1);
        assert.equal(await call(page, 'timeRate'), 1 / 16, 'not held at 1/16x');
      }],
      [row('b'), async () => {
        await key('b');
        assert.equal(Math.abs(await call(page, 'timeRate')), 1 / 16, 'b changed the rate');
        assert.ok((await dom(page)).status.includes(tr('backwards')), (await dom(page)).status);
        await key('b');
        assert.equal(await call(page, 'timeRate'), 1 / 16);
        assert.ok(!(await dom(page)).status.includes(tr('backwards')), (await dom(page)).status);
      }],
      [row('0'), async () => {
        await key('b');
        await key('0');
        assert.equal(await call(page, 'timeRate'), 1);
        assert.equal((await dom(page)).status, '', 'a status line at 1x forwards');
      }],
      [row('d'), async () => {
        const start = await picture();
        await key('d', 3);
        assert.equal(await call(page, 'dateMode'), 1);
        assert.ok((await dom(page)).status.includes('UTC'), (await dom(page)).status);
        assert.ok(differingPixels(start, await picture()) > 1000, 'date mode moved nothing');
        await key('d', 3);
        assert.equal(await call(page, 'dateMode'), 0);
        assert.ok(differingPixels(start, await picture()) < 50, 'd again did not return the animation as it was');
      }],
      [row('right button'), async () => {
        await page.mouse.click(450, 400, { button: 'right' });
        assert.ok((await dom(page)).menu, 'no menu');
        await page.click(`#menu li[data-value="${bodyRow('Mars').menuValue}"]`);
        await frames(page, 2);
        assert.ok((await dom(page)).fact, 'no fact box');
        await page.keyboard.press('Enter');
        await choose(page, bodyRow('Kosmara').menuValue);
        assert.equal((await dom(page)).fact, false, 'Kosmara has a box');
      }],
      [row('Esc'), async () => {
        // A page cannot quit: Esc closes what is open, one at a time, and
        // the page goes on.
        await key('F1');
        await page.mouse.click(450, 400, { button: 'right' });
        await page.keyboard.press('Escape');
        let shown = await dom(page);
        assert.ok(!shown.menu && shown.help);
        await key('Escape');
        shown = await dom(page);
        assert.ok(!shown.help, 'Esc did not close the help');
        await key('Escape');
        const count = await page.evaluate(() => window.solarViewer.frames());
        await frames(page, 3);
        assert.ok((await page.evaluate(() => window.solarViewer.frames())) > count, 'the page stopped');
      }],
      ['every other row is F11 or F12', async () => {
        const rows = (await call(page, 'controls')).map(([input]) => input);
        const left = rows.filter((input) => !tested.has(input) && input !== 'F11' && input !== 'F12');
        assert.deepEqual(left, [], 'rows no case tries');
      }],
    ]);
    assert.deepEqual(session.problems, []);
    if (failed) process.exitCode = 1;
  });
}

// Date mode from the address: the Mars opposition of 2025-01-16 puts the
// Sun, the Earth and Mars on one ray, found by the identification pass's
// flat colours (body i drawn as 40 + 20 i, 255 - 20 i, 128).
async function dateGroup() {
  const Astronomy = require('astronomy-engine');
  await withBrowser(async (session) => {
    const page = await session.open('?lang=en&date=2025-01-16T02:38Z');
    const failed = await cases([
      ['the date puts the viewer in date mode', async () => {
        assert.equal(await call(page, 'dateMode'), 1);
        assert.ok((await dom(page)).status.startsWith('2025-01-16 02:38 UTC'), (await dom(page)).status);
      }],
      ['the Sun, the Earth and Mars on one ray, the Earth between', async () => {
        await call(page, 'identification', 1);
        await frames(page, 3);
        const shot = await pixels(page);
        await call(page, 'identification', 0);
        const centroid = (index) => {
          const [r, g, b] = [40 + 20 * index, 255 - 20 * index, 128];
          let x = 0;
          let y = 0;
          let n = 0;
          for (let i = 0; i < shot.data.length; i += 4) {
            if (shot.data[i] === r && shot.data[i + 1] === g && shot.data[i + 2] === b) {
              x += (i / 4) % shot.width;
              y += Math.floor(i / 4 / shot.width);
              ++n;
            }
          }
          assert.ok(n > 0, `body ${index} is not in the picture`);
          return [x / n, y / n];
        };
        const [sun, earth, mars] = [centroid(0), centroid(3), centroid(5)];
        const angle = (p) => Math.atan2(-(p[1] - sun[1]), p[0] - sun[0]) * 180 / Math.PI;
        const between = (a, b) => ((a - b + 540) % 360) - 180;
        assert.ok(Math.abs(between(angle(earth), angle(mars))) < 2, `Earth ${angle(earth)}, Mars ${angle(mars)}`);
        assert.ok(Math.hypot(earth[0] - sun[0], earth[1] - sun[1]) < Math.hypot(mars[0] - sun[0], mars[1] - sun[1]));
        const longitude = Astronomy.EclipticLongitude(Astronomy.Body.Earth, new Date('2025-01-16T02:38Z'));
        assert.ok(Math.abs(between(angle(earth), longitude)) < 2, `Earth at ${angle(earth)}, its longitude ${longitude}`);
      }],
    ]);
    assert.deepEqual(session.problems, []);
    if (failed) process.exitCode = 1;
  });
}

// Touch: one finger drags the scene and taps as a click; in date mode a tap
// starts and stops the date clock; two fingers walk.
async function touchGroup() {
  await withBrowser(async (session) => {
    const page = await session.open('?lang=en', { touch: true });
    const touch = page.touchscreen;
    const failed = await cases([
      ['two fingers spreading walk forward, pinching walk back', async () => {
        const client = await page.createCDPSession();
        const points = (d) => [{ x: 450 - d, y: 400, id: 1 }, { x: 450 + d, y: 400, id: 2 }];
        const pinch = async (from, to) => {
          await client.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points(from) });
          const step = from < to ? 10 : -10;
          for (let d = from + step; d !== to + step; d += step) {
            await client.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: points(d) });
          }
          await client.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
          await frames(page, 2);
        };
        const start = await pixels(page);
        await pinch(50, 130);
        assert.ok(differingPixels(start, await pixels(page)) > 1000, 'spreading did not walk');
        await pinch(130, 50);
        assert.ok(differingPixels(start, await pixels(page)) < 50, 'pinching did not walk back');
      }],
      ['one finger drags the scene round', async () => {
        const start = await pixels(page);
        await touch.touchStart(450, 600);
        for (let i = 1; i <= 5; ++i) await touch.touchMove(450 + 4 * i, 600 - 2 * i);
        await frames(page, 2);
        const dragged = await pixels(page);
        await touch.touchEnd();
        assert.ok(differingPixels(start, dragged) > 1000, 'the drag did not turn the scene');
      }],
      ['a long press opens the menu', async () => {
        await touch.touchStart(300, 300);
        await sleep(800);
        await frames(page, 1);
        const shown = (await dom(page)).menu;
        await touch.touchEnd();
        await page.keyboard.press('Escape');
        assert.ok(shown, 'no menu after a long press');
      }],
      ['the "?" button opens and closes the help panel, as the key does', async () => {
        await page.tap('#help-button');
        await frames(page, 2);
        assert.ok((await dom(page)).help, 'no help panel');
        await page.tap('#help-button');
        await frames(page, 2);
        assert.ok(!(await dom(page)).help, 'the help panel stayed');
      }],
      ['a tap is a click: it starts the animation; a finger held on it pauses it', async () => {
        const fresh = await session.open('?lang=en', { touch: true });
        assert.ok(!(await running(fresh)));
        await fresh.touchscreen.tap(450, 700);
        await frames(fresh, 2);
        assert.ok(await running(fresh), 'the tap did not start the animation');
        // A finger held on the scene holds the button: it goes down when the
        // finger moves (a still one would open the menu after a while).
        await fresh.touchscreen.touchStart(450, 700);
        await fresh.touchscreen.touchMove(450, 690);
        await sleep(600);
        const paused = !(await running(fresh));
        await fresh.touchscreen.touchEnd();
        assert.ok(paused, 'a held finger did not pause');
        await frames(fresh, 2);
        assert.ok(await running(fresh), 'lifting the finger did not resume');
        await fresh.close();
      }],
    ]);
    const dated = await session.open('?lang=en&date=2025-01-16T02:38Z', { touch: true });
    const failedDated = await cases([
      ['in date mode a tap starts the date clock and the next one pauses it', async () => {
        assert.ok((await dom(dated)).status.includes('paused'), (await dom(dated)).status);
        await dated.touchscreen.tap(450, 700);
        await frames(dated, 3);
        assert.ok(!(await dom(dated)).status.includes('paused'), (await dom(dated)).status);
        await dated.touchscreen.tap(450, 700);
        await frames(dated, 3);
        assert.ok((await dom(dated)).status.includes('paused'), (await dom(dated)).status);
      }],
    ]);
    assert.deepEqual(session.problems, []);
    if (failed || failedDated) process.exitCode = 1;
  });
}

// Twenty seconds of the animation: no console error, no failed request,
// and frames keep coming (the clock too).
async function healthGroup() {
  await withBrowser(async (session) => {
    const page = await session.open();
    await page.mouse.click(450, 700);
    const failed = await cases([
      ['20 s of animation: frames and clock steps keep coming, nothing fails', async () => {
        let frameCount = await page.evaluate(() => window.solarViewer.frames());
        let steps = await call(page, 'steps');
        for (let second = 0; second < 20; second += 4) {
          await sleep(4000);
          const nowFrames = await page.evaluate(() => window.solarViewer.frames());
          const nowSteps = await call(page, 'steps');
          assert.ok(nowFrames > frameCount + 4, `${nowFrames - frameCount} frames in 4 s`);
          assert.ok(nowSteps > steps, 'the clock stopped');
          frameCount = nowFrames;
          steps = nowSteps;
        }
        assert.deepEqual(session.problems, []);
      }],
      ['the page holds the program, its pictures and catalogs from this host only', async () => {
        const hosts = await page.evaluate(() => performance.getEntriesByType('resource').map((r) => new URL(r.name).host));
        const own = new URL(session.url).host;
        assert.deepEqual(hosts.filter((h) => h !== own), []);
        assert.ok(hosts.length >= 10, `${hosts.length} requests`);
      }],
    ]);
    if (failed) process.exitCode = 1;
  });
}

// Both renderers' identification passes (each body in its flat colour,
// everything else black) after 0 and 500 clock steps: every body's centroid
// within 2 px of the desktop's (tests/web/frame_reference.cpp, under X).
async function frameGroup() {
  const { execFileSync } = require('child_process');
  const reference = process.argv[3];
  if (!reference) throw new Error('usage: page_test.js frame <frame_reference program>');
  if (!process.env.DISPLAY) skip('no X display for the desktop renderer (DISPLAY is not set)');
  const colours = Array.from({ length: 11 }, (_, i) => [40 + 20 * i, 255 - 20 * i, 128]);
  const centroids = (shot) => {
    const found = {};
    for (let i = 0; i < shot.data.length; i += 4) {
      const body = colours.findIndex(([r, g, b]) => shot.data[i] === r && shot.data[i + 1] === g && shot.data[i + 2] === b);
      if (body < 0) continue;
      const entry = (found[body] ||= [0, 0, 0]);
      entry[0] += (i / 4) % shot.width;
      entry[1] += Math.floor(i / 4 / shot.width);
      ++entry[2];
    }
    for (const entry of Object.values(found)) {
      entry[0] /= entry[2];
      entry[1] /= entry[2];
    }
    return found;
  };
  await withBrowser(async (session) => {
    const page = await session.open();
    await call(page, 'identification', 1);
    await frames(page, 3);
    const web = { 0: centroids(await pixels(page)) };
    // A click starts the animation; the page stops the clock at the frame
    // it reaches 500 steps (one step per frame).
    const steps = await page.evaluate(() => new Promise((resolve) => {
      const v = window.solarViewer.viewer;
      v.mouse(0, 1, 450, 700);
      v.mouse(0, 0, 450, 700);
      const watch = () => {
        if (v.steps() >= 500) {
          v.pause(1);
          resolve(v.steps());
        } else {
          requestAnimationFrame(watch);
        }
      };
      requestAnimationFrame(watch);
    }));
    await frames(page, 3);
    assert.equal(await call(page, 'steps'), steps, 'the clock did not stop');
    web[steps] = centroids(await pixels(page));
    // The JSON is the program's last line (the viewer's picture loading may
    // speak before it).
    const printed = execFileSync(reference, ['0', String(steps)], { encoding: 'utf8' }).trim().split('\n');
    const desktop = JSON.parse(printed[printed.length - 1]);
    const failed = await cases([0, steps].map((count) => [`after ${count} steps every body where the desktop draws it`, async () => {
      const visible = (set) => Object.keys(set).filter((body) => set[body][2] > 20).sort();
      assert.deepEqual(visible(web[count]), visible(desktop[count]), 'not the same bodies in sight');
      for (const body of visible(desktop[count])) {
        const [dx, dy] = [web[count][body][0] - desktop[count][body][0], web[count][body][1] - desktop[count][body][1]];
        assert.ok(Math.hypot(dx, dy) <= 2, `body ${body}: web ${web[count][body]}, desktop ${desktop[count][body]}`);
      }
    }]));
    assert.deepEqual(session.problems, []);
    if (failed) process.exitCode = 1;
  });
}

const groups = { frame: frameGroup, messages: messagesGroup, menu: menuGroup, help: helpGroup, controls: controlsGroup, date: dateGroup, touch: touchGroup, health: healthGroup };
if (!groups[group]) {
  console.error(`usage: node page_test.js ${Object.keys(groups).join('|')}`);
  process.exit(2);
}
groups[group]().catch((error) => {
  if (error && error.code === 'SKIP') skip(error.message);
  console.log(`FAIL ${group}: ${error.stack || error}`);
  process.exitCode = 1;
});
