# Each layer of src/ is one static library whose sources are every .cpp/.h below its folder.
# The link line of a layer names only the layers under it, so an include of a higher layer fails
# to link: the dependency direction is enforced by the build, not by convention.
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
