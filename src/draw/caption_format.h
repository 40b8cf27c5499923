// How the captions of a picture write the mechanism error sizes.
#pragma once

namespace agv {

enum class CaptionFormat {
    kWindow,  ///< the window's fixed templates: two digits, truncated (0.5° shows " 01")
    kExact,   ///< the size as entered, in its shortest decimal form (0.5° shows " 0.5")
};

}  // namespace agv
