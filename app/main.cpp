#include "app/entry.h"

int main(int argc, char** argv) { return sf::RunProgram(argc, argv); }
