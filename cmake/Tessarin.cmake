# Shared build settings of every Tessarin target, and the order of the layers.
#
# Every library, program and plug-in of the tree is declared through tessarin_library or
# tessarin_program. Each gets a rank from the folder it is declared in (the top-level
# CMakeLists.txt lists the folders in TESSARIN_LAYERS and TESSARIN_PROGRAM_FOLDERS, lowest first):
#   - logic targets: the folder's place in TESSARIN_LAYERS;
#   - window targets (WINDOW, the folders' ui/ parts): above every logic target, in the same order;
#   - programs and plug-ins (any target declared in a folder of TESSARIN_PROGRAM_FOLDERS): last.
# A target may link only targets of its own rank or below. At the end of configuring, every
# declared target's links are checked and a link that runs back up stops the configuration,
# naming both targets. Test and bench targets are not declared here and are exempt.

# Warnings are errors in spirit: a new warning is a bug. Sanitiser and fuzzer builds add their own flags.
function(tessarin_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# The rank and a readable place of a target declared in the calling folder.
function(_tessarin_layer_of window out_rank out_place)
    file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    string(REGEX REPLACE "/.*" "" folder "${rel}")
    list(FIND TESSARIN_PROGRAM_FOLDERS "${folder}" program_index)
    list(FIND TESSARIN_LAYERS "${folder}" layer_index)
    if(program_index GREATER_EQUAL 0)
        math(EXPR rank "2000 + ${program_index}")
        set(place "${rel}, programs")
    elseif(layer_index LESS 0)
        message(FATAL_ERROR "Layer order: folder '${folder}' is in neither TESSARIN_LAYERS nor "
                            "TESSARIN_PROGRAM_FOLDERS")
    elseif(window)
        math(EXPR rank "1000 + ${layer_index}")
        set(place "${rel}, windows")
    else()
        set(rank ${layer_index})
        set(place "${rel}, logic")
    endif()
    set(${out_rank} ${rank} PARENT_SCOPE)
    set(${out_place} "${place}" PARENT_SCOPE)
endfunction()

function(_tessarin_register target window)
    _tessarin_layer_of(${window} rank place)
    set_target_properties(${target} PROPERTIES TESSARIN_LAYER_RANK ${rank} TESSARIN_LAYER_PLACE "${place}")
    set_property(GLOBAL APPEND PROPERTY TESSARIN_LAYERED_TARGETS ${target})
endfunction()

# A library of one subsystem folder. Sources are given relative to the calling folder. WINDOW marks
# the window-side target of a folder (the only kind that may use wxWidgets); SHARED builds a shared
# library instead of a static one.
function(tessarin_library name)
    cmake_parse_arguments(ARG "WINDOW;SHARED" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    if(ARG_SHARED)
        add_library(${name} SHARED ${ARG_SOURCES})
    else()
        add_library(${name} STATIC ${ARG_SOURCES})
    endif()
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    tessarin_warnings(${name})
    _tessarin_register(${name} "${ARG_WINDOW}")
endfunction()

# A program or plug-in: an executable, or with MODULE a library loaded at run time. Declared in a
# folder of TESSARIN_PROGRAM_FOLDERS (or, for a build tool, beside the library it serves).
function(tessarin_program name)
    cmake_parse_arguments(ARG "MODULE" "" "SOURCES;LIBS" ${ARGN})
    if(ARG_MODULE)
        add_library(${name} MODULE ${ARG_SOURCES})
        target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    else()
        add_executable(${name} ${ARG_SOURCES})
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    tessarin_warnings(${name})
    _tessarin_register(${name} FALSE)
endfunction()

# wxWidgets for the window-side targets only; the rest of the tree never sees its headers.
function(tessarin_use_wx target)
    get_target_property(rank ${target} TESSARIN_LAYER_RANK)
    if(NOT rank MATCHES "NOTFOUND$" AND rank LESS 1000)
        get_target_property(place ${target} TESSARIN_LAYER_PLACE)
        message(FATAL_ERROR "Layer order: '${target}' (${place}) is a logic target and may not use "
                            "wxWidgets; declare it WINDOW in a ui/ folder")
    endif()
    target_include_directories(${target} SYSTEM PUBLIC ${wxWidgets_INCLUDE_DIRS})
    target_compile_definitions(${target} PUBLIC ${wxWidgets_DEFINITIONS})
    target_compile_options(${target} PUBLIC ${wxWidgets_CXX_FLAGS})
    target_link_libraries(${target} PUBLIC ${wxWidgets_LIBRARIES})
endfunction()

# Checks every declared target's links against the order; runs once, after the whole tree is read.
function(tessarin_check_layers)
    get_property(targets GLOBAL PROPERTY TESSARIN_LAYERED_TARGETS)
    set(errors "")
    foreach(target IN LISTS targets)
        get_target_property(rank ${target} TESSARIN_LAYER_RANK)
        get_target_property(place ${target} TESSARIN_LAYER_PLACE)
        get_target_property(links ${target} LINK_LIBRARIES)
        if(NOT links)
            continue()
        endif()
        foreach(link IN LISTS links)
            if(NOT TARGET "${link}")
                continue()
            endif()
            get_target_property(link_rank ${link} TESSARIN_LAYER_RANK)
            if(link_rank MATCHES "NOTFOUND$")
                continue()
            endif()
            if(link_rank GREATER rank)
                get_target_property(link_place ${link} TESSARIN_LAYER_PLACE)
                string(APPEND errors "\n  '${target}' (${place}) links '${link}' (${link_place}), which stands above it")
            endif()
        endforeach()
    endforeach()
    if(errors)
        message(FATAL_ERROR "Layer order: a link runs against the order of the layers:${errors}")
    endif()
endfunction()

cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL tessarin_check_layers)
