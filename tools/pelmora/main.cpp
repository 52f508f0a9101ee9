// The desktop program: pelmora [--root DIR]

#include "app/ModMain.h"

int main(int argc, char** argv) { return pelmora::Main(argc, argv); }
