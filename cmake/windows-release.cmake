# The Windows release: the static checks of the programs and libraries, and the zip of the
# program, our UNLHA32.DLL and the README, one per architecture.

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(BREVAN_RELEASE_ARCH win32)
else()
  set(BREVAN_RELEASE_ARCH win64)
endif()

# Run once every target of the build is known, so the program is picked up wherever it is made.
function(brevan_windows_release)
  set(files UNLHA32.DLL)
  set(targets unlha32)
  if(TARGET brevan-update)
    list(APPEND files brevan-update.exe)
    list(APPEND targets brevan-update)
  endif()
  # What the release is made of: the i686 build builds only this.
  add_custom_target(windows_release DEPENDS ${targets})

  add_test(NAME windows_images
           COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-pe.sh ${CMAKE_SYSTEM_PROCESSOR}
                   ${CMAKE_BINARY_DIR} ${files})
  set_tests_properties(windows_images PROPERTIES LABELS static
                       ENVIRONMENT "VERSION=${BREVAN_RELEASE_VERSION}")

  install(TARGETS ${targets} RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME brevan-update)
  set(CPACK_PACKAGE_VERSION ${BREVAN_RELEASE_VERSION})
  set(zip brevan-update-${BREVAN_RELEASE_VERSION}-${BREVAN_RELEASE_ARCH})
  set(CPACK_PACKAGE_FILE_NAME ${zip})
  set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
  include(CPack)

  # The zip is made by the suite itself and its contents listed against the release's files.
  add_test(NAME windows_zip_made COMMAND ${CMAKE_CPACK_COMMAND} --config
                                         ${CMAKE_BINARY_DIR}/CPackConfig.cmake)
  add_test(NAME windows_zip
           COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check-zip.sh
                   ${CMAKE_BINARY_DIR}/${zip}.zip README.txt ${files})
  set_tests_properties(windows_zip_made PROPERTIES LABELS static FIXTURES_SETUP windows_zip)
  set_tests_properties(windows_zip PROPERTIES LABELS static FIXTURES_REQUIRED windows_zip)
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL brevan_windows_release)
