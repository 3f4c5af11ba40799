# The publisher's public key, from `brevan-release keygen NAME` (NAME.pub): a program built with
# one installs only releases that key signed; without one it fetches no release list.
set(BREVAN_RELEASE_PUBKEY "" CACHE FILEPATH "Public key file of the release publisher (NAME.pub)")

# brevan_release_key(target keyfile [DEPENDS target]): embeds the key file's bytes in the
# program (no key when keyfile is empty); DEPENDS names the target that makes the file.
function(brevan_release_key target keyfile)
  cmake_parse_arguments(K "" "DEPENDS" "" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}-release-key.cpp)
  set(depends ${CMAKE_SOURCE_DIR}/cmake/EmbedReleaseKey.cmake)
  if(keyfile)
    list(APPEND depends ${keyfile})
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DKEY=${keyfile} -DOUT=${out}
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedReleaseKey.cmake
    DEPENDS ${depends} ${K_DEPENDS}
    COMMENT "Embedding the release key of ${target}" VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
