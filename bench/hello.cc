// The yardstick of a run's instructions: a C++ program that prints one line
// through iostream.
#include <iostream>

int main() { std::cout << "One line.\n"; }
