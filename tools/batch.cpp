// `vorlane play-batch FILE`: many `vorlane play` sessions in one process, for
// the test suite's runs under valgrind and Wine, where starting the process
// costs a hundred times what the session does.
//
// FILE holds one session per paragraph: its working folder on the first line,
// then one `play` argument per line; an empty line ends it. Each session runs
// in its folder with its standard output and error going to the files
// `stdout` and `stderr` there, and its exit status written to `status`.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/play.h"

#include <fcntl.h>
#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <unistd.h>
#define O_BINARY 0
#endif

namespace {

int RunOne(const std::string &folder, std::vector<std::string> args) {
  std::vector<char *> argv;
  for (std::string &a : args) argv.push_back(&a[0]);
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  const int savedOut = dup(1), savedErr = dup(2);
  // Binary, as `play` writes its output: the bytes are compared as they are.
  const int out = open((folder + "/stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_BINARY, 0600);
  const int err = open((folder + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_BINARY, 0600);
  char here[4096];
  const bool known = getcwd(here, sizeof(here)) != nullptr;
  int status = 2;
  if (out >= 0 && err >= 0 && savedOut >= 0 && savedErr >= 0 && chdir(folder.c_str()) == 0) {
    dup2(out, 1);
    dup2(err, 2);
    status = RunPlay(static_cast<int>(argv.size()), argv.data());
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    dup2(savedOut, 1);
    dup2(savedErr, 2);
    if (known && chdir(here) != 0) status = 2;
  }
  for (int fd : {out, err, savedOut, savedErr})
    if (fd >= 0) close(fd);
  std::ofstream(folder + "/status") << status << "\n";
  return status;
}

}  // namespace

int RunPlayBatch(int argc, char **argv) {
  if (argc != 1) {
    std::cerr << "usage: vorlane play-batch FILE\n";
    return 2;
  }
  std::ifstream in(argv[0], std::ios::binary);
  if (!in) {
    std::cerr << "vorlane play-batch: cannot read " << argv[0] << "\n";
    return 2;
  }
  std::vector<std::string> session;
  std::string line;
  auto run = [&]() {
    if (!session.empty()) RunOne(session[0], std::vector<std::string>(session.begin() + 1, session.end()));
    session.clear();
  };
  while (std::getline(in, line)) {
    if (line.empty())
      run();
    else
      session.push_back(line);
  }
  run();
  return 0;
}
