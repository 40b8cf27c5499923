// agvsim: the AGV trajectory error simulator. Start-up, the first console dialogue, then
// the window.
#include <memory>
#include <string>

#include "app/common/computation.h"
#include "app/common/context.h"
#include "app/common/random_table_file.h"
#include "app/console/console.h"
#include "app/console/dialogue.h"
#include "app/console/window.h"

int main(int argc, char** argv) {
    agv::Console& console = agv::Console::standard();
    // One context for the whole run (its trajectory store is large, so it lives on the heap).
    auto ctx = std::make_unique<agv::AgvContext>();
    ctx->out = &console.out();

    std::string error;
    if (!agv::loadRandomTables(ctx->model.tables, error)) {
        console.print("\n%s\n", error.c_str());
        console.out().flush();
        return 1;
    }
    console.print("\nランダム変換表読み込み完了");
    agv::initialiseRun(*ctx);
    agv::runDialogue(*ctx, console);
    console.print("\n");
    console.out().flush();
    return agv::startWindow(*ctx, console, argc, argv);
}
