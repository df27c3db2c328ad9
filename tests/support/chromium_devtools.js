// Debian's headless Chromium, driven through its DevTools protocol, for the
// tests that look at a page as a player's browser shows it:
//   const { launchChromium } = require('../support/chromium_devtools');
//   const browser = await launchChromium(profileDir, ['--window-size=520,800']);
//   await browser.send('Page.navigate', { url });
//   const title = await browser.evaluate('document.title');
//   await browser.close();
'use strict';
const { spawn } = require('child_process');
const http = require('http');
const WebSocket = require('ws');

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function getJson(address) {
  return new Promise((resolve, reject) => {
    http.get(address, (res) => {
      let text = '';
      res.on('data', (d) => (text += d));
      res.on('end', () => { try { resolve(JSON.parse(text)); } catch (e) { reject(e); } });
    }).on('error', reject);
  });
}

// Starts Chromium on about:blank with `profile` as its user folder (and
// `extraArgs`), connects to its page and enables the Page and Runtime events.
// Returns:
//   send(method, params)  a protocol command's result;
//   evaluate(expression)  its value in the page (promises awaited); throws
//                         what the page threw;
//   listeners             functions called with every protocol event;
//   log                   the page's console lines and uncaught exceptions;
//   close()               closes the browser and waits for it to end.
// The browser ends with this process, and with a test stopped from outside.
async function launchChromium(profile, extraArgs = []) {
  const chromium = spawn('chromium', [
    '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', ...extraArgs, '--user-data-dir=' + profile,
    '--remote-debugging-port=0', 'about:blank'
  ], { stdio: ['ignore', 'ignore', 'pipe'] });
  const stop = () => { chromium.kill(); process.exit(1); };
  process.once('SIGTERM', stop);
  process.once('SIGINT', stop);
  process.once('exit', () => chromium.kill());
  const port = await new Promise((resolve, reject) => {
    let text = '';
    const timer = setTimeout(() => reject(new Error('Chromium did not start:\n' + text)), 60000);
    chromium.stderr.on('data', (d) => {
      text += d;
      const m = /DevTools listening on ws:\/\/[^:]+:(\d+)\//.exec(text);
      if (m) { clearTimeout(timer); resolve(m[1]); }
    });
    chromium.on('exit', () => reject(new Error('Chromium ended:\n' + text)));
  });
  let page;
  for (let i = 0; i < 50 && !page; i++) {
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
    } else if (msg.method) {
      for (const l of listeners) l(msg);
    }
  });
  const send = (method, params = {}) => new Promise((resolve, reject) => {
    const id = nextId++;
    pending.set(id, { resolve, reject });
    ws.send(JSON.stringify({ id, method, params }));
  });
  const log = [];
  listeners.push((msg) => {
    if (msg.method === 'Runtime.consoleAPICalled') log.push(msg.params.args.map((a) => a.value).join(' '));
    if (msg.method === 'Runtime.exceptionThrown') log.push('exception: ' + JSON.stringify(msg.params.exceptionDetails));
  });
  await send('Page.enable');
  await send('Runtime.enable');
  const evaluate = async (expression) => {
    const r = await send('Runtime.evaluate', { expression, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails) throw new Error(expression + ': ' + JSON.stringify(r.exceptionDetails));
    return r.result.value;
  };
  const close = async () => {
    try { await send('Browser.close'); } catch (e) { /* it closes */ }
    await new Promise((resolve) => { if (chromium.exitCode !== null) resolve(); else chromium.once('exit', resolve); });
  };
  return { send, evaluate, close, log, listeners };
}

module.exports = { launchChromium, getJson, sleep };
