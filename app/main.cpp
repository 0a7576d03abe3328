#include "app/RivamoApplication.h"

int main(int argc, char* argv[]) {
    RivamoApplication app(argc, argv);
    return app.exec();
}
