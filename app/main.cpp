#include "app/Launch.h"

int main(int argc, char* argv[]) { return app::launch(argc, argv, {}, app::runUntilEnd); }
