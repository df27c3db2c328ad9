// The web page's first load, as a phone on a fast 4G link sees it: the bytes
// that cross the network and the time until the title plays, cold (a new
// browser profile) and warm (the same profile again, the site then kept by
// its service worker). Prints figures, asserts nothing.
//   node web_first_load.js SITE_DIR WORK_DIR   (serves SITE_DIR itself)
'use strict';
const fs = require('fs');
const path = require('path');
const { launchChromium, sleep } = require('../tests/support/chromium_devtools');
const { serveSite } = require('../tests/support/serve_site');

const [siteDir, workDir] = process.argv.slice(2);
const profile = path.join(workDir, 'bench-profile');
// 9 Mbit/s down, 85 ms round trip (the DevTools protocol's figures are bytes per second).
const kLink = { offline: false, latency: 85, downloadThroughput: 9e6 / 8, uploadThroughput: 3e6 / 8 };
const launch = () => launchChromium(profile, ['--window-size=390,844']);

// Loads the page and waits for the title: bytes over the network and ms.
async function firstLoad(b, url) {
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
  // Where the time went, on the page's own clock (from the navigation's start).
  const steps = await b.evaluate(`(function () {
    const at = {};
    for (const e of performance.getEntriesByType('resource')) {
      const name = e.name.replace(/^.*\\//, '');
      if (/^index\\.(js|wasm|data)$/.test(name)) at[name] = [Math.round(e.startTime), Math.round(e.responseEnd)];
    }
    const nav = performance.getEntriesByType('navigation')[0];
    if (nav) at['index.html'] = [0, Math.round(nav.responseEnd)];
    const ready = performance.getEntriesByName('tessivane-runtime')[0];
    if (ready) at.runtime = Math.round(ready.startTime);
    at.title = Math.round(performance.now());
    return JSON.stringify(at);
  })()`).catch(() => '{}');
  return { ms: Date.now() - start, bytes, perFile, steps: JSON.parse(steps) };
}

function report(what, r) {
  const files = Object.entries(r.perFile).sort((a, b) => b[1] - a[1]).slice(0, 6)
    .map(([n, v]) => `${n} ${(v / 1e6).toFixed(2)} MB`).join(', ');
  console.log(`${what}: ${(r.bytes / 1e6).toFixed(2)} MB over the network, the title after ${(r.ms / 1000).toFixed(2)} s` +
              (files ? ` (${files})` : ''));
  const s = r.steps || {};
  const span = (n) => s[n] ? `${n} ${s[n][0]}-${s[n][1]}` : null;
  const parts = ['index.html', 'index.js', 'index.wasm', 'index.data'].map(span).filter(Boolean);
  if (s.runtime !== undefined) parts.push(`started ${s.runtime}`);
  if (parts.length) console.log(`  ms after the navigation: ${parts.join(', ')}, the title seen ${s.title}`);
}

async function main() {
  const { url } = await serveSite(siteDir);
  fs.rmSync(profile, { recursive: true, force: true });
  let b = await launch();
  report('cold', await firstLoad(b, url));
  // Let the service worker keep the site, then start again.
  const kept = Date.now();
  while (Date.now() - kept < 120000 &&
         !(await b.evaluate('navigator.serviceWorker && navigator.serviceWorker.controller ? 1 : ' +
                            '(navigator.serviceWorker.getRegistration().then((r) => r && r.active ? 1 : 0))'))) await sleep(200);
  await b.close();
  b = await launch();
  report('warm', await firstLoad(b, url));
  await b.close();
}

main().then(() => process.exit(0), (e) => { console.error(e); process.exit(1); });
