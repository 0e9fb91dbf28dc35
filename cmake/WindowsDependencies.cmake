# What the Windows build links besides the system: the Boost headers and
# libcurl that scripts/windows-deps brings into QUORLA_WINDOWS_DEPS, Duktape
# compiled from the source duktape-dev ships, and GoogleTest from its
# source. Targets carry the names the Linux build finds, so the folders'
# CMakeLists are the same on both systems.
set(QUORLA_WINDOWS_DEPS ${PROJECT_BINARY_DIR}/deps CACHE PATH "Folder scripts/windows-deps fills")
if(NOT EXISTS ${QUORLA_WINDOWS_DEPS}/curl/lib/libcurl.a OR
   NOT EXISTS ${QUORLA_WINDOWS_DEPS}/boost/include/boost/regex.hpp)
  message(FATAL_ERROR "No Windows libraries in ${QUORLA_WINDOWS_DEPS}: run scripts/windows-deps ${QUORLA_WINDOWS_DEPS}")
endif()

add_library(Boost::headers INTERFACE IMPORTED)
target_include_directories(Boost::headers SYSTEM INTERFACE ${QUORLA_WINDOWS_DEPS}/boost/include)
add_library(Boost::regex INTERFACE IMPORTED)
target_link_libraries(Boost::regex INTERFACE Boost::headers)

find_package(CURL CONFIG REQUIRED PATHS ${QUORLA_WINDOWS_DEPS}/curl NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)

enable_language(C)
set(duktape_source /usr/share/duktape)
if(NOT EXISTS ${duktape_source}/duktape.c)
  message(FATAL_ERROR "Duktape's source is missing: install duktape-dev")
endif()
add_library(duktape STATIC ${duktape_source}/duktape.c)
target_include_directories(duktape SYSTEM PUBLIC ${duktape_source})
target_compile_options(duktape PRIVATE -w)
add_library(PkgConfig::DUKTAPE ALIAS duktape)

find_package(Threads REQUIRED)

if(BUILD_TESTING)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()

# Windows programs run under Wine here, in a prefix of the build's own, with
# the Chinese locale. scripts/test-windows starts that Wine first.
set(QUORLA_WINE_PREFIX ${PROJECT_BINARY_DIR}/wine-prefix CACHE PATH "Wine prefix of the Windows tests")
configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.in ${PROJECT_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_BINARY_DIR}/wine-run)

# CLI11 and nlohmann-json are header-only: the Debian packages' headers,
# reached through a folder of links of their own, so /usr/include stays off
# the cross compiler's path.
set(QUORLA_HEADER_ONLY_INCLUDE ${PROJECT_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${QUORLA_HEADER_ONLY_INCLUDE})
foreach(headers CLI nlohmann)
  if(NOT EXISTS /usr/include/${headers})
    message(FATAL_ERROR "/usr/include/${headers} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(CREATE_LINK /usr/include/${headers} ${QUORLA_HEADER_ONLY_INCLUDE}/${headers} SYMBOLIC)
endforeach()
