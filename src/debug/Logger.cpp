#include "debug/Logger.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "debug/DebugConsole.h"

void Logger::Printf(const char* format, ...) const {
  if (writer == nullptr) return;
  char buffer[512];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(buffer, sizeof buffer, format, arguments);
  va_end(arguments);
  writer(context, buffer, std::strlen(buffer));
}

Logger DebugConsoleLogger() {
  Logger logger;
  logger.writer = [](void*, const char* text, std::size_t) { LogPrintf("%s", text); };
  return logger;
}
