#include "Startup.h"
#include "platform/ProgramDir.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Startup::configure(app);
    Startup startup(platform::dataDir());
    if (!startup.start())
        return 1;
    return app.exec();
}
