// Drives one page in headless Chromium over the DevTools protocol on a pipe
// (no network port): serves a folder on 127.0.0.1, opens the page, and lets
// the caller evaluate script, press keys and take screenshots.
'use strict';
const http = require('http');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');

const kTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.webmanifest': 'application/manifest+json', '.mp3': 'audio/mpeg', '.obj': 'text/plain', '.dds': 'application/octet-stream',
};

// Serves `root` on 127.0.0.1 at a free port; names in `missing` answer 404.
function serve(root, missing = []) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(root, path.normalize(name));
    if (!file.startsWith(root) || missing.includes(name) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
                              'Content-Length': fs.statSync(file).size, 'Cache-Control': 'no-store' });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

class Browser {
  // extraArgs: more Chromium switches (e.g. '--disable-3d-apis').
  constructor(extraArgs = []) {
    this.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'vimra-chromium-'));
    const args = [
      '--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
      '--disable-gpu-sandbox', '--no-first-run', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--remote-debugging-pipe', `--user-data-dir=${this.profile}`, '--window-size=1280,720',
      '--disable-background-timer-throttling', '--disable-renderer-backgrounding', ...extraArgs, 'about:blank',
    ];
    // Its own process group, so that closing it ends its helper processes too.
    this.process = spawn(process.env.CHROMIUM || 'chromium', args,
                         { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true });
    this.log = '';
    this.process.stderr.on('data', (chunk) => { this.log += chunk; });
    this.nextId = 1;
    this.waiting = new Map();
    this.listeners = [];
    let buffered = '';
    this.process.stdio[4].on('data', (chunk) => {
      buffered += chunk;
      let end;
      while ((end = buffered.indexOf('\0')) >= 0) {
        const message = JSON.parse(buffered.slice(0, end));
        buffered = buffered.slice(end + 1);
        if (message.id && this.waiting.has(message.id)) {
          const { resolve, reject } = this.waiting.get(message.id);
          this.waiting.delete(message.id);
          if (message.error) reject(new Error(JSON.stringify(message.error))); else resolve(message.result);
        } else {
          for (const listener of this.listeners) listener(message);
        }
      }
    });
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    const message = { id, method, params };
    if (sessionId) message.sessionId = sessionId;
    this.process.stdio[3].write(JSON.stringify(message) + '\0');
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject }));
  }

  // Opens a page at `url`; console lines go to `onConsole`; `prepare(page)`
  // runs before the page is loaded (e.g. to throttle the network).
  async open(url, onConsole = () => {}, prepare = async () => {}) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId);
    this.listeners.push((message) => {
      if (message.sessionId !== sessionId) return;
      if (message.method === 'Runtime.consoleAPICalled') {
        onConsole(message.params.args.map((a) => (a.value !== undefined ? a.value : a.description)).join(' '));
      } else if (message.method === 'Log.entryAdded') {
        onConsole(`${message.params.entry.level}: ${message.params.entry.text}`);
      } else if (message.method === 'Runtime.exceptionThrown') {
        onConsole('exception: ' + JSON.stringify(message.params.exceptionDetails.exception?.description ||
                                                  message.params.exceptionDetails.text));
      }
    });
    await page.send('Runtime.enable');
    await page.send('Log.enable');
    await page.send('Page.enable');
    await page.send('Emulation.setDeviceMetricsOverride', { width: 1280, height: 720, deviceScaleFactor: 1, mobile: false });
    await prepare(page);
    await page.send('Page.navigate', { url });
    return page;
  }

  async close() {
    const exited = new Promise((resolve) => this.process.once('exit', resolve));
    if (this.process.exitCode === null) {
      try {
        process.kill(-this.process.pid, 'SIGKILL');
      } catch (error) {
        this.process.kill('SIGKILL');
      }
    }
    await exited;
    // A helper process may still write into the profile for a moment.
    for (let attempt = 0; attempt < 20; ++attempt) {
      try {
        fs.rmSync(this.profile, { recursive: true, force: true });
        return;
      } catch (error) {
        await new Promise((resolve) => setTimeout(resolve, 250));
      }
    }
  }
}

class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
  }

  send(method, params = {}) { return this.browser.send(method, params, this.sessionId); }

  async evaluate(expression) {
    const result = await this.send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (result.exceptionDetails) throw new Error(`${expression}: ${result.exceptionDetails.text}`);
    return result.result.value;
  }

  // Waits until `expression` is truthy; its value, or an error after `seconds`.
  async waitFor(expression, seconds) {
    const deadline = Date.now() + seconds * 1000;
    for (;;) {
      const value = await this.evaluate(expression);
      if (value) return value;
      if (Date.now() > deadline) throw new Error(`waited ${seconds} s for ${expression}`);
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  }

  // A key as a person presses it: DOM `key` and `code` names, e.g. 'F2'.
  async key(type, key, keyCode) {
    await this.send('Input.dispatchKeyEvent', { type, key, code: key, windowsVirtualKeyCode: keyCode,
                                                nativeVirtualKeyCode: keyCode });
  }

  async press(key, keyCode) {
    await this.key('keyDown', key, keyCode);
    await this.key('keyUp', key, keyCode);
  }

  async screenshot(file) {
    const { data } = await this.send('Page.captureScreenshot', { format: 'png' });
    fs.writeFileSync(file, Buffer.from(data, 'base64'));
  }
}

module.exports = { serve, Browser };
