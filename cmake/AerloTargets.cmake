# Helpers shared by every area's CMakeLists.

include(GenerateExportHeader)

# aerlo_library(NAME <target> [SHARED EXPORT_MACRO <macro> EXPORT_HEADER <path>|STATIC] [OUTPUT_NAME <name>]
#               [LINKS <libs...>] [PUBLIC_LINKS <libs...>] [SOURCES <files...> | EXCLUDE <files...>])
# Sources: the SOURCES given, or else every .cpp and .h in the calling folder but those in EXCLUDE.
# LINKS are private: a dependency is PUBLIC only when a header of the target includes it.
# A shared library hides every symbol but those its headers mark with EXPORT_MACRO, defined in the
# generated EXPORT_HEADER (included as "<path>").
function(aerlo_library)
  cmake_parse_arguments(ARG "SHARED;STATIC" "NAME;OUTPUT_NAME;EXPORT_MACRO;EXPORT_HEADER" "LINKS;PUBLIC_LINKS;SOURCES;EXCLUDE"
    ${ARGN})
  if(ARG_SOURCES)
    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
  else()
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    foreach(excluded ${ARG_EXCLUDE})
      list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
    endforeach()
  endif()
  if(NOT sources)
    # An area with no code yet: an interface target, so that dependents already link.
    add_library(${ARG_NAME} INTERFACE)
    target_include_directories(${ARG_NAME} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${ARG_NAME} INTERFACE ${ARG_PUBLIC_LINKS})
    return()
  endif()
  if(ARG_SHARED)
    add_library(${ARG_NAME} SHARED ${sources})
  else()
    add_library(${ARG_NAME} STATIC ${sources})
  endif()
  if(ARG_OUTPUT_NAME)
    set_target_properties(${ARG_NAME} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
  endif()
  target_include_directories(${ARG_NAME} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_PUBLIC_LINKS} PRIVATE ${ARG_LINKS})
  if(ARG_SHARED)
    if(NOT ARG_EXPORT_MACRO OR NOT ARG_EXPORT_HEADER)
      message(FATAL_ERROR "shared library ${ARG_NAME} needs EXPORT_MACRO and EXPORT_HEADER")
    endif()
    set_target_properties(${ARG_NAME} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    generate_export_header(${ARG_NAME} EXPORT_MACRO_NAME ${ARG_EXPORT_MACRO}
      EXPORT_FILE_NAME ${CMAKE_BINARY_DIR}/exports/${ARG_EXPORT_HEADER})
    target_include_directories(${ARG_NAME} PUBLIC ${CMAKE_BINARY_DIR}/exports)
  endif()
endfunction()

# aerlo_test(NAME <target> [LINKS <libs...>] [QT])
# One GoogleTest executable from every .cpp in the calling folder, each test registered with CTest.
function(aerlo_test)
  cmake_parse_arguments(ARG "QT" "NAME" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${ARG_NAME} ${sources})
  set_target_properties(${ARG_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LINKS} AerloTestSupport GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${ARG_NAME} PRIVATE
    AERLO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" AERLO_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT 120)
  # A list value does not survive the discovery script's argument passing: the environment is set on the
  # discovered tests by a file ctest includes after them. The desktop's configuration folder is one under the
  # build tree, never the real home's (a test's TempRoot moves it into its own folder).
  set(environment ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}_environment.cmake)
  file(WRITE ${environment}
    "if(${ARG_NAME}_TESTS)\n"
    "  set_tests_properties(\${${ARG_NAME}_TESTS} PROPERTIES ENVIRONMENT \"QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;AERLO_HELPER_INSTALL=stand-in;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/tests/config\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${environment})
endfunction()

include(GoogleTest)

# aerlo_static_copy(<target> [LINKS <libs...>])
# "<target>Static": the objects of a project library again, as a static library. The programs that root
# runs from the system install (the helper and its keep-alive) link these, so that they load no shared
# library from the build tree, which its user owns.
function(aerlo_static_copy target)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  add_library(${target}Static STATIC $<TARGET_OBJECTS:${target}>)
  target_include_directories(${target}Static PUBLIC $<TARGET_PROPERTY:${target},INTERFACE_INCLUDE_DIRECTORIES>)
  target_link_libraries(${target}Static PUBLIC ${ARG_LINKS})
  # The layering test places the copy with its original.
  set_target_properties(${target}Static PROPERTIES AERLO_COPY_OF ${target})
endfunction()
