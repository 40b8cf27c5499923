// The picture: the core's primitive lists painted on a canvas at the screen's pixels (twice
// the desktop window's when printed), with text held to bitmap Helvetica's widths.
import { comparison, refreshCompare } from './compare.js';
import { onShow, refreshReport, summaryText } from './computation.js';
import { $ } from './dom.js';

// Advance widths of Helvetica (1/1000 em) for ' ' to '~': text is held to the width GLUT's
// bitmap Helvetica gives it, whatever sans-serif font the browser has.
const HELVETICA = [278, 278, 355, 556, 556, 889, 667, 222, 333, 333, 389, 584, 278, 333, 278, 278,
  556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667,
  722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667, 611, 722,
  667, 944, 667, 667, 611, 278, 278, 278, 469, 556, 222, 556, 556, 500, 556, 556, 278, 556, 556,
  222, 222, 500, 222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334,
  260, 334, 584];
export function helveticaWidth(text, size) {
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
function strokeSegments(g, a, start, n) {
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


const FONT = 'px Helvetica, Arial, "Liberation Sans", "DejaVu Sans", sans-serif';

// Paints a picture of the core (window units) on a 2D context whose side is 800·scale px.
export function paint(g, pic, scale) {
  const a = pic.numbers, count = a.length, texts = pic.texts;
  g.setTransform(scale, 0, 0, scale, 0, 0);
  g.lineCap = 'butt';
  g.lineJoin = 'bevel';
  g.fillStyle = '#fff';
  g.fillRect(0, 0, 800, 800);
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
      strokeSegments(g, a, i + 6, n);
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
      g.font = a[i + 3] + FONT;
      g.fillStyle = '#000';
      g.textBaseline = 'alphabetic';
      const text = texts[a[i + 4]];
      g.fillText(text, px(a[i + 1]), py(a[i + 2]), helveticaWidth(text, a[i + 3]));
      i += 5;
    } else {
      break;
    }
  }
  g.setTransform(1, 0, 0, 1, 0, 0);
}

// The canvas holds as many pixels as the screen shows of it, so the picture stays sharp; a
// handout's, twice the desktop window's.
const PRINT_SIDE = 1600;
/** The last picture ({numbers, texts, state}), whether printing, its time in this script [ms]. */
export const drawn = { picture: null, printing: false, paintMs: 0 };
export function fitCanvas() {
  const side = drawn.printing ? PRINT_SIDE : Math.max(1, Math.round($('canvas').clientWidth * (window.devicePixelRatio || 1)));
  if ($('canvas').width !== side) { $('canvas').width = side; $('canvas').height = side; }
  if (drawn.picture) paint($('canvas').getContext('2d'), drawn.picture, side / 800);
}

// The picture at the desktop window's 800 × 800 pixels (for the PNG).
export function pictureCanvas() {
  const off = document.createElement('canvas');
  off.width = off.height = 800;
  if (drawn.picture) paint(off.getContext('2d'), drawn.picture, 1);
  return off;
}

export function showPicture(pic) {
  const t0 = performance.now();
  const typeChanged = !drawn.picture || drawn.picture.state.type !== pic.state.type;
  drawn.picture = pic;
  paint($('canvas').getContext('2d'), pic, $('canvas').width / 800);
  $('slider').max = String(pic.state.last);
  $('slider').value = String(pic.state.index);
  $('slider').setAttribute('aria-valuetext', `${pic.state.index} / ${pic.state.last}`);
  if (typeChanged && onShow.run) {
    $('summary').textContent = summaryText(onShow.run);
    refreshReport();
    if (comparison.pin) refreshCompare();
  }
  drawn.paintMs = performance.now() - t0;
}
