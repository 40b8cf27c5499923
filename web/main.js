// The agvsim page: the console dialogue's three sections as a form, the picture, the window
// keys, animation, downloads and links. The simulator runs in workers (worker.js); nothing is
// computed here: checks, numbers and the picture's primitives come from C++. This module
// starts the page and wires its events to the other modules.
import { address, applyLink, linkedPin, linkedView, viewMoved, writeAddress } from './address.js';
import { setCatalogue } from './catalogue.js';
import { comparison, setPin, showCompare } from './compare.js';
import { cancel, check, compute, noteStale, onShow, showRun } from './computation.js';
import { Core, checker, cores, markReady } from './core_client.js';
import { $ } from './dom.js';
import { csvText, download, fileName } from './downloads.js';
import { exerciseState, listenExercise, readExerciseLink, showExercise } from './exercise_view.js';
import { buildCurveParams, buildErrorValues, buildLawParams, buildMoreErrors, fieldValues, fillSelects, moreValues } from './form.js';
import { labState, listenLab, showLab } from './lab.js';
import { clearMessages, showStatus, shownMessages } from './messages.js';
import { drawn, fitCanvas, pictureCanvas } from './picture.js';
import { UI, language, messageText } from './texts.js';
import { drawTheory, showTheory } from './theory_panel.js';
import { FORM_KEYS, VIEW_KEYS, pressKey, startPlay, stopPlay, viewRequest, viewing } from './view_keys.js';

function applyLanguage() {
  const t = UI[language.current];
  document.documentElement.lang = language.current;
  $('announce').textContent = '';  // said in the other language already
  document.querySelectorAll('[data-i18n]').forEach((el) => { el.textContent = t[el.dataset.i18n]; });
  $('play').textContent = t[viewing.playing ? 'pause' : 'play'];
  // A key button's name says what it does and keeps its key, which is what it shows.
  document.querySelectorAll('[data-key]').forEach((b) => {
    b.setAttribute('aria-label', `${b.dataset.key}: ${t.keys[b.dataset.key]}`);
    b.title = t.keys[b.dataset.key];
  });
  $('canvas').setAttribute('aria-label', t.picture);
  // Empty: the slip's random sequence is the program's own.
  $('seed').placeholder = t.seedEmpty;
  $('slider').setAttribute('aria-label', t.slider);
  $('keys').setAttribute('aria-label', t.keysLabel);
  $('legend').replaceChildren(...t.help.map(([term, text], k) => {
    const row = document.createElement('div');
    const dt = document.createElement('dt'), dd = document.createElement('dd');
    dt.textContent = term;
    if (k < 3) dt.className = ['red', 'blue', 'green'][k];
    dd.textContent = text;
    row.append(dt, dd);
    return row;
  }));
  const ev = fieldValues('ev'), more = moreValues(), cp = fieldValues('cp');
  fillSelects();
  buildErrorValues(ev);
  buildMoreErrors(more);
  buildCurveParams(cp);
  buildLawParams();
  for (const [id, m] of shownMessages) {
    if (!$(id)) continue;
    $(id).textContent = messageText(m);
    const input = $(id.slice(4));
    if (input && input.tagName === 'INPUT') input.setAttribute('aria-invalid', 'true');
  }
  showStatus($('status').dataset.key);
  showRun();
  showTheory();
  showCompare();
  showLab();
  showExercise();
  noteStale();
  writeAddress();
}

// ---- start ------------------------------------------------------------------------------

function listen() {
  $('errorNumber').addEventListener('change', () => { buildErrorValues(); buildMoreErrors(); check(); });
  $('curve').addEventListener('change', () => { buildCurveParams(); check(); });
  $('controller').addEventListener('change', () => { buildLawParams(); check(); });
  $('form').addEventListener('input', (ev) => { if (ev.target.tagName === 'INPUT' && ev.target.type !== 'checkbox') check(); });
  // A further error's box adds or removes its value fields.
  $('form').addEventListener('change', (ev) => {
    if (ev.target.type !== 'checkbox') return;
    if (ev.target.id.startsWith('with')) buildMoreErrors();
    check();
  });
  $('form').addEventListener('submit', (ev) => { ev.preventDefault(); compute(null, true); });
  // Back and Forward: the run of the address.
  window.addEventListener('popstate', async () => {
    const q = new URLSearchParams(location.search);
    address.restoring = true;
    const wanted = q.get('lang') === 'en' ? 'en' : 'ja';
    if (wanted !== language.current) { language.current = wanted; $('lang').value = language.current; applyLanguage(); }
    const refusal = await applyLink(q);
    clearMessages();
    address.restoring = false;
    comparison.pin = linkedPin(q);
    if (refusal) refusal(); else await compute(linkedView(q.get('v')), false, q.get('t') === '1');
  });
  $('cancel').addEventListener('click', () => cancel());
  $('pin').addEventListener('click', () => setPin(true));
  $('unpin').addEventListener('click', () => setPin(false));
  $('lang').addEventListener('change', () => { language.current = $('lang').value; applyLanguage(); });
  $('csv').addEventListener('click', async () => {
    if (onShow.run) download(fileName('csv'), new Blob([await csvText()], { type: 'text/csv' }));
  });
  $('png').addEventListener('click', () => { if (onShow.run) pictureCanvas().toBlob((b) => download(fileName('png'), b)); });
  $('play').addEventListener('click', () => (viewing.playing ? stopPlay() : startPlay()));
  $('theoryPanel').addEventListener('toggle', drawTheory);
  $('slider').addEventListener('input', () => {
    stopPlay();
    viewRequest('index', Number($('slider').value));
    viewMoved();
  });
  document.querySelectorAll('[data-key]').forEach((b) => b.addEventListener('click', () => pressKey(b.dataset.key)));
  // The picture's keys work wherever the focus is, except while typing in the form.
  document.addEventListener('keydown', (ev) => {
    if (ev.ctrlKey || ev.metaKey || ev.altKey || ev.key.length !== 1) return;
    const el = document.activeElement;
    if (el && (el.tagName === 'SELECT' || el.tagName === 'TEXTAREA' || (el.tagName === 'INPUT' && el.type !== 'range'))) return;
    if (VIEW_KEYS.includes(ev.key) || FORM_KEYS[ev.key]) {
      ev.preventDefault();
      pressKey(ev.key);
    }
  });
  new ResizeObserver(fitCanvas).observe($('canvas'));
  new ResizeObserver(drawTheory).observe($('splane'));
  // A handout's picture at twice the desktop window's pixels, so that its text prints sharp.
  window.addEventListener('beforeprint', () => { drawn.printing = true; fitCanvas(); });
  window.addEventListener('afterprint', () => { drawn.printing = false; fitCanvas(); });
  listenLab();
}

async function start() {
  const q = new URLSearchParams(location.search);
  cores.spare = new Core();
  try {
    setCatalogue((await checker().call('catalogue')).catalogue);
  } catch (e) {
    // Without the core the form has nothing to list.
    showStatus('failedLoad');
    return;
  }
  comparison.pin = linkedPin(q);
  // An exercise's link fills the form with its answer, or else with its fixed conditions.
  const start = await readExerciseLink(q);
  if (start !== null) q.set('s', start);
  const refusal = await applyLink(q);
  listenExercise();
  applyLanguage();
  listen();
  fitCanvas();
  if (refusal) refusal();
  else await compute(linkedView(q.get('v')), false, q.get('t') === '1');
  window.agvsim = { csv: csvText, state: () => drawn.picture && drawn.picture.state, texts: () => drawn.picture && drawn.picture.texts, readyMs: performance.now(),
                    pressKey, pictureCanvas, paintMs: () => drawn.paintMs, computing: () => Boolean(cores.running), busy: () => Boolean(cores.running || viewing.busy || onShow.reportBusy || comparison.pinBusy || comparison.busy),
                    lab: () => labState.last && labState.last.result, exercise: () => exerciseState };
  document.body.dataset.ready = 'true';
  markReady();
}

start();
