# Refuses every #include that points up the layers. Run as
#   cmake -DROOT=<source tree> -P scripts/check_layers.cmake
# The build runs it before compiling and CTest runs it as a test.
#
# A layer is a folder; an include belongs to the layer its first path
# component names ("device/commit.h" is device). Includes without a folder
# ("wire_internal.h") stay in their own layer; "../" is never allowed.

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
    get_filename_component(ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

# What each layer may include besides itself. res_ids are the id and list
# headers shared by templates and code; res proper is the templates.
set(allowed_ui "")
set(allowed_ui_qt ui)
set(allowed_ui_scripted ui)
set(allowed_ipslan "")
set(allowed_routersim ipslan)
set(allowed_res ui res_ids)
# device is the router and its files alone, so that the command-line tool and
# the fuzz targets link it without any window. It reads res_ids, pure data
# shared with the pages' templates, so that a setting is named by the very
# captions its window shows; nothing of ui or the operation layer.
set(allowed_device ipslan res_ids)
set(allowed_operation device ui ipslan)
set(allowed_pages operation device ui res_ids ipslan)
set(allowed_app pages operation device ui res_ids ipslan)
set(allowed_headless app pages operation device ui ui_scripted res_ids ipslan)
set(allowed_cli headless device ipslan)
set(allowed_main app pages operation device ui ui_qt res_ids ipslan routersim)

# The layer a path names, relative to src/ or the source root; empty when it
# names none of ours.
function(layer_of path out)
    set(layer "")
    if(path MATCHES "^ui/qt/")
        set(layer ui_qt)
    elseif(path MATCHES "^ui/scripted/")
        set(layer ui_scripted)
    elseif(path MATCHES "^res/(ids/|list_contents\\.h$)")
        set(layer res_ids)
    elseif(path MATCHES "^(ui|res|device|operation|pages|app|headless|cli|main|ipslan|routersim)/")
        set(layer ${CMAKE_MATCH_1})
    endif()
    set(${out} "${layer}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/src/*.h ${ROOT}/src/*.cpp
     ${ROOT}/ipslan/*.h ${ROOT}/ipslan/*.cpp ${ROOT}/routersim/*.h ${ROOT}/routersim/*.cpp)
set(faults "")
foreach(file IN LISTS files)
    string(REGEX REPLACE "^src/" "" inner "${file}")
    layer_of("${inner}" own)
    if(own STREQUAL "res_ids")
        set(own res)
    endif()
    if(NOT own)
        continue()
    endif()
    set(ok ${own} ${allowed_${own}})
    if(own STREQUAL "res")
        list(APPEND ok res_ids)
    endif()
    file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" target "${line}")
        if(target MATCHES "\\.\\./")
            list(APPEND faults "${file}: ${target} (no \"../\")")
            continue()
        endif()
        layer_of("${target}" layer)
        if(layer AND NOT layer IN_LIST ok)
            list(APPEND faults "${file}: ${target} (${own} may not include ${layer})")
        endif()
    endforeach()
    # The read image is what the router sent: only device fills it, and the
    # layers above see it const.
    if(NOT own STREQUAL "device")
        file(STRINGS ${ROOT}/${file} fills REGEX "ReadImageFill")
        if(fills)
            list(APPEND faults "${file}: ReadImageFill (only device fills the read image)")
        endif()
    endif()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "Includes that point up the layers, or reach past them:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "Includes point down only (${count} files)")
