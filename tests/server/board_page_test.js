// The board page in Debian's headless Chromium, through the DevTools protocol:
//   node board_page_test.js URL NAME SCORE SHOT.png PROFILE_DIR
// - the four boards show, the normal one with the entry NAME at SCORE;
// - the name, which holds markup, shows as text (no element made of it);
// - on a phone's width the page does not run off the screen sideways.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const http = require('http');
const WebSocket = require('ws');

const [url, name, score, shot, profile] = process.argv.slice(2);
let failures = 0;
function check(ok, what, detail) {
  console.log((ok ? 'ok   ' : 'FAIL ') + what + (detail === undefined ? '' : ': ' + JSON.stringify(detail)));
  if (!ok) failures++;
}
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
const getJson = (u) => new Promise((resolve, reject) => {
  http.get(u, (res) => {
    let text = '';
    res.on('data', (d) => { text += d; });
    res.on('end', () => { try { resolve(JSON.parse(text)); } catch (e) { reject(e); } });
  }).on('error', reject);
});

async function main() {
  const chromium = spawn('chromium', [
    '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--user-data-dir=' + profile, '--remote-debugging-port=0',
    'about:blank'
  ], { stdio: ['ignore', 'ignore', 'pipe'] });
  process.once('exit', () => chromium.kill());
  const port = await new Promise((resolve, reject) => {
    let text = '';
    const timer = setTimeout(() => reject(new Error('Chromium did not start:\n' + text)), 60000);
    chromium.stderr.on('data', (d) => {
      text += d;
      const m = /DevTools listening on ws:\/\/[^:]+:(\d+)\//.exec(text);
      if (m) { clearTimeout(timer); resolve(m[1]); }
    });
  });
  let page;
  for (let i = 0; i < 50 && !page; i++) {
    page = (await getJson(`http://127.0.0.1:${port}/json/list`)).find((t) => t.type === 'page');
    if (!page) await sleep(200);
  }
  const ws = new WebSocket(page.webSocketDebuggerUrl, { perMessageDeflate: false });
  await new Promise((resolve, reject) => { ws.once('open', resolve); ws.once('error', reject); });
  let nextId = 1;
  const pending = new Map();
  const events = [];
  ws.on('message', (data) => {
    const msg = JSON.parse(data);
    if (msg.id && pending.has(msg.id)) {
      const { resolve, reject } = pending.get(msg.id);
      pending.delete(msg.id);
      if (msg.error) reject(new Error(JSON.stringify(msg.error))); else resolve(msg.result);
    } else if (msg.method) events.push(msg);
  });
  const send = (method, params = {}) => new Promise((resolve, reject) => {
    const id = nextId++;
    pending.set(id, { resolve, reject });
    ws.send(JSON.stringify({ id, method, params }));
  });
  const evaluate = async (expression) => {
    const r = await send('Runtime.evaluate', { expression, returnByValue: true });
    if (r.exceptionDetails) throw new Error(expression + ': ' + JSON.stringify(r.exceptionDetails));
    return r.result.value;
  };

  await send('Page.enable');
  await send('Runtime.enable');
  // A phone held upright.
  await send('Emulation.setDeviceMetricsOverride', { width: 390, height: 844, deviceScaleFactor: 2, mobile: true });
  await send('Page.navigate', { url: url + '/' });
  for (let i = 0; i < 100 && !events.some((e) => e.method === 'Page.loadEventFired'); i++) await sleep(100);

  const boards = await evaluate(`[...document.querySelectorAll('section.board')].map((s) => s.id)`);
  check(JSON.stringify(boards) === JSON.stringify(['normal', 'hard', 'hardest', 'easy']), 'the four boards show', boards);
  const rows = await evaluate(`[...document.querySelectorAll('#normal tbody tr')].map((r) =>
      [r.querySelector('td.name').textContent, r.querySelector('td.score').textContent])`);
  check(JSON.stringify(rows) === JSON.stringify([[name, score]]), 'the normal board lists the game', rows);
  check(await evaluate(`document.querySelectorAll('td.name *').length`) === 0,
        'the name with markup shows as text');
  check(await evaluate(`[...document.querySelectorAll('#hard p.empty, #hardest p.empty, #easy p.empty')].length`) === 3,
        'the empty boards say so');
  const widths = await evaluate(`[document.documentElement.scrollWidth, window.innerWidth]`);
  check(widths[0] <= widths[1], 'the page fits a phone\'s width', widths);
  const picture = await send('Page.captureScreenshot', { format: 'png' });
  fs.writeFileSync(shot, Buffer.from(picture.data, 'base64'));
  try { await send('Browser.close'); } catch (e) { /* it closes */ }
  process.exit(failures ? 1 : 0);
}

main().catch((e) => { console.error(e); process.exit(1); });
