#include "app/console/path_dialogue.h"

#include "app/common/context.h"
#include "app/console/console.h"
#include "app/console/dialogue.h"
#include "path/curve_catalog.h"
#include "sim/scenario.h"

namespace agv {

namespace {

/// The prompt of each curve, in the catalog's order.
const char* const kCurvePrompts[kMenuCurveCount] = {
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) を選択　A,L,波数nを設定 A L n=",
    "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) を選択 A L=",
    "\n I=3  : 2次関数 y=A*(x/L)^2 を選択　A L=",
    "\n I=4  : 3次関数 y=A*(x/L)^3 を選択 A L=",
    "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) を選択 A B=",
    "\n I=12 : アルキメデス螺旋 r=A*(β/2π) を選択 Aと巻数(任意正数)入力 A n=",
    "\n I=13 : カーディオイド r=A(B-cosβ) を選択 A=",
    "\n I=14 : 正葉線 r=A*sin(nβ) を選択 A n(=1,2,...,1/2,1/3,...)=",
    "\n I=15 : 円弧 r=R を選択 R n(=任意正数)=",
    "\n I=16 : 波打ち円 r=R+A*cos(nβ) を選択 R=2[m], A n(=任意正数)=",
};

const char* const kMenuLines[] = {
    "\n\nCP経路曲線を設定・変更　　曲線番号入力",
    "\n 定数は全て正値",
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) ",
    "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) ",
    "\n I=3  : 2次関数 y=A*(x/L)^2 ",
    "\n I=4  : 3次関数 y=A*(x/L)^3 ",
    "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) ",
    "\n I=12 : アルキメデス螺旋 r=A*(β/2π) ",
    "\n I=13 : カーディオイド r=A*(B-cosβ) ",
    "\n I=14 : 正葉線 r=A*sin(nβ) ",
    "\n I=15 : 円弧   r=R ",
    "\n I=16 : 波打ち円  r=R+A*cos(nβ) ",
    "\n Input I= ",
};

const char* promptOf(const CurveInfo& info) {
    return kCurvePrompts[&info - kCurveCatalog];
}

/// Asks curve I's constants until they pass their tests.
void askConstants(AgvContext& ctx, Console& console, const CurveInfo& info) {
    for (;;) {
        console.print("%s", promptOf(info));
        double values[kMaxCurveConstants];
        curveConstantsOf(ctx.scenario, info.number, values);
        // Constants the answer does not give keep their values.
        console.readNumbers(values, info.constantCount);
        setCurveConstants(ctx.scenario, info.number, values, info.constantCount);
        if (acceptSetting(ctx, checkScenarioCurve(ctx.scenario))) return;
    }
}

}  // namespace

void selectPath(AgvContext& ctx, Console& console) {
    const CurveInfo* chosen = nullptr;
    while (!chosen) {
        for (const char* line : kMenuLines)
            console.print("%s", line);
        int answer = 0;
        // An answer that is no number is treated like a number of zero or below.
        if (!console.readInt(answer) || answer <= 0) continue;
        console.print("\n 定数を設定　どのケースもA or B=0-10 間の値とする");
        chosen = findCurveInfo(answer);
        // Curves for the tools only are not on the menu.
        if (chosen && !chosen->inMenu) chosen = nullptr;
        if (!chosen) console.print("\n I=%d  やり直し", answer);
    }
    ctx.scenario.curveNumber = chosen->number;
    askConstants(ctx, console, *chosen);
}

}  // namespace agv
