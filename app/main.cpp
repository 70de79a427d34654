// The program "ombrix": builds the application object and runs it on the
// command line.
#include "app/command_line.h"
#include "app/ombrix_app.h"

int main(int argc, char** argv) {
    COmbrixApp app;
    return app.InitInstance(JoinArguments(argc, argv));
}
