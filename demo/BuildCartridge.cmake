# Assembles the demo cartridge and embeds it in a C++ source file.
#
#   cmake -DPASMO=<pasmo> -DSOURCE_DIR=<demo/> -DOUTPUT_DIR=<build dir> -P BuildCartridge.cmake
#
# Writes OUTPUT_DIR/demo.sms (the image), demo.sym (its symbols) and
# DemoCartridgeData.cpp. The header's checksum covers $0000-$7FEF, which does
# not contain the checksum itself, so a first assembly gives the sum and a
# second one, told the sum, gives the finished image with the same bytes.

set(romSize 32768)
set(checkedSize 32752)           # $0000-$7FEF
set(main "${SOURCE_DIR}/main.asm")
set(draft "${OUTPUT_DIR}/demo.draft.bin")
set(image "${OUTPUT_DIR}/demo.sms")
set(symbols "${OUTPUT_DIR}/demo.sym")

function(assemble output)
  execute_process(
    COMMAND "${PASMO}" --bin --alocal -I "${SOURCE_DIR}" ${ARGN} "${main}" "${output}" "${symbols}"
    RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "pasmo failed on ${main}:\n${log}")
  endif()
endfunction()

function(read_image path outHex)
  file(SIZE "${path}" size)
  if(NOT size EQUAL romSize)
    message(FATAL_ERROR "${path} is ${size} bytes, expected ${romSize}")
  endif()
  file(READ "${path}" hex HEX)
  string(TOLOWER "${hex}" hex)
  set(${outHex} "${hex}" PARENT_SCOPE)
endfunction()

assemble("${draft}")
read_image("${draft}" draftHex)

math(EXPR checkedDigits "${checkedSize} * 2")
string(SUBSTRING "${draftHex}" 0 ${checkedDigits} checkedHex)
string(REGEX MATCHALL ".." checkedBytes "${checkedHex}")
set(sum 0)
foreach(byte IN LISTS checkedBytes)
  math(EXPR sum "${sum} + 0x${byte}")
endforeach()
math(EXPR sum "${sum} & 0xFFFF")

assemble("${image}" --equ "CARTRIDGE_CHECKSUM=${sum}")
read_image("${image}" imageHex)
file(REMOVE "${draft}")

# The finished image: same checked bytes, "TMR SEGA" at $7FF0, the sum at $7FFA.
string(SUBSTRING "${imageHex}" 0 ${checkedDigits} imageCheckedHex)
if(NOT imageCheckedHex STREQUAL checkedHex)
  message(FATAL_ERROR "the second assembly changed bytes covered by the checksum")
endif()
string(SUBSTRING "${imageHex}" ${checkedDigits} 32 headerHex)
math(EXPR low "${sum} & 0xFF" OUTPUT_FORMAT HEXADECIMAL)
math(EXPR high "${sum} >> 8" OUTPUT_FORMAT HEXADECIMAL)
string(REGEX REPLACE "^0x" "" low "${low}")
string(REGEX REPLACE "^0x" "" high "${high}")
foreach(part low high)
  string(LENGTH "${${part}}" length)
  if(length EQUAL 1)
    set(${part} "0${${part}}")
  endif()
  string(TOLOWER "${${part}}" ${part})
endforeach()
string(SUBSTRING "${headerHex}" 0 16 signatureHex)
string(SUBSTRING "${headerHex}" 20 4 checksumHex)
if(NOT signatureHex STREQUAL "544d522053454741" OR NOT checksumHex STREQUAL "${low}${high}")
  message(FATAL_ERROR "bad cartridge header: ${headerHex}")
endif()

# The embedding: 16 bytes a line, and the symbol table as text (the
# debugger names the demo's addresses with it).
file(READ "${symbols}" symbolText)
string(REGEX REPLACE "(..)" "0x\\1," body "${imageHex}")
string(REGEX REPLACE "((0x..,){16})" "  \\1\n" body "${body}")
file(WRITE "${OUTPUT_DIR}/DemoCartridgeData.cpp.new"
"// Generated from demo.sms by demo/BuildCartridge.cmake; do not edit.
#include \"DemoCartridge.h\"

namespace {

const unsigned char demoCartridge[${romSize}] = {
${body}};

const char demoSymbols[] = R\"symbols(${symbolText})symbols\";

}  // namespace

const unsigned char* DemoCartridgeData() { return demoCartridge; }

const char* DemoSymbols() { return demoSymbols; }

std::size_t DemoCartridgeSize() { return sizeof demoCartridge; }
")
file(COPY_FILE "${OUTPUT_DIR}/DemoCartridgeData.cpp.new" "${OUTPUT_DIR}/DemoCartridgeData.cpp" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT_DIR}/DemoCartridgeData.cpp.new")
