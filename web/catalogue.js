// What the page's menus list, as the core gives it (agv_catalogue): the errors, the curves
// and the feedback laws, with the words of texts.js put to them. Filled once at start.
import { CURVE_WORDS, ERROR_WORDS, LAW_WORDS } from './texts.js';

/**
 * The lists of the menus, in the core's order. errors[n]: {n, field, ja, en, values: [{ja,
 * en, def}]}; curves: {I, ja, en, names, defs}; laws: {name, field, ja, en, params: [{id, ja,
 * en, def}]}. Start-up values and defaults are text, as a field shows them.
 */
export const catalogue = { errors: [], curves: [], laws: [] };

/** The form's id of a law's parameter k: its field's name, or the law's name and k. */
function paramId(law, k) {
  if (law.defaults.length > 1) return `${law.name}${k}`;
  return law.field.replace(/-(\w)/g, (_, c) => c.toUpperCase());
}

/** Takes the core's catalogue (the JSON of agv_catalogue, parsed). */
export function setCatalogue(raw) {
  const valueLabel = (l, e, v, k) => `${(ERROR_WORDS[l].values[e.n] || [])[k] || ''}${v.symbol} (${e.unit})`;
  catalogue.errors = raw.errors.map((e) => ({
    n: e.n, field: e.field, ja: `${e.n}: ${ERROR_WORDS.ja.names[e.n]}`, en: `${e.n}: ${ERROR_WORDS.en.names[e.n]}`,
    values: e.values.map((v, k) => ({ ja: valueLabel('ja', e, v, k), en: valueLabel('en', e, v, k), def: v.start })),
  }));
  catalogue.curves = raw.curves.map((c) => ({
    I: c.I, ja: c.ja, en: CURVE_WORDS[c.I], names: c.constants.map((k) => k.name), defs: c.constants.map((k) => k.start),
  }));
  catalogue.laws = raw.laws.map((l) => ({
    name: l.name, field: l.field, ja: LAW_WORDS[l.name].ja, en: LAW_WORDS[l.name].en,
    params: l.defaults.map((def, k) => ({ id: paramId(l, k), ...LAW_WORDS[l.name].params[k], def })),
  }));
}

/** Curve I's entry (the first curve's for a number that names none). */
export function curveEntry(I) { return catalogue.curves.find((c) => c.I === I) || catalogue.curves[0]; }

/** A law's entry by its core name (the fn/ζ law's for another name). */
export function lawEntry(name) { return catalogue.laws.find((l) => l.name === name) || catalogue.laws[0]; }

