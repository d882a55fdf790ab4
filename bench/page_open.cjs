// Opens URL in Debian's headless Chromium at WxH CSS pixels (one device pixel each) for
// page_load.sh, prints "browser PID" once the page has loaded, and keeps it open until stdin
// closes. CommonJS, so that NODE_PATH finds the test driver's puppeteer-core.
//   node page_open.cjs URL WxH
const puppeteer = require('puppeteer-core');

const [url, size] = process.argv.slice(2);
const [width, height] = size.split('x').map(Number);
(async () => {
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    defaultViewport: {width, height, deviceScaleFactor: 1},
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--no-first-run'],
  });
  const tab = (await browser.pages())[0];
  await tab.goto(url);
  console.log(`browser ${browser.process().pid}`);
  process.stdin.resume();
  process.stdin.on('end', () => browser.close());
})();
