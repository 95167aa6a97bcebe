// Tembrix, the workshop: analysis documents of sound files with their
// sound objects, and the companion programs started for them.
#include "tembrix/TembrixApp.h"

int main(int argc, char** argv)
{
    CTembrixApp app;
    return app.Run(argc, argv);
}
