import assert from 'node:assert/strict';
import fs from 'node:fs';
import test from 'node:test';
import { bandScale, exerciseLink, exerciseOfQuery, exerciseTextOf, plottedType, taskText, targetWords, verdictSummary,
  verdictWords } from '../../../web/exercise.js';
import { exercise } from './core.mjs';

const query = (link) => new URLSearchParams(link.slice(link.indexOf('?')));

test('an exercise link and a submission link read back to the same exercise, answer and claim', () => {
  const ex = { text: 'drift=8 curve=16:2,5 free=fn,zeta target=peak-dd:2<=0.01 target=stable:2',
               ja: 'fn と ζ を選べ（1 cm 以内）& 100% + α', en: '' };
  const link = exerciseLink('/agv/index.html', ex);
  assert.match(link, /^\/agv\/index\.html\?x=drift=8\+curve=16:2,5\+free=fn,zeta\+target=peak-dd:2%3C=0\.01/);
  assert.deepEqual(exerciseOfQuery(query(link)), { ...ex, answer: null, claim: null });
  const submitted = exerciseLink('/', ex, 'drift=8 curve=16:2,5 fn=3 zeta=0.7', false);
  assert.deepEqual(exerciseOfQuery(query(submitted)), { ...ex, answer: 'drift=8 curve=16:2,5 fn=3 zeta=0.7', claim: false });
  assert.equal(exerciseOfQuery(new URLSearchParams('s=fn=2')), null);
  assert.equal(exerciseOfQuery(new URLSearchParams('x=target=stable:1&claim=maybe')).claim, null);
  assert.equal(taskText(ex, 'en'), ex.ja, 'a task missing in one language shows the other');
  assert.equal(taskText({ ja: '', en: '' }, 'ja'), '');
});

test('the links of docs/exercises.md open their exercise with the task in both languages', () => {
  const docs = fs.readFileSync(new URL('../../../docs/exercises.md', import.meta.url), 'utf8');
  const links = [...docs.matchAll(/^ {4}index\.html(\?\S+)$/gm)].map((m) => exerciseOfQuery(new URLSearchParams(m[1])));
  const texts = [...docs.matchAll(/--exercise '([^']+)'\n/g)].map((m) => m[1]);
  assert.equal(links.length, 3);
  links.forEach((x, k) => {
    assert.equal(exercise(x.text).exercise.text, texts[k]);
    assert.ok(x.ja && x.en && x.answer === null, x.text);
  });
});

test('a teacher\'s rows make a text the core reads back with the same targets', () => {
  const rows = [{ figure: 'peak-dd', type: 2, comparison: '<=', value: ' 0.01 ' },
                { figure: 'settling', type: 3, comparison: '>=', value: '2' },
                { figure: 'stable', type: 1, comparison: '<=', value: 'ignored' }];
  const reply = exercise(exerciseTextOf('drift=2 curve=11', ['zeta', 'fn'], rows));
  assert.ok(reply.ok, reply.message);
  assert.equal(reply.exercise.text, 'drift=2 curve=11 free=fn,zeta target=peak-dd:2<=0.01 target=settling:3>=2 target=stable:1');
  assert.deepEqual(reply.exercise.free, ['fn', 'zeta']);
  const bad = exercise(exerciseTextOf('', [], [rows[0], { ...rows[1], value: '-1' }]));
  assert.deepEqual([bad.ok, bad.exerciseField, bad.targetIndex], [false, 'target', 1]);
});

test('targets and verdicts in words name the figure, the type, the bound, the value and PASS or FAIL', () => {
  const { targets } = exercise('target=peak-dd:2<=0.01 target=stable:3 target=settling:1>=2').exercise;
  assert.equal(targetWords(targets[0], 'en'), 'type 2 1FDW1FS: largest |dd| with feedback ≤ 0.01 m');
  assert.equal(targetWords(targets[1], 'ja'), 'タイプ3 1RDW1FS: 刻み 4 ms で安定（経路を外れない）');
  assert.equal(targetWords(targets[2], 'en'), 'type 1 2DW1C: settling time of dd with feedback ≥ 2 s');
  const check = { pass: false, targets: [
    { target: targets[0], pass: false, measured: 0.0111803851, diverged: false },
    { target: targets[1], pass: false, measured: null, diverged: true, divergedTime: 3.204 },
    { target: targets[2], pass: true, measured: null, diverged: false }] };
  assert.deepEqual(verdictWords(check.targets[0], 'en'), { measured: '0.01118 m', mark: 'FAIL' });
  assert.deepEqual(verdictWords(check.targets[1], 'ja'), { measured: '3.204 秒で経路を外れた', mark: '不合格' });
  assert.deepEqual(verdictWords(check.targets[2], 'en'), { measured: '∞', mark: 'PASS' });
  assert.equal(verdictSummary(check, 'en'), 'Exercise verdict: 1 of 3 targets met, FAIL');
});

test('the band plot shows the type of the first target on dd, at twice its band', () => {
  const { targets } = exercise('target=settling:1<=2 target=rms-dd:3<=0.005 target=peak-dd:3<=0.01').exercise;
  assert.equal(plottedType(targets), 3);
  assert.deepEqual(bandScale(targets, 3), { band: 0.005, half: 0.01 });
  assert.deepEqual(bandScale(targets, 1), { band: null, half: 0.02 });
});
