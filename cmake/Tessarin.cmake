# Shared build settings of every Tessarin target.

# Warnings are errors in spirit: a new warning is a bug. Sanitiser and fuzzer builds add their own flags.
function(tessarin_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# A library of one subsystem folder. Sources are given relative to the calling folder.
function(tessarin_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    tessarin_warnings(${name})
endfunction()

# wxWidgets for the window-side targets only; the rest of the tree never sees its headers.
function(tessarin_use_wx target)
    target_include_directories(${target} SYSTEM PUBLIC ${wxWidgets_INCLUDE_DIRS})
    target_compile_definitions(${target} PUBLIC ${wxWidgets_DEFINITIONS})
    target_compile_options(${target} PUBLIC ${wxWidgets_CXX_FLAGS})
    target_link_libraries(${target} PUBLIC ${wxWidgets_LIBRARIES})
endfunction()
