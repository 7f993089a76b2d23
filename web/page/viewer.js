// The viewer's program (solar-system.js and .wasm, built from the C++ core)
// and its exports, wrapped as plain JS functions.  The page calls nothing
// else of the program.
//
// The program is loaded as emscripten writes it: either the classic form,
// which fills a global Module object, or a factory (MODULARIZE) named
// createSolarSystem.  Both need cwrap among the runtime's exported methods.

function loadScript(src) {
  return new Promise((resolve, reject) => {
    const script = document.createElement('script');
    script.src = src;
    script.onload = resolve;
    script.onerror = () => reject(new Error(`${src} did not load`));
    document.body.appendChild(script);
  });
}

// The program asks for its pictures as image/<name>.jpg; the site names
// each picture's web file (JPEG or PNG) in image/index.json.
export async function pictureNames() {
  const response = await fetch('image/index.json');
  if (!response.ok) throw new Error(`image/index.json: ${response.status}`);
  return response.json();
}

export async function loadViewer(canvas, pictures) {
  let initialised;
  const ready = new Promise((resolve) => { initialised = resolve; });
  const config = {
    canvas,
    locateFile: (file) => file,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    onRuntimeInitialized: () => initialised(),
    solarPictureUrl: (url) => {
      const name = url.replace(/^.*\//, '').replace(/\.[^.]*$/, '').toLowerCase();
      return name in pictures ? `image/${pictures[name]}` : url;
    },
  };
  window.Module = config;
  await loadScript('solar-system.js');
  let module = config;
  if (typeof window.createSolarSystem === 'function') module = await window.createSolarSystem(config);
  else await ready;
  return bind(module);
}

function bind(M) {
  const c = (name, ret, args) => M.cwrap(name, ret, args);
  const n = 'number';
  const s = 'string';
  const controlCount = c('ss_control_count', n, []);
  const controlInput = c('ss_control_input', s, [n]);
  const controlHelp = c('ss_control_help', s, [n]);
  const menuCount = c('ss_menu_count', n, []);
  const menuLabel = c('ss_menu_label', s, [n]);
  const menuValue = c('ss_menu_value', n, [n]);
  const creditCount = c('ss_credit_count', n, []);
  const credit = c('ss_credit', s, [n]);
  const nameCount = c('ss_name_count', n, []);
  const nameText = c('ss_name_text', s, [n]);
  const nameX = c('ss_name_x', n, [n]);
  const nameY = c('ss_name_y', n, [n]);
  const nameShown = c('ss_name_shown', n, [n]);
  const range = (count, row) => Array.from({ length: count() }, (_, i) => row(i));
  return {
    module: M,
    start: c('ss_start', n, [n, n]),
    resize: c('ss_resize', null, [n, n]),
    key: c('ss_key', null, [n]),
    specialKey: c('ss_special_key', null, [n]),
    keyCode: c('ss_key_code', n, [s]),
    mouse: c('ss_mouse', null, [n, n, n, n]),
    motion: c('ss_motion', null, [n, n]),
    // The rows of the controls table: [input, help text].
    controls: () => range(controlCount, (i) => [controlInput(i), controlHelp(i)]),
    // The body menu: [label, value].
    menu: () => range(menuCount, (i) => [menuLabel(i), menuValue(i)]),
    selectBody: c('ss_select_body', n, [n]),
    factCaption: c('ss_fact_caption', s, []),
    factText: c('ss_fact_text', s, []),
    statusLine: c('ss_status_line', s, []),
    credits: () => range(creditCount, credit),
    // Names beside bodies, in canvas pixels from the top left.
    names: () => range(nameCount, (i) => ({ text: nameText(i), x: nameX(i), y: nameY(i), shown: nameShown(i) !== 0 })),
    catalogClear: c('ss_catalog_clear', null, []),
    catalogAdd: c('ss_catalog_add', null, [s, s, s]),
    setDate: c('ss_set_date', n, [s]),
    identification: c('ss_identification', n, [n]),
    steps: c('ss_steps', n, []),
    viewMode: c('ss_view_mode', n, []),
    animating: c('ss_animating', n, []),
    showHelp: c('ss_show_help', n, []),
    showNames: c('ss_show_names', n, []),
    showOrbits: c('ss_show_orbits', n, []),
    timeRate: c('ss_time_rate', n, []),
    dateMode: c('ss_date_mode', n, []),
    pause: c('ss_pause', null, [n]),
  };
}
