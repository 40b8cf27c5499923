// The simulator's WebAssembly module in a worker: one computed run, its checks, keys and
// pictures. The page keeps one worker for the run on show and starts another for each
// computation, so that a long computation never blocks the page or the picture on show; a
// pinned run is computed in each worker that draws it.
// Messages: {id, op, args}; every reply is {id, ...} and carries the picture after a change.
'use strict';
importScripts('agvsim.js');

const NUMBERS = Array(5).fill('number');
let mod = null;

function state() { return JSON.parse(mod.ccall('agv_state', 'string', [], [])); }

// The picture of the current view: its numbers (transferred, not copied) and texts.
function picture() {
  const count = mod.ccall('agv_draw', 'number', [], []);
  const ptr = mod.ccall('agv_picture_numbers', 'number', [], []);
  const numbers = new Float64Array(mod.HEAPF64.buffer, ptr, count).slice();
  const texts = mod.ccall('agv_picture_texts', 'string', [], []).split('\n');
  return { numbers, texts, state: state() };
}

// The theory of the computed run (agv_theory), with each type's predicted dd(t) thinned to
// at most CURVE_POINTS points for drawing (the largest |dd| of all records kept as peak).
const CURVE_POINTS = 400;
function theory() {
  const th = JSON.parse(mod.ccall('agv_theory', 'string', [], []));
  for (const t of th.types) {
    const dd = t.predictedDd || [];
    const last = dd.length - 1;
    t.predictedPeak = dd.reduce((m, v) => (v === null ? Infinity : Math.max(m, Math.abs(v))), 0);
    const stride = Math.max(1, Math.ceil(last / CURVE_POINTS));
    const curve = [];
    for (let n = 0; n <= last; n += stride) curve.push([n * th.dt, dd[n]]);
    if (last > 0 && last % stride !== 0) curve.push([t.simulated.endTime, dd[last]]);
    t.predictedCurve = curve;
    delete t.predictedDd;
  }
  return th;
}

const OPS = {
  // The scenario goes to the core as its one-line text.
  scenario: (text) => ({ reply: JSON.parse(mod.ccall('agv_scenario', 'string', ['string'], [text])) }),
  check: (text) => ({ reply: JSON.parse(mod.ccall('agv_check_text', 'string', ['string'], [text])) }),
  run: (text) => {
    const reply = JSON.parse(mod.ccall('agv_run_text', 'string', ['string'], [text]));
    // A diverged run has its facts and is shown up to where it left the path.
    return reply.ok || reply.facts ? { reply, picture: picture(), theory: theory() } : { reply };
  },
  // A run pinned for comparison: the picture then draws it over the run on show.
  pin: (text) => {
    const reply = JSON.parse(mod.ccall('agv_pin_text', 'string', ['string'], [text]));
    return { reply, picture: picture() };
  },
  unpin: () => { mod.ccall('agv_unpin', null, [], []); return { picture: picture() }; },
  compare: () => ({ compare: JSON.parse(mod.ccall('agv_compare', 'string', [], [])) }),
  key: (k) => {
    const action = mod.ccall('agv_key', 'number', ['number'], [k.charCodeAt(0)]);
    return action === 1 ? { picture: picture() } : { state: state() };
  },
  // Play: n steps of 's' in one picture.
  step: (n) => {
    for (let i = 0; i < n; i += 1) mod.ccall('agv_key', 'number', ['number'], [115]);
    return { picture: picture() };
  },
  view: (v) => { mod.ccall('agv_set_view', null, NUMBERS, v); return { picture: picture() }; },
  index: (i) => { mod.ccall('agv_set_index', null, ['number'], [i]); return { picture: picture() }; },
  draw: () => ({ picture: picture() }),
  csv: () => ({ csv: mod.ccall('agv_csv', 'string', [], []) }),
  report: () => ({ report: mod.ccall('agv_report', 'string', [], []) }),
  // The calibration lab: [scenario text, runs each way].
  // What the form's menus list.
  catalogue: () => ({ catalogue: JSON.parse(mod.ccall('agv_catalogue', 'string', [], [])) }),
  // Exercises: a text read and checked, the run on show judged against one, and a type's dd
  // with feedback for the band plot (time and dd in pairs).
  exercise: (text) => ({ reply: JSON.parse(mod.ccall('agv_exercise', 'string', ['string'], [text])) }),
  exerciseCheck: (text) => ({ reply: JSON.parse(mod.ccall('agv_exercise_check', 'string', ['string'], [text])) }),
  ddSeries: (type) => {
    const count = mod.ccall('agv_dd_series', 'number', ['number'], [type]);
    const ptr = mod.ccall('agv_dd_series_numbers', 'number', [], []);
    return { series: Array.from(new Float64Array(mod.HEAPF64.buffer, ptr, 2 * count)) };
  },
  calibrate: ([text, runs]) => ({ reply: JSON.parse(mod.ccall('agv_calibrate', 'string', ['string', 'number'], [text, runs])) }),
};

const ready = createAgvsim().then((m) => {
  mod = m;
  if (mod.ccall('agv_init', 'number', [], []) !== 0) throw new Error('random tables');
});
// The page ends a worker only once its module is loaded: ending one while the browser still
// compiles the module is a case browsers have not always survived.
ready.then(() => postMessage({ loaded: true }), () => postMessage({ loaded: true }));

onmessage = async (ev) => {
  const { id, op, args } = ev.data;
  try {
    await ready;
    const out = OPS[op](args);
    out.id = id;
    postMessage(out, out.picture ? [out.picture.numbers.buffer] : []);
  } catch (err) {
    postMessage({ id, failed: String(err && err.message ? err.message : err) });
  }
};
