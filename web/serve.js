#!/usr/bin/env node
// Serves a folder of static files on 127.0.0.1 (for trying the web build):
//   node serve.js FOLDER [PORT]     PORT 0 picks a free one
// Prints "http://127.0.0.1:PORT/" once it listens. What compresses (the page,
// its code, the WebAssembly, the packed data, the font) is sent gzipped to a
// browser that accepts it, as a published site should send it.
'use strict';
const http = require('http');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const root = path.resolve(process.argv[2] || '.');
const port = Number(process.argv[3] || 8080);
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.data': 'application/octet-stream', '.txt': 'text/plain; charset=utf-8', '.png': 'image/png',
  '.ico': 'image/x-icon', '.css': 'text/css', '.ogg': 'audio/ogg', '.ttf': 'font/ttf',
  '.webmanifest': 'application/manifest+json', '.json': 'application/json'
};
const compressed = new Set(['.html', '.js', '.wasm', '.data', '.txt', '.css', '.ttf', '.webmanifest', '.json']);

// Gzipped files, kept while the file is unchanged.
const gzipped = new Map();
function gzipOf(file, st, done) {
  const kept = gzipped.get(file);
  if (kept && kept.mtimeMs === st.mtimeMs && kept.size === st.size) return done(null, kept.bytes);
  fs.readFile(file, function (err, bytes) {
    if (err) return done(err);
    zlib.gzip(bytes, { level: 9 }, function (err2, out) {
      if (err2) return done(err2);
      gzipped.set(file, { mtimeMs: st.mtimeMs, size: st.size, bytes: out });
      done(null, out);
    });
  });
}

const server = http.createServer(function (req, res) {
  let name;
  try {
    name = decodeURIComponent(new URL(req.url, 'http://x').pathname);
  } catch (e) {
    res.writeHead(400).end();
    return;
  }
  if (name.endsWith('/')) name += 'index.html';
  const file = path.join(root, path.normalize(name));
  if (!file.startsWith(root + path.sep)) {
    res.writeHead(403).end();
    return;
  }
  fs.stat(file, function (err, st) {
    if (err || !st.isFile()) {
      res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found\n');
      return;
    }
    const ext = path.extname(file).toLowerCase();
    const headers = { 'Content-Type': types[ext] || 'application/octet-stream', 'Cache-Control': 'no-cache',
                      'Last-Modified': st.mtime.toUTCString(), 'Vary': 'Accept-Encoding' };
    if (req.headers['if-modified-since'] && Date.parse(req.headers['if-modified-since']) >= Math.floor(st.mtimeMs / 1000) * 1000) {
      res.writeHead(304, headers).end();
      return;
    }
    if (compressed.has(ext) && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
      gzipOf(file, st, function (err2, bytes) {
        if (err2) {
          res.writeHead(500).end();
          return;
        }
        headers['Content-Encoding'] = 'gzip';
        headers['Content-Length'] = bytes.length;
        res.writeHead(200, headers);
        res.end(req.method === 'HEAD' ? undefined : bytes);
      });
      return;
    }
    headers['Content-Length'] = st.size;
    res.writeHead(200, headers);
    if (req.method === 'HEAD') res.end();
    else fs.createReadStream(file).pipe(res);
  });
});
server.listen(port, '127.0.0.1', function () {
  console.log('http://127.0.0.1:' + server.address().port + '/');
});
