// The web page's catalogs, made from the same po/ files as the desktop's:
// for each language of po/LINGUAS, po/<lang>.po merged with every
// po/<part>.<lang>.po beside it (the first file wins where two give the same
// text, as msgcat --use-first does for the desktop) and written as
//   <out>/<lang>.json      {"language": "<lang>", "entries": [[context, msgid, msgstr], ...]}
// (context "" for none; untranslated entries left out, the viewer shows the
// msgid for them), and
//   <out>/page-texts.js    the page's own texts (po/web.<lang>.po) for every
//                          language and the list of languages, as a classic
//                          script: the page needs them before it can fetch
//                          anything, and opened as a file it can fetch nothing.
//   node web/po-to-json.js <po folder> <out folder>
'use strict';
const fs = require('fs');
const path = require('path');

let po;
try {
  po = require('gettext-parser').po;
} catch (e) {
  console.error('po-to-json: gettext-parser is not installed (npm ci in the source folder)');
  process.exit(1);
}

const [poDir, outDir] = process.argv.slice(2);
if (!poDir || !outDir) {
  console.error('usage: node web/po-to-json.js <po folder> <out folder>');
  process.exit(2);
}

function entriesOf(file) {
  const parsed = po.parse(fs.readFileSync(file));
  const entries = [];
  for (const [context, messages] of Object.entries(parsed.translations)) {
    for (const [msgid, message] of Object.entries(messages)) {
      if (msgid === '' || message.flags?.fuzzy) continue;  // the header
      const msgstr = message.msgstr[0];
      if (msgstr) entries.push([context, msgid, msgstr]);
    }
  }
  return entries;
}

const languages = fs.readFileSync(path.join(poDir, 'LINGUAS'), 'utf8')
  .split('\n').map((l) => l.trim()).filter((l) => l && !l.startsWith('#'));
fs.mkdirSync(outDir, { recursive: true });
const pageTexts = {};
for (const lang of languages) {
  const parts = fs.readdirSync(poDir).filter((f) => f.endsWith(`.${lang}.po`)).sort();
  const seen = new Set();
  const merged = [];
  for (const file of [`${lang}.po`, ...parts]) {
    for (const entry of entriesOf(path.join(poDir, file))) {
      const key = entry[0] + '\u0004' + entry[1];
      if (seen.has(key)) continue;
      seen.add(key);
      merged.push(entry);
    }
  }
  fs.writeFileSync(path.join(outDir, `${lang}.json`), JSON.stringify({ language: lang, entries: merged }));
  const own = path.join(poDir, `web.${lang}.po`);
  pageTexts[lang] = fs.existsSync(own) ? entriesOf(own) : [];
}
fs.writeFileSync(path.join(outDir, 'page-texts.js'),
  '// Made by web/po-to-json.js from po/LINGUAS and po/web.<lang>.po.\n' +
  `window.solarPageTexts = ${JSON.stringify({ languages, texts: pageTexts })};\n`);
console.log(`po-to-json: ${languages.join(', ')} -> ${outDir}`);
