// Builds the demo project into the directory given on the command line, from C++ code, so the
// demo always matches the current sources. Nothing is written into it yet: the player runs its
// stand-in scene on an empty data directory.
#include <filesystem>
#include <iostream>
#include <system_error>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-demo DIR\n";
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(argv[1], error);
  if (error) {
    std::cerr << "make-demo: " << argv[1] << ": " << error.message() << "\n";
    return 1;
  }
  return 0;
}
