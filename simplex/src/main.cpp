// simplexfit: fits the Raman/IR job "fit.pfc" of the current directory.
#include <exception>
#include <iostream>

#include "driver.h"

int main() {
  try {
    return simplex::runJob(".", std::cout);
  } catch (const std::exception& e) {
    std::cout << "simplexfit: " << e.what() << "\n";
    return 1;
  }
}
