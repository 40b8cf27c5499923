// The page in headless Chromium: the default run's picture against the desktop picture of
// agvsim-batch, the keys, a refused constant, a share link, the language switch, and no
// errors in the page's console.
//   node browser_test.js <site folder> <agvsim-batch>     (needs an X display for the batch)
'use strict';
const assert = require('assert');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const puppeteer = require('puppeteer-core');

const [site, batch] = process.argv.slice(2);
const refDir = fs.mkdtempSync(path.join(os.tmpdir(), 'agvsim-web-'));
const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                '.css': 'text/css', '.ico': 'image/x-icon', '.png': 'image/png' };

function serve() {
  const server = http.createServer((req, res) => {
    const url = new URL(req.url, 'http://127.0.0.1');
    const name = url.pathname === '/' ? '/index.html' : url.pathname;
    const file = name.startsWith('/ref/') ? path.join(refDir, path.basename(name)) : path.join(site, path.normalize(name));
    fs.readFile(file, (err, data) => {
      if (err) { res.writeHead(404); res.end(); return; }
      res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
      res.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The desktop picture of the same run and view.
function desktopPicture(name, args) {
  execFileSync(batch, [...args, '--png', path.join(refDir, name)], { stdio: 'ignore' });
  return `/ref/${name}`;
}

// In the page: pixels of the canvas; colour classes of a pixel; share of the desktop
// picture's red, green and blue pixels that the canvas has in the same class within 2 px.
const pageHelpers = () => {
  window.t = {
    hash() {
      let h = 2166136261;
      for (const v of this.pixels()) h = Math.imul(h ^ v, 16777619);
      return h >>> 0;
    },
    pixels() { return document.getElementById('canvas').getContext('2d').getImageData(0, 0, 800, 800).data; },
    cls(d, i) {
      const r = d[i], g = d[i + 1], b = d[i + 2];
      if (r > 200 && g < 80 && b < 80) return 'red';
      if (g > 200 && r < 80 && b < 80) return 'green';
      if (b > 200 && r < 80 && g < 80) return 'blue';
      if (r > 235 && g > 235 && b > 235) return 'white';
      if (r < 60 && g < 60 && b < 60) return 'black';
      return 'other';
    },
    at(x, y) { // window units
      const d = this.pixels();
      const c = Math.round((x + 1) * 400), r = Math.round((1 - y) * 400);
      return this.cls(d, (r * 800 + c) * 4);
    },
    near(x, y, want, radius) {
      const d = this.pixels();
      const c0 = Math.round((x + 1) * 400), r0 = Math.round((1 - y) * 400);
      for (let r = r0 - radius; r <= r0 + radius; r++)
        for (let c = c0 - radius; c <= c0 + radius; c++)
          if (this.cls(d, (r * 800 + c) * 4) === want) return true;
      return false;
    },
    darkIn(x0, y0, x1, y1) { // pixel rectangle
      const d = this.pixels();
      let n = 0;
      for (let r = y0; r < y1; r++) for (let c = x0; c < x1; c++) if (this.cls(d, (r * 800 + c) * 4) === 'black') n++;
      return n;
    },
    async agreement(url) {
      const img = new Image();
      img.src = url;
      await img.decode();
      const off = document.createElement('canvas');
      off.width = off.height = 800;
      const o = off.getContext('2d');
      o.drawImage(img, 0, 0);
      const ref = o.getImageData(0, 0, 800, 800).data, d = this.pixels();
      let total = 0, found = 0;
      for (let r = 2; r < 798; r++) for (let c = 2; c < 798; c++) {
        const want = this.cls(ref, (r * 800 + c) * 4);
        if (want !== 'red' && want !== 'green' && want !== 'blue') continue;
        total++;
        let ok = false;
        for (let dr = -2; dr <= 2 && !ok; dr++) for (let dc = -2; dc <= 2 && !ok; dc++)
          ok = this.cls(d, ((r + dr) * 800 + c + dc) * 4) === want;
        if (ok) found++;
      }
      return total ? found / total : 0;
    },
  };
};

async function open(browser, url, errors) {
  const page = await browser.newPage();
  page.on('console', (m) => { if (m.type() === 'error') errors.push(`${url}: ${m.text()}`); });
  page.on('pageerror', (e) => errors.push(`${url}: ${e.message}`));
  await page.setViewport({ width: 1700, height: 1000 });
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForSelector('body[data-ready="true"]', { timeout: 20000 });
  await page.evaluate(pageHelpers);
  return page;
}

async function main() {
  const server = await serve();
  const base = `http://127.0.0.1:${server.address().port}/`;
  const browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
                                           args: ['--no-sandbox', '--disable-gpu'] });
  const errors = [];
  try {
    const page = await open(browser, base, errors);
    const csv = await page.evaluate(() => window.agvsim.csv());
    const rows = csv.trim().split('\n').slice(1).map((l) => l.split(',').map(Number));
    const type1 = rows.filter((r) => r[0] === 1);
    // Window units of a world point in the initial view (scale 0.2, centre at (1.5, 0.5) m).
    const win = (x, y) => [0.2 * (x - 1.5), 0.2 * (y - 0.5)];

    // Default run: the desktop window's probes.
    let probed = 0;
    for (let i = 3; i < type1.length - 3; i += 5) {
      const [x, y] = win(type1[i][5], type1[i][6]);
      if (x > 0.34) continue;
      probed++;
      assert.ok(await page.evaluate((a, b) => t.near(a, b, 'red', 1), x, y), `red path at record ${i}`);
    }
    assert.ok(probed > 20);
    const [sx, sy] = win(type1[0][5], type1[0][6]);
    assert.strictEqual(await page.evaluate((a, b) => t.at(a + 0.004, b + 0.004), sx, sy), 'black', 'path start mark');
    // The green (FBC) vehicle's body half a metre ahead of its reference point, 0.3 m aside.
    const th = type1[0][14];
    const [bx, by] = win(type1[0][15] + 0.5 * Math.cos(th) - 0.3 * Math.sin(th), type1[0][16] + 0.5 * Math.sin(th) + 0.3 * Math.cos(th));
    assert.strictEqual(await page.evaluate((a, b) => t.at(a, b), bx, by), 'green', 'vehicle body');
    assert.strictEqual(await page.evaluate(() => t.at(0.97, -0.95)), 'white', 'plot panel');
    assert.strictEqual(await page.evaluate(() => t.at(0.97, 0.4)), 'white', 'plot panel');
    assert.ok(await page.evaluate(() => t.darkIn(4, 8, 300, 26)) > 60, 'title caption');
    assert.ok(await page.evaluate(() => t.darkIn(20, 28, 300, 46)) > 60, 'vehicle type caption');
    const agreeDefault = await page.evaluate((u) => t.agreement(u), desktopPicture('default.png', []));
    assert.ok(agreeDefault > 0.9, `default picture agrees with the desktop: ${agreeDefault}`);

    // Keys: 2, s x 20, w, X on the canvas, as on the desktop.
    const before = await page.evaluate(() => t.hash());
    await page.focus('#canvas');
    await page.keyboard.press('2');
    for (let k = 0; k < 20; k++) await page.keyboard.press('s');
    await page.keyboard.press('w');
    await page.keyboard.press('X');
    assert.deepStrictEqual(await page.evaluate(() => window.agvsim.state()),
                           { computed: true, type: 2, index: 60, last: rows.filter((r) => r[0] === 2).length - 1 });
    assert.notStrictEqual(await page.evaluate(() => t.hash()), before);
    const keyed = desktopPicture('keyed.png', ['--type', '2', '--index', '60', '--zoom', '1', '--shift', '1,0']);
    const agreeKeyed = await page.evaluate((u) => t.agreement(u), keyed);
    assert.ok(agreeKeyed > 0.9, `keyed picture agrees with the desktop: ${agreeKeyed}`);
    assert.ok(await page.evaluate((u) => t.agreement(u), `/ref/default.png`) < agreeKeyed, 'the picture moved');
    // The same view named in a link.
    const viewed = await open(browser, `${base}?v=2,60,1,1,0`, errors);
    assert.strictEqual(await viewed.evaluate(() => t.hash()), await page.evaluate(() => t.hash()),
                       'view from a link');
    await viewed.close();

    // A refused constant: its message next to the field, nothing computed.
    await page.select('#curve', '15');
    await page.$eval('#cp0', (el) => { el.value = '-1'; el.dispatchEvent(new Event('input', { bubbles: true })); });
    await page.click('#compute');
    assert.strictEqual(await page.$eval('#msg-cp0', (el) => el.textContent), 'R=-1.00 < 0 設定し直し');
    assert.strictEqual(await page.evaluate(() => window.agvsim.csv()), csv, 'nothing computed');
    assert.strictEqual((await page.evaluate(() => window.agvsim.state())).index, 60);

    // A run from the form, then its link in a fresh page: the same CSV.
    await page.select('#errorNumber', '1');
    await page.$eval('#ev0', (el) => { el.value = '2'; });
    await page.$eval('#ev1', (el) => { el.value = '-1.5'; });
    await page.$eval('#cp0', (el) => { el.value = '1.5'; });
    await page.$eval('#cp1', (el) => { el.value = '1'; });
    await page.$eval('#fn', (el) => { el.value = '0.5'; });
    await page.$eval('#zeta', (el) => { el.value = '0.7'; });
    await page.click('#compute');
    const formCsv = await page.evaluate(() => window.agvsim.csv());
    assert.notStrictEqual(formCsv, csv);
    const link = await page.$eval('#share', (a) => a.href);
    const linked = await open(browser, link, errors);
    assert.strictEqual(await linked.evaluate(() => window.agvsim.csv()), formCsv, 'link gives the same run');
    // A bad link: the refusal next to the field and no picture, not a broken page.
    const bad = await open(browser, `${base}?e=4&ev=-100,0&c=15&cp=1,2`, errors);
    assert.match(await bad.$eval('#msg-ev0', (el) => el.textContent), /WheelBase.*設定し直し/);
    assert.strictEqual((await bad.evaluate(() => window.agvsim.state())).computed, false);
    const garbled = await open(browser, `${base}?e=x&c=99&cp=a`, errors);
    assert.match(await garbled.$eval('#msg-curve', (el) => el.textContent), /I=99/);

    // Language switch: English texts, and back.
    await page.select('#lang', 'en');
    assert.strictEqual(await page.$eval('#compute', (el) => el.textContent), 'Compute');
    assert.match(await page.$eval('#report', (el) => el.textContent), /mechanism error/);
    assert.match(page.url(), /lang=en/);
    await page.select('#lang', 'ja');
    assert.strictEqual(await page.$eval('#compute', (el) => el.textContent), '計算');

    // 'e' jumps to the error section.
    await page.focus('#canvas');
    await page.keyboard.press('e');
    assert.strictEqual(await page.evaluate(() => document.activeElement.id), 'errorNumber');

    assert.deepStrictEqual(errors, [], 'no errors in the page console');
    console.log(`browser checks passed (desktop agreement ${agreeDefault.toFixed(3)}, ${agreeKeyed.toFixed(3)})`);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(refDir, { recursive: true, force: true });
  }
}

main().catch((err) => { console.error(err.stack || err); process.exit(1); });
