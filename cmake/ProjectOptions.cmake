# Compiler settings shared by every target of the project.
add_library(ge_options INTERFACE)
target_compile_options(ge_options INTERFACE -Wall -Wextra)
target_include_directories(ge_options INTERFACE ${PROJECT_SOURCE_DIR})
if(GE_SANITIZE)
  target_compile_options(ge_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                              -fno-sanitize-recover=undefined)
  target_link_options(ge_options INTERFACE -fsanitize=address,undefined)
endif()

# ge_module(NAME SOURCES ... [LIBS ...]): one static library per engine module.
# A module whose list holds only headers is an interface library.
function(ge_module name)
  cmake_parse_arguments(M "" "" "SOURCES;LIBS" ${ARGN})
  set(cpp ${M_SOURCES})
  list(FILTER cpp INCLUDE REGEX "\\.(cpp|c)$")
  if(cpp)
    add_library(${name} STATIC ${M_SOURCES})
    target_link_libraries(${name} PUBLIC ge_options ${M_LIBS})
    # The test programs link every module through one shared library (tests/).
    set_property(GLOBAL APPEND PROPERTY GE_STATIC_MODULES ${name})
  else()
    add_library(${name} INTERFACE ${M_SOURCES})
    target_link_libraries(${name} INTERFACE ge_options ${M_LIBS})
  endif()
endfunction()
