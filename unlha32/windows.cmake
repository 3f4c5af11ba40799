# UNLHA32.DLL: the same library on lhasa built from Debian's source package with our compiler,
# on the Windows file API and code page 932.

# lhasa's source, unpacked once outside git; its lib/ needs no configuration for _WIN32.
set(BREVAN_LHASA_SOURCE ${CMAKE_SOURCE_DIR}/build/lhasa-src
    CACHE PATH "Debian's lhasa source package, unpacked by scripts/lhasa-source.sh")
if(NOT EXISTS ${BREVAN_LHASA_SOURCE}/lib/public/lhasa.h)
  message(STATUS "Fetching Debian's lhasa source into ${BREVAN_LHASA_SOURCE}")
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/lhasa-source.sh ${BREVAN_LHASA_SOURCE}
                  RESULT_VARIABLE lhasa_fetch)
  if(NOT lhasa_fetch EQUAL 0)
    message(FATAL_ERROR "lhasa's source could not be fetched (scripts/lhasa-source.sh)")
  endif()
endif()
file(GLOB lhasa_sources ${BREVAN_LHASA_SOURCE}/lib/*.c)
# These four are included by the decoders as templates, not compiled on their own.
foreach(template bit_stream_reader lh_new_decoder pma_common tree_decode)
  list(REMOVE_ITEM lhasa_sources ${BREVAN_LHASA_SOURCE}/lib/${template}.c)
endforeach()
add_library(lhasa STATIC ${lhasa_sources})
target_include_directories(lhasa SYSTEM PUBLIC ${BREVAN_LHASA_SOURCE}/lib/public
                           PRIVATE ${BREVAN_LHASA_SOURCE}/lib)
target_compile_options(lhasa PRIVATE -w)  # outside code: its warnings are not ours to fix

add_library(unlha32_core STATIC ${unlha32_common} ArchiveFile_win32.cpp Destination_win32.cpp
                                DestinationStaging_win32.cpp WidePath_win32.cpp)
target_include_directories(unlha32_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(unlha32_core PUBLIC lhasa platform_win32)
brevan_warnings(unlha32_core)

# Exported through the .def file only: the plain names, in the Windows API convention.
add_library(unlha32 SHARED unlha32.cpp Host_win32.cpp unlha32-${CMAKE_SYSTEM_PROCESSOR}.def)
target_link_libraries(unlha32 PRIVATE unlha32_core platform_win32)
set_target_properties(unlha32 PROPERTIES PREFIX "" OUTPUT_NAME UNLHA32 SUFFIX .DLL)
brevan_warnings(unlha32)
