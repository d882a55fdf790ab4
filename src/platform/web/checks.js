// The tests' module only (after page.js): page.check() resolves to how many pixels of the
// canvas differ from the module's buffer, and how many of the buffer from the same frame drawn
// whole, for the next frame drawn in part (page_checks.cpp).

page.check = () => new Promise((resolve) => {
  page.checking = resolve;
  page.tell(Module._rovanel_check);
});
page.canvasDifferences = (pixels, width, height) => {
  const shown = new Uint32Array(page.context.getImageData(0, 0, width, height).data.buffer);
  const buffer = HEAPU32.subarray(pixels >> 2, (pixels >> 2) + width * height);
  let differences = 0;
  for (let i = 0; i < shown.length; i++) differences += shown[i] !== buffer[i] ? 1 : 0;
  return differences;
};
page.checked = (canvas, redraw) => page.checking({canvas, redraw});
