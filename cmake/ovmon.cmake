# Build rules shared by the Windows (mingw-w64, run under Wine) and native trees.
#
# Portable sources need no <windows.h>: they build in both trees, and natively
# with AddressSanitizer and UndefinedBehaviorSanitizer. Win32 sources build
# only in the Windows tree.

set(OVMON_WARNINGS -Wall -Wextra -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 reports std::string's own inlined copies as overlapping at -O3 (a known false positive).
  list(APPEND OVMON_WARNINGS -Wno-restrict)
endif()

if(WIN32)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)
else()
  option(OVMON_SANITIZE "Build with ASan and UBSan" ON)
  option(OVMON_FUZZ "Build the libFuzzer targets (clang only)" OFF)
  if(OVMON_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
  if(OVMON_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# ovmon_sources(PORTABLE a.cpp ... WIN32 b.cpp ...): adds files to the module of this folder.
function(ovmon_sources)
  cmake_parse_arguments(ARG "" "" "PORTABLE;WIN32" ${ARGN})
  set_property(DIRECTORY APPEND PROPERTY OVMON_PORTABLE_SOURCES ${ARG_PORTABLE})
  set_property(DIRECTORY APPEND PROPERTY OVMON_WIN32_SOURCES ${ARG_WIN32})
endfunction()

# ovmon_module(name [USES module ...] [SYSTEM lib ...]): the static library ovmon_<name> of this
# folder's sources. It may use only the modules below it, named in USES; SYSTEM names the
# Windows libraries it calls. A module with no sources in this tree is an interface library.
function(ovmon_module name)
  cmake_parse_arguments(ARG "" "" "USES;SYSTEM" ${ARGN})
  get_property(sources DIRECTORY PROPERTY OVMON_PORTABLE_SOURCES)
  set(uses)
  foreach(module IN LISTS ARG_USES)
    list(APPEND uses ovmon_${module})
  endforeach()
  if(WIN32)
    get_property(win DIRECTORY PROPERTY OVMON_WIN32_SOURCES)
    list(APPEND sources ${win})
    list(APPEND uses ${ARG_SYSTEM})
  endif()
  if(sources)
    add_library(ovmon_${name} STATIC ${sources})
    target_compile_options(ovmon_${name} PRIVATE ${OVMON_WARNINGS})
    target_include_directories(ovmon_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(ovmon_${name} PUBLIC ${uses})
  else()
    add_library(ovmon_${name} INTERFACE)
    target_include_directories(ovmon_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(ovmon_${name} INTERFACE ${uses})
  endif()
endfunction()

# The module's resources: ovmon.rc and what it includes (dialog templates, icons, the manifest),
# so that a program holding them is rebuilt when any of them changes (windres writes no depfile).
set(OVMON_RESOURCES ${CMAKE_SOURCE_DIR}/src/ui/res/ovmon.rc)
file(GLOB OVMON_RESOURCE_PARTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/res/* ${CMAKE_SOURCE_DIR}/src/ui/resource.h)
list(REMOVE_ITEM OVMON_RESOURCE_PARTS ${OVMON_RESOURCES})

# ovmon_add_resources(target): compiles the module's resources into target.
function(ovmon_add_resources target)
  target_sources(${target} PRIVATE ${OVMON_RESOURCES})
  set_source_files_properties(${OVMON_RESOURCES} TARGET_DIRECTORY ${target}
    PROPERTIES OBJECT_DEPENDS "${OVMON_RESOURCE_PARTS}")
endfunction()

# ovmon_test(NAME n SOURCES ... [WIN32_ONLY] [RESOURCES] [LIBS ...] [LOCK name]): a GoogleTest
# program linked with the module its folder tests (tests/mailsetup tests ovmon_mailsetup);
# portable tests run in both trees. Tests sharing a LOCK never run at the same time (those that
# make the service's machine-wide events take "service-objects"); LOCK "all" runs each test of
# the program alone (it changes what every Wine process of the prefix sees).
function(ovmon_test)
  cmake_parse_arguments(ARG "WIN32_ONLY;RESOURCES" "NAME;LOCK" "SOURCES;LIBS" ${ARGN})
  if(ARG_WIN32_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  if(ARG_RESOURCES)
    ovmon_add_resources(${ARG_NAME})
  endif()
  target_compile_options(${ARG_NAME} PRIVATE ${OVMON_WARNINGS})
  target_include_directories(${ARG_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  file(RELATIVE_PATH module ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "" module ${module})
  target_link_libraries(${ARG_NAME} PRIVATE ovmon_${module} ovmon_test_support GTest::gmock ${ARG_LIBS})
  if(WIN32)
    ovmon_discover_wine_tests(${ARG_NAME} "${ARG_LOCK}")
  else()
    gtest_discover_tests(${ARG_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
      PROPERTIES ENVIRONMENT "OVMON_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  endif()
endfunction()

# ovmon_discover_wine_tests(target [lock]): lists the program's tests under Wine when ctest
# starts (cmake/wine_discovery.cmake).
function(ovmon_discover_wine_tests target)
  set(lock "${ARGN}")
  set(include_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_wine_tests.cmake")
  file(GENERATE OUTPUT "${include_file}" CONTENT
    "include(\"${CMAKE_SOURCE_DIR}/cmake/wine_discovery.cmake\")
ovmon_wine_tests(NAME ${target} EXE \"$<TARGET_FILE:${target}>\"
  EMULATOR \"${CMAKE_CROSSCOMPILING_EMULATOR}\" SOURCE_DIR \"${CMAKE_SOURCE_DIR}\"
  WORKING_DIRECTORY \"${CMAKE_CURRENT_BINARY_DIR}\" LOCK \"${lock}\")
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${include_file}")
endfunction()

# ovmon_fuzz(NAME n MODULE m SOURCES ...): a libFuzzer target on module m (native clang tree only).
function(ovmon_fuzz)
  cmake_parse_arguments(ARG "" "NAME;MODULE" "SOURCES" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_compile_options(${ARG_NAME} PRIVATE ${OVMON_WARNINGS} -fsanitize=fuzzer)
  target_link_options(${ARG_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${ARG_NAME} PRIVATE ovmon_${ARG_MODULE})
  # A short bounded run proves the target works; longer campaigns run by hand. New inputs
  # go to the first corpus folder, in the build tree; the checked-in seeds are only read.
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/corpus/${ARG_NAME})
  file(MAKE_DIRECTORY ${corpus})
  if(EXISTS ${CMAKE_SOURCE_DIR}/fuzz/corpus/${ARG_NAME})
    list(APPEND corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${ARG_NAME})
  endif()
  add_test(NAME fuzz.${ARG_NAME} COMMAND ${ARG_NAME} -runs=20000 -max_total_time=20 ${corpus})
endfunction()
