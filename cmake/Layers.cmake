# Each layer of src/ is a library whose link line names only the layers beneath it, so an include
# of a higher layer fails to link: the dependency direction is enforced by the build.
#
# A large layer is split into modules, one static library per subfolder (vc_engine_converter for
# src/engine/converter/), globbing every .cpp/.h of that folder; the layer library vc_<layer> is an
# interface library over its modules. A module names the modules it builds on.

function(vc_add_module layer module)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/${module}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${module}/*.h)
    set(target vc_${layer}_${module})
    add_library(${target} STATIC ${sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    target_compile_definitions(${target} PUBLIC __STDC_CONSTANT_MACROS)
endfunction()

function(vc_add_layer_over_modules layer)
    cmake_parse_arguments(ARG "" "" "MODULES" ${ARGN})
    add_library(vc_${layer} INTERFACE)
    foreach(m ${ARG_MODULES})
        target_link_libraries(vc_${layer} INTERFACE vc_${layer}_${m})
    endforeach()
endfunction()

# A layer that is one library: every .cpp/.h below its folder.
function(vc_add_layer name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    set(target vc_${name})
    add_library(${target} STATIC ${sources} ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
    target_compile_definitions(${target} PUBLIC __STDC_CONSTANT_MACROS)
endfunction()
