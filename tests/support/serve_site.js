// The web site served as a player's browser fetches it, by web/serve.js on
// 127.0.0.1, for the node scripts that play it:
//   const { serveSite } = require('../support/serve_site');
//   const site = await serveSite(folder);   // site.url, site.port
//   await site.stop();
'use strict';
const { spawn } = require('child_process');
const path = require('path');

// Serves `folder` on `port` (0: a free one). Resolves to { url, port, stop() }
// once it listens; the server ends with this process at the latest.
function serveSite(folder, port = 0) {
  const server = spawn('node', [path.join(__dirname, '..', '..', 'web', 'serve.js'), folder, String(port)],
                       { stdio: ['ignore', 'pipe', 'inherit'] });
  const end = () => server.kill();
  process.once('exit', end);
  return new Promise((resolve, reject) => {
    let text = '';
    server.stdout.on('data', (d) => {
      text += d;
      const m = /^http:\/\/127\.0\.0\.1:(\d+)\//m.exec(text);
      if (m) resolve({ port: Number(m[1]), url: m[0] });
    });
    server.on('exit', () => reject(new Error('the server ended: ' + text)));
  }).then((s) => {
    s.stop = () => new Promise((r) => {
      process.removeListener('exit', end);
      server.removeAllListeners('exit');
      server.once('exit', r);
      server.kill();
    });
    return s;
  });
}

module.exports = { serveSite };
