# Fails when a file of the core (app, download, install) includes anything but the standard
# library, its own headers and the service interfaces at platform/'s root.
# Run: cmake -DROOT=<repository> -P CheckCoreIncludes.cmake
set(standard
  algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv
  chrono cinttypes climits clocale cmath codecvt compare complex concepts condition_variable
  coroutine csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar
  cwctype deque exception execution filesystem format forward_list fstream functional future
  initializer_list iomanip ios iosfwd iostream istream iterator latch limits list locale map
  memory memory_resource mutex new numbers numeric optional ostream queue random ranges ratio
  regex scoped_allocator semaphore set shared_mutex source_location span sstream stack
  stdexcept stop_token streambuf string string_view syncstream system_error thread tuple
  type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector
  version)

file(GLOB_RECURSE files ${ROOT}/app/*.h ${ROOT}/app/*.cpp ${ROOT}/download/*.h
     ${ROOT}/download/*.cpp ${ROOT}/install/*.h ${ROOT}/install/*.cpp)
set(faults "")
foreach(file ${files})
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  file(RELATIVE_PATH name ${ROOT} ${file})
  foreach(line ${lines})
    if(line MATCHES "<([^>]+)>")
      list(FIND standard "${CMAKE_MATCH_1}" found)
      if(found EQUAL -1)
        list(APPEND faults "${name}: ${line}")
      endif()
    elseif(NOT line MATCHES "\"((app|download|install)/[A-Za-z0-9_]+|platform/[A-Za-z0-9_]+)\\.h\"")
      list(APPEND faults "${name}: ${line}")
    endif()
  endforeach()
endforeach()

list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "no core files under ${ROOT}")
endif()
if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "The core includes headers outside the standard library and the "
                      "interfaces:\n  ${text}")
endif()
message(STATUS "${count} core files include only the standard library and the interfaces")
