#include "video/Display.h"

WindowHandle DisplayWindowHandle = nullptr;
