// The desktop's own texts, read where the desktop keeps them, for the tests
// to compare the page with: the rows of core/bodies.cpp (their msgids) and
// the po/ catalogs (merged as the build merges them, the first file wins).
'use strict';
const fs = require('fs');
const path = require('path');
const { SOURCE } = require('./harness');

// A C++ string literal sequence ("a" "b" ...) as its text.
function literal(text) {
  let out = '';
  for (const m of text.matchAll(/"((?:[^"\\]|\\.)*)"/g)) out += JSON.parse(`"${m[1]}"`);
  return out;
}

// The row of core/bodies.cpp whose menu label is `label` (msgctxt "body
// menu"): its menu value, view mode, and the msgids of its fact box.
function bodyRow(label) {
  const source = fs.readFileSync(path.join(SOURCE, 'core/bodies.cpp'), 'utf8');
  const at = source.indexOf(`.menuLabel = NC_("body menu", "${label}")`);
  if (at < 0) throw new Error(`core/bodies.cpp has no row labelled ${label}`);
  const row = source.slice(source.lastIndexOf('{', at), source.indexOf('\n    },', at));
  const field = (name) => {
    const m = new RegExp(`\\.${name} = ([^,]*?(?:N_\\((?:\\s*"(?:[^"\\\\]|\\\\.)*")+\\s*\\))?)(?:,|$)`, 'm').exec(row);
    if (!m) throw new Error(`the ${label} row has no ${name}`);
    return m[1];
  };
  return {
    menuValue: Number(field('menuValue')),
    viewMode: Number(field('viewMode')),
    factCaption: literal(field('factCaption')),
    factText: literal(field('factText')),
  };
}

// The merged catalog of a language: lookup(msgid, context) -> msgstr or
// the msgid where there is none.
function catalog(lang) {
  const { po } = require('gettext-parser');
  const dir = path.join(SOURCE, 'po');
  const files = [`${lang}.po`, ...fs.readdirSync(dir).filter((f) => f.endsWith(`.${lang}.po`)).sort()];
  const table = new Map();
  for (const file of files) {
    const parsed = po.parse(fs.readFileSync(path.join(dir, file)));
    for (const [context, messages] of Object.entries(parsed.translations)) {
      for (const [msgid, message] of Object.entries(messages)) {
        const key = context + '\u0004' + msgid;
        if (msgid && message.msgstr[0] && !table.has(key)) table.set(key, message.msgstr[0]);
      }
    }
  }
  return (msgid, context = '') => table.get(context + '\u0004' + msgid) ?? msgid;
}

module.exports = { bodyRow, catalog };
