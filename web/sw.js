// The page's service worker: after the first visit it serves the page, its
// script, its wasm, the data files, the manifest and the icons from one
// cache, so the demo plays without a network. The cache is named after the
// release and its files (scripts/build-web.sh fills in the name and the list),
// so a new release installs a new cache beside the old one, filled whole
// before it is used, and only then removes the old one.
'use strict';
const kCache = '@CACHE@';
const kFiles = @FILES@;

// All or nothing: addAll stores no file unless every one arrived, and a
// failed install takes its cache with it; the worker before keeps serving
// its own, whole cache.
self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(kCache).then((cache) => cache.addAll(kFiles)).catch(async (error) => {
    await caches.delete(kCache);
    throw error;
  }));
});

// Only an installed worker, its cache whole, gets here: the others go.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) =>
    Promise.all(names.filter((name) => name !== kCache).map((name) => caches.delete(name)))));
});

// The page asks for the new worker once it holds all it loads, so that no
// file of one release mixes with another's.
self.addEventListener('message', (event) => {
  if (event.data === 'take-over') self.skipWaiting();
});

// From this worker's own cache first, else from the network. Every page
// address in the scope (index.html, ?frame= and the like) is the page.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  const request = event.request.mode === 'navigate' ? self.registration.scope : event.request;
  event.respondWith(caches.open(kCache).then((cache) => cache.match(request))
    .then((cached) => cached || fetch(event.request)));
});
