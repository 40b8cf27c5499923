// Feedback gains of the three mechanisms, designed from fn and ζ.
#pragma once

namespace agv {

struct FeedbackGains {
    /// ωn² [1/s²].
    double omegaN2 = 0.0;
    /// 2ζωn [1/s].
    double twoZetaOmegaN = 0.0;
    /// 2DW1C: lateral offset [1/(m·s)], heading [1/s] and integral [1/s] gains.
    double Kd1 = 0.0, Kth1 = 0.0, KI1 = 0.0;
    /// 1FDW1FS: lateral offset [1/(m·s)], heading [1/s] and steering angle [1/s] gains.
    double Kd2 = 0.0, Kth2 = 0.0, Kfi2 = 0.0;
    /// 1RDW1FS: the same three gains as 1FDW1FS.
    double Kd3 = 0.0, Kth3 = 0.0, Kfi3 = 0.0;
};

}  // namespace agv
