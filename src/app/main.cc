#include "app/run_setup.h"

int main() { return runTool(); }
