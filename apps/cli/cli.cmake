# The ledgerintake command: the commands in a library (tests reach them without the
# process), main on top. CLI11 is header-only (Debian: libcli11-dev).
find_path(CLI11_INCLUDE_DIR CLI/CLI.hpp REQUIRED)

file(GLOB CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
list(REMOVE_ITEM CLI_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
add_library(ledgerintake_cli STATIC ${CLI_SOURCES})
target_include_directories(ledgerintake_cli PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_include_directories(ledgerintake_cli SYSTEM PRIVATE ${CLI11_INCLUDE_DIR})
target_link_libraries(ledgerintake_cli
  PUBLIC ledgerintake::module ledgerintake::refhost ledgerintake::log ledgerintake::demo
  PRIVATE ledgerintake_warnings)

add_executable(ledgerintake main.cpp)
target_link_libraries(ledgerintake PRIVATE ledgerintake_allocator ledgerintake_cli ledgerintake_warnings)
include(GNUInstallDirs)
install(TARGETS ledgerintake RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
