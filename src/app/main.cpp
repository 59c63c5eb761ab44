#include "Application.h"
#include "Startup.h"
#include "platform/ProgramDir.h"

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    Startup::configure(app);
    Startup startup(platform::dataDir());
    if (!startup.start())
        return 1;
    return app.exec();
}
