# Run by `cmake --install` (and by cpack): the nets of the program directory
# and its library index. QZ_SOURCE_DIR, QZ_PROGRAM_DIR and QZ_PROGRAMS are set
# by the install code before this script.

# A relative prefix (cmake --install --prefix stage) is taken from the
# current directory, as the files are.
file(REAL_PATH "${CMAKE_INSTALL_PREFIX}" _qz_prefix BASE_DIRECTORY "$ENV{PWD}")
if("$ENV{DESTDIR}" STREQUAL "")
  set(_qz_dir "${_qz_prefix}/${QZ_PROGRAM_DIR}")
else()
  set(_qz_dir "${CMAKE_INSTALL_PREFIX}/${QZ_PROGRAM_DIR}")
endif()
set(_qz_staged "$ENV{DESTDIR}${_qz_dir}")

# Objects/ from examples/Objects, Tutorial/ from examples/Tutorial, Data/
# from examples/Data and the example nets beside them. The directories exist
# even when empty: the factory window opens them. (A macro: file(INSTALL)
# records what it installs in the caller's manifest list.)
macro(qz_install_nets target)
  set(_qz_files)
  foreach(_qz_pattern IN ITEMS ${ARGN})
    file(GLOB _qz_found "${QZ_SOURCE_DIR}/examples/${_qz_pattern}")
    list(APPEND _qz_files ${_qz_found})
  endforeach()
  file(MAKE_DIRECTORY "${_qz_staged}/${target}")
  if(_qz_files)
    list(SORT _qz_files)
    file(INSTALL DESTINATION "${_qz_dir}/${target}" TYPE FILE FILES ${_qz_files})
  endif()
endmacro()
qz_install_nets(Objects "Objects/*.pn")
qz_install_nets(Tutorial "Tutorial/*.pn")
qz_install_nets(Data "Data/*.pn" "*.pn")

# The commands on the PATH are links into the program directory.
file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
foreach(program IN LISTS QZ_PROGRAMS)
  set(link "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/${program}")
  message(STATUS "Installing: ${link} -> ../${QZ_PROGRAM_DIR}/${program}")
  file(REMOVE "${link}")
  file(CREATE_LINK "../${QZ_PROGRAM_DIR}/${program}" "${link}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${CMAKE_INSTALL_PREFIX}/bin/${program}")
endforeach()

# The library index, written by the installed quenzor-cli in the staged
# directory. ObjFile.dat holds full paths: under DESTDIR they name the
# directory the files will have once installed.
set(_qz_index_args library --rebuild)
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  list(APPEND _qz_index_args --installed-as "${_qz_dir}")
endif()
message(STATUS "Writing the library index in ${_qz_staged}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E env "QUENZOR_HOME=${_qz_staged}/" QT_QPA_PLATFORM=offscreen
          ASAN_OPTIONS=detect_leaks=0 "${_qz_staged}/quenzor-cli" ${_qz_index_args}
  RESULT_VARIABLE _qz_rc OUTPUT_QUIET ERROR_VARIABLE _qz_problems)
if(NOT _qz_rc EQUAL 0 OR NOT EXISTS "${_qz_staged}/ObjFile.dat")
  message(FATAL_ERROR "quenzor-cli library --rebuild failed (${_qz_rc}): ${_qz_problems}")
endif()
if(_qz_problems)
  message(WARNING "Library index: ${_qz_problems}")
endif()
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${_qz_dir}/ObjName.dat" "${_qz_dir}/ObjFile.dat")
