# The Windows build: Win32 backends, the program, UNLHA32.DLL and the suites that run under Wine.
# Linked fully static: the posix-threads runtime would otherwise need libwinpthread-1.dll.
add_link_options(-static)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# GoogleTest from Debian's sources, built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Programs, libraries and suites side by side: the program finds UNLHA32.DLL beside itself.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_subdirectory(platform/win32)
add_subdirectory(unlha32)

# brevan_wine_test(name sources... LIBS libs... [WRAPPER command...]): one GoogleTest program, run
# as one CTest test through the emulator (Wine) with the prefix the test command prepared; a
# WRAPPER command gets the emulator and the program as its last arguments.
function(brevan_wine_test name)
  cmake_parse_arguments(T "" "" "LIBS;WRAPPER" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  brevan_warnings(${name})
  if(T_WRAPPER)
    add_test(NAME ${name}
             COMMAND ${T_WRAPPER} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES LABELS win ENVIRONMENT "WINEDEBUG=-all;TZ=Asia/Tokyo")
endfunction()

# The sample's program, with the sample key the Linux build made (its brevan-release keygen).
set(BREVAN_SAMPLE_PUBKEY "${CMAKE_SOURCE_DIR}/build/release/tools/release/sample.pub"
    CACHE FILEPATH "The sample release's public key, made by the Linux build")
if(EXISTS "${BREVAN_SAMPLE_PUBKEY}")
  add_executable(brevan-update-sample WIN32 main/main_win32.cpp)
  target_link_libraries(brevan-update-sample PRIVATE core platform_win32 view_win32)
  target_link_options(brevan-update-sample PRIVATE -municode)
  brevan_warnings(brevan-update-sample)
  brevan_release_key(brevan-update-sample "${BREVAN_SAMPLE_PUBKEY}")
  set(signed_program "BREVAN_WINDOWS_SIGNED_PROGRAM=$<TARGET_FILE:brevan-update-sample>")
else()
  message(STATUS "No sample key at ${BREVAN_SAMPLE_PUBKEY}: no brevan-update-sample.exe")
endif()

add_subdirectory(tests/win32)
add_subdirectory(bench/win32)

# The Windows program: the same core on the Win32 backends and the native window. A GUI
# program (no console) whose entry takes the wide-character command line.
# Its resources: the manifest (elevation asked of administrators only, the Windows versions it
# knows, no DPI awareness), the icon and the version information of the program's own version.
enable_language(RC)
set(BREVAN_VERSION_DOTS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
string(REPLACE "." "," BREVAN_VERSION_COMMAS "${BREVAN_VERSION_DOTS}")
set(BREVAN_MANIFEST_FILE ${CMAKE_BINARY_DIR}/brevan-update.manifest)
set(BREVAN_ICON_FILE ${CMAKE_SOURCE_DIR}/packaging/windows/brevan-update.ico)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/brevan-update.manifest ${BREVAN_MANIFEST_FILE}
               @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/windows/brevan-update.rc.in
               ${CMAKE_BINARY_DIR}/brevan-update.rc @ONLY)
add_executable(brevan-update WIN32 main/main_win32.cpp ${CMAKE_BINARY_DIR}/brevan-update.rc)
set_source_files_properties(${CMAKE_BINARY_DIR}/brevan-update.rc PROPERTIES
                            OBJECT_DEPENDS "${BREVAN_MANIFEST_FILE};${BREVAN_ICON_FILE}")
# The system DLLs that are not among Windows' known libraries load late, from the system folder
# only; linked before their ordinary import libraries, so no function of theirs is imported at
# start.
include(${CMAKE_SOURCE_DIR}/cmake/DelayImports.cmake)
set(brevan_delayed)
foreach(library version lz32 wininet comctl32)
  brevan_delay_import(delayed ${library}.dll ${library})
  list(APPEND brevan_delayed ${delayed})
endforeach()
target_link_libraries(brevan-update PRIVATE core platform_win32 view_win32 ${brevan_delayed})
# Terminal-server aware: on RDS and Citrix hosts the Windows folder is the system's, not a
# per-user copy.
target_link_options(brevan-update PRIVATE -municode -Wl,--tsaware)
brevan_warnings(brevan-update)
brevan_release_key(brevan-update "${BREVAN_RELEASE_PUBKEY}")


include(${CMAKE_SOURCE_DIR}/cmake/windows-release.cmake)
