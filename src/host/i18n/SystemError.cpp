#include "host/i18n/SystemError.h"

#include <cerrno>
#include <clocale>
#include <cstring>

#include "host/i18n/Language.h"

namespace {

struct Words {
  int error;
  const char* french;  // glibc's own French words for it
};

constexpr Words kFrench[] = {
    {ENOENT, "Aucun fichier ou dossier de ce type"},
    {EACCES, "Permission non accordée"},
    {EPERM, "Opération non permise"},
    {EISDIR, "Est un dossier"},
    {ENOTDIR, "N'est pas un dossier"},
    {ENOSPC, "Aucun espace disponible sur le périphérique"},
    {EDQUOT, "Débordement du quota d'espace disque"},
    {EROFS, "Système de fichiers accessible en lecture seulement"},
    {EIO, "Erreur d'entrée/sortie"},
    {ENAMETOOLONG, "Nom de fichier trop long"},
    {ELOOP, "Trop de niveaux de liens symboliques"},
    {EFBIG, "Fichier trop gros"},
    {EBUSY, "Périphérique ou ressource occupé"},
    {EMFILE, "Trop de fichiers ouverts"},
    {ENOMEM, "Ne peut allouer de la mémoire"},
    {EINVAL, "Argument invalide"},
    {ENXIO, "Aucun périphérique ou adresse"},
};

}  // namespace

std::string LoggedSystemError(int error) {
  const char* words = strerrordesc_np(error);
  return words ? words : "Unknown error " + std::to_string(error);
}

std::string ShownSystemError(int error) {
  if (IsCLocale(std::setlocale(LC_MESSAGES, nullptr))) {
    for (const Words& w : kFrench) {
      if (w.error == error) return w.french;
    }
    return LoggedSystemError(error);
  }
  char buffer[256];
  // The GNU strerror_r: the locale's message, in `buffer` or a static text.
  return strerror_r(error, buffer, sizeof buffer);
}
