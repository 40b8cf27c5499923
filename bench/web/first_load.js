// First load of the web page in headless Chromium, as a static host serves it: the time
// from navigation to "ready" and the bytes sent, with the precompressed module and loader
// (Content-Encoding br or gzip, whichever the browser accepts) and with the plain files.
// Every load is a cold one (fresh page, cache off). Prints medians (never part of the tests).
//   node bench/web/first_load.js <build-web folder>    (puppeteer-core from tests/web)
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require(path.join(__dirname, '../../tests/web/node_modules/puppeteer-core'));

const site = path.join(process.argv[2] || 'build-web', 'site');
const RUNS = 15;
/// The page must be ready within this on this machine [ms].
const READY_BUDGET_MS = 1000;
const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.css': 'text/css', '.ico': 'image/x-icon' };
const median = (v) => v.slice().sort((a, b) => a - b)[Math.floor(v.length / 2)];

// A static host; with precompressed files it does what nginx's gzip_static/brotli_static do.
function serve(precompressed, counts) {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://x').pathname;
    const name = path.join(site, url === '/' ? '/index.html' : path.normalize(url));
    const accepted = (req.headers['accept-encoding'] || '').split(',').map((e) => e.trim().split(';')[0]);
    const headers = { 'Content-Type': TYPES[path.extname(name)] || 'application/octet-stream' };
    let file = name;
    if (precompressed) {
      for (const [encoding, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
        if (accepted.includes(encoding) && fs.existsSync(name + suffix)) {
          file = name + suffix;
          headers['Content-Encoding'] = encoding;
          headers.Vary = 'Accept-Encoding';
          counts[encoding] = (counts[encoding] || 0) + 1;
          break;
        }
      }
    }
    fs.readFile(file, (err, data) => {
      if (err) { res.writeHead(404); res.end(); return; }
      counts.bytes += data.length;
      res.writeHead(200, headers);
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function loads(browser, precompressed, runs = RUNS) {
  const counts = { bytes: 0 };
  const server = await serve(precompressed, counts);
  const base = `http://127.0.0.1:${server.address().port}/`;
  const ready = [], bytes = [];
  for (let i = 0; i < runs; i++) {
    const page = await browser.newPage();
    await page.setCacheEnabled(false);
    counts.bytes = 0;
    await page.goto(base);
    await page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
    ready.push(await page.evaluate(() => window.agvsim.readyMs));
    bytes.push(counts.bytes);
    await page.close();
  }
  server.close();
  const encodings = Object.keys(counts).filter((k) => k !== 'bytes').join('+') || 'none';
  return { ready: median(ready), worst: Math.max(...ready), bytes: median(bytes), encodings };
}

(async () => {
  const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
                                           args: ['--no-sandbox', '--disable-gpu'] });
  // One load first, so that neither kind pays for the browser's own start.
  await loads(browser, false, 1);
  for (const precompressed of [true, false]) {
    const r = await loads(browser, precompressed);
    console.log(`${precompressed ? 'precompressed' : 'plain        '} (encoding ${r.encodings}): ` +
                `ready median ${r.ready.toFixed(0)} ms, slowest ${r.worst.toFixed(0)} ms, ` +
                `bytes sent median ${r.bytes}` +
                (precompressed ? (r.ready <= READY_BUDGET_MS ? '  (within 1 s)' : '  (OVER 1 s)') : ''));
  }
  await browser.close();
})().catch((e) => { console.error(e); process.exit(1); });
