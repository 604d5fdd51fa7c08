// The stand-in for the service manager's keep-alive: keepalive --pid-file <path> <program>.
#include "Platform/System/KeepAlive.h"

extern char** environ;

int main(int argc, char** argv) { return SystemPlatform::KeepAlive::main(argc, argv, environ); }
