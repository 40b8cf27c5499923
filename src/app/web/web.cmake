# The simulator as a WebAssembly module for the web page (agvsim.js + agvsim.wasm in the
# site folder) and, for tests under node, the same module in one file (agvsim-node.js).
# The random tables are built into the module.
# Reading the tables needs what Emscripten's C++ library lacks: a floating-point from_chars.
target_compile_options(agv_text PRIVATE -include ${CMAKE_CURRENT_LIST_DIR}/charconv_compat.h)

set(AGV_WEB_EXPORTS
  _agv_init _agv_scenario _agv_check_text _agv_run_text _agv_csv _agv_key _agv_set_view _agv_set_index _agv_state
  _agv_draw _agv_picture_numbers _agv_picture_texts _agv_theory _agv_calibrate _agv_report _agv_catalogue
  _agv_exercise _agv_exercise_check _agv_dd_series _agv_dd_series_numbers)
list(JOIN AGV_WEB_EXPORTS "," agv_web_exports)

set(agv_web_link_options
  -sMODULARIZE=1 -sEXPORT_NAME=createAgvsim -sALLOW_MEMORY_GROWTH=1
  -sEXPORTED_FUNCTIONS=[${agv_web_exports}]
  -sEXPORTED_RUNTIME_METHODS=[ccall,UTF8ToString,HEAPF64]
  # std::thread is never started here; the module runs in the calling thread (the page
  # loads it in a worker).
  -sENVIRONMENT=web,worker,node)
foreach(table normal01 normal12 normal23 normal34 normal45)
  list(APPEND agv_web_link_options
       "SHELL:--embed-file ${PROJECT_SOURCE_DIR}/data/${table}.data@/${table}.data")
endforeach()

function(agv_web_module target output)
  # The calibration lab answers with agvsim-calibrate's own JSON.
  add_executable(${target} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/web_api.cpp
                           ${PROJECT_SOURCE_DIR}/src/app/calibrate/calibration_report.cpp)
  target_link_libraries(${target} PRIVATE agv_common agv_draw_core)
  target_link_options(${target} PRIVATE ${agv_web_link_options} ${ARGN})
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output} SUFFIX ".js"
                                             RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/site)
endfunction()

agv_web_module(agvsim_web agvsim)
agv_web_module(agvsim_node agvsim-node -sSINGLE_FILE=1)
set_target_properties(agvsim_node PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

# The static page next to the module, with the page's own files copied in.
file(GLOB agv_web_page CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/web/*)
add_custom_target(agvsim_site ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${agv_web_page} ${PROJECT_BINARY_DIR}/site
  DEPENDS agvsim_web ${agv_web_page}
  COMMENT "Site folder ${PROJECT_BINARY_DIR}/site")
