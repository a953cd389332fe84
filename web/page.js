// The page's glue around the program (ostinel.js): the canvas at device pixels, the keys, the mouse
// and touch handed over as they come, the sound started as the browser allows, the controls, the
// settings panel the program describes, full screen with the display kept awake.
'use strict';

const canvas = document.getElementById('canvas');
const controls = document.getElementById('controls');
const panel = document.getElementById('panel');
const settingsButton = document.getElementById('settings-button');
const hint = document.getElementById('hint');
const message = document.getElementById('message');
let running = false;
let failed = false;
let showUi = false;

// What the program is given, and what the page does once its start-up has drawn the first frame.
var Module = {
  canvas,
  arguments: [location.search],
  noWebGl: () => fail('This browser cannot draw with WebGL, which Ostinel needs.'),
  onAbort: () => fail('Ostinel stopped with an error.'),
  postRun: () => {
    if (failed) return;
    performance.mark('ostinel-first-frame');
    running = true;
    const model = JSON.parse(Module.UTF8ToString(Module._ostinel_panel()));
    showUi = model.ui;
    buildPanel(model);
    controls.hidden = !showUi;
    updateHint();
    // The first frame shows before the sound starts, which can hold the page up for a while; the
    // piece's time begins after both.
    setTimeout(() => {
      if (soundAllowed()) startSound();
      Module._ostinel_begin();
    });
    if (model.debug) setInterval(report, 1000);
  },
};

function say(text) {
  message.textContent = text;
  message.hidden = !text;
}
function fail(text) {
  if (failed) return;  // the first word on what went wrong stays
  failed = true;
  say(text);
}

// Opened from disk, the browser refuses to fetch the program.
if (location.protocol === 'file:') {
  fail('Ostinel needs to be served by a web server, not opened as a file: in its folder run ' +
       '"python3 -m http.server 8000 --bind 127.0.0.1", then open http://127.0.0.1:8000/');
}

function deviceSize(width, height) {
  const ratio = window.devicePixelRatio || 1;
  return [Math.max(1, Math.round(width * ratio)), Math.max(1, Math.round(height * ratio))];
}

// The drawing buffer has the canvas's size in device pixels, whatever the zoom and the screen.
[canvas.width, canvas.height] = deviceSize(canvas.clientWidth, canvas.clientHeight);
function resized(entries) {
  const entry = entries[0];
  const box = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
  const [width, height] = box ? [box.inlineSize, box.blockSize]
                              : deviceSize(entry.contentRect.width, entry.contentRect.height);
  if (width === canvas.width && height === canvas.height) return;
  if (running) Module._ostinel_resize(width, height);
  else [canvas.width, canvas.height] = [width, height];
}
try {
  new ResizeObserver(resized).observe(canvas, {box: 'device-pixel-content-box'});
} catch (e) {
  new ResizeObserver(resized).observe(canvas);
}

// Sound: at once where the browser's autoplay policy allows it, else from the first click, tap or
// key that the browser counts as the visitor's (not Escape, not Shift and the like alone).
function updateHint() {
  const context = Module.audioContext;
  hint.hidden = !showUi || (context && context.state === 'running');
}
function startSound() {
  if (!Module.audioContext) {
    try {
      Module.audioContext = new AudioContext({latencyHint: 'playback'});
    } catch (e) {
      return;  // no Web Audio: the table alone
    }
    Module.audioContext.onstatechange = updateHint;
  }
  if (Module.audioContext.state === 'suspended') Module.audioContext.resume().catch(() => {});
  updateHint();
}
// Asked once the first frame is drawn: starting the sound can hold the page up for a while.
function soundAllowed() {
  return !navigator.getAutoplayPolicy || navigator.getAutoplayPolicy('audiocontext') === 'allowed';
}

// debug=1: how the page keeps time, each second in the console.
let reported = -Infinity;
function report() {
  const state = JSON.parse(Module.UTF8ToString(Module._ostinel_report()));
  const steps = state.steps.filter(([start]) => start > reported);
  if (steps.length) reported = steps[steps.length - 1][0];
  const after = steps.map(([start, heard]) => Math.round(heard - start));
  const heard = after.length ? ` heard ${Math.min(...after)} to ${Math.max(...after)} ms after they began` : '';
  console.log(`ostinel: latency ${Math.round(state.latencyMs)} ms; ${steps.length} steps${heard}, ` +
              `${steps.filter((step) => step[2]).length} late; frames up to ` +
              `${Math.round(state.latestRunMs)} ms late, ${state.skippedFrames} skipped in all`);
}

// Input for the table: what happens in the controls and the panel stays theirs.
function forTable(event) {
  return !(event.target instanceof Element && event.target.closest('#controls, #panel'));
}
function pointer(type, button, x, y) {
  const ratio = window.devicePixelRatio || 1;
  Module._ostinel_pointer(type, button, Math.round(x * ratio), Math.round(y * ratio));
}
window.addEventListener('keydown', (event) => {
  if (event.key === 'Escape' && !panel.hidden) {
    event.preventDefault();
    showPanel(false);
    return;
  }
  startSound();
  if (!running || !forTable(event) || event.ctrlKey || event.altKey || event.metaKey) return;
  if (Module.ccall('ostinel_key', 'number', ['string'], [event.key])) event.preventDefault();
});
canvas.addEventListener('mousedown', (event) => {
  startSound();
  canvas.focus({preventScroll: true});  // the keys are the saver's again
  if (!running) return;
  event.preventDefault();  // no autoscroll on the middle button, no selection
  pointer(0, event.button, event.clientX, event.clientY);
});
window.addEventListener('mouseup', (event) => running &&
                        pointer(1, event.button, event.clientX, event.clientY));
canvas.addEventListener('contextmenu', (event) => event.preventDefault());
// The page's buttons take no focus from the mouse, so that the keys stay the saver's.
document.addEventListener('mousedown', (event) => {
  if (event.target instanceof Element && event.target.closest('button')) event.preventDefault();
});

// The controls show while the mouse moves or a finger touches, and fade a while after.
let idle = 0;
function wake() {
  document.body.classList.add('awake');
  clearTimeout(idle);
  idle = setTimeout(() => document.body.classList.remove('awake'), 2500);
}
window.addEventListener('mousemove', (event) => {
  if (running) pointer(2, 0, event.clientX, event.clientY);
  wake();
});

// Touch on the table: one finger drags as the left button does (the spin and the tilt), two
// fingers moving apart or together as the right button does (the depth), their distance's change
// given as the pointer's move; lifting a finger starts the sound where the browser waits for one.
let fingers = 0;
let pinchFrom = 0;
let last = [0, 0];  // where the pointer was last put
function put(type, button, x, y) {
  last = [x, y];
  pointer(type, button, x, y);
}
function spread(touches) {
  return Math.hypot(touches[0].clientX - touches[1].clientX,
                    touches[0].clientY - touches[1].clientY);
}
function touched(event) {
  event.preventDefault();  // no mouse events after, no zoom, no scroll
  wake();
  if (!running) return;
  const touches = event.touches;
  const count = Math.min(touches.length, 2);
  if (count !== fingers) {
    if (fingers) pointer(1, fingers === 1 ? 0 : 2, ...last);
    if (count === 1) {
      put(2, 0, touches[0].clientX, touches[0].clientY);
      put(0, 0, touches[0].clientX, touches[0].clientY);
    } else if (count === 2) {
      pinchFrom = spread(touches);
      put(2, 2, 0, 0);
      put(0, 2, 0, 0);
    }
    fingers = count;
  } else if (count === 1) {
    put(2, 0, touches[0].clientX, touches[0].clientY);
  } else if (count === 2) {
    const apart = (spread(touches) - pinchFrom) / 2;
    put(2, 2, apart, apart);
  }
}
for (const type of ['touchstart', 'touchmove', 'touchend', 'touchcancel']) {
  canvas.addEventListener(type, touched, {passive: false});
}
canvas.addEventListener('touchend', startSound);

// Full screen, with the display kept on meanwhile; Escape leaves it, as the browser has it.
let wakeLock = null;
const fullscreenButton = document.getElementById('fullscreen-button');
fullscreenButton.addEventListener('click', () => {
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  else document.documentElement.requestFullscreen({navigationUI: 'hide'}).catch(() => {});
  canvas.focus({preventScroll: true});
});
function keepAwake() {
  if (document.fullscreenElement && !wakeLock && navigator.wakeLock &&
      document.visibilityState === 'visible') {
    navigator.wakeLock.request('screen').then((lock) => {
      wakeLock = lock;
      lock.addEventListener('release', () => { wakeLock = null; });
    }).catch(() => {});
  } else if (!document.fullscreenElement && wakeLock) {
    wakeLock.release().catch(() => {});
  }
}
document.addEventListener('fullscreenchange', () => {
  fullscreenButton.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
  keepAwake();
});
document.addEventListener('visibilitychange', keepAwake);

// The settings panel, built from the settings table as the program describes it.
function buildPanel(model) {
  const fields = document.getElementById('fields');
  const checkBox = (parent, text, checked, changed) => {
    const label = parent.appendChild(document.createElement('label'));
    const box = label.appendChild(document.createElement('input'));
    box.type = 'checkbox';
    box.checked = checked;
    box.addEventListener('change', () => changed(box.checked));
    label.append(' ' + text);
    return box;
  };
  for (const setting of model.settings) {
    const choose = (value) => Module.ccall('ostinel_choose', 'number', ['string', 'number'],
                                           [setting.option, value]);
    if (setting.check) {
      checkBox(fields, setting.group, setting.value !== setting.min,
               (checked) => choose(setting.min + (checked ? 1 : 0)));
      continue;
    }
    const group = fields.appendChild(document.createElement('fieldset'));
    group.appendChild(document.createElement('legend')).textContent = setting.group;
    setting.labels.forEach((text, i) => {
      const label = group.appendChild(document.createElement('label'));
      const radio = label.appendChild(document.createElement('input'));
      radio.type = 'radio';
      radio.name = setting.option;
      radio.setAttribute('aria-label', `${setting.group}: ${text}`);
      radio.checked = setting.value === setting.min + i;
      radio.addEventListener('change', () => choose(setting.min + i));
      label.append(' ' + text);
    });
  }
  const given = model.settings.filter((setting) => setting.given).map((setting) => setting.group);
  const note = document.getElementById('given');
  note.hidden = !given.length;
  note.textContent = `This address sets ${given.join(', ')} for this piece; your choices here ` +
                     'apply to new pieces.';

  const volume = document.getElementById('volume');
  volume.value = model.volume;
  const mute = checkBox(document.getElementById('sound'), 'Mute', model.muted, () => setVolume());
  const setVolume = () => Module._ostinel_volume(Number(volume.value), mute.checked ? 1 : 0);
  volume.addEventListener('input', setVolume);

  document.getElementById('piece-link').href = model.piece;
  document.getElementById('restart').addEventListener('click', () => {
    location.href = location.pathname + model.restart;
  });
  document.getElementById('new-piece').addEventListener('click', () => {
    location.href = location.pathname + model.newPiece;
  });
}

// The panel takes the focus when it opens and gives it back when it closes.
let focusBefore = null;
function showPanel(open) {
  if (open === !panel.hidden) return;
  panel.hidden = !open;
  settingsButton.setAttribute('aria-expanded', String(open));
  if (open) {
    focusBefore = document.activeElement;
    (panel.querySelector('input:checked') || panel.querySelector('input')).focus();
  } else {
    const back = focusBefore instanceof HTMLElement && focusBefore.isConnected ? focusBefore : canvas;
    back.focus({preventScroll: true});
  }
}
settingsButton.addEventListener('click', () => showPanel(panel.hidden));

canvas.addEventListener('webglcontextlost', () => say('The graphics were lost; waiting for the browser to give them back.'));
canvas.addEventListener('webglcontextrestored', () => say(''));
