// The page's service worker: it keeps the page's files, so that a page loaded once opens again
// without the network (a kiosk, a tablet on a wall). Online, every file still comes from the
// network and renews the copy kept; offline, the copy answers, and the page whatever its query.
const kept = 'rovanel';
const page = new URL('./', self.location).href;
const files = ['./', 'rovanel.js', 'rovanel.wasm', 'manifest.webmanifest',
               'icon-16.png', 'icon-32.png', 'icon-192.png', 'icon-512.png'];

self.addEventListener('install', (event) => {
  // A new version takes over at once: online it answers as the old one did.
  event.waitUntil(caches.open(kept).then((cache) => cache.addAll(files))
                      .then(() => self.skipWaiting()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  const key = request.mode === 'navigate' ? page : request;
  event.respondWith(fetch(request).then((response) => {
    if (response.status === 200) {
      const copy = response.clone();
      event.waitUntil(caches.open(kept).then((cache) => cache.put(key, copy)));
    }
    return response;
  }, () => caches.match(key, {ignoreSearch: true})
                .then((response) => response || Response.error())));
});
