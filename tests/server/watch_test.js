// "Watch" on the board page, in Debian's headless Chromium: the server's
// /watch/ID opens the web build it serves on the ranked replay, fetched from
// the server, and the game plays it (Space held runs it four frames to a
// picture) to the replay's score.
//   node watch_test.js BOARD_URL ID SCORE PROFILE_DIR
'use strict';
const { spawn } = require('child_process');
const http = require('http');
const WebSocket = require('ws');

const [board, id, score, profile] = process.argv.slice(2);
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
    '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required',
    '--user-data-dir=' + profile, '--remote-debugging-port=0', '--window-size=520,800', 'about:blank'
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
  const log = [];
  ws.on('message', (data) => {
    const msg = JSON.parse(data);
    if (msg.id && pending.has(msg.id)) {
      const { resolve, reject } = pending.get(msg.id);
      pending.delete(msg.id);
      if (msg.error) reject(new Error(JSON.stringify(msg.error))); else resolve(msg.result);
    } else if (msg.method === 'Runtime.consoleAPICalled') {
      log.push(msg.params.args.map((a) => a.value).join(' '));
    } else if (msg.method === 'Runtime.exceptionThrown') {
      log.push('exception: ' + JSON.stringify(msg.params.exceptionDetails));
    }
  });
  const send = (method, params = {}) => new Promise((resolve, reject) => {
    const n = nextId++;
    pending.set(n, { resolve, reject });
    ws.send(JSON.stringify({ id: n, method, params }));
  });
  const evaluate = async (expression) => {
    const r = await send('Runtime.evaluate', { expression, returnByValue: true });
    if (r.exceptionDetails) return null;
    return r.result.value;
  };
  const space = { key: ' ', code: 'Space', windowsVirtualKeyCode: 32 };

  await send('Page.enable');
  await send('Runtime.enable');
  await send('Page.navigate', { url: `${board}/watch/${id}` });
  // The game plays the replay; the state probe shows its score.
  const end = Date.now() + 240000;
  let best = null, watching = false, focused = false, last = null;
  while (Date.now() < end) {
    const search = await evaluate('location.search');
    const state = await evaluate(
      'Module._tessivane_state_json ? JSON.parse(UTF8ToString(Module._tessivane_state_json())) : null');
    if (search && decodeURIComponent(search) === `?watch=/api/replays/${id}/file`) watching = true;
    if (watching && state && !focused && state.gameMode === 0) {
      await evaluate('Module.canvas.focus(), 0');
      await send('Input.dispatchKeyEvent', Object.assign({ type: 'keyDown' }, space));
      focused = true;
    }
    if (watching && state && search) best = Math.max(best || 0, state.score);
    if (state) last = { search, gameMode: state.gameMode, score: state.score, stageNo: state.stageNo };
    if (best === Number(score)) break;
    await sleep(100);
  }
  const ok = watching && best === Number(score);
  console.log((ok ? 'ok   ' : 'FAIL ') + `watching replay ${id} from the board reaches its score ${score}` +
              `: watching ${watching}, the best score shown ${best}` +
              (ok ? '' : `; last ${JSON.stringify(last)}\n${log.slice(-20).join('\n')}`));
  try { await send('Browser.close'); } catch (e) { /* it closes */ }
  process.exit(ok ? 0 : 1);
}

main().catch((e) => { console.error(e); process.exit(1); });
