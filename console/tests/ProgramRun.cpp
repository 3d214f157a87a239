// Runs the built program with redirected standard input and output.
#include "ProgramRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

std::string temporaryPath(const char* role) {
  static int counter = 0;
  return "/tmp/inflations-e2e-" + std::to_string(getpid()) + "-" + std::to_string(counter++) +
         "-" + role;
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Waits for the child up to the limit and kills it after that; notes its status and peak memory.
void waitBounded(pid_t child, int limitSeconds, ProgramResult& result) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
  int raw = 0;
  rusage usage{};
  for (;;) {
    pid_t done = wait4(child, &raw, WNOHANG, &usage);
    if (done == child) break;
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      wait4(child, &raw, 0, &usage);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.peakResidentKiB = usage.ru_maxrss;
}

void limitData(unsigned long bytes) {
  rlimit limit{};
  getrlimit(RLIMIT_DATA, &limit);
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_DATA, &limit);
}

}  // namespace

ProgramResult runInflationsOnFile(const std::vector<std::string>& args,
                                  const std::string& inputPath, int limitSeconds,
                                  unsigned long dataLimitBytes) {
  const std::string outPath = temporaryPath("out");
  std::vector<std::string> words = {INFLATIONS_PROGRAM};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  ProgramResult result;
  pid_t child = fork();
  if (child == 0) {
    int in = open(inputPath.c_str(), O_RDONLY);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0) _exit(127);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    setsid();  // no controlling terminal: the program must not try to wait for a key
    if (dataLimitBytes > 0) limitData(dataLimitBytes);
    execv(argv[0], argv.data());
    _exit(127);
  }
  waitBounded(child, limitSeconds, result);
  result.output = readFile(outPath);
  std::remove(outPath.c_str());
  return result;
}

ProgramResult runInflations(const std::vector<std::string>& args, const std::string& input,
                            int limitSeconds, unsigned long dataLimitBytes) {
  const std::string inPath = temporaryPath("in");
  writeFile(inPath, input);
  ProgramResult result = runInflationsOnFile(args, inPath, limitSeconds, dataLimitBytes);
  std::remove(inPath.c_str());
  return result;
}

// Replaces each "Runtime: " followed by digits, a point, four digits and " sec." by X.
std::string withoutRuntime(const std::string& output) {
  const std::string head = "Runtime: ";
  std::string result;
  std::size_t from = 0;
  for (std::size_t at; (at = output.find(head, from)) != std::string::npos;) {
    std::size_t p = at + head.size();
    std::size_t digitsStart = p;
    while (p < output.size() && std::isdigit(static_cast<unsigned char>(output[p]))) ++p;
    bool wellFormed = p > digitsStart && p < output.size() && output[p] == '.';
    std::size_t fraction = p + 1;
    for (std::size_t d = 0; wellFormed && d < 4; ++d)
      wellFormed = fraction + d < output.size() &&
                   std::isdigit(static_cast<unsigned char>(output[fraction + d]));
    wellFormed = wellFormed && output.compare(fraction + 4, 5, " sec.") == 0;
    result.append(output, from, at - from);
    if (wellFormed) {
      result += "Runtime: X sec.";
      from = fraction + 9;
    } else {
      result += head;
      from = at + head.size();
    }
  }
  result.append(output, from, std::string::npos);
  return result;
}
