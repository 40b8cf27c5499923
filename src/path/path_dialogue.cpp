#include "path/path_dialogue.h"

#include "app/console.h"
#include "app/context.h"
#include "app/text_output.h"
#include "path/arc_length.h"
#include "path/curves.h"

namespace agv {

namespace {

/// One constant of a curve as the dialogue asks and tests it.
struct ConstantRule {
    double CurveParams::*field;
    /// Printed with the value when it is negative.
    const char* negativeMessage;
    /// Printed with the value when it is zero and zero gives no path (nullptr: zero is fine).
    const char* zeroMessage;
};

/// A curve of the menu: its prompt and its constants in the order they are read.
struct CurveEntry {
    int curveNumber;
    const char* prompt;
    int count;
    ConstantRule rules[kMaxCurveConstants];
};

constexpr const char* kNegativeA = "\n A=%5.2f < 0 設定し直し";
constexpr const char* kNegativeL = "\n L=%5.2f < 0 設定し直し";
constexpr const char* kNegativeN = "\n n=%5.2f < 0 設定し直し";
constexpr const char* kNegativeB = "\n B=%5.2f < 0 設定し直し";
constexpr const char* kNegativeR = "\n R=%5.2f < 0 設定し直し";
constexpr const char* kZeroA = "\n A=%5.2f = 0 では経路にならない　設定し直し";
constexpr const char* kZeroL = "\n L=%5.2f = 0 では経路にならない　設定し直し";
constexpr const char* kZeroN = "\n n=%5.2f = 0 では経路にならない　設定し直し";
constexpr const char* kZeroB = "\n B=%5.2f = 0 では経路にならない　設定し直し";
constexpr const char* kZeroR = "\n R=%5.2f = 0 では経路にならない　設定し直し";
/// For constants that pass one by one but still give no path together.
constexpr const char* kNoPath = "\n I=%d の定数では経路にならない　設定し直し";

const CurveEntry kCurves[] = {
    {1,
     "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) を選択　A,L,波数nを設定 A L n=",
     3,
     {{&CurveParams::cosineA, kNegativeA, nullptr},
      {&CurveParams::cosineL, kNegativeL, kZeroL},
      {&CurveParams::cosineN, kNegativeN, nullptr}}},
    {2,
     "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) を選択 A L=",
     2,
     {{&CurveParams::cycloidA, kNegativeA, nullptr}, {&CurveParams::cycloidL, kNegativeL, kZeroL}}},
    {3,
     "\n I=3  : 2次関数 y=A*(x/L)^2 を選択　A L=",
     2,
     {{&CurveParams::quadraticA, kNegativeA, nullptr},
      {&CurveParams::quadraticL, kNegativeL, kZeroL}}},
    {4,
     "\n I=4  : 3次関数 y=A*(x/L)^3 を選択 A L=",
     2,
     {{&CurveParams::cubicA, kNegativeA, nullptr}, {&CurveParams::cubicL, kNegativeL, kZeroL}}},
    {11,
     "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) を選択 A B=",
     2,
     {{&CurveParams::ellipseA, kNegativeA, kZeroA}, {&CurveParams::ellipseB, kNegativeB, kZeroB}}},
    {12,
     "\n I=12 : アルキメデス螺旋 r=A*(β/2π) を選択 Aと巻数(任意正数)入力 A n=",
     2,
     {{&CurveParams::spiralA, kNegativeA, kZeroA}, {&CurveParams::spiralN, kNegativeN, nullptr}}},
    {13,
     "\n I=13 : カーディオイド r=A(B-cosβ) を選択 A=",
     1,
     {{&CurveParams::cardioidA, kNegativeA, kZeroA}}},
    {14,
     "\n I=14 : 正葉線 r=A*sin(nβ) を選択 A n(=1,2,...,1/2,1/3,...)=",
     2,
     {{&CurveParams::roseA, kNegativeA, kZeroA}, {&CurveParams::roseN, kNegativeN, kZeroN}}},
    {15,
     "\n I=15 : 円弧 r=R を選択 R n(=任意正数)=",
     2,
     {{&CurveParams::circleR, kNegativeR, kZeroR}, {&CurveParams::circleN, kNegativeN, nullptr}}},
    {16,
     "\n I=16 : 波打ち円 r=R+A*cos(nβ) を選択 R=2[m], A n(=任意正数)=",
     2,
     {{&CurveParams::wavyA, kNegativeA, nullptr}, {&CurveParams::wavyN, kNegativeN, nullptr}}},
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

const CurveEntry* findCurve(int curveNumber) {
    for (const CurveEntry& entry : kCurves) {
        if (entry.curveNumber == curveNumber) return &entry;
    }
    return nullptr;
}

/// Asks curve I's constants until they pass their tests.
void askConstants(AgvContext& ctx, Console& console, const CurveEntry& entry) {
    for (;;) {
        console.print("%s", entry.prompt);
        double values[kMaxCurveConstants];
        loadCurveConstants(ctx, entry.curveNumber, values);
        // Constants the answer does not give keep their values.
        console.readNumbers(values, entry.count);
        storeCurveConstants(ctx, entry.curveNumber, values);
        if (checkCurveConstants(ctx, entry.curveNumber)) return;
    }
}

}  // namespace

int curveConstantCount(int curveNumber) {
    const CurveEntry* entry = findCurve(curveNumber);
    return entry ? entry->count : 0;
}

void storeCurveConstants(AgvContext& ctx, int curveNumber, const double* values) {
    const CurveEntry* entry = findCurve(curveNumber);
    if (!entry) return;
    for (int i = 0; i < entry->count; ++i)
        ctx.settings.curve.*(entry->rules[i].field) = values[i];
}

void loadCurveConstants(const AgvContext& ctx, int curveNumber, double* values) {
    const CurveEntry* entry = findCurve(curveNumber);
    if (!entry) return;
    for (int i = 0; i < entry->count; ++i)
        values[i] = ctx.settings.curve.*(entry->rules[i].field);
}

bool checkCurveConstants(AgvContext& ctx, int curveNumber) {
    const CurveEntry* entry = findCurve(curveNumber);
    if (!entry) return false;
    for (int i = 0; i < entry->count; ++i) {
        const ConstantRule& rule = entry->rules[i];
        const double value = ctx.settings.curve.*(rule.field);
        if (value < 0.0) {
            printText(*ctx.out, rule.negativeMessage, value);
            return false;
        }
        if (value == 0.0 && rule.zeroMessage) {
            printText(*ctx.out, rule.zeroMessage, value);
            return false;
        }
    }
    if (!curveMakesPath(ctx.settings.curve, curveNumber)) {
        printText(*ctx.out, kNoPath, curveNumber);
        return false;
    }
    if (curveNumber == 2) ctx.settings.curve.cycloidK = kTwoPi / ctx.settings.curve.cycloidL;
    return true;
}

void selectPath(AgvContext& ctx, Console& console) {
    const CurveEntry* chosen = nullptr;
    while (!chosen) {
        for (const char* line : kMenuLines)
            console.print("%s", line);
        int answer = 0;
        // An answer that is no number is treated like a number of zero or below.
        if (!console.readInt(answer) || answer <= 0) continue;
        console.print("\n 定数を設定　どのケースもA or B=0-10 間の値とする");
        chosen = findCurve(answer);
        if (!chosen) console.print("\n I=%d  やり直し", answer);
    }
    ctx.settings.curveNumber = chosen->curveNumber;
    askConstants(ctx, console, *chosen);
    setupPath(ctx, chosen->curveNumber);
}

}  // namespace agv
