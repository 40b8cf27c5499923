// The form: its fields built from the catalogue, numbers read as typed (full-width digits
// too), the form's conditions as a scenario text and back, and refusals put next to their
// fields.
import { catalogue, curveEntry, lawEntry } from './catalogue.js';
import { $ } from './dom.js';
import { showMessage } from './messages.js';
import { UI, language, messageOf } from './texts.js';

function numberField(id, label, value) {
  const div = document.createElement('div');
  div.className = 'field';
  div.innerHTML = `<label for="${id}"></label><input id="${id}" inputmode="decimal" autocomplete="off" aria-describedby="msg-${id}"><span class="message" id="msg-${id}"></span>`;
  div.querySelector('label').textContent = label;
  div.querySelector('input').value = value;
  return div;
}

// Fields of a scenario text locked against editing (an exercise's givens), by the text's
// field name: 'curve', 'fn', 'zeta', 'seed', 'mirror', 'controller', an error's ('drift') or
// a law's parameters' ('lookahead').
const locked = new Set();

/** Locks (or unlocks) the form's inputs of a scenario text's field; kept through rebuilds. */
export function lockField(name, on = true) {
  if (on) locked.add(name); else locked.delete(name);
  applyLocks();
}

// The form's element ids of a scenario text's field, as the form stands.
function idsOfField(name) {
  const prefixed = (p) => [...document.querySelectorAll(`input[id^="${p}"]`)].map((i) => i.id);
  if (name === 'curve') return ['curve', ...prefixed('cp')];
  if (['fn', 'zeta', 'seed', 'mirror', 'controller'].includes(name)) return [name];
  const error = catalogue.errors.find((e) => e.field === name);
  if (error) {
    const chosen = $('errorNumber').value === String(error.n);
    return [...(chosen ? ['errorNumber', ...prefixed('ev')] : []), `with${error.n}`, ...prefixed(`x${error.n}v`)];
  }
  const law = catalogue.laws.find((l) => l.field === name);
  return law ? law.params.map((p) => p.id) : [];
}

function applyLocks() {
  for (const el of document.querySelectorAll('[data-locked]')) { el.disabled = false; delete el.dataset.locked; }
  for (const name of locked) {
    for (const id of idsOfField(name)) if ($(id)) Object.assign($(id), { disabled: true }).dataset.locked = name;
  }
  // With every error locked, no other error may be chosen either.
  if (catalogue.errors.length > 1 && catalogue.errors.slice(1).every((e) => locked.has(e.field))) {
    Object.assign($('errorNumber'), { disabled: true }).dataset.locked = 'errors';
  }
}

export function buildErrorValues(values) {
  const entry = catalogue.errors[Number($('errorNumber').value)] || catalogue.errors[0];
  $('errorValues').replaceChildren(...entry.values.map((v, k) =>
    numberField(`ev${k}`, v[language.current], values && values[k] !== undefined ? values[k] : v.def)));
  applyLocks();
}

// The errors given besides the one chosen above, each with its values: {number: [values]}.
export function moreValues() {
  const out = {};
  for (let n = 1; n < catalogue.errors.length; n += 1) {
    const box = $(`with${n}`);
    if (box && box.checked) out[n] = fieldValues(`x${n}v`);
  }
  return out;
}

// A checkbox per error to give it together with the one chosen above (that one's is hidden).
export function buildMoreErrors(given = moreValues()) {
  const chosen = $('errorNumber').value;
  $('moreList').replaceChildren(...catalogue.errors.slice(1).map((entry, i) => {
    const n = i + 1;
    const row = document.createElement('div');
    row.hidden = String(n) === chosen;
    const head = document.createElement('div');
    head.className = 'check';
    head.innerHTML = `<input type="checkbox" id="with${n}"><label for="with${n}"></label>`;
    head.querySelector('label').textContent = entry[language.current];
    const box = head.querySelector('input');
    box.checked = n in given;
    row.append(head);
    if (box.checked) {
      row.append(...entry.values.map((v, k) =>
        numberField(`x${n}v${k}`, v[language.current], given[n][k] !== undefined ? given[n][k] : v.def)));
    }
    return row;
  }));
  applyLocks();
}

export function buildCurveParams(values) {
  const entry = curveEntry(Number($('curve').value));
  $('curveParams').replaceChildren(...entry.names.map((name, k) =>
    numberField(`cp${k}`, name, values && values[k] !== undefined ? values[k] : entry.defs[k])));
  applyLocks();
}

export function fillSelects() {
  const e = $('errorNumber').value, c = $('curve').value, law = $('controller').value;
  $('errorNumber').replaceChildren(...catalogue.errors.map((entry, k) => new Option(entry[language.current], String(k))));
  $('curve').replaceChildren(...catalogue.curves.map((entry) => new Option(`I=${entry.I}: ${entry[language.current]}`, String(entry.I))));
  $('controller').replaceChildren(...catalogue.laws.map((entry) => new Option(entry[language.current], entry.name)));
  if (e !== '') $('errorNumber').value = e;
  if (c !== '') $('curve').value = c;
  $('controller').value = law || 'fnzeta';
}

// Text typed with a Japanese input method in full-width forms (１．５, －２) read as the
// ASCII characters they stand for.
export function halfWidth(text) {
  return String(text).replace(/[\uff01-\uff5e]/g, (ch) => String.fromCharCode(ch.charCodeAt(0) - 0xfee0))
    .replace(/\u3000/g, ' ').replace(/\u2212/g, '-');
}

export function fieldValues(prefix) {
  return [...document.querySelectorAll(`input[id^="${prefix}"]`)].map((i) => halfWidth(i.value));
}

// Every law's parameters as last typed (the hidden laws' too), each as text by field id.
export const lawValues = {};
function keepLawValues() {
  for (const input of $('lawParams').querySelectorAll('input')) lawValues[input.id] = input.value;
}

// The fields of the chosen law's parameters only.
export function buildLawParams() {
  keepLawValues();
  $('lawParams').replaceChildren(...lawEntry($('controller').value).params.map((p) =>
    numberField(p.id, p[language.current], lawValues[p.id] !== undefined ? lawValues[p.id] : '')));
  applyLocks();
}

// Every law's parameters from a scenario as the core reads it (its defaults where not given).
function setLawValues(f) {
  lawValues.lookahead = f.lookahead;
  lawValues.stanleyGain = f.stanleyGain;
  f.lqrWeights.forEach((v, k) => { lawValues[`lqr${k}`] = v; });
}

// The conditions as text, as they stand in the form.
export function formState() {
  const e = $('errorNumber').value;
  const more = Object.entries(moreValues()).filter(([n]) => n !== e).map(([n, v]) => [Number(n), v]);
  const law = $('controller').value || 'fnzeta';
  return { e, ev: fieldValues('ev'), more, c: $('curve').value, cp: fieldValues('cp'),
           fn: halfWidth($('fn').value), z: halfWidth($('zeta').value), seed: halfWidth($('seed').value).trim(), mirror: $('mirror').checked,
           law, lp: lawEntry(law).params.map((p) => ($(p.id) ? halfWidth($(p.id).value) : '')) };
}


// The form's conditions as a scenario text, for the core to read (it writes the canonical
// one). The fields hold numbers (readNumbers) and the seed digits, so no space gets in.
export function scenarioTextOf(state) {
  const t = (x) => String(x).trim().replace(/^\+/, '');
  const fields = [];
  const errors = Number(state.e) > 0 ? [[Number(state.e), state.ev], ...state.more] : state.more;
  for (const [n, values] of errors) fields.push(`${catalogue.errors[n].field}=${values.map(t).join(',')}`);
  fields.push(`curve=${state.c}:${state.cp.map(t).join(',')}`, `fn=${t(state.fn)}`, `zeta=${t(state.z)}`);
  if (state.seed !== '') fields.push(`seed=${state.seed}`);
  if (state.mirror) fields.push('mirror');
  if (state.law !== 'fnzeta') fields.push(`controller=${state.law}`, `${lawEntry(state.law).field}=${state.lp.map(t).join(',')}`);
  return fields.join(' ');
}

export function parseNumber(text) {
  const t = String(text).trim();
  if (!/^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$/.test(t)) return NaN;
  return Number(t);
}

// Numbers of the form, or null after a message next to each field that is not a number.
export function readNumbers(state) {
  const errors = Number(state.e) > 0 ? [[Number(state.e), state.ev, 'ev'], ...state.more.map(([n, v]) => [n, v, `x${n}v`])]
    : state.more.map(([n, v]) => [n, v, `x${n}v`]);
  const lawIds = lawEntry(state.law).params.map((p) => p.id);
  const ids = [...errors.flatMap(([, v, id]) => v.map((_, k) => `${id}${k}`)), ...state.cp.map((_, k) => `cp${k}`), ...lawIds, 'fn', 'zeta'];
  const values = [...errors.flatMap(([, v]) => v), ...state.cp, ...state.lp, state.fn, state.z].map(parseNumber);
  let ok = true;
  values.forEach((v, k) => {
    if (!Number.isFinite(v)) {
      showMessage(ids[k], { ja: UI.ja.notNumber, en: UI.en.notNumber }, ids[k]);
      ok = false;
    }
  });
  if (state.seed !== '' && !/^\d+$/.test(state.seed)) {
    showMessage('seed', { ja: UI.ja.notSeed, en: UI.en.notSeed }, 'seed');
    ok = false;
  }
  if (!ok) return null;
  let at = 0;
  const taken = (count) => { at += count; return values.slice(at - count, at); };
  return { errors: errors.map(([n, v]) => ({ e: n, values: taken(v.length) })), c: Number(state.c),
           cp: taken(state.cp.length), lp: taken(state.lp.length), fn: values[values.length - 2], z: values[values.length - 1],
           seed: state.seed, mirror: state.mirror, law: state.law };
}

// Places the core's message next to the field it is about.
// The form's place of each field of a scenario text.
const TEXT_FIELDS = { curve: 'curve', fn: 'fn', zeta: 'zeta', seed: 'seed', mirror: 'mirror' };
export function placeRefusal(reply) {
  const msg = reply.message.trim(), m = messageOf(reply);
  if (reply.section === 'text') {
    // A text (a link's s=) that does not read: its field named next to the form's place.
    const target = catalogue.errors.some((e) => (e.field || '') === reply.field) ? 'error' : TEXT_FIELDS[reply.field] || 'all';
    showMessage(target, { ja: UI.ja.unread(reply.field), en: UI.en.unread(reply.field, reply.reason) }, target);
  } else if (reply.section === 'error') {
    // The value refused: of the error chosen above or of one given besides it.
    const n = reply.errorNumber, k = n > 0 ? reply.valueIndex : (msg.startsWith('TRerr') ? 1 : 0);
    const id = n > 0 && String(n) !== $('errorNumber').value ? `x${n}v${k}` : `ev${k}`;
    showMessage($(id) ? id : 'error', m, id);
  } else if (reply.section === 'curve') {
    const names = curveEntry(Number($('curve').value)).names;
    const k = names.findIndex((n) => msg.startsWith(`${n}=`));
    if (k >= 0) showMessage(`cp${k}`, m, `cp${k}`); else showMessage('curve', m);
  } else if (reply.section === 'feedback') {
    // A law's parameter by its field; an LQR weight by its place among the four.
    const entry = catalogue.laws.find((l) => l.field && l.field === reply.field);
    const law = entry && (entry.params.length > 1 ? `${entry.name}${reply.valueIndex}` : entry.params[0].id);
    const id = law || (msg.startsWith('ζ') ? 'zeta' : 'fn');
    showMessage($(id) ? id : 'feedback', m, id);
  } else {
    showMessage('all', m);
  }
}

// Fills the form from a scenario as the core reads it: the first error given in the choice,
// the others as further errors.
export function fillForm(f) {
  const [first, ...others] = f.errors;
  $('errorNumber').value = first ? String(first.n) : '0';
  buildErrorValues(first ? first.values : undefined);
  buildMoreErrors(Object.fromEntries(others.map((e) => [e.n, e.values])));
  $('curve').value = String(f.curve);
  buildCurveParams(f.constants);
  $('fn').value = f.fn;
  $('zeta').value = f.zeta;
  $('seed').value = f.seed === null ? '' : f.seed;
  $('mirror').checked = f.mirror;
  $('controller').value = f.controller;
  $('lawParams').replaceChildren();
  setLawValues(f);
  buildLawParams();
}

// Fills the form from a link: its scenario text (s=), or the older form of one field per
// section (e, ev, c, cp, fn, z). Values that are missing keep the start-up ones, values that
// are wrong stay in their fields and get the refusal when computed. Returns what to say
