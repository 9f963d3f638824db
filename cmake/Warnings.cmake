# Every target of the project compiles with these warnings. Developer builds and CI
# make them errors (VELQUORA_WERROR, on in scripts/test and .ci/run); a user's build of
# any build type does not, so a new compiler's false positive cannot stop it.
option(VELQUORA_WERROR "Treat compiler warnings as errors" OFF)
add_library(velquora_warnings INTERFACE)
target_compile_options(velquora_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual)
if(VELQUORA_WERROR)
  target_compile_options(velquora_warnings INTERFACE -Werror)
endif()
