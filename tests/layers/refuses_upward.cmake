# Runs the layer check on a small tree with one include per rule that must be
# refused, and fails unless every one of them is named.
#   cmake -DROOT=<source tree> -DWORK=<scratch folder> -P refuses_upward.cmake

set(tree ${WORK}/upward)
file(REMOVE_RECURSE ${tree})
# file: the include it makes
set(refused
    "src/device/a.cpp:ui/host.h"
    "src/device/b.cpp:operation/commit.h"
    "src/device/h.cpp:res/layout.h"
    "src/operation/c.cpp:pages/settings_page.h"
    "src/pages/d.cpp:app/setup.h"
    "src/cli/e.cpp:operation/app_context.h"
    "src/ui/f.cpp:device/config_store.h"
    "ipslan/g.cpp:device/device_link.h")
foreach(row IN LISTS refused)
    string(REPLACE ":" ";" parts "${row}")
    list(GET parts 0 file)
    list(GET parts 1 target)
    file(WRITE ${tree}/${file} "#include \"${target}\"\n")
endforeach()
# Only device may write the read image.
file(WRITE ${tree}/src/pages/h.cpp "device::ReadImageFill fill(store);\n")
list(APPEND refused "src/pages/h.cpp:ReadImageFill")
# Allowed downward includes, which must not be reported.
file(WRITE ${tree}/src/operation/ok.cpp "#include \"device/config_store.h\"\n#include \"ui/host.h\"\n")
file(WRITE ${tree}/src/pages/ok.cpp "#include \"operation/commit.h\"\n")
file(WRITE ${tree}/src/device/ok.cpp "#include \"res/ids/captions.h\"\n")

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${tree} -P ${ROOT}/scripts/check_layers.cmake
                RESULT_VARIABLE result ERROR_VARIABLE output OUTPUT_VARIABLE out)
string(APPEND output "${out}")
if(result EQUAL 0)
    message(FATAL_ERROR "the layer check passed a tree with upward includes")
endif()
foreach(row IN LISTS refused)
    string(REPLACE ":" ";" parts "${row}")
    list(GET parts 0 file)
    list(GET parts 1 target)
    string(FIND "${output}" "${file}: ${target}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "not refused: ${file} including ${target}\n${output}")
    endif()
endforeach()
foreach(file src/operation/ok.cpp src/pages/ok.cpp src/device/ok.cpp)
    string(FIND "${output}" "${file}:" at)
    if(NOT at EQUAL -1)
        message(FATAL_ERROR "refused a downward include in ${file}\n${output}")
    endif()
endforeach()
file(REMOVE_RECURSE ${tree})
