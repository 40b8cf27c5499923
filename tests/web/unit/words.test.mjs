import assert from 'node:assert/strict';
import test from 'node:test';
import { differing } from '../../../web/compare.js';
import { language, messageOf, pageLine } from '../../../web/texts.js';
import { scenario } from './core.mjs';

const form = (text) => scenario(text).form;

test('the compare legend names what differs between two runs, in the language on show', () => {
  language.current = 'en';
  const a = form('drift=2 curve=16:0.5,5 seed=3'), b = form('drift=2 curve=16:0.5,5 fn=0.5 controller=stanley');
  assert.equal(differing(a, b), 'fn=1 Hz, seed=3, controller=fnzeta');
  assert.equal(differing(b, a), 'fn=0.5 Hz, controller=stanley:2');
  assert.equal(differing(a, form('seed=3 drift=2 curve=16:0.5,5')), 'the same conditions');
  language.current = 'ja';
  assert.equal(differing(form(''), form('slip=5')), '0: 誤差なし');
  assert.equal(differing(form('mirror'), form('')), 'mirror');
  assert.equal(differing(form(''), form('')), '同じ条件');
});

test('the core\'s refusal reads as a sentence with advice; the console line loses internals', () => {
  const m = messageOf({ message: '  set_fn() fn=0 では設計できない', reason: 'fn = 0 gives no design', section: 'feedback' });
  assert.equal(m.ja, 'fn=0 では設計できない');
  assert.equal(m.en, 'fn = 0 gives no design. Change fn or ζ and compute again.');
  assert.equal(messageOf({ message: 'x', reason: 'the constant is too large', section: 'curve' }).en,
               'The constant is too large. Change the path\u2019s constants and compute again.');
  assert.equal(pageLine(`A=${'1'.repeat(309)} は大きすぎる`), 'A=1.11111e+308 は大きすぎる');
});
