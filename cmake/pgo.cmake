# The extension laid out by its own profile (GCC): the core and the binding
# are compiled a second time to count what they run, into a module that a
# copy of the package imports; tools/pgo/train.py reads the training corpus
# through it; and the extension's objects are then compiled with the
# counts, so that the path a call takes falls through and sits together.
# Full mode runs through many families, a little of each: laid out by the
# counts it takes 12% to 19% less time on the everyday texts, with 6% fewer
# instructions (bench/FULL_MODE.md).
#
# Counts are named and keyed by each object's base name (and a function
# local to its file by that name too): both compilations of a source are
# given the same one, so that the extension's objects read what the
# training objects wrote. A function the corpus never ran is compiled as
# without counts.

set(KALENDO_PGO_DIR ${CMAKE_CURRENT_BINARY_DIR}/pgo)
set(KALENDO_PGO_BINDING ${CMAKE_CURRENT_SOURCE_DIR}/src/py_binding.cpp)
file(MAKE_DIRECTORY ${KALENDO_PGO_DIR}/units)
foreach(source ${KALENDO_CORE_SOURCES} ${KALENDO_PGO_BINDING})
  file(RELATIVE_PATH base ${CMAKE_CURRENT_SOURCE_DIR}/src ${source})
  string(REPLACE "/" "_" base ${base})
  set_property(SOURCE ${source} APPEND PROPERTY COMPILE_OPTIONS -dumpdir ${KALENDO_PGO_DIR}/units/
                                                                -dumpbase ${base})
endforeach()

set(counting -fprofile-generate=${KALENDO_PGO_DIR}/counts -fprofile-update=prefer-atomic)
add_library(kalendo_train_objects OBJECT ${KALENDO_CORE_SOURCES})
target_link_libraries(kalendo_train_objects PUBLIC Threads::Threads kalendo_nanoarrow)
target_compile_options(kalendo_train_objects PRIVATE -iquote ${CMAKE_CURRENT_SOURCE_DIR}/src
                       ${counting})
# The counting module, as kalendo/_core in a copy of the package.
python_add_library(kalendo_train_module MODULE WITH_SOABI USE_SABI 3.10 ${KALENDO_PGO_BINDING})
target_sources(kalendo_train_module PRIVATE $<TARGET_OBJECTS:kalendo_train_objects>
                                            $<TARGET_OBJECTS:kalendo_nanoarrow>)
target_link_libraries(kalendo_train_module PRIVATE Threads::Threads kalendo_nanoarrow)
target_compile_options(kalendo_train_module PRIVATE -iquote ${CMAKE_CURRENT_SOURCE_DIR}/src
                       ${counting})
target_link_options(kalendo_train_module PRIVATE -fprofile-generate=${KALENDO_PGO_DIR}/counts)
set_target_properties(kalendo_train_module PROPERTIES OUTPUT_NAME _core
                      LIBRARY_OUTPUT_DIRECTORY ${KALENDO_PGO_DIR}/site/kalendo)

add_custom_command(
  OUTPUT ${KALENDO_PGO_DIR}/trained
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KALENDO_PGO_DIR}/counts
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_CURRENT_SOURCE_DIR}/python/kalendo
          ${KALENDO_PGO_DIR}/site/kalendo
  COMMAND ${CMAKE_COMMAND} -E env PYTHONPATH=${KALENDO_PGO_DIR}/site ${Python_EXECUTABLE} -s
          ${CMAKE_CURRENT_SOURCE_DIR}/tools/pgo/train.py ${CMAKE_CURRENT_SOURCE_DIR}/tools/pgo/train.txt
  COMMAND ${CMAKE_COMMAND} -E touch ${KALENDO_PGO_DIR}/trained
  DEPENDS kalendo_train_module ${CMAKE_CURRENT_SOURCE_DIR}/tools/pgo/train.py
          ${CMAKE_CURRENT_SOURCE_DIR}/tools/pgo/train.txt
  COMMENT "Training the extension on tools/pgo/train.txt"
  VERBATIM)
add_custom_target(kalendo_profile DEPENDS ${KALENDO_PGO_DIR}/trained)
# Counts that no longer fit a function (its source changed since) are
# dropped for that function with a warning, not a failed build.
set(counted -fprofile-use=${KALENDO_PGO_DIR}/counts -fprofile-partial-training
            -Wno-missing-profile -Wno-error=coverage-mismatch)
foreach(target kalendo_core_objects _core)
  add_dependencies(${target} kalendo_profile)
  target_compile_options(${target} PRIVATE ${counted})
endforeach()
