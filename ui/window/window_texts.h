// The window's texts in the user's language. The program's own messages are
// Japanese constants, which the conversion log keeps in every locale; a
// message box shows the translation of their English source text instead,
// which a Japanese catalogue turns back into the same Japanese bytes. The
// importer's English failure words ("FileNotFound") become sentences of the
// user's language.
#pragma once

#include <string>
#include <string_view>

// What a message box shows for the program's message `text`: its
// translation, or `text` itself when it is not one of the program's own.
std::string ShownText(std::string_view text);
