# Warnings for our own targets only; third-party headers come in as system includes.
function(vocara_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                             -Wnon-virtual-dtor -Wold-style-cast)
    if(VOCARA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A static core library of ours: sources, public include root, warnings.
function(vocara_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    vocara_warnings(${name})
endfunction()

# One GoogleTest executable per library, registered with CTest.
function(vocara_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    vocara_warnings(${name})
    # The install folder of the build tree, with its generated tones and prompts.
    target_compile_definitions(${name} PRIVATE
                               VOCARA_TEST_SHARE_DIR="${CMAKE_BINARY_DIR}/share/vocara")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "VOCARA_TEST_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
