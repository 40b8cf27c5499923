import assert from 'node:assert/strict';
import test from 'node:test';
import { LAB_BASE_LIMIT, LAB_WHEEL_LIMIT, surpriseErrors } from '../../../web/lab.js';

test('a surprise seed gives the same small errors every time, in hundredths of a percent', () => {
  const seen = new Set();
  for (const seed of [1, 2, 3, 12345, 2 ** 32 - 1]) {
    const e = surpriseErrors(seed);
    assert.deepEqual(surpriseErrors(seed), e);
    assert.ok(Math.abs(e[0]) <= LAB_WHEEL_LIMIT && Math.abs(e[1]) <= LAB_WHEEL_LIMIT && Math.abs(e[2]) <= LAB_BASE_LIMIT, String(e));
    for (const v of e) assert.equal(Math.round(v * 100) / 100, v);
    seen.add(e.join());
  }
  assert.equal(seen.size, 5, 'different seeds, different errors');
  // Seed 0 would stall the generator: it stands for 1.
  assert.deepEqual(surpriseErrors(0), surpriseErrors(1));
});
