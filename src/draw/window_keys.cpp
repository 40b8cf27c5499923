#include "draw/window_keys.h"

#include <algorithm>

#include "draw/scene.h"

namespace agv {

KeyAction applyWindowKey(const ViewControl& control, unsigned char key) {
    ViewState& view = control.view;
    switch (key) {
        case '1':
        case '2':
        case '3':
            control.view.vehicleType = key - '0';
            view.motionIndex = 0;
            return KeyAction::kRedraw;
        case 's': {
            view.motionIndex += kMotionStep;
            const int type = control.view.vehicleType;
            if (type >= 1 && type <= kVehicleTypeCount) {
                const int last = control.store.recordCount[type - 1];
                if (view.motionIndex > last) view.motionIndex = last;
            }
            view.motionIndex = std::max(view.motionIndex, 0);
            return KeyAction::kRedraw;
        }
        case '0':
            view.motionIndex = 0;
            return KeyAction::kRedraw;
        case 'x':
            view.viewOffsetX -= kShiftStep;
            return KeyAction::kRedraw;
        case 'X':
            view.viewOffsetX += kShiftStep;
            return KeyAction::kRedraw;
        case 'y':
            view.viewOffsetY -= kShiftStep;
            return KeyAction::kRedraw;
        case 'Y':
            view.viewOffsetY += kShiftStep;
            return KeyAction::kRedraw;
        case 'w':
            view.viewScale *= kZoomStep;
            return KeyAction::kRedraw;
        case 'W':
            view.viewScale /= kZoomStep;
            return KeyAction::kRedraw;
        case 't':
            view.theoryOverlay = !view.theoryOverlay;
            return KeyAction::kRedraw;
        case 'c':
        case 'e':
        case 'f':
            view.motionIndex = 0;
            return KeyAction::kDialogue;
        case kEscapeKey:
            return KeyAction::kExit;
        default:
            return KeyAction::kNone;
    }
}

}  // namespace agv
