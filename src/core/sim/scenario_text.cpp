#include "sim/scenario_text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale>
#include <sstream>
#include <vector>

#include "path/curve_catalog.h"

namespace agv {

namespace {

/// Significant digits that always read back to the same double.
constexpr int kRoundTripDigits = 17;
/// Whole numbers below 10^kPlainDigits are written out in full.
constexpr int kPlainDigits = 16;

/// The defaults a text leaves out.
const Scenario& defaults() {
    static const Scenario scenario;
    return scenario;
}

bool sameBits(double a, double b) {
    return std::signbit(a) == std::signbit(b) && (a == b || (std::isnan(a) && std::isnan(b)));
}

std::string numberList(const double* values, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i > 0 ? "," : "") + shortestDecimal(values[i]);
    return text;
}

/// The errors in the order of their numbers, with the names the text gives them.
struct ErrorField {
    MechanismError error;
    const char* name;
};
constexpr ErrorField kErrorFields[] = {
    {MechanismError::kRearWheels, "rear-wheels"},
    {MechanismError::kFrontWheel, "front-wheel"},
    {MechanismError::kSteerDrift, "drift"},
    {MechanismError::kWheelBaseTread, "wheelbase-tread"},
    {MechanismError::kSlip, "slip"},
};

/// Reads one finite number that fills the whole of text.
bool readNumber(const std::string& text, double& value) {
    if (text.empty() || text.front() == ' ' || text.front() == '+') return false;
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(read)) {
        return false;
    }
    value = read;
    return true;
}

/// Reads exactly `count` comma-separated numbers (count 0: up to `most`).
bool readNumbers(const std::string& text, int count, int most, std::vector<double>& values) {
    values.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        double value = 0.0;
        if (!readNumber(text.substr(start, comma - start), value)) return false;
        values.push_back(value);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    const int n = static_cast<int>(values.size());
    return count > 0 ? n == count : n >= 1 && n <= most;
}

bool fail(ScenarioTextError& error, const std::string& field, const std::string& message) {
    error.field = field;
    error.message = message;
    return false;
}

}  // namespace

bool readSeed(const std::string& text, std::uint32_t& seed) {
    if (text.empty() || text.size() > 10) return false;
    unsigned long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > std::numeric_limits<std::uint32_t>::max()) return false;
    seed = static_cast<std::uint32_t>(value);
    return true;
}

std::string shortestDecimal(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0.0 ? "inf" : "-inf";
    // The default float format of a stream is %g's.
    const auto withDigits = [value](int digits) {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out.precision(digits);
        out << value;
        return out.str();
    };
    std::string text;
    int digits = 1;
    for (; digits <= kRoundTripDigits; ++digits) {
        text = withDigits(digits);
        if (std::strtod(text.c_str(), nullptr) == value) break;
    }
    // A whole number of up to kPlainDigits digits reads better written out (20, not 2e+01):
    // %g writes it so with as many digits as it has.
    const std::size_t e = text.find('e');
    if (e != std::string::npos && text[e + 1] == '+') {
        const int exponent = std::atoi(text.c_str() + e + 2);
        if (exponent < kPlainDigits) text = withDigits(exponent + 1);
    }
    return text;
}

const char* errorFieldName(MechanismError error) {
    for (const ErrorField& f : kErrorFields) {
        if (f.error == error) return f.name;
    }
    return nullptr;
}

const char* lawParamsFieldName(ControllerKind kind) {
    switch (kind) {
        case ControllerKind::kPurePursuit:
            return "lookahead";
        case ControllerKind::kStanley:
            return "stanley-gain";
        case ControllerKind::kLqr:
            return "lqr-weights";
        default:
            return nullptr;
    }
}

std::string scenarioText(const Scenario& s) {
    std::vector<std::string> fields;
    for (const ErrorField& f : kErrorFields) {
        if (!hasError(s.errors.given, f.error)) continue;
        double values[2];
        errorValuesOf(s.errors, f.error, values);
        fields.push_back(std::string(f.name) + "=" +
                         numberList(values, mechanismErrorInfo(f.error)->valueCount));
    }
    if (s.seed) fields.push_back("seed=" + std::to_string(*s.seed));

    const Scenario& d = defaults();
    const int I = s.curveNumber;
    const int count = curveConstantCount(I);
    double constants[kMaxCurveConstants] = {};
    double startUp[kMaxCurveConstants] = {};
    curveConstantsOf(s, I, constants);
    curveConstantsOf(d, I, startUp);
    bool changed = false;
    for (int i = 0; i < count; ++i)
        changed = changed || !sameBits(constants[i], startUp[i]);
    if (changed) {
        fields.push_back("curve=" + std::to_string(I) + ":" + numberList(constants, count));
    } else if (I != d.curveNumber) {
        fields.push_back("curve=" + std::to_string(I));
    }
    if (!sameBits(s.fn, d.fn)) fields.push_back("fn=" + shortestDecimal(s.fn));
    if (!sameBits(s.zeta, d.zeta)) fields.push_back("zeta=" + shortestDecimal(s.zeta));
    if (s.controller != d.controller) {
        const char* name = controllerName(s.controller);
        fields.push_back(std::string("controller=") + (name ? name : "?"));
    }
    const ControllerParams& c = s.controllerParams;
    const ControllerParams& dc = d.controllerParams;
    if (!sameBits(c.lookahead, dc.lookahead)) {
        fields.push_back("lookahead=" + shortestDecimal(c.lookahead));
    }
    if (!sameBits(c.stanleyGain, dc.stanleyGain)) {
        fields.push_back("stanley-gain=" + shortestDecimal(c.stanleyGain));
    }
    const double weights[4] = {c.lqrOffset, c.lqrHeading, c.lqrThird, c.lqrInput};
    if (!sameBits(c.lqrOffset, dc.lqrOffset) || !sameBits(c.lqrHeading, dc.lqrHeading) ||
        !sameBits(c.lqrThird, dc.lqrThird) || !sameBits(c.lqrInput, dc.lqrInput)) {
        fields.push_back("lqr-weights=" + numberList(weights, 4));
    }
    if (s.mirror) fields.push_back("mirror");

    std::string text;
    for (const std::string& field : fields)
        text += (text.empty() ? "" : " ") + field;
    return text;
}

bool parseScenarioText(const std::string& text, Scenario& scenario, ScenarioTextError& error) {
    scenario = Scenario{};
    std::vector<std::string> seen;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string field = text.substr(start, end - start);
        start = end + 1;
        if (field.empty()) {
            if (end == text.size()) break;
            continue;
        }
        const std::size_t equals = field.find('=');
        const std::string name = field.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : field.substr(equals + 1);
        for (const std::string& earlier : seen) {
            if (earlier == name) return fail(error, name, "given more than once");
        }
        seen.push_back(name);
        if (name == "mirror") {
            if (equals != std::string::npos) return fail(error, name, "takes no value");
            scenario.mirror = true;
            continue;
        }
        if (equals == std::string::npos) {
            return fail(error, name, "is no field of a scenario (or lacks its '=value')");
        }

        bool isError = false;
        for (const ErrorField& f : kErrorFields) {
            if (name != f.name) continue;
            isError = true;
            const int count = mechanismErrorInfo(f.error)->valueCount;
            std::vector<double> values;
            if (!readNumbers(value, count, count, values)) {
                return fail(error, name,
                            count == 1 ? "takes one finite number"
                                       : "takes two finite numbers separated by a comma");
            }
            giveError(scenario.errors, f.error, values[0], count > 1 ? values[1] : 0.0);
        }
        if (isError) continue;

        if (name == "seed") {
            std::uint32_t seed = 0;
            if (!readSeed(value, seed)) {
                return fail(error, name, "takes a whole number from 0 to 4294967295");
            }
            scenario.seed = seed;
        } else if (name == "curve") {
            const std::size_t colon = value.find(':');
            const std::string number = value.substr(0, colon);
            char* stop = nullptr;
            const long I = std::strtol(number.c_str(), &stop, 10);
            if (number.empty() || stop != number.c_str() + number.size() || I < 0 ||
                I > std::numeric_limits<int>::max() ||
                curveConstantCount(static_cast<int>(I)) == 0) {
                return fail(error, name, "takes a curve number 1-4, 11-16 or 21");
            }
            scenario.curveNumber = static_cast<int>(I);
            if (colon != std::string::npos) {
                const int count = curveConstantCount(scenario.curveNumber);
                std::vector<double> values;
                if (!readNumbers(value.substr(colon + 1), 0, count, values)) {
                    return fail(error, name,
                                "takes after ':' up to " + std::to_string(count) +
                                    " finite numbers separated by commas, the curve's "
                                    "constants");
                }
                setCurveConstants(scenario, scenario.curveNumber, values.data(),
                                  static_cast<int>(values.size()));
            }
        } else if (name == "fn" || name == "zeta") {
            double number = 0.0;
            if (!readNumber(value, number)) return fail(error, name, "takes a finite number");
            (name == "fn" ? scenario.fn : scenario.zeta) = number;
        } else if (name == "controller") {
            const bool known = controllerOfName(value.c_str(), scenario.controller);
            if (!known) {
                return fail(error, name,
                            "names no controller (fnzeta, pure-pursuit, stanley, lqr)");
            }
        } else if (name == "lookahead" || name == "stanley-gain") {
            double number = 0.0;
            if (!readNumber(value, number)) return fail(error, name, "takes a finite number");
            ControllerParams& c = scenario.controllerParams;
            (name == "lookahead" ? c.lookahead : c.stanleyGain) = number;
        } else if (name == "lqr-weights") {
            std::vector<double> values;
            if (!readNumbers(value, 4, 4, values)) {
                return fail(error, name,
                            "takes four finite numbers separated by commas: Qd,Qth,Qphi,R");
            }
            ControllerParams& c = scenario.controllerParams;
            c.lqrOffset = values[0];
            c.lqrHeading = values[1];
            c.lqrThird = values[2];
            c.lqrInput = values[3];
        } else {
            return fail(error, name, "is no field of a scenario");
        }
    }
    return true;
}

}  // namespace agv
