#pragma once
// Helpers of the real-window tests: programs started under an Xvfb server,
// shell commands' output, and fields of xwininfo's report.
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace xvfb {

// The standard output of a shell command.
inline std::string capture(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

// The number after `name` in `text`, -1 when it is not there.
inline int field(const std::string& text, const std::string& name) {
  const auto at = text.find(name);
  return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + name.size());
}

// Starts argv_text[0] with exactly this environment in `cwd`, its standard
// error into `err`.
inline pid_t spawn(const std::vector<std::string>& argv_text, const std::vector<std::string>& env_text,
                   const std::filesystem::path& cwd, const std::filesystem::path& err) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(120);
    if (!std::freopen(err.c_str(), "w", stderr)) _exit(121);
    std::vector<std::string> a(argv_text), e(env_text);
    std::vector<char*> argv, envp;
    for (auto& s : a) argv.push_back(s.data());
    for (auto& s : e) envp.push_back(s.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    execve(argv[0], argv.data(), envp.data());
    _exit(122);
  }
  return pid;
}

// Runs `command` until its output holds `sign` (up to 30 seconds: a loaded
// machine may take seconds to start a server or show a window) and returns
// the last output.
inline std::string wait_for(const std::string& command, const char* sign) {
  std::string out;
  for (int i = 0; i < 150; ++i) {
    out = capture(command);
    if (out.find(sign) != std::string::npos) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return out;
}

// `env` with the sanitizers' options of this process added, so that a game
// built with them reports as the test asks.
inline std::vector<std::string> with_sanitizer_options(std::vector<std::string> env) {
  for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
    if (const char* v = std::getenv(keep)) env.push_back(std::string(keep) + "=" + v);
  return env;
}

// Stops a program started by `spawn` (the server) and waits for it.
inline void stop(pid_t pid) {
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

// The whole content of a file (a program's standard error), empty when it
// cannot be read.
inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace xvfb
