# Layers of the library. Each layer (and each floor of the engine) is an object library whose
# sources see only the headers of its own folder and of the layers it uses: its include
# folder is a staging folder holding one link, to its own source folder. An include of a
# folder the layer may not use is therefore not found, and the build stops.
function(tabrix_layer target folder)
  cmake_parse_arguments(arg "" "" "USES" ${ARGN})
  set(stage ${PROJECT_BINARY_DIR}/layers/${target})
  get_filename_component(parent ${stage}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${stage}/${folder} SYMBOLIC)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  if(sources)
    add_library(${target} OBJECT ${sources})
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${stage}>)
    target_link_libraries(${target} PUBLIC ${arg_USES})
    tabrix_warnings(${target})
    set_property(GLOBAL APPEND PROPERTY TABRIX_OBJECT_LAYERS ${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE $<BUILD_INTERFACE:${stage}>)
    target_link_libraries(${target} INTERFACE ${arg_USES})
  endif()
endfunction()
