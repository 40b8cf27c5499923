// The agvsim page: the console dialogue's three sections as a form, the computation and the
// picture from the WebAssembly module, the window keys, animation, downloads and links.
// Nothing is computed here: checks, numbers and the picture's primitives come from C++.
'use strict';

const ERRORS = [
  { ja: '0: 誤差なし', en: '0: no error', values: [] },
  { ja: '1: 後車輪半径誤差比率(左右)', en: '1: rear wheel radius error (left, right)',
    values: [{ ja: '左 RearWheelerr (%)', en: 'left (%)', def: 0 },
             { ja: '右 RearWheelerr (%)', en: 'right (%)', def: 0 }] },
  { ja: '2: 前車輪半径誤差比率', en: '2: front wheel radius error',
    values: [{ ja: 'FrontWheelerr (%)', en: 'FrontWheelerr (%)', def: 0 }] },
  { ja: '3: ステアリングドリフト角', en: '3: steering angle drift',
    values: [{ ja: 'φerror (deg)', en: 'φerror (deg)', def: 0 }] },
  { ja: '4: WheelBase,Tread誤差比率', en: '4: WheelBase and Tread error',
    values: [{ ja: 'WBerr (%)', en: 'WBerr (%)', def: 0 }, { ja: 'TRerr (%)', en: 'TRerr (%)', def: 0 }] },
  { ja: '5: 駆動車輪ランダム滑りの速度誤差比率', en: '5: random slip of the drive wheel',
    values: [{ ja: 'SLIP (%)', en: 'SLIP (%)', def: 5 }] },
];

// Curves of the dialogue's menu with their constants in its order and start-up values.
const CURVES = [
  { I: 1, ja: '余弦関数 y=A*(1-cos(2πx/L))', en: 'cosine y=A*(1-cos(2πx/L))', names: ['A', 'L', 'n'], defs: [0.5, 2, 1] },
  { I: 2, ja: 'サイクロイド関数 y=A*(x-L/2π*sin(2πx/L))', en: 'cycloid y=A*(x-L/2π*sin(2πx/L))', names: ['A', 'L'], defs: [2, 2] },
  { I: 3, ja: '2次関数 y=A*(x/L)^2', en: 'quadratic y=A*(x/L)^2', names: ['A', 'L'], defs: [2, 2] },
  { I: 4, ja: '3次関数 y=A*(x/L)^3', en: 'cubic y=A*(x/L)^3', names: ['A', 'L'], defs: [1, 2] },
  { I: 11, ja: '楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2)', en: 'ellipse r=AB/sqrt((Acosβ)^2+(Bsinβ)^2)', names: ['A', 'B'], defs: [2, 1] },
  { I: 12, ja: 'アルキメデス螺旋 r=A*(β/2π)', en: 'Archimedean spiral r=A*(β/2π)', names: ['A', 'n'], defs: [1, 2] },
  { I: 13, ja: 'カーディオイド r=A*(B-cosβ)', en: 'cardioid r=A*(B-cosβ)', names: ['A'], defs: [1] },
  { I: 14, ja: '正葉線 r=A*sin(nβ)', en: 'rose r=A*sin(nβ)', names: ['A', 'n'], defs: [1, 2] },
  { I: 15, ja: '円弧 r=R', en: 'circle arc r=R', names: ['R', 'n'], defs: [1, 2] },
  { I: 16, ja: '波打ち円 r=R+A*cos(nβ) (R=2[m])', en: 'wavy circle r=R+A*cos(nβ) (R=2 m)', names: ['A', 'n'], defs: [0.3, 5] },
];

const UI = {
  ja: {
    title: '移動ロボット(AGV)の機構誤差による軌道誤差とフィードバック制御', language: '言語',
    secError: '(1) 軌道誤差設定 [e]', errorNumber: '誤差の種類（１種だけ選択，他は誤差=０）',
    secPath: '(2) CP経路曲線 [c]', curve: '曲線', secFeedback: '(3) FB系の固有振動数と減衰比 [f]',
    compute: '計算', share: 'この条件のリンク', csv: 'CSV保存', png: 'PNG保存', report: '設定した条件',
    play: '再生', pause: '停止', notNumber: '数値を入力　設定し直し', computing: '只今計算中．．．',
    keyHelp: "'1' '2' '3': AGVのタイプ選択　's': 運動継続　'0': 運動初期に戻す　'x' 'X' 'y' 'Y': ロボット図の左右上下移動　'w' 'W': ロボット図の縮小拡大　'c' 'e' 'f': 経路・AGV誤差・FBゲインの変更へ",
  },
  en: {
    title: 'AGV mechanism errors, trajectory errors and feedback control', language: 'Language',
    secError: '(1) Mechanism error [e]', errorNumber: 'Error (choose one; the others are zero)',
    secPath: '(2) Path curve [c]', curve: 'Curve', secFeedback: '(3) Feedback natural frequency and damping ratio [f]',
    compute: 'Compute', share: 'Link to these conditions', csv: 'Save CSV', png: 'Save PNG', report: 'Conditions',
    play: 'Play', pause: 'Pause', notNumber: 'enter a number', computing: 'computing ...',
    keyHelp: "'1' '2' '3': vehicle type   's': advance   '0': back to the start   'x' 'X' 'y' 'Y': move the view   'w' 'W': zoom out/in   'c' 'e' 'f': change the path, errors or gains",
  },
};

// English for the console's texts (messages and condition report), longest phrases first.
const PHRASES = [
  ['数値を入力', 'enter a number'],
  [' 0-5のどれかを選択(0:誤差なし) Error Number=', 'choose one of 0-5 (0: no error)'],
  ['計算が発散した（誤差またはFBゲインが大き過ぎる）', 'the computation diverged (error or gains too large)'],
  ['=smax限界を超えている．経路設定し直し', ' = smax, over the limit: set the path again'],
  ['経路長長過ぎる．経路設定し直し', 'path too long: set the path again'],
  ['では後車輪間(WheelBase)が0になる', 'makes the WheelBase zero'],
  ['では前後車輪間(Tread)が0になる', 'makes the Tread zero'],
  ['の定数では経路にならない', ': these constants make no path'],
  ['ではゲインを設計できない', 'leaves no gain design'],
  ['ではゲインが求まらない', 'gives no usable gains'],
  ['では経路にならない', 'makes no path'],
  ['経路長過ぎる．', 'path too long. '],
  ['経路番号', 'path '], ['経路長', 'length '],
  ['設定し直し', ': set it again'], ['やり直し', ': try again'],
  ['設定したAGVの経路生成条件', 'Conditions of the AGV path run'],
  ['タイプ', ' type'], ['走行速度', 'travel speed'], ['＝一定', ' constant'],
  ['駆動輪速度', 'drive wheel speed'], ['通常は一定，κ急変化部では下げる', 'normally constant, lowered where κ changes fast'],
  ['ステアリング速度最大', 'max steering speed'], ['AGV機構誤差', 'AGV mechanism error'],
  ['誤差なし', 'no error'], ['後車輪  左右の車輪半径誤差比率', 'rear wheels, left/right radius error ratio'],
  ['前車輪  ST車輪半径誤差比率', 'front steering wheel radius error ratio'],
  ['ステアリング角のドリフト誤差', 'steering angle drift'],
  ['ホイールベース誤差比率', 'WheelBase error ratio'], ['トレッド誤差比率', 'Tread error ratio'],
  ['駆動輪滑り率', 'drive wheel slip'], ['CP運動（経路既知）', 'CP motion (known path)'],
  ['余弦関数', 'cosine'], ['サイクロイド関数', 'cycloid'], ['サイクロイド', 'cycloid'],
  ['2次関数', 'quadratic'], ['3次関数', 'cubic'], ['楕円', 'ellipse'],
  ['アルキメデス螺旋', 'Archimedean spiral'], ['カーディオイド', 'cardioid'], ['正葉線', 'rose'],
  ['波打ち円', 'wavy circle'], ['円弧', 'circle arc'], ['巻数', 'turns '], ['波数', 'waves '],
  ['FBC系の固有振動数・減衰比', 'FBC natural frequency, damping ratio'], ['ゲイン', 'gains'],
  ['　', ' '], ['，', ', '], ['．', '. '],
];

let lang = 'ja';
let mod = null;
let computed = false;
let lastReport = '';
let playTimer = null;
const $ = (id) => document.getElementById(id);
const canvas = $('canvas');
const g = canvas.getContext('2d');

function tr(text) {
  if (lang === 'ja' || !text) return text;
  let out = text;
  for (const [ja, en] of PHRASES) out = out.split(ja).join(en);
  return out;
}

// ---- form -------------------------------------------------------------------------------

function numberField(id, label, value) {
  const div = document.createElement('div');
  div.className = 'field';
  div.innerHTML = `<label><span></span> <input id="${id}" inputmode="decimal"></label> <span class="message" id="msg-${id}"></span>`;
  div.querySelector('span').textContent = label;
  div.querySelector('input').value = value;
  return div;
}

function buildErrorValues(values) {
  const box = $('errorValues');
  const entry = ERRORS[Number($('errorNumber').value)];
  box.replaceChildren(...entry.values.map((v, k) =>
    numberField(`ev${k}`, v[lang], values && values[k] !== undefined ? values[k] : v.def)));
}

function buildCurveParams(values) {
  const box = $('curveParams');
  const entry = curveSpec(Number($('curve').value));
  box.replaceChildren(...entry.names.map((name, k) =>
    numberField(`cp${k}`, name, values && values[k] !== undefined ? values[k] : entry.defs[k])));
}

function curveSpec(I) { return CURVES.find((c) => c.I === I) || CURVES[0]; }

function fillSelects() {
  const e = $('errorNumber').value, c = $('curve').value;
  $('errorNumber').replaceChildren(...ERRORS.map((entry, k) => new Option(entry[lang], String(k))));
  $('curve').replaceChildren(...CURVES.map((entry) => new Option(`I=${entry.I}: ${entry[lang]}`, String(entry.I))));
  if (e !== '') $('errorNumber').value = e;
  if (c !== '') $('curve').value = c;
}

function fieldValues(prefix) {
  return [...document.querySelectorAll(`input[id^="${prefix}"]`)].map((i) => i.value);
}

// The conditions as text, as they stand in the form and in a link.
function formState() {
  return { e: $('errorNumber').value, ev: fieldValues('ev'), c: $('curve').value,
           cp: fieldValues('cp'), fn: $('fn').value, z: $('zeta').value };
}

function clearMessages() {
  document.querySelectorAll('.message').forEach((m) => { m.textContent = ''; m.dataset.ja = ''; });
  document.querySelectorAll('input.refused').forEach((i) => i.classList.remove('refused'));
}

function showMessage(targetId, text, inputId) {
  const m = $(`msg-${targetId}`) || $('msg-all');
  m.dataset.ja = text;
  m.textContent = tr(text);
  if (inputId && $(inputId)) $(inputId).classList.add('refused');
}

function parseNumber(text) {
  const t = String(text).trim();
  if (!/^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$/.test(t)) return NaN;
  return Number(t);
}

// Numbers of the form, or null after a message next to each field that is not a number.
function readNumbers(state) {
  const ids = [...state.ev.map((_, k) => `ev${k}`), ...state.cp.map((_, k) => `cp${k}`), 'fn', 'zeta'];
  const texts = [...state.ev, ...state.cp, state.fn, state.z];
  const values = texts.map(parseNumber);
  let ok = true;
  values.forEach((v, k) => {
    if (!Number.isFinite(v)) { showMessage(ids[k], UI.ja.notNumber, ids[k]); ok = false; }
  });
  if (!ok) return null;
  const nev = state.ev.length;
  const ev = values.slice(0, nev), cp = values.slice(nev, values.length - 2);
  return { e: Number(state.e), ev: [ev[0] || 0, ev[1] || 0], c: Number(state.c),
           cp: [cp[0] || 0, cp[1] || 0, cp[2] || 0], fn: values[values.length - 2], z: values[values.length - 1] };
}

function args(n) {
  return [n.e, n.ev[0], n.ev[1], n.c, n.cp[0], n.cp[1], n.cp[2], n.fn, n.z];
}
const NUMBER_ARGS = ['number', 'number', 'number', 'number', 'number', 'number', 'number', 'number', 'number'];

// Places the dialogue's message next to the field it is about.
function placeRefusal(reply) {
  const msg = reply.message;
  if (reply.section === 'error') {
    const k = msg.startsWith('TRerr') ? 1 : 0;
    showMessage($(`ev${k}`) ? `ev${k}` : 'error', msg, `ev${k}`);
  } else if (reply.section === 'curve') {
    const names = curveSpec(Number($('curve').value)).names;
    const k = names.findIndex((n) => msg.startsWith(`${n}=`));
    if (k >= 0) showMessage(`cp${k}`, msg, `cp${k}`); else showMessage('curve', msg);
  } else if (reply.section === 'feedback') {
    const id = msg.startsWith('ζ') ? 'zeta' : 'fn';
    showMessage(id, msg, id);
  } else {
    showMessage('all', msg);
  }
}

// Checks the form as the dialogue would, without computing; true when it passes.
function check() {
  clearMessages();
  const n = readNumbers(formState());
  if (!n) return null;
  const reply = JSON.parse(mod.ccall('agv_check', 'string', NUMBER_ARGS, args(n)));
  if (!reply.ok) { placeRefusal(reply); return null; }
  return n;
}

function compute() {
  const n = check();
  if (!n) return false;
  stopPlay();
  const reply = JSON.parse(mod.ccall('agv_run', 'string', NUMBER_ARGS, args(n)));
  if (reply.report) { lastReport = reply.report; $('report').textContent = tr(lastReport); }
  if (!reply.ok) {
    placeRefusal(reply);
    // A computation that ran out of records or diverged leaves nothing to show.
    computed = state().computed;
    if (!computed) { g.fillStyle = '#fff'; g.fillRect(0, 0, 800, 800); syncSlider(); }
    return false;
  }
  computed = true;
  history.replaceState(null, '', shareLink());
  $('share').href = shareLink();
  redraw();
  return true;
}

// ---- links ------------------------------------------------------------------------------

function shareLink() {
  const s = formState();
  const q = new URLSearchParams();
  q.set('e', s.e);
  if (s.ev.length) q.set('ev', s.ev.join(','));
  q.set('c', s.c);
  q.set('cp', s.cp.join(','));
  q.set('fn', s.fn);
  q.set('z', s.z);
  if (lang !== 'ja') q.set('lang', lang);
  return `${location.pathname}?${q}`;
}

// Fills the form from a link; values that are missing keep the start-up ones, values that
// are wrong stay in their fields and get the refusal when computed.
function applyLink() {
  const q = new URLSearchParams(location.search);
  if (q.get('lang') === 'en') { lang = 'en'; $('lang').value = 'en'; }
  fillSelects();
  const split = (v) => (v === null ? undefined : v.split(','));
  let badChoice = null;
  if (q.has('e')) {
    if (ERRORS[Number(q.get('e'))] && /^[0-5]$/.test(q.get('e'))) $('errorNumber').value = q.get('e');
    else badChoice = ['error', ' 0-5のどれかを選択(0:誤差なし) Error Number='];
  }
  if (q.has('c')) {
    if (CURVES.some((c) => String(c.I) === q.get('c'))) $('curve').value = q.get('c');
    else badChoice = ['curve', `I=${q.get('c')}  やり直し`];
  }
  buildErrorValues(split(q.get('ev')));
  buildCurveParams(split(q.get('cp')));
  if (q.has('fn')) $('fn').value = q.get('fn');
  if (q.has('z')) $('zeta').value = q.get('z');
  return badChoice;
}

// A link may also name the view, as agvsim-batch's picture options do:
// v=type,record,zoom,shiftX,shiftY (record -1: the last).
function showLinkedView(v) {
  if (v === null) return;
  const n = v.split(',').map((x) => parseInt(x, 10));
  if (n.length !== 5 || n.some((x) => !Number.isInteger(x) || Math.abs(x) > 10000)) return;
  mod.ccall('agv_set_view', null, NUMBER_ARGS.slice(0, 5), n);
  redraw();
}

// ---- picture ----------------------------------------------------------------------------

// Advance widths of Helvetica (1/1000 em) for ' ' to '~': text is held to the width GLUT's
// bitmap Helvetica gives it, whatever sans-serif font the browser has.
const HELVETICA = [278, 278, 355, 556, 556, 889, 667, 222, 333, 333, 389, 584, 278, 333, 278, 278,
  556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667,
  722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667, 611, 722,
  667, 944, 667, 667, 611, 278, 278, 278, 469, 556, 222, 556, 556, 500, 556, 556, 278, 556, 556,
  222, 222, 500, 222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334,
  260, 334, 584];
function helveticaWidth(text, size) {
  let w = 0;
  for (const ch of text) w += HELVETICA[ch.charCodeAt(0) - 32] || 556;
  return (w * size) / 1000;
}

const OP_CLEAR = 1, OP_LINES = 2, OP_SHAPE = 3, OP_TEXT = 4;
const px = (x) => (x + 1) * 400;
const py = (y) => (1 - y) * 400;
const rgb = (r, gg, b) => `rgb(${Math.round(r * 255)},${Math.round(gg * 255)},${Math.round(b * 255)})`;

// Segments that continue one another are drawn as one polyline, and points closer than
// MIN_STEP_PX to the last one drawn are passed over (a plot holds up to 14 records per
// pixel): the same picture at a fraction of the canvas's stroking work.
const MIN_STEP_PX = 1;
function strokeSegments(a, start, n) {
  let lastX = NaN, lastY = NaN;  // last point drawn
  let endX = NaN, endY = NaN;    // end of the previous segment, in window units
  let pending = false, pendX = 0, pendY = 0;
  for (let k = 0, p = start; k + 1 < n; k += 2, p += 4) {
    const qx = px(a[p + 2]), qy = py(a[p + 3]);
    if (a[p] !== endX || a[p + 1] !== endY) {
      if (pending) g.lineTo(pendX, pendY);
      pending = false;
      lastX = px(a[p]);
      lastY = py(a[p + 1]);
      g.moveTo(lastX, lastY);
    }
    endX = a[p + 2];
    endY = a[p + 3];
    if (Math.abs(qx - lastX) < MIN_STEP_PX && Math.abs(qy - lastY) < MIN_STEP_PX) {
      pending = true;
      pendX = qx;
      pendY = qy;
    } else {
      g.lineTo(qx, qy);
      lastX = qx;
      lastY = qy;
      pending = false;
    }
  }
  if (pending) g.lineTo(pendX, pendY);
}

function redraw() {
  const count = mod.ccall('agv_draw', 'number', [], []);
  const ptr = mod.ccall('agv_picture_numbers', 'number', [], []);
  const a = new Float64Array(mod.HEAPF64.buffer, ptr, count);
  const texts = mod.ccall('agv_picture_texts', 'string', [], []).split('\n');
  g.save();
  g.lineCap = 'butt';
  g.lineJoin = 'bevel';
  let i = 0;
  while (i < count) {
    const op = a[i];
    if (op === OP_CLEAR) {
      g.fillStyle = '#fff';
      g.fillRect(0, 0, 800, 800);
      i += 1;
    } else if (op === OP_LINES) {
      const n = a[i + 5];
      g.lineWidth = a[i + 1];
      g.strokeStyle = rgb(a[i + 2], a[i + 3], a[i + 4]);
      g.beginPath();
      strokeSegments(a, i + 6, n);
      g.stroke();
      i += 6 + 2 * n;
    } else if (op === OP_SHAPE) {
      const mode = a[i + 1], n = a[i + 6];
      const color = rgb(a[i + 3], a[i + 4], a[i + 5]);
      g.beginPath();
      for (let k = 0, p = i + 7; k < n; k += 1, p += 2) {
        if (k === 0) g.moveTo(px(a[p]), py(a[p + 1])); else g.lineTo(px(a[p]), py(a[p + 1]));
      }
      if (mode === 0) { g.fillStyle = color; g.fill(); } else {
        if (mode === 1) g.closePath();
        g.lineWidth = a[i + 2];
        g.strokeStyle = color;
        g.stroke();
      }
      i += 7 + 2 * n;
    } else if (op === OP_TEXT) {
      // GLUT's bitmap Helvetica: the string starts at its raster position on the baseline.
      g.font = `${a[i + 3]}px Helvetica, Arial, "Liberation Sans", "DejaVu Sans", sans-serif`;
      g.fillStyle = '#000';
      g.textBaseline = 'alphabetic';
      const text = texts[a[i + 4]];
      g.fillText(text, px(a[i + 1]), py(a[i + 2]), helveticaWidth(text, a[i + 3]));
      i += 5;
    } else {
      break;
    }
  }
  g.restore();
  syncSlider();
}

function state() { return JSON.parse(mod.ccall('agv_state', 'string', [], [])); }

function syncSlider() {
  const s = state();
  $('slider').max = String(s.last);
  $('slider').value = String(s.index);
}

// ---- keys and animation -----------------------------------------------------------------

const VIEW_KEYS = '123s0xXyYwW';
const FORM_KEYS = { c: 'sec-path', e: 'sec-error', f: 'sec-feedback' };

function pressKey(key) {
  if (FORM_KEYS[key]) {
    stopPlay();
    const first = $(FORM_KEYS[key]).querySelector('select, input');
    first.focus();
    $(FORM_KEYS[key]).scrollIntoView({ block: 'nearest' });
    return;
  }
  if (!computed || !VIEW_KEYS.includes(key)) return;
  if (key !== 's') stopPlay();
  if (mod.ccall('agv_key', 'number', ['number'], [key.charCodeAt(0)]) === 1) redraw();
}

// 3 records per 0.06 s in real time, as holding 's' down does.
const PLAY_PERIOD_MS = 60;
function startPlay() {
  if (!computed || playTimer) return;
  const s = state();
  if (s.index >= s.last) mod.ccall('agv_set_index', null, ['number'], [0]);
  let due = performance.now();
  playTimer = setInterval(() => {
    const now = performance.now();
    let stepped = false;
    while (due + PLAY_PERIOD_MS <= now) {
      mod.ccall('agv_key', 'number', ['number'], ['s'.charCodeAt(0)]);
      due += PLAY_PERIOD_MS;
      stepped = true;
    }
    if (stepped) redraw();
    const t = state();
    if (t.index >= t.last) stopPlay();
  }, PLAY_PERIOD_MS / 3);
  $('play').textContent = UI[lang].pause;
}

function stopPlay() {
  if (playTimer) clearInterval(playTimer);
  playTimer = null;
  $('play').textContent = UI[lang].play;
}

// ---- language and downloads -------------------------------------------------------------

function applyLanguage() {
  document.documentElement.lang = lang;
  document.querySelectorAll('[data-i18n]').forEach((el) => { el.textContent = UI[lang][el.dataset.i18n]; });
  $('play').textContent = UI[lang][playTimer ? 'pause' : 'play'];
  const ev = fieldValues('ev'), cp = fieldValues('cp');
  fillSelects();
  buildErrorValues(ev);
  buildCurveParams(cp);
  document.querySelectorAll('.message').forEach((m) => { if (m.dataset.ja) m.textContent = tr(m.dataset.ja); });
  $('report').textContent = tr(lastReport);
  if (computed) history.replaceState(null, '', shareLink());
}

function download(name, blob) {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 1000);
}

function csvText() { return mod.ccall('agv_csv', 'string', [], []); }

// ---- start ------------------------------------------------------------------------------

async function start() {
  const started = performance.now();
  mod = await createAgvsim();
  if (mod.ccall('agv_init', 'number', [], []) !== 0) {
    showMessage('all', 'ランダム変換表が読めない');
    return;
  }
  const badChoice = applyLink();
  applyLanguage();
  $('errorNumber').addEventListener('change', () => { buildErrorValues(); check(); });
  $('curve').addEventListener('change', () => { buildCurveParams(); check(); });
  $('form').addEventListener('input', (ev) => { if (ev.target.tagName === 'INPUT') check(); });
  $('form').addEventListener('submit', (ev) => { ev.preventDefault(); compute(); });
  $('lang').addEventListener('change', () => { lang = $('lang').value; applyLanguage(); });
  $('csv').addEventListener('click', () => { if (computed) download('agvsim.csv', new Blob([csvText()], { type: 'text/csv' })); });
  $('png').addEventListener('click', () => { if (computed) canvas.toBlob((b) => download('agvsim.png', b)); });
  $('play').addEventListener('click', () => (playTimer ? stopPlay() : startPlay()));
  $('slider').addEventListener('input', () => {
    stopPlay();
    mod.ccall('agv_set_index', null, ['number'], [Number($('slider').value)]);
    redraw();
  });
  document.querySelectorAll('[data-key]').forEach((b) => b.addEventListener('click', () => pressKey(b.dataset.key)));
  document.addEventListener('keydown', (ev) => {
    if (ev.ctrlKey || ev.metaKey || ev.altKey) return;
    if (['INPUT', 'SELECT', 'TEXTAREA'].includes(document.activeElement.tagName)) return;
    if (ev.key.length === 1 && (VIEW_KEYS.includes(ev.key) || FORM_KEYS[ev.key])) {
      ev.preventDefault();
      pressKey(ev.key);
    }
  });
  if (badChoice) showMessage(badChoice[0], badChoice[1]);
  else {
    const view = new URLSearchParams(location.search).get('v');
    if (compute()) showLinkedView(view);
  }
  canvas.focus();
  window.agvsim = { csv: csvText, state, readyMs: performance.now(), startMs: started, redraw, pressKey };
  document.body.dataset.ready = 'true';
}

start();
