#include <QCoreApplication>
#include <iostream>

#include "tools/commands.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QStringList args = QCoreApplication::arguments().mid(1);
  return sf::ToolMain(args, std::cout, std::cerr);
}
