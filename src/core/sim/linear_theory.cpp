#include "sim/linear_theory.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "noise/slip_noise.h"
#include "path/curve_kernels.h"
#include "sim/feedback.h"
#include "sim/rkg_step.h"
#include "sim/vehicle_model.h"

namespace agv {

namespace {

/// Places of the states in x (docs/theory.md, section 2).
enum StateIndex : int { kDd = 0, kDth = 1, kQ = 2, kDs = 3, kIntDs = 4 };

/// The figures look this many of the slowest time constants ahead ...
constexpr double kHorizonTimeConstants = 20.0;
/// ... in at least this many steps, each at most kStepPerFastest of the fastest lateral
/// time constant ...
constexpr int kFigureSteps = 300;
constexpr double kStepPerFastest = 0.2;
/// ... but never more than this many.
constexpr int kFigureStepsMax = 20000;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// The transition of x' = A·x + b over one time step: x ← Φ·x + γ (section 5).
struct Transition {
    SquareMatrix phi;
    double gamma[kErrorStates] = {};

    Transition(const ErrorDynamics& e, double step) {
        // exp of [[A, b], [0, 0]]·step holds Φ and γ.
        SquareMatrix augmented;
        augmented.n = kErrorStates + 1;
        for (int i = 0; i < kErrorStates; ++i) {
            for (int j = 0; j < kErrorStates; ++j)
                augmented.m[i][j] = e.A.m[i][j];
            augmented.m[i][kErrorStates] = e.b[i];
        }
        const SquareMatrix E = matrixExponential(augmented, step);
        phi = diagonalBlock(E, 0, kErrorStates);
        for (int i = 0; i < kErrorStates; ++i)
            gamma[i] = E.m[i][kErrorStates];
    }

    void apply(double x[kErrorStates]) const {
        double next[kErrorStates];
        for (int i = 0; i < kErrorStates; ++i) {
            double sum = gamma[i];
            for (int j = 0; j < kErrorStates; ++j)
                sum = sum + phi.m[i][j] * x[j];
            next[i] = sum;
        }
        std::copy(next, next + kErrorStates, x);
    }
};

bool largerRealPart(const Pole& a, const Pole& b) {
    if (a.real() != b.real()) return a.real() > b.real();
    return a.imag() > b.imag();
}

/// Roots of the characteristic polynomial of a block, largest real part first.
std::vector<Pole> blockPoles(const SquareMatrix& a, int first, int n) {
    std::vector<Pole> p = polynomialRoots(characteristicPolynomial(diagonalBlock(a, first, n)));
    std::sort(p.begin(), p.end(), largerRealPart);
    return p;
}

bool anyNonZero(const SquareMatrix& a, int row0, int rows, int col0, int cols) {
    for (int i = row0; i < row0 + rows; ++i)
        for (int j = col0; j < col0 + cols; ++j)
            if (a.m[i][j] != 0.0) return true;
    return false;
}

/// The poles of both loops. Where each loop drives the other (type 2 on a circle) the
/// poles of the whole system are taken, each given to the loop of the nearest pole of
/// that loop alone.
void loopPoles(const ErrorDynamics& e, TypeTheory& theory) {
    std::vector<Pole> lateral = blockPoles(e.A, 0, kLateralStates);
    std::vector<Pole> along = blockPoles(e.A, kLateralStates, kAlongPathStates);
    const bool coupled = anyNonZero(e.A, 0, kLateralStates, kLateralStates, kAlongPathStates) &&
                         anyNonZero(e.A, kLateralStates, kAlongPathStates, 0, kLateralStates);
    if (coupled) {
        std::vector<Pole> all = polynomialRoots(characteristicPolynomial(e.A));
        for (std::vector<Pole>* loop : {&lateral, &along}) {
            for (Pole& p : *loop) {
                auto nearest = std::min_element(all.begin(), all.end(), [&](Pole a, Pole b) {
                    return std::abs(a - p) < std::abs(b - p);
                });
                p = *nearest;
                all.erase(nearest);
            }
            std::sort(loop->begin(), loop->end(), largerRealPart);
        }
    }
    std::copy(lateral.begin(), lateral.end(), theory.lateralPoles.begin());
    std::copy(along.begin(), along.end(), theory.alongPathPoles.begin());
}

/// Steady dd of the constant errors at curvature κ (docs/theory.md, section 4, (4.1)),
/// written so that it is exactly 0 where it is 0 in exact arithmetic: no drift and
/// T_a = T or κ = 0, and for type 1 always.
double steadyDd(const SimulationSettings& set, const FeedbackGains& g, int vehicleType, double k) {
    if (vehicleType == k2DW1C) return 0.0;  // the integral term KI1 removes every offset
    const double Kd = vehicleType == k1FDW1FS ? g.Kd2 : g.Kd3;
    const double Kfi = vehicleType == k1FDW1FS ? g.Kfi2 : g.Kfi3;
    const double T = set.tread;
    const double Ta = set.treadActual;
    const double sec2 = 1.0 + T * T * (k * k);  // 1/cos²φ0 with tan φ0 = T·κ
    return (sec2 * set.steerDrift + k * (T - Ta)) / (sec2 * Kd / Kfi + k * k * Ta);
}

/// Steady dd and dth (docs/theory.md, section 4).
SteadyOffset steadyOffset(const SimulationSettings& set, const FeedbackGains& g, int vehicleType,
                          const PathCurvature& path, bool stable) {
    SteadyOffset r;
    if (path.shape == PathShape::kVarying || !stable || slipActive(set)) return r;
    r.defined = true;
    r.dd = steadyDd(set, g, vehicleType, path.kappa);
    return r;
}

/// dd of x' = A·x + b from x(0) = 0 at i·step, i = 0..count-1.
/// visit(x) sees every state, x(0) included.
template <class Visit>
std::vector<double> responseOnGrid(const ErrorDynamics& e, double step, int count, Visit&& visit) {
    const Transition transition(e, step);
    std::vector<double> dd(static_cast<size_t>(count), 0.0);
    double x[kErrorStates] = {};
    visit(x);
    for (int i = 1; i < count; ++i) {
        transition.apply(x);
        dd[static_cast<size_t>(i)] = x[kDd];
        visit(x);
    }
    return dd;
}
std::vector<double> responseOnGrid(const ErrorDynamics& e, double step, int count) {
    return responseOnGrid(e, step, count, [](const double*) {});
}

/// dd where x' = A·x + b comes to rest: A·x = −b.
double steadyState(const ErrorDynamics& e) {
    std::vector<double> x(e.b, e.b + kErrorStates);
    for (double& v : x)
        v = -v;
    if (!solveLinear(e.A, x)) return kNaN;
    return x[kDd];
}

/// Takes the largest steering angle and rate and the largest corrections of the states x
/// of the response of x' = A·x + b (section 8). φ0 is the feed-forward steering angle of
/// the curvature.
struct LinearPeaks {
    const ErrorDynamics& e;
    const FeedbackGains& g;
    double phi0;
    TypeTheory& theory;

    LinearPeaks(const ErrorDynamics& dynamics, const FeedbackGains& gains, double angle,
                TypeTheory& t)
        : e(dynamics), g(gains), phi0(angle), theory(t) {
        theory.peakSteerAngle = theory.vehicleType != k2DW1C ? std::fabs(phi0) : 0.0;
    }

    void operator()(const double* x) const {
        const bool steered = theory.vehicleType != k2DW1C;
        double rate = e.b[kQ];
        for (int j = 0; j < kErrorStates; ++j)
            rate = rate + e.A.m[kQ][j] * x[j];
        const double us = g.omegaN2 * x[kDs] + g.twoZetaOmegaN * x[kIntDs];
        theory.peakSpeedCorrection = std::max(theory.peakSpeedCorrection, std::fabs(us));
        if (steered) {
            theory.peakSteerAngle = std::max(theory.peakSteerAngle, std::fabs(phi0 + x[kQ]));
            theory.peakSteerRate = std::max(theory.peakSteerRate, std::fabs(rate));
        } else {
            const double uw = g.Kd1 * x[kDd] + g.Kth1 * x[kDth] + g.KI1 * x[kQ];
            theory.peakTurnCorrection = std::max(theory.peakTurnCorrection, std::fabs(uw));
        }
        theory.beyondLinearRange = theory.peakSteerAngle >= kSteerAngleMax ||
                                   theory.peakSteerRate >= kSteerRateMaxFbc ||
                                   theory.peakSpeedCorrection >= kSpeedCorrectionLimit ||
                                   theory.peakTurnCorrection >= kHeadingRateCorrectionLimit;
    }
};

/// The figures of the predicted response of a stable design, over a horizon of several
/// of its slowest time constants. The steady value of the run's error is (4.1); that of
/// the unit disturbance is 0 for type 1 (its integral term), else where A·x = −b.
void predictedFigures(ErrorDynamics e, double runSteady, const FeedbackGains& g, double phi0,
                      TypeTheory& theory) {
    double slowest = kInfinity;
    double fastestLateral = 0.0;
    for (const Pole& p : theory.lateralPoles) {
        slowest = std::min(slowest, std::fabs(p.real()));
        fastestLateral = std::max(fastestLateral, std::abs(p));
    }
    // The along-path loop shows in dd only where it drives the lateral loop (on a circle).
    if (anyNonZero(e.A, 0, kLateralStates, kLateralStates, kAlongPathStates)) {
        for (const Pole& p : theory.alongPathPoles)
            slowest = std::min(slowest, std::fabs(p.real()));
    }
    const double horizon = kHorizonTimeConstants / slowest;
    double step = std::min(horizon / kFigureSteps, kStepPerFastest / fastestLateral);
    int count = static_cast<int>(std::ceil(horizon / step)) + 1;
    if (count > kFigureStepsMax) {
        count = kFigureStepsMax;
        step = horizon / (count - 1);
    }
    std::vector<double> t(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        t[static_cast<size_t>(i)] = i * step;

    // Without any error input the response is 0 at once: no need to compute it.
    const bool driven = std::any_of(e.b, e.b + kErrorStates, [](double v) { return v != 0.0; });
    const LinearPeaks peaks(e, g, phi0, theory);
    std::vector<double> dd{};
    if (driven) {
        dd = responseOnGrid(e, step, count, peaks);
    } else {
        const double rest[kErrorStates] = {};
        peaks(rest);
    }
    theory.figuresOfRunError = std::any_of(dd.begin(), dd.end(), [](double v) { return v != 0.0; });
    if (!theory.figuresOfRunError) {
        std::fill(e.b, e.b + kErrorStates, 0.0);
        e.b[kDth] = 1.0;
        dd = responseOnGrid(e, step, count);
    }
    double steady = runSteady;
    if (!theory.figuresOfRunError) steady = theory.vehicleType == k2DW1C ? 0.0 : steadyState(e);
    theory.figures = responseFigures(t.data(), dd.data(), count, steady);
}

/// Growth per step of the fastest-growing of the poles at step h.
double worstStepGrowth(const TypeTheory& t, double h) {
    double worst = 0.0;
    for (const Pole& p : t.lateralPoles)
        worst = std::max(worst, stepGrowth(p, h));
    for (const Pole& p : t.alongPathPoles)
        worst = std::max(worst, stepGrowth(p, h));
    return worst;
}

/// Growth per step of the fastest-growing pole of type vehicleType at step h.
double worstStepGrowth(const SimulationSettings& set, const FeedbackGains& g, int vehicleType,
                       double kappa, double h) {
    TypeTheory t;
    loopPoles(errorDynamics(set, g, vehicleType, kappa), t);
    return worstStepGrowth(t, h);
}

/// Samples of one period of a periodic path for its curvature's mean and first harmonic.
constexpr int kPeriodSamples = 256;
/// Step of curvature [1/m] of the central differences ∂(A·x̄ + b)/∂κ.
constexpr double kKappaStep = 1e-5;

/// Mean and first harmonic of the curvature of curve I over one period P of its
/// parameter, in arc length (trapezoidal sums, exact to rounding for a smooth periodic
/// integrand but for the arc length's own O(P²/M²) error). The mean is the heading's turn
/// over the period, `turn` [rad], over λ: exactly 0 for the cosine.
template <int I>
void periodicCurvature(const CurveParams& c, double P, double turn, PathCurvature& r) {
    std::vector<double> ell(kPeriodSamples + 1, 0.0), kappa(kPeriodSamples + 1),
        speed(kPeriodSamples + 1);
    const double dp = P / kPeriodSamples;
    for (int i = 0; i <= kPeriodSamples; ++i) {
        const double p = i * dp;
        speed[static_cast<size_t>(i)] = kernels::speedAt<I>(c, p);
        kappa[static_cast<size_t>(i)] = kernels::curvatureAt<I>(c, p);
        if (i > 0) {
            ell[static_cast<size_t>(i)] =
                ell[static_cast<size_t>(i - 1)] +
                dp * (speed[static_cast<size_t>(i - 1)] + speed[static_cast<size_t>(i)]) / 2.0;
        }
    }
    const double lambda = ell[kPeriodSamples];
    if (!(lambda > 0.0) || !std::isfinite(lambda)) return;
    std::complex<double> first = 0.0;
    for (int i = 0; i < kPeriodSamples; ++i) {  // the periodic trapezoid: each sample once
        const double w = kappa[static_cast<size_t>(i)] * speed[static_cast<size_t>(i)] * dp;
        first +=
            w * std::exp(std::complex<double>(0.0, -kTwoPi * ell[static_cast<size_t>(i)] / lambda));
    }
    r.period = lambda;
    r.meanKappa = turn / lambda;
    r.firstHarmonic = 2.0 * first / lambda;
}

/// The steady dd of type vehicleType on a path of periodic curvature: linearised about the
/// mean curvature κ̄, the curvature's first harmonic drives x through
/// g = ∂(A·x̄ + b)/∂κ, x̄ the rest state at κ̄ (section 6).
PeriodicOffset periodicOffset(const SimulationSettings& set, const FeedbackGains& g,
                              int vehicleType, const PathCurvature& path) {
    PeriodicOffset r;
    const double k0 = path.meanKappa;
    const ErrorDynamics e0 = errorDynamics(set, g, vehicleType, k0);
    std::vector<double> rest(e0.b, e0.b + kErrorStates);
    for (double& v : rest)
        v = -v;
    if (!solveLinear(e0.A, rest)) return r;
    const ErrorDynamics up = errorDynamics(set, g, vehicleType, k0 + kKappaStep);
    const ErrorDynamics down = errorDynamics(set, g, vehicleType, k0 - kKappaStep);
    std::vector<double> gain(kErrorStates);
    for (int i = 0; i < kErrorStates; ++i) {
        double change = up.b[i] - down.b[i];
        for (int j = 0; j < kErrorStates; ++j)
            change = change + (up.A.m[i][j] - down.A.m[i][j]) * rest[static_cast<size_t>(j)];
        gain[static_cast<size_t>(i)] = change / (2.0 * kKappaStep);
    }
    // Type 2's rear axle centre meets the path at V·cos φ0.
    const double v =
        vehicleType == k1FDW1FS ? set.Vw * std::cos(std::atan(set.tread * k0)) : set.Vw;
    r.omega = kTwoPi * v / path.period;
    const std::vector<std::complex<double>> x = frequencyResponse(e0.A, gain, r.omega);
    if (x.empty()) return r;
    r.defined = true;
    r.mean = steadyDd(set, g, vehicleType, k0);
    r.amplitude = std::abs(x[kDd]) * std::abs(path.firstHarmonic);
    return r;
}

/// Solves the Lyapunov equation a·P + P·aᵀ + q = 0 for P (n × n, row-major) through its
/// Kronecker form (I⊗a + a⊗I)·vec P = −vec q; false when it has no unique solution.
bool solveLyapunov(const std::vector<double>& a, const std::vector<double>& q, int n,
                   std::vector<double>& p) {
    const size_t N = static_cast<size_t>(n) * static_cast<size_t>(n);
    std::vector<std::vector<double>> m(N, std::vector<double>(N, 0.0));
    std::vector<double> rhs(N);
    const auto at = [n](int i, int j) { return static_cast<size_t>(i * n + j); };
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            // Row (i, j) of a·P + P·aᵀ: Σk a[i][k]·P[k][j] + Σk P[i][k]·a[j][k].
            for (int k = 0; k < n; ++k) {
                m[at(i, j)][at(k, j)] += a[at(i, k)];
                m[at(i, j)][at(i, k)] += a[at(j, k)];
            }
            rhs[at(i, j)] = -q[at(i, j)];
        }
    }
    for (size_t col = 0; col < N; ++col) {
        size_t pivot = col;
        for (size_t r = col + 1; r < N; ++r)
            if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
        if (m[pivot][col] == 0.0) return false;
        std::swap(m[pivot], m[col]);
        std::swap(rhs[pivot], rhs[col]);
        for (size_t r = col + 1; r < N; ++r) {
            const double f = m[r][col] / m[col][col];
            if (f == 0.0) continue;
            for (size_t j = col; j < N; ++j)
                m[r][j] = m[r][j] - f * m[col][j];
            rhs[r] = rhs[r] - f * rhs[col];
        }
    }
    p.assign(N, 0.0);
    for (size_t r = N; r-- > 0;) {
        double sum = rhs[r];
        for (size_t j = r + 1; j < N; ++j)
            sum = sum - m[r][j] * p[j];
        p[r] = sum / m[r][r];
    }
    return true;
}

/// The stationary RMS of dd under the random slip (section 4): the wheel errors
/// −SLIP·(1 − ν), ν1 (left rear and front wheel) and ν2 (right rear) two independent
/// normalised lags of time constant kSlipTau driven by white noise, so that
/// ν' = −ν/τ + w with E[w(t)·w(t')] = (2/τ)·D(t − t') (D: Dirac). Their mean −SLIP leaves no offset
/// (every type takes a constant wheel error up); the rest enters b linearly.
double slipDdRms(const SimulationSettings& settings, const FeedbackGains& g, int vehicleType,
                 double kappa) {
    SimulationSettings set = settings;
    const double slip = set.SLIP;
    // A slip s on a wheel of radius error e gives e + s + e·s, as the run combines them.
    const bool radii = hasError(settings.errorsGiven, MechanismError::kRearWheels) ||
                       hasError(settings.errorsGiven, MechanismError::kFrontWheel);
    const auto on = [&](double e, double s) { return radii ? e + s + e * s : s; };
    const auto bWith = [&](double left, double right) {
        set.rearWheelErrL = on(settings.rearWheelErrL, left);
        set.frontWheelErr = on(settings.frontWheelErr, left);
        set.rearWheelErrR = on(settings.rearWheelErrR, right);
        return errorDynamics(set, g, vehicleType, kappa);
    };
    const ErrorDynamics mean = bWith(-slip, -slip);
    const ErrorDynamics first = bWith(0.0, -slip);   // ν1 = 1
    const ErrorDynamics second = bWith(-slip, 0.0);  // ν2 = 1
    constexpr int n = kErrorStates + 2;
    std::vector<double> a(n * n, 0.0), q(n * n, 0.0), p;
    for (int i = 0; i < kErrorStates; ++i) {
        for (int j = 0; j < kErrorStates; ++j)
            a[static_cast<size_t>(i * n + j)] = mean.A.m[i][j];
        a[static_cast<size_t>(i * n + kErrorStates)] = first.b[i] - mean.b[i];
        a[static_cast<size_t>(i * n + kErrorStates + 1)] = second.b[i] - mean.b[i];
    }
    for (int k = kErrorStates; k < n; ++k) {
        a[static_cast<size_t>(k * n + k)] = -1.0 / kSlipTau;
        q[static_cast<size_t>(k * n + k)] = 2.0 / kSlipTau;
    }
    if (!solveLyapunov(a, q, n, p)) return kNaN;
    const double variance = p[static_cast<size_t>(kDd * n + kDd)];
    return variance > 0.0 ? std::sqrt(variance) : 0.0;
}

/// Halvings of fn tried in search of a design that the step holds.
constexpr int kLimitHalvings = 60;
/// Bisections of the interval that holds the limit.
constexpr int kLimitBisections = 60;

/// The fn at which the step stops holding type vehicleType's design at the settings' ζ
/// [Hz]: bisected between a fraction of fn that holds and fn that does not. NaN when no
/// fraction holds.
double stepLimitFn(SimulationSettings set, int vehicleType, double kappa, double h) {
    const auto holds = [&](double fn) {
        set.fn = fn;
        set.omegaN = kTwoPi * fn;
        return worstStepGrowth(set, designedGains(set), vehicleType, kappa, h) <= 1.0;
    };
    double high = set.fn;
    double low = high;
    for (int i = 0; i < kLimitHalvings && !holds(low); ++i)
        low = low / 2.0;
    if (!holds(low)) return kNaN;
    for (int i = 0; i < kLimitBisections; ++i) {
        const double mid = low + (high - low) / 2.0;
        if (mid == low || mid == high) break;
        (holds(mid) ? low : high) = mid;
    }
    return low + (high - low) / 2.0;
}

}  // namespace

std::vector<double> unitDisturbanceResponse(const SimulationSettings& settings,
                                            const FeedbackGains& gains, int vehicleType,
                                            double kappa, double horizon, int count) {
    if (count < 2) return std::vector<double>(static_cast<size_t>(std::max(count, 0)), 0.0);
    ErrorDynamics e = errorDynamics(settings, gains, vehicleType, kappa);
    std::fill(e.b, e.b + kErrorStates, 0.0);
    e.b[kDth] = 1.0;
    return responseOnGrid(e, horizon / (count - 1), count);
}

double stepGrowth(Pole lambda, double h) {
    const Pole z = h * lambda;
    return std::abs(1.0 + z * (1.0 + z * (1.0 / 2.0 + z * (1.0 / 6.0 + z * (1.0 / 24.0)))));
}

bool slipActive(const SimulationSettings& settings) {
    return hasError(settings.errorsGiven, MechanismError::kSlip);
}

std::vector<std::complex<double>> headingRateResponse(const SimulationSettings& settings,
                                                      const FeedbackGains& gains, int vehicleType,
                                                      double kappa,
                                                      const std::vector<double>& omegas) {
    const ErrorDynamics e = errorDynamics(settings, gains, vehicleType, kappa);
    std::vector<double> input(kErrorStates, 0.0);
    input[kDth] = 1.0;
    std::vector<std::complex<double>> g;
    for (const double omega : omegas) {
        const std::vector<std::complex<double>> x = frequencyResponse(e.A, input, omega);
        g.push_back(x.empty() ? std::complex<double>(kNaN, kNaN) : x[kDd]);
    }
    return g;
}

std::vector<LocusPoint> rootLocus(const SimulationSettings& settings, int vehicleType,
                                  const std::vector<double>& fns) {
    const double kappa = pathCurvature(settings).kappa;
    SimulationSettings set = settings;
    std::vector<LocusPoint> locus;
    for (const double fn : fns) {
        set.fn = fn;
        set.omegaN = kTwoPi * fn;
        TypeTheory t;
        loopPoles(errorDynamics(set, designedGains(set), vehicleType, kappa), t);
        locus.push_back({fn, t.lateralPoles, t.alongPathPoles});
    }
    return locus;
}

void addPeriodicCurvature(const SimulationSettings& settings, PathCurvature& r) {
    const int I = settings.curveNumber;
    const CurveParams& c = settings.curve;
    // A cosine ends each period heading as it began; a wavy circle that keeps away from its
    // centre (R > |A|) turns by 2π/n in each, clockwise when mirrored.
    if (I == 1 && c.cosineA != 0.0) periodicCurvature<1>(c, c.cosineL, 0.0, r);
    if (I == 16 && c.wavyA != 0.0 && c.wavyN != 0.0 && c.wavyR > std::fabs(c.wavyA)) {
        const double P = kTwoPi / std::fabs(c.wavyN);
        periodicCurvature<16>(c, P, c.ySign * P, r);
    }
}

PathCurvature pathCurvature(const SimulationSettings& settings) {
    const int I = settings.curveNumber;
    const CurveParams& c = settings.curve;
    PathCurvature r;
    // Graphs with A = 0 are the x axis; an ellipse with equal axes, the circle arc, a wavy
    // circle without waves and a rose of one petal are circles.
    const bool straight = (I == 1 && c.cosineA == 0.0) || (I == 2 && c.cycloidA == 0.0) ||
                          (I == 3 && c.quadraticA == 0.0) || (I == 4 && c.cubicA == 0.0);
    const bool circle = (I == 11 && c.ellipseA == c.ellipseB) || I == 15 ||
                        (I == 16 && c.wavyA == 0.0) || (I == 14 && c.roseN == 1.0);
    if (straight) r.shape = PathShape::kStraight;
    if (circle) {
        r.shape = PathShape::kCircle;
        kernels::withCurve(
            I, [&](auto curve) { r.kappa = kernels::curvatureAt<decltype(curve)::value>(c, 0.0); });
    }
    return r;
}

ErrorDynamics errorDynamics(const SimulationSettings& set, const FeedbackGains& g, int vehicleType,
                            double kappa) {
    const double V = set.Vw;
    const double T = set.tread;
    const double Ta = set.treadActual;
    const double W = set.wheelBase;
    const double Wa = set.wheelBaseActual;
    const double eL = set.rearWheelErrL;
    const double eR = set.rearWheelErrR;
    const double delta = set.steerDrift;
    const double k = kappa;
    ErrorDynamics e;
    SquareMatrix& A = e.A;
    A.n = kErrorStates;
    double* b = e.b;
    A.m[kIntDs][kDs] = 1.0;  // (∫ds)' = ds

    switch (vehicleType) {
        case k2DW1C: {
            // Section 3.1: the wheel errors change the speed by Δv and the turn rate by Δω.
            const double omegaD = V * k;
            const double dv = V * (eL + eR) / 2.0 + W * omegaD * (eR - eL) / 4.0;
            const double domega =
                (W * omegaD + V * (eR - eL) + W * omegaD * (eR + eL) / 2.0) / Wa - V * k;
            A.m[kDs][kDs] = -g.omegaN2;
            A.m[kDs][kIntDs] = -g.twoZetaOmegaN;
            b[kDs] = dv;
            A.m[kDd][kDth] = V;
            A.m[kDth][kDd] = -g.Kd1 - k * k * V;
            A.m[kDth][kDth] = -g.Kth1;
            A.m[kDth][kQ] = -g.KI1;
            A.m[kDth][kDs] = k * g.omegaN2;
            A.m[kDth][kIntDs] = k * g.twoZetaOmegaN;
            b[kDth] = domega - k * dv;
            A.m[kQ][kDd] = g.Kd1;
            A.m[kQ][kDth] = g.Kth1;
            break;
        }
        case k1FDW1FS: {
            // Section 3.2: the front wheel drives along φ0 + q + δ, φ0 = atan(T·κ).
            const double phi0 = std::atan(T * k);
            const double s0 = std::sin(phi0);
            const double c0 = std::cos(phi0);
            const double v0 = V * c0;
            const double dF = set.frontWheelErr * V;
            // Heading rate per front wheel speed, s0/T_a − κ·c0 with s0 = T·κ·c0: exactly 0
            // without a tread error.
            const double hw = k * c0 * (T / Ta - 1.0);
            const double hq = V * c0 / Ta + k * V * s0;  // heading rate per steering angle
            A.m[kDs][kQ] = -V * s0;
            A.m[kDs][kDs] = -c0 * g.omegaN2;
            A.m[kDs][kIntDs] = -c0 * g.twoZetaOmegaN;
            b[kDs] = c0 * dF - V * s0 * delta;
            A.m[kDd][kDth] = v0;
            A.m[kDth][kDd] = -k * k * v0;
            A.m[kDth][kQ] = hq;
            A.m[kDth][kDs] = -hw * g.omegaN2;
            A.m[kDth][kIntDs] = -hw * g.twoZetaOmegaN;
            b[kDth] = V * s0 * (1.0 / Ta - 1.0 / T) + hw * dF + hq * delta;
            A.m[kQ][kDd] = -g.Kd2;
            A.m[kQ][kDth] = -g.Kth2;
            A.m[kQ][kQ] = -g.Kfi2;
            break;
        }
        default: {
            // Section 3.3: the rear wheels drive, the front wheel steers at φ0 + q + δ.
            const double dv = V * (eL + eR) / 2.0;
            const double c3 = k * (T / Ta - 1.0);
            const double G = V * (1.0 + T * T * (k * k)) / Ta;
            A.m[kDs][kDs] = -g.omegaN2;
            A.m[kDs][kIntDs] = -g.twoZetaOmegaN;
            b[kDs] = dv;
            A.m[kDd][kDth] = V;
            A.m[kDth][kDd] = -k * k * V;
            A.m[kDth][kQ] = G;
            A.m[kDth][kDs] = -c3 * g.omegaN2;
            A.m[kDth][kIntDs] = -c3 * g.twoZetaOmegaN;
            b[kDth] = V * c3 + c3 * dv + G * delta;
            A.m[kQ][kDd] = -g.Kd3;
            A.m[kQ][kDth] = -g.Kth3;
            A.m[kQ][kQ] = -g.Kfi3;
            break;
        }
    }
    return e;
}

ResponseFigures responseFigures(const double* t, const double* dd, int n, double steady) {
    ResponseFigures f;
    f.steady = steady;
    f.overshoot = 0.0;
    double peakValue = 0.0;
    for (int i = 0; i < n; ++i) {
        if (std::fabs(dd[i]) > f.peak) peakValue = dd[i];
        f.peak = std::max(f.peak, std::fabs(dd[i]));
        if (steady != 0.0) f.overshoot = std::max(f.overshoot, dd[i] / steady - 1.0);
    }
    if (steady == 0.0 && f.peak > 0.0) {
        // Settling back to 0: the swing past 0 against the peak, relative to it.
        for (int i = 0; i < n; ++i)
            f.overshoot = std::max(f.overshoot, -dd[i] / peakValue);
    }
    const double band = kSettlingBand * (steady != 0.0 ? std::fabs(steady) : f.peak);
    f.settlingTime = settlingTime(t, dd, n, steady, band);
    return f;
}

double settlingTime(const double* t, const double* dd, int n, double steady, double band) {
    int last = -1;  // the last sample outside the band
    for (int i = 0; i < n; ++i) {
        if (!(std::fabs(dd[i] - steady) <= band)) last = i;
    }
    if (last < 0) return 0.0;
    if (last == n - 1) return kInfinity;
    // Where |dd − steady| falls to the band between the two samples.
    const double outside = std::fabs(dd[last] - steady);
    const double inside = std::fabs(dd[last + 1] - steady);
    return t[last] + (t[last + 1] - t[last]) * (outside - band) / (outside - inside);
}

PeriodicOffset lastPeriod(const double* t, const double* dd, int n, double omega) {
    PeriodicOffset r;
    r.omega = omega;
    if (n < 2 || !(omega > 0.0)) return r;
    const double period = kTwoPi / omega;
    const double start = t[n - 1] - period;
    if (t[0] > start) return r;
    // Trapezoidal sums from `start` (interpolated into its interval) to the last sample.
    int i = n - 1;
    while (i > 0 && t[i - 1] > start)
        --i;
    const double f = (start - t[i - 1]) / (t[i] - t[i - 1]);
    double tp = start;
    double vp = dd[i - 1] + f * (dd[i] - dd[i - 1]);
    double mean = 0.0;
    std::complex<double> first = 0.0;
    const auto wave = [&](double time) {
        return std::exp(std::complex<double>(0.0, -omega * time));
    };
    for (; i < n; ++i) {
        const double dt = t[i] - tp;
        mean += dt * (vp + dd[i]) / 2.0;
        first += dt * (vp * wave(tp) + dd[i] * wave(t[i])) / 2.0;
        tp = t[i];
        vp = dd[i];
    }
    r.defined = true;
    r.mean = mean / period;
    r.amplitude = 2.0 * std::abs(first) / period;
    return r;
}

bool RunTheory::stable() const {
    return std::all_of(types.begin(), types.end(), [](const TypeTheory& t) { return t.stable(); });
}

bool RunTheory::anyBeyondLinearRange() const {
    return std::any_of(types.begin(), types.end(),
                       [](const TypeTheory& t) { return t.beyondLinearRange; });
}

bool RunTheory::any(Stability reason) const {
    return std::any_of(types.begin(), types.end(),
                       [&](const TypeTheory& t) { return t.stability == reason; });
}

RunTheory runTheory(const SimulationSettings& settings, const FeedbackGains& gains) {
    RunTheory r;
    r.path = pathCurvature(settings);
    addPeriodicCurvature(settings, r.path);
    for (int k = 0; k < kVehicleTypeCount; ++k) {
        TypeTheory& theory = r.types[static_cast<size_t>(k)];
        theory.vehicleType = k + 1;
        const ErrorDynamics e = errorDynamics(settings, gains, k + 1, r.path.kappa);
        loopPoles(e, theory);
        theory.maxPoleReal = -kInfinity;
        double slowest = kInfinity;
        for (const Pole& p : theory.lateralPoles) {
            theory.maxPoleReal = std::max(theory.maxPoleReal, p.real());
            slowest = std::min(slowest, -p.real());
        }
        for (const Pole& p : theory.alongPathPoles)
            theory.maxPoleReal = std::max(theory.maxPoleReal, p.real());
        theory.slowestTimeConstant = slowest > 0.0 ? 1.0 / slowest : kInfinity;
        theory.step = settings.dt / kSubSteps;
        theory.stepLimitFn = kNaN;
        theory.maxStepGrowth = worstStepGrowth(theory, theory.step);
        if (!(theory.maxPoleReal < 0.0)) {
            theory.stability = Stability::kRightHalfPlane;
        } else if (theory.maxStepGrowth > 1.0) {
            theory.stability = Stability::kIntegrationStep;
            theory.stepLimitFn = stepLimitFn(settings, k + 1, r.path.kappa, theory.step);
        }
        theory.steady = steadyOffset(settings, gains, k + 1, r.path, theory.stable());
        if (r.path.period > 0.0 && theory.stable() && !slipActive(settings))
            theory.periodic = periodicOffset(settings, gains, k + 1, r.path);
        theory.slipDdRms = kNaN;
        if (slipActive(settings) && theory.stable() && r.path.shape != PathShape::kVarying)
            theory.slipDdRms = slipDdRms(settings, gains, k + 1, r.path.kappa);
        if (theory.stable()) {
            predictedFigures(e, steadyDd(settings, gains, k + 1, r.path.kappa), gains,
                             std::atan(settings.tread * r.path.kappa), theory);
        } else {
            theory.figures.steady = kNaN;
            theory.figures.peak = kInfinity;
            theory.figures.overshoot = kNaN;
            theory.figures.settlingTime = kInfinity;
        }
    }
    return r;
}

void predictOffsets(const SimulationSettings& settings, const FeedbackGains& gains, int vehicleType,
                    double dt, int lastIndex, double endTime, double* dd) {
    const ErrorDynamics e =
        errorDynamics(settings, gains, vehicleType, pathCurvature(settings).kappa);
    double x[kErrorStates] = {};
    dd[0] = 0.0;
    if (lastIndex < 1) return;
    const Transition record(e, dt);
    for (int n = 1; n < lastIndex; ++n) {
        record.apply(x);
        dd[n] = x[kDd];
    }
    // The end record follows the last regular one after what is left of the run.
    Transition(e, endTime - (lastIndex - 1) * dt).apply(x);
    dd[lastIndex] = x[kDd];
}

}  // namespace agv
