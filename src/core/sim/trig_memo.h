// Memos of elementary functions for arguments that repeat from one evaluation to the next:
// the headings of the vehicles are needed by the error measures of one stage and by the
// rates of the next, a steering angle that does not change keeps its sine and cosine.
// A memo answers only for an argument identical bit for bit, so it returns exactly what
// the function returns.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace agv {

/// Bit pattern of a double (distinguishes -0 from 0 and keeps NaN payloads).
inline std::uint64_t bitsOf(double x) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

/// sin and cos of the last argument.
struct SinCosMemo {
    std::uint64_t key = 0;
    bool valid = false;
    double s = 0.0, c = 0.0;

    void get(double x, double& sinX, double& cosX) {
        const std::uint64_t bits = bitsOf(x);
        if (!valid || bits != key) {
            s = std::sin(x);
            c = std::cos(x);
            key = bits;
            valid = true;
        }
        sinX = s;
        cosX = c;
    }
};

/// sin and cos of the last few arguments.
struct SinCosCache {
    static constexpr int kEntries = 4;
    std::uint64_t key[kEntries] = {};
    double s[kEntries] = {}, c[kEntries] = {};
    int count = 0;
    int next = 0;

    void get(double x, double& sinX, double& cosX) {
        const std::uint64_t bits = bitsOf(x);
        for (int i = 0; i < count; ++i) {
            if (key[i] == bits) {
                sinX = s[i];
                cosX = c[i];
                return;
            }
        }
        sinX = std::sin(x);
        cosX = std::cos(x);
        key[next] = bits;
        s[next] = sinX;
        c[next] = cosX;
        next = next + 1 < kEntries ? next + 1 : 0;
        if (count < kEntries) ++count;
    }
};

/// One function of one argument, with the last argument and value.
struct ScalarMemo {
    std::uint64_t key = 0;
    bool valid = false;
    double value = 0.0;

    template <typename F>
    double get(double x, F f) {
        const std::uint64_t bits = bitsOf(x);
        if (!valid || bits != key) {
            value = f(x);
            key = bits;
            valid = true;
        }
        return value;
    }
    double tan(double x) {
        return get(x, [](double v) { return std::tan(v); });
    }
    double atan(double x) {
        return get(x, [](double v) { return std::atan(v); });
    }
};

}  // namespace agv
