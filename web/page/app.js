// The viewer in a web page: loads the program and the language's catalog,
// starts it on the canvas, and keeps the page's HTML (names, status line,
// help panel) in step with it frame by frame.
import { loadViewer, pictureNames } from './viewer.js';
import { Panels } from './panels.js';
import { installInput } from './input.js';

const page = window.solarPage;
const canvas = document.getElementById('scene');

function hasWebGL2() {
  try {
    return Boolean(document.createElement('canvas').getContext('webgl2'));
  } catch (e) {
    return false;
  }
}

async function fetchCatalog(lang) {
  const response = await fetch(`i18n/${lang}.json`);
  if (!response.ok) throw new Error(`i18n/${lang}.json: ${response.status}`);
  return response.json();
}

// The page's own lookup over the catalog it hands the program.
function makeTranslator() {
  let table = new Map();
  const tr = (msgid, context = '') => table.get(context + '\u0004' + msgid) ?? msgid;
  tr.language = page.language;
  tr.load = (catalog) => {
    table = new Map(catalog.entries.map(([context, msgid, msgstr]) => [context + '\u0004' + msgid, msgstr]));
    tr.language = catalog.language;
  };
  return tr;
}

function handCatalog(viewer, catalog) {
  viewer.catalogClear();
  for (const [context, msgid, msgstr] of catalog.entries) viewer.catalogAdd(context, msgid, msgstr);
}

// The canvas's drawing buffer at the size it is shown, in device pixels.
// (At most two device pixels per CSS pixel: a phone's three cost more
// than they show.)
function fitCanvas() {
  const ratio = Math.min(window.devicePixelRatio || 1, 2);
  const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
  const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
  const changed = canvas.width !== width || canvas.height !== height;
  canvas.width = width;
  canvas.height = height;
  return changed;
}

// solar-system-YYYY-MM-DD-HHMMSS.png in local time, as the desktop names it.
function screenshotName() {
  const d = new Date();
  const two = (n) => String(n).padStart(2, '0');
  return `solar-system-${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())}-` +
         `${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}.png`;
}

async function main() {
  if (location.protocol === 'file:') return;  // boot.js has said why
  if (!hasWebGL2()) {
    page.showMessage(page.NO_WEBGL2);
    return;
  }
  const [pictures, catalog] = await Promise.all([pictureNames(), fetchCatalog(page.language)]);
  const viewer = await loadViewer(canvas, pictures);
  const tr = makeTranslator();
  tr.load(catalog);
  handCatalog(viewer, catalog);
  document.title = tr('Solar System');

  fitCanvas();
  if (!viewer.start(canvas.width, canvas.height)) {
    page.showMessage(page.NO_WEBGL2);
    return;
  }
  const date = new URLSearchParams(location.search).get('date');
  if (date !== null) {
    const status = viewer.setDate(date);
    if (status !== 0) console.warn(`solar-system: date "${date}" not taken (status ${status})`);
  }

  const panels = new Panels(viewer, canvas, tr);
  panels.refresh();
  let screenshotWanted = false;
  installInput(viewer, canvas, panels, {
    fullScreen() {
      if (document.fullscreenElement) document.exitFullscreen();
      else document.documentElement.requestFullscreen().catch(() => {});
    },
    screenshot() {
      screenshotWanted = true;
    },
  });

  // A phone has no F1: the button presses "?", which opens and closes the
  // help panel as the key does.
  const helpButton = document.getElementById('help-button');
  helpButton.addEventListener('click', () => {
    viewer.key('?'.charCodeAt(0));
    canvas.focus();
  });
  helpButton.hidden = false;

  // The language switch: each language by its own name.
  const select = document.getElementById('language-switch');
  select.replaceChildren(...page.languages.map((lang) => {
    const option = document.createElement('option');
    option.value = lang;
    option.textContent = page.pageText(lang, 'English', 'language switch');
    return option;
  }));
  select.value = page.language;
  document.getElementById('language').hidden = false;
  const label = () => {
    document.getElementById('language-label').textContent = tr('Language', 'language switch');
  };
  label();
  select.addEventListener('change', async () => {
    const lang = select.value;
    const next = await fetchCatalog(lang);
    tr.load(next);
    handCatalog(viewer, next);
    page.language = lang;
    document.documentElement.lang = lang;
    document.title = tr('Solar System');
    label();
    panels.refresh();
    const url = new URL(location.href);
    url.searchParams.set('lang', lang);
    history.replaceState(null, '', url);
    select.blur();
    canvas.focus();
  });

  window.addEventListener('resize', () => {
    if (fitCanvas()) viewer.resize(canvas.width, canvas.height);
  });
  document.addEventListener('visibilitychange', () => viewer.pause(document.hidden ? 1 : 0));

  // The page's frame: the program's main loop has drawn by now (its
  // animation-frame callback was registered first), so the names and the
  // status line are those of the frame on screen, and the drawing buffer
  // still holds the frame for a screenshot.
  let frames = 0;
  const tick = () => {
    ++frames;
    panels.update();
    if (screenshotWanted) {
      screenshotWanted = false;
      canvas.toBlob((blob) => {
        if (!blob) return;
        const link = document.createElement('a');
        link.href = URL.createObjectURL(blob);
        link.download = screenshotName();
        link.click();
        setTimeout(() => URL.revokeObjectURL(link.href), 10000);
      }, 'image/png');
    }
    requestAnimationFrame(tick);
  };
  requestAnimationFrame(tick);
  canvas.focus();

  // For the browser tests and anyone at the console.
  window.solarViewer = { viewer, panels, tr, frames: () => frames };
}

main().catch((error) => {
  console.error(error);
});
