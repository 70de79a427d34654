// The program "ombrix": builds the application object and runs it on the
// command line. An exception that reaches this point (memory exhausted) ends
// the program with a message instead of an abort.
#include <exception>
#include <iostream>

#include "app/command_line.h"
#include "app/ombrix_app.h"
#include "app/option_command_line.h"
#include "app/option_run.h"

int main(int argc, char** argv) {
    try {
        if (IsOptionCommandLine(argc, argv)) return RunOptionCommandLine(argc, argv);
        COmbrixApp app;
        return app.InitInstance(JoinArguments(argc, argv));
    } catch (const std::exception& error) {
        std::cerr << "ombrix: " << error.what() << '\n';
        return 1;
    }
}
