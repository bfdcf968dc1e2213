// Writes the build's line and train descriptions into a folder, as the
// builder writes them before compiling them, for the editor test:
//   write_build_pair DIR
// Exit status: 0 written; 64 no folder given; 73 not written.
#include <filesystem>
#include <iostream>

#include "output/replace_file.h"
#include "shell/run.h"
#include "sources/sources.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_build_pair DIR\n";
    return 64;
  }
  const std::filesystem::path dir = argv[1];
  scenario::file_failure failure;
  if (!scenario::dati_linea(dir, scenario::build_percorso, &failure) ||
      !scenario::dati_treno(dir, scenario::build_percorso,
                            scenario::build_treno, &failure)) {
    std::cerr << "write_build_pair: " << failure.message() << '\n';
    return 73;
  }
  return 0;
}
