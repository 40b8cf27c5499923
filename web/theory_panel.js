// The theory panel: the linear theory's verdict, the s-plane, the predicted response, the
// Bode plot and the root locus, and the table of predicted beside simulated figures.
import { lawEntry } from './catalogue.js';
import { onShow, twoColumns } from './computation.js';
import { $ } from './dom.js';
import { DEG, UI, language, sig } from './texts.js';

// ---- the theory panel -------------------------------------------------------------------

// The types' marks in the theory's drawings: colour, mark size, dash of the response.
// Orange, purple and brown: the picture's red, blue and green mean its three vehicles.
const TYPE_STYLE = [{ color: '#e07000', r: 9, dash: [] }, { color: '#7b2cbf', r: 6, dash: [7, 4] },
                    { color: '#8b5a2b', r: 3, dash: [2, 3] }];

/// Poles farther than this many times the largest lateral pole are drawn off-scale.
const OFF_SCALE = 3;

export const poleText = (p) => {
  const re = sig(p.re), im = Math.abs(p.im);
  return im < 1e-9 * Math.max(1, Math.abs(p.re)) ? re : `${re} ${p.im < 0 ? '\u2212' : '+'} ${sig(im)}i`;
};
const unstableTypes = (th, verdict) => th.types.filter((t) => t.verdict === verdict).map((t) => t.type);
// The run's error drives dd in some type: its predicted dd(t) is drawn; else the unit response.
const ofRunError = (th) => th.types.some((t) => t.response.ofRunError);

// A canvas sized to its box at the screen's pixel ratio; returns its context in CSS pixels.
export function theoryContext(c) {
  const ratio = window.devicePixelRatio || 1;
  const w = Math.max(1, c.clientWidth), h = Math.max(1, c.clientHeight);
  if (c.width !== Math.round(w * ratio)) { c.width = Math.round(w * ratio); c.height = Math.round(h * ratio); }
  const g = c.getContext('2d');
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  g.fillStyle = '#fff';
  g.fillRect(0, 0, w, h);
  g.font = '11px sans-serif';
  g.textAlign = 'left';
  return { g, w, h };
}

// The real and imaginary axes through the origin, the real one named at its right end.
// Leaves the labels' colour set, right-aligned.
function drawAxes(g, w, h, x, y, reName) {
  g.strokeStyle = '#555';
  g.lineWidth = 1;
  g.beginPath();
  g.moveTo(0, y(0)); g.lineTo(w, y(0)); g.moveTo(x(0), 0); g.lineTo(x(0), h);
  g.stroke();
  g.fillStyle = '#222';
  g.textAlign = 'right';
  g.fillText(reName, w - 2, y(0) - 4);
}

// The s-plane: the stable half shaded, each type's lateral poles as circles and along-path
// poles as squares, concentric where types share a pole.
export function drawSPlane(th) {
  const { g, w, h } = theoryContext($('splane'));
  const known = (p) => p.re !== null && p.im !== null;
  // Zoomed on the lateral poles; an along-path pole far beyond them is an arrow with its value.
  const lateral = th.types.flatMap((t) => t.lateralPoles).filter(known);
  const reach = OFF_SCALE * Math.max(1e-9, ...lateral.map((p) => Math.hypot(p.re, p.im)));
  const onScale = (p) => Math.hypot(p.re, p.im) <= reach;
  const poles = th.types.flatMap((t) => [...t.lateralPoles, ...t.alongPathPoles]).filter((p) => known(p) && onScale(p));
  let re0 = Math.min(0, ...poles.map((p) => p.re)), re1 = Math.max(0, ...poles.map((p) => p.re));
  const reSpan = re1 - re0 || 1;
  re0 -= 0.12 * reSpan;
  re1 += 0.12 * reSpan;
  const im1 = Math.max(0.3 * reSpan, ...poles.map((p) => Math.abs(p.im) * 1.25));
  const m = 14;
  const x = (re) => m + ((re - re0) / (re1 - re0)) * (w - 2 * m);
  const y = (im) => h / 2 - (im / im1) * (h / 2 - m);
  g.fillStyle = '#eeeeee';  // grey: green is the picture's vehicle with feedback
  g.fillRect(0, 0, x(0), h);
  drawAxes(g, w, h, x, y, 'Re');
  if (re1 > 0) g.fillText(sig(re1), w - 2, y(0) + 14);
  g.textAlign = 'left';
  g.fillText('Im', x(0) + 4, 11);
  g.fillText(sig(im1), x(0) + 4, 24);
  if (re0 < 0) g.fillText(sig(re0), 2, y(0) + 14);
  th.types.forEach((t, k) => {
    const st = TYPE_STYLE[k];
    g.strokeStyle = st.color;
    g.fillStyle = st.color;
    g.lineWidth = 2;
    const mark = (p, square) => {
      if (!known(p)) return;
      if (!onScale(p)) {
        // An arrow at the edge the pole lies beyond, with the pole's value.
        const left = p.re < 0, ax = left ? 4 : w - 4, ay = y(0) - 14 - 12 * k;
        g.beginPath();
        g.moveTo(ax, ay); g.lineTo(ax + (left ? 8 : -8), ay - 4); g.lineTo(ax + (left ? 8 : -8), ay + 4);
        g.closePath();
        g.fill();
        g.textAlign = left ? 'left' : 'right';
        g.fillText(poleText(p), ax + (left ? 12 : -12), ay + 4);
        g.textAlign = 'left';
        return;
      }
      g.beginPath();
      if (square) g.rect(x(p.re) - st.r, y(p.im) - st.r, 2 * st.r, 2 * st.r);
      else g.arc(x(p.re), y(p.im), st.r, 0, 2 * Math.PI);
      if (k === 2) g.fill(); else g.stroke();
    };
    t.lateralPoles.forEach((p) => mark(p, false));
    t.alongPathPoles.forEach((p) => mark(p, true));
  });
}

// The predicted response of each type: dd(t) of the run's error over the run, or the unit
// heading-rate disturbance's over its horizon.
function drawResponse(th) {
  const { g, w, h } = theoryContext($('response'));
  const ofRun = ofRunError(th);
  const curves = th.types.map((t) => {
    if (ofRun) return t.predictedCurve.filter(([, v]) => v !== null && Number.isFinite(v));
    if (!t.response.unit) return [];
    const n = t.response.unit.dd.length - 1;
    return t.response.unit.dd.map((v, i) => [(i * t.response.unit.horizon) / n, v]);
  });
  const all = curves.flat();
  if (!all.length) return;
  const t1 = Math.max(...all.map((p) => p[0])) || 1;
  let v0 = Math.min(0, ...all.map((p) => p[1])), v1 = Math.max(0, ...all.map((p) => p[1]));
  if (v1 - v0 === 0) { v0 -= 1e-3; v1 += 1e-3; }
  const left = 8, right = 8, top = 16, bottom = 16;
  const x = (t) => left + (t / t1) * (w - left - right);
  const y = (v) => top + ((v1 - v) / (v1 - v0)) * (h - top - bottom);
  g.strokeStyle = '#555';
  g.lineWidth = 1;
  g.beginPath();
  g.moveTo(left, y(0)); g.lineTo(w - right, y(0)); g.moveTo(left, top - 8); g.lineTo(left, h - bottom + 8);
  g.stroke();
  g.fillStyle = '#222';
  g.fillText(`${sig(v1)}`, left + 4, 11);
  g.fillText(`${sig(v0)}`, left + 4, h - 4);
  g.textAlign = 'right';
  g.fillText(`${sig(t1)} s`, w - right, y(0) - 4);
  curves.forEach((c, k) => {
    if (!c.length) return;
    g.strokeStyle = TYPE_STYLE[k].color;
    g.lineWidth = 2;
    g.setLineDash(TYPE_STYLE[k].dash);
    g.beginPath();
    c.forEach(([t, v], i) => (i ? g.lineTo(x(t), y(v)) : g.moveTo(x(t), y(v))));
    g.stroke();
  });
  g.setLineDash([]);
}

// The Bode plot of dd/u for a heading-rate disturbance: |G| (log) above, its phase below,
// ω on a log scale, the path's ω marked on a path of periodic curvature.
function drawBode(th) {
  const { g, w, h } = theoryContext($('bode'));
  const series = th.types.map((t) => t.bode);
  const omegas = series[0].omega;
  const mags = series.flatMap((b) => b.magnitude).filter((v) => v !== null && v > 0);
  if (!mags.length) return;
  const left = 34, right = 8, top = 8, gap = 14, half = (h - top - gap - 14) / 2;
  const lw0 = Math.log10(omegas[0]), lw1 = Math.log10(omegas[omegas.length - 1]);
  const x = (om) => left + ((Math.log10(om) - lw0) / (lw1 - lw0)) * (w - left - right);
  const lm0 = Math.floor(Math.log10(Math.min(...mags))), lm1 = Math.ceil(Math.log10(Math.max(...mags)));
  const yMag = (v) => top + ((lm1 - Math.log10(v)) / (lm1 - lm0 || 1)) * half;
  const yPhase = (v) => top + half + gap + ((Math.PI - v) / (2 * Math.PI)) * half;
  g.strokeStyle = '#555';
  g.lineWidth = 1;
  g.strokeRect(left, top, w - left - right, half);
  g.strokeRect(left, top + half + gap, w - left - right, half);
  g.fillStyle = '#222';
  g.textAlign = 'right';
  g.fillText(`1e${lm1}`, left - 2, top + 9);
  g.fillText(`1e${lm0}`, left - 2, top + half);
  g.fillText('180°', left - 2, top + half + gap + 9);
  g.fillText('\u2212180°', left - 2, top + 2 * half + gap);
  g.textAlign = 'left';
  g.fillText(`${sig(omegas[0])}`, left, h - 2);
  g.textAlign = 'right';
  g.fillText(`${sig(omegas[omegas.length - 1])} rad/s`, w - right, h - 2);
  series.forEach((b, k) => {
    g.strokeStyle = TYPE_STYLE[k].color;
    g.lineWidth = 2;
    g.setLineDash(TYPE_STYLE[k].dash);
    for (const [values, y] of [[b.magnitude, yMag], [b.phase, yPhase]]) {
      g.beginPath();
      let on = false;
      values.forEach((v, i) => {
        if (v === null || (y === yMag && !(v > 0))) { on = false; return; }
        on ? g.lineTo(x(omegas[i]), y(v)) : g.moveTo(x(omegas[i]), y(v));
        on = true;
      });
      g.stroke();
    }
  });
  g.setLineDash([]);
  const path = th.types.find((t) => t.periodic);
  if (path && path.periodic.omega > omegas[0] && path.periodic.omega < omegas[omegas.length - 1]) {
    g.strokeStyle = '#222';
    g.lineWidth = 1;
    g.setLineDash([3, 3]);
    g.beginPath();
    g.moveTo(x(path.periodic.omega), top); g.lineTo(x(path.periodic.omega), top + 2 * half + gap);
    g.stroke();
    g.setLineDash([]);
    g.textAlign = 'left';
    g.fillText('\u03c9 path', x(path.periodic.omega) + 3, top + half + gap - 3);
  }
}

// The root locus over fn in the plane of h·λ, where the integration step's stability
// region |R(h·λ)| ≤ 1 is a fixed shape: its boundary drawn, each type's poles as fn rises.
function drawLocus(th) {
  const { g, w, h } = theoryContext($('locus'));
  const step = th.types[0].step;
  const re0 = -3.2, re1 = 0.4, im1 = ((re1 - re0) * (h / w)) / 2;
  const x = (re) => ((re - re0) / (re1 - re0)) * w;
  const y = (im) => h / 2 - (im / im1) * (h / 2);
  // The boundary |R(z)| = 1: for each angle, the radius where |R| crosses 1 from inside.
  const growth = (re, im) => {
    let pr = 1, pi = 0, sr = 1, si = 0;
    for (const c of [1, 1 / 2, 1 / 6, 1 / 24]) {
      [pr, pi] = [pr * re - pi * im, pr * im + pi * re];
      sr += c * pr; si += c * pi;
    }
    return Math.hypot(sr, si);
  };
  g.fillStyle = '#eeeeee';
  for (let px = 0; px < w; px += 2) {
    for (let py = 0; py < h; py += 2) {
      const re = re0 + (px / w) * (re1 - re0), im = ((h / 2 - py) / (h / 2)) * im1;
      if (growth(re, im) <= 1) g.fillRect(px, py, 2, 2);
    }
  }
  drawAxes(g, w, h, x, y, 'h\u00b7Re \u03bb');
  g.textAlign = 'left';
  g.fillText(`${sig(re0)}`, 2, y(0) + 12);
  th.types.forEach((t, k) => {
    g.fillStyle = TYPE_STYLE[k].color;
    for (const point of t.locus) {
      for (const p of [...point.lateral, ...point.alongPath]) {
        if (p.re === null || p.im === null) continue;
        const px = x(step * p.re), py = y(step * p.im);
        if (px >= 0 && px <= w && py >= 0 && py <= h) g.fillRect(px - 1.5, py - 1.5, 3, 3);
      }
    }
  });
}

export function drawTheory() {
  if (!onShow.run || !onShow.run.theory || $('theory').hidden || !$('theoryPanel').open) return;
  drawSPlane(onShow.run.theory);
  if (onShow.run.theory.controller !== 'fnzeta') return;
  drawResponse(onShow.run.theory);
  drawBode(onShow.run.theory);
  drawLocus(onShow.run.theory);
}

/** Whether the panel was opened or closed at the first run. */
const panel = { opened: false };

/** The s-plane's legend: one mark per vehicle type, then what the shapes mean. */
function paintSplaneLegend(T) {
  $('splaneLegend').replaceChildren(...[1, 2, 3].map((k) => {
    const li = document.createElement('li'), mark = document.createElement('span');
    mark.textContent = k === 3 ? '\u25cf' : '\u25cb';
    mark.style.color = TYPE_STYLE[k - 1].color;
    mark.setAttribute('aria-hidden', 'true');
    li.append(mark, ` ${T.type(k)}`);
    return li;
  }), Object.assign(document.createElement('li'), { textContent: T.legendShape }));
}

export function showTheory() {
  const th = onShow.run && onShow.run.theory;
  $('theory').hidden = !th;
  if (!th) return;
  const T = UI[language.current].theory;
  // Open at the first run on screens with room beside the picture; closed on phones.
  if (!panel.opened) { panel.opened = true; $('theoryPanel').open = twoColumns(); }
  $('theoryTitle').textContent = T.title;
  const fnZeta = th.controller === 'fnzeta';
  for (const id of ['response', 'bode', 'locus']) $(id).closest('figure').hidden = !fnZeta;
  if (!fnZeta) { showLawTheory(th, T); return; }
  const bad = unstableTypes(th, 'rightHalfPlane'), stepBad = unstableTypes(th, 'integrationStep');
  const verdicts = [];
  if (bad.length) verdicts.push(T.unstable(bad));
  if (stepBad.length) {
    // The lowest limit of the types that the step fails.
    const failed = th.types.filter((t) => t.verdict === 'integrationStep');
    const limit = Math.min(...failed.map((t) => (t.stepLimitFn === null ? Infinity : t.stepLimitFn)));
    verdicts.push(T.stepUnstable(stepBad, sig(1000 * failed[0].step), Number.isFinite(limit) ? limit.toFixed(3) : '?'));
  }
  if (!verdicts.length) verdicts.push(T.stable);
  const beyond = th.types.filter((t) => t.beyondLinearRange).map((t) => t.type);
  if (beyond.length) verdicts.push(T.beyondLinear(beyond));
  $('theoryVerdict').textContent = verdicts.join(' ');
  $('theoryVerdict').classList.toggle('alarm', bad.length + stepBad.length + beyond.length > 0);
  $('splane').setAttribute('aria-label', T.splane);
  paintSplaneLegend(T);
  const list = (ps) => ps.map(poleText).join(', ');
  const sentences = (parts) => parts.join(T.stop).trim() + T.stop.trim();
  $('splaneText').textContent = sentences([T.splane, ...th.types.map((t) => T.poles(t.type, list(t.lateralPoles), list(t.alongPathPoles)))]);
  const run1 = ofRunError(th);
  $('response').setAttribute('aria-label', run1 ? T.runResponse : T.unitResponse);
  const fig = (t) => {
    const f = t.response;
    if (!t.stable) return T.diverges(t.type);
    if (run1 && !f.ofRunError) return T.notFelt(t.type);
    const num = (v, unit) => (v === null ? T.notDefined : `${sig(v)}${unit}`);
    return T.figures(t.type, { peak: num(f.peak, run1 ? ' m' : ' m/(rad/s)'), overshoot: f.overshoot === null ? T.notDefined : `${sig(100 * f.overshoot)} %${f.steady === 0 ? T.ofPeak : ''}`,
                               settling: num(f.settlingTime, ` ${T.seconds}`) });
  };
  const anyStable = th.types.some((t) => t.stable);
  $('response').hidden = !run1 && !anyStable;  // nothing to draw
  const pathOmega = th.types.find((t) => t.periodic);
  $('bodeText').textContent = sentences([T.bode, ...(pathOmega ? [T.bodePath(sig(pathOmega.periodic.omega))] : [])]);
  $('bode').setAttribute('aria-label', T.bode);
  $('locusText').textContent = sentences([T.locus(sig(1000 * th.types[0].step))]);
  $('locus').setAttribute('aria-label', T.locus(sig(1000 * th.types[0].step)));
  const periodic = th.types.filter((t) => t.periodic).map((t) => T.periodic(t.type, { omega: sig(t.periodic.omega), mean: sig(t.periodic.mean), amplitude: sig(t.periodic.amplitude) }));
  $('responseText').textContent = sentences([run1 || anyStable ? (run1 ? T.runResponse : T.unitResponse) : T.noResponse, ...th.types.map(fig), ...periodic]);
  // The table: predicted beside simulated, per type; values as the summary shows them.
  const head = document.createElement('tr');
  head.append(...[T.quantity, ...[1, 2, 3].map(T.type)].map((text) => {
    const c = document.createElement('th');
    c.scope = 'col';
    c.textContent = text;
    return c;
  }));
  const cell = (t, q) => {
    const undef = t.steady.defined ? null : T.notDefined;
    switch (q) {
      case 0: return undef || sig(t.steady.dd);
      case 1: return sig(t.simulated.finalDd);
      case 2: return undef || sig(t.steady.dth * DEG);
      case 3: return sig(t.simulated.finalDth * DEG);
      case 4: return Number.isFinite(t.predictedPeak) && t.stable ? sig(t.predictedPeak) : T.diverging;
      default: return sig(t.simulated.peakDd);
    }
  };
  $('theoryWhy').hidden = th.types.every((t) => t.steady.defined);
  $('theoryWhy').textContent = T.why;
  $('theoryCaption').textContent = T.table;
  $('theoryTable').tHead.replaceChildren(head);
  $('theoryTable').tBodies[0].replaceChildren(...T.rows.map((label, q) => {
    const tr = document.createElement('tr');
    tr.dataset.q = ['steadyDd', 'finalDd', 'steadyDth', 'finalDth', 'peakPredicted', 'peakDd'][q];
    const th0 = document.createElement('th');
    th0.scope = 'row';
    th0.textContent = label;
    tr.append(th0, ...th.types.map((t) => Object.assign(document.createElement('td'), { textContent: cell(t, q) })));
    return tr;
  }));
  drawTheory();
}

// The theory of a law other than fn/ζ: its lateral poles (the speed law's along the path),
// its verdict and its steady values beside the run's, as agvsim-batch --theory gives them.
function showLawTheory(th, T) {
  const bad = unstableTypes(th, 'rightHalfPlane');
  const verdicts = [bad.length ? T.lawUnstable(bad) : T.lawStable];
  if (th.path !== 'straight') verdicts.push(T.lawBends);
  $('theoryVerdict').textContent = verdicts.join(' ');
  $('theoryVerdict').classList.toggle('alarm', bad.length > 0);
  const name = lawEntry(th.controller)[language.current];
  $('splane').setAttribute('aria-label', T.splane);
  paintSplaneLegend(T);
  const list = (ps) => ps.map(poleText).join(', ');
  $('splaneText').textContent = [T.law(name), ...th.types.map((t) => T.poles(t.type, list(t.lateralPoles), list(t.alongPathPoles)))]
    .join(T.stop).trim() + T.stop.trim();
  const head = document.createElement('tr');
  head.append(...[T.quantity, ...[1, 2, 3].map(T.type)].map((text) => Object.assign(document.createElement('th'), { scope: 'col', textContent: text })));
  const undef = (t) => `${T.notDefined} (${T.lawWhy[t.steady.why]})`;
  const rows = [['steadyDd', T.rows[0], (t) => (t.steady.defined ? sig(t.steady.dd) : undef(t))],
                ['finalDd', T.rows[1], (t) => sig(t.simulated.finalDd)],
                ['steadyDth', T.rows[2], (t) => (t.steady.defined ? sig(t.steady.dth * DEG) : undef(t))],
                ['finalDth', T.rows[3], (t) => sig(t.simulated.finalDth * DEG)],
                ['peakDd', T.rows[5], (t) => sig(t.simulated.peakDd)]];
  $('theoryWhy').hidden = true;
  $('theoryCaption').textContent = T.law(name);
  $('theoryTable').tHead.replaceChildren(head);
  $('theoryTable').tBodies[0].replaceChildren(...rows.map(([q, label, cell]) => {
    const tr = document.createElement('tr');
    tr.dataset.q = q;
    tr.append(Object.assign(document.createElement('th'), { scope: 'row', textContent: label }),
              ...th.types.map((t) => Object.assign(document.createElement('td'), { textContent: cell(t) })));
    return tr;
  }));
  drawTheory();
}
