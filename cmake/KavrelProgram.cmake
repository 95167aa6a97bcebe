# kavrel_add_program(NAME MAIN main.cpp LINKS libs... [BESIDE dirs...]):
# one program of the suite from its folder. Everything but main() is a
# static library NAME_parts, so that the tests drive the real windows and
# dialogs; the tests in NAME/tests link it and may start the built binary.
# BESIDE names folders of the program's whose files the build copies next
# to the binary.
#
# Installed, the program goes to bin/ beside the others (the workshop finds
# its companions in its own folder first), its desktop entry and icon from
# NAME/desktop/ to the desktop's places, and its BESIDE folders to the
# suite's data folder: help/ is shared by every program's guide, which the
# help commands find at ../share/kavrel/help/ from the program; any other
# folder becomes share/kavrel/NAME/FOLDER/.
function(kavrel_add_program name)
  cmake_parse_arguments(P "" "MAIN" "LINKS;BESIDE" ${ARGN})
  set(_dir ${CMAKE_CURRENT_SOURCE_DIR})
  file(GLOB _srcs CONFIGURE_DEPENDS ${_dir}/*.cpp ${_dir}/*.h ${_dir}/res/*.cpp ${_dir}/res/*.ui)
  list(FILTER _srcs EXCLUDE REGEX "/${P_MAIN}$")
  add_library(${name}_parts STATIC ${_srcs})
  set_target_properties(${name}_parts PROPERTIES AUTOMOC ON AUTOUIC ON AUTOUIC_SEARCH_PATHS ${_dir}/res)
  # The pictures of res/toolbar/ are compiled in, as ":/NAME/toolbar/FILE".
  file(GLOB _pictures CONFIGURE_DEPENDS ${_dir}/res/toolbar/*.png)
  if(_pictures)
    qt_add_resources(${name}_parts "${name}_pictures" PREFIX "/${name}" BASE ${_dir}/res FILES ${_pictures})
  endif()
  target_link_libraries(${name}_parts PUBLIC ${P_LINKS})
  add_executable(${name} ${P_MAIN})
  # The forms and resources register themselves at start: keep every object.
  target_link_libraries(${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}_parts>")
  foreach(_folder IN LISTS P_BESIDE)
    file(GLOB _beside CONFIGURE_DEPENDS ${_dir}/${_folder}/*)
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${name}>/${_folder}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_beside} $<TARGET_FILE_DIR:${name}>/${_folder}/)
  endforeach()
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(EXISTS ${_dir}/desktop/${name}.desktop)
    install(FILES ${_dir}/desktop/${name}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  endif()
  if(EXISTS ${_dir}/desktop/${name}.svg)
    install(FILES ${_dir}/desktop/${name}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  endif()
  # The same icon drawn at 48 pixels, for desktops that take no SVG.
  if(EXISTS ${_dir}/desktop/${name}.png)
    install(FILES ${_dir}/desktop/${name}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps)
  endif()
  foreach(_folder IN LISTS P_BESIDE)
    if(_folder STREQUAL "help")
      install(DIRECTORY ${_dir}/help/ DESTINATION ${KAVREL_INSTALL_DATADIR}/help)
    else()
      install(DIRECTORY ${_dir}/${_folder}/ DESTINATION ${KAVREL_INSTALL_DATADIR}/${name}/${_folder})
    endif()
  endforeach()
  kavrel_add_tests(${name}_tests ${_dir}/tests "$<LINK_LIBRARY:WHOLE_ARCHIVE,${name}_parts>")
  if(TARGET ${name}_tests)
    add_dependencies(${name}_tests ${name})
  endif()
endfunction()
