// Drives the page in Debian's headless Chromium for web.sh: one browser, one tab after another,
// each at 1024x768 CSS pixels; then the page as an app in a second, fresh browser, which ends by
// stopping the web server (process SERVER). The shipped page is URL/site/; the tests' module,
// URL/checks/, is the same page with page.check() (checks.js). Writes traces and screenshots into
// OUT and prints one line per measurement, "name value".
//   node drive.mjs URL OUT SERVER
import {writeFileSync} from 'node:fs';
import {setTimeout as sleep} from 'node:timers/promises';
import puppeteer from 'puppeteer-core';

const [url, out, server] = process.argv.slice(2);
const report = (name, value) => console.log(`${name} ${value}`);
const state = (tab) => tab.evaluate(() => document.body.dataset.state);
const becomes = (tab, wanted) => tab.waitForFunction(
    (s) => document.body.dataset.state === s, {polling: 'mutation', timeout: 10000}, wanted);
// The page's own check of frame after frame drawn in part, while more() says so: how many pixels
// of the canvas differ from the module's buffer, and of the buffer from the same frame drawn
// whole. Reported as the frames checked and the results that are not 0,0.
async function check(tab, name, more) {
  const results = [];
  while (more()) {
    const c = await Promise.race([tab.evaluate(() => page.check()),
                                  sleep(10000, {canvas: 'no', redraw: 'frame'})]);
    results.push(`${c.canvas},${c.redraw}`);
  }
  report(`${name}-checked`, results.length);
  report(`${name}-differing`, results.filter((r) => r !== '0,0').join(' ') || 'none');
}

// A tab on the page of module (site or checks) with the query; page.frames counts the frames put
// on the canvas from then on.
async function open(browser, module, query, ratio) {
  const tab = await browser.newPage();
  await tab.setViewport({width: 1024, height: 768, deviceScaleFactor: ratio});
  tab.lines = [];  // of the console, since the page last came
  tab.on('framenavigated', (frame) => frame === tab.mainFrame() && (tab.lines = []));
  tab.on('console', (m) => tab.lines.push(m.text()));
  tab.on('pageerror', (e) => report('page-error', JSON.stringify(e.message)));
  await tab.goto(`${url}${module}/${query}`);
  await tab.evaluate(() => {
    const present = page.present;
    page.frames = 0;
    page.present = (...frame) => {
      present(...frame);
      page.frames++;
    };
  });
  return tab;
}

// The first problem of seed 77 in a tab just opened or reloaded at ?seed=77&trace, every frame
// of it checked in the tests' module; its trace into OUT/NAME.txt, a screenshot at the end.
async function traced(tab, name) {
  await becomes(tab, 'running');
  const done = () => tab.lines.findIndex((l) => l.startsWith('problem 1 '));
  const end = Date.now() + 60000;
  if (await tab.evaluate(() => page.check !== undefined)) {
    await check(tab, name, () => done() < 0 && Date.now() < end);
  } else {
    while (done() < 0 && Date.now() < end) await sleep(100);
  }
  writeFileSync(`${out}/${name}.txt`, tab.lines.slice(0, done() + 1)
      .filter((l) => /^(improve|problem) /.test(l)).map((l) => l + '\n').join(''));
  await tab.screenshot({path: `${out}/${name}.png`});
}

// Input ends the show: the delay from sending it to the page's saying so, the frames that came
// after, and the pixels left lit below the label (the cleared window keeps its label).
async function ends(tab, name, input) {
  const start = performance.now();
  await input();
  await becomes(tab, 'ended');
  report(`${name}-delay`, Math.round(performance.now() - start));
  const frames = await tab.evaluate(() => page.frames);
  await sleep(500);
  report(`${name}-frames-after`, (await tab.evaluate(() => page.frames)) - frames);
  report(`${name}-lit`, await tab.evaluate(() => {
    const c = page.canvas;
    const below = page.context.getImageData(0, 30, c.width, c.height - 30).data;
    return new Uint32Array(below.buffer).filter((p) => p !== 0xFF000000).length;
  }));
}

async function again(tab) {
  await tab.click('#again');
  await becomes(tab, 'running');
  await sleep(1000);
}

const launch = () => puppeteer.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
         '--disable-component-update', '--disable-sync', '--no-first-run'],
});
const browser = await launch();
try {
  for (const ratio of [1, 2]) {
    const tab = await open(browser, 'checks', '?seed=77&trace', ratio);
    await traced(tab, `web-${ratio}x`);
    await tab.close();
  }
  const shipped = await open(browser, 'site', '?seed=77&trace', 1);
  await traced(shipped, 'site-1x');
  await shipped.close();

  // Seeds the page refuses: its message as shown, and whether it fits the page.
  const refused = {empty: '', nul: '5%00abc', circled: '%E2%91%A4x', long: '9'.repeat(5000),
                   big: '4294967296'};
  for (const [name, seed] of Object.entries(refused)) {
    const tab = await open(browser, 'site', '?seed=' + seed, 1);
    await becomes(tab, 'failed');
    report(`seed-${name}`, await tab.evaluate(() => {
      const p = document.getElementById('failed');
      const fits = p.scrollWidth <= p.clientWidth && p.scrollHeight <= p.clientHeight;
      return (fits ? 'fits: ' : 'overflows: ') + p.textContent;
    }));
    await tab.close();
  }

  // Seed 1 starts with a problem of type 3: both end marks. The shipped page has no test hooks.
  const tab = await open(browser, 'site', '?seed=1', 1);
  await becomes(tab, 'running');
  report('hooks', await tab.evaluate(() => [page.check, Module._rovanel_check, page.canvasDifferences]
      .filter((hook) => hook !== undefined).length));
  await sleep(2000);
  await tab.screenshot({path: `${out}/web-frame.png`});
  await tab.mouse.move(100, 100);
  await sleep(1000);
  report('first-move', await state(tab));
  await ends(tab, 'move', () => tab.mouse.move(300, 300));
  await again(tab);
  await ends(tab, 'key', () => tab.keyboard.press('x'));
  await again(tab);
  await ends(tab, 'click', async () => {
    await tab.mouse.down();
    await tab.mouse.up();
  });
  await again(tab);
  await ends(tab, 'wheel', () => tab.mouse.wheel({deltaY: 100}));
  await tab.close();

  // The tests' module, resized while it runs.
  const resized = await open(browser, 'checks', '?seed=1', 1);
  await becomes(resized, 'running');
  await sleep(1000);
  await resized.setViewport({width: 800, height: 600, deviceScaleFactor: 1});
  await resized.waitForFunction(() => page.canvas.width === 800 && page.canvas.height === 600,
                                {timeout: 5000});
  let left = 10;
  await check(resized, 'resized', () => left-- > 0);
  report('resized-state', await state(resized));
} finally {
  await browser.close();
}

// The page as an app, loaded once in a browser that never saw it: what keeps Chromium from
// offering to install it, the sizes of its favicons. Then, with the web server stopped and the
// browser's HTTP cache emptied, a reload of the tests' module (the same page, kept by its own
// service worker) shows the same run, from what the service worker kept.
const fresh = await launch();
try {
  const shipped = await open(fresh, 'site', '?seed=77&trace', 1);
  await shipped.evaluate(() => navigator.serviceWorker.ready);
  const devtools = await shipped.createCDPSession();
  const {installabilityErrors} = await devtools.send('Page.getInstallabilityErrors');
  report('installability-errors', JSON.stringify(installabilityErrors.map((e) => e.errorId)));
  report('favicons', await shipped.evaluate(() => Promise.all(
      [...document.querySelectorAll('link[rel=icon]')].map(async (link) => {
        const icon = await createImageBitmap(await (await fetch(link.href)).blob());
        return `${icon.width}x${icon.height}`;
      }))));
  await shipped.close();
  const tab = await open(fresh, 'checks', '?seed=77&trace', 1);
  await tab.evaluate(() => navigator.serviceWorker.ready);
  await (await tab.createCDPSession()).send('Network.clearBrowserCache');
  process.kill(Number(server));
  while (await fetch(url).then(() => true, () => false)) await sleep(50);
  await tab.reload();
  await traced(tab, 'web-offline');
} finally {
  await fresh.close();
}
