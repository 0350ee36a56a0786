#include <string>
#include <vector>

#include "appserver/app.h"

int main(int argc, char** argv) {
  return appserver::Run(std::vector<std::string>(argv + 1, argv + argc));
}
