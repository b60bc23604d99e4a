#include "wizard/converter_app.h"

int main(int argc, char** argv) { return RunConverterApp(argc, argv); }
