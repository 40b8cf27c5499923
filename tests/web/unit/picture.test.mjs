import assert from 'node:assert/strict';
import test from 'node:test';
import { helveticaWidth, paint } from '../../../web/picture.js';

// A 2D context that records the calls made on it.
function recorder() {
  const calls = [];
  return new Proxy({ calls }, {
    get: (t, k) => (k in t ? t[k] : (...a) => calls.push([k, ...a])),
    set: (t, k, v) => { calls.push([`=${k}`, v]); return true; },
  });
}
const named = (g, name) => g.calls.filter((c) => c[0] === name);

test('the core\'s primitives are painted in window pixels', () => {
  const numbers = [
    1,
    // Lines of width 2, red, six points: two segments continuing each other, then one apart.
    2, 2, 1, 0, 0, 6, -1, 1, 0, 0, 0, 0, 0.5, 0.5, -0.5, -0.5, -1, -1,
    // A filled triangle, blue.
    3, 0, 1, 0, 0, 1, 3, 0, 0, 0.5, 0, 0, 0.5,
    // An outline closed, green, width 3.
    3, 1, 3, 0, 1, 0, 2, 0, 0, 1, 1,
    // Text 12 px, string 1.
    4, -1, -1, 12, 1,
    // Not an operation: painting stops.
    9, 4, 0, 0, 12, 0,
  ];
  const g = recorder();
  paint(g, { numbers: new Float64Array(numbers), texts: ['unused', 'dd=0.1'] }, 2);
  assert.deepEqual(g.calls[0], ['setTransform', 2, 0, 0, 2, 0, 0]);
  assert.deepEqual(named(g, 'moveTo').slice(0, 2), [['moveTo', 0, 0], ['moveTo', 200, 600]]);
  assert.deepEqual(named(g, 'lineTo').slice(0, 3), [['lineTo', 400, 400], ['lineTo', 600, 200], ['lineTo', 0, 800]]);
  assert.ok(g.calls.some((c) => c[0] === '=strokeStyle' && c[1] === 'rgb(255,0,0)'));
  assert.equal(named(g, 'fill').length, 1);
  assert.equal(named(g, 'closePath').length, 1);
  assert.ok(g.calls.some((c) => c[0] === '=strokeStyle' && c[1] === 'rgb(0,255,0)'));
  const texts = named(g, 'fillText');
  assert.deepEqual(texts, [['fillText', 'dd=0.1', 0, 800, helveticaWidth('dd=0.1', 12)]]);
  assert.deepEqual(g.calls.at(-1), ['setTransform', 1, 0, 0, 1, 0, 0]);
});

test('a polyline passes over points closer than a pixel but ends at its last point', () => {
  const n = 100;  // points: 50 segments along a line 0.1 window units (40 px) long
  const numbers = [2, 1, 0, 0, 0, n];
  for (let k = 0; k < n / 2; k += 1) numbers.push(k * 0.002, 0, (k + 1) * 0.002, 0);
  const g = recorder();
  paint(g, { numbers, texts: [] }, 1);
  assert.equal(named(g, 'moveTo').length, 1);
  const lines = named(g, 'lineTo');
  assert.ok(lines.length < n / 2);
  assert.deepEqual(lines.at(-1).slice(1).map((v) => Math.round(v * 1e9) / 1e9), [440, 400]);
});

test('text widths are bitmap Helvetica\'s', () => {
  assert.equal(helveticaWidth('iW', 10), (222 + 944) / 100);
  assert.equal(helveticaWidth('\u03b6', 10), 5.56);  // beyond ASCII: a digit's width
});
