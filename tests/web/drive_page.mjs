// Drives the page in Debian's Chromium, in a kiosk window on the test's X server, and leaves what
// it saw in the work folder for web_test.sh to judge: the first frame, the pages of the addresses
// given, pictures before and after Enter and Space, the sound (parec on the sink's monitor) in
// front and hidden, two loads of one link (their pictures, and the steps one of them placed through
// a stall), keys in full screen, a touch drag, what the panel stores, the console's errors, and the
// timings.
//   node drive_page.mjs BASE_URL WORK_DIR [ADDRESS...]
import {spawn} from 'node:child_process';
import {writeFileSync} from 'node:fs';
import {createRequire} from 'node:module';

const [base, work, ...addresses] = process.argv.slice(2);
const puppeteer = createRequire(`${work}/npm/`)('puppeteer-core');
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const report = {errors: []};

async function launch(extra) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: false,
    defaultViewport: null,
    args: ['--kiosk', '--window-position=0,0', '--window-size=800,600', '--no-sandbox',
           '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-first-run',
           '--autoplay-policy=no-user-gesture-required', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--disable-features=Translate',
           `--user-data-dir=${work}/profile`, ...extra],
  });
}

async function open(browser, path, setUp, said = ['error']) {
  const page = await browser.newPage();
  page.on('console', (m) => said.includes(m.type()) && report.errors.push(`${path}: ${m.text()}`));
  page.on('pageerror', (e) => report.errors.push(`${path}: ${e.message}`));
  if (setUp) await page.evaluateOnNewDocument(setUp);
  await page.goto(base + path);
  return page;
}

async function started(page) {
  await page.waitForFunction(() => document.getElementById('piece-link').href !== '', {timeout: 30000, polling: 100});
}

const canvasPng = (page) => page.evaluate(() => document.getElementById('canvas').toDataURL());
const save = (name, dataUrl) => writeFileSync(`${work}/${name}`, Buffer.from(dataUrl.split(',')[1], 'base64'));
const keepDrawing = () => {
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, attributes) {
    return getContext.call(this, type, {...attributes, preserveDrawingBuffer: true});
  };
};
const pageReport = (page) => page.evaluate(() => JSON.parse(Module.UTF8ToString(Module._ostinel_report())));
const soundRuns = (page) => page.waitForFunction(
  () => Module.audioContext && Module.audioContext.state === 'running', {timeout: 10000, polling: 100});
function record(name) {
  const parec = spawn('parec', ['--device=cap.monitor', '--latency-msec=100', '--file-format=wav',
                                '--rate=44100', '--channels=2', '--format=s16le', `${work}/${name}`]);
  return async () => {
    parec.kill('SIGINT');
    await new Promise((resolve) => parec.on('close', resolve));
  };
}
// The shown frame's number and its picture, read in one go.
const shown = (page) => page.evaluate(() => ({
  frame: JSON.parse(Module.UTF8ToString(Module._ostinel_report())).frame,
  png: document.getElementById('canvas').toDataURL(),
}));
// A few frames drawn since the input, once the moment heard has caught up with it.
const settle = async (page) => sleep(300 + (await pageReport(page)).latencyMs);
async function screenshot(page, name) {
  await settle(page);
  await page.screenshot({path: `${work}/${name}`});
}

// Frames a second over three seconds, from requestAnimationFrame's own clock.
async function frameTime(page) {
  return page.evaluate(() => new Promise((resolve) => {
    const times = [];
    const tick = (t) => {
      times.push(t);
      if (t - times[0] < 3000) requestAnimationFrame(tick);
      else resolve((times[times.length - 1] - times[0]) / (times.length - 1));
    };
    requestAnimationFrame(tick);
  }));
}

let browser = await launch([]);
try {
  // The start-up picture, the page's own seed, tilted and turned: animation frames held, the
  // drawing kept to read.
  const still = await open(browser, 'index.html?rotation=2',
                           `(${keepDrawing})(); window.requestAnimationFrame = () => 0;`);
  await started(still);
  save('first.png', await canvasPng(still));
  Object.assign(report, await still.evaluate(() => ({
    piece: document.getElementById('piece-link').href,
    width: document.getElementById('canvas').width,
    height: document.getElementById('canvas').height,
    firstFrameMs: performance.getEntriesByName('ostinel-first-frame')[0].startTime,
  })));
  await still.close();

  // The README's example addresses: a warning (a value the page ignores) counts as an error too.
  for (const [i, address] of addresses.entries()) {
    const example = await open(browser, address, null, ['error', 'warn', 'warning']);
    await started(example);
    await screenshot(example, `readme-${i}.png`);
    await example.close();
  }

  // The table playing at "180" from seed 2, which starts by night: Enter, then Down and Space,
  // which give the pattern of the dice's fixed seed; then the drums into the sink.
  const page = await open(browser, 'index.html?seed=2&tempo=6&ui=0');
  await started(page);
  await soundRuns(page);
  let stop = record('drums.wav');
  await screenshot(page, 'before-enter.png');
  await page.keyboard.press('Enter');
  await screenshot(page, 'after-enter.png');
  await page.keyboard.press('ArrowDown');
  await screenshot(page, 'after-down.png');
  await page.keyboard.press(' ');
  await screenshot(page, 'after-space.png');
  await sleep(8000);
  await stop();

  // Another tab in front: the drums go on.
  const front = await open(browser, '../clear.html');
  await front.bringToFront();
  stop = record('hidden.wav');
  await sleep(3000);
  report.hiddenState = await page.evaluate(() => document.visibilityState);
  await stop();
  await front.close();
  await page.bringToFront();

  // A lost context says so on the page, and the table comes back when it is restored.
  const lost = await page.evaluate(async () => {
    const canvas = document.getElementById('canvas');
    const lose = canvas.getContext('webgl').getExtension('WEBGL_lose_context');
    lose.loseContext();
    await new Promise((resolve) => setTimeout(resolve, 300));
    const said = document.getElementById('message').textContent;
    lose.restoreContext();
    await new Promise((resolve) => setTimeout(resolve, 500));
    return {said, after: document.getElementById('message').hidden};
  });
  report.lostMessage = lost.said;
  report.messageGoneAfterRestore = lost.after;
  await screenshot(page, 'restored.png');
  await page.close();

  // One link loaded twice, A then B, ten seconds each or more: A stalled three times for 200 ms,
  // then hidden behind B. Each one's picture, and the steps A placed.
  const link = 'index.html?seed=42&tempo=6&transient=2&density=2&rotation=0';
  const a = await open(browser, link, `(${keepDrawing})();`);
  await started(a);
  await soundRuns(a);
  for (const pause of [1500, 530, 610]) {
    await sleep(pause);
    await a.evaluate(() => {
      for (const end = performance.now() + 200; performance.now() < end;);
    });
  }
  const b = await open(browser, link, `(${keepDrawing})();`);
  await started(b);
  await sleep(10000);
  report.linkB = await shown(b);
  await a.bringToFront();
  await sleep(500);
  report.linkA = {...await pageReport(a), ...await shown(a)};
  await a.close();

  // B in full screen from its button: the saver's keys reach the saver, and another key ends it.
  const background = () => b.evaluate(() => {
    const gl = document.getElementById('canvas').getContext('webgl');
    const pixel = new Uint8Array(4);
    gl.readPixels(2, 2, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, pixel);
    return pixel[0];
  });
  await b.bringToFront();
  await b.mouse.move(400, 300);
  await b.mouse.move(420, 310);
  await b.click('#fullscreen-button');
  await b.waitForFunction(() => document.fullscreenElement, {timeout: 5000, polling: 100});
  const night = await background();
  await b.keyboard.press('Enter');
  await settle(b);
  report.fullScreen = {night, day: await background(),
                       stayed: await b.evaluate(() => !!document.fullscreenElement)};
  await b.keyboard.press('x');
  await sleep(500);
  report.fullScreen.left = await b.evaluate(() => !document.fullscreenElement);

  // A finger dragged across the table turns it.
  const cdp = await b.createCDPSession();
  await cdp.send('Emulation.setTouchEmulationEnabled', {enabled: true, maxTouchPoints: 2});
  const spinBefore = (await pageReport(b)).spin;
  await b.touchscreen.touchStart(200, 300);
  for (let x = 220; x <= 400; x += 20) await b.touchscreen.touchMove(x, 300);
  await b.touchscreen.touchEnd();
  await settle(b);
  report.touchTurn = Math.abs((await pageReport(b)).spin - spinBefore);

  // A choice in the panel of the link's page is stored; the link's own settings are not, and
  // "Start again" plays the link's piece again.
  await b.mouse.move(400, 300);
  await b.mouse.move(420, 310);
  await b.click('#settings-button');
  await b.click('input[aria-label="Beat Spd(BPM): 100"]');
  await Promise.all([b.waitForNavigation(), b.click('#restart')]);
  report.restarted = await b.evaluate(() => location.search);
  await b.close();
  const plain = await open(browser, 'index.html');
  await started(plain);
  report.stored = await plain.evaluate(() => JSON.parse(Module.UTF8ToString(Module._ostinel_panel()))
    .settings.map((setting) => `${setting.option}=${setting.value}`).join('&'));
  await plain.close();
  await browser.close();

  // At 1280×720, animation frames unthrottled: how many of the piece's 60 frames a second the page
  // draws, and a bare WebGL clear's frame time.
  browser = await launch(['--disable-gpu-vsync', '--disable-frame-rate-limit']);
  for (const [name, path] of [['pageDrawn', 'index.html?ui=0'], ['clearFrameMs', '../clear.html']]) {
    const bench = await open(browser, path);
    await bench.setViewport({width: 1280, height: 720});
    await sleep(1000);
    if (name === 'clearFrameMs') {
      report[name] = await frameTime(bench);
    } else {
      const before = (await pageReport(bench)).drawnFrames;
      await sleep(3000);
      report[name] = ((await pageReport(bench)).drawnFrames - before) / 3;
    }
    await bench.close();
  }
} finally {
  await browser.close();
  writeFileSync(`${work}/report.json`, JSON.stringify(report, null, 1));
}
