// The page's glue around the program (ostinel.js): the canvas at device pixels, the keys and the
// mouse handed over as they come, the sound started as the browser allows, the controls, the
// settings panel the program describes, full screen with the display kept awake.
'use strict';

const canvas = document.getElementById('canvas');
const controls = document.getElementById('controls');
const panel = document.getElementById('panel');
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
  failed = true;
  say(text);
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

// Sound: at once where the browser's autoplay policy allows it, else from the first click or key.
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
  console.log(`ostinel: latency ${Math.round(state.latencyMs)} ms; ${steps.length} steps heard ` +
              (after.length ? `${Math.min(...after)} to ${Math.max(...after)} ms after they began, ` : '') +
              `${steps.filter((step) => step[2]).length} late; frames up to ` +
              `${Math.round(state.latestRunMs)} ms late, ${state.skippedFrames} skipped in all`);
}

// Input for the table: what happens in the controls and the panel stays theirs.
function forTable(event) {
  return !(event.target instanceof Element && event.target.closest('#controls, #panel'));
}
function pointer(type, event) {
  const ratio = window.devicePixelRatio || 1;
  Module._ostinel_pointer(type, event.button, Math.round(event.clientX * ratio),
                          Math.round(event.clientY * ratio));
}
window.addEventListener('keydown', (event) => {
  startSound();
  if (!running || !forTable(event) || event.ctrlKey || event.altKey || event.metaKey) return;
  if (Module.ccall('ostinel_key', 'number', ['string'], [event.key])) event.preventDefault();
});
canvas.addEventListener('mousedown', (event) => {
  startSound();
  if (!running) return;
  event.preventDefault();  // no autoscroll on the middle button, no selection
  pointer(0, event);
});
window.addEventListener('mouseup', (event) => running && pointer(1, event));
canvas.addEventListener('contextmenu', (event) => event.preventDefault());

// The controls show while the mouse moves, and fade with the cursor a while after it stops.
let idle = 0;
window.addEventListener('mousemove', (event) => {
  if (running) pointer(2, event);
  document.body.classList.add('awake');
  clearTimeout(idle);
  idle = setTimeout(() => document.body.classList.remove('awake'), 2500);
});

// Full screen, with the display kept on meanwhile; Escape leaves it, as the browser has it.
let wakeLock = null;
const fullscreenButton = document.getElementById('fullscreen-button');
fullscreenButton.addEventListener('click', () => {
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  else document.documentElement.requestFullscreen({navigationUI: 'hide'}).catch(() => {});
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
  for (const setting of model.settings) {
    const choose = (value) => Module.ccall('ostinel_choose', 'number', ['string', 'number'],
                                           [setting.option, value]);
    if (setting.check) {
      const label = fields.appendChild(document.createElement('label'));
      const box = label.appendChild(document.createElement('input'));
      box.type = 'checkbox';
      box.checked = setting.value !== setting.min;
      box.addEventListener('change', () => choose(setting.min + (box.checked ? 1 : 0)));
      label.append(' ' + setting.group);
      continue;
    }
    const group = fields.appendChild(document.createElement('fieldset'));
    group.appendChild(document.createElement('legend')).textContent = setting.group;
    setting.labels.forEach((text, i) => {
      const label = group.appendChild(document.createElement('label'));
      const radio = label.appendChild(document.createElement('input'));
      radio.type = 'radio';
      radio.name = setting.option;
      radio.checked = setting.value === setting.min + i;
      radio.addEventListener('change', () => choose(setting.min + i));
      label.append(' ' + text);
    });
  }
  document.getElementById('piece-link').href = model.piece;
}
document.getElementById('settings-button').addEventListener('click', () => {
  panel.hidden = !panel.hidden;
});
document.getElementById('restart').addEventListener('click', () => {
  location.href = location.pathname;
});

canvas.addEventListener('webglcontextlost', () => say('The graphics were lost; waiting for the browser to give them back.'));
canvas.addEventListener('webglcontextrestored', () => say(''));
