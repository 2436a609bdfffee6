#include "designer/vocara_app.h"

int main(int argc, char **argv)
{
    vocara::CVocaraApp app(argc, argv);
    return app.run();
}
