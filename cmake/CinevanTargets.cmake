# How the project's targets are made. Sources include from the repository root
# (#include "movielist/CommaText.h"): a library gives that folder to itself and to every target
# that links it, an executable to itself. Both are built with the project's warnings.

# cinevan_add_library(<name> <source>...): a static library.
function(cinevan_add_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE cinevan_warnings)
endfunction()

# cinevan_add_executable(<name> <source>...)
function(cinevan_add_executable name)
    add_executable(${name} ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PRIVATE cinevan_warnings)
endfunction()
