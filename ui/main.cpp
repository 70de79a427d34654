// The program "ombrix": builds the application object and runs it on the
// command line, with the GTK window for interactive mode when the program is
// built with it. An exception that reaches this point (memory exhausted)
// ends the program with a message instead of an abort.
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/startup/command_line.h"
#include "app/startup/ombrix_app.h"
#include "app/options/option_command_line.h"
#include "app/options/option_run.h"
#include "platform/program_folder.h"
#include "platform/translation.h"
#ifdef OMBRIX_WITH_WINDOW
#include "ui/shell/gtk_shell.h"
#endif

namespace {

// The message catalogues: <prefix>/share/locale for the installed program
// in <prefix>/lib/ombrix, <build>/share/locale for the one in <build>/bin.
std::string LocaleFolder() {
    for (const char* relative : {"../../share/locale", "../share/locale"}) {
        const std::string folder = ProgramFolder() + relative;
        std::error_code error;
        if (!ProgramFolder().empty() && std::filesystem::is_directory(folder, error)) return folder;
    }
    return "/usr/share/locale";
}

}  // namespace

int main(int argc, char** argv) {
    StartTranslation(LocaleFolder().c_str());
    try {
        if (IsOptionCommandLine(argc, argv)) return RunOptionCommandLine(argc, argv);
#ifdef OMBRIX_WITH_WINDOW
        GtkShell shell;
        InteractiveShell* window = &shell;
#else
        InteractiveShell* window = nullptr;
#endif
        COmbrixApp app;
        return app.InitInstance(JoinArguments(argc, argv), window);
    } catch (const std::exception& error) {
        std::cerr << "ombrix: " << error.what() << '\n';
        return 1;
    }
}
