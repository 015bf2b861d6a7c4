#include "host/display/Display.h"

WindowHandle DisplayWindowHandle = nullptr;
