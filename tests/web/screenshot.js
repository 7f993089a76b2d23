// A screenshot of the web page in headless Chromium, as the README shows it:
//   node tests/web/screenshot.js <out.png> [query] [keys...]
// opens the built site (SOLAR_WEB_SITE, else build-web/site) with the query
// (e.g. "?lang=en"), starts the animation with a click, lets it run for a
// second, presses the keys (puppeteer key names, "menu:<value>" to choose
// a body from the menu, "wait:<ms>", "click" to click the middle of the
// canvas) and saves the window.
'use strict';
const { withBrowser, frames } = require('./harness');

const [out, query = '', ...keys] = process.argv.slice(2);
if (!out) {
  console.error('usage: node screenshot.js <out.png> [query] [keys...]');
  process.exit(2);
}
withBrowser(async (session) => {
  const page = await session.open(query);
  for (const key of keys) {
    if (key.startsWith('wait:')) await new Promise((r) => setTimeout(r, Number(key.slice(5))));
    else if (key === 'click') await page.mouse.click(450, 700);
    else if (key.startsWith('menu:')) {
      await page.mouse.click(450, 400, { button: 'right' });
      await page.click(`#menu li[data-value="${key.slice(5)}"]`);
    } else await page.keyboard.press(key);
    await frames(page, 2);
  }
  await frames(page, 3);
  await page.screenshot({ path: out });
  if (session.problems.length) console.log(session.problems.join('\n'));
}).catch((error) => {
  console.error(`screenshot.js: ${error.message}`);
  process.exit(1);
});
