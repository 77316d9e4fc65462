# Build helpers shared by every folder.

find_package(GTest REQUIRED)
include(GoogleTest)

function(corvanta_target_flags target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(CORVANTA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# The fuzz build (clang): every target is instrumented for libFuzzer's
# coverage, and the targets in fuzz/ become libFuzzer programs.
option(CORVANTA_FUZZ "Build fuzz/ as libFuzzer programs (clang only)" OFF)
if(CORVANTA_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(CORVANTA_SANITIZE)
  add_compile_options(-fsanitize=${CORVANTA_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${CORVANTA_SANITIZE})
endif()

# Adds the sources of one system folder to the library.
function(corvanta_add_source_dir target dir)
  set(abs ${CMAKE_SOURCE_DIR}/${dir})
  if(NOT EXISTS ${abs})
    return()
  endif()
  if(EXISTS ${abs}/CMakeLists.txt)
    add_subdirectory(${abs} ${CMAKE_BINARY_DIR}/src/${dir})
  else()
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${abs}/*.cpp)
    target_sources(${target} PRIVATE ${srcs})
  endif()
endfunction()

# The CTest label of a test folder: its first path element (apps/calc -> apps).
function(corvanta_label_of dir out)
  string(REGEX REPLACE "/.*" "" label ${dir})
  set(${out} ${label} PARENT_SCOPE)
endfunction()

# Records a test program under its label: test_programs_<label> builds every
# program of one label, and test_programs_<label>.txt in the build folder
# lists their files (written by corvanta_write_test_programs), so CI can
# build, run and remove one label's programs at a time.
function(corvanta_register_test_program target label)
  get_property(labels GLOBAL PROPERTY CORVANTA_TEST_LABELS)
  if(NOT label IN_LIST labels)
    set_property(GLOBAL APPEND PROPERTY CORVANTA_TEST_LABELS ${label})
  endif()
  set_property(GLOBAL APPEND PROPERTY CORVANTA_TEST_PROGRAMS_${label} ${target})
endfunction()

function(corvanta_write_test_programs)
  get_property(labels GLOBAL PROPERTY CORVANTA_TEST_LABELS)
  list(SORT labels)
  foreach(label IN LISTS labels)
    get_property(targets GLOBAL PROPERTY CORVANTA_TEST_PROGRAMS_${label})
    add_custom_target(test_programs_${label})
    add_dependencies(test_programs_${label} ${targets})
    set(files "")
    foreach(t IN LISTS targets)
      string(APPEND files "$<TARGET_FILE:${t}>\n")
    endforeach()
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/test_programs_${label}.txt CONTENT "${files}")
  endforeach()
  string(REPLACE ";" "\n" lines "${labels}")
  file(WRITE ${CMAKE_BINARY_DIR}/test_labels.txt "${lines}\n")
endfunction()

# corvanta_add_test(NAME name LABEL label SOURCES a.cpp ... [LIBS ...] [DISCOVER])
# One GoogleTest executable linked with the calculator library. DISCOVER runs
# each test case in a process of its own; otherwise the executable is one test.
function(corvanta_add_test)
  cmake_parse_arguments(T "DISCOVER" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  corvanta_register_test_program(${T_NAME} ${T_LABEL})
  corvanta_target_flags(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${CORVANTA_TEST_SUPPORT} corvanta_core GTest::gtest GTest::gtest_main ${T_LIBS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  if(T_DISCOVER)
    gtest_discover_tests(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
                         WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60)
  else()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()

# A test folder either brings its own CMakeLists.txt or has each .cpp directly
# in it built as one test executable named after the folder and the file.
function(corvanta_add_test_dir dir)
  set(abs ${CMAKE_SOURCE_DIR}/tests/${dir})
  if(NOT EXISTS ${abs})
    return()
  endif()
  corvanta_label_of(${dir} label)
  if(EXISTS ${abs}/CMakeLists.txt)
    add_subdirectory(${abs} ${CMAKE_BINARY_DIR}/tests/${dir})
    return()
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${abs}/*.cpp)
  string(REPLACE "/" "_" stem ${dir})
  foreach(src IN LISTS srcs)
    get_filename_component(name ${src} NAME_WE)
    corvanta_add_test(NAME ${stem}_${name} LABEL ${label} SOURCES ${src})
  endforeach()
endfunction()
