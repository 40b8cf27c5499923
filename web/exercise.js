// Exercises on the page, without the page: the link of an exercise and of a submission and
// back, the words of targets and verdicts in both languages, and the scale of the target band
// plot. The core reads, checks and judges exercises (agv_exercise, agv_exercise_check); here
// only its answers are put in words and its numbers scaled.
import { TYPE_NAMES, sig } from './texts.js';

/** The fields of a scenario text a student may be given, in the core's order. */
export const TEXT_FIELDS = ['rear-wheels', 'front-wheel', 'drift', 'wheelbase-tread', 'slip', 'seed', 'curve',
  'fn', 'zeta', 'controller', 'lookahead', 'stanley-gain', 'lqr-weights', 'mirror'];

/** The figures a target may judge, in the core's order; stable takes no limit. */
export const FIGURES = ['peak-dd', 'rms-dd', 'steady-dd', 'settling', 'correction', 'stable'];
const UNITS = { 'peak-dd': 'm', 'rms-dd': 'm', 'steady-dd': 'm', settling: 's', correction: 'rad', stable: '' };
export const unitOf = (figure) => UNITS[figure];

export const EXERCISE_WORDS = {
  ja: {
    figures: { 'peak-dd': 'FBCありの最大 |dd|', 'rms-dd': 'FBCありの dd の二乗平均平方根', 'steady-dd': 'FBCありの定常オフセット |dd|',
               settling: 'FBCありの dd の整定時間', correction: '∫|補正量| dt', stable: '刻み 4 ms で安定（経路を外れない）' },
    fields: { 'rear-wheels': '後車輪半径誤差', 'front-wheel': '前車輪半径誤差', drift: 'ステアリングドリフト角',
              'wheelbase-tread': 'WheelBase,Tread誤差', slip: 'ランダム滑り', seed: '乱数の種', curve: '経路曲線と定数',
              fn: 'fn', zeta: 'ζ', controller: '制御則', lookahead: '前方注視距離 Ld', 'stanley-gain': 'Stanleyゲイン k',
              'lqr-weights': 'LQRの重み', mirror: '鏡映' },
    type: (k) => `タイプ${k} ${TYPE_NAMES[k - 1]}`,
    pass: '合格', fail: '不合格',
    stable: '安定', leftPath: (t) => `${t} 秒で経路を外れた`,
    summary: (met, all, pass) => `課題の判定：${all} 個の目標のうち ${met} 個を達成，${pass ? '合格' : '不合格'}`,
  },
  en: {
    figures: { 'peak-dd': 'largest |dd| with feedback', 'rms-dd': 'RMS dd with feedback', 'steady-dd': '|steady offset| of dd with feedback',
               settling: 'settling time of dd with feedback', correction: '∫|correction| dt', stable: 'stable at the 4 ms step (stays on the path)' },
    fields: { 'rear-wheels': 'rear wheel radius error', 'front-wheel': 'front wheel radius error', drift: 'steering angle drift',
              'wheelbase-tread': 'WheelBase and Tread error', slip: 'random slip', seed: 'random seed', curve: 'path curve and constants',
              fn: 'fn', zeta: 'ζ', controller: 'feedback law', lookahead: 'look-ahead distance Ld', 'stanley-gain': 'Stanley gain k',
              'lqr-weights': 'LQR weights', mirror: 'mirror' },
    type: (k) => `type ${k} ${TYPE_NAMES[k - 1]}`,
    pass: 'PASS', fail: 'FAIL',
    stable: 'stable', leftPath: (t) => `left the path at ${t} s`,
    summary: (met, all, pass) => `Exercise verdict: ${met} of ${all} targets met, ${pass ? 'PASS' : 'FAIL'}`,
  },
};

// A value in a query: URL-encoded but for '=', ',' and ':' (allowed there and easier to
// read), spaces as '+', as the page's own links write a scenario text.
function queryValue(text) {
  return encodeURIComponent(text).replace(/%3D/g, '=').replace(/%2C/g, ',').replace(/%3A/g, ':').replace(/%20/g, '+');
}

/**
 * The link of an exercise: {text (the core's), ja, en (the task; may be empty)} and, for a
 * submission, the student's scenario text and the verdict claimed (shown only as a claim).
 */
export function exerciseLink(pathname, exercise, answer = null, claim = null) {
  const parts = [`x=${queryValue(exercise.text)}`];
  if (exercise.ja) parts.push(`xja=${queryValue(exercise.ja)}`);
  if (exercise.en) parts.push(`xen=${queryValue(exercise.en)}`);
  if (answer !== null) parts.push(`s=${queryValue(answer)}`);
  if (claim !== null) parts.push(`claim=${claim ? 'pass' : 'fail'}`);
  return `${pathname}?${parts.join('&')}`;
}

/** An address's exercise: {text, ja, en, answer (null: none), claim (null, true, false)}, or null. */
export function exerciseOfQuery(q) {
  if (!q.has('x')) return null;
  const claim = q.get('claim');
  return { text: q.get('x'), ja: q.get('xja') || '', en: q.get('xen') || '', answer: q.has('s') ? q.get('s') : null,
           claim: claim === 'pass' ? true : claim === 'fail' ? false : null };
}

/** The task in the language on show, else in the other one. */
export function taskText(exercise, lang) {
  return exercise[lang] || exercise[lang === 'ja' ? 'en' : 'ja'] || '';
}

/** A target of the core ({figure, type, comparison, limit, unit}) in words. */
export function targetWords(target, lang) {
  const w = EXERCISE_WORDS[lang];
  const bound = target.figure === 'stable' ? '' : ` ${target.comparison === '<=' ? '≤' : '≥'} ${target.limit} ${target.unit}`;
  return `${w.type(target.type)}: ${w.figures[target.figure]}${bound}`;
}

/** A target's verdict of the core ({target, pass, measured, diverged, divergedTime}): the measured value and PASS or FAIL in words. */
export function verdictWords(v, lang) {
  const w = EXERCISE_WORDS[lang];
  let measured;
  if (v.diverged) measured = w.leftPath(sig(v.divergedTime));
  else if (v.target.figure === 'stable') measured = w.stable;
  else measured = v.measured === null ? '∞' : `${sig(v.measured)} ${v.target.unit}`;
  return { measured, mark: v.pass ? w.pass : w.fail };
}

/** The verdict of a whole check in one sentence. */
export function verdictSummary(check, lang) {
  const met = check.targets.filter((v) => v.pass).length;
  return EXERCISE_WORDS[lang].summary(met, check.targets.length, check.pass);
}

/** A teacher's target row ({figure, type, comparison, value}) as the exercise text writes it. */
export function targetTextOf(row) {
  const head = `${row.figure}:${row.type}`;
  return row.figure === 'stable' ? head : `${head}${row.comparison}${String(row.value).trim()}`;
}

/** An exercise text from the fixed conditions' scenario text, the free fields and the target rows. */
export function exerciseTextOf(conditions, free, rows) {
  const fields = [conditions.trim()];
  if (free.length) fields.push(`free=${TEXT_FIELDS.filter((f) => free.includes(f)).join(',')}`);
  for (const row of rows) fields.push(`target=${targetTextOf(row)}`);
  return fields.filter(Boolean).join(' ');
}

/** The type the band plot shows: that of the first target on dd, else of the first target. */
export function plottedType(targets) {
  const onDd = targets.find((t) => t.unit === 'm');
  return (onDd || targets[0]).type;
}

/**
 * The band plot's vertical scale for type k: half its height [m] and the band [m] of the first
 * target on dd of that type (null: none). The half height is twice the band, so that the band
 * fills half the plot, or 2 cm without one: a centimetre stays visible whatever dd reaches.
 */
export function bandScale(targets, type) {
  const onDd = targets.find((t) => t.type === type && t.unit === 'm');
  const band = onDd ? onDd.limit : null;
  return { band, half: band ? 2 * band : 0.02 };
}
