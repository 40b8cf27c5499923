// The WebAssembly module under node gives the numbers of the native agvsim-batch:
// same record counts, every value within 1e-9, over scenarios covering all ten curves,
// every error kind and two feedback designs; within 1e-7 on two runs whose vehicle with feedback swings tens of metres away (the math
// libraries' last-bit differences grow with the swing); and a diverged run ends with the
// same records and the same outcome lines.
// The calibration lab's benchmark gives the figures of agvsim-calibrate --json.
// The exercises of docs/exercises.md get the verdicts and measured values of
// agvsim-batch --exercise.
//   node same_numbers.js <agvsim-node.js> <agvsim-batch> <agvsim-calibrate>
'use strict';
const assert = require('assert');
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');

const [moduleFile, batch, calibrate] = process.argv.slice(2);
const TOLERANCE = 1e-9;
/// Farthest |dd| [m] of either vehicle where TOLERANCE held on every run measured.
const NEAR_PATH = 5;
/// Tolerance on the far-swinging runs: their differences measured 3.3e-8 and 4.6e-8.
const FAR_TOLERANCE = 1e-7;

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
// A 1 x 6 ellipse with a -2 degree drift, a rose with a 4 % front wheel error: type 2's
// vehicle with feedback swings 39 m and 14 m from the path.
const FAR_SCENARIOS = [
  [3, [-2], 11, [1, 6], 1, 1],
  [2, [4], 14, [1.2, 2.3], 1, 1],
];
// fn < 0 on a 48 m cycloid: every type leaves the path after its first record.
const DIVERGING = [1, [10.2, 0], 2, [1.9, 47.88], -100, 1];

function nativeCsv([e, ev, c, cp, fn, z]) {
  const args = ['--error', String(e), '--curve', String(c), '--curve-params', cp.join(','),
                '--fn', String(fn), '--zeta', String(z), '--csv', '-'];
  if (ev.length) args.push('--error-values', ev.join(','));
  try {
    return execFileSync(batch, args, { stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28 }).toString();
  } catch (err) {
    // Exit 4: the run diverged, and its CSV is written all the same.
    if (err.status !== 4) throw err;
    return err.stdout.toString();
  }
}

// The module takes the scenario as its text.
const ERROR_FIELDS = ['', 'rear-wheels', 'front-wheel', 'drift', 'wheelbase-tread', 'slip'];
function webCsv(m, [e, ev, c, cp, fn, z], diverges = false) {
  const text = [e > 0 ? `${ERROR_FIELDS[e]}=${ev.join(',')}` : '', `curve=${c}:${cp.join(',')}`, `fn=${fn}`, `zeta=${z}`];
  const reply = JSON.parse(m.ccall('agv_run_text', 'string', ['string'], [text.filter(Boolean).join(' ')]));
  assert.strictEqual(reply.ok, !diverges, reply.message);
  return m.ccall('agv_csv', 'string', [], []);
}

// The largest |dd| of the vehicles without and with feedback in a CSV [m].
function swing(csv) {
  let far = 0;
  for (const line of csv.trim().split('\n').slice(1)) {
    const x = line.split(',');
    if (x.length > 26) far = Math.max(far, Math.abs(Number(x[23])), Math.abs(Number(x[25])));
  }
  return far;
}

function compare(name, web, native, tolerance = TOLERANCE) {
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
      assert.ok(d <= tolerance, `${name}: row ${r} column ${k}: ${x[k]} vs ${y[k]}`);
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
  for (const s of FAR_SCENARIOS) {
    const name = `far: error ${s[0]} curve ${s[2]}`;
    const native = nativeCsv(s);
    assert.ok(swing(native) > NEAR_PATH, `${name}: swings only ${swing(native)} m`);
    console.log(`${name}: largest difference ${compare(name, webCsv(m, s), native, FAR_TOLERANCE)}`);
  }
  const diverged = webCsv(m, DIVERGING, true);
  const nativeDiverged = nativeCsv(DIVERGING);
  compare('diverged', diverged, nativeDiverged);
  const outcome = (csv) => csv.split('\n').filter((line) => line.startsWith('#')).join('\n');
  assert.match(outcome(diverged), /^# type 1 diverged: its vehicle with feedback left the path after record \d+/);
  assert.strictEqual(outcome(diverged), outcome(nativeDiverged));
  // A second run of the same conditions gives the same numbers (the slip starts afresh).
  assert.strictEqual(webCsv(m, SCENARIOS[5]), webCsv(m, SCENARIOS[5]));

  // The calibration lab: every number of agvsim-calibrate --json, with and without slip.
  const sameJson = (a, b, where) => {
    if (typeof b === 'number') assert.ok(Math.abs(a - b) <= TOLERANCE, `${where}: ${a} vs ${b}`);
    else if (b !== null && typeof b === 'object') {
      assert.deepStrictEqual(Object.keys(a), Object.keys(b), where);
      for (const k of Object.keys(b)) sameJson(a[k], b[k], `${where}.${k}`);
    } else assert.strictEqual(a, b, where);
  };
  for (const [text, runs, args] of [
    ['rear-wheels=0.5,-0.5 wheelbase-tread=2,0 curve=21:4,0.5', 5, ['--rear-wheels', '0.5,-0.5', '--wheelbase-tread', '2,0']],
    ['rear-wheels=-0.3,0.2 wheelbase-tread=-1,0 slip=3 seed=7 curve=21:3,0.8', 2,
     ['--rear-wheels', '-0.3,0.2', '--wheelbase-tread', '-1,0', '--slip', '3', '--seed', '7', '--square', '3,0.8', '--runs', '2']]]) {
    const reply = JSON.parse(m.ccall('agv_calibrate', 'string', ['string', 'number'], [text, runs]));
    assert.ok(reply.ok, reply.reason);
    sameJson(reply.calibration, JSON.parse(execFileSync(calibrate, ['--json', ...args]).toString()), text);
  }

  // Exercises: the same verdict and measured values as agvsim-batch --exercise (printed to
  // 9 significant digits), for the start values and for an answer; a changed fixed field
  // is refused by name.
  const docs = fs.readFileSync(path.join(__dirname, '..', '..', 'docs', 'exercises.md'), 'utf8');
  const exercises = [...docs.matchAll(/--exercise '([^']+)'\n/g)].map((x) => x[1]);
  assert.strictEqual(exercises.length, 3);
  const nativeVerdict = (exercise, answer) => {
    const args = ['--exercise', exercise, ...(answer ? ['--scenario', answer] : [])];
    let out;
    try {
      out = execFileSync(batch, args, { stdio: ['ignore', 'pipe', 'ignore'] }).toString();
    } catch (err) {
      assert.strictEqual(err.status, 5, exercise);
      out = err.stdout.toString();
    }
    return out.split('\n').filter((l) => /(PASS|FAIL)$/.test(l) && !l.startsWith('verdict')).map((l) => {
      const measured = l.slice(40, 70).trim().split(' ')[0];
      return { pass: l.endsWith('PASS'), measured: measured === 'stable' || measured === 'left' ? null : Number(measured) };
    });
  };
  const webVerdict = (exercise, answer) => {
    const read = JSON.parse(m.ccall('agv_exercise', 'string', ['string'], [exercise]));
    assert.ok(read.ok, read.message);
    const run = JSON.parse(m.ccall('agv_run_text', 'string', ['string'], [answer || read.exercise.form.text]));
    assert.ok(run.ok, run.message);
    return JSON.parse(m.ccall('agv_exercise_check', 'string', ['string'], [exercise]));
  };
  const sameVerdict = (exercise, answer) => {
    const web = webVerdict(exercise, answer);
    const native = nativeVerdict(exercise, answer);
    assert.strictEqual(web.targets.length, native.length, exercise);
    web.targets.forEach((t, i) => {
      assert.strictEqual(t.pass, native[i].pass, `${exercise}: target ${i + 1}`);
      if (native[i].measured === null) assert.strictEqual(t.measured, null);
      else assert.ok(Math.abs(t.measured - native[i].measured) <= 1e-8 * Math.abs(native[i].measured),
        `${exercise}: target ${i + 1}: ${t.measured} vs ${native[i].measured}`);
    });
    return web;
  };
  for (const exercise of exercises) assert.strictEqual(sameVerdict(exercise).pass, false, exercise);
  const answered = sameVerdict(exercises[0], 'drift=8 curve=16 fn=3 zeta=0.7');
  assert.strictEqual(answered.pass, true);
  const series = m.ccall('agv_dd_series', 'number', ['number'], [2]);
  const numbers = m.HEAPF64.subarray(m.ccall('agv_dd_series_numbers', 'number', [], []) / 8).slice(0, 2 * series);
  const peak = Math.max(...numbers.filter((v, i) => i % 2 === 1).map(Math.abs));
  assert.strictEqual(peak, answered.targets[0].measured);
  const refusedAnswer = webVerdict(exercises[0], 'drift=7 curve=16 fn=3 zeta=0.7');
  assert.deepStrictEqual(refusedAnswer.refused, { field: 'drift', fixed: 'drift=8' });
  const badTarget = JSON.parse(m.ccall('agv_exercise', 'string', ['string'], ['drift=1 target=stable:1 target=settling:4<=1']));
  assert.strictEqual(badTarget.exerciseField, 'target');
  assert.strictEqual(badTarget.targetIndex, 1);
}).catch((err) => { console.error(err.message || err); process.exit(1); });
