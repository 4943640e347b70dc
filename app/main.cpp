// QM_TOOL: the main program of the multimeter suite.
#include "app/CMeterToolApp.h"

int main(int argc, char** argv) {
    if (const std::optional<int> exitCode = CMeterToolApp::PrepareEnvironment(argc, argv))
        return *exitCode;
    CMeterToolApp app(argc, argv);
    return app.InitInstance();
}
