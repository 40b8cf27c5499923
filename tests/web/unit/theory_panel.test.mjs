import assert from 'node:assert/strict';
import test from 'node:test';
import { drawSPlane, poleText } from '../../../web/theory_panel.js';

function recorder() {
  const calls = [];
  return new Proxy({ calls }, { get: (t, k) => (k in t ? t[k] : (...a) => calls.push([k, ...a])), set: () => true });
}

test('poles read as real or complex numbers', () => {
  assert.equal(poleText({ re: -2, im: 0 }), '-2');
  assert.equal(poleText({ re: -2, im: 1e-12 }), '-2');
  assert.equal(poleText({ re: -1.5, im: -3 }), '-1.5 \u2212 3i');
  assert.equal(poleText({ re: 0.25, im: 2 }), '0.25 + 2i');
});

test('the s-plane fits the lateral poles in the canvas and names a far pole at its edge', () => {
  const g = recorder();
  const canvas = { clientWidth: 300, clientHeight: 200, width: 0, height: 0, getContext: () => g };
  globalThis.window = { devicePixelRatio: 2 };
  globalThis.document = { getElementById: () => canvas };
  const type = (re) => ({ lateralPoles: [{ re, im: 1 }, { re, im: -1 }, { re: null, im: null }], alongPathPoles: [{ re: -80, im: 0 }] });
  drawSPlane({ types: [type(-1), type(-2), type(0.5)] });
  assert.deepEqual([canvas.width, canvas.height], [600, 400]);
  const marks = g.calls.filter((c) => c[0] === 'arc');
  assert.equal(marks.length, 6);
  for (const [, x, y] of marks) assert.ok(x > 0 && x < 300 && y > 0 && y < 200, `${x}, ${y}`);
  // The stable half shaded up to Re s = 0, which lies between the poles of -1 and 0.5.
  const [, , , shadeW] = g.calls.filter((c) => c[0] === 'fillRect')[1];
  const xs = marks.map((c) => c[1]);
  assert.ok(shadeW > Math.max(...xs.slice(0, 4)) && shadeW < Math.min(...xs.slice(4)));
  assert.equal(g.calls.filter((c) => c[0] === 'fillText' && c[1] === '-80').length, 3);
});
