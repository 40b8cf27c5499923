# The drawing of the picture: captions, grid, trajectories, figures and plots emitted as
# primitives through a backend, the view state, the window keys, and the recording
# backend. No OpenGL, so the web build shares it.
add_library(agv_draw_core STATIC
  draw/view_state.cpp
  draw/shapes.cpp
  draw/primitives.cpp
  draw/number_text.cpp
  draw/captions.cpp
  draw/plots.cpp
  draw/theory_overlay.cpp
  draw/vehicle_figure.cpp
  draw/frame.cpp
  draw/pinned_overlay.cpp
  draw/window_keys.cpp
  draw/recording_backend.cpp)
# Include root: src, for "draw/..."; the layering test keeps app/ out of it.
target_include_directories(agv_draw_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(agv_draw_core PUBLIC agvcore)
