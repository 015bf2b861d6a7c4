#include "host/files/StateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "console/Console.h"
#include "console/SaveState.h"
#include "host/files/AtomicFile.h"
#include "host/i18n/Translate.h"

namespace {

// Well above any state's size: a larger file is refused before it is read.
constexpr std::size_t kLargestState = 1u << 20;

// The core's words in the log, the player's language shown.
Reason StateReason(StateError error) {
  const char* shown = Tr("erreur inconnue");
  switch (error) {
    case StateError::None: shown = Tr("aucune erreur"); break;
    case StateError::NoCartridge: shown = Tr("aucune cartouche ne tourne"); break;
    case StateError::BufferTooSmall: shown = Tr("la mémoire prévue est trop petite pour un état"); break;
    case StateError::NotAState: shown = Tr("ce n'est pas un état sauvegardé"); break;
    case StateError::NewerVersion: shown = Tr("fait par une version plus récente du programme"); break;
    case StateError::OtherImage: shown = Tr("fait avec une autre image de cartouche"); break;
    case StateError::OtherConsole: shown = Tr("fait sur une autre console"); break;
    case StateError::Damaged: shown = Tr("l'état est tronqué ou endommagé"); break;
  }
  return {StateErrorText(error), shown};
}

}  // namespace

Result ReadStateFile(const std::string& path, Console& console) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return SystemReason(errno);
  struct stat info;
  if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    return Reason{"not a regular file", Tr("n'est pas un fichier ordinaire")};
  }
  const std::size_t size = static_cast<std::size_t>(info.st_size);
  if (size > kLargestState) {
    ::close(descriptor);
    return Reason{"too large for a save state", Tr("trop grand pour un état sauvegardé")};
  }
  std::vector<std::uint8_t> bytes(size);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(descriptor, bytes.data() + got, size - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(descriptor);
  if (got != size) return Reason{"read error", Tr("erreur de lecture")};
  const StateError result = LoadState(console, bytes.data(), bytes.size());
  if (result != StateError::None) return StateReason(result);
  return {};
}

Result WriteStateFile(const std::string& path, const Console& console) {
  std::vector<std::uint8_t> bytes(StateSize(console));
  const StateError result = SaveState(console, bytes.data(), bytes.size());
  if (result != StateError::None) return StateReason(result);
  // Through a temporary file renamed into place (a device is written in
  // place): every write, the sync and the close are checked.
  TemporaryFile file;
  Result written = file.Open(path);
  if (written) written = file.Write(bytes.data(), bytes.size());
  if (written) written = file.Commit();
  if (!written && file.Reason() != 0) return SystemReason(file.Reason());
  return written;
}
