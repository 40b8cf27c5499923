// The mechanism errors a vehicle can be given, and what each takes as its size.
#pragma once

namespace agv {

/// The selected mechanism error; the dialogue's error numbers 0 to 5.
enum class MechanismError : int {
    kUnset = -1,          ///< before the first dialogue
    kNone = 0,            ///< no error
    kRearWheels = 1,      ///< radius errors of the left and right rear wheels
    kFrontWheel = 2,      ///< radius error of the front wheel
    kSteerDrift = 3,      ///< steering angle drift
    kWheelBaseTread = 4,  ///< WheelBase and Tread errors
    kSlip = 5,            ///< random slip of the drive wheel
    kCombined = 6,        ///< several of the errors 1 to 5 at once
};

/// How the size of an error is given by the user.
enum class ErrorUnit { kNone, kPercent, kDegrees };

/// One mechanism error of the list the dialogue, the report, the captions and the tools share.
struct MechanismErrorInfo {
    MechanismError kind;
    /// Short English name, for the tools and the web page.
    const char* name;
    /// Values that give its size (0, 1 or 2).
    int valueCount;
    ErrorUnit unit;
};

/// The six errors in the order of their numbers.
inline constexpr MechanismErrorInfo kMechanismErrors[] = {
    {MechanismError::kNone, "none", 0, ErrorUnit::kNone},
    {MechanismError::kRearWheels, "rear wheel radii", 2, ErrorUnit::kPercent},
    {MechanismError::kFrontWheel, "front wheel radius", 1, ErrorUnit::kPercent},
    {MechanismError::kSteerDrift, "steering angle drift", 1, ErrorUnit::kDegrees},
    {MechanismError::kWheelBaseTread, "WheelBase and Tread", 2, ErrorUnit::kPercent},
    {MechanismError::kSlip, "random drive-wheel slip", 1, ErrorUnit::kPercent},
};

/// Highest error number.
inline constexpr int kMaxErrorNumber = 5;

/// The error of number 0 to 5, kUnset for any other number.
inline MechanismError mechanismErrorOf(int number) {
    return number >= 0 && number <= kMaxErrorNumber ? static_cast<MechanismError>(number)
                                                    : MechanismError::kUnset;
}

/// A set of mechanism errors: bit n stands for error number n (1 to 5).
using ErrorMask = unsigned;

/// The set holding error number 1 to 5 alone.
inline constexpr ErrorMask errorBit(MechanismError error) {
    return 1u << static_cast<int>(error);
}

/// True when the set holds the error.
inline constexpr bool hasError(ErrorMask errors, MechanismError error) {
    return (errors & errorBit(error)) != 0;
}

/// The error a set stands for: none, the one it holds, or several combined.
inline MechanismError errorOfSet(ErrorMask errors) {
    for (int n = 1; n <= kMaxErrorNumber; ++n) {
        if (errors == (1u << n)) return static_cast<MechanismError>(n);
    }
    return errors == 0 ? MechanismError::kNone : MechanismError::kCombined;
}

/// The error's number 0 to 5, or -1 when unset.
inline int errorNumberOf(MechanismError error) {
    return static_cast<int>(error);
}

/// The list entry of an error; nullptr when unset.
inline const MechanismErrorInfo* mechanismErrorInfo(MechanismError error) {
    const int n = errorNumberOf(error);
    return n >= 0 && n <= kMaxErrorNumber ? &kMechanismErrors[n] : nullptr;
}

}  // namespace agv
