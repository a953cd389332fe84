// Drives the page in Debian's Chromium, in a kiosk window on the test's X server, and leaves what
// it saw in the work folder for web_test.sh to judge: the first frame, the pages of the addresses
// given, pictures before and after Enter and Space, the sound (parec on the sink's monitor), the
// console's errors, and the timings.
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
async function screenshot(page, name) {
  await sleep(300);  // a few frames drawn since the input
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
  const still = await open(browser, 'index.html?rotation=2', () => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, attributes) {
      return getContext.call(this, type, {...attributes, preserveDrawingBuffer: true});
    };
    window.requestAnimationFrame = () => 0;
  });
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
  await page.waitForFunction(() => Module.audioContext && Module.audioContext.state === 'running',
                             {timeout: 10000, polling: 100});
  const parec = spawn('parec', ['--device=cap.monitor', '--latency-msec=100', '--file-format=wav',
                                '--rate=44100', '--channels=2', '--format=s16le',
                                `${work}/drums.wav`]);
  await screenshot(page, 'before-enter.png');
  await page.keyboard.press('Enter');
  await screenshot(page, 'after-enter.png');
  await page.keyboard.press('ArrowDown');
  await screenshot(page, 'after-down.png');
  await page.keyboard.press(' ');
  await screenshot(page, 'after-space.png');
  await sleep(8000);
  parec.kill('SIGINT');
  await new Promise((resolve) => parec.on('close', resolve));

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
  await browser.close();

  // Frame time at 1280×720, animation frames unthrottled, against a bare WebGL clear.
  browser = await launch(['--disable-gpu-vsync', '--disable-frame-rate-limit']);
  for (const [name, path] of [['pageFrameMs', 'index.html?ui=0'], ['clearFrameMs', '../clear.html']]) {
    const bench = await open(browser, path);
    await bench.setViewport({width: 1280, height: 720});
    await sleep(1000);
    report[name] = await frameTime(bench);
    await bench.close();
  }
} finally {
  await browser.close();
  writeFileSync(`${work}/report.json`, JSON.stringify(report, null, 1));
}
