# brevan_delay_import(<var> <dll> <library>): an import library of the system DLL <dll> whose
# functions load on first use (through the delay-load helper, which the program points at the
# system folder) instead of at start, when Windows would take a copy from the program's folder.
# Made at configure time from the toolchain's own import library lib<library>.a; its path goes
# into <var>, to be linked before the ordinary import library.
function(brevan_delay_import var dll library)
  string(REGEX REPLACE "-g\\+\\+(-posix)?$" "" triple "${CMAKE_CXX_COMPILER}")
  get_filename_component(triple "${triple}" NAME)
  find_program(BREVAN_DLLTOOL ${triple}-dlltool REQUIRED)
  find_program(BREVAN_NM ${triple}-nm REQUIRED)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${library}.a
                  OUTPUT_VARIABLE import OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${BREVAN_NM} ${import} OUTPUT_VARIABLE symbols
                  COMMAND_ERROR_IS_FATAL ANY)
  # "__imp_Name" on x86_64, "__imp__Name@8" on i686 (the convention's decoration kept in the
  # .def, removed from the imported name with -k).
  string(REGEX MATCHALL " I __imp_[^\n]+" imports "${symbols}")
  set(def "LIBRARY ${dll}\nEXPORTS\n")
  foreach(entry IN LISTS imports)
    string(REGEX REPLACE "^ I __imp_" "" name "${entry}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "^_" "" name "${name}")
    endif()
    string(APPEND def "${name}\n")
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/delay-imports)
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${dir}/${library}.def "${def}")
  execute_process(COMMAND ${BREVAN_DLLTOOL} -k -d ${dir}/${library}.def -D ${dll}
                          -y ${dir}/lib${library}-delay.a
                  COMMAND_ERROR_IS_FATAL ANY)
  set(${var} ${dir}/lib${library}-delay.a PARENT_SCOPE)
endfunction()
