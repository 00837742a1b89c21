// simplexfit: fits the Raman/IR job "fit.pfc" of the current directory.
#include <exception>
#include <iostream>

#include "BalimorVersion.h"
#include "driver.h"

int main(int argc, char** argv) {
  if (balimor::PrintVersionIfAsked(argc, argv, "simplexfit")) return 0;
  try {
    return simplex::runJob(".", std::cout);
  } catch (const std::exception& e) {
    std::cout << "simplexfit: " << e.what() << "\n";
    return 1;
  }
}
