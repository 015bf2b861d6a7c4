#pragma once

#include <cstdint>

// Every result of a host drawing or input call that the program looks at
// passes through here. 0 is success and stays silent. Anything else is logged
// as "<context> Error[<low 16 bits>]: <text>" and shown in a message box
// captioned "Error"; the caller is told to give up its step.
// Returns 0 for success, -1 for failure.
int DxCheck(std::uint32_t result, const char* context);

// The short text logged for a result code ("No Clue" for unknown codes).
const char* DxResultText(std::uint32_t result);
