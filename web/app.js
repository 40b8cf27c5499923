// The agvsim page: the console dialogue's three sections as a form, the picture, the window
// keys, animation, downloads and links. The simulator runs in workers (worker.js); nothing is
// computed here: checks, numbers and the picture's primitives come from C++.
'use strict';

const ERRORS = [
  { ja: '0: 誤差なし', en: '0: no error', values: [] },
  { ja: '1: 後車輪半径誤差比率(左右)', en: '1: rear wheel radius error (left, right)',
    values: [{ ja: '左 RearWheelerr (%)', en: 'Left rear wheel radius error RearWheelerr (%)', def: 0 },
             { ja: '右 RearWheelerr (%)', en: 'Right rear wheel radius error RearWheelerr (%)', def: 0 }] },
  { ja: '2: 前車輪半径誤差比率', en: '2: front wheel radius error',
    values: [{ ja: 'FrontWheelerr (%)', en: 'Front wheel radius error FrontWheelerr (%)', def: 0 }] },
  { ja: '3: ステアリングドリフト角', en: '3: steering angle drift',
    values: [{ ja: 'φerror (deg)', en: 'Steering angle drift φerror (deg)', def: 0 }] },
  { ja: '4: WheelBase,Tread誤差比率', en: '4: WheelBase and Tread error',
    values: [{ ja: 'WBerr (%)', en: 'WheelBase error WBerr (%)', def: 0 }, { ja: 'TRerr (%)', en: 'Tread error TRerr (%)', def: 0 }] },
  { ja: '5: 駆動車輪ランダム滑りの速度誤差比率', en: '5: random slip of the drive wheel',
    values: [{ ja: 'SLIP (%)', en: 'Drive wheel slip SLIP (%)', def: 5 }] },
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
  { I: 21, ja: '角の丸い正方形 (一辺L, 角の半径r)', en: 'square with rounded corners (side L, corner radius r)', names: ['L', 'r'], defs: [4, 0.5] },
];

// The feedback laws a scenario can choose (the core's names) and the fields of each law's
// parameters: the form's id, the scenario text's field, their labels. The values by default
// are the core's (read at start).
const LAWS = [
  { name: 'fnzeta', ja: 'fn・ζ で設計した則（既定）', en: 'law designed from fn and ζ (default)', params: [] },
  { name: 'pure-pursuit', ja: 'Pure pursuit（前方注視点への円弧）', en: 'pure pursuit (arc to a look-ahead point)',
    params: [{ id: 'lookahead', ja: '前方注視距離 Ld [m]', en: 'Look-ahead distance Ld [m]' }] },
  { name: 'stanley', ja: 'Stanley（向き誤差＋前輪の横ずれ）', en: 'Stanley (heading error plus front-wheel offset)',
    params: [{ id: 'stanleyGain', ja: 'Stanleyゲイン k [1/s]', en: 'Stanley gain k [1/s]' }] },
  { name: 'lqr', ja: 'LQR（リッカチ方程式の状態フィードバック）', en: 'LQR (state feedback from the Riccati equation)',
    params: [{ id: 'lqr0', ja: '横ずれの重み Qd [1/m²]', en: 'Offset weight Qd [1/m²]' },
             { id: 'lqr1', ja: '向き誤差の重み Qθ [1/rad²]', en: 'Heading error weight Qθ [1/rad²]' },
             { id: 'lqr2', ja: '操舵角誤差の重み Qφ [1/rad²]（タイプ1：∫dd dt）', en: 'Steering angle error weight Qφ [1/rad²] (type 1: ∫dd dt)' },
             { id: 'lqr3', ja: '補正量の重み R [s²/rad²]', en: 'Correction weight R [s²/rad²]' }] },
];
const lawEntry = (name) => LAWS.find((l) => l.name === name) || LAWS[0];

// Every text of the page in both languages. Messages of the core keep their own words: the
// console's Japanese line, and the English reason the core gives beside it.
const UI = {
  ja: {
    title: '移動ロボット(AGV)の機構誤差による軌道誤差とフィードバック制御', language: '言語',
    secError: '(1) 軌道誤差設定 [e]', errorNumber: '誤差の種類',
    moreErrors: '同時に加える誤差', seed: '乱数の種 seed', seedEmpty: '空欄：既定', mirror: 'x軸に対して鏡映（時計回り）',
    notSeed: '0以上の整数を入力（空欄：既定の乱数列）　設定し直し',
    unread: (field) => `条件 ${field} を読めない　設定し直し`,
    secPath: '(2) CP経路曲線 [c]', curve: '曲線', secFeedback: '(3) FB系の固有振動数と減衰比・制御則 [f]', controller: '制御則（横方向）',
    done: '計算完了',
    labTitle: 'オドメトリ校正実習（正方形経路ベンチマーク）',
    labIntro: 'タイプ1 (2DW1C) のFBCなしの車両が角の丸い正方形を反時計回りと時計回りに n 回ずつ走り，理想の車両との終点のずれから車輪径の比 Ed と WheelBase の比 Eb を推定する．推定値で車輪速度と旋回を補正してもう一度走らせると，ずれの集まりが縮む．',
    labTruth: '隠れた真の誤差（タイプ1 2DW1C）', labRear0: '左後車輪半径誤差 (%)', labRear1: '右後車輪半径誤差 (%)',
    labWb: 'WheelBase誤差 (%)', labSlip: 'ランダム滑り (%)（空欄：なし）', labSeed: '滑りの乱数の種（空欄：1）',
    labSurprise: 'おまかせ（誤差を隠す）', labReveal: '真の誤差を見る',
    labHiddenNote: (seed) => `真の誤差は隠してある（おまかせの種 ${seed}）．推定してから「真の誤差を見る」で確かめる．`,
    labBench: 'ベンチマーク', labL: '一辺 L [m]', labR: '角の半径 r [m]', labRuns: '片方向の走行回数 n',
    labRun: 'ベンチマークを走らせる', labApply: '補正を適用して再走行', labTable: '推定値と終点のずれ',
    labBusy: 'ベンチマーク走行中．．．', labDone: 'ベンチマーク完了：Ed と Eb を推定した', labApplied: '補正して再走行した：ずれの集まりが縮む',
    labNotNumber: '数値を入力　設定し直し', labNotRuns: '1以上の整数を入力　設定し直し',
    labRows: { ed: 'Ed = D_R/D_L', eb: 'Eb = WheelBase 実際/公称', emax: 'E_max,syst [mm]', spread: '最大のばらつき [mm]',
               cl: '左車輪速度の補正 c_L', cr: '右車輪速度の補正 c_R' },
    labCols: ['量', '真値', '推定', '補正前', '補正後'],
    labLegend: ['● 反時計回り（補正前）', '● 時計回り（補正前）', '○ 反時計回り（補正後）', '○ 時計回り（補正後）', '◎ 重心'],
    labCaption: (b, a) => `終点のずれ（x, y [mm]）．E_max,syst：補正前 ${b} mm${a === null ? '' : `，補正後 ${a} mm（下の図：補正後だけを拡大）`}．`,
    labAfter: '補正後の終点のずれ（拡大）', lawLine: (law, p) => `(4-3) 制御則 ${law}${p ? `  ${p}` : ''}`,
    compute: '計算', cancel: '計算を中止', share: 'この計算のリンク', csv: 'CSV保存', png: 'PNG保存',
    pin: 'この計算を固定して比べる', unpin: '固定を外す', pinnedRun: '固定した計算', currentRun: '今回の計算',
    sameConditions: '同じ条件', pinRefused: (m) => `固定した計算：${m}`,
    compareCaption: (k) => `固定した計算と今回の計算（タイプ${k} ${TYPE_NAMES[k - 1]}）`,
    compareCols: ['量', '固定', '今回', '差（今回−固定）'],
    compareRows: { finalDdNoFbc: '終点 dd FBCなし [m]', finalDthNoFbc: '終点 dth FBCなし [°]', finalDdFbc: '終点 dd FBCあり [m]',
                   finalDthFbc: '終点 dth FBCあり [°]', peakDdNoFbc: '最大 |dd| FBCなし [m]', peakDthNoFbc: '最大 |dth| FBCなし [°]',
                   peakDdFbc: '最大 |dd| FBCあり [m]', peakDthFbc: '最大 |dth| FBCあり [°]',
                   settlingTime: 'dd の2%整定時間 FBCあり 予測 [秒]', endTime: '終了時刻 [秒]' },
    noFigure: '—',
    report: '設定した条件', summary: '計算結果の要約', play: '再生', pause: '停止',
    notNumber: '数値を入力　設定し直し', computing: '只今計算中．．．', cancelled: '計算を中止した．前の計算を表示している',
    slider: '記録番号（運動の時刻）', picture: 'AGVの軌道と誤差の図', keysLabel: '図の操作',
    stale: '入力した条件はまだ計算していない．図は前回計算した条件のもの（「計算」で更新）',
    keptPicture: '図は前回計算した結果のまま',
    failedLoad: 'シミュレータを読み込めない（ページを再読み込み）',
    keyHelp: "キー: '1' '2' '3' AGVのタイプ選択　's' 運動継続　'0' 運動初期に戻す　'x' 'X' 'y' 'Y' 図の左右上下移動　'w' 'W' 図の縮小拡大　't' 理論予測の表示切替　'c' 'e' 'f' 経路・AGV誤差・FBゲインの変更へ",
    keys: { 1: 'タイプ1 (2DW1C)', 2: 'タイプ2 (1FDW1FS)', 3: 'タイプ3 (1RDW1FS)', s: '運動を進める', 0: '運動初期に戻す',
            x: '図を左へ', X: '図を右へ', y: '図を下へ', Y: '図を上へ', w: '縮小', W: '拡大', t: '理論予測の表示切替' },
    helpTitle: '図の見方',
    help: [
      ['赤', '理論上のAGV：経路を誤差なく走る基準'],
      ['青', '機構誤差があり，フィードバック制御(FBC)なしのAGV'],
      ['緑', '同じ誤差で，FBCありのAGV'],
      ['dd', '経路からの横ずれ（位置の誤差）[m]'],
      ['dth', '向きの誤差 [rad]'],
      ['FBC', 'フィードバック制御：dd と dth を測って操舵・車輪速度を直す．fn と ζ がその速さと減衰を決める'],
      ['2DW1C', 'タイプ1：左右2輪駆動＋キャスタ1輪．左右の車輪速度差で曲がる'],
      ['1FDW1FS', 'タイプ2：前1輪が駆動かつ操舵，後2輪は従動'],
      ['1RDW1FS', 'タイプ3：後輪駆動，前1輪で操舵'],
    ],
    advice: { error: '誤差の値を変えて計算し直す', curve: '経路の定数を変えて計算し直す',
              feedback: 'fn・ζを変えて計算し直す', all: '誤差を小さくするか fn を変えて計算し直す' },
    theory: {
      title: '理論予測（線形理論）', table: '定常値と最大値：理論予測と計算結果（FBCあり）',
      type: (k) => `タイプ${k} ${TYPE_NAMES[k - 1]}`, quantity: '量',
      stable: '設計は安定：3タイプとも全ての極の実部が負（網掛けの左半平面）',
      unstable: (ks) => `設計は不安定：タイプ${ks.join('，')}に実部が正の極がある．誤差は時間とともに拡大する（fn・ζを正にして計算し直す）`,
      stepUnstable: (ks, ms, fn) => `設計は計算の刻み ${ms} ms では不安定：タイプ${ks.join('，')}で fn が ${fn} Hz を超える．極は減衰するが，速い極が刻みの安定領域を出て計算上の誤差が拡大する（fn を小さくして計算し直す）`,
      ofPeak: '（0 に戻る応答：最大値に対する割合）',
      periodic: (k, p) => `タイプ${k}：経路の曲率の周期（ω = ${p.omega} rad/s）で dd は ${p.mean} m を中心に振幅 ${p.amplitude} m で振れる（予測）`,
      bode: 'ボード線図：向きの変化率への外乱 u から dd への応答 G(jω) の大きさ（上，対数 [m/(rad/s)]）と位相（下）．横軸 ω [rad/s]（対数）',
      bodePath: (om) => `点線：経路の曲率の角周波数 ω = ${om} rad/s`,
      locus: (ms) => `根軌跡：fn を 0.1 Hz から 10 Hz まで上げたときの各タイプの極（h·λ 平面，刻み h = ${ms} ms）．網掛け：計算の刻みで安定な領域．極がその外に出る fn から計算上の誤差が拡大する`,
      beyondLinear: (ks) => `タイプ${ks.join('，')}では予測される操舵角・操舵角速度・補正量が上限に達する：線形理論の予測は成り立たない（誤差を小さくするか fn を下げて計算し直す）`,
      splane: 's平面の極．網掛け：安定領域 Re s < 0', lateral: '横方向ループの極（dd, dth）', along: '経路方向ループの極（ds）',
      legendShape: '○ 横方向ループの極，□ 経路方向ループの極．大きい印ほど小さい番号のタイプ',
      poles: (k, lat, al) => `タイプ${k}：横方向 ${lat}；経路方向 ${al} [1/s]`,
      runResponse: '今回の誤差に対する FBCありの dd(t) の予測 [m]．横軸 時間 [s]',
      unitResponse: '今回の誤差では dd は 0 のまま．代わりに向きの変化率への単位外乱に対する dd(t) [m/(rad/s)]．横軸 時間 [s]',
      noResponse: '不安定な設計では dd は収束しない（応答は描かない）',
      figures: (k, f) => `タイプ${k}：最大 |dd| ${f.peak}，行き過ぎ ${f.overshoot}，2%整定時間 ${f.settling}`,
      diverges: (k) => `タイプ${k}：不安定（dd は発散する）`,
      notFelt: (k) => `タイプ${k}：今回の誤差では dd は 0 のまま`,
      rows: ['定常 dd 予測 [m]', '終点 dd 計算 [m]', '定常 dth 予測 [°]', '終点 dth 計算 [°]', '最大 |dd| 予測 [m]', '最大 |dd| 計算 [m]'],
      notDefined: '定義されない', diverging: '発散', seconds: '秒', stop: '．',
      why: '「定義されない」：曲率が変わる経路，ランダム滑り，不安定な設計では定常値はない',
      law: (name) => `${name} の線形理論（直線経路で線形化）：横方向の極と定常値`,
      lawStable: '制御則は安定：3タイプとも横方向の全ての極の実部が負',
      lawUnstable: (ks) => `制御則は不安定：タイプ${ks.join('，')}の横方向に実部が正の極がある（制御則のパラメータを変えて計算し直す）`,
      lawBends: '経路が曲がる：直線経路として線形化した予測',
      lawWhy: { unstable: '不安定', slip: 'ランダム滑り', bends: '経路が曲がる' },
    },
  },
  en: {
    title: 'AGV mechanism errors, trajectory errors and feedback control', language: 'Language',
    secError: '(1) Mechanism error [e]', errorNumber: 'Error',
    moreErrors: 'Further errors at the same time', seed: 'Slip seed', seedEmpty: 'empty: default',
    mirror: 'Mirror about the x axis (clockwise)',
    notSeed: 'Enter a whole number from 0, or leave it empty.',
    unread: (field, reason) => `In the conditions, ${reason}. Change it and compute again.`,
    secPath: '(2) Path curve [c]', curve: 'Curve', secFeedback: '(3) Feedback natural frequency, damping ratio and law [f]', controller: 'Feedback law (across the path)',
    done: 'Computation finished.',
    labTitle: 'Odometry calibration lab (square-path benchmark)',
    labIntro: 'The type 1 (2DW1C) vehicle without feedback drives a square with rounded corners n times counter-clockwise and n times clockwise; where it stops against the ideal vehicle gives two clusters, from which the wheel diameter ratio Ed and the WheelBase ratio Eb are estimated. Run again with the wheel speeds and the turn corrected by the estimates, and the clusters shrink.',
    labTruth: 'Hidden true errors (type 1 2DW1C)', labRear0: 'Left rear wheel radius error (%)', labRear1: 'Right rear wheel radius error (%)',
    labWb: 'WheelBase error (%)', labSlip: 'Random slip (%) (empty: none)', labSeed: 'Seed of the slip (empty: 1)',
    labSurprise: 'Surprise me (hide the errors)', labReveal: 'Reveal the true errors',
    labHiddenNote: (seed) => `The true errors are hidden (surprise seed ${seed}). Estimate them, then reveal them to check.`,
    labBench: 'Benchmark', labL: 'Side L [m]', labR: 'Corner radius r [m]', labRuns: 'Runs each way n',
    labRun: 'Run the benchmark', labApply: 'Apply the correction and run again', labTable: 'Estimates and return errors',
    labBusy: 'Running the benchmark ...', labDone: 'Benchmark finished: Ed and Eb estimated.', labApplied: 'Corrected and run again: the clusters shrink.',
    labNotNumber: 'Not a number: enter a number.', labNotRuns: 'Enter a whole number from 1.',
    labRows: { ed: 'Ed = D_R/D_L', eb: 'Eb = WheelBase actual/nominal', emax: 'E_max,syst [mm]', spread: 'Largest spread [mm]',
               cl: 'Left wheel speed factor c_L', cr: 'Right wheel speed factor c_R' },
    labCols: ['Quantity', 'True', 'Estimated', 'Before', 'After'],
    labLegend: ['● counter-clockwise (before)', '● clockwise (before)', '○ counter-clockwise (after)', '○ clockwise (after)', '◎ centroid'],
    labCaption: (b, a) => `Return position errors (x, y [mm]). E_max,syst: ${b} mm before${a === null ? '' : `, ${a} mm after the correction (below: after it alone, enlarged)`}.`,
    labAfter: 'Return position errors after the correction, enlarged', lawLine: (law, p) => `(4-3) feedback law: ${law}${p ? `, ${p}` : ''}`,
    compute: 'Compute', cancel: 'Cancel computation', share: 'Link to this run', csv: 'Save CSV', png: 'Save PNG',
    pin: 'Pin this run to compare', unpin: 'Unpin', pinnedRun: 'pinned', currentRun: 'current',
    sameConditions: 'the same conditions', pinRefused: (m) => `Pinned run: ${m}`,
    compareCaption: (k) => `Pinned and current run (type ${k} ${TYPE_NAMES[k - 1]})`,
    compareCols: ['Quantity', 'Pinned', 'Current', 'Difference (current \u2212 pinned)'],
    compareRows: { finalDdNoFbc: 'Final dd without FBC [m]', finalDthNoFbc: 'Final dth without FBC [°]', finalDdFbc: 'Final dd with FBC [m]',
                   finalDthFbc: 'Final dth with FBC [°]', peakDdNoFbc: 'Largest |dd| without FBC [m]', peakDthNoFbc: 'Largest |dth| without FBC [°]',
                   peakDdFbc: 'Largest |dd| with FBC [m]', peakDthFbc: 'Largest |dth| with FBC [°]',
                   settlingTime: '2 % settling time of dd with FBC, predicted [s]', endTime: 'End time [s]' },
    noFigure: '\u2014',
    report: 'Conditions', summary: 'Summary of the run', play: 'Play', pause: 'Pause',
    notNumber: 'Not a number: enter a number.', computing: 'Computing ...', cancelled: 'Computation cancelled; the previous run is on show.',
    slider: 'Record (time of the motion)', picture: 'Picture of the AGV trajectories and errors', keysLabel: 'Picture controls',
    stale: 'The form has conditions that are not computed yet; the picture shows the last computed run (Compute updates it).',
    keptPicture: 'The picture still shows the last computed run.',
    failedLoad: 'The simulator could not be loaded (reload the page).',
    keyHelp: "Keys: '1' '2' '3' vehicle type   's' advance   '0' back to the start   'x' 'X' 'y' 'Y' move the picture   'w' 'W' zoom out/in   't' theory on/off   'c' 'e' 'f' change the path, errors or gains",
    keys: { 1: 'Type 1 (2DW1C)', 2: 'Type 2 (1FDW1FS)', 3: 'Type 3 (1RDW1FS)', s: 'Advance the motion', 0: 'Back to the start',
            x: 'Move picture left', X: 'Move picture right', y: 'Move picture down', Y: 'Move picture up', w: 'Zoom out', W: 'Zoom in',
            t: 'Show or hide the theory\u2019s prediction' },
    helpTitle: 'What the picture shows',
    help: [
      ['red', 'the ideal AGV: follows the path without error (the reference)'],
      ['blue', 'the AGV with the mechanism error and without feedback control (FBC)'],
      ['green', 'the AGV with the same error and with FBC'],
      ['dd', 'sideways distance from the path (position error) [m]'],
      ['dth', 'heading error [rad]'],
      ['FBC', 'feedback control: measures dd and dth and corrects steering and wheel speeds; fn and ζ set how fast and how damped'],
      ['2DW1C', 'type 1: two driven wheels left and right and one caster; turns by the wheels\u2019 speed difference'],
      ['1FDW1FS', 'type 2: one front wheel drives and steers; two free rear wheels'],
      ['1RDW1FS', 'type 3: rear-wheel drive, one steered front wheel'],
    ],
    advice: { error: 'Change the error values and compute again.', curve: 'Change the path\u2019s constants and compute again.',
              feedback: 'Change fn or ζ and compute again.', all: 'Make the error smaller or change fn, and compute again.' },
    theory: {
      title: 'Theory (linear prediction)', table: 'Steady and largest errors: predicted and simulated (with FBC)',
      type: (k) => `Type ${k} ${TYPE_NAMES[k - 1]}`, quantity: 'Quantity',
      stable: 'The design is stable: every pole of the three types has a negative real part (the shaded left half-plane).',
      unstable: (ks) => `The design is unstable: type ${ks.join(', ')} ${ks.length > 1 ? 'have' : 'has'} a pole with a positive real part, so the errors grow with time (make fn and ζ positive and compute again).`,
      stepUnstable: (ks, ms, fn) => `The design is unstable at the ${ms} ms integration step: fn above ${fn} Hz for type ${ks.join(', ')}. The poles decay, but the fastest leaves the step\u2019s stability region and the computed errors grow (make fn smaller and compute again).`,
      ofPeak: ' of the peak (the response returns to 0)',
      periodic: (k, p) => `Type ${k}: with the path\u2019s curvature (ω = ${p.omega} rad/s) dd swings by ${p.amplitude} m about ${p.mean} m (predicted)`,
      bode: 'Bode plot of dd/u for a heading-rate disturbance u: |G(jω)| above (log scale, m per rad/s), its phase below; ω [rad/s] across on a log scale',
      bodePath: (om) => `dotted: the path\u2019s curvature frequency ω = ${om} rad/s`,
      locus: (ms) => `Root locus: each type\u2019s poles as fn rises from 0.1 Hz to 10 Hz, in the plane of h·λ with the integration step h = ${ms} ms; shaded: where the step holds a pole. From the fn at which a pole leaves it, the computed errors grow`,
      beyondLinear: (ks) => `Beyond the linear range for type ${ks.join(', ')}: the predicted steering angle, steering rate or a correction reaches the limit the model applies, so the prediction no longer describes the run (make the error smaller or fn lower and compute again).`,
      splane: 'Poles in the s-plane; shaded: the stable region Re s < 0', lateral: 'lateral loop poles (dd, dth)', along: 'along-path loop poles (ds)',
      legendShape: '○ lateral loop poles, □ along-path loop poles; the larger the mark, the lower the type number',
      poles: (k, lat, al) => `Type ${k}: lateral ${lat}; along-path ${al} [1/s]`,
      runResponse: 'Predicted dd(t) with FBC after this run\u2019s error [m]; time [s] across',
      unitResponse: 'This run\u2019s error leaves dd at 0; shown instead: dd(t) after a unit heading-rate disturbance [m per rad/s]; time [s] across',
      noResponse: 'An unstable design does not settle: no response is drawn',
      figures: (k, f) => `Type ${k}: largest |dd| ${f.peak}, overshoot ${f.overshoot}, 2 % settling time ${f.settling}`,
      diverges: (k) => `Type ${k}: unstable (dd grows without bound)`,
      notFelt: (k) => `Type ${k}: this run\u2019s error leaves dd at 0`,
      rows: ['Steady dd, predicted [m]', 'Final dd, simulated [m]', 'Steady dth, predicted [°]', 'Final dth, simulated [°]', 'Largest |dd|, predicted [m]', 'Largest |dd|, simulated [m]'],
      notDefined: 'not defined', diverging: 'diverges', seconds: 's', stop: '. ',
      why: '\u201cNot defined\u201d: there is no steady value on a path of varying curvature, for the random slip, or for an unstable design.',
      law: (name) => `Linear theory of the ${name} law (linearised on a straight path): lateral poles and steady values`,
      lawStable: 'The law is stable: every lateral pole of the three types has a negative real part.',
      lawUnstable: (ks) => `The law is unstable: type ${ks.join(', ')} ${ks.length > 1 ? 'have' : 'has'} a lateral pole with a positive real part (change the law\u2019s parameters and compute again).`,
      lawBends: 'The path bends: the prediction linearises it as a straight path.',
      lawWhy: { unstable: 'unstable', slip: 'random slip', bends: 'the path bends' },
    },
  },
};
const TYPE_NAMES = ['2DW1C', '1FDW1FS', '1RDW1FS'];

let lang = 'ja';
const $ = (id) => document.getElementById(id);
const canvas = $('canvas');

// ---- numbers and messages ---------------------------------------------------------------

// A number for reading: no more than 6 significant digits, exponent form when large.
function readable(v, digits = 4) {
  if (!Number.isFinite(v)) return String(v);
  if (v !== 0 && (Math.abs(v) >= 1e6 || Math.abs(v) < 1e-4)) return Number(v.toPrecision(4)).toExponential();
  return v.toFixed(digits);
}

// The console's line for the page: internal function names left out, and numbers of more
// than ten digits (a constant of 1e308 prints 309 of them) shortened.
function pageLine(text) {
  return text.replace(/\b[a-z_]\w*\(\)\s*/g, '')
    .replace(/-?\d{11,}(\.\d+)?/g, (m) => String(Number(Number(m).toPrecision(6))))
    .replace(/^\s+/, '');
}

// A message is kept as {ja, en, section} and shown in the language chosen; it survives a
// switch of language.
function messageOf(reply) {
  // A sentence: capitalised unless it starts with a symbol's name ("fn = 0 gives ...").
  const r = reply.reason || '';
  const en = r ? (/^[a-z]+ (?!=)/.test(r) ? r[0].toUpperCase() + r.slice(1) : r) + '.' : '';
  const advice = (l) => UI[l].advice[reply.section] || '';  // the Japanese line says it
  return { ja: pageLine(reply.message), en: `${en} ${advice('en')}`.trim() };
}

function messageText(m) { return lang === 'ja' ? m.ja : m.en; }

const shownMessages = new Map();  // element id -> message
function clearMessages() {
  // A message's field may have been rebuilt away since (another error, curve or law chosen).
  for (const id of shownMessages.keys()) if ($(id)) $(id).textContent = '';
  shownMessages.clear();
  document.querySelectorAll('[aria-invalid="true"]').forEach((i) => i.removeAttribute('aria-invalid'));
}

function showMessage(targetId, m, inputId) {
  const id = $(`msg-${targetId}`) ? `msg-${targetId}` : 'msg-all';
  shownMessages.set(id, m);
  $(id).textContent = messageText(m);
  const input = inputId && $(inputId);
  if (input) input.setAttribute('aria-invalid', 'true');
  announce(messageText(m));
}

// Said to screen readers at once: a refusal next to its field, a finished computation.
function announce(text) {
  $('announce').textContent = '';
  requestAnimationFrame(() => { $('announce').textContent = text; });
}

function showStatus(key) {
  $('status').dataset.key = key || '';
  $('status').textContent = key ? UI[lang][key] : '';
  $('status').classList.toggle('busy', key === 'computing');
}

// ---- form -------------------------------------------------------------------------------

function numberField(id, label, value) {
  const div = document.createElement('div');
  div.className = 'field';
  div.innerHTML = `<label for="${id}"></label><input id="${id}" inputmode="decimal" autocomplete="off" aria-describedby="msg-${id}"><span class="message" id="msg-${id}"></span>`;
  div.querySelector('label').textContent = label;
  div.querySelector('input').value = value;
  return div;
}

function curveEntry(I) { return CURVES.find((c) => c.I === I) || CURVES[0]; }

function buildErrorValues(values) {
  const entry = ERRORS[Number($('errorNumber').value)] || ERRORS[0];
  $('errorValues').replaceChildren(...entry.values.map((v, k) =>
    numberField(`ev${k}`, v[lang], values && values[k] !== undefined ? values[k] : v.def)));
}

// The errors given besides the one chosen above, each with its values: {number: [values]}.
function moreValues() {
  const out = {};
  for (let n = 1; n < ERRORS.length; n += 1) {
    const box = $(`with${n}`);
    if (box && box.checked) out[n] = fieldValues(`x${n}v`);
  }
  return out;
}

// A checkbox per error to give it together with the one chosen above (that one's is hidden).
function buildMoreErrors(given = moreValues()) {
  const chosen = $('errorNumber').value;
  $('moreList').replaceChildren(...ERRORS.slice(1).map((entry, i) => {
    const n = i + 1;
    const row = document.createElement('div');
    row.hidden = String(n) === chosen;
    const head = document.createElement('div');
    head.className = 'check';
    head.innerHTML = `<input type="checkbox" id="with${n}"><label for="with${n}"></label>`;
    head.querySelector('label').textContent = entry[lang];
    const box = head.querySelector('input');
    box.checked = n in given;
    row.append(head);
    if (box.checked) {
      row.append(...entry.values.map((v, k) =>
        numberField(`x${n}v${k}`, v[lang], given[n][k] !== undefined ? given[n][k] : v.def)));
    }
    return row;
  }));
}

function buildCurveParams(values) {
  const entry = curveEntry(Number($('curve').value));
  $('curveParams').replaceChildren(...entry.names.map((name, k) =>
    numberField(`cp${k}`, name, values && values[k] !== undefined ? values[k] : entry.defs[k])));
}

function fillSelects() {
  const e = $('errorNumber').value, c = $('curve').value, law = $('controller').value;
  $('errorNumber').replaceChildren(...ERRORS.map((entry, k) => new Option(entry[lang], String(k))));
  $('curve').replaceChildren(...CURVES.map((entry) => new Option(`I=${entry.I}: ${entry[lang]}`, String(entry.I))));
  $('controller').replaceChildren(...LAWS.map((entry) => new Option(entry[lang], entry.name)));
  if (e !== '') $('errorNumber').value = e;
  if (c !== '') $('curve').value = c;
  $('controller').value = law || 'fnzeta';
}

// Text typed with a Japanese input method in full-width forms (１．５, －２) read as the
// ASCII characters they stand for.
function halfWidth(text) {
  return String(text).replace(/[\uff01-\uff5e]/g, (ch) => String.fromCharCode(ch.charCodeAt(0) - 0xfee0))
    .replace(/\u3000/g, ' ').replace(/\u2212/g, '-');
}

function fieldValues(prefix) {
  return [...document.querySelectorAll(`input[id^="${prefix}"]`)].map((i) => halfWidth(i.value));
}

// Every law's parameters as last typed (the hidden laws' too), each as text by field id.
const lawValues = {};
function keepLawValues() {
  for (const input of $('lawParams').querySelectorAll('input')) lawValues[input.id] = input.value;
}

// The fields of the chosen law's parameters only.
function buildLawParams() {
  keepLawValues();
  $('lawParams').replaceChildren(...lawEntry($('controller').value).params.map((p) =>
    numberField(p.id, p[lang], lawValues[p.id] !== undefined ? lawValues[p.id] : '')));
}

// Every law's parameters from a scenario as the core reads it (its defaults where not given).
function setLawValues(f) {
  lawValues.lookahead = f.lookahead;
  lawValues.stanleyGain = f.stanleyGain;
  f.lqrWeights.forEach((v, k) => { lawValues[`lqr${k}`] = v; });
}

// The conditions as text, as they stand in the form.
function formState() {
  const e = $('errorNumber').value;
  const more = Object.entries(moreValues()).filter(([n]) => n !== e).map(([n, v]) => [Number(n), v]);
  const law = $('controller').value || 'fnzeta';
  return { e, ev: fieldValues('ev'), more, c: $('curve').value, cp: fieldValues('cp'),
           fn: halfWidth($('fn').value), z: halfWidth($('zeta').value), seed: halfWidth($('seed').value).trim(), mirror: $('mirror').checked,
           law, lp: lawEntry(law).params.map((p) => ($(p.id) ? halfWidth($(p.id).value) : '')) };
}

// The scenario text's fields of a law's parameters.
const LAW_FIELDS = { 'pure-pursuit': 'lookahead', stanley: 'stanley-gain', lqr: 'lqr-weights' };

// The names of the errors 1 to 5 in a scenario text.
const ERROR_FIELDS = ['', 'rear-wheels', 'front-wheel', 'drift', 'wheelbase-tread', 'slip'];
// The form's conditions as a scenario text, for the core to read (it writes the canonical
// one). The fields hold numbers (readNumbers) and the seed digits, so no space gets in.
function scenarioTextOf(state) {
  const t = (x) => String(x).trim().replace(/^\+/, '');
  const fields = [];
  const errors = Number(state.e) > 0 ? [[Number(state.e), state.ev], ...state.more] : state.more;
  for (const [n, values] of errors) fields.push(`${ERROR_FIELDS[n]}=${values.map(t).join(',')}`);
  fields.push(`curve=${state.c}:${state.cp.map(t).join(',')}`, `fn=${t(state.fn)}`, `zeta=${t(state.z)}`);
  if (state.seed !== '') fields.push(`seed=${state.seed}`);
  if (state.mirror) fields.push('mirror');
  if (state.law !== 'fnzeta') fields.push(`controller=${state.law}`, `${LAW_FIELDS[state.law]}=${state.lp.map(t).join(',')}`);
  return fields.join(' ');
}

function parseNumber(text) {
  const t = String(text).trim();
  if (!/^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$/.test(t)) return NaN;
  return Number(t);
}

// Numbers of the form, or null after a message next to each field that is not a number.
function readNumbers(state) {
  const errors = Number(state.e) > 0 ? [[Number(state.e), state.ev, 'ev'], ...state.more.map(([n, v]) => [n, v, `x${n}v`])]
    : state.more.map(([n, v]) => [n, v, `x${n}v`]);
  const lawIds = lawEntry(state.law).params.map((p) => p.id);
  const ids = [...errors.flatMap(([, v, id]) => v.map((_, k) => `${id}${k}`)), ...state.cp.map((_, k) => `cp${k}`), ...lawIds, 'fn', 'zeta'];
  const values = [...errors.flatMap(([, v]) => v), ...state.cp, ...state.lp, state.fn, state.z].map(parseNumber);
  let ok = true;
  values.forEach((v, k) => {
    if (!Number.isFinite(v)) {
      showMessage(ids[k], { ja: UI.ja.notNumber, en: UI.en.notNumber }, ids[k]);
      ok = false;
    }
  });
  if (state.seed !== '' && !/^\d+$/.test(state.seed)) {
    showMessage('seed', { ja: UI.ja.notSeed, en: UI.en.notSeed }, 'seed');
    ok = false;
  }
  if (!ok) return null;
  let at = 0;
  const taken = (count) => { at += count; return values.slice(at - count, at); };
  return { errors: errors.map(([n, v]) => ({ e: n, values: taken(v.length) })), c: Number(state.c),
           cp: taken(state.cp.length), lp: taken(state.lp.length), fn: values[values.length - 2], z: values[values.length - 1],
           seed: state.seed, mirror: state.mirror, law: state.law };
}

// Places the core's message next to the field it is about.
// The form's place of each field of a scenario text.
const TEXT_FIELDS = { curve: 'curve', fn: 'fn', zeta: 'zeta', seed: 'seed', mirror: 'mirror' };
function placeRefusal(reply) {
  const msg = reply.message.trim(), m = messageOf(reply);
  if (reply.section === 'text') {
    // A text (a link's s=) that does not read: its field named next to the form's place.
    const target = ERROR_FIELDS.includes(reply.field) ? 'error' : TEXT_FIELDS[reply.field] || 'all';
    showMessage(target, { ja: UI.ja.unread(reply.field), en: UI.en.unread(reply.field, reply.reason) }, target);
  } else if (reply.section === 'error') {
    // The value refused: of the error chosen above or of one given besides it.
    const n = reply.errorNumber, k = n > 0 ? reply.valueIndex : (msg.startsWith('TRerr') ? 1 : 0);
    const id = n > 0 && String(n) !== $('errorNumber').value ? `x${n}v${k}` : `ev${k}`;
    showMessage($(id) ? id : 'error', m, id);
  } else if (reply.section === 'curve') {
    const names = curveEntry(Number($('curve').value)).names;
    const k = names.findIndex((n) => msg.startsWith(`${n}=`));
    if (k >= 0) showMessage(`cp${k}`, m, `cp${k}`); else showMessage('curve', m);
  } else if (reply.section === 'feedback') {
    // A law's parameter by its field; an LQR weight by its place among the four.
    const law = { lookahead: 'lookahead', 'stanley-gain': 'stanleyGain', 'lqr-weights': `lqr${reply.valueIndex}` }[reply.field];
    const id = law || (msg.startsWith('ζ') ? 'zeta' : 'fn');
    showMessage($(id) ? id : 'feedback', m, id);
  } else {
    showMessage('all', m);
  }
}

// ---- the core in workers ----------------------------------------------------------------

// One module in a worker; calls return promises, and ending the worker rejects the calls
// that wait for it.
class Core {
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

let shown = null;     // the core whose run is on show
let spare = new Core(); // a loaded core for the next computation
let running = null;   // {core} of the computation in progress
let run = null;       // what is on show: {form, numbers, report, facts, type}
let picture = null;   // the last picture: {numbers, texts, state}
let view = { zoom: 0, x: 0, y: 0 };  // presses of w, X, Y since the run was computed
let pin = null;       // the run pinned for comparison: {scenario, form, compare}

function takeSpare() {
  const core = spare || new Core();
  spare = null;
  return core;
}
// The next computation's core loads while the page has nothing else to do: after the first
// picture, so that it never delays the page's start.
function refillSpare() {
  const load = () => {
    if (spare) return;
    spare = new Core();
    if (pin) pinOn(spare).catch(() => {});
  };
  if (spare) return;
  if (document.body.dataset.ready !== 'true') { pageReady.then(refillSpare); return; }
  if (window.requestIdleCallback) window.requestIdleCallback(load, { timeout: 2000 }); else setTimeout(load, 0);
}
let signalReady;
const pageReady = new Promise((resolve) => { signalReady = resolve; });

// The core that answers checks: the one on show, or else one that is loaded.
function checker() { return shown || spare || (running && running.core); }

let checkSerial = 0;
async function check() {
  const serial = ++checkSerial;
  clearMessages();
  const n = readNumbers(formState());
  noteStale();
  if (!n) return;
  let out;
  try { out = await checker().call('check', scenarioTextOf(formState())); } catch (e) { return; }
  if (serial !== checkSerial) return;
  if (!out.reply.ok) placeRefusal(out.reply);
}

// How a computation was asked for: from the form (a new history entry, the picture brought
// into view on a phone), or from the address (the page's link, Back and Forward).
async function compute(viewArgs, fromForm = false, overlay = false) {
  checkSerial++;
  clearMessages();
  const form = formState();
  const n = readNumbers(form);
  if (!n) return false;
  cancel(false);
  stopPlay();
  const job = { core: takeSpare() };
  running = job;
  showStatus('computing');
  $('compute').setAttribute('aria-busy', 'true');
  $('cancel').hidden = false;
  let out, pinned;
  try {
    pinned = await pinOn(job.core);
    out = await job.core.call('run', scenarioTextOf(form));
    // A pin or Unpin pressed while the run computed applies to it too.
    if (out.picture && (job.core.pinning ? job.core.pinning.text : null) !== (pin ? pin.scenario : null)) {
      pinned = await pinOn(job.core);
      if (pinned && pinned.picture) out.picture = pinned.picture;
    }
    if (out.picture && viewArgs) out = Object.assign(out, await job.core.call('view', viewArgs));
    if (out.picture && overlay) out = Object.assign(out, await job.core.call('key', 't'));
  } catch (e) {
    return false;  // cancelled or superseded
  } finally {
    if (running === job) {
      running = null;
      $('cancel').hidden = true;
      $('compute').removeAttribute('aria-busy');
    }
  }
  // A pinned run that the core refuses (a link's) is dropped, with the reason.
  if (pin && pinned && !pinned.reply.ok && !pinned.reply.facts) {
    const m = messageOf(pinned.reply);
    showMessage('all', { ja: UI.ja.pinRefused(m.ja), en: UI.en.pinRefused(m.en) });
    pin = null;
    job.core.pinning = null;
  }
  const reply = out.reply;
  if (!reply.ok && !out.picture) {
    // A refusal leaves the core as it was; a run that failed after computing is dropped.
    if (reply.report) job.core.end(); else if (!spare) spare = job.core; else job.core.end();
    refillSpare();
    placeRefusal(reply);
    showStatus(run ? 'keptPicture' : '');
    return false;
  }
  if (shown) shown.end();
  shown = job.core;
  refillSpare();
  run = { form, numbers: n, scenario: reply.scenario, report: reply.report, facts: reply.facts, type: out.picture.state.type, theory: out.theory };
  view = viewArgs ? { zoom: viewArgs[2], x: viewArgs[3], y: viewArgs[4] } : { zoom: 0, x: 0, y: 0 };
  view.overlay = overlay;
  showStatus('done');
  picture = null;  // a new run: its report follows the type it shows
  showPicture(out.picture);
  showRun();
  showTheory();
  refreshCompare();
  writeAddress(Boolean(viewArgs) || overlay, fromForm);
  // A diverged run: shown up to where it left the path, with the reason (the status, a live
  // region, says that the computation finished).
  if (!reply.ok) placeRefusal(reply);
  // On a narrow screen the picture is under the form: brought into view.
  if (fromForm && !twoColumns()) canvas.scrollIntoView({ block: 'start' });
  return true;
}

// The layout of the style sheet: the form beside the picture (wide screens and tablets held
// across), else one column.
const TWO_COLUMNS = '(min-width: 760px) and (orientation: landscape), (min-width: 1100px)';
const twoColumns = () => window.matchMedia(TWO_COLUMNS).matches;

// The condition report of the type on show (the core writes it for its view's type).
let reportBusy = 0;
async function refreshReport() {
  const core = shown;
  if (!core || !run) return;
  reportBusy += 1;
  try {
    const out = await core.call('report');
    if (core === shown && out.report) { run.report = out.report; showRun(); }
  } catch (e) { /* the run was replaced */ }
  reportBusy -= 1;
}

// Ends the computation in progress; the run on show stays.
function cancel(say = true) {
  if (!running) return;
  running.core.end();
  running = null;
  $('cancel').hidden = true;
  $('compute').removeAttribute('aria-busy');
  refillSpare();
  showStatus(say ? 'cancelled' : '');
}

// ---- a pinned run -----------------------------------------------------------------------

// The pinned run in a core: computed there once per pin (the reply of its computation), or
// dropped there when nothing is pinned.
function pinOn(core) {
  if (!pin) {
    if (!core.pinning) return Promise.resolve(null);
    core.pinning = null;
    return core.call('unpin');
  }
  if (!core.pinning || core.pinning.text !== pin.scenario) core.pinning = { text: pin.scenario, reply: core.call('pin', pin.scenario) };
  return core.pinning.reply;
}

let pinBusy = 0;
// Pins the run on show, or unpins; the next computation's core gets the pin meanwhile.
async function setPin(on) {
  if (on && !run) return;
  stopPlay();
  pin = on ? { scenario: run.scenario } : null;
  const core = shown;
  pinBusy += 1;
  try {
    if (spare) pinOn(spare).catch(() => {});
    const out = await pinOn(core);
    if (core === shown && out && out.picture) showPicture(out.picture);
  } catch (e) { /* the run was replaced */ }
  pinBusy -= 1;
  showCompare();
  await refreshCompare();
  writeAddress();
  $(on ? 'unpin' : 'pin').focus();
}

// The conditions of a scenario (as the core reads it) as short tokens, to name what differs
// between two runs.
function conditionTokens(f) {
  const params = { 'pure-pursuit': [f.lookahead], stanley: [f.stanleyGain], lqr: f.lqrWeights }[f.controller];
  return [...(f.errors.length ? f.errors.map((e) => `${ERROR_FIELDS[e.n]}=${e.values.join(',')}`) : [ERRORS[0][lang]]),
          `curve=${f.curve}:${f.constants.join(',')}`, `fn=${f.fn} Hz`, `\u03b6=${f.zeta}`,
          ...(f.seed !== null ? [`seed=${f.seed}`] : []), ...(f.mirror ? ['mirror'] : []),
          `controller=${f.controller}${params ? `:${params.join(',')}` : ''}`];
}
function differing(a, b) {
  const other = new Set(conditionTokens(b));
  const own = conditionTokens(a).filter((t) => !other.has(t));
  return own.length ? own.join(', ') : UI[lang].sameConditions;
}

// The figures of both runs for the type on show, and the conditions of each.
let compareSerial = 0;
let compareBusy = 0;
async function refreshCompare() {
  const serial = ++compareSerial, core = shown, p = pin, r = run;
  if (!p || !core || !r) { showCompare(); return; }
  compareBusy += 1;
  try {
    const out = await core.call('compare');
    if (!p.form) p.form = (await core.call('scenario', p.scenario)).reply.form;
    if (!r.coreForm) r.coreForm = (await core.call('scenario', r.scenario)).reply.form;
    if (serial === compareSerial && core === shown && p === pin) p.compare = out.compare;
  } catch (e) { /* the run was replaced */ }
  compareBusy -= 1;
  showCompare();
}

// The legend of the two runs and the table of their figures (the core's numbers; angles
// shown in degrees, as the summary shows them).
function showCompare() {
  const T = UI[lang];
  $('pin').hidden = Boolean(pin);
  $('unpin').hidden = !pin;
  $('pin').disabled = !run;
  const c = pin && pin.compare;
  $('compare').hidden = !(c && c.pinned && run && run.coreForm);
  if ($('compare').hidden) return;
  const entry = (cls, label, text) => {
    const li = document.createElement('li'), mark = document.createElement('span');
    mark.className = cls;
    mark.setAttribute('aria-hidden', 'true');
    li.append(mark, `${label}: ${text}`);
    return li;
  };
  $('pinLegend').replaceChildren(entry('swatch pinned', T.pinnedRun, differing(pin.form, run.coreForm)),
                                 entry('swatch', T.currentRun, differing(run.coreForm, pin.form)));
  $('compareCaption').textContent = T.compareCaption(c.type);
  const head = document.createElement('tr');
  head.append(...T.compareCols.map((text) => Object.assign(document.createElement('th'), { scope: 'col', textContent: text })));
  $('compareTable').tHead.replaceChildren(head);
  $('compareTable').tBodies[0].replaceChildren(...c.figures.map((f) => {
    const tr = document.createElement('tr');
    tr.dataset.q = f.name;
    const unit = f.name.includes('Dth') ? DEG : 1;
    const cell = (v, signed) => {
      const td = document.createElement('td');
      td.dataset.value = v === null ? '' : String(v);
      td.textContent = v === null ? T.noFigure : `${signed && v > 0 ? '+' : ''}${sig(v * unit)}`;
      return td;
    };
    tr.append(Object.assign(document.createElement('th'), { scope: 'row', textContent: T.compareRows[f.name] }),
              cell(f.pinned, false), cell(f.current, false), cell(f.difference, true));
    return tr;
  }));
}

// ---- the run on show --------------------------------------------------------------------

function sameForm(a, b) { return JSON.stringify(a) === JSON.stringify(b); }

function noteStale() {
  $('stale').hidden = !run || sameForm(formState(), run.form);
  $('stale').textContent = UI[lang].stale;
}

function curveLine(n, l) {
  const entry = curveEntry(n.c);
  return `I=${entry.I}: ${entry[l]}, ` + entry.names.map((name, k) => `${name} = ${readable(n.cp[k], 2)}`).join(', ') +
    (n.mirror ? `, ${UI[l].mirror}` : '');
}

// Every error given, with its values (and the slip's seed).
function errorLine(n, l) {
  if (!n.errors.length) return ERRORS[0][l];
  return n.errors.map(({ e, values }) => {
    const entry = ERRORS[e];
    const seed = e === 5 && n.seed !== '' ? `, seed = ${n.seed}` : '';
    return `${entry[l]}: ${entry.values.map((v, k) => `${v[l]} = ${readable(values[k], 2)}`).join(', ')}${seed}`;
  }).join(l === 'ja' ? '；' : '; ');
}

// The condition report in English, from the run's own numbers.
function englishReport(r) {
  const f = r.facts, n = r.numbers, t = picture ? picture.state.type : r.type;
  const lines = ['Conditions of the run', `(1-1) vehicle type ${t}: ${TYPE_NAMES[t - 1]}`];
  if (t === 1) lines.push(`(1-2) travel speed Vw = ${readable(f.Vw, 2)} m/s, constant`);
  else lines.push(`(1-2) drive wheel speed Vd = ${readable(f.omega, 2)} rad/s, normally constant, lower where the curvature changes fast`,
                  `(1-3) largest steering speed ω = ${readable(f.omega, 2)} rad/s`);
  lines.push(`(2) mechanism error: ${errorLine(n, 'en')}`, `(3) CP motion (known path): ${curveLine(n, 'en')}`,
             `(4-1) feedback natural frequency fn = ${readable(n.fn, 3)} Hz, damping ratio ζ = ${readable(n.z, 3)}`);
  const names = [['Kd1', 'Kth1', 'KI1'], ['Kd2', 'Kth2', 'Kfi2'], ['Kd3', 'Kth3', 'Kfi3']][t - 1];
  lines.push(`(4-2) gains (${names.join(', ')}) = (${f.gains[t - 1].map((v) => readable(v, 4)).join(', ')})`);
  if (n.law !== 'fnzeta') lines.push(lawLine(n, 'en'));
  return lines.join('\n');
}

// The feedback law and its parameters (the fn/ζ law has none to say).
function lawLine(n, l) {
  const entry = lawEntry(n.law);
  return UI[l].lawLine(entry[l], entry.params.map((p, k) => `${p[l]} = ${sig(n.lp[k])}`).join(', '));
}

const DEG = 180 / Math.PI;
// Four significant digits: the errors with feedback are often a thousand times smaller.
const sig = (v) => (v !== 0 && Math.abs(v) < 1e-4 ? readable(v) : String(Number(v.toPrecision(4))));
function summaryText(r) {
  const k = (picture ? picture.state.type : r.type) - 1;
  const s = r.facts.types[k];
  const d = (v) => sig(v), a = (v) => sig(v * DEG);
  if (lang === 'ja') {
    return `タイプ${k + 1} ${TYPE_NAMES[k]}，経路 ${curveLine(r.numbers, 'ja')}，誤差 ${errorLine(r.numbers, 'ja')}．` +
      `終点の誤差: FBCなし dd=${d(s.final[0])} m, dth=${a(s.final[1])}°；FBCあり dd=${d(s.final[2])} m, dth=${a(s.final[3])}°．` +
      `最大の誤差: FBCなし |dd|=${d(s.peak[0])} m, |dth|=${a(s.peak[1])}°；FBCあり |dd|=${d(s.peak[2])} m, |dth|=${a(s.peak[3])}°．` +
      `記録 ${s.last + 1} 個，${readable(s.end, 2)} 秒．`;
  }
  return `Type ${k + 1} ${TYPE_NAMES[k]}, path ${curveLine(r.numbers, 'en')}, error ${errorLine(r.numbers, 'en')}. ` +
    `Errors at the end: without FBC dd = ${d(s.final[0])} m, dth = ${a(s.final[1])}°; with FBC dd = ${d(s.final[2])} m, dth = ${a(s.final[3])}°. ` +
    `Largest errors: without FBC |dd| = ${d(s.peak[0])} m, |dth| = ${a(s.peak[1])}°; with FBC |dd| = ${d(s.peak[2])} m, |dth| = ${a(s.peak[3])}°. ` +
    `${s.last + 1} records over ${readable(s.end, 2)} s.`;
}

function showRun() {
  $('csv').disabled = $('png').disabled = $('pin').disabled = !run;
  $('share').hidden = !run;
  if (!run) return;
  $('report').textContent = lang === 'ja'
    ? pageLine(run.report.trim()) + (run.numbers.law !== 'fnzeta' ? `\n${lawLine(run.numbers, 'ja')}` : '')
    : englishReport(run);
  $('summary').textContent = summaryText(run);
  noteStale();
}

// ---- the theory panel -------------------------------------------------------------------

// The types' marks in the theory's drawings: colour, mark size, dash of the response.
// Orange, purple and brown: the picture's red, blue and green mean its three vehicles.
const TYPE_STYLE = [{ color: '#e07000', r: 9, dash: [] }, { color: '#7b2cbf', r: 6, dash: [7, 4] },
                    { color: '#8b5a2b', r: 3, dash: [2, 3] }];

/// Poles farther than this many times the largest lateral pole are drawn off-scale.
const OFF_SCALE = 3;

const poleText = (p) => {
  const re = sig(p.re), im = Math.abs(p.im);
  return im < 1e-9 * Math.max(1, Math.abs(p.re)) ? re : `${re} ${p.im < 0 ? '\u2212' : '+'} ${sig(im)}i`;
};
const unstableTypes = (th, verdict) => th.types.filter((t) => t.verdict === verdict).map((t) => t.type);
// The run's error drives dd in some type: its predicted dd(t) is drawn; else the unit response.
const ofRunError = (th) => th.types.some((t) => t.response.ofRunError);

// A canvas sized to its box at the screen's pixel ratio; returns its context in CSS pixels.
function theoryContext(c) {
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

// The s-plane: the stable half shaded, each type's lateral poles as circles and along-path
// poles as squares, concentric where types share a pole.
function drawSPlane(th) {
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
  g.strokeStyle = '#555';
  g.lineWidth = 1;
  g.beginPath();
  g.moveTo(0, y(0)); g.lineTo(w, y(0)); g.moveTo(x(0), 0); g.lineTo(x(0), h);
  g.stroke();
  g.fillStyle = '#222';
  g.textAlign = 'right';
  g.fillText('Re', w - 2, y(0) - 4);
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
  g.strokeStyle = '#555';
  g.lineWidth = 1;
  g.beginPath();
  g.moveTo(0, y(0)); g.lineTo(w, y(0)); g.moveTo(x(0), 0); g.lineTo(x(0), h);
  g.stroke();
  g.fillStyle = '#222';
  g.textAlign = 'right';
  g.fillText('h\u00b7Re \u03bb', w - 2, y(0) - 4);
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

function drawTheory() {
  if (!run || !run.theory || $('theory').hidden || !$('theoryPanel').open) return;
  drawSPlane(run.theory);
  if (run.theory.controller !== 'fnzeta') return;
  drawResponse(run.theory);
  drawBode(run.theory);
  drawLocus(run.theory);
}

let theoryOpened = false;

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

function showTheory() {
  const th = run && run.theory;
  $('theory').hidden = !th;
  if (!th) return;
  const T = UI[lang].theory;
  // Open at the first run on screens with room beside the picture; closed on phones.
  if (!theoryOpened) { theoryOpened = true; $('theoryPanel').open = twoColumns(); }
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
  const name = lawEntry(th.controller)[lang];
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

// ---- address ----------------------------------------------------------------------------

// The link of the run on show: its conditions as computed, the view when it was changed,
// and the language.
function runLink(withView) {
  const q = new URLSearchParams();
  if (run && withView && picture) {
    const st = picture.state;
    q.set('v', [st.type, st.index === st.last ? -1 : st.index, view.zoom, view.x, view.y].join(','));
  }
  if (run && view.overlay) q.set('t', '1');
  if (lang !== 'ja') q.set('lang', lang);
  // The run's scenario text, URL-encoded but for '=', ',' and ':' (allowed in a query, and
  // easier to read); spaces as '+'. A pinned run's follows it.
  const encoded = (t) => encodeURIComponent(t).replace(/%3D/g, '=').replace(/%2C/g, ',')
    .replace(/%3A/g, ':').replace(/%20/g, '+');
  const text = run ? `s=${encoded(run.scenario)}` : '';
  const pinned = run && pin ? `pin=${encoded(pin.scenario)}` : '';
  return `${location.pathname}?${[text, pinned, q.toString()].filter(Boolean).join('&')}`;
}

let viewChanged = false;
let addressTimer = null;
// A computation from the form is a new entry of the history, so that Back returns to the run
// before it; views and the language change the entry on show.
let restoring = false;
function writeAddress(withView = viewChanged, push = false) {
  viewChanged = withView;
  clearTimeout(addressTimer);
  addressTimer = null;
  const link = runLink(withView);
  $('share').href = link;
  if (!run || restoring) return;
  if (push && link !== `${location.pathname}${location.search}`) history.pushState(null, '', link);
  else history.replaceState(null, '', link);
}
// Views change at every key; the address follows once they rest.
function viewMoved() {
  viewChanged = true;
  clearTimeout(addressTimer);
  addressTimer = setTimeout(() => writeAddress(true), 250);
}

// Fills the form from a scenario as the core reads it: the first error given in the choice,
// the others as further errors.
function fillForm(f) {
  const [first, ...others] = f.errors;
  $('errorNumber').value = first ? String(first.n) : '0';
  buildErrorValues(first ? first.values : undefined);
  buildMoreErrors(Object.fromEntries(others.map((e) => [e.n, e.values])));
  $('curve').value = String(f.curve);
  buildCurveParams(f.constants);
  $('fn').value = f.fn;
  $('zeta').value = f.zeta;
  $('seed').value = f.seed === null ? '' : f.seed;
  $('mirror').checked = f.mirror;
  $('controller').value = f.controller;
  $('lawParams').replaceChildren();
  setLawValues(f);
  buildLawParams();
}

// Fills the form from a link: its scenario text (s=), or the older form of one field per
// section (e, ev, c, cp, fn, z). Values that are missing keep the start-up ones, values that
// are wrong stay in their fields and get the refusal when computed. Returns what to say
// instead of computing, if anything.
async function applyLink(q) {
  if (q.get('lang') === 'en') { lang = 'en'; $('lang').value = 'en'; }
  fillSelects();
  try {
    // The laws' parameters by default, as the core has them.
    setLawValues((await checker().call('scenario', '')).reply.form);
  } catch (e) { /* the page says the simulator did not load */ }
  $('lawParams').replaceChildren();
  $('controller').value = 'fnzeta';
  buildLawParams();
  if (q.has('s')) {
    buildErrorValues();
    buildMoreErrors({});
    buildCurveParams();
    let out;
    try { out = await checker().call('scenario', q.get('s')); } catch (e) { return null; }
    if (!out.reply.ok) return () => placeRefusal(out.reply);
    fillForm(out.reply.form);
    return null;
  }
  const split = (v) => (v === null ? undefined : v.split(','));
  let badChoice = null;
  if (q.has('e')) {
    if (/^[0-5]$/.test(q.get('e'))) $('errorNumber').value = q.get('e');
    else badChoice = ['error', { ja: '0-5のどれかを選択(0:誤差なし) Error Number=', en: 'The error number must be 0 to 5. Choose one.' }];
  }
  if (q.has('c')) {
    if (CURVES.some((c) => String(c.I) === q.get('c'))) $('curve').value = q.get('c');
    else badChoice = ['curve', { ja: pageLine(`I=${q.get('c')}  やり直し`),
                                 en: `${pageLine(q.get('c'))} is not a curve number (1-4, 11-16, 21). Choose a curve.` }];
  }
  buildErrorValues(split(q.get('ev')));
  buildMoreErrors({});
  buildCurveParams(split(q.get('cp')));
  if (q.has('fn')) $('fn').value = q.get('fn');
  if (q.has('z')) $('zeta').value = q.get('z');
  return badChoice && (() => showMessage(badChoice[0], badChoice[1]));
}

// A link may also name the view, as agvsim-batch's picture options do:
// v=type,record,zoom,shiftX,shiftY (record -1: the last).
function linkedView(v) {
  if (v === null) return null;
  const n = v.split(',').map((x) => parseInt(x, 10));
  if (n.length !== 5 || n.some((x) => !Number.isInteger(x) || Math.abs(x) > 10000)) return null;
  return n;
}

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
function paint(g, pic, scale) {
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
let printing = false;
function fitCanvas() {
  const side = printing ? PRINT_SIDE : Math.max(1, Math.round(canvas.clientWidth * (window.devicePixelRatio || 1)));
  if (canvas.width !== side) { canvas.width = side; canvas.height = side; }
  if (picture) paint(canvas.getContext('2d'), picture, side / 800);
}

// The picture at the desktop window's 800 × 800 pixels (for the PNG).
function pictureCanvas() {
  const off = document.createElement('canvas');
  off.width = off.height = 800;
  if (picture) paint(off.getContext('2d'), picture, 1);
  return off;
}

let paintMs = 0;  // the last picture's time in this script (bench/web/measure.js)
function showPicture(pic) {
  const t0 = performance.now();
  const typeChanged = !picture || picture.state.type !== pic.state.type;
  picture = pic;
  paint(canvas.getContext('2d'), pic, canvas.width / 800);
  $('slider').max = String(pic.state.last);
  $('slider').value = String(pic.state.index);
  $('slider').setAttribute('aria-valuetext', `${pic.state.index} / ${pic.state.last}`);
  if (typeChanged && run) {
    $('summary').textContent = summaryText(run);
    refreshReport();
    if (pin) refreshCompare();
  }
  paintMs = performance.now() - t0;
}

// ---- keys and animation -----------------------------------------------------------------

const VIEW_KEYS = '123s0xXyYwWt';
const FORM_KEYS = { c: 'sec-path', e: 'sec-error', f: 'sec-feedback' };
const VIEW_COUNT = { w: ['zoom', 1], W: ['zoom', -1], X: ['x', 1], x: ['x', -1], Y: ['y', 1], y: ['y', -1] };

// View requests go one at a time; keys pressed meanwhile wait and are sent together in order.
let viewQueue = [];
let viewBusy = false;
async function viewRequest(op, a) {
  viewQueue.push([op, a]);
  if (viewBusy) return;
  viewBusy = true;
  while (viewQueue.length && shown) {
    const [o, x] = viewQueue.shift();
    const core = shown;
    try {
      const out = await core.call(o, x);
      if (core === shown && out.picture) showPicture(out.picture);
    } catch (e) { /* the run was replaced */ }
  }
  viewQueue = [];
  viewBusy = false;
}

function pressKey(key) {
  if (FORM_KEYS[key]) {
    stopPlay();
    const first = $(FORM_KEYS[key]).querySelector('select, input');
    first.focus();
    $(FORM_KEYS[key]).scrollIntoView({ block: 'nearest' });
    return;
  }
  if (!shown || !VIEW_KEYS.includes(key)) return;
  if (key !== 's') stopPlay();
  if (VIEW_COUNT[key]) view[VIEW_COUNT[key][0]] += VIEW_COUNT[key][1];
  if (key === 't') view.overlay = !view.overlay;
  viewRequest('key', key);
  viewMoved();
}

// 3 records per 0.06 s in real time, as holding 's' down does; one picture per frame.
const PLAY_PERIOD_MS = 60;
let playing = null;
function startPlay() {
  if (!shown || playing || !picture) return;
  const job = { due: performance.now(), inFlight: false };
  playing = job;
  if (picture.state.index >= picture.state.last) viewRequest('index', 0);
  const frame = async (now) => {
    if (playing !== job) return;
    if (!job.inFlight && !viewBusy) {
      const steps = Math.floor((now - job.due) / PLAY_PERIOD_MS);
      if (steps > 0) {
        job.due += steps * PLAY_PERIOD_MS;
        job.inFlight = true;
        const core = shown;
        try {
          const out = await core.call('step', steps);
          if (playing === job && core === shown) showPicture(out.picture);
        } catch (e) { /* replaced */ }
        job.inFlight = false;
        if (picture.state.index >= picture.state.last) { stopPlay(); return; }
      }
    }
    requestAnimationFrame(frame);
  };
  requestAnimationFrame(frame);
  $('play').textContent = UI[lang].pause;
}

function stopPlay() {
  if (!playing) return;
  playing = null;
  $('play').textContent = UI[lang].play;
  viewMoved();
}

// ---- language and downloads -------------------------------------------------------------

function applyLanguage() {
  const t = UI[lang];
  document.documentElement.lang = lang;
  $('announce').textContent = '';  // said in the other language already
  document.querySelectorAll('[data-i18n]').forEach((el) => { el.textContent = t[el.dataset.i18n]; });
  $('play').textContent = t[playing ? 'pause' : 'play'];
  // A key button's name says what it does and keeps its key, which is what it shows.
  document.querySelectorAll('[data-key]').forEach((b) => {
    b.setAttribute('aria-label', `${b.dataset.key}: ${t.keys[b.dataset.key]}`);
    b.title = t.keys[b.dataset.key];
  });
  canvas.setAttribute('aria-label', t.picture);
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
  noteStale();
  writeAddress();
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

// A file's name is the run's scenario text made safe for file systems: spaces become '_'
// and ':' '@' (no scenario text has either); '=', ',', '.', '+' and '-' stay. The picture adds
// its view: agvsim_drift=2_curve=16@0.5,5_type=1_record=0.png; every default: agvsim.csv.
function fileName(ext) {
  const text = run.scenario.replace(/ /g, '_').replace(/:/g, '@').replace(/[^0-9A-Za-z=,.+@_-]/g, '_');
  const extra = picture && ext === 'png' ? `_type=${picture.state.type}_record=${picture.state.index}` : '';
  return `agvsim${text ? `_${text}` : ''}${extra}.${ext}`;
}

async function csvText() {
  if (!shown) return '';
  return (await shown.call('csv')).csv;
}

// ---- the calibration lab ----------------------------------------------------------------

// The lab's benchmark runs in a worker of its own, beside the run on show.
let labCore = null;
let lab = null;          // the last benchmark: {result (agvsim-calibrate's JSON), applied}
let labSecret = null;    // the surprise seed while the true errors are hidden
const labMessages = new Map();  // element id -> message

// Small true errors from a seed, for a student who is not to know them: rear wheel radius
// errors within ±LAB_WHEEL_LIMIT %, a WheelBase error within ±LAB_BASE_LIMIT %, in hundredths.
const LAB_WHEEL_LIMIT = 0.8;
const LAB_BASE_LIMIT = 3;
function surpriseErrors(seed) {
  let x = (seed >>> 0) || 1;
  const next = () => {  // xorshift32: the same errors from the same seed
    x ^= x << 13; x >>>= 0; x ^= x >>> 17; x ^= x << 5; x >>>= 0;
    return x / 4294967296;
  };
  const pick = (limit) => Math.round((2 * next() - 1) * limit * 100) / 100;
  return [pick(LAB_WHEEL_LIMIT), pick(LAB_WHEEL_LIMIT), pick(LAB_BASE_LIMIT)];
}

function showLabMessage(id, m) {
  labMessages.set(id, m);
  $(`msg-${id}`).textContent = messageText(m);
  if ($(id)) $(id).setAttribute('aria-invalid', 'true');
  announce(messageText(m));
}

function clearLabMessages() {
  for (const id of labMessages.keys()) {
    $(`msg-${id}`).textContent = '';
    if ($(id)) $(id).removeAttribute('aria-invalid');
  }
  labMessages.clear();
}

// The lab's fields as a scenario text (the square is curve 21 with L and r), or null after a
// message next to each field that does not read.
function labScenario() {
  const v = Object.fromEntries(['labRear0', 'labRear1', 'labWb', 'labSlip', 'labSeed', 'labL', 'labR', 'labRuns']
    .map((id) => [id, halfWidth($(id).value).trim().replace(/^\+/, '')]));
  let ok = true;
  const bad = (id, key) => { showLabMessage(id, { ja: UI.ja[key], en: UI.en[key] }); ok = false; };
  for (const id of ['labRear0', 'labRear1', 'labWb', 'labL', 'labR']) if (!Number.isFinite(parseNumber(v[id]))) bad(id, 'labNotNumber');
  if (v.labSlip !== '' && !Number.isFinite(parseNumber(v.labSlip))) bad('labSlip', 'labNotNumber');
  if (v.labSeed !== '' && !/^\d+$/.test(v.labSeed)) bad('labSeed', 'labNotRuns');
  if (!/^\d+$/.test(v.labRuns)) bad('labRuns', 'labNotRuns');
  if (!ok) return null;
  const fields = [`rear-wheels=${v.labRear0},${v.labRear1}`, `wheelbase-tread=${v.labWb},0`];
  if (v.labSlip !== '') fields.push(`slip=${v.labSlip}`);
  if (v.labSeed !== '') fields.push(`seed=${v.labSeed}`);
  fields.push(`curve=21:${v.labL},${v.labR}`);
  return { text: fields.join(' '), runs: Number(v.labRuns) };
}

function placeLabRefusal(reply) {
  let id = 'lab';
  if (reply.section === 'runs') id = 'labRuns';
  else if (reply.section === 'square') id = reply.valueIndex === 1 ? 'labR' : 'labL';
  else if (reply.section === 'error') id = { 1: `labRear${reply.valueIndex}`, 4: 'labWb', 5: 'labSlip' }[reply.errorNumber] || 'lab';
  else if (reply.section === 'text' && reply.field === 'seed') id = 'labSeed';
  showLabMessage(id, messageOf(reply));
}

async function runLab() {
  clearLabMessages();
  const asked = labScenario();
  if (!asked) return;
  if (!labCore) labCore = new Core();
  const core = labCore;
  $('labRun').setAttribute('aria-busy', 'true');
  $('labRun').disabled = true;
  $('labStatus').textContent = UI[lang].labBusy;
  let out = null;
  try { out = await core.call('calibrate', [asked.text, asked.runs]); } catch (e) { /* ended */ }
  $('labRun').removeAttribute('aria-busy');
  $('labRun').disabled = false;
  $('labStatus').textContent = '';
  if (!out) return;
  if (!out.reply.ok) { placeLabRefusal(out.reply); return; }
  lab = { result: out.reply.calibration, applied: false };
  showLab();
  $('labStatus').textContent = UI[lang].labDone;
}

function applyLabCorrection() {
  if (!lab) return;
  lab.applied = true;
  showLab();
  $('labStatus').textContent = UI[lang].labApplied;
}

// The estimates beside the truth (hidden while the surprise is kept), the figures before
// and, once the correction is applied, after it.
function showLab() {
  const T = UI[lang];
  $('labHidden').hidden = labSecret === null;
  $('labTrueFields').hidden = labSecret !== null;
  $('labReveal').hidden = labSecret === null;
  if (labSecret !== null) $('labHidden').textContent = T.labHiddenNote(labSecret);
  for (const [id, m] of labMessages) $(`msg-${id}`).textContent = messageText(m);
  $('labApply').disabled = !lab || lab.applied;
  $('labFigure').hidden = $('labTable').hidden = !lab;
  if (!lab) return;
  const r = lab.result, after = lab.applied;
  const ratio = (v) => v.toFixed(6), mm = (v) => (1000 * v).toFixed(3);
  const truth = (v) => (labSecret === null ? ratio(v) : '?');
  const rows = [[T.labRows.ed, truth(r.ed_true), ratio(r.ed_estimated), '', ''],
                [T.labRows.eb, truth(r.eb_true), ratio(r.eb_estimated), '', ''],
                [T.labRows.cl, '', ratio(r.c_left), '', ''], [T.labRows.cr, '', ratio(r.c_right), '', ''],
                [T.labRows.emax, '', '', mm(r.emax_syst_before), after ? mm(r.emax_syst_after) : ''],
                [T.labRows.spread, '', '', mm(r.spread_before), after ? mm(r.spread_after) : '']];
  const head = document.createElement('tr');
  head.append(...T.labCols.map((text) => Object.assign(document.createElement('th'), { scope: 'col', textContent: text })));
  $('labTable').tHead.replaceChildren(head);
  $('labTable').tBodies[0].replaceChildren(...rows.map(([label, ...cells], k) => {
    const tr = document.createElement('tr');
    tr.dataset.q = ['ed', 'eb', 'cl', 'cr', 'emax', 'spread'][k];
    tr.append(Object.assign(document.createElement('th'), { scope: 'row', textContent: label }),
              ...cells.map((text) => Object.assign(document.createElement('td'), { textContent: text })));
    return tr;
  }));
  $('labLegend').replaceChildren(...T.labLegend.map((text, k) => {
    const li = document.createElement('li');
    li.textContent = text;
    li.style.color = ['#1f5fbf', '#c0392b', '#1f5fbf', '#c0392b', '#222'][k];
    return li;
  }));
  $('labCaption').textContent = T.labCaption(mm(r.emax_syst_before), after ? mm(r.emax_syst_after) : null);
  $('labCanvas').setAttribute('aria-label', T.labTable);
  $('labAfter').setAttribute('aria-label', T.labAfter);
  drawLab();
}

// The return positions [mm]: dots before the correction, rings after it, each cluster's
// centroid as a double ring, on axes through the ideal stop; once the correction is applied,
// the clusters after it again, enlarged to their own scale.
function drawLab() {
  if (!lab || !$('labPanel').open || $('labFigure').hidden) return;
  const r = lab.result;
  const after = [[r.after.ccw, '#1f5fbf', true], [r.after.cw, '#c0392b', true]];
  drawClusters($('labCanvas'), [[r.before.ccw, '#1f5fbf', false], [r.before.cw, '#c0392b', false], ...(lab.applied ? after : [])]);
  $('labAfter').hidden = !lab.applied;
  if (lab.applied) drawClusters($('labAfter'), after);
}

function drawClusters(c, sets) {
  const { g, w, h } = theoryContext(c);
  let extent = 0;
  for (const [cl] of sets) for (const [x, y] of cl.runs) extent = Math.max(extent, 1000 * Math.abs(x), 1000 * Math.abs(y));
  extent = extent > 0 ? extent : 1;
  // Ticks of 1, 2 or 5 times a power of ten, about four each side.
  const raw = extent / 4, power = 10 ** Math.floor(Math.log10(raw));
  const step = [1, 2, 5, 10].map((f) => f * power).find((v) => v >= raw);
  extent = Math.ceil(extent / step) * step;
  const margin = 40, side = Math.min(w, h) - 2 * margin;
  const X = (mmx) => margin + ((mmx + extent) / (2 * extent)) * side;
  const Y = (mmy) => margin + ((extent - mmy) / (2 * extent)) * side;
  g.strokeStyle = '#bbb';
  g.lineWidth = 1;
  g.fillStyle = '#222';
  for (let k = -Math.round(extent / step); k <= Math.round(extent / step); k += 1) {
    const v = k * step;
    g.beginPath();
    g.moveTo(X(v), Y(-extent)); g.lineTo(X(v), Y(extent));
    g.moveTo(X(-extent), Y(v)); g.lineTo(X(extent), Y(v));
    g.stroke();
    const label = String(Number(v.toPrecision(6)));
    g.textAlign = 'center';
    g.fillText(label, X(v), Y(-extent) + 14);
    g.textAlign = 'right';
    g.fillText(label, X(-extent) - 4, Y(v) + 4);
  }
  g.strokeStyle = '#555';
  g.beginPath();
  g.moveTo(X(0), Y(-extent)); g.lineTo(X(0), Y(extent)); g.moveTo(X(-extent), Y(0)); g.lineTo(X(extent), Y(0));
  g.stroke();
  g.textAlign = 'right';
  g.fillText('x [mm]', X(extent), Y(0) - 6);
  g.textAlign = 'left';
  g.fillText('y [mm]', X(0) + 4, margin - 6);
  for (const [cl, color, hollow] of sets) {
    g.strokeStyle = g.fillStyle = color;
    g.lineWidth = 1.5;
    for (const [x, y] of cl.runs) {
      g.beginPath();
      g.arc(X(1000 * x), Y(1000 * y), 3.5, 0, 2 * Math.PI);
      if (hollow) g.stroke(); else g.fill();
    }
    for (const radius of [7, 10]) {
      g.beginPath();
      g.arc(X(1000 * cl.centroid[0]), Y(1000 * cl.centroid[1]), radius, 0, 2 * Math.PI);
      g.stroke();
    }
  }
}

function surpriseLab() {
  const seed = crypto.getRandomValues(new Uint32Array(1))[0];
  const [left, right, base] = surpriseErrors(seed);
  $('labRear0').value = String(left);
  $('labRear1').value = String(right);
  $('labWb').value = String(base);
  $('labSlip').value = '';
  labSecret = seed;
  lab = null;
  showLab();
}

function listenLab() {
  $('labForm').addEventListener('submit', (ev) => { ev.preventDefault(); runLab(); });
  $('labApply').addEventListener('click', applyLabCorrection);
  $('labSurprise').addEventListener('click', surpriseLab);
  $('labReveal').addEventListener('click', () => { labSecret = null; showLab(); });
  $('labPanel').addEventListener('toggle', drawLab);
  new ResizeObserver(drawLab).observe($('labCanvas'));
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
    restoring = true;
    const wanted = q.get('lang') === 'en' ? 'en' : 'ja';
    if (wanted !== lang) { lang = wanted; $('lang').value = lang; applyLanguage(); }
    const refusal = await applyLink(q);
    clearMessages();
    restoring = false;
    pin = linkedPin(q);
    if (refusal) refusal(); else await compute(linkedView(q.get('v')), false, q.get('t') === '1');
  });
  $('cancel').addEventListener('click', () => cancel());
  $('pin').addEventListener('click', () => setPin(true));
  $('unpin').addEventListener('click', () => setPin(false));
  $('lang').addEventListener('change', () => { lang = $('lang').value; applyLanguage(); });
  $('csv').addEventListener('click', async () => {
    if (run) download(fileName('csv'), new Blob([await csvText()], { type: 'text/csv' }));
  });
  $('png').addEventListener('click', () => { if (run) pictureCanvas().toBlob((b) => download(fileName('png'), b)); });
  $('play').addEventListener('click', () => (playing ? stopPlay() : startPlay()));
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
  new ResizeObserver(fitCanvas).observe(canvas);
  new ResizeObserver(drawTheory).observe($('splane'));
  // A handout's picture at twice the desktop window's pixels, so that its text prints sharp.
  window.addEventListener('beforeprint', () => { printing = true; fitCanvas(); });
  window.addEventListener('afterprint', () => { printing = false; fitCanvas(); });
  listenLab();
}

// A link's pinned run: recomputed from its scenario text like the run on show.
const linkedPin = (q) => (q.has('pin') ? { scenario: q.get('pin') } : null);

async function start() {
  const q = new URLSearchParams(location.search);
  pin = linkedPin(q);
  const refusal = await applyLink(q);
  applyLanguage();
  listen();
  fitCanvas();
  if (refusal) refusal();
  else await compute(linkedView(q.get('v')), false, q.get('t') === '1');
  window.agvsim = { csv: csvText, state: () => picture && picture.state, texts: () => picture && picture.texts, readyMs: performance.now(),
                    pressKey, pictureCanvas, paintMs: () => paintMs, computing: () => Boolean(running), busy: () => Boolean(running || viewBusy || reportBusy || pinBusy || compareBusy),
                    lab: () => lab && lab.result };
  document.body.dataset.ready = 'true';
  signalReady();
}

start();
