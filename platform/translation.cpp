// The message catalogue through the C library's gettext.
#include "platform/translation.h"

#include <libintl.h>

#include <clocale>

namespace {
constexpr const char* kTextDomain = "ombrix";
}

const char* Tr(const char* english) { return dgettext(kTextDomain, english); }

void StartTranslation(const char* locale_folder) {
    // Only what messages need: numbers and sorting keep the C locale, so
    // that nothing the program writes into files changes with the user's
    // language.
    std::setlocale(LC_MESSAGES, "");
    std::setlocale(LC_CTYPE, "");
    bindtextdomain(kTextDomain, locale_folder);
    bind_textdomain_codeset(kTextDomain, "UTF-8");
}
