#include "sim/odometry_correction.h"

namespace agv {

OdometryCorrection correctionFrom(double ed, double eb) {
    OdometryCorrection c;
    c.active = true;
    c.leftFactor = 2.0 / (ed + 1.0);
    c.rightFactor = 2.0 / (1.0 / ed + 1.0);
    c.wheelBaseFactor = eb;
    return c;
}

}  // namespace agv
