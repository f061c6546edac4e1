# Compiler settings of the project.
#
# cinevan_warnings: the warnings every library and executable of the project is built with
# (cinevan_add_library / cinevan_add_executable link it). CINEVAN_WERROR turns them into
# errors; scripts/test.sh builds that way, so that a warning stops CI.
option(CINEVAN_WERROR "Treat compiler warnings as errors" OFF)

add_library(cinevan_warnings INTERFACE)
target_compile_options(cinevan_warnings INTERFACE -Wall -Wextra)
if(CINEVAN_WERROR)
    target_compile_options(cinevan_warnings INTERFACE -Werror)
endif()

# Sanitizers apply to every object and to the link, the libraries' own included.
option(CINEVAN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(CINEVAN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
