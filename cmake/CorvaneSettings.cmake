# SPDX-License-Identifier: GPL-3.0-or-later
# One INTERFACE target carries the compile settings every Corvane target shares.
add_library(corvane_settings INTERFACE)
target_compile_features(corvane_settings INTERFACE cxx_std_20)
target_compile_options(corvane_settings INTERFACE -Wall -Wextra -Wpedantic -Werror)
target_compile_definitions(corvane_settings INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_KEYWORDS
    QT_USE_QSTRINGBUILDER)

if(CORVANE_SANITIZE)
    set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(corvane_settings INTERFACE ${sanitizers})
    target_link_options(corvane_settings INTERFACE ${sanitizers})
endif()

# Coverage for the fuzzers reaches into every library they call.
if(CORVANE_FUZZ)
    target_compile_options(corvane_settings INTERFACE -fsanitize=fuzzer-no-link)
endif()

# One static library per folder, included from the project root and built with the shared
# settings. Usage: corvane_add_library(name SOURCES ... DEPENDS ...)
function(corvane_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} corvane_settings)
endfunction()
