// Checks and computations of the form's conditions, and the run on show: its report and
// summary. Another module hears of every computed or refused run through onComputed.
import { writeAddress } from './address.js';
import { catalogue, curveEntry, lawEntry } from './catalogue.js';
import { comparison, pinOn, refreshCompare } from './compare.js';
import { checker, cores, refillSpare, takeSpare } from './core_client.js';
import { $ } from './dom.js';
import { formState, placeRefusal, readNumbers, scenarioTextOf } from './form.js';
import { clearMessages, showMessage, showStatus } from './messages.js';
import { drawn, showPicture } from './picture.js';
import { DEG, TYPE_NAMES, UI, language, messageOf, pageLine, readable, sig } from './texts.js';
import { showTheory } from './theory_panel.js';
import { stopPlay } from './view_keys.js';

/**
 * The run on show ({form, numbers, scenario, report, facts, type, theory}, or null), the view's
 * key presses since it was computed (w, X, Y counts and the theory overlay), and the requests
 * in flight.
 */
export const onShow = { run: null, view: { zoom: 0, x: 0, y: 0 }, checkSerial: 0, reportBusy: 0 };
export async function check() {
  const serial = ++onShow.checkSerial;
  clearMessages();
  const n = readNumbers(formState());
  noteStale();
  if (!n) return;
  let out;
  try { out = await checker().call('check', scenarioTextOf(formState())); } catch (e) { return; }
  if (serial !== onShow.checkSerial) return;
  if (!out.reply.ok) placeRefusal(out.reply);
}

const computedListeners = [];
/**
 * Calls listener({ok, reply}) after every Compute (from the form or the address) that ended:
 * ok when a run is on show from it; reply is the core's (null when the form's own check
 * refused a field). Cancelled and superseded computations are not told.
 */
export function onComputed(listener) { computedListeners.push(listener); }
const tellComputed = (ok, reply) => computedListeners.forEach((listener) => listener({ ok, reply }));

// How a computation was asked for: from the form (a new history entry, the picture brought
// into view on a phone), or from the address (the page's link, Back and Forward).
export async function compute(viewArgs, fromForm = false, overlay = false) {
  onShow.checkSerial++;
  clearMessages();
  const form = formState();
  const n = readNumbers(form);
  if (!n) { tellComputed(false, null); return false; }
  cancel(false);
  stopPlay();
  const job = { core: takeSpare() };
  cores.running = job;
  showStatus('computing');
  $('compute').setAttribute('aria-busy', 'true');
  $('cancel').hidden = false;
  let out, pinned;
  try {
    pinned = await pinOn(job.core);
    out = await job.core.call('run', scenarioTextOf(form));
    // A pin or Unpin pressed while the run computed applies to it too.
    if (out.picture && (job.core.pinning ? job.core.pinning.text : null) !== (comparison.pin ? comparison.pin.scenario : null)) {
      pinned = await pinOn(job.core);
      if (pinned && pinned.picture) out.picture = pinned.picture;
    }
    if (out.picture && viewArgs) out = Object.assign(out, await job.core.call('view', viewArgs));
    if (out.picture && overlay) out = Object.assign(out, await job.core.call('key', 't'));
  } catch (e) {
    return false;  // cancelled or superseded
  } finally {
    if (cores.running === job) {
      cores.running = null;
      $('cancel').hidden = true;
      $('compute').removeAttribute('aria-busy');
    }
  }
  // A pinned run that the core refuses (a link's) is dropped, with the reason.
  if (comparison.pin && pinned && !pinned.reply.ok && !pinned.reply.facts) {
    const m = messageOf(pinned.reply);
    showMessage('all', { ja: UI.ja.pinRefused(m.ja), en: UI.en.pinRefused(m.en) });
    comparison.pin = null;
    job.core.pinning = null;
  }
  const reply = out.reply;
  if (!reply.ok && !out.picture) {
    // A refusal leaves the core as it was; a run that failed after computing is dropped.
    if (reply.report) job.core.end(); else if (!cores.spare) cores.spare = job.core; else job.core.end();
    refillSpare();
    placeRefusal(reply);
    showStatus(onShow.run ? 'keptPicture' : '');
    tellComputed(false, reply);
    return false;
  }
  if (cores.shown) cores.shown.end();
  cores.shown = job.core;
  refillSpare();
  onShow.run = { form, numbers: n, scenario: reply.scenario, report: reply.report, facts: reply.facts, type: out.picture.state.type, theory: out.theory };
  onShow.view = viewArgs ? { zoom: viewArgs[2], x: viewArgs[3], y: viewArgs[4] } : { zoom: 0, x: 0, y: 0 };
  onShow.view.overlay = overlay;
  showStatus('done');
  drawn.picture = null;  // a new run: its report follows the type it shows
  showPicture(out.picture);
  showRun();
  showTheory();
  refreshCompare();
  writeAddress(Boolean(viewArgs) || overlay, fromForm);
  // A diverged run: shown up to where it left the path, with the reason (the status, a live
  // region, says that the computation finished).
  if (!reply.ok) placeRefusal(reply);
  // On a narrow screen the picture is under the form: brought into view.
  if (fromForm && !twoColumns()) $('canvas').scrollIntoView({ block: 'start' });
  tellComputed(true, reply);
  return true;
}

// The layout of the style sheet: the form beside the picture (wide screens and tablets held
// across), else one column.
const TWO_COLUMNS = '(min-width: 760px) and (orientation: landscape), (min-width: 1100px)';
export const twoColumns = () => window.matchMedia(TWO_COLUMNS).matches;

// The condition report of the type on show (the core writes it for its view's type).
export async function refreshReport() {
  const core = cores.shown;
  if (!core || !onShow.run) return;
  onShow.reportBusy += 1;
  try {
    const out = await core.call('report');
    if (core === cores.shown && out.report) { onShow.run.report = out.report; showRun(); }
  } catch (e) { /* the onShow.run was replaced */ }
  onShow.reportBusy -= 1;
}

// Ends the computation in progress; the run on show stays.
export function cancel(say = true) {
  if (!cores.running) return;
  cores.running.core.end();
  cores.running = null;
  $('cancel').hidden = true;
  $('compute').removeAttribute('aria-busy');
  refillSpare();
  showStatus(say ? 'cancelled' : '');
}

// ---- the run on show --------------------------------------------------------------------

function sameForm(a, b) { return JSON.stringify(a) === JSON.stringify(b); }

export function noteStale() {
  $('stale').hidden = !onShow.run || sameForm(formState(), onShow.run.form);
  $('stale').textContent = UI[language.current].stale;
}

function curveLine(n, l) {
  const entry = curveEntry(n.c);
  return `I=${entry.I}: ${entry[l]}, ` + entry.names.map((name, k) => `${name} = ${readable(n.cp[k], 2)}`).join(', ') +
    (n.mirror ? `, ${UI[l].mirror}` : '');
}

// Every error given, with its values (and the slip's seed).
function errorLine(n, l) {
  if (!n.errors.length) return catalogue.errors[0][l];
  return n.errors.map(({ e, values }) => {
    const entry = catalogue.errors[e];
    const seed = e === 5 && n.seed !== '' ? `, seed = ${n.seed}` : '';
    return `${entry[l]}: ${entry.values.map((v, k) => `${v[l]} = ${readable(values[k], 2)}`).join(', ')}${seed}`;
  }).join(l === 'ja' ? '；' : '; ');
}

// The condition report in English, from the run's own numbers.
function englishReport(r) {
  const f = r.facts, n = r.numbers, t = drawn.picture ? drawn.picture.state.type : r.type;
  const lines = ['Conditions of the run', `(1-1) vehicle type ${t}: ${TYPE_NAMES[t - 1]}`];
  if (t === 1) lines.push(`(1-2) travel speed Vw = ${readable(f.Vw, 2)} m/s, constant`);
  else lines.push(`(1-2) drive wheel speed Vd = ${readable(f.omega, 2)} rad/s, normally constant, lower where the curvature changes fast`,
                  `(1-3) largest steering speed ω = ${readable(f.omega, 2)} rad/s`);
  lines.push(`(2) mechanism error: ${errorLine(n, 'en')}`, `(3) CP motion (known path): ${curveLine(n, 'en')}`,
             `(4-1) feedback natural frequency fn = ${readable(n.fn, 3)} Hz, damping ratio ζ = ${readable(n.z, 3)}`);
  const names = [['Kd1', 'Kth1', 'KI1'], ['Kd2', 'Kth2', 'Kfi2'], ['Kd3', 'Kth3', 'Kfi3']][t - 1];
  lines.push(`(4-2) gains (${names.join(', ')}) = (${f.gains[t - 1].map((v) => readable(v, 4)).join(', ')})`);
  if (n.law !== 'fnzeta') lines.push(lawLine(n, 'en'));
  return lines.join('\n');
}

// The feedback law and its parameters (the fn/ζ law has none to say).
function lawLine(n, l) {
  const entry = lawEntry(n.law);
  return UI[l].lawLine(entry[l], entry.params.map((p, k) => `${p[l]} = ${sig(n.lp[k])}`).join(', '));
}


export function summaryText(r) {
  const k = (drawn.picture ? drawn.picture.state.type : r.type) - 1;
  const s = r.facts.types[k];
  const d = (v) => sig(v), a = (v) => sig(v * DEG);
  if (language.current === 'ja') {
    return `タイプ${k + 1} ${TYPE_NAMES[k]}，経路 ${curveLine(r.numbers, 'ja')}，誤差 ${errorLine(r.numbers, 'ja')}．` +
      `終点の誤差: FBCなし dd=${d(s.final[0])} m, dth=${a(s.final[1])}°；FBCあり dd=${d(s.final[2])} m, dth=${a(s.final[3])}°．` +
      `最大の誤差: FBCなし |dd|=${d(s.peak[0])} m, |dth|=${a(s.peak[1])}°；FBCあり |dd|=${d(s.peak[2])} m, |dth|=${a(s.peak[3])}°．` +
      `記録 ${s.last + 1} 個，${readable(s.end, 2)} 秒．`;
  }
  return `Type ${k + 1} ${TYPE_NAMES[k]}, path ${curveLine(r.numbers, 'en')}, error ${errorLine(r.numbers, 'en')}. ` +
    `Errors at the end: without FBC dd = ${d(s.final[0])} m, dth = ${a(s.final[1])}°; with FBC dd = ${d(s.final[2])} m, dth = ${a(s.final[3])}°. ` +
    `Largest errors: without FBC |dd| = ${d(s.peak[0])} m, |dth| = ${a(s.peak[1])}°; with FBC |dd| = ${d(s.peak[2])} m, |dth| = ${a(s.peak[3])}°. ` +
    `${s.last + 1} records over ${readable(s.end, 2)} s.`;
}

export function showRun() {
  $('csv').disabled = $('png').disabled = $('pin').disabled = !onShow.run;
  $('share').hidden = !onShow.run;
  if (!onShow.run) return;
  $('report').textContent = language.current === 'ja'
    ? pageLine(onShow.run.report.trim()) + (onShow.run.numbers.law !== 'fnzeta' ? `\n${lawLine(onShow.run.numbers, 'ja')}` : '')
    : englishReport(onShow.run);
  $('summary').textContent = summaryText(onShow.run);
  noteStale();
}
