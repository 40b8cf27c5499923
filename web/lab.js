// The odometry calibration lab: the square-path benchmark in a worker of its own, its
// estimates and return positions, and hidden true errors for a surprise.
import { Core } from './core_client.js';
import { $ } from './dom.js';
import { halfWidth, parseNumber } from './form.js';
import { announce } from './messages.js';
import { UI, language, messageOf, messageText } from './texts.js';
import { theoryContext } from './theory_panel.js';

// ---- the calibration lab ----------------------------------------------------------------

// The lab's benchmark runs in a worker of its own, beside the run on show.
/** The lab's core, the last benchmark ({result: agvsim-calibrate's JSON, applied}) and the surprise seed while the true errors are hidden. */
export const labState = { core: null, last: null, secret: null };
const labMessages = new Map();  // element id -> message

// Small true errors from a seed, for a student who is not to know them: rear wheel radius
// errors within ±LAB_WHEEL_LIMIT %, a WheelBase error within ±LAB_BASE_LIMIT %, in hundredths.
export const LAB_WHEEL_LIMIT = 0.8;
export const LAB_BASE_LIMIT = 3;
export function surpriseErrors(seed) {
  let x = (seed >>> 0) || 1;
  const next = () => {  // xorshift32: the same errors from the same seed
    x ^= x << 13; x >>>= 0; x ^= x >>> 17; x ^= x << 5; x >>>= 0;
    return x / 4294967296;
  };
  const pick = (limit) => Math.round((2 * next() - 1) * limit * 100) / 100;
  return [pick(LAB_WHEEL_LIMIT), pick(LAB_WHEEL_LIMIT), pick(LAB_BASE_LIMIT)];
}

function showLabMessage(id, m) {
  labMessages.set(id, m);
  $(`msg-${id}`).textContent = messageText(m);
  if ($(id)) $(id).setAttribute('aria-invalid', 'true');
  announce(messageText(m));
}

function clearLabMessages() {
  for (const id of labMessages.keys()) {
    $(`msg-${id}`).textContent = '';
    if ($(id)) $(id).removeAttribute('aria-invalid');
  }
  labMessages.clear();
}

// The lab's fields as a scenario text (the square is curve 21 with L and r), or null after a
// message next to each field that does not read.
function labScenario() {
  const v = Object.fromEntries(['labRear0', 'labRear1', 'labWb', 'labSlip', 'labSeed', 'labL', 'labR', 'labRuns']
    .map((id) => [id, halfWidth($(id).value).trim().replace(/^\+/, '')]));
  let ok = true;
  const bad = (id, key) => { showLabMessage(id, { ja: UI.ja[key], en: UI.en[key] }); ok = false; };
  for (const id of ['labRear0', 'labRear1', 'labWb', 'labL', 'labR']) if (!Number.isFinite(parseNumber(v[id]))) bad(id, 'labNotNumber');
  if (v.labSlip !== '' && !Number.isFinite(parseNumber(v.labSlip))) bad('labSlip', 'labNotNumber');
  if (v.labSeed !== '' && !/^\d+$/.test(v.labSeed)) bad('labSeed', 'labNotRuns');
  if (!/^\d+$/.test(v.labRuns)) bad('labRuns', 'labNotRuns');
  if (!ok) return null;
  const fields = [`rear-wheels=${v.labRear0},${v.labRear1}`, `wheelbase-tread=${v.labWb},0`];
  if (v.labSlip !== '') fields.push(`slip=${v.labSlip}`);
  if (v.labSeed !== '') fields.push(`seed=${v.labSeed}`);
  fields.push(`curve=21:${v.labL},${v.labR}`);
  return { text: fields.join(' '), runs: Number(v.labRuns) };
}

function placeLabRefusal(reply) {
  let id = 'lab';
  if (reply.section === 'runs') id = 'labRuns';
  else if (reply.section === 'square') id = reply.valueIndex === 1 ? 'labR' : 'labL';
  else if (reply.section === 'error') id = { 1: `labRear${reply.valueIndex}`, 4: 'labWb', 5: 'labSlip' }[reply.errorNumber] || 'lab';
  else if (reply.section === 'text' && reply.field === 'seed') id = 'labSeed';
  showLabMessage(id, messageOf(reply));
}

async function runLab() {
  clearLabMessages();
  const asked = labScenario();
  if (!asked) return;
  if (!labState.core) labState.core = new Core();
  const core = labState.core;
  $('labRun').setAttribute('aria-busy', 'true');
  $('labRun').disabled = true;
  $('labStatus').textContent = UI[language.current].labBusy;
  let out = null;
  try { out = await core.call('calibrate', [asked.text, asked.runs]); } catch (e) { /* ended */ }
  $('labRun').removeAttribute('aria-busy');
  $('labRun').disabled = false;
  $('labStatus').textContent = '';
  if (!out) return;
  if (!out.reply.ok) { placeLabRefusal(out.reply); return; }
  labState.last = { result: out.reply.calibration, applied: false };
  showLab();
  $('labStatus').textContent = UI[language.current].labDone;
}

function applyLabCorrection() {
  if (!labState.last) return;
  labState.last.applied = true;
  showLab();
  $('labStatus').textContent = UI[language.current].labApplied;
}

// The estimates beside the truth (hidden while the surprise is kept), the figures before
// and, once the correction is applied, after it.
export function showLab() {
  const T = UI[language.current];
  $('labHidden').hidden = labState.secret === null;
  $('labTrueFields').hidden = labState.secret !== null;
  $('labReveal').hidden = labState.secret === null;
  if (labState.secret !== null) $('labHidden').textContent = T.labHiddenNote(labState.secret);
  for (const [id, m] of labMessages) $(`msg-${id}`).textContent = messageText(m);
  $('labApply').disabled = !labState.last || labState.last.applied;
  $('labFigure').hidden = $('labTable').hidden = !labState.last;
  if (!labState.last) return;
  const r = labState.last.result, after = labState.last.applied;
  const ratio = (v) => v.toFixed(6), mm = (v) => (1000 * v).toFixed(3);
  const truth = (v) => (labState.secret === null ? ratio(v) : '?');
  const rows = [[T.labRows.ed, truth(r.ed_true), ratio(r.ed_estimated), '', ''],
                [T.labRows.eb, truth(r.eb_true), ratio(r.eb_estimated), '', ''],
                [T.labRows.cl, '', ratio(r.c_left), '', ''], [T.labRows.cr, '', ratio(r.c_right), '', ''],
                [T.labRows.emax, '', '', mm(r.emax_syst_before), after ? mm(r.emax_syst_after) : ''],
                [T.labRows.spread, '', '', mm(r.spread_before), after ? mm(r.spread_after) : '']];
  const head = document.createElement('tr');
  head.append(...T.labCols.map((text) => Object.assign(document.createElement('th'), { scope: 'col', textContent: text })));
  $('labTable').tHead.replaceChildren(head);
  $('labTable').tBodies[0].replaceChildren(...rows.map(([label, ...cells], k) => {
    const tr = document.createElement('tr');
    tr.dataset.q = ['ed', 'eb', 'cl', 'cr', 'emax', 'spread'][k];
    tr.append(Object.assign(document.createElement('th'), { scope: 'row', textContent: label }),
              ...cells.map((text) => Object.assign(document.createElement('td'), { textContent: text })));
    return tr;
  }));
  $('labLegend').replaceChildren(...T.labLegend.map((text, k) => {
    const li = document.createElement('li');
    li.textContent = text;
    li.style.color = ['#1f5fbf', '#c0392b', '#1f5fbf', '#c0392b', '#222'][k];
    return li;
  }));
  $('labCaption').textContent = T.labCaption(mm(r.emax_syst_before), after ? mm(r.emax_syst_after) : null);
  $('labCanvas').setAttribute('aria-label', T.labTable);
  $('labAfter').setAttribute('aria-label', T.labAfter);
  drawLab();
}

// The return positions [mm]: dots before the correction, rings after it, each cluster's
// centroid as a double ring, on axes through the ideal stop; once the correction is applied,
// the clusters after it again, enlarged to their own scale.
function drawLab() {
  if (!labState.last || !$('labPanel').open || $('labFigure').hidden) return;
  const r = labState.last.result;
  const after = [[r.after.ccw, '#1f5fbf', true], [r.after.cw, '#c0392b', true]];
  drawClusters($('labCanvas'), [[r.before.ccw, '#1f5fbf', false], [r.before.cw, '#c0392b', false], ...(labState.last.applied ? after : [])]);
  $('labAfter').hidden = !labState.last.applied;
  if (labState.last.applied) drawClusters($('labAfter'), after);
}

function drawClusters(c, sets) {
  const { g, w, h } = theoryContext(c);
  let extent = 0;
  for (const [cl] of sets) for (const [x, y] of cl.runs) extent = Math.max(extent, 1000 * Math.abs(x), 1000 * Math.abs(y));
  extent = extent > 0 ? extent : 1;
  // Ticks of 1, 2 or 5 times a power of ten, about four each side.
  const raw = extent / 4, power = 10 ** Math.floor(Math.log10(raw));
  const step = [1, 2, 5, 10].map((f) => f * power).find((v) => v >= raw);
  extent = Math.ceil(extent / step) * step;
  const margin = 40, side = Math.min(w, h) - 2 * margin;
  const X = (mmx) => margin + ((mmx + extent) / (2 * extent)) * side;
  const Y = (mmy) => margin + ((extent - mmy) / (2 * extent)) * side;
  g.strokeStyle = '#bbb';
  g.lineWidth = 1;
  g.fillStyle = '#222';
  for (let k = -Math.round(extent / step); k <= Math.round(extent / step); k += 1) {
    const v = k * step;
    g.beginPath();
    g.moveTo(X(v), Y(-extent)); g.lineTo(X(v), Y(extent));
    g.moveTo(X(-extent), Y(v)); g.lineTo(X(extent), Y(v));
    g.stroke();
    const label = String(Number(v.toPrecision(6)));
    g.textAlign = 'center';
    g.fillText(label, X(v), Y(-extent) + 14);
    g.textAlign = 'right';
    g.fillText(label, X(-extent) - 4, Y(v) + 4);
  }
  g.strokeStyle = '#555';
  g.beginPath();
  g.moveTo(X(0), Y(-extent)); g.lineTo(X(0), Y(extent)); g.moveTo(X(-extent), Y(0)); g.lineTo(X(extent), Y(0));
  g.stroke();
  g.textAlign = 'right';
  g.fillText('x [mm]', X(extent), Y(0) - 6);
  g.textAlign = 'left';
  g.fillText('y [mm]', X(0) + 4, margin - 6);
  for (const [cl, color, hollow] of sets) {
    g.strokeStyle = g.fillStyle = color;
    g.lineWidth = 1.5;
    for (const [x, y] of cl.runs) {
      g.beginPath();
      g.arc(X(1000 * x), Y(1000 * y), 3.5, 0, 2 * Math.PI);
      if (hollow) g.stroke(); else g.fill();
    }
    for (const radius of [7, 10]) {
      g.beginPath();
      g.arc(X(1000 * cl.centroid[0]), Y(1000 * cl.centroid[1]), radius, 0, 2 * Math.PI);
      g.stroke();
    }
  }
}

function surpriseLab() {
  const seed = crypto.getRandomValues(new Uint32Array(1))[0];
  const [left, right, base] = surpriseErrors(seed);
  $('labRear0').value = String(left);
  $('labRear1').value = String(right);
  $('labWb').value = String(base);
  $('labSlip').value = '';
  labState.secret = seed;
  labState.last = null;
  showLab();
}

export function listenLab() {
  $('labForm').addEventListener('submit', (ev) => { ev.preventDefault(); runLab(); });
  $('labApply').addEventListener('click', applyLabCorrection);
  $('labSurprise').addEventListener('click', surpriseLab);
  $('labReveal').addEventListener('click', () => { labState.secret = null; showLab(); });
  $('labPanel').addEventListener('toggle', drawLab);
  new ResizeObserver(drawLab).observe($('labCanvas'));
}
