// The web page's catalogs (web/po-to-json.js) hold exactly the desktop's
// translations: for every language, the entries of i18n/<lang>.json equal
// those of the desktop's compiled catalog (msgcat --use-first and msgfmt
// over the same po/ files), and the page's own texts are among them.
//   node tests/web/catalogs_test.js <build folder's locale/>
'use strict';
const assert = require('assert/strict');
const { execFileSync } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

let mo;
try {
  mo = require('gettext-parser').mo;
} catch (e) {
  console.log('skipped: gettext-parser is not installed (npm ci in the source folder)');
  process.exit(77);
}
const source = path.resolve(__dirname, '../..');
const locale = process.argv[2];
const out = fs.mkdtempSync(path.join(os.tmpdir(), 'solar-web-i18n-'));
try {
  execFileSync(process.execPath, [path.join(source, 'web/po-to-json.js'), path.join(source, 'po'), out], { stdio: 'inherit' });
  const page = {};
  new Function('window', fs.readFileSync(path.join(out, 'page-texts.js'), 'utf8'))(page);
  const languages = page.solarPageTexts.languages;
  assert.ok(languages.includes('ko') && languages.includes('en'), `languages: ${languages}`);
  for (const lang of languages) {
    const compiled = mo.parse(fs.readFileSync(path.join(locale, lang, 'LC_MESSAGES/solar-system.mo')));
    const desktop = new Map();
    for (const [context, messages] of Object.entries(compiled.translations)) {
      for (const [msgid, message] of Object.entries(messages)) {
        if (msgid) desktop.set(`${context}\u0004${msgid}`, message.msgstr[0]);
      }
    }
    const web = new Map(JSON.parse(fs.readFileSync(path.join(out, `${lang}.json`), 'utf8')).entries
      .map(([context, msgid, msgstr]) => [`${context}\u0004${msgid}`, msgstr]));
    assert.equal(web.size, desktop.size, `${lang}: ${web.size} web entries, ${desktop.size} desktop ones`);
    for (const [key, msgstr] of desktop) assert.equal(web.get(key), msgstr, `${lang}: ${key.replace('\u0004', ' | ')}`);
    for (const [context, msgid, msgstr] of page.solarPageTexts.texts[lang]) {
      assert.equal(web.get(`${context}\u0004${msgid}`), msgstr, `${lang}: the page's own ${msgid}`);
    }
    console.log(`ok   ${lang}: ${web.size} entries, as the desktop's catalog`);
  }
} finally {
  fs.rmSync(out, { recursive: true, force: true });
}
