// window_probe FOLDER: shows the run's window as the builder does, then the
// error box for 1250, so that a script can look at both on a display
// (tests/windows/window_test.sh). Says where it stands through files in
// FOLDER: "shown" (with the screen position of the label's top left corner),
// then waits for "go"; "answered" once the box is closed.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "shell/run.h"
#include "shell/window.h"

namespace fs = std::filesystem;

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 64;
  const fs::path folder = argv[1];
  auto ui = scenario::make_window(scenario::program_directory());
  ui->show_waiting();
  HWND form = FindWindowW(L"scenario_Form1", L"Form1");
  if (form == nullptr) return 1;  // the console stood in for the window
  POINT label = {64, 64};
  ClientToScreen(form, &label);
  std::ofstream(folder / "shown") << label.x << ' ' << label.y << '\n';
  for (int i = 0; i < 1200 && !fs::exists(folder / "go"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ui->errore("1250");
  std::ofstream(folder / "answered") << "OK\n";
  return 0;
}
