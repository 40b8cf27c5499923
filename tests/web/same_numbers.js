// The WebAssembly module under node gives the numbers of the native agvsim-batch:
// same record counts, every value within 1e-9, over scenarios covering all ten curves,
// every error kind and two feedback designs.
//   node same_numbers.js <agvsim-node.js> <agvsim-batch>
'use strict';
const assert = require('assert');
const { execFileSync } = require('child_process');

const [moduleFile, batch] = process.argv.slice(2);
const TOLERANCE = 1e-9;

// error, its values, curve, its constants, fn, zeta.
const SCENARIOS = [
  [0, [], 1, [0.5, 2, 1], 1, 1],
  [1, [1, -1], 2, [2, 2], 0.5, 0.7],
  [2, [3], 3, [2, 2], 1, 1],
  [3, [2], 4, [1, 2], 0.5, 0.7],
  [4, [10, -5], 11, [2, 1.5], 1, 1],
  [5, [5], 12, [1, 1.5], 0.5, 0.7],
  [1, [-2, 2], 13, [1.5], 1, 1],
  [2, [-3], 14, [1.5, 3], 0.5, 0.7],
  [3, [-4], 15, [4.7, 1.9], 1, 1],
  [4, [-5, 5], 16, [0.5, 4], 0.5, 0.7],
  [5, [10], 1, [1, 3, 2], 1, 1],
  [0, [], 15, [1, 2], 0.5, 0.7],
  [5, [2], 16, [0.3, 5], 1, 1],
];

function nativeCsv([e, ev, c, cp, fn, z]) {
  const args = ['--error', String(e), '--curve', String(c), '--curve-params', cp.join(','),
                '--fn', String(fn), '--zeta', String(z), '--csv', '-'];
  if (ev.length) args.push('--error-values', ev.join(','));
  return execFileSync(batch, args, { stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28 }).toString();
}

// The module takes the scenario as its text.
const ERROR_FIELDS = ['', 'rear-wheels', 'front-wheel', 'drift', 'wheelbase-tread', 'slip'];
function webCsv(m, [e, ev, c, cp, fn, z]) {
  const text = [e > 0 ? `${ERROR_FIELDS[e]}=${ev.join(',')}` : '', `curve=${c}:${cp.join(',')}`, `fn=${fn}`, `zeta=${z}`];
  const reply = JSON.parse(m.ccall('agv_run_text', 'string', ['string'], [text.filter(Boolean).join(' ')]));
  assert.ok(reply.ok, reply.message);
  return m.ccall('agv_csv', 'string', [], []);
}

function compare(name, web, native) {
  const a = web.trim().split('\n');
  const b = native.trim().split('\n');
  assert.strictEqual(a[0], b[0], `${name}: header`);
  assert.strictEqual(a.length, b.length, `${name}: record count`);
  let worst = 0;
  for (let r = 1; r < a.length; r++) {
    const x = a[r].split(','), y = b[r].split(',');
    assert.strictEqual(x.length, y.length, `${name}: row ${r} fields`);
    assert.strictEqual(x[0] + x[1], y[0] + y[1], `${name}: row ${r} type and record`);
    for (let k = 2; k < x.length; k++) {
      const d = Math.abs(Number(x[k]) - Number(y[k]));
      assert.ok(d <= TOLERANCE, `${name}: row ${r} column ${k}: ${x[k]} vs ${y[k]}`);
      worst = Math.max(worst, d);
    }
  }
  return worst;
}

require(moduleFile)().then((m) => {
  assert.strictEqual(m.ccall('agv_init', 'number', [], []), 0);
  const curves = new Set(), errors = new Set(), designs = new Set();
  for (const s of SCENARIOS) {
    const name = `error ${s[0]} curve ${s[2]} fn ${s[4]} zeta ${s[5]}`;
    const worst = compare(name, webCsv(m, s), nativeCsv(s));
    console.log(`${name}: largest difference ${worst}`);
    errors.add(s[0]); curves.add(s[2]); designs.add(`${s[4]},${s[5]}`);
  }
  assert.strictEqual(curves.size, 10);
  assert.strictEqual(errors.size, 6);
  assert.strictEqual(designs.size, 2);
  // A second run of the same conditions gives the same numbers (the slip starts afresh).
  assert.strictEqual(webCsv(m, SCENARIOS[5]), webCsv(m, SCENARIOS[5]));
}).catch((err) => { console.error(err.message || err); process.exit(1); });
