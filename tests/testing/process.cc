#include "testing/process.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "testing/temp_dir.h"

namespace scenario::testing {

process_result run_program(const std::vector<std::string>& argv,
                           bool without_display) {
  temp_dir streams;
  const std::string out_path = (streams / "out").string();
  const std::string err_path = (streams / "err").string();
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    if (without_display) unsetenv("DISPLAY");
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  process_result r;
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    r.status = WEXITSTATUS(status);
  }
  r.out = read_file(out_path);
  r.err = read_file(err_path);
  return r;
}

}  // namespace scenario::testing
