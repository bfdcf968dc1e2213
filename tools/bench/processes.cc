#include "processes.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace scenario::bench {

namespace fs = std::filesystem;

sample run_process(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    unsetenv("DISPLAY");
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    dup2(null_fd, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  const auto seconds_of = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return {std::chrono::duration<double>(end - start).count(),
          seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime),
          usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void print(const std::string& name, double value, const char* unit) {
  std::printf("%s: %.3f %s\n", name.c_str(), value, unit);
}

void generate(const fs::path& line_file, const fs::path& train_file, int km) {
  const int length = km * 1000;
  std::ofstream l(line_file, std::ios::binary);
  l << "[generale]\r\nlunghezza percorso,    " << length << "\r\n"
    << "progressiva chilometrica uno,    0,    0,    0\r\n"
    << "progressiva chilometrica due,    0,    0,    0\r\n"
    << "progressiva chilometrica tre,    0,    0,    0\r\n"
    << "sfondo uno,    0\r\nsfondo due,    1\r\nsfondo tre,    0\r\n"
    << "ripetizione segnali 4 codici,    0    ,0\r\n[curve]\r\n";
  for (int p = 0; p + 400 < length; p += 1000) {
    l << "curva" << ((p / 1000) % 2 ? "s" : "d") << 1 + (p / 1000) % 4 << ",  "
      << p << ",  400\r\n";
  }
  l << "[pendenze]\r\n";
  for (int p = 0; p < length; p += 500) {
    l << "pendenza,   " << p << ",    " << (p / 500) % 7 - 3 << "\r\n";
  }
  l << "[montagne]\r\n";
  int tunnels = 0;
  for (int p = 12600; p + 1000 < length && tunnels < 80; p += 20000) {
    l << "montagna,   " << p << ",  " << p + 1000 << ",  11\r\n";
    ++tunnels;
  }
  l << "[cartelli]\r\n";
  for (int p = 2050; p + 100 < length; p += 10000) {
    l << "indicatori_vmax,  " << p << ",  100,  120,  120,  0,  ,  ,  ,  0\r\n";
  }
  l << "[indicazioni]\r\n";
  for (int k = 0, p = 12550; k < 24 && p + 100 < length; ++k, p += 20000) {
    l << "cartello_indicatore,  " << p << ",   (GALLERIA)(NUMERO " << k
      << ")(m.1000)\r\n";
  }
  l << "[fine]\r\n";

  std::ofstream t(train_file, std::ios::binary);
  t << "[generale]\r\nnumero vetture,    7\r\npercentuale massa frenata,    "
       "100\r\nsabbia,    0\r\norologio,    7   5   30 \r\n[aderenze]\r\n"
       "aderenza,   0,    100\r\n[vel_limite]\r\n";
  for (int p = 0; p + 100 < length; p += 5000) {
    t << "velocita,   " << p << ",    " << ((p / 5000) % 2 ? 100 : 120)
      << "\r\n";
  }
  t << "[stazioni]\r\n";
  for (int k = 0, p = 10050; k < 50 && p + 800 < length; ++k, p += 20000) {
    t << "stazione,   " << p << ", 12,  400,  0, 1, 1,  1,1,0,  2,1,1,    0,"
      << "   0, 0, 0, STAZIONE " << k << "\r\n";
  }
  t << "[rallentamenti]\r\n";
  for (int x = 5100; x + 1100 < length; x += 10000) {
    t << "rallentamento,  " << x << ",  60,  1000,  1,  1,  0\r\n";
  }
  t << "[segnali]\r\n";
  for (int p = 1000; p + 100 < length; p += 1500) {
    t << "segnale,   " << p << ",   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n";
  }
  t << "[fine]\r\n";
}

}  // namespace scenario::bench
