// The page's service worker: keeps the whole site of one build in a cache of
// its own, so the game starts and plays offline. The build's identity and its
// files are written in by web/offline.py; a new build is a new worker, which
// fills its own cache beside the old one and takes over at the page's next
// start (the page then loads again), so a page never runs on two builds.
'use strict';
const BUILD = '@BUILD@';
const FILES = @FILES@;
const CACHE = 'tessivane-' + BUILD;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) =>
    cache.addAll(FILES.map((f) => new Request(f, { cache: 'no-cache' })))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith('tessivane-') && n !== CACHE)
                                      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

// The page asks a waiting worker to take over while nothing of its game runs yet.
self.addEventListener('message', (event) => {
  if (event.data === 'take-over') self.skipWaiting();
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(request, { ignoreSearch: true, ignoreVary: true }))
    .then((kept) => kept || fetch(request)));
});
