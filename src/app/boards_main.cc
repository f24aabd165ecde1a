#include "app/run_boards.h"

int main() { return runBoards(); }
