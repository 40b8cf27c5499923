// A run pinned for comparison: computed beside the run on show in each core, drawn over its
// picture, and a table of both runs' figures.
import { writeAddress } from './address.js';
import { catalogue } from './catalogue.js';
import { onShow } from './computation.js';
import { cores } from './core_client.js';
import { $ } from './dom.js';
import { showPicture } from './picture.js';
import { DEG, UI, language, sig } from './texts.js';
import { stopPlay } from './view_keys.js';

// ---- a pinned run -----------------------------------------------------------------------

// The pinned run in a core: computed there once per pin (the reply of its computation), or
// dropped there when nothing is pinned.
export function pinOn(core) {
  if (!comparison.pin) {
    if (!core.pinning) return Promise.resolve(null);
    core.pinning = null;
    return core.call('unpin');
  }
  if (!core.pinning || core.pinning.text !== comparison.pin.scenario) core.pinning = { text: comparison.pin.scenario, reply: core.call('pin', comparison.pin.scenario) };
  return core.pinning.reply;
}

/** The pinned run ({scenario, form, compare}, or null) and the requests about it in flight. */
export const comparison = { pin: null, pinBusy: 0, serial: 0, busy: 0 };
// Pins the run on show, or unpins; the next computation's core gets the pin meanwhile.
export async function setPin(on) {
  if (on && !onShow.run) return;
  stopPlay();
  comparison.pin = on ? { scenario: onShow.run.scenario } : null;
  const core = cores.shown;
  comparison.pinBusy += 1;
  try {
    if (cores.spare) pinOn(cores.spare).catch(() => {});
    const out = await pinOn(core);
    if (core === cores.shown && out && out.picture) showPicture(out.picture);
  } catch (e) { /* the onShow.run was replaced */ }
  comparison.pinBusy -= 1;
  showCompare();
  await refreshCompare();
  writeAddress();
  $(on ? 'unpin' : 'pin').focus();
}

// The conditions of a scenario (as the core reads it) as short tokens, to name what differs
// between two runs.
function conditionTokens(f) {
  const params = { 'pure-pursuit': [f.lookahead], stanley: [f.stanleyGain], lqr: f.lqrWeights }[f.controller];
  return [...(f.errors.length ? f.errors.map((e) => `${catalogue.errors[e.n].field}=${e.values.join(',')}`) : [catalogue.errors[0][language.current]]),
          `curve=${f.curve}:${f.constants.join(',')}`, `fn=${f.fn} Hz`, `\u03b6=${f.zeta}`,
          ...(f.seed !== null ? [`seed=${f.seed}`] : []), ...(f.mirror ? ['mirror'] : []),
          `controller=${f.controller}${params ? `:${params.join(',')}` : ''}`];
}
export function differing(a, b) {
  const other = new Set(conditionTokens(b));
  const own = conditionTokens(a).filter((t) => !other.has(t));
  return own.length ? own.join(', ') : UI[language.current].sameConditions;
}

// The figures of both runs for the type on show, and the conditions of each.
export async function refreshCompare() {
  const serial = ++comparison.serial, core = cores.shown, p = comparison.pin, r = onShow.run;
  if (!p || !core || !r) { showCompare(); return; }
  comparison.busy += 1;
  try {
    const out = await core.call('compare');
    if (!p.form) p.form = (await core.call('scenario', p.scenario)).reply.form;
    if (!r.coreForm) r.coreForm = (await core.call('scenario', r.scenario)).reply.form;
    if (serial === comparison.serial && core === cores.shown && p === comparison.pin) p.compare = out.compare;
  } catch (e) { /* the onShow.run was replaced */ }
  comparison.busy -= 1;
  showCompare();
}

// The legend of the two runs and the table of their figures (the core's numbers; angles
// shown in degrees, as the summary shows them).
export function showCompare() {
  const T = UI[language.current];
  $('pin').hidden = Boolean(comparison.pin);
  $('unpin').hidden = !comparison.pin;
  $('pin').disabled = !onShow.run;
  const c = comparison.pin && comparison.pin.compare;
  $('compare').hidden = !(c && c.pinned && onShow.run && onShow.run.coreForm);
  if ($('compare').hidden) return;
  const entry = (cls, label, text) => {
    const li = document.createElement('li'), mark = document.createElement('span');
    mark.className = cls;
    mark.setAttribute('aria-hidden', 'true');
    li.append(mark, `${label}: ${text}`);
    return li;
  };
  $('pinLegend').replaceChildren(entry('swatch pinned', T.pinnedRun, differing(comparison.pin.form, onShow.run.coreForm)),
                                 entry('swatch', T.currentRun, differing(onShow.run.coreForm, comparison.pin.form)));
  $('compareCaption').textContent = T.compareCaption(c.type);
  const head = document.createElement('tr');
  head.append(...T.compareCols.map((text) => Object.assign(document.createElement('th'), { scope: 'col', textContent: text })));
  $('compareTable').tHead.replaceChildren(head);
  $('compareTable').tBodies[0].replaceChildren(...c.figures.map((f) => {
    const tr = document.createElement('tr');
    tr.dataset.q = f.name;
    const unit = f.name.includes('Dth') ? DEG : 1;
    const cell = (v, signed) => {
      const td = document.createElement('td');
      td.dataset.value = v === null ? '' : String(v);
      td.textContent = v === null ? T.noFigure : `${signed && v > 0 ? '+' : ''}${sig(v * unit)}`;
      return td;
    };
    tr.append(Object.assign(document.createElement('th'), { scope: 'row', textContent: T.compareRows[f.name] }),
              cell(f.pinned, false), cell(f.current, false), cell(f.difference, true));
    return tr;
  }));
}
