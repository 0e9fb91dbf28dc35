# The hardening Debian builds its packages with, for every target of the
# Linux build: the program parses pages that come from the network.
#   -fstack-protector-strong   a canary in every function with local arrays
#   -D_FORTIFY_SOURCE=2        size-checked string and memory calls (needs
#                              optimisation, so not in Debug builds)
#   -fcf-protection            branch targets and shadow stack marked (CET)
#   PIE                        a position-independent program
#   -z relro -z now            relocations resolved at start, then read-only
# The install test reads them back from the installed program with readelf.
if(WIN32)
  return()
endif()

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -fcf-protection)
# A compiler that fortifies by default would warn of a redefinition.
add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
add_link_options(-Wl,-z,relro,-z,now)
