// The six files a whole run leaves, with the SHA-256 of their bytes. Taken
// once the content was reviewed and the decoded plan, entries and cells were
// read value by value; any change to the content, the compiler or a layout
// shows here first.
#ifndef SCENARIO_TESTS_TESTING_PINNED_FILES_H_
#define SCENARIO_TESTS_TESTING_PINNED_FILES_H_

#include <map>
#include <string>

namespace scenario::testing {

inline const std::map<std::string, std::string> pinned_run_files = {
    {"Tarvena_Olmisco_IR 4518_note.txt",
     "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"Tarvena_Olmisco_IR 4518_rallentamenti.txt",
     "624533115edc35d5e811ca3f00be3ec81cde3377def7c54a89d2a64c4f82597f"},
    {"Tarvena_Olmisco_IR 4518_scheda_treno.txt",
     "463c9d99d5a7f07ee54feb894ecf021dc1cc5e950c73e88462a98f0e00c4ec1a"},
    {"Tarvena_Olmisco_linea.dat",
     "083a26a8f797ff99f03d47c9d5cb8d85a2e9cce7fbdbe3ef65f0779faca708db"},
    {"Tarvena_Olmisco_IR 4518.sim",
     "7f545c8efa55508841335a87fb240338126be4f560a5a831ba3dd52dd69d49a8"},
    {"Tarvena_Olmisco_IR 4518.dat",
     "3361b6ac53f4203178499811dd258b4ed8b9feee78c7a3478c80e7eceb7726e1"},
};

// The three binary files among them.
inline const char* const pinned_binary_names[] = {
    "Tarvena_Olmisco_linea.dat",
    "Tarvena_Olmisco_IR 4518.sim",
    "Tarvena_Olmisco_IR 4518.dat",
};

}  // namespace scenario::testing

#endif  // SCENARIO_TESTS_TESTING_PINNED_FILES_H_
