#include "designer/vocara_app.h"

#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    // Help, the version and the recovery list need no screen: they answer on a machine without a
    // display too.
    for (int i = 1; i < argc; ++i)
        for (const char *flag : {"--help", "-h", "--help-all", "--version", "-v", "--recover"})
            if (std::strcmp(argv[i], flag) == 0)
                ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    vocara::CVocaraApp app(argc, argv);
    return app.run();
}
