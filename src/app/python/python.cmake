# The Python module agvsim: the C++ part (_agvsim, pybind11 and NumPy) next to the package's
# Python files in ${PROJECT_BINARY_DIR}/python/agvsim, importable with
# PYTHONPATH=${PROJECT_BINARY_DIR}/python. Built where Debian's pybind11 is installed.
# Not under the sanitizers or the fuzzer: an instrumented module cannot be loaded by a plain
# interpreter.
if(AGV_SANITIZE OR AGV_FUZZ)
  return()
endif()
if(EXISTS /usr/bin/python3 AND NOT Python3_EXECUTABLE)
  # Debian's interpreter, which sees Debian's python3-* packages.
  set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "Python of the agvsim module")
endif()
find_package(Python3 COMPONENTS Interpreter Development.Module QUIET)
if(Python3_FOUND)
  find_package(pybind11 CONFIG QUIET)
endif()
if(pybind11_FOUND)
  set(agv_python_package ${PROJECT_BINARY_DIR}/python/agvsim)
  pybind11_add_module(_agvsim ${CMAKE_CURRENT_LIST_DIR}/module.cpp)
  target_link_libraries(_agvsim PRIVATE agv_common agv_sweep agv_calibrate)
  set_target_properties(_agvsim PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${agv_python_package})
  file(GLOB agv_python_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/agvsim/*)
  # The random tables travel with the package: a run never reads them from the working
  # directory.
  file(GLOB agv_python_tables CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*.data)
  add_custom_target(agvsim_python ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${agv_python_sources} ${agv_python_package}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${agv_python_package}/tables
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${agv_python_tables}
            ${agv_python_package}/tables
    DEPENDS ${agv_python_sources} ${agv_python_tables}
    COMMENT "Python package ${agv_python_package}")
  add_dependencies(_agvsim agvsim_python)
endif()
