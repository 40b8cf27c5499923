// The picture's window keys, the record slider and Play: view requests sent to the core on
// show one at a time.
import { viewMoved } from './address.js';
import { onShow } from './computation.js';
import { cores } from './core_client.js';
import { $ } from './dom.js';
import { drawn, showPicture } from './picture.js';
import { UI, language } from './texts.js';

// ---- keys and animation -----------------------------------------------------------------

export const VIEW_KEYS = '123s0xXyYwWt';
export const FORM_KEYS = { c: 'sec-path', e: 'sec-error', f: 'sec-feedback' };
const VIEW_COUNT = { w: ['zoom', 1], W: ['zoom', -1], X: ['x', 1], x: ['x', -1], Y: ['y', 1], y: ['y', -1] };

// View requests go one at a time; keys pressed meanwhile wait and are sent together in order.
/** View requests waiting and one in flight; the Play in progress ({due, inFlight}). */
export const viewing = { queue: [], busy: false, playing: null };
export async function viewRequest(op, a) {
  viewing.queue.push([op, a]);
  if (viewing.busy) return;
  viewing.busy = true;
  while (viewing.queue.length && cores.shown) {
    const [o, x] = viewing.queue.shift();
    const core = cores.shown;
    try {
      const out = await core.call(o, x);
      if (core === cores.shown && out.picture) showPicture(out.picture);
    } catch (e) { /* the onShow.run was replaced */ }
  }
  viewing.queue = [];
  viewing.busy = false;
}

export function pressKey(key) {
  if (FORM_KEYS[key]) {
    stopPlay();
    const first = $(FORM_KEYS[key]).querySelector('select, input');
    first.focus();
    $(FORM_KEYS[key]).scrollIntoView({ block: 'nearest' });
    return;
  }
  if (!cores.shown || !VIEW_KEYS.includes(key)) return;
  if (key !== 's') stopPlay();
  if (VIEW_COUNT[key]) onShow.view[VIEW_COUNT[key][0]] += VIEW_COUNT[key][1];
  if (key === 't') onShow.view.overlay = !onShow.view.overlay;
  viewRequest('key', key);
  viewMoved();
}

// 3 records per 0.06 s in real time, as holding 's' down does; one picture per frame.
const PLAY_PERIOD_MS = 60;
export function startPlay() {
  if (!cores.shown || viewing.playing || !drawn.picture) return;
  const job = { due: performance.now(), inFlight: false };
  viewing.playing = job;
  if (drawn.picture.state.index >= drawn.picture.state.last) viewRequest('index', 0);
  const frame = async (now) => {
    if (viewing.playing !== job) return;
    if (!job.inFlight && !viewing.busy) {
      const steps = Math.floor((now - job.due) / PLAY_PERIOD_MS);
      if (steps > 0) {
        job.due += steps * PLAY_PERIOD_MS;
        job.inFlight = true;
        const core = cores.shown;
        try {
          const out = await core.call('step', steps);
          if (viewing.playing === job && core === cores.shown) showPicture(out.picture);
        } catch (e) { /* replaced */ }
        job.inFlight = false;
        if (drawn.picture.state.index >= drawn.picture.state.last) { stopPlay(); return; }
      }
    }
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
  $('play').textContent = UI[language.current].pause;
}

export function stopPlay() {
  if (!viewing.playing) return;
  viewing.playing = null;
  $('play').textContent = UI[language.current].play;
  viewMoved();
}
