import puppeteer from 'puppeteer-core';
const [url, out, dpr] = process.argv.slice(2);
const browser = await puppeteer.launch({executablePath: '/usr/bin/chromium', headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'],
  defaultViewport: {width: 1024, height: 768, deviceScaleFactor: Number(dpr || 1)}});
const page = await browser.newPage();
const lines = [];
page.on('console', (m) => lines.push(m.text()));
page.on('pageerror', (e) => lines.push('PAGEERROR ' + e.message));
const t0 = Date.now();
await page.goto(url);
await page.waitForFunction(() => document.body.dataset.state === 'running', {timeout: 10000}).catch(e => console.log('no running', e.message));
await new Promise(r => setTimeout(r, 3000));
await page.screenshot({path: out});
console.log(await page.evaluate(() => JSON.stringify({state: document.body.dataset.state, frames: page.frames})));
console.log(JSON.stringify(await page.evaluate(() => page.check())));
await page.waitForFunction(() => [...document.querySelectorAll('x')].length === 0);
await new Promise(r => setTimeout(r, 4000));
console.log(lines.join('\n'));
await browser.close();
