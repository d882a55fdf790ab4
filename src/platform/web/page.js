// The page around the module, run by rovanel.js before the module starts: the query read (?seed
// for the module to parse, ?trace into its environment), the canvas and the events on it, the
// notices of a show that ended or could not start. The module calls page's functions (web_*.cpp); the page hands each event to
// the module's rovanel_event.

const query = new URLSearchParams(location.search);
Module.preRun = [() => {
  if (query.has('trace')) ENV.ROVANEL_TRACE = '1';
}];
Module.onAbort = (what) => page.fail(what);

var page = {
  canvas: document.getElementById('show'),
  context: null,
  image: null,        // the module's buffer as the canvas takes it; remade when it moves
  text: new OffscreenCanvas(1, 1).getContext('2d', {willReadFrequently: true}),
  textImage: null,    // the last text rendered
  wake: null,         // ends the wait in progress
  turned: null,       // ends the turn in progress
  channel: new MessageChannel(),
  again: null,        // starts the show again
  checking: null,     // gets the result of a check
  frames: 0,          // put on the canvas so far
  seed: query.get('seed'),  // as typed, or null
  kinds: {key: 0, click: 1, move: 2, resize: 3, check: 4},  // of events, as the module numbers them

  deviceWidth: () => Math.round(innerWidth * devicePixelRatio),
  deviceHeight: () => Math.round(innerHeight * devicePixelRatio),

  sizeCanvas(width, height) {
    page.canvas.width = width;
    page.canvas.height = height;
    page.context = page.canvas.getContext('2d', {alpha: false});
    page.image = null;
  },

  // Only the damaged boxes of the buffer (RGBA, width x height) are copied to the canvas.
  present(pixels, width, height, boxes, count) {
    const image = page.image;
    if (!image || image.data.buffer !== HEAPU8.buffer || image.data.byteOffset !== pixels ||
        image.width !== width || image.height !== height) {
      const data = new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4);
      page.image = new ImageData(data, width, height);
    }
    for (let i = boxes >> 2; i < (boxes >> 2) + 4 * count; i += 4) {
      page.context.putImageData(page.image, 0, 0, HEAP32[i], HEAP32[i + 1],
                                HEAP32[i + 2] - HEAP32[i], HEAP32[i + 3] - HEAP32[i + 1]);
    }
    page.frames++;
  },

  // The text in white on nothing, at least a pixel clear of its glyphs on every side; geometry
  // gets its width, height and where the text's top left corner lies in it.
  renderText(text, fontPixels, geometry) {
    const context = page.text;
    const font = fontPixels + 'px sans-serif';
    context.font = font;
    const metrics = context.measureText(text);
    const left = Math.ceil(Math.max(0, metrics.actualBoundingBoxLeft)) + 1;
    const ascent = Math.ceil(metrics.fontBoundingBoxAscent);
    const width = left + Math.ceil(Math.max(metrics.width, metrics.actualBoundingBoxRight)) + 1;
    const height = ascent + Math.ceil(metrics.fontBoundingBoxDescent) + 2;
    context.canvas.width = width;
    context.canvas.height = height;
    context.font = font;
    context.fillStyle = '#fff';
    context.fillText(text, left, 1 + ascent);
    page.textImage = context.getImageData(0, 0, width, height);
    HEAP32.set([width, height, left, 1], geometry >> 2);
  },
  // The last text's coverage, a byte a pixel.
  textCoverage(out) {
    const rgba = page.textImage.data;
    for (let i = 0; i < rgba.length / 4; i++) HEAPU8[out + i] = rgba[4 * i + 3];
  },

  wait: (milliseconds) => new Promise((resolve) => {
    const done = () => {
      clearTimeout(timer);
      page.wake = null;
      resolve();
    };
    const timer = setTimeout(done, Math.ceil(milliseconds));
    page.wake = done;
  }),
  turn: () => new Promise((resolve) => {
    page.turned = resolve;
    page.channel.port2.postMessage(null);
  }),

  // Events reach the module only while a show runs.
  event(kind, x = 0, y = 0) {
    if (document.body.dataset.state !== 'running') return;
    Module._rovanel_event(page.kinds[kind], x, y);
    if (page.wake) page.wake();
  },

  showCursor(visible) {
    page.canvas.style.cursor = visible ? '' : 'none';
  },
  setState(state) {
    document.body.dataset.state = state;
  },
  fail(message) {
    document.getElementById('failed').textContent = 'Rovanel cannot run: ' + message;
    page.setState('failed');
  },
  startAgain: () => new Promise((resolve) => {
    page.again = resolve;
  }),

  // For tests: how many pixels of the canvas differ from the buffer, and how many of the buffer
  // from the same frame drawn whole (the module draws it again to see).
  check: () => new Promise((resolve) => {
    page.checking = resolve;
    page.event('check');
  }),
  canvasDifferences(pixels, width, height) {
    const shown = new Uint32Array(page.context.getImageData(0, 0, width, height).data.buffer);
    const buffer = HEAPU32.subarray(pixels >> 2, (pixels >> 2) + width * height);
    let differences = 0;
    for (let i = 0; i < shown.length; i++) differences += shown[i] !== buffer[i] ? 1 : 0;
    return differences;
  },
  checked(canvas, redraw) {
    page.checking({canvas, redraw});
  },
};

page.channel.port1.onmessage = () => page.turned();

addEventListener('keydown', () => page.event('key'));
addEventListener('pointerdown', () => page.event('click'));
// A wheel turn is a button, as X11 reports it.
addEventListener('wheel', () => page.event('click'), {passive: true});
addEventListener('pointermove', (e) => page.event('move', e.clientX * devicePixelRatio,
                                                  e.clientY * devicePixelRatio));
addEventListener('resize', () => page.event('resize'));
// A new pixel ratio (the window moved to another monitor) may come without a resize.
(function watchPixelRatio() {
  matchMedia('(resolution: ' + devicePixelRatio + 'dppx)').addEventListener('change', () => {
    page.event('resize');
    watchPixelRatio();
  }, {once: true});
})();

function startAgain() {
  const again = page.again;
  page.again = null;
  if (again) again();
}
document.getElementById('again').addEventListener('click', startAgain);
document.getElementById('full').addEventListener('click', () => {
  document.documentElement.requestFullscreen().catch(() => {}).then(startAgain);
});
