// The core in workers: a Core per worker (worker.js), the one whose run is on show, the spare
// loaded for the next computation, and the computation in progress.
import { comparison, pinOn } from './compare.js';

// One module in a worker; calls return promises, and ending the worker rejects the calls
// that wait for it.
export class Core {
  constructor() {
    this.worker = new Worker('worker.js');
    this.waiting = new Map();
    this.next = 1;
    this.loaded = false;
    this.worker.onmessage = (ev) => {
      if (ev.data.loaded) {
        this.loaded = true;
        if (this.ending) this.ending.terminate();
        return;
      }
      const w = this.waiting.get(ev.data.id);
      this.waiting.delete(ev.data.id);
      if (!w) return;
      if (ev.data.failed) w.reject(new Error(ev.data.failed)); else w.resolve(ev.data);
    };
    this.worker.onerror = (ev) => { ev.preventDefault(); this.end(new Error(ev.message)); };
  }

  call(op, a) {
    return new Promise((resolve, reject) => {
      if (!this.worker) { reject(new Error('ended')); return; }
      const id = this.next++;
      this.waiting.set(id, { resolve, reject });
      this.worker.postMessage({ id, op, args: a });
    });
  }

  end(err = new Error('ended')) {
    // A worker still loading its module is ended as soon as it has loaded it.
    if (this.worker && this.loaded) this.worker.terminate();
    else if (this.worker) this.ending = this.worker;
    this.worker = null;
    for (const w of this.waiting.values()) w.reject(err);
    this.waiting.clear();
  }
}

/** The core whose run is on show, a loaded one for the next computation, {core} of the computation in progress. */
export const cores = { shown: null, spare: null, running: null };


export function takeSpare() {
  const core = cores.spare || new Core();
  cores.spare = null;
  return core;
}
// The next computation's core loads while the page has nothing else to do: after the first
// picture, so that it never delays the page's start.
export function refillSpare() {
  const load = () => {
    if (cores.spare) return;
    cores.spare = new Core();
    if (comparison.pin) pinOn(cores.spare).catch(() => {});
  };
  if (cores.spare) return;
  if (document.body.dataset.ready !== 'true') { pageReady.then(refillSpare); return; }
  if (window.requestIdleCallback) window.requestIdleCallback(load, { timeout: 2000 }); else setTimeout(load, 0);
}
let signalReady;
/** Settled once the page has shown its first picture. */
const pageReady = new Promise((resolve) => { signalReady = resolve; });
export function markReady() { signalReady(); }

// The core that answers checks: the one on show, or else one that is loaded.
export function checker() { return cores.shown || cores.spare || (cores.running && cores.running.core); }
