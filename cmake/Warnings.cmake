# Every target of the project compiles with warnings as errors.
add_library(velquora_warnings INTERFACE)
target_compile_options(velquora_warnings INTERFACE
  -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Werror)
