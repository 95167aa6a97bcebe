# Arrows point down only: nothing in framework/ or kavrel/ includes a header
# of a program, of a program's document library or of the batch tool, and
# nothing in framework/ includes kavrel/. Run by every build (the target
# layering); a wrong arrow fails it with the lines that draw it.
#   cmake -DSRC=<source dir> -P KavrelLayering.cmake
set(_above "tool|tembrix|glissar|vornel|capteon|pelmora|morvit")
set(_bad "")
foreach(_layer framework kavrel)
  file(GLOB_RECURSE _files ${SRC}/${_layer}/*.h ${SRC}/${_layer}/*.cpp)
  if(_layer STREQUAL "framework")
    set(_pattern "^[ \t]*#[ \t]*include[ \t]*\"(${_above}|kavrel)/")
  else()
    set(_pattern "^[ \t]*#[ \t]*include[ \t]*\"(${_above})/")
  endif()
  foreach(_f ${_files})
    file(STRINGS ${_f} _hits REGEX "${_pattern}")
    foreach(_h ${_hits})
      file(RELATIVE_PATH _rel ${SRC} ${_f})
      string(APPEND _bad "\n  ${_rel}: ${_h}")
    endforeach()
  endforeach()
endforeach()
if(_bad)
  message(FATAL_ERROR "A lower layer includes a header of a higher one:${_bad}")
endif()
