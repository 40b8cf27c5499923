// The page's address: the run on show as a link (its scenario text, the view, the language,
// a pinned run), the history's entries, and a link read back into the form.
import { catalogue } from './catalogue.js';
import { comparison } from './compare.js';
import { onShow } from './computation.js';
import { checker } from './core_client.js';
import { $ } from './dom.js';
import { exerciseParams } from './exercise_view.js';
import { buildCurveParams, buildErrorValues, buildLawParams, buildMoreErrors, fillForm, fillSelects, lawValues, placeRefusal } from './form.js';
import { showMessage } from './messages.js';
import { drawn } from './picture.js';
import { language, pageLine } from './texts.js';

// ---- address ----------------------------------------------------------------------------

// The link of the run on show: its conditions as computed, the view when it was changed,
// and the language.
export function runLink(withView) {
  const q = new URLSearchParams();
  if (onShow.run && withView && drawn.picture) {
    const st = drawn.picture.state;
    q.set('v', [st.type, st.index === st.last ? -1 : st.index, onShow.view.zoom, onShow.view.x, onShow.view.y].join(','));
  }
  if (onShow.run && onShow.view.overlay) q.set('t', '1');
  if (language.current !== 'ja') q.set('lang', language.current);
  // The run's scenario text, URL-encoded but for '=', ',' and ':' (allowed in a query, and
  // easier to read); spaces as '+'. A pinned run's follows it.
  const encoded = (t) => encodeURIComponent(t).replace(/%3D/g, '=').replace(/%2C/g, ',')
    .replace(/%3A/g, ':').replace(/%20/g, '+');
  const text = onShow.run ? `s=${encoded(onShow.run.scenario)}` : '';
  const pinned = onShow.run && comparison.pin ? `pin=${encoded(comparison.pin.scenario)}` : '';
  return `${location.pathname}?${[exerciseParams(), text, pinned, q.toString()].filter(Boolean).join('&')}`;
}

/** The address's own state: the view changed since the run, the pending write, a restore. */
export const address = { viewChanged: false, timer: null, restoring: false };
// A computation from the form is a new entry of the history, so that Back returns to the run
// before it; views and the language change the entry on show.
export function writeAddress(withView = address.viewChanged, push = false) {
  address.viewChanged = withView;
  clearTimeout(address.timer);
  address.timer = null;
  const link = runLink(withView);
  $('share').href = link;
  if (!onShow.run || address.restoring) return;
  if (push && link !== `${location.pathname}${location.search}`) history.pushState(null, '', link);
  else history.replaceState(null, '', link);
}
// Views change at every key; the address follows once they rest.
export function viewMoved() {
  address.viewChanged = true;
  clearTimeout(address.timer);
  address.timer = setTimeout(() => writeAddress(true), 250);
}

// Fills the form from a link: its scenario text (s=), or the older form of one field per
// section (e, ev, c, cp, fn, z). Values that are missing keep the start-up ones, values that
// are wrong stay in their fields and get the refusal when computed. Returns what to say
// instead of computing, if anything.
export async function applyLink(q) {
  if (q.get('lang') === 'en') { language.current = 'en'; $('lang').value = 'en'; }
  fillSelects();
  // The laws' parameters by default, as the core has them.
  for (const law of catalogue.laws) for (const p of law.params) lawValues[p.id] = p.def;
  $('lawParams').replaceChildren();
  $('controller').value = 'fnzeta';
  buildLawParams();
  if (q.has('s')) {
    buildErrorValues();
    buildMoreErrors({});
    buildCurveParams();
    let out;
    try { out = await checker().call('scenario', q.get('s')); } catch (e) { return null; }
    if (!out.reply.ok) return () => placeRefusal(out.reply);
    fillForm(out.reply.form);
    return null;
  }
  const split = (v) => (v === null ? undefined : v.split(','));
  let badChoice = null;
  if (q.has('e')) {
    if (catalogue.errors.some((e) => String(e.n) === q.get('e'))) $('errorNumber').value = q.get('e');
    else badChoice = ['error', { ja: '0-5のどれかを選択(0:誤差なし) Error Number=', en: 'The error number must be 0 to 5. Choose one.' }];
  }
  if (q.has('c')) {
    if (catalogue.curves.some((c) => String(c.I) === q.get('c'))) $('curve').value = q.get('c');
    else badChoice = ['curve', { ja: pageLine(`I=${q.get('c')}  やり直し`),
                                 en: `${pageLine(q.get('c'))} is not a curve number (1-4, 11-16, 21). Choose a curve.` }];
  }
  buildErrorValues(split(q.get('ev')));
  buildMoreErrors({});
  buildCurveParams(split(q.get('cp')));
  if (q.has('fn')) $('fn').value = q.get('fn');
  if (q.has('z')) $('zeta').value = q.get('z');
  return badChoice && (() => showMessage(badChoice[0], badChoice[1]));
}

// A link may also name the view, as agvsim-batch's picture options do:
// v=type,record,zoom,shiftX,shiftY (record -1: the last).
export function linkedView(v) {
  if (v === null) return null;
  const n = v.split(',').map((x) => parseInt(x, 10));
  if (n.length !== 5 || n.some((x) => !Number.isInteger(x) || Math.abs(x) > 10000)) return null;
  return n;
}


// A link's pinned run: recomputed from its scenario text like the run on show.
export const linkedPin = (q) => (q.has('pin') ? { scenario: q.get('pin') } : null);
