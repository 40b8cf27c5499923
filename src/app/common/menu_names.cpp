#include "app/common/menu_names.h"

#include "path/curve_catalog.h"

namespace agv {

namespace {

/// The curves' names in the catalog's order.
const char* const kCurveMenuNames[kCurveCount] = {
    "余弦関数 y=A*(1-cos(2πx/L))",
    "サイクロイド関数 y=A*(x-L/2π*sin(2πx/L))",
    "2次関数 y=A*(x/L)^2",
    "3次関数 y=A*(x/L)^3",
    "楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2)",
    "アルキメデス螺旋 r=A*(β/2π)",
    "カーディオイド r=A*(B-cosβ)",
    "正葉線 r=A*sin(nβ)",
    "円弧 r=R",
    "波打ち円 r=R+A*cos(nβ) (R=2[m])",
    "角の丸い正方形 (一辺L, 角の半径r)",
};

/// The values' symbols in the order of the error numbers 1 to 5.
const char* const kErrorValueSymbols[kMaxErrorNumber][2] = {
    {"RearWheelerr", "RearWheelerr"},
    {"FrontWheelerr", nullptr},
    {"φerror", nullptr},
    {"WBerr", "TRerr"},
    {"SLIP", nullptr},
};

}  // namespace

const char* curveMenuName(int curveNumber) {
    const CurveInfo* info = findCurveInfo(curveNumber);
    return info ? kCurveMenuNames[info - kCurveCatalog] : nullptr;
}

const char* errorValueSymbol(MechanismError error, int k) {
    const int n = errorNumberOf(error);
    if (n < 1 || n > kMaxErrorNumber || k < 0 || k > 1) return nullptr;
    return kErrorValueSymbols[n - 1][k];
}

}  // namespace agv
