// Exercises on the page: the teacher's panel that writes an exercise link from the form, and
// the student's view of a link (the task, the fixed fields locked, each target judged by the
// core after every Compute, the dd plot of the targeted type with the target's band, and the
// submission link). The core reads and judges; this module shows its answers.
import { onComputed, onShow } from './computation.js';
import { checker, cores } from './core_client.js';
import { $ } from './dom.js';
import { EXERCISE_WORDS, FIGURES, TEXT_FIELDS, bandScale, exerciseLink, exerciseOfQuery, exerciseTextOf, plottedType,
  taskText, targetWords, unitOf, verdictSummary, verdictWords } from './exercise.js';
import { formState, lockField, scenarioTextOf } from './form.js';
import { announce } from './messages.js';
import { language, messageOf, messageText, sig } from './texts.js';

const WORDS = {
  ja: {
    maker: '課題を作る（教員用）', makerNote: '今のフォームの条件が課題の固定条件（学生の初期値）になる．学生が変えてよい項目を選び，目標を決める．',
    free: '学生が変えてよい項目', taskJa: '課題文（日本語）', taskEn: '課題文（英語）', targets: '目標',
    figure: '量', type: 'タイプ', comparison: '比較', value: '値', remove: '削除', add: '目標を追加',
    write: '課題のリンクを書く', link: '課題のリンク', copy: 'コピー', copied: 'コピーした', open: '開く',
    title: '課題', mayChange: (names) => `変えてよい項目：${names || 'なし'}．ほかの条件は課題で固定されている（灰色の欄は変えられない）．`,
    verdictCols: ['目標', '計算値', '判定'], submit: '提出用リンク',
    claimAgrees: (c) => `リンクの主張（${c}）は再計算の判定と同じ．`,
    claimDiffers: (c, r) => `リンクは ${c} と主張しているが，再計算の判定は ${r}．`,
    refusedAnswer: (f, fixed) => `この解答は課題で固定された ${f} を変えている（課題の値：${fixed || '既定値'}）．判定しない．`,
    restart: '課題の初期値からやり直す', badLink: (m) => `課題のリンクを読めない：${m}`, noRun: '計算できなかったので判定はない．',
    plot: (k, band) => `タイプ${k} の FBCあり dd [mm] と時刻 [秒]${band === null ? '' : `，目標の帯 ±${band} mm`}`,
  },
  en: {
    maker: 'Make an exercise (for teachers)', makerNote: 'The form\u2019s current conditions become the exercise\u2019s fixed conditions (the student\u2019s start values). Choose what the student may change and set the targets.',
    free: 'Fields the student may change', taskJa: 'Task (Japanese)', taskEn: 'Task (English)', targets: 'Targets',
    figure: 'Figure', type: 'Type', comparison: 'Comparison', value: 'Value', remove: 'Remove', add: 'Add a target',
    write: 'Write the exercise link', link: 'Exercise link', copy: 'Copy', copied: 'Copied', open: 'Open',
    title: 'Exercise', mayChange: (names) => `You may change: ${names || 'nothing'}. The other conditions are fixed by the exercise (the greyed-out fields cannot be changed).`,
    verdictCols: ['Target', 'Measured', 'Verdict'], submit: 'Submission link',
    claimAgrees: (c) => `The link\u2019s claim (${c}) agrees with the recomputed verdict.`,
    claimDiffers: (c, r) => `The link claims ${c}, but the recomputed verdict is ${r}.`,
    refusedAnswer: (f, fixed) => `This answer changes ${f}, which the exercise fixes (at ${fixed || 'its default'}): no verdict.`,
    restart: 'Start again from the exercise\u2019s values', badLink: (m) => `The exercise link cannot be read: ${m}`, noRun: 'The run could not be computed: no verdict.',
    plot: (k, band) => `dd [mm] of type ${k} with feedback over time [s]${band === null ? '' : `, target band ±${band} mm`}`,
  },
};
const words = () => WORDS[language.current];
const exWords = () => EXERCISE_WORDS[language.current];

/**
 * The exercise of the address: {link ({text, ja, en, answer, claim}), exercise (the core's
 * reading), bad (the core's refusal of the link)}, the last check and the plotted series.
 */
export const exerciseState = { link: null, exercise: null, bad: null, check: null, plot: null };

/** The address' exercise parameters, kept in the page's own links ('' without one). */
export function exerciseParams() {
  const link = exerciseState.link;
  if (!link) return '';
  return exerciseLink('', { text: link.text, ja: link.ja, en: link.en }).slice(1);
}

/**
 * Reads the address' exercise with the core and locks the fields that are not free. Returns
 * the scenario text the form starts from (the answer of a submission, else the fixed
 * conditions), or null without an exercise (or with one the core refuses).
 */
export async function readExerciseLink(q) {
  const link = exerciseOfQuery(q);
  if (!link) return null;
  exerciseState.link = link;
  let out;
  try { out = await checker().call('exercise', link.text); } catch (e) { return null; }
  if (!out.reply.ok) {
    exerciseState.bad = out.reply;
    showExercise();
    return null;
  }
  exerciseState.exercise = out.reply.exercise;
  for (const name of TEXT_FIELDS) lockField(name, !exerciseState.exercise.free.includes(name));
  showExercise();
  return link.answer !== null ? link.answer : exerciseState.exercise.form.text;
}

// ---- the student's view -------------------------------------------------------------------

async function judge({ ok }) {
  const ex = exerciseState.exercise;
  if (!ex) return;
  exerciseState.check = null;
  exerciseState.plot = null;
  const core = cores.shown;
  if (ok && core) {
    try {
      const check = (await core.call('exerciseCheck', ex.text)).reply;
      const type = plottedType(ex.targets);
      const series = check.refused ? null : (await core.call('ddSeries', type)).series;
      if (core !== cores.shown) return;
      exerciseState.check = check;
      exerciseState.plot = series && { type, series };
    } catch (e) { return; }  // replaced by a newer run
  }
  showExercise();
  const check = exerciseState.check;
  if (!check) announce(words().noRun);
  else if (check.refused) announce($('exerciseRefused').textContent);
  else announce(verdictSummary(check, language.current));
}

function claimText(check) {
  const claim = exerciseState.link.claim;
  if (claim === null || !check || check.refused) return '';
  const w = exWords(), said = claim ? w.pass : w.fail, found = check.pass ? w.pass : w.fail;
  return claim === check.pass ? words().claimAgrees(said) : words().claimDiffers(said, found);
}

function showVerdict() {
  const check = exerciseState.check, w = words();
  const refused = check && check.refused;
  $('exerciseRefused').hidden = !refused;
  $('exerciseRefused').textContent = refused
    ? w.refusedAnswer(`${exWords().fields[refused.field] || refused.field} (${refused.field})`, refused.fixed) : '';
  // Fixed fields hold the refused answer's values: the exercise's own link starts afresh.
  $('exerciseRestart').hidden = !refused;
  $('exerciseRestart').textContent = w.restart;
  $('exerciseRestart').href = exerciseLink(location.pathname, exerciseState.link);
  $('exerciseNoRun').hidden = Boolean(check) || !onShow.run;
  $('exerciseNoRun').textContent = w.noRun;
  const table = $('exerciseTable');
  table.hidden = !check || Boolean(refused);
  $('exerciseCaption').textContent = check && !refused ? verdictSummary(check, language.current) : '';
  const head = document.createElement('tr');
  head.append(...w.verdictCols.map((c) => Object.assign(document.createElement('th'), { scope: 'col', textContent: c })));
  table.querySelector('thead').replaceChildren(head);
  table.querySelector('tbody').replaceChildren(...(check && !refused ? check.targets : []).map((v) => {
    const row = document.createElement('tr');
    const vw = verdictWords(v, language.current);
    row.className = v.pass ? 'pass' : 'fail';
    row.dataset.pass = String(v.pass);
    const th = Object.assign(document.createElement('th'), { scope: 'row', textContent: targetWords(v.target, language.current) });
    const mark = Object.assign(document.createElement('td'), { textContent: `${v.pass ? '✓' : '✗'} ${vw.mark}` });
    row.append(th, Object.assign(document.createElement('td'), { textContent: vw.measured }), mark);
    return row;
  }));
  $('exerciseClaim').textContent = claimText(check);
  $('exerciseClaim').hidden = !$('exerciseClaim').textContent;
  const submit = $('exerciseSubmit');
  submit.hidden = !check || Boolean(refused) || !onShow.run;
  if (!submit.hidden) {
    const link = exerciseState.link;
    submit.href = exerciseLink(location.pathname, { text: exerciseState.exercise.text, ja: link.ja, en: link.en },
                               onShow.run.scenario, check.pass);
  }
}

// The dd of the targeted type with the band, at a scale where a centimetre shows: the
// series and the limit are the core's; here they are only scaled to the canvas.
const PLOT = { left: 44, right: 8, top: 8, bottom: 22 };
function drawPlot() {
  const figure = $('exercisePlotFigure');
  const plot = exerciseState.plot;
  figure.hidden = !plot;
  if (!plot) return;
  const canvas = $('exercisePlot'), g = canvas.getContext('2d');
  const W = canvas.width, H = canvas.height, w = W - PLOT.left - PLOT.right, h = H - PLOT.top - PLOT.bottom;
  const { band, half } = bandScale(exerciseState.exercise.targets, plot.type);
  const s = plot.series, n = s.length / 2, tEnd = s[s.length - 2] || 1;
  const X = (t) => PLOT.left + (t / tEnd) * w;
  const Y = (dd) => PLOT.top + h / 2 - (dd / half) * (h / 2);
  g.fillStyle = '#fff';
  g.fillRect(0, 0, W, H);
  if (band !== null) {
    g.fillStyle = 'rgb(255, 226, 160)';
    g.fillRect(PLOT.left, Y(band), w, Y(-band) - Y(band));
  }
  g.strokeStyle = '#888';
  g.lineWidth = 1;
  g.strokeRect(PLOT.left + 0.5, PLOT.top + 0.5, w - 1, h - 1);
  g.beginPath();
  g.moveTo(PLOT.left, Y(0));
  g.lineTo(PLOT.left + w, Y(0));
  g.stroke();
  g.save();
  g.beginPath();
  g.rect(PLOT.left, PLOT.top, w, h);
  g.clip();
  g.strokeStyle = 'rgb(0, 150, 0)';
  g.lineWidth = 2;
  g.beginPath();
  for (let i = 0; i < n; i += 1) {
    const x = X(s[2 * i]), y = Math.max(PLOT.top - 2, Math.min(PLOT.top + h + 2, Y(s[2 * i + 1])));
    if (i === 0) g.moveTo(x, y); else g.lineTo(x, y);
  }
  g.stroke();
  g.restore();
  g.fillStyle = '#000';
  g.font = '11px sans-serif';
  g.textAlign = 'right';
  g.textBaseline = 'middle';
  const mm = (v) => sig(v * 1000);
  for (const v of [half, 0, -half]) g.fillText(mm(v), PLOT.left - 4, Y(v));
  g.textAlign = 'center';
  g.textBaseline = 'top';
  g.fillText('0', X(0), PLOT.top + h + 4);
  g.fillText(`${sig(tEnd)} s`, X(tEnd) - 14, PLOT.top + h + 4);
  const caption = words().plot(plot.type, band === null ? null : mm(band));
  canvas.setAttribute('aria-label', caption);
  $('exercisePlotText').textContent = caption;
}

function showStudent() {
  const section = $('exercise');
  const link = exerciseState.link;
  section.hidden = !link;
  if (!link) return;
  $('exerciseTitle').textContent = words().title;
  $('exerciseTask').textContent = taskText(link, language.current);
  $('exerciseBad').hidden = !exerciseState.bad;
  $('exerciseBad').textContent = exerciseState.bad ? words().badLink(messageText(messageOf(exerciseState.bad))) : '';
  const ex = exerciseState.exercise;
  $('exerciseFree').textContent = ex ? words().mayChange(ex.free.map((f) => exWords().fields[f]).join(language.current === 'ja' ? '，' : ', ')) : '';
  $('exerciseTargets').replaceChildren(...(ex ? ex.targets : []).map((t) =>
    Object.assign(document.createElement('li'), { textContent: targetWords(t, language.current) })));
  if (ex) showVerdict();
  drawPlot();
}

// ---- the teacher's panel ------------------------------------------------------------------

const rows = [];  // the target rows as typed: {figure, type, comparison, value}

function option(value, text) { return Object.assign(new Option(text, value), { selected: false }); }

function keepRows() {
  document.querySelectorAll('#targetRows .target-row').forEach((el, k) => {
    rows[k] = { figure: el.querySelector('.t-figure').value, type: Number(el.querySelector('.t-type').value),
                comparison: el.querySelector('.t-cmp').value, value: el.querySelector('.t-value').value };
  });
}

function buildRows() {
  const w = words(), ew = exWords();
  $('targetRows').replaceChildren(...rows.map((r, k) => {
    const row = document.createElement('div');
    row.className = 'target-row';
    row.setAttribute('role', 'group');
    row.setAttribute('aria-label', `${w.targets} ${k + 1}`);
    const select = (cls, label, options, value) => {
      const s = document.createElement('select');
      s.className = cls;
      s.setAttribute('aria-label', `${label} ${k + 1}`);
      s.append(...options.map(([v, text]) => option(v, text)));
      s.value = String(value);
      return s;
    };
    const figure = select('t-figure', w.figure, FIGURES.map((f) => [f, ew.figures[f]]), r.figure);
    const type = select('t-type', w.type, [1, 2, 3].map((t) => [String(t), ew.type(t)]), r.type);
    const cmp = select('t-cmp', w.comparison, [['<=', '≤'], ['>=', '≥']], r.comparison);
    const value = Object.assign(document.createElement('input'), { className: 't-value', value: r.value, inputMode: 'decimal', autocomplete: 'off' });
    value.setAttribute('aria-label', `${w.value} ${k + 1}`);
    value.id = `targetValue${k}`;
    value.setAttribute('aria-describedby', `msg-target${k}`);
    const stable = r.figure === 'stable';
    cmp.hidden = value.hidden = stable;
    const unit = Object.assign(document.createElement('span'), { className: 'unit', textContent: unitOf(r.figure) });
    const remove = Object.assign(document.createElement('button'), { type: 'button', className: 't-remove', textContent: w.remove });
    remove.setAttribute('aria-label', `${w.remove} ${k + 1}`);
    remove.disabled = rows.length === 1;
    const message = Object.assign(document.createElement('span'), { className: 'message', id: `msg-target${k}` });
    row.append(figure, type, cmp, value, unit, remove, message);
    return row;
  }));
}

function showMaker() {
  const w = words(), ew = exWords();
  $('makerTitle').textContent = w.maker;
  $('makerNote').textContent = w.makerNote;
  $('makerFreeLegend').textContent = w.free;
  const checked = new Set([...document.querySelectorAll('#makerFree input:checked')].map((i) => i.value));
  $('makerFree').replaceChildren(...TEXT_FIELDS.map((f) => {
    const div = document.createElement('div');
    div.className = 'check';
    div.innerHTML = `<input type="checkbox" id="free-${f}"><label for="free-${f}"></label>`;
    div.querySelector('input').value = f;
    div.querySelector('input').checked = checked.has(f);
    div.querySelector('label').textContent = `${ew.fields[f]} (${f})`;
    return div;
  }));
  $('taskJaLabel').textContent = w.taskJa;
  $('taskEnLabel').textContent = w.taskEn;
  $('makerTargetsLegend').textContent = w.targets;
  keepRows();
  buildRows();
  $('addTarget').textContent = w.add;
  $('writeExercise').textContent = w.write;
  $('exerciseLinkLabel').textContent = w.link;
  $('copyExercise').textContent = w.copy;
  $('exerciseLinkOpen').textContent = w.open;
}

function clearMakerMessages() {
  document.querySelectorAll('#exerciseMaker .message').forEach((m) => { m.textContent = ''; });
  document.querySelectorAll('#exerciseMaker [aria-invalid]').forEach((i) => i.removeAttribute('aria-invalid'));
}

async function writeExercise() {
  keepRows();
  clearMakerMessages();
  const free = [...document.querySelectorAll('#makerFree input:checked')].map((i) => i.value);
  const text = exerciseTextOf(scenarioTextOf(formState()), free, rows);
  let out;
  try { out = await checker().call('exercise', text); } catch (e) { return; }
  const reply = out.reply;
  $('exerciseLinkRow').hidden = !reply.ok;
  if (!reply.ok) {
    const m = messageText(messageOf(reply));
    const k = reply.targetIndex;
    const at = reply.exerciseField === 'target' && k >= 0 && $(`msg-target${k}`) ? `msg-target${k}`
      : reply.exerciseField === 'free' ? 'msg-makerFree' : 'msg-maker';
    $(at).textContent = m;
    if (at.startsWith('msg-target')) $(`targetValue${k}`).setAttribute('aria-invalid', 'true');
    announce(m);
    return;
  }
  const link = exerciseLink(location.pathname, { text: reply.exercise.text, ja: $('taskJa').value.trim(), en: $('taskEn').value.trim() });
  $('exerciseLinkOut').value = new URL(link, location.href).href;
  $('exerciseLinkOpen').href = link;
}

export function listenExercise() {
  onComputed(judge);
  rows.push({ figure: 'peak-dd', type: 2, comparison: '<=', value: '0.01' });
  showMaker();
  $('targetRows').addEventListener('change', (ev) => {
    if (!ev.target.classList.contains('t-figure')) return;
    keepRows();
    buildRows();
  });
  $('targetRows').addEventListener('click', (ev) => {
    if (!ev.target.classList.contains('t-remove')) return;
    keepRows();
    rows.splice([...document.querySelectorAll('#targetRows .t-remove')].indexOf(ev.target), 1);
    buildRows();
  });
  $('addTarget').addEventListener('click', () => {
    keepRows();
    rows.push({ figure: 'settling', type: 2, comparison: '<=', value: '' });
    buildRows();
    $(`targetValue${rows.length - 1}`).focus();
  });
  $('writeExercise').addEventListener('click', writeExercise);
  $('copyExercise').addEventListener('click', async () => {
    $('exerciseLinkOut').select();
    try { await navigator.clipboard.writeText($('exerciseLinkOut').value); announce(words().copied); } catch (e) { /* selected for the user to copy */ }
  });
}

/** Shows the exercise in the language on show (after a language switch too). */
export function showExercise() {
  showStudent();
  showMaker();
}
