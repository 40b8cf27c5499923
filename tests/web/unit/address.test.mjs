import assert from 'node:assert/strict';
import test from 'node:test';
import { linkedPin, linkedView, runLink } from '../../../web/address.js';
import { comparison } from '../../../web/compare.js';
import { onShow } from '../../../web/computation.js';
import { drawn } from '../../../web/picture.js';
import { language } from '../../../web/texts.js';

globalThis.location = { pathname: '/agvsim/' };

test('a run\'s link reads back as its scenario, pinned run, view and language', () => {
  const texts = ['drift=2 curve=16:0.5,5', 'fn=1e+21 zeta=0.5 seed=7 mirror', 'curve=21:4,0.5 controller=lqr lqr-weights=1e+4,100,100,1&x'];
  for (const scenario of texts) {
    onShow.run = { scenario };
    onShow.view = { zoom: 2, x: -1, y: 3, overlay: true };
    comparison.pin = { scenario: 'slip=5 seed=3' };
    drawn.picture = { state: { type: 2, index: 40, last: 900 } };
    language.current = 'en';
    const link = runLink(true);
    assert.ok(link.startsWith('/agvsim/?s='));
    const q = new URLSearchParams(link.split('?')[1]);
    assert.equal(q.get('s'), scenario);
    assert.deepEqual(linkedPin(q), { scenario: 'slip=5 seed=3' });
    assert.deepEqual(linkedView(q.get('v')), [2, 40, 2, -1, 3]);
    assert.equal(q.get('t'), '1');
    assert.equal(q.get('lang'), 'en');
  }
  // Readable: the text's '=', ',' and ':' as they are, spaces as '+'.
  assert.match(runLink(false), /\?s=curve=21:4,0\.5\+controller=lqr/);
});

test('the last record, no view change, Japanese and no pin leave their parameters out', () => {
  onShow.run = { scenario: '' };
  onShow.view = { zoom: 0, x: 0, y: 0, overlay: false };
  comparison.pin = null;
  drawn.picture = { state: { type: 1, index: 900, last: 900 } };
  language.current = 'ja';
  assert.equal(runLink(false), '/agvsim/?s=');
  assert.equal(runLink(true), '/agvsim/?s=&v=1%2C-1%2C0%2C0%2C0');
  assert.deepEqual(linkedView('1,-1,0,0,0'), [1, -1, 0, 0, 0]);
});

test('a view in a link that is not five whole numbers of reasonable size is ignored', () => {
  for (const v of [null, '', '1,2,3,4', '1,2,3,4,5,6', '1,a,0,0,0', '1,2,3,4,10001']) assert.equal(linkedView(v), null, String(v));
});
