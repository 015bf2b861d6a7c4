#include "host/dialogs/HostFailure.h"

#include "debug/DebugConsole.h"
#include "host/dialogs/HostMessageBox.h"
#include "host/i18n/Translate.h"

void ReportHostFailure(HostMessageBox* box, const char* context, HostFailure failure) {
  // The log says the step's failure in the words and numbers it has always used.
  if (failure == HostFailure::kMissing) {
    LogPrintf("%s Error[%d]: %s\n", context, 130, "Invalid Object");
  } else {
    LogPrintf("%s Error[%d]: %s\n", context, 16389, "Generic Error");
  }
  ShowHostMessageBox(box, context, Tr("Erreur"));
}
