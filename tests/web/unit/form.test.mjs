import assert from 'node:assert/strict';
import test from 'node:test';
import { catalogue } from '../../../web/catalogue.js';
import { halfWidth, parseNumber, scenarioTextOf } from '../../../web/form.js';
import { scenario } from './core.mjs';

test('numbers typed in full-width forms read as ASCII ones; anything else is no number', () => {
  assert.equal(parseNumber(halfWidth('１．５')), 1.5);
  assert.equal(parseNumber(halfWidth('－２')), -2);
  assert.equal(parseNumber(halfWidth('\u22123e-2')), -0.03);
  assert.equal(parseNumber(' .5 '), 0.5);
  for (const bad of ['', '1,5', '1.5.2', 'e3', '0x10', 'Infinity', '１ ２']) assert.ok(Number.isNaN(parseNumber(halfWidth(bad))), bad);
});

// A form state: error e with values, further errors, curve c with constants, law with parameters.
const state = (over) => ({ e: '0', ev: [], more: [], c: '1', cp: ['0.5', '2', '1'], fn: '1', z: '1', seed: '', mirror: false,
                           law: 'fnzeta', lp: [], ...over });

test('the form as a scenario text reads back in the core as the same conditions', () => {
  const cases = [
    [state({}), { errors: [], curve: 1, constants: ['0.5', '2', '1'], controller: 'fnzeta' }],
    [state({ e: '4', ev: ['+1.5', ' -2'], more: [[5, ['3']]], c: '16', cp: ['0.3', '5'], seed: '7', mirror: true }),
     { errors: [{ n: 4, values: ['1.5', '-2'] }, { n: 5, values: ['3'] }], curve: 16, seed: '7', mirror: true }],
    [state({ more: [[1, ['1', '-1']], [3, ['2']]], c: '21', cp: ['4', '0.5'], fn: '0.5', z: '0.7' }),
     { errors: [{ n: 1, values: ['1', '-1'] }, { n: 3, values: ['2'] }], curve: 21, fn: '0.5', zeta: '0.7' }],
    [state({ law: 'lqr', lp: ['1', '2', '3', '4'] }), { controller: 'lqr', lqrWeights: ['1', '2', '3', '4'] }],
    [state({ law: 'stanley', lp: ['3'] }), { controller: 'stanley', stanleyGain: '3' }],
    [state({ law: 'pure-pursuit', lp: ['0.25'] }), { controller: 'pure-pursuit', lookahead: '0.25' }],
  ];
  for (const [s, want] of cases) {
    const reply = scenario(scenarioTextOf(s));
    assert.ok(reply.ok, scenarioTextOf(s));
    for (const [key, value] of Object.entries(want)) assert.deepEqual(reply.form[key], value, `${scenarioTextOf(s)}: ${key}`);
  }
});

test('every menu entry of the catalogue gives a text the core reads', () => {
  for (const e of catalogue.errors.slice(1)) {
    const reply = scenario(scenarioTextOf(state({ e: String(e.n), ev: e.values.map((v) => v.def) })));
    assert.deepEqual(reply.form.errors, [{ n: e.n, values: e.values.map((v) => v.def) }]);
  }
  for (const c of catalogue.curves) assert.deepEqual(scenario(scenarioTextOf(state({ c: String(c.I), cp: c.defs }))).form.constants, c.defs);
  for (const law of catalogue.laws) {
    const reply = scenario(scenarioTextOf(state({ law: law.name, lp: law.params.map((p) => p.def) })));
    assert.equal(reply.form.controller, law.name);
    assert.equal(reply.form.text.includes(law.field || ' '), false, 'defaults are left out of the text');
  }
});
