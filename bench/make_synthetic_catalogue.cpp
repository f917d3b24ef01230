// Writes a large synthetic catalogue, to try the program on: make_synthetic_catalogue FOLDER
// [MODELS PRICE_LISTS LINES_PER_LIST INDEX_LINES]
#include <cstdlib>
#include <iostream>

#include "synthetic_catalogue.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 6) {
    std::cerr << "usage: make_synthetic_catalogue FOLDER [MODELS LISTS LINES INDEX_LINES]\n";
    return 2;
  }
  trubkom::bench::SyntheticSize size;
  size.index_lines = 100000;
  if (argc == 6) {
    size = {std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
  }
  trubkom::bench::WriteSyntheticCatalogue(argv[1], size);
  return 0;
}
