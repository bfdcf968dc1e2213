#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <utility>

#include "testing/process.h"

namespace scenario::testing {

started_process::started_process(const std::vector<std::string>& argv,
                                 const process_options& options) {
  const std::string out_path = (streams_ / "out").string();
  const std::string err_path = (streams_ / "err").string();
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  pid_ = fork();
  if (pid_ == 0) {
    if (options.without_display) unsetenv("DISPLAY");
    for (const std::string& change : options.environment) {
      const size_t equals = change.find('=');
      if (equals == std::string::npos) {
        unsetenv(change.c_str());
      } else {
        setenv(change.substr(0, equals).c_str(), change.c_str() + equals + 1,
               1);
      }
    }
    if (!options.working_directory.empty() &&
        chdir(options.working_directory.c_str()) != 0) {
      _exit(126);
    }
    if (options.file_size_limit != 0) {
      // An ignored signal stays ignored in the new program: a write past
      // the limit then fails with EFBIG instead of killing it.
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{options.file_size_limit, options.file_size_limit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    // The streams are open before the rights are dropped.
    if (options.without_root && geteuid() == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(unprivileged_user) != 0 ||
          setuid(unprivileged_user) != 0) {
        _exit(126);
      }
    }
    execv(args[0], args.data());
    _exit(127);
  }
}

started_process::~started_process() {
  if (pid_ > 0) wait();
}

void started_process::send(int signal) const {
  if (pid_ > 0) ::kill(static_cast<pid_t>(pid_), signal);
}

process_result started_process::wait() {
  process_result r;
  int status = 0;
  if (pid_ > 0 && waitpid(static_cast<pid_t>(pid_), &status, 0) == pid_ &&
      WIFEXITED(status)) {
    r.status = WEXITSTATUS(status);
  }
  pid_ = -1;
  // A process killed early may not have opened its streams yet.
  for (auto [name, text] : {std::pair{"out", &r.out}, {"err", &r.err}}) {
    if (std::filesystem::exists(streams_ / name)) {
      *text = read_file(streams_ / name);
    }
  }
  return r;
}

std::string started_process::err_so_far() const {
  std::error_code ec;
  if (!std::filesystem::exists(streams_ / "err", ec)) return {};
  return read_file(streams_ / "err");
}

process_result run_program(const std::vector<std::string>& argv,
                           const process_options& options) {
  return started_process(argv, options).wait();
}

process_result run_program(const std::vector<std::string>& argv,
                           bool without_display) {
  return run_program(argv, process_options{.without_display = without_display});
}

}  // namespace scenario::testing
