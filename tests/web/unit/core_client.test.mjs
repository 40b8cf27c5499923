import assert from 'node:assert/strict';
import test from 'node:test';
import { Core } from '../../../web/core_client.js';

// A worker that keeps what it is sent; the test answers for it.
class FakeWorker {
  constructor(url) { this.url = url; this.sent = []; this.terminated = false; FakeWorker.last = this; }
  postMessage(m) { this.sent.push(m); }
  terminate() { this.terminated = true; }
  reply(data) { this.onmessage({ data }); }
}
globalThis.Worker = FakeWorker;

test('calls are answered by their own replies, in whatever order they come', async () => {
  const core = new Core();
  const w = FakeWorker.last;
  assert.equal(w.url, 'worker.js');
  const a = core.call('check', 'fn=0'), b = core.call('csv');
  assert.deepEqual(w.sent.map((m) => m.op), ['check', 'csv']);
  w.reply({ id: w.sent[1].id, csv: 'x' });
  w.reply({ id: w.sent[0].id, failed: 'random tables' });
  assert.equal((await b).csv, 'x');
  await assert.rejects(a, /random tables/);
});

test('ending a core rejects what waits; a worker still loading is ended once it has loaded', async () => {
  const core = new Core();
  const w = FakeWorker.last;
  const waiting = core.call('run', '');
  core.end();
  await assert.rejects(waiting, /ended/);
  await assert.rejects(core.call('csv'), /ended/);
  assert.equal(w.terminated, false);
  w.reply({ loaded: true });
  assert.equal(w.terminated, true);

  const loaded = new Core();
  FakeWorker.last.reply({ loaded: true });
  loaded.end();
  assert.equal(FakeWorker.last.terminated, true);
});
