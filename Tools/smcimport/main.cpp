#include "Tools/smcimport/SmcImportTool.h"

int main(int argc, char** argv) { return Aerlo::SmcImportTool::run({argv + 1, argv + argc}); }
