// Stand-ins for the user's well-known folders: the home folder, the per-user
// configuration folder (where application data lives) and the documents
// folder.
#pragma once

#include <string>

// $HOME when it is an absolute path, else the user's home folder from the
// password database; empty when neither gives one.
std::string HomeFolder();

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config; empty
// when neither can be determined. No trailing "/".
std::string ConfigHomeFolder();

// The XDG documents folder ($XDG_CONFIG_HOME/user-dirs.dirs, else
// $HOME/Documents) when it exists as a folder; empty otherwise.
std::string DocumentsFolder();
