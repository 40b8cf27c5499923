// A fresh run driven by a script on the console: start-up done, the random tables loaded,
// the console's and the core's texts collected in one string.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/random_table_file.h"
#include "app/console/console.h"

namespace agv {

class ScriptedRun : public testing::Test {
  protected:
    ScriptedRun() { restart(); }

    /// A new run from program start.
    void restart() {
        ctx = AgvContext{};
        ctx.out = &out;
        std::string error;
        EXPECT_TRUE(loadRandomTables(ctx.model.tables, error)) << error;
        initialiseRun(ctx);
        take();
    }

    /// Runs `step` with the script on the console's input; returns true when it ended
    /// because the script ran out.
    template <typename Step>
    bool runScript(const std::string& script, Step step) {
        std::istringstream in(script);
        Console console(in, out);
        try {
            step(console);
        } catch (const InputEnded&) {
            return true;
        }
        return false;
    }

    /// The text printed since the last call.
    std::string take() {
        std::string text = out.str();
        out.str("");
        return text;
    }

    AgvContext ctx;
    std::ostringstream out;
};

/// The path menu, as the path selection prints it.
inline const std::string kPathMenu =
    "\n\nCP経路曲線を設定・変更　　曲線番号入力"
    "\n 定数は全て正値"
    "\n I=1  : 余弦関数 y=A*(1-cos(2πx/L)) "
    "\n I=2  : サイクロイド関数 y=A*(x-L/2π*sin(2πx/L)) "
    "\n I=3  : 2次関数 y=A*(x/L)^2 "
    "\n I=4  : 3次関数 y=A*(x/L)^3 "
    "\n I=11 : 楕円 r=AB/sqrt((Acosβ)^2+(Bsinβ)^2) "
    "\n I=12 : アルキメデス螺旋 r=A*(β/2π) "
    "\n I=13 : カーディオイド r=A*(B-cosβ) "
    "\n I=14 : 正葉線 r=A*sin(nβ) "
    "\n I=15 : 円弧   r=R "
    "\n I=16 : 波打ち円  r=R+A*cos(nβ) "
    "\n Input I= ";
/// Number of times `part` occurs in `text`.
inline int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace agv
