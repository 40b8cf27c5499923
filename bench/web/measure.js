// Timings of the web page (never part of the tests). Under node: the 56.1 m circle (the
// longest accepted path of the start-up constants' kind) computed by the WebAssembly module.
// In headless Chromium: the page's ready time, the bytes it loads, a key's redraw on that
// run (the time in the page's script, and from the key to the painted picture), Compute on
// it, and the frames per second while Play runs on it. Prints medians.
//   node bench/web/measure.js <build-web folder>    (puppeteer-core from tests/web)
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');
const puppeteer = require(path.join(__dirname, '../../tests/web/node_modules/puppeteer-core'));

const webDir = process.argv[2];
const site = path.join(webDir, 'site');
const RUNS = 11;
const CIRCLE = 'curve=15:4.7,1.9';
const median = (v) => v.slice().sort((a, b) => a - b)[Math.floor(v.length / 2)];

async function nodeCompute() {
  const m = await require(path.resolve(webDir, 'agvsim-node.js'))();
  m.ccall('agv_init', 'number', [], []);
  const times = [];
  for (let i = 0; i < RUNS; i++) {
    const t0 = process.hrtime.bigint();
    m.ccall('agv_run_text', 'string', ['string'], [CIRCLE]);
    times.push(Number(process.hrtime.bigint() - t0) / 1e6);
  }
  return median(times);
}

// A static server that counts the bytes it sends.
let served = 0;
function serve() {
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.css': 'text/css' };
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://x').pathname;
    const name = url === '/' ? '/index.html' : path.normalize(url);
    fs.readFile(path.join(site, name), (err, data) => {
      if (err) { res.writeHead(404); res.end(); return; }
      served += data.length;
      res.writeHead(200, { 'Content-Type': types[path.extname(name)] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

const ready = (page) => page.waitForSelector('body[data-ready="true"]', { timeout: 60000 });
// The page of this branch computes in workers; an older one in its own thread.
const idle = (page) => page.waitForFunction(() => !(window.agvsim.busy && window.agvsim.busy()), { timeout: 60000 });

async function browserTimes() {
  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
                                           args: ['--no-sandbox', '--disable-gpu'] });
  const readyMs = [], bytes = [];
  for (let i = 0; i < RUNS; i++) {
    const page = await browser.newPage();
    await page.setCacheEnabled(false);
    served = 0;
    await page.goto(base);
    await ready(page);
    readyMs.push(await page.evaluate(() => window.agvsim.readyMs));
    bytes.push(served);
    await page.close();
  }
  const page = await browser.newPage();
  await page.setViewport({ width: 1280, height: 800 });
  await page.goto(`${base}?e=0&c=15&cp=4.7,1.9&fn=1&z=1`);
  await ready(page);
  const script = [], painted = [];
  for (const key of '3' + 's'.repeat(20) + 'wWxXyY') {
    const t = await page.evaluate(async (k) => {
      const a = window.agvsim, g = document.getElementById('canvas').getContext('2d');
      const t0 = performance.now();
      a.pressKey(k);
      while (a.busy && a.busy()) await new Promise((r) => setTimeout(r, 0));
      g.getImageData(0, 0, 1, 1);  // waits until the canvas is painted
      const all = performance.now() - t0;
      return { all, script: a.paintMs ? a.paintMs() : all };
    }, key);
    script.push(t.script);
    painted.push(t.all);
  }
  const pageCompute = [];
  for (let i = 0; i < RUNS; i++) {
    const t0 = Date.now();
    await page.evaluate(() => document.getElementById('form').requestSubmit());
    await idle(page);
    pageCompute.push(Date.now() - t0);
  }
  // Play from the start for 3 s: the browser's frames (requestAnimationFrame) meanwhile.
  await page.keyboard.press('1');
  await idle(page);
  const fps = await page.evaluate(async () => {
    document.getElementById('play').click();
    const stamps = [];
    await new Promise((resolve) => {
      const frame = (t) => { stamps.push(t); if (t - stamps[0] < 3000) requestAnimationFrame(frame); else resolve(); };
      requestAnimationFrame(frame);
    });
    document.getElementById('play').click();
    const gaps = stamps.slice(1).map((t, k) => t - stamps[k]).sort((a, b) => a - b);
    return { median: 1000 / gaps[Math.floor(gaps.length / 2)], mean: (stamps.length - 1) * 1000 / (stamps[stamps.length - 1] - stamps[0]),
             worst: gaps[gaps.length - 1] };
  });
  await browser.close();
  server.close();
  return { ready: median(readyMs), bytes: median(bytes), script: median(script), scriptMax: Math.max(...script),
           painted: median(painted), pageCompute: median(pageCompute), fps };
}

function siteSize() {
  return fs.readdirSync(site).reduce((n, f) => n + fs.statSync(path.join(site, f)).size, 0);
}

(async () => {
  const compute = await nodeCompute();
  console.log(`56.1 m circle in node (checks, arc table, three types): median ${compute.toFixed(1)} ms`);
  const b = await browserTimes();
  console.log(`page ready from navigation: median ${b.ready.toFixed(0)} ms`);
  console.log(`bytes loaded by the page (no cache, workers included): median ${b.bytes}`);
  console.log(`a key's redraw on the 56.1 m circle, in the page's script: median ${b.script.toFixed(2)} ms, largest ${b.scriptMax.toFixed(2)} ms`);
  console.log(`a key's redraw on the 56.1 m circle, key to painted picture: median ${b.painted.toFixed(2)} ms`);
  console.log(`Compute in the page on the 56.1 m circle, to the picture: median ${b.pageCompute.toFixed(0)} ms`);
  console.log(`Play on the 56.1 m circle: ${b.fps.median.toFixed(1)} frames/s (median frame), ${b.fps.mean.toFixed(1)} on average, longest frame ${b.fps.worst.toFixed(1)} ms`);
  console.log(`site size: ${siteSize()} bytes`);
})().catch((e) => { console.error(e); process.exit(1); });
