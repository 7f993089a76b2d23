// The page's parts that show the viewer's texts: names beside the bodies,
// the status line, the help panel, the body menu and the fact box.  Every
// text comes from the program (its controls table, menu, fact boxes,
// credits, names and status line) or, for the few the page says itself,
// from the catalog through tr().

export class Panels {
  constructor(viewer, canvas, tr) {
    this.viewer = viewer;
    this.canvas = canvas;
    this.tr = tr;
    this.names = document.getElementById('names');
    this.status = document.getElementById('status');
    this.help = document.getElementById('help');
    this.menu = document.getElementById('menu');
    this.fact = document.getElementById('fact');
    this.factOk = document.getElementById('fact-ok');
    this.nameSpans = [];
    this.helpLanguage = null;

    this.factOk.addEventListener('click', () => this.closeFact());
    this.menu.addEventListener('click', (event) => {
      const item = event.target.closest('li');
      if (item) this.choose(Number(item.dataset.value));
    });
    this.menu.addEventListener('contextmenu', (event) => event.preventDefault());
    // A press anywhere outside the open menu closes it, as a desktop menu does.
    document.addEventListener('pointerdown', (event) => {
      if (!this.menu.hidden && !this.menu.contains(event.target)) this.closeMenu();
    }, true);
  }

  // Canvas pixels per CSS pixel.
  scale() {
    return this.canvas.width / Math.max(1, this.canvas.clientWidth);
  }

  // Called once per displayed frame, after the program has drawn.
  update() {
    const v = this.viewer;
    const scale = this.scale();
    const names = v.names();
    while (this.nameSpans.length < names.length) {
      const span = document.createElement('span');
      this.names.appendChild(span);
      this.nameSpans.push(span);
    }
    names.forEach((name, i) => {
      const span = this.nameSpans[i];
      span.hidden = !name.shown;
      if (!name.shown) return;
      if (span.textContent !== name.text) span.textContent = name.text;
      span.style.left = `${name.x / scale}px`;
      span.style.top = `${name.y / scale}px`;
    });
    for (let i = names.length; i < this.nameSpans.length; ++i) this.nameSpans[i].hidden = true;

    const line = v.statusLine();
    if (this.status.textContent !== line) this.status.textContent = line;

    const helpShown = v.showHelp() !== 0;
    if (helpShown && (this.help.hidden || this.helpLanguage !== this.tr.language)) this.fillHelp();
    this.help.hidden = !helpShown;
  }

  // The help panel: one row per row of the controls table, the line saying
  // that a page cannot quit, and the map credits.
  fillHelp() {
    const body = this.help.querySelector('tbody');
    body.replaceChildren(...this.viewer.controls().map(([input, text]) => {
      const row = document.createElement('tr');
      const key = document.createElement('th');
      key.textContent = input;
      const what = document.createElement('td');
      what.textContent = text;
      row.append(key, what);
      return row;
    }));
    // The panel's title as the desktop's help panel words it.
    document.getElementById('help-title').textContent = this.tr('Controls');
    document.getElementById('help-quit').textContent = this.tr(window.solarPage.CANNOT_QUIT);
    document.getElementById('credits').replaceChildren(...this.viewer.credits().map((text) => {
      const item = document.createElement('li');
      item.textContent = text;
      return item;
    }));
    this.helpLanguage = this.tr.language;
  }

  // After a change of language: every shown text again.
  refresh() {
    this.helpLanguage = null;
    if (!this.menu.hidden) this.closeMenu();
    if (!this.fact.hidden) this.showFact();
    this.factOk.textContent = this.tr('OK');
  }

  openMenu(clientX, clientY) {
    this.menu.replaceChildren(...this.viewer.menu().map(([label, value]) => {
      const item = document.createElement('li');
      item.setAttribute('role', 'menuitem');
      item.tabIndex = -1;
      item.dataset.value = String(value);
      item.textContent = label;
      return item;
    }));
    this.menu.hidden = false;
    // Where the pointer is, kept inside the window.
    const box = this.menu.getBoundingClientRect();
    this.menu.style.left = `${Math.max(0, Math.min(clientX, innerWidth - box.width))}px`;
    this.menu.style.top = `${Math.max(0, Math.min(clientY, innerHeight - box.height))}px`;
  }

  closeMenu() {
    this.menu.hidden = true;
  }

  choose(value) {
    this.closeMenu();
    if (this.viewer.selectBody(value)) this.showFact();
  }

  showFact() {
    document.getElementById('fact-caption').textContent = this.viewer.factCaption();
    document.getElementById('fact-text').textContent = this.viewer.factText();
    this.factOk.textContent = this.tr('OK');
    this.fact.hidden = false;
    this.factOk.focus();
  }

  closeFact() {
    this.fact.hidden = true;
    this.canvas.focus();
  }

  factOpen() {
    return !this.fact.hidden;
  }

  menuOpen() {
    return !this.menu.hidden;
  }

  // Esc: the menu, then the fact box, then the help panel; true when it
  // closed something.
  closeOne(toggleHelp) {
    if (this.menuOpen()) this.closeMenu();
    else if (this.factOpen()) this.closeFact();
    else if (this.viewer.showHelp()) toggleHelp();
    else return false;
    return true;
  }
}
