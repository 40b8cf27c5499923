// Timings of the web page (never part of the tests): the 56.1 m circle computed by the
// WebAssembly module under node, and in headless Chromium the page's ready time and the
// redraw after a key on that run. Prints medians.
//   node bench/web/measure.js <build-web folder>    (puppeteer-core from tests/web)
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require(path.join(__dirname, '../../tests/web/node_modules/puppeteer-core'));

const webDir = process.argv[2];
const site = path.join(webDir, 'site');
const RUNS = 11;
const CIRCLE = [0, 0, 0, 15, 4.7, 1.9, 0, 1, 1];
const median = (v) => v.slice().sort((a, b) => a - b)[Math.floor(v.length / 2)];

async function nodeCompute() {
  const m = await require(path.resolve(webDir, 'agvsim-node.js'))();
  m.ccall('agv_init', 'number', [], []);
  const times = [];
  for (let i = 0; i < RUNS; i++) {
    const t0 = process.hrtime.bigint();
    m.ccall('agv_run', 'string', Array(9).fill('number'), CIRCLE);
    times.push(Number(process.hrtime.bigint() - t0) / 1e6);
  }
  return median(times);
}

function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css' };
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://x').pathname;
    const name = url === '/' ? '/index.html' : path.normalize(url);
    fs.readFile(path.join(site, name), (err, data) => {
      if (err) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': types[path.extname(name)] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function browserTimes() {
  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
                                           args: ['--no-sandbox', '--disable-gpu'] });
  const ready = [];
  for (let i = 0; i < RUNS; i++) {
    const page = await browser.newPage();
    await page.goto(base);
    await page.waitForSelector('body[data-ready="true"]');
    ready.push(await page.evaluate(() => window.agvsim.readyMs));
    await page.close();
  }
  const page = await browser.newPage();
  await page.goto(`${base}?e=0&c=15&cp=4.7,1.9&fn=1&z=1`);
  await page.waitForSelector('body[data-ready="true"]');
  const redraw = await page.evaluate(() => {
    const g = document.getElementById('canvas').getContext('2d');
    const out = [];
    for (const key of '3' + 's'.repeat(20) + 'wWxXyY') {
      const t0 = performance.now();
      window.agvsim.pressKey(key);
      g.getImageData(0, 0, 1, 1);  // waits until the canvas is painted
      out.push(performance.now() - t0);
    }
    return out;
  });
  const pageCompute = [];
  for (let i = 0; i < RUNS; i++) {
    pageCompute.push(await page.evaluate(() => {
      const t0 = performance.now();
      document.getElementById('form').requestSubmit();
      return performance.now() - t0;
    }));
  }
  await browser.close();
  server.close();
  return { ready: median(ready), redraw: median(redraw), redrawMax: Math.max(...redraw),
           pageCompute: median(pageCompute) };
}

function siteSize() {
  return fs.readdirSync(site).reduce((n, f) => n + fs.statSync(path.join(site, f)).size, 0);
}

(async () => {
  const compute = await nodeCompute();
  console.log(`56.1 m circle in node (checks, arc table, three types): median ${compute.toFixed(1)} ms`);
  const b = await browserTimes();
  console.log(`page ready from navigation: median ${b.ready.toFixed(0)} ms`);
  console.log(`redraw after a key on the 56.1 m circle: median ${b.redraw.toFixed(2)} ms, largest ${b.redrawMax.toFixed(2)} ms`);
  console.log(`Compute in the page on the 56.1 m circle, with the redraw: median ${b.pageCompute.toFixed(1)} ms`);
  console.log(`site size: ${siteSize()} bytes`);
})().catch((e) => { console.error(e); process.exit(1); });
