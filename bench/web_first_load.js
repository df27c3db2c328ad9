// The web page's first load, as a phone on a fast 4G link sees it: the bytes
// that cross the network and the time until the title plays, cold (a new
// browser profile) and warm (the same profile again, the site then kept by
// its service worker). Prints figures, asserts nothing.
//   node web_first_load.js URL WORK_DIR
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const http = require('http');
const path = require('path');
const WebSocket = require('ws');

const [url, workDir] = process.argv.slice(2);
const profile = path.join(workDir, 'bench-profile');
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
// 9 Mbit/s down, 85 ms round trip (the DevTools protocol's figures are bytes per second).
const kLink = { offline: false, latency: 85, downloadThroughput: 9e6 / 8, uploadThroughput: 3e6 / 8 };

function getJson(address) {
  return new Promise((resolve, reject) => {
    http.get(address, (res) => {
      let text = '';
      res.on('data', (d) => (text += d));
      res.on('end', () => { try { resolve(JSON.parse(text)); } catch (e) { reject(e); } });
    }).on('error', reject);
  });
}

async function launch() {
  const chromium = spawn('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--user-data-dir=' + profile,
    '--remote-debugging-port=0', '--window-size=390,844', 'about:blank'], { stdio: ['ignore', 'ignore', 'pipe'] });
  process.once('exit', () => chromium.kill());
  const port = await new Promise((resolve, reject) => {
    let text = '';
    chromium.stderr.on('data', (d) => {
      text += d;
      const m = /DevTools listening on ws:\/\/[^:]+:(\d+)\//.exec(text);
      if (m) resolve(m[1]);
    });
    chromium.on('exit', () => reject(new Error('Chromium ended:\n' + text)));
  });
  let page;
  while (!page) {
    page = (await getJson(`http://127.0.0.1:${port}/json/list`)).find((t) => t.type === 'page');
    if (!page) await sleep(200);
  }
  const ws = new WebSocket(page.webSocketDebuggerUrl, { perMessageDeflate: false });
  await new Promise((resolve, reject) => { ws.once('open', resolve); ws.once('error', reject); });
  let nextId = 1;
  const pending = new Map(), listeners = [];
  ws.on('message', (data) => {
    const msg = JSON.parse(data);
    if (msg.id && pending.has(msg.id)) {
      const { resolve, reject } = pending.get(msg.id);
      pending.delete(msg.id);
      if (msg.error) reject(new Error(JSON.stringify(msg.error)));
      else resolve(msg.result);
    } else if (msg.method) for (const l of listeners) l(msg);
  });
  const send = (method, params = {}) => new Promise((resolve, reject) => {
    const id = nextId++;
    pending.set(id, { resolve, reject });
    ws.send(JSON.stringify({ id, method, params }));
  });
  const evaluate = async (expression) =>
    (await send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true })).result.value;
  const close = async () => {
    try { await send('Browser.close'); } catch (e) { /* it closes */ }
    await new Promise((resolve) => { if (chromium.exitCode !== null) resolve(); else chromium.once('exit', resolve); });
  };
  return { send, evaluate, close, listeners };
}

// Loads the page and waits for the title: bytes over the network and ms.
async function firstLoad(b) {
  let bytes = 0;
  const fromWorker = new Set(), files = new Map();
  b.listeners.push((msg) => {
    if (msg.method === 'Network.responseReceived') {
      if (msg.params.response.fromServiceWorker) fromWorker.add(msg.params.requestId);
      files.set(msg.params.requestId, msg.params.response.url);
    }
    if (msg.method === 'Network.loadingFinished' && !fromWorker.has(msg.params.requestId)) {
      bytes += msg.params.encodedDataLength;
      const name = (files.get(msg.params.requestId) || '?').replace(/^.*\//, '') || 'index.html';
      perFile[name] = (perFile[name] || 0) + msg.params.encodedDataLength;
    }
  });
  const perFile = {};
  await b.send('Network.enable');
  await b.send('Network.emulateNetworkConditions', kLink);
  await b.send('Runtime.enable');
  const start = Date.now();
  await b.send('Page.navigate', { url });
  const expr = 'Module._tessivane_state_json ? JSON.parse(UTF8ToString(Module._tessivane_state_json())).gameMode : -1';
  while (Date.now() - start < 120000) {
    let mode = -1;
    try { mode = await b.evaluate(expr); } catch (e) { /* loading */ }
    if (mode === 5) break;
    await sleep(20);
  }
  return { ms: Date.now() - start, bytes, perFile };
}

function report(what, r) {
  const files = Object.entries(r.perFile).sort((a, b) => b[1] - a[1]).slice(0, 6)
    .map(([n, v]) => `${n} ${(v / 1e6).toFixed(2)} MB`).join(', ');
  console.log(`${what}: ${(r.bytes / 1e6).toFixed(2)} MB over the network, the title after ${(r.ms / 1000).toFixed(2)} s` +
              (files ? ` (${files})` : ''));
}

async function main() {
  fs.rmSync(profile, { recursive: true, force: true });
  let b = await launch();
  report('cold', await firstLoad(b));
  // Let the service worker keep the site, then start again.
  const kept = Date.now();
  while (Date.now() - kept < 120000 &&
         !(await b.evaluate('navigator.serviceWorker && navigator.serviceWorker.controller ? 1 : ' +
                            '(navigator.serviceWorker.getRegistration().then((r) => r && r.active ? 1 : 0))'))) await sleep(200);
  await b.close();
  b = await launch();
  report('warm', await firstLoad(b));
  await b.close();
}

main().then(() => process.exit(0), (e) => { console.error(e); process.exit(1); });
