// The page's words in both languages, the language chosen, and the number formats of its
// texts. Nothing here touches the page: the other modules put the words in.


/** The language on show: 'ja' or 'en'. */
export const language = { current: 'ja' };

// The menus' words for the core's catalogue entries (catalogue.js), keyed by the core's ids:
// the errors by number (a value's label is its prefix, then the core's symbol and unit), the
// curves' English names by number I (the Japanese come from the core), the laws by name.
export const ERROR_WORDS = {
  ja: { names: ['誤差なし', '後車輪半径誤差比率(左右)', '前車輪半径誤差比率', 'ステアリングドリフト角',
                'WheelBase,Tread誤差比率', '駆動車輪ランダム滑りの速度誤差比率'],
        values: { 1: ['左 ', '右 '] } },
  en: { names: ['no error', 'rear wheel radius error (left, right)', 'front wheel radius error', 'steering angle drift',
                'WheelBase and Tread error', 'random slip of the drive wheel'],
        values: { 1: ['Left rear wheel radius error ', 'Right rear wheel radius error '], 2: ['Front wheel radius error '],
                  3: ['Steering angle drift '], 4: ['WheelBase error ', 'Tread error '], 5: ['Drive wheel slip '] } },
};
export const CURVE_WORDS = {
  1: 'cosine y=A*(1-cos(2πx/L))', 2: 'cycloid y=A*(x-L/2π*sin(2πx/L))', 3: 'quadratic y=A*(x/L)^2',
  4: 'cubic y=A*(x/L)^3', 11: 'ellipse r=AB/sqrt((Acosβ)^2+(Bsinβ)^2)', 12: 'Archimedean spiral r=A*(β/2π)',
  13: 'cardioid r=A*(B-cosβ)', 14: 'rose r=A*sin(nβ)', 15: 'circle arc r=R', 16: 'wavy circle r=R+A*cos(nβ) (R=2 m)',
  21: 'square with rounded corners (side L, corner radius r)',
};
export const LAW_WORDS = {
  fnzeta: { ja: 'fn・ζ で設計した則（既定）', en: 'law designed from fn and ζ (default)', params: [] },
  'pure-pursuit': { ja: 'Pure pursuit（前方注視点への円弧）', en: 'pure pursuit (arc to a look-ahead point)',
                    params: [{ ja: '前方注視距離 Ld [m]', en: 'Look-ahead distance Ld [m]' }] },
  stanley: { ja: 'Stanley（向き誤差＋前輪の横ずれ）', en: 'Stanley (heading error plus front-wheel offset)',
             params: [{ ja: 'Stanleyゲイン k [1/s]', en: 'Stanley gain k [1/s]' }] },
  lqr: { ja: 'LQR（リッカチ方程式の状態フィードバック）', en: 'LQR (state feedback from the Riccati equation)',
         params: [{ ja: '横ずれの重み Qd [1/m²]', en: 'Offset weight Qd [1/m²]' },
                  { ja: '向き誤差の重み Qθ [1/rad²]', en: 'Heading error weight Qθ [1/rad²]' },
                  { ja: '操舵角誤差の重み Qφ [1/rad²]（タイプ1：∫dd dt）', en: 'Steering angle error weight Qφ [1/rad²] (type 1: ∫dd dt)' },
                  { ja: '補正量の重み R [s²/rad²]', en: 'Correction weight R [s²/rad²]' }] },
};


// Every text of the page in both languages. Messages of the core keep their own words: the
// console's Japanese line, and the English reason the core gives beside it.
export const UI = {
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
    compute: '計算', cancel: '計算を中止', share: 'この計算のリンク', exerciseSubmit: '提出用リンク（解答と判定）', csv: 'CSV保存', png: 'PNG保存',
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
    compute: 'Compute', cancel: 'Cancel computation', share: 'Link to this run', exerciseSubmit: 'Submission link (answer and verdict)', csv: 'Save CSV', png: 'Save PNG',
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
export const TYPE_NAMES = ['2DW1C', '1FDW1FS', '1RDW1FS'];


// ---- numbers and messages ---------------------------------------------------------------

// A number for reading: no more than 6 significant digits, exponent form when large.
export function readable(v, digits = 4) {
  if (!Number.isFinite(v)) return String(v);
  if (v !== 0 && (Math.abs(v) >= 1e6 || Math.abs(v) < 1e-4)) return Number(v.toPrecision(4)).toExponential();
  return v.toFixed(digits);
}

// The console's line for the page: internal function names left out, and numbers of more
// than ten digits (a constant of 1e308 prints 309 of them) shortened.
export function pageLine(text) {
  return text.replace(/\b[a-z_]\w*\(\)\s*/g, '')
    .replace(/-?\d{11,}(\.\d+)?/g, (m) => String(Number(Number(m).toPrecision(6))))
    .replace(/^\s+/, '');
}

// A message is kept as {ja, en, section} and shown in the language chosen; it survives a
// switch of language.
export function messageOf(reply) {
  // A sentence: capitalised unless it starts with a symbol's name ("fn = 0 gives ...").
  const r = reply.reason || '';
  const en = r ? (/^[a-z]+ (?!=)/.test(r) ? r[0].toUpperCase() + r.slice(1) : r) + '.' : '';
  const advice = (l) => UI[l].advice[reply.section] || '';  // the Japanese line says it
  return { ja: pageLine(reply.message), en: `${en} ${advice('en')}`.trim() };
}

export function messageText(m) { return language.current === 'ja' ? m.ja : m.en; }

export const DEG = 180 / Math.PI;
// Four significant digits: the errors with feedback are often a thousand times smaller.
export const sig = (v) => (v !== 0 && Math.abs(v) < 1e-4 ? readable(v) : String(Number(v.toPrecision(4))));
