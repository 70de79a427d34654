// Texts for the user in the user's language, through the program's message
// catalogue (text domain "ombrix"). Source texts are English; a catalogue
// for the user's locale supplies the translation, and without one the
// English text is used. Stored files (the conversion log) never go through
// here: they keep the same bytes in every locale.
#pragma once

// The translation of `english` for the current locale, or `english` itself
// when the catalogue has none. The result lives as long as the program.
const char* Tr(const char* english);

// Selects the user's locale for messages (LC_MESSAGES and LC_CTYPE from the
// environment) and binds the text domain to the catalogues installed in
// `locale_folder`, e.g. "<prefix>/share/locale". Called once at start.
void StartTranslation(const char* locale_folder);
