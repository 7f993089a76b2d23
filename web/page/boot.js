// The first thing the page runs, as a classic script so that it runs even
// when the page is opened as a file (where module scripts, WebAssembly and
// fetch() are refused): it chooses the language and, opened as a file, says
// that the page needs a web server.  The texts come from
// i18n/page-texts.js, made from po/web.<lang>.po at build time.
(function () {
  'use strict';
  const catalogs = window.solarPageTexts || { languages: ['ko'], texts: {} };
  const languages = catalogs.languages;

  // ?lang=ko|en|auto; Korean by default; auto follows the browser's list of
  // languages and falls back to Korean.
  function chooseLanguage(asked) {
    if (asked && asked !== 'auto' && languages.includes(asked)) return asked;
    if (asked === 'auto') {
      for (const wanted of navigator.languages || [navigator.language || '']) {
        const primary = String(wanted).toLowerCase().split('-')[0];
        if (languages.includes(primary)) return primary;
      }
    }
    return languages.includes('ko') ? 'ko' : languages[0];
  }

  // A text of the page's own in a language ("" context for none): its
  // msgstr, or the msgid itself where the catalog has none.
  function pageText(lang, msgid, context) {
    const entries = catalogs.texts[lang] || [];
    for (const [ctx, id, str] of entries) if (ctx === (context || '') && id === msgid) return str;
    return msgid;
  }

  function showMessage(msgid) {
    const box = document.getElementById('message');
    box.textContent = pageText(page.language, msgid);
    box.hidden = false;
  }

  const params = new URLSearchParams(location.search);
  const page = {
    languages: languages,
    asked: params.get('lang') || 'ko',
    language: chooseLanguage(params.get('lang') || 'ko'),
    chooseLanguage: chooseLanguage,
    pageText: pageText,
    showMessage: showMessage,
    NEEDS_SERVER: 'This page needs a web server: a browser does not run WebAssembly and WebGL pictures from a page opened as a file. Serve its folder (for instance with scripts/serve-web.sh) and open it through http://.',
    NO_WEBGL2: 'This browser has no WebGL 2, which the viewer draws with.',
    CANNOT_QUIT: 'A web page cannot quit: Esc closes the panels and boxes.',
  };
  window.solarPage = page;
  document.documentElement.lang = page.language;
  if (location.protocol === 'file:') showMessage(page.NEEDS_SERVER);
})();
