// The demo's page in headless Chromium, as the tests and the timing run use it.
//   node web_page_test.js frames DIST OUT_DIR TIME_MS...   writes OUT_DIR/web-TIME.png per frame
//   node web_page_test.js play DIST OUT_DIR                 plays to the end with F2; screenshots
//   node web_page_test.js missing-data DIST OUT_DIR         the same without cube.dds, isodef.obj, demodemo.mp3
//   node web_page_test.js escape DIST OUT_DIR               Escape ends the demo at once
//   node web_page_test.js no-webgl DIST OUT_DIR             without WebGL: the fatal message, exit code -1
//   node web_page_test.js timing DIST OUT_DIR               the whole demo at normal speed: frame times per scene
//   node web_page_test.js listen DIST OUT_DIR SECONDS|full  plays at normal speed for the capture tests (OUT_DIR/frames.txt:
//                                                           each frame's demo time and page time after the first); prints
//                                                           "first-frame AGO" (AGO: ms since the first frame after
//                                                           the gesture was presented) as soon as it is seen, and
//                                                           a line "0" to VIMRA_FRAME_LOG where that names a file
//   node web_page_test.js loading DIST OUT_DIR              on a slow network: the bytes arrived, then a missing vimra.wasm
//   node web_page_test.js single-file PAGE OUT_DIR TIME_MS...  frames from the single-file page opened from file://
//   node web_page_test.js hidpi DIST OUT_DIR TIME_MS        at devicePixelRatio 2 (--force-device-scale-factor=2):
//                                                           the frame drawn at the canvas's device pixels, written
//                                                           as OUT_DIR/web-TIME.png with its size in OUT_DIR/size.txt;
//                                                           the drawing buffer follows a resize while playing
//   node web_page_test.js app DIST OUT_DIR                  as an installed app: installable; after a first visit, with
//                                                           the server stopped, a visit plays from the cache to the end; a broken
//                                                           newer release leaves the cache whole, a whole one replaces it
//   node web_page_test.js phone DIST OUT_DIR TIME_MS        the same on an emulated phone (844x390 at ratio 3,
//                                                           touch): a tap starts it, full screen, turned upright
// Exit code 0 when every check holds; each failure is printed.
'use strict';
const fs = require('fs');
const path = require('path');
const { pathToFileURL } = require('url');
const { serve, Browser } = require('./cdp_page.js');

// The data files the page loads, as the build lists them for it.
const kDataFiles = fs.readFileSync(path.join(__dirname, '../../src/host/data_files.txt'), 'utf8')
  .split('\n').filter((name) => name !== '');

const kF2 = 113;
const kEnter = 13;
const kMusicSeconds = 85.1;

let failures = 0;
const startedAt = Date.now();
function check(condition, what) {
  const seconds = ((Date.now() - startedAt) / 1000).toFixed(1).padStart(5);
  console.log(`${condition ? 'ok  ' : 'FAIL'} ${seconds} s  ${what}`);
  if (!condition) failures += 1;
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function percentile(values, fraction) {
  if (values.length === 0) return NaN;
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.ceil(sorted.length * fraction) - 1)];
}

// options.browserArgs: more Chromium switches; options.expected: console lines
// the case expects (they are not counted as problems); options.file: a page
// opened from the disk (file://) instead of `dist` served; options.prepare:
// runs before the page loads.
async function withPage(dist, query, missing, body, options = {}) {
  const { browserArgs = [], expected = [], file = null, prepare } = options;
  const server = file ? null : await serve(path.resolve(dist), missing);
  const url = file ? `${pathToFileURL(path.resolve(file))}${query}` : `http://127.0.0.1:${server.address().port}/${query}`;
  const browser = new Browser(browserArgs);
  const log = [];
  try {
    const page = await browser.open(url, (line) => log.push(line), prepare);
    page.log = log;
    page.url = url;
    page.server = server;
    await body(page);
  } catch (error) {
    check(false, error.message);
  } finally {
    await browser.close();
    if (server) server.close();
    const problems = log.filter((line) => /exception|error|INVALID/i.test(line) && !/favicon|404/.test(line) &&
                                          !expected.some((pattern) => pattern.test(line)));
    if (problems.length > 0) console.log('page console:\n  ' + problems.slice(0, 20).join('\n  '));
    check(problems.length === 0, 'no script exceptions or WebGL errors in the console');
  }
}

async function frames(dist, outDir, times, options = {}) {
  await withPage(dist, `?frame=${times.join(',')}`, [], async (page) => {
    await page.waitFor("window.vimraPage && vimraPage.state === 'frames'", 180);
    check(await page.evaluate('vimraPage.framesOk'), 'frame mode drew every frame');
    for (const time of times) {
      const url = await page.evaluate(`vimraPage.frames[${time}] || ''`);
      check(url.startsWith('data:image/png;base64,'), `frame ${time} handed to the page`);
      if (url) fs.writeFileSync(path.join(outDir, `web-${time}.png`), Buffer.from(url.split(',')[1], 'base64'));
    }
  }, options);
}

// The page on a network of 1 MB/s: the status line counts the bytes up to
// the whole (program and data), and a page whose vimra.wasm does not arrive
// says so and does not start.
async function loading(dist, outDir) {
  const throttle = async (page) => {
    await page.send('Network.enable');
    await page.send('Network.emulateNetworkConditions',
                    { offline: false, latency: 20, downloadThroughput: 1e6, uploadThroughput: 1e6 });
  };
  const total = ['vimra.wasm', ...kDataFiles]
    .reduce((sum, name) => sum + fs.statSync(path.join(dist, name)).size, 0);
  await withPage(dist, '', [], async (page) => {
    await page.waitFor('window.vimraPage', 60);
    const seen = [];
    let shot = false;
    for (;;) {
      const [state, status, bytes] = await page.evaluate(
        "[vimraPage.state, document.getElementById('status').textContent, vimraPage.loadedBytes]");
      if (state !== 'loading') break;
      if (seen.length === 0 || seen[seen.length - 1].status !== status) seen.push({ status, bytes });
      // A picture once about a third has arrived.
      if (!shot && bytes > total / 3) {
        await page.screenshot(path.join(outDir, 'loading.png'));
        shot = true;
      }
      await sleep(100);
    }
    console.log(`status lines while loading: ${seen.length}; ` +
                seen.filter((_, i) => i % Math.ceil(seen.length / 6) === 0).map((s) => `"${s.status}"`).join(', '));
    const counted = seen.filter((s) => /^Loading \d+\.\d of \d+\.\d MB…$/.test(s.status));
    check(counted.length >= 5 && shot, `the status counts the bytes as they arrive (${counted.length} steps)`);
    check(counted.every((s, i) => i === 0 || s.bytes >= counted[i - 1].bytes), 'the count only grows');
    // The sizes come with the files' first bytes: the whole is known early.
    const whole = `of ${(total / 1e6).toFixed(1)} MB`;
    check(counted.some((s) => s.bytes < total / 4 && s.status.includes(whole)),
          `before a quarter has arrived, the whole is the program and its data (${whole})`);
    await page.waitFor("vimraPage.state === 'ready'", 120);
    check(await page.evaluate('vimraPage.loadedBytes') === total, `every byte arrived (${total})`);
    const version = await page.evaluate("document.getElementById('version').textContent");
    check(version === `Vimra ${process.env.VIMRA_VERSION}, MIT licence`, `the page names its version: "${version}"`);
  }, { prepare: throttle });
  await withPage(dist, '', ['vimra.wasm'], async (page) => {
    await page.waitFor("window.vimraPage && vimraPage.state === 'failed'", 60);
    const status = await page.evaluate("document.getElementById('status').textContent");
    check(/^vimra\.wasm did not arrive \(HTTP 404\)/.test(status), `a missing vimra.wasm is named: "${status}"`);
  }, { expected: [/vimra\.wasm/] });
}

// Starts the demo with a key press once the first frame and the prompt are up.
async function start(page, outDir, name) {
  await page.waitFor("window.vimraPage && vimraPage.state === 'ready'", 120);
  const prompt = await page.evaluate("getComputedStyle(document.getElementById('prompt')).display !== 'none' && " +
                                    "document.getElementById('prompt').innerText");
  check(prompt && prompt.startsWith('Click or press a key to start') && !/tap/i.test(prompt),
        'the first frame waits under "click or press a key to start"');
  const shownBefore = await page.evaluate('vimraPage.frameShownAt.length');
  await sleep(500);
  check(await page.evaluate('vimraPage.frameShownAt.length') === shownBefore, 'nothing plays before the gesture');
  await page.screenshot(path.join(outDir, `${name}-ready.png`));
  await page.press('Enter', kEnter);
  await page.waitFor("vimraPage.state === 'playing'", 10);
}

async function playToEnd(page, outDir, name) {
  // Frames keep reaching the screen: three more, however long a loaded
  // machine takes for them (how many a second is the benchmark's business).
  const shownBefore = await page.evaluate('vimraPage.frameShownAt.length');
  await page.waitFor(`vimraPage.frameShownAt.length >= ${shownBefore + 3}`, 120);
  await sleep(3000);
  await page.screenshot(path.join(outDir, `${name}-playing.png`));
  const shownAt = await page.evaluate('vimraPage.frameShownAt');
  const recent = shownAt.filter((t) => t > shownAt[shownAt.length - 1] - 3000);
  const intervals = recent.slice(1).map((t, i) => t - recent[i]);
  // At most one frame per 10 ms step (a little jitter from the browser's timers).
  check(recent.length <= 310,
        `frames reach the screen at most 100 a second (${recent.length} in the last 3 s, ` +
        `interval median ${percentile(intervals, 0.5).toFixed(1)} ms)`);
  // F2 held: 2 more speed for every frame it reads as down, as on the desktop.
  await page.key('keyDown', 'F2', kF2);
  await page.waitFor("vimraPage.state === 'ended'", 120);
  await page.key('keyUp', 'F2', kF2);
  check(await page.evaluate('vimraPage.exitCode') === 0, 'the demo ends by itself with exit code 0');
  check(await page.evaluate("getComputedStyle(document.getElementById('end')).display !== 'none'"),
        'the end screen with "play again" is shown');
  await page.screenshot(path.join(outDir, `${name}-end.png`));
}

async function play(dist, outDir) {
  await withPage(dist, '', [], async (page) => {
    await start(page, outDir, 'play');
    const decoded = await page.evaluate('vimraPage.decodedSeconds');
    check(decoded.length === 1 && decoded[0] >= kMusicSeconds,
          `the music decodes to at least ${kMusicSeconds} s (${decoded.map((s) => s.toFixed(2)).join(', ')} s)`);
    // resume() after the gesture settles when the browser gets to it: waited for, not sampled.
    const running = await page.waitFor("vimraPage.audioContext && vimraPage.audioContext.state === 'running'", 30)
      .then(() => true, () => false);
    check(running, 'the audio context runs after the gesture');
    await playToEnd(page, outDir, 'play');
  });
}

async function missingData(dist, outDir) {
  const missing = ['cube.dds', 'isodef.obj', 'demodemo.mp3'];
  await withPage(dist, '', missing, async (page) => {
    await start(page, outDir, 'missing');
    const reported = await page.evaluate('vimraPage.missingFiles');
    check(missing.every((name) => reported.includes(name)), `the page notes the missing ${missing.join(', ')}`);
    const status = await page.evaluate("document.getElementById('status').textContent");
    check(missing.every((name) => status.includes(name)), `the page names what did not arrive: "${status}"`);
    check((await page.evaluate('vimraPage.decodedSeconds')).length === 0, 'no music is decoded');
    await playToEnd(page, outDir, 'missing');
  });
}

async function escape(dist, outDir) {
  await withPage(dist, '', [], async (page) => {
    await start(page, outDir, 'escape');
    await sleep(1000);
    await page.press('Escape', 27);
    await page.waitFor("vimraPage.state === 'ended'", 30);
    check(await page.evaluate('vimraPage.exitCode') === 0, 'Escape ends the demo at once with exit code 0');
    const shown = await page.evaluate('vimraPage.frameShownAt.length');
    await sleep(500);
    check(await page.evaluate('vimraPage.frameShownAt.length') === shown, 'no frame is drawn after Escape');
  });
}

// Without WebGL the device cannot start: the fatal message on the page, then exit code -1.
async function noWebGl(dist) {
  await withPage(dist, '', [], async (page) => {
    await page.waitFor('window.vimraPage && vimraPage.messageOpen', 60);
    check(await page.evaluate("document.getElementById('message-caption').textContent") === 'fatal Error' &&
          await page.evaluate("document.getElementById('message-text').textContent") === 'D3D not initialized!',
          'the page shows "D3D not initialized!" titled "fatal Error"');
    await page.evaluate("document.getElementById('message-ok').click()");
    await page.waitFor("vimraPage.state === 'ended'", 30);
    check(await page.evaluate('vimraPage.exitCode') === -1, 'dismissing it ends the run with exit code -1');
  }, { browserArgs: ['--disable-3d-apis'], expected: [/fatal Error: D3D not initialized!/] });
}

// Scenes by demo time at speed 1 (timeline units of 4150 ms: 10 and 18).
const kScenes = [['columns', 0, 41500], ['ring and flyer', 41500, 74700], ['rows', 74700, 85080]];

async function timing(dist, outDir) {
  await withPage(dist, '?sync', [], async (page) => {
    await start(page, outDir, 'timing');
    const startedAt = await page.evaluate('performance.now()');
    await page.waitFor("vimraPage.state === 'ended'", 150);
    const shownAt = await page.evaluate('vimraPage.frameShownAt');
    const work = await page.evaluate('vimraPage.frameWorkMs');
    const report = [];
    for (const [scene, from, to] of kScenes) {
      const inScene = [];
      const intervals = [];
      for (let i = 1; i < shownAt.length; ++i) {
        const t = shownAt[i] - startedAt;
        // Leave a second out at each boundary: the scene changes mid-way.
        if (t < from + 1000 || t > to - 1000) continue;
        inScene.push(work[i]);
        intervals.push(shownAt[i] - shownAt[i - 1]);
      }
      report.push(`${scene}: ${inScene.length} frames, work median ${percentile(inScene, 0.5).toFixed(2)} ms ` +
                  `p99 ${percentile(inScene, 0.99).toFixed(2)} ms; interval median ` +
                  `${percentile(intervals, 0.5).toFixed(2)} ms p99 ${percentile(intervals, 0.99).toFixed(2)} ms`);
    }
    console.log(report.join('\n'));
    fs.writeFileSync(path.join(outDir, 'timing.txt'), report.join('\n') + '\n');
  });
}

async function listen(dist, outDir, seconds) {
  await withPage(dist, '?frames', [], async (page) => {
    await page.waitFor("window.vimraPage && vimraPage.state === 'ready'", 120);
    const before = await page.evaluate('vimraPage.frameShownAt.length');
    await page.press('Enter', kEnter);
    await page.waitFor(`vimraPage.frameShownAt.length > ${before}`, 30);
    const ago = await page.evaluate(`performance.now() - vimraPage.frameShownAt[${before}]`);
    console.log(`first-frame ${ago.toFixed(1)}`);
    // For the harness, which waits on it as on a program's first frame.
    if (process.env.VIMRA_FRAME_LOG) fs.writeFileSync(process.env.VIMRA_FRAME_LOG, '0\n');
    if (seconds === 'full') await page.waitFor("vimraPage.state === 'ended'", 150);
    else await sleep(Number(seconds) * 1000);
    // Each presented frame's demo time and the page's time of it, after the
    // first frame after the start.
    const [logged, first] = await page.evaluate(`[vimraPage.framesLogged, vimraPage.frameShownAt[${before}]]`);
    const lines = logged.map(([demo, at]) => `${demo} ${(at - first).toFixed(2)}`);
    fs.writeFileSync(path.join(outDir, 'frames.txt'), lines.join('\n') + '\n');
  });
}

// Frame mode under `options`: the frame drawn at the canvas's device pixels,
// not at 1280x720, written for the shell to compare with the recorder's.
async function sharpFrame(dist, outDir, time, ratio, options) {
  await withPage(dist, `?frame=${time}`, [], async (page) => {
    await page.waitFor("window.vimraPage && vimraPage.state === 'frames'", 300);
    const [shown, buffer] = await page.evaluate(
      "[(r => [r.width, r.height])(document.getElementById('canvas').getBoundingClientRect()), " +
      "(c => [c.width, c.height])(document.getElementById('canvas'))]");
    check(Math.abs(buffer[0] - shown[0] * ratio) <= 1 && Math.abs(buffer[1] - shown[1] * ratio) <= 1,
          `the drawing buffer is the shown ${shown[0].toFixed(1)}x${shown[1].toFixed(1)} times ${ratio}: ` +
          `${buffer[0]}x${buffer[1]}`);
    const url = await page.evaluate(`vimraPage.frames[${time}] || ''`);
    check(url.startsWith('data:image/png;base64,'), `frame ${time} handed to the page`);
    if (url) fs.writeFileSync(path.join(outDir, `web-${time}.png`), Buffer.from(url.split(',')[1], 'base64'));
    fs.writeFileSync(path.join(outDir, 'size.txt'), `${buffer[0]}x${buffer[1]}\n`);
  }, options);
}

// The drawing buffer once it is `width` x `height`, waited for: the page
// sizes it after the browser's layout.
async function waitForBuffer(page, width, height, what) {
  const reached = await page.waitFor(
    `(c => c.width === ${width} && c.height === ${height})(document.getElementById('canvas'))`, 30)
    .then(() => true, () => false);
  const now = await page.evaluate("(c => `${c.width}x${c.height}`)(document.getElementById('canvas'))");
  check(reached, `${what}: the drawing buffer is ${width}x${height} (${now})`);
}

async function hidpi(dist, outDir, time) {
  // The switch sets the ratio: the page's 1280x720 metrics leave it as it is (0).
  const options = { browserArgs: ['--force-device-scale-factor=2'],
                    prepare: (page) => page.send('Emulation.setDeviceMetricsOverride',
                                                 { width: 1280, height: 720, deviceScaleFactor: 0, mobile: false }) };
  await sharpFrame(dist, outDir, time, 2, options);
  await withPage(dist, '', [], async (page) => {
    check(await page.evaluate('devicePixelRatio') === 2, 'the page sees devicePixelRatio 2');
    await start(page, outDir, 'hidpi');
    await waitForBuffer(page, 2560, 1440, 'playing');
    await page.send('Emulation.setDeviceMetricsOverride', { width: 1000, height: 800, deviceScaleFactor: 0, mobile: false });
    await waitForBuffer(page, 2000, 1125, 'resized to 1000x800');
    const shown = await page.evaluate('vimraPage.frameShownAt.length');
    await page.waitFor(`vimraPage.frameShownAt.length >= ${shown + 3}`, 60);
    await page.screenshot(path.join(outDir, 'hidpi-playing.png'));
  }, options);
}

async function phone(dist, outDir, time) {
  const asPhone = (width, height) => async (page) => {
    await page.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 3, mobile: true });
    await page.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  };
  await sharpFrame(dist, outDir, time, 3, { prepare: asPhone(844, 390) });
  await withPage(dist, '', [], async (page) => {
    await page.waitFor("window.vimraPage && vimraPage.state === 'ready'", 300);
    // Landscape: the picture takes the whole height, 693x390 of the 844x390 screen.
    await waitForBuffer(page, 2080, 1170, 'landscape');
    const prompt = await page.evaluate("document.getElementById('prompt').innerText");
    check(prompt.startsWith('Tap to start') && !/click|key/i.test(prompt), `the prompt speaks of a tap: "${prompt}"`);
    await page.screenshot(path.join(outDir, 'phone-ready.png'));
    const tap = (type) => page.send('Input.dispatchTouchEvent',
                                    { type, touchPoints: type === 'touchEnd' ? [] : [{ x: 422, y: 195 }] });
    await tap('touchStart');
    await tap('touchEnd');
    const started = await page.waitFor("vimraPage.state === 'playing'", 30).then(() => true, () => false);
    check(started, 'a tap starts the demo');
    const running = await page.waitFor("vimraPage.audioContext && vimraPage.audioContext.state === 'running'", 30)
      .then(() => true, () => false);
    check(running, 'the audio context runs after the tap');
    check(await page.evaluate('document.fullscreenElement !== null'), 'held sideways, the page goes to full screen');
    const shown = await page.evaluate('vimraPage.frameShownAt.length');
    await page.waitFor(`vimraPage.frameShownAt.length >= ${shown + 3}`, 60);
    await page.screenshot(path.join(outDir, 'phone-playing.png'));
    // Turned upright: 390 wide, the picture 390x219 in the middle.
    await page.send('Emulation.setDeviceMetricsOverride', { width: 390, height: 844, deviceScaleFactor: 3, mobile: true });
    await waitForBuffer(page, 1170, 658, 'upright');
  }, { prepare: asPhone(844, 390) });
}

// Navigates the page to its address again: the document that comes is a
// new one, whether from the network or the service worker's cache.
async function visit(page) {
  const { errorText } = await page.send('Page.navigate', { url: page.url });
  check(!errorText, `the page opens${errorText ? `: ${errorText}` : ''}`);
}

// Whether `condition()` came true within `seconds`, asked every 100 ms.
async function waitUntil(condition, seconds) {
  const deadline = Date.now() + seconds * 1000;
  while (!(await condition())) {
    if (Date.now() > deadline) return false;
    await sleep(100);
  }
  return true;
}

// What the page's service worker keeps: each cache's name and its files.
const kCached = `(async () => {
  const kept = {};
  for (const name of await caches.keys()) {
    kept[name] = (await (await caches.open(name)).keys()).map((r) => new URL(r.url).pathname).sort();
  }
  return kept;
})()`;

async function app(dist, outDir) {
  // A folder of its own, so that a newer release can be served at the same address.
  const site = path.join(outDir, 'site');
  fs.rmSync(site, { recursive: true, force: true });
  fs.cpSync(dist, site, { recursive: true });
  const worker = fs.readFileSync(path.join(dist, 'sw.js'), 'utf8');
  const cacheName = worker.match(/const kCache = '([^']+)';/)[1];
  const files = ['/', '/vimra.js', '/vimra.wasm', ...kDataFiles.map((name) => `/${name}`),
                 '/manifest.webmanifest', '/icon-192.png', '/icon-512.png'].sort();
  const version = process.env.VIMRA_VERSION;
  check(cacheName.startsWith(`vimra-${version}-`), `the cache is named after the version: ${cacheName}`);
  await withPage(site, '', [], async (page) => {
    const served = [];
    page.server.on('request', (request, response) =>
      response.on('finish', () => served.push(`${request.url} ${response.statusCode}`)));
    await page.waitFor("window.vimraPage && vimraPage.state === 'ready'", 300);
    const { installabilityErrors } = await page.send('Page.getInstallabilityErrors');
    console.log(`installability errors: ${JSON.stringify(installabilityErrors)}`);
    check(installabilityErrors.length === 0, 'the page installs as an app');
    const kept = await page.waitFor(`${kCached}.then((kept) => kept[${JSON.stringify(cacheName)}] && kept)`, 120)
      .catch(() => ({}));
    check(JSON.stringify(kept) === JSON.stringify({ [cacheName]: files }),
          `after the first visit the cache holds the page and its files: ${JSON.stringify(kept)}`);

    // The server stopped: from the cache alone, the demo and its music to the end.
    const port = page.server.address().port;
    await new Promise((resolve) => {
      page.server.close(resolve);
      page.server.closeAllConnections();
    });
    await visit(page);
    await start(page, outDir, 'offline');
    check((await page.evaluate('vimraPage.missingFiles')).length === 0, 'with no server, every file comes from the cache');
    const decoded = await page.evaluate('vimraPage.decodedSeconds');
    check(decoded.length === 1 && decoded[0] >= kMusicSeconds,
          `with no server, the music decodes to at least ${kMusicSeconds} s (${decoded.map((s) => s.toFixed(2)).join(', ')} s)`);
    const running = await page.waitFor("vimraPage.audioContext && vimraPage.audioContext.state === 'running'", 30)
      .then(() => true, () => false);
    check(running, 'with no server, the music starts with the gesture');
    const [playedFrom, heardFrom] = await page.evaluate('[performance.now(), vimraPage.audioContext.currentTime]');
    await playToEnd(page, outDir, 'offline');
    const [playedTo, heardTo] = await page.evaluate('[performance.now(), vimraPage.audioContext.currentTime]');
    const [played, heard] = [(playedTo - playedFrom) / 1000, heardTo - heardFrom];
    check(heard > 0.5 * played, `the music plays all along to the end (${heard.toFixed(1)} s in ${played.toFixed(1)} s)`);
    await new Promise((resolve) => page.server.listen(port, '127.0.0.1', resolve));

    // A newer release whose music does not arrive: its worker installs
    // nothing, and the cache before stays whole.
    const newer = cacheName.replace(`vimra-${version}-`, `vimra-${version}-next-`);
    fs.writeFileSync(path.join(site, 'sw.js'), worker.replace(cacheName, newer));
    const page0 = fs.readFileSync(path.join(dist, 'index.html'), 'utf8');
    fs.writeFileSync(path.join(site, 'index.html'), page0.replace(`>Vimra ${version},`, `>Vimra ${version}-next,`));
    fs.rmSync(path.join(site, 'demodemo.mp3'));
    served.length = 0;
    await visit(page);
    await page.waitFor("window.vimraPage && vimraPage.state === 'ready'", 300);
    const failed = async () => served.includes('/demodemo.mp3 404') && page.evaluate(
      'navigator.serviceWorker.getRegistration().then((r) => !r.installing && !r.waiting)');
    check(await waitUntil(failed, 120), 'the broken release\'s worker gives up');
    const afterBroken = await page.evaluate(kCached);
    check(JSON.stringify(afterBroken) === JSON.stringify({ [cacheName]: files }),
          `a half-finished download leaves the cache before whole and alone: ${Object.keys(afterBroken)}`);

    // The whole newer release: its cache replaces the old one, and the next
    // visit comes from it.
    fs.copyFileSync(path.join(dist, 'demodemo.mp3'), path.join(site, 'demodemo.mp3'));
    await visit(page);
    const replaced = await page.waitFor(`${kCached}.then((kept) => Object.keys(kept).length === 1 && ` +
                                        `kept[${JSON.stringify(newer)}] && kept)`, 120).catch(() => ({}));
    check(JSON.stringify(replaced) === JSON.stringify({ [newer]: files }),
          `the newer release's cache replaces the old one: ${Object.keys(replaced)}`);
    served.length = 0;
    await visit(page);
    await page.waitFor("window.vimraPage && vimraPage.state === 'ready'", 300);
    const named = await page.evaluate("document.getElementById('version').textContent");
    check(named === `Vimra ${version}-next, MIT licence`, `the next visit is the newer release: "${named}"`);
    check(served.every((line) => line.startsWith('/sw.js ')),
          `and comes from its cache (the server saw ${served.join(', ') || 'nothing'})`);
  });
}

async function main() {
  const [mode, dist, outDir, ...rest] = process.argv.slice(2);
  if (!mode || !dist || !outDir) {
    console.error('usage: web_page_test.js frames|play|missing-data|escape|no-webgl|timing|listen|loading|single-file|' +
                  'hidpi|phone|app ' +
                  'DIST OUT_DIR [TIME_MS...|SECONDS]');
    process.exit(2);
  }
  fs.mkdirSync(outDir, { recursive: true });
  if (mode === 'frames') await frames(dist, outDir, rest);
  else if (mode === 'single-file') await frames(null, outDir, rest, { file: dist });
  else if (mode === 'loading') await loading(dist, outDir);
  else if (mode === 'hidpi') await hidpi(dist, outDir, rest[0]);
  else if (mode === 'phone') await phone(dist, outDir, rest[0]);
  else if (mode === 'app') await app(dist, outDir);
  else if (mode === 'play') await play(dist, outDir);
  else if (mode === 'missing-data') await missingData(dist, outDir);
  else if (mode === 'timing') await timing(dist, outDir);
  else if (mode === 'listen') await listen(dist, outDir, rest[0]);
  else if (mode === 'escape') await escape(dist, outDir);
  else if (mode === 'no-webgl') await noWebGl(dist);
  else {
    console.error(`web_page_test.js: unknown mode ${mode}`);
    process.exit(2);
  }
  process.exit(failures === 0 ? 0 : 1);
}

main();
