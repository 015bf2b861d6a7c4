#include "host/display/DxCheck.h"

#include "debug/DebugConsole.h"
#include "host/i18n/Translate.h"
#include "host/display/HostMessageBox.h"

namespace {

struct ResultText {
  std::uint32_t result;
  const char* text;
};

// The standard COM, DirectInput and DirectDraw failure codes the program can
// meet, with the words it logs for them. Host layers that are not DirectX map
// their failures onto these codes.
constexpr ResultText kResultTexts[] = {
    {0x80004001u, "Unsupported"},
    {0x80004002u, "No Interface"},
    {0x80004003u, "No pointer"},
    {0x80004005u, "Generic Error"},
    {0x800401F0u, "COM Not Initialized"},
    {0x80040207u, "Not Buffered"},
    {0x80070002u, "Object Not Found"},
    {0x80070005u, "Other App Has Priority"},
    {0x8007000Cu, "Not Aquired"},
    {0x8007000Eu, "Out of Memory"},
    {0x80070015u, "Not Initialized"},
    {0x8007001Eu, "Input Lost"},
    {0x80070057u, "Invalid Params"},
    {0x88760064u, "Invalid Caps"},
    {0x88760082u, "Invalid Object"},
    {0x88760091u, "Invalid Pixel Format"},
    {0x887600E6u, "No Flip HW"},
    {0x887601AEu, "Surface Busy"},
    {0x887601C2u, "Surface Lost"},
    {0x8876021Cu, "Was Still Drawing"},
    {0x88760246u, "Not Flippable"},
    {0x88760305u, "Viewport Data Not Set"},
    {0x88760306u, "Viewport Has No Device"},
};

}  // namespace

const char* DxResultText(std::uint32_t result) {
  for (const ResultText& entry : kResultTexts) {
    if (entry.result == result) return entry.text;
  }
  return "No Clue";
}

int DxCheck(std::uint32_t result, const char* context) {
  if (result == 0) return 0;
  LogPrintf("%s Error[%d]: %s\n", context, static_cast<int>(result & 0xFFFFu), DxResultText(result));
  ShowHostMessageBox(context, Tr("Error"));
  return -1;
}
