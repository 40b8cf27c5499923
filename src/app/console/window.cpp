#include "app/console/window.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "app/common/context.h"
#include "app/common/draw_context.h"
#include "app/console/console.h"
#include "app/console/dialogue.h"
#include "draw/gl_backend.h"
#include "draw/gl_window.h"

namespace agv {

namespace {

// What the callbacks work on. GLUT callbacks take no user data, so the window holds
// the program's one pointer to the run's context.
struct WindowSession {
    AgvContext* ctx;
    Console* console;
};

WindowSession* session = nullptr;

}  // namespace

int startWindow(AgvContext& ctx, Console& console, int& argc, char** argv) {
    if (!initGlut(argc, argv)) {
        std::fprintf(stderr,
                     "agvsim: no X display (is DISPLAY set?): the window cannot be opened\n");
        return kNoDisplayStatus;
    }
    // Lives until the program ends, as the window does.
    session = new WindowSession{&ctx, &console};
    createDrawingWindow();
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutMainLoop();
    return 0;
}

void onDisplay() {
    if (session != nullptr) displayFrame(sceneOf(*session->ctx));
}

void onReshape(int width, int height) {
    setWindowViewport(width, height);
}

void onKeyboard(unsigned char key, int /*x*/, int /*y*/) {
    if (session == nullptr) return;
    switch (applyWindowKey(*session->ctx, key)) {
        case KeyAction::kRedraw:
            onDisplay();
            break;
        case KeyAction::kDialogue:
            // Blocks until the console dialogue and the new computation are done; the
            // next redraw shows the new results.
            runDialogue(*session->ctx, *session->console);
            break;
        case KeyAction::kExit:
            // End the console's last line so that the shell prompt starts on its own.
            session->console->print("\n");
            session->console->out().flush();
            restoreTerminal();
            std::fflush(stdout);
            std::exit(0);
        case KeyAction::kNone:
            break;
    }
}

}  // namespace agv
