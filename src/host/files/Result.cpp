#include "host/files/Result.h"

#include "host/i18n/SystemError.h"
#include "host/i18n/Translate.h"

Reason AboutPath(const std::string& path, const Reason& why) {
  return {"'" + path + "': " + why.log, Format(Tr("« %s » : %s"), path.c_str(), why.shown.c_str())};
}

Reason SystemReason(int error) { return {LoggedSystemError(error), ShownSystemError(error)}; }
