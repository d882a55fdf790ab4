// The page around the module, run by rovanel.js before the module starts: the query read (?seed
// for the module to parse, ?trace into its environment), the canvas and the events on it, the
// notices of a show that ended or could not start. Every call between the module and the page
// goes through bridge.cpp: the module calls page's functions, the page tells the module of each
// event through its exported rovanel_* functions.

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
  seed: query.get('seed'),  // as typed, or null

  deviceWidth: () => Math.round(innerWidth * devicePixelRatio),
  deviceHeight: () => Math.round(innerHeight * devicePixelRatio),

  sizeCanvas(width, height) {
    page.canvas.width = width;
    page.canvas.height = height;
    // Desynchronized: a frame goes to the screen without the page's compositor, which would
    // otherwise copy the whole canvas for every frame (half the browser's cost of a frame).
    page.context = page.canvas.getContext('2d', {alpha: false, desynchronized: true});
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
    // The caption changes with nearly every frame: the canvas only grows (resizing it costs a
    // new backing store and resets the font), and the text's box is cleared for each text.
    if (context.canvas.width < width || context.canvas.height < height) {
      context.canvas.width = Math.max(width, context.canvas.width);
      context.canvas.height = Math.max(height, context.canvas.height);
      context.font = font;
    }
    context.clearRect(0, 0, width, height);
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

  // An event reaches the module (exported, one of Module._rovanel_*) only while a show runs; it
  // ends the wait in progress.
  tell(exported, ...args) {
    if (document.body.dataset.state !== 'running') return;
    exported(...args);
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
};

function onTurn() {
  page.turned();
}
function onKey() {
  page.tell(Module._rovanel_key);
}
// A button, or a wheel turn, which is a button as X11 reports it.
function onClick() {
  page.tell(Module._rovanel_click);
}
function onMove(e) {
  page.tell(Module._rovanel_move, e.clientX * devicePixelRatio, e.clientY * devicePixelRatio);
}
function onResize() {
  page.tell(Module._rovanel_resize);
}
// A new pixel ratio (the window moved to another monitor) may come without a resize.
function watchPixelRatio() {
  matchMedia('(resolution: ' + devicePixelRatio + 'dppx)').addEventListener('change', () => {
    onResize();
    watchPixelRatio();
  }, {once: true});
}
function onStartAgain() {
  const again = page.again;
  page.again = null;
  if (again) again();
}
function onFullScreen() {
  document.documentElement.requestFullscreen().catch(() => {}).then(onStartAgain);
}

page.channel.port1.onmessage = onTurn;
addEventListener('keydown', onKey);
addEventListener('pointerdown', onClick);
addEventListener('wheel', onClick, {passive: true});
addEventListener('pointermove', onMove);
addEventListener('resize', onResize);
watchPixelRatio();
document.getElementById('again').addEventListener('click', onStartAgain);
document.getElementById('full').addEventListener('click', onFullScreen);
