# Graphics window: the OpenGL target of the drawing, the window and picture export.
find_package(OpenGL REQUIRED)
find_package(GLUT REQUIRED)
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)
find_package(X11 REQUIRED)

add_library(agv_draw STATIC
  draw/gl_backend.cpp
  draw/gl_window.cpp
  draw/png_file.cpp
  draw/gif_file.cpp
  draw/picture_export.cpp)
target_link_libraries(agv_draw PUBLIC agv_draw_core GLUT::GLUT OpenGL::GLU OpenGL::GL PNG::PNG
                                      GIF::GIF X11::X11)

# The window's end-to-end test runs the program: building the test builds it too. The
# test target only exists once the tests folder is read, so attach this at the end.
function(agv_window_test_dependency)
  if(TARGET draw_test_window_e2e AND TARGET agvsim)
    add_dependencies(draw_test_window_e2e agvsim)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL agv_window_test_dependency)
