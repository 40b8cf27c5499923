# Graphics window: drawing of the picture, the window and its keys, picture export.
find_package(OpenGL REQUIRED)
find_package(GLUT REQUIRED)
find_package(PNG REQUIRED)
find_package(GIF REQUIRED)
find_package(X11 REQUIRED)

add_library(agv_draw STATIC
  draw/shapes.cpp
  draw/primitives.cpp
  draw/number_text.cpp
  draw/captions.cpp
  draw/plots.cpp
  draw/vehicle_figure.cpp
  draw/frame.cpp
  draw/window_keys.cpp
  draw/gl_window.cpp
  draw/png_file.cpp
  draw/gif_file.cpp
  draw/picture_export.cpp)
target_link_libraries(agv_draw PUBLIC agvcore GLUT::GLUT OpenGL::GLU OpenGL::GL PNG::PNG GIF::GIF X11::X11)

# The interactive window runs the console dialogue from its keys.
if(TARGET agv_console)
  target_sources(agv_draw PRIVATE app/window.cpp)
  target_link_libraries(agv_draw PUBLIC agv_console)
endif()

# The window's end-to-end test runs the program: building the test builds it too. The
# test target only exists once the tests folder is read, so attach this at the end.
function(agv_window_test_dependency)
  if(TARGET draw_test_window_e2e AND TARGET agvsim)
    add_dependencies(draw_test_window_e2e agvsim)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL agv_window_test_dependency)
