#include "host/video/Display.h"

WindowHandle DisplayWindowHandle = nullptr;
