#include "Tools/smcsim/SmcsimTool.h"

int main(int argc, char** argv) { return Aerlo::SmcsimTool::run(std::vector<std::string>(argv + 1, argv + argc)); }
