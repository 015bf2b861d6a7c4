# The test cartridges: Z80 assembly beside this file, assembled by pasmo at
# build time. tavrin_test_cartridge(<DEFINE> <source.asm> [PAGES n] [EXTENSION e])
# builds <source>[-<n>].sms (or .e: an SG-1000 or SC-3000 image, assembled
# once at whatever size the source gives) in the build tree, adds it to the target
# tavrin_test_cartridges and passes its path to the cartridge tests as the
# compile definition <DEFINE>.

find_program(PASMO_EXECUTABLE pasmo REQUIRED)
set(testCartridgeDir "${CMAKE_CURRENT_LIST_DIR}")
set_property(GLOBAL PROPERTY TAVRIN_TEST_CARTRIDGE_IMAGES "")
set_property(GLOBAL PROPERTY TAVRIN_TEST_CARTRIDGE_DEFINES "")

function(tavrin_test_cartridge define source)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "PAGES;EXTENSION" "")
  get_filename_component(name "${source}" NAME_WE)
  set(pages 1)
  if(arg_PAGES)
    set(pages ${arg_PAGES})
    set(name "${name}-${pages}")
  endif()
  set(extension sms)
  if(arg_EXTENSION)
    set(extension ${arg_EXTENSION})
    set(pages 0)
  endif()
  set(image "${CMAKE_CURRENT_BINARY_DIR}/cartridges/${name}.${extension}")
  add_custom_command(
    OUTPUT "${image}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/cartridges"
    COMMAND "${CMAKE_COMMAND}" "-DPASMO=${PASMO_EXECUTABLE}" "-DSOURCE=${testCartridgeDir}/${source}"
            "-DOUTPUT=${image}" "-DPAGES=${pages}" -P "${testCartridgeDir}/BuildTestCartridge.cmake"
    DEPENDS "${testCartridgeDir}/${source}" "${testCartridgeDir}/testkit.inc" "${testCartridgeDir}/board_probe.inc" "${testCartridgeDir}/sgkit.inc"
            "${testCartridgeDir}/tall_scene.inc"
            "${testCartridgeDir}/BuildTestCartridge.cmake"
    COMMENT "Assembling test cartridge ${name}.${extension}"
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY TAVRIN_TEST_CARTRIDGE_IMAGES "${image}")
  set_property(GLOBAL APPEND PROPERTY TAVRIN_TEST_CARTRIDGE_DEFINES "${define}=\"${image}\"")
endfunction()
