#include "draw/gl_window.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace agv {

namespace {

constexpr unsigned int kDisplayMode = GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH;
/// Tries at opening the X display before giving up, and the pause between them.
constexpr int kDisplayAttempts = 3;
constexpr std::chrono::milliseconds kDisplayRetryPause{50};
/// Bytes per pixel of the RGB read-back.
constexpr int kRgbBytes = 3;

void setUtf8Property(Display* display, Window window, const char* name, const char* text) {
    const Atom property = XInternAtom(display, name, False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, property, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(text),
                    static_cast<int>(std::strlen(text)));
}

// GLUT ends the program when it must repaint a window without a display callback; until
// the program registers its own, a repaint leaves the picture as it is.
void keepPicture() {}

}  // namespace

bool initGlut(int& argc, char** argv) {
    // The display is opened first: glutInit ends the process when it cannot. The probe
    // stays open while GLUT connects, because the X server now and then refuses a
    // connection opened right after another one was closed.
    Display* probe = nullptr;
    for (int attempt = 0; attempt < kDisplayAttempts && probe == nullptr; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(kDisplayRetryPause);
        probe = XOpenDisplay(nullptr);
    }
    if (probe == nullptr) return false;
    glutInitWindowSize(kWindowSize, kWindowSize);
    // Without an explicit position the window lands at (-1, -1).
    glutInitWindowPosition(0, 0);
    if (glutGet(GLUT_INIT_STATE) == 0) glutInit(&argc, argv);
    XCloseDisplay(probe);
    return true;
}

int createDrawingWindow() {
    glutInitDisplayMode(kDisplayMode);
    const int id = glutCreateWindow(kWindowTitle);
    glutDisplayFunc(keepPicture);
    // GLUT hands the title to X as Latin-1 text; the window managers read the UTF-8
    // names instead.
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (display != nullptr && window != 0) {
        setUtf8Property(display, window, "_NET_WM_NAME", kWindowTitle);
        setUtf8Property(display, window, "_NET_WM_ICON_NAME", kWindowTitle);
        setUtf8Property(display, window, "WM_NAME", kWindowTitle);
        setUtf8Property(display, window, "WM_ICON_NAME", kWindowTitle);
        // The owning process, by which tools find the program's window.
        const long pid = static_cast<long>(getpid());
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL,
                        32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        XFlush(display);
    }
    setWindowViewport(kWindowSize, kWindowSize);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    return id;
}

void setWindowViewport(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

std::vector<std::uint8_t> readBackBuffer(int width, int height) {
    const size_t row = static_cast<size_t>(width) * kRgbBytes;
    std::vector<std::uint8_t> bottomUp(row * height);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    // GL counts rows from the bottom; pictures start with the top row.
    std::vector<std::uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        std::memcpy(&topDown[static_cast<size_t>(y) * row],
                    &bottomUp[static_cast<size_t>(height - 1 - y) * row], row);
    }
    return topDown;
}

}  // namespace agv
