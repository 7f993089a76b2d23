// Keyboard, mouse and touch, handed to the program as the desktop's GLUT
// callbacks get them: ordinary keys as their character code, the arrows and
// F1 as the core's key codes, buttons and motion in canvas pixels.  The
// page itself answers what a browser does in its own way: F11 asks for full
// screen, F12 downloads the picture, Esc closes the page's panels and boxes
// (a page cannot quit), the right button and a long press open the menu.

const LONG_PRESS_MS = 500;
const PRESS_DELAY_MS = 120;
const TAP_SLOP = 8;       // CSS pixels a finger may wander and still be held still
const PINCH_STEP = 40;    // CSS pixels of change in the fingers' distance per walking step

export function installInput(viewer, canvas, panels, actions) {
  const code = {};
  for (const name of ['up', 'down', 'left', 'right', 'F1']) code[name] = viewer.keyCode(name);
  const special = { ArrowUp: code.up, ArrowDown: code.down, ArrowLeft: code.left, ArrowRight: code.right, F1: code.F1 };
  const toggleHelp = () => viewer.specialKey(code.F1);

  // Canvas pixels of a point given in the window's CSS pixels.
  function at(clientX, clientY) {
    const box = canvas.getBoundingClientRect();
    const scale = canvas.width / Math.max(1, box.width);
    return [Math.round((clientX - box.left) * scale), Math.round((clientY - box.top) * scale)];
  }

  window.addEventListener('keydown', (event) => {
    const target = event.target;
    if (target instanceof HTMLSelectElement || target instanceof HTMLInputElement) return;
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    const key = event.key;
    let handled = true;
    if (key === 'Escape') {
      panels.closeOne(toggleHelp);
    } else if (panels.factOpen()) {
      // The fact box holds the keyboard as the desktop's message box does.
      if (key === 'Enter') panels.closeFact();
    } else if (panels.menuOpen()) {
      handled = false;
    } else if (key === 'F11') {
      actions.fullScreen();
    } else if (key === 'F12') {
      actions.screenshot();
    } else if (key in special) {
      viewer.specialKey(special[key]);
    } else if (key.length === 1 && key.charCodeAt(0) < 128) {
      viewer.key(key.charCodeAt(0));
    } else {
      handled = false;
    }
    if (handled) event.preventDefault();
  });

  // The mouse: left and middle buttons and their drags to the program, the
  // right button opens the menu, the wheel walks as GLUT's buttons 3 and 4.
  const held = new Set();
  canvas.addEventListener('mousedown', (event) => {
    if (event.button > 1) return;
    event.preventDefault();
    canvas.focus();
    held.add(event.button);
    viewer.mouse(event.button, 1, ...at(event.clientX, event.clientY));
  });
  window.addEventListener('mouseup', (event) => {
    if (!held.delete(event.button)) return;
    viewer.mouse(event.button, 0, ...at(event.clientX, event.clientY));
  });
  window.addEventListener('mousemove', (event) => {
    if (held.size) viewer.motion(...at(event.clientX, event.clientY));
  });
  canvas.addEventListener('contextmenu', (event) => {
    event.preventDefault();
    if (!panels.factOpen()) panels.openMenu(event.clientX, event.clientY);
  });
  canvas.addEventListener('wheel', (event) => {
    event.preventDefault();
    if (event.deltaY === 0 || panels.factOpen()) return;
    const button = event.deltaY < 0 ? 3 : 4;
    const [x, y] = at(event.clientX, event.clientY);
    viewer.mouse(button, 1, x, y);
    viewer.mouse(button, 0, x, y);
  }, { passive: false });

  // Touch: one finger is the left button (a tap is a click, a drag drags,
  // a finger held on the scene holds the button); held still for
  // LONG_PRESS_MS it lets go and opens the menu instead.  The button goes
  // down PRESS_DELAY_MS after the finger, or at once when it moves or
  // lifts, so that two fingers landing together do not click.  Two fingers
  // spreading or pinching walk forward or back, one step per PINCH_STEP
  // pixels of change in their distance.
  let finger = null;  // {id, x0, y0, pressed, moved, pressTimer, menuTimer}
  let pinch = null;   // {distance}
  const distance = (a, b) => Math.hypot(a.clientX - b.clientX, a.clientY - b.clientY);

  function press() {
    if (!finger || finger.pressed) return;
    clearTimeout(finger.pressTimer);
    finger.pressed = true;
    viewer.mouse(0, 1, ...at(finger.x0, finger.y0));
  }

  // Lets the finger go: the button up where it is, if it went down.
  function letGo(clientX, clientY) {
    if (!finger) return;
    clearTimeout(finger.pressTimer);
    clearTimeout(finger.menuTimer);
    if (finger.pressed) viewer.mouse(0, 0, ...at(clientX, clientY));
    finger = null;
  }

  canvas.addEventListener('touchstart', (event) => {
    event.preventDefault();
    if (panels.factOpen()) return;
    const touches = event.touches;
    if (touches.length === 1) {
      const t = touches[0];
      finger = { id: t.identifier, x0: t.clientX, y0: t.clientY, pressed: false, moved: false };
      finger.pressTimer = setTimeout(press, PRESS_DELAY_MS);
      finger.menuTimer = setTimeout(() => {
        if (finger && !finger.moved) {
          const { x0, y0 } = finger;
          letGo(x0, y0);
          panels.openMenu(x0, y0);
        }
      }, LONG_PRESS_MS);
    } else if (touches.length === 2) {
      if (finger) {
        const held = Array.from(touches).find((touch) => touch.identifier === finger.id) || touches[0];
        letGo(held.clientX, held.clientY);
      }
      pinch = { distance: distance(touches[0], touches[1]) };
    }
  }, { passive: false });

  canvas.addEventListener('touchmove', (event) => {
    event.preventDefault();
    const touches = event.touches;
    if (pinch && touches.length >= 2) {
      const now = distance(touches[0], touches[1]);
      while (now - pinch.distance >= PINCH_STEP) {
        viewer.specialKey(code.up);
        pinch.distance += PINCH_STEP;
      }
      while (pinch.distance - now >= PINCH_STEP) {
        viewer.specialKey(code.down);
        pinch.distance -= PINCH_STEP;
      }
      return;
    }
    if (!finger) return;
    const t = Array.from(touches).find((touch) => touch.identifier === finger.id);
    if (!t) return;
    if (!finger.moved && Math.hypot(t.clientX - finger.x0, t.clientY - finger.y0) >= TAP_SLOP) {
      finger.moved = true;
      clearTimeout(finger.menuTimer);
      press();
    }
    if (finger.pressed) viewer.motion(...at(t.clientX, t.clientY));
  }, { passive: false });

  function touchEnd(event) {
    event.preventDefault();
    if (event.touches.length < 2) pinch = null;
    if (!finger) return;
    const t = Array.from(event.changedTouches).find((touch) => touch.identifier === finger.id);
    if (!t) return;
    // A tap that lifts before the button went down is a click all the same.
    if (event.type === 'touchend') press();
    letGo(t.clientX, t.clientY);
  }
  canvas.addEventListener('touchend', touchEnd, { passive: false });
  canvas.addEventListener('touchcancel', touchEnd, { passive: false });
}
