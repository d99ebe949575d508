# One interface target carries the warning flags; every target of the project links it.
add_library(orvel_warnings INTERFACE)
target_compile_options(orvel_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual
    -Wimplicit-fallthrough -Wformat=2)
target_compile_definitions(orvel_warnings INTERFACE QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
