// Drives `inflations` in a real terminal with tmux: the screen is cleared before each display,
// each wait ends on one key press that is not echoed, the terminal's mode is restored at the
// end and after an interrupt, and Ctrl-Z stops the program as a shell job until `fg`.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

namespace {

// Output of a shell command; empty when it fails.
std::string shellOutput(const std::string& command) {
  std::array<char, 4096> chunk{};
  std::string text;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return text;
  while (std::size_t got = std::fread(chunk.data(), 1, chunk.size(), pipe.get()))
    text.append(chunk.data(), got);
  return text;
}

bool tmuxInstalled() { return std::system("tmux -V >/dev/null 2>&1") == 0; }

// One tmux server of its own (private socket) with one session, killed when the test ends.
class TmuxSession {
 public:
  explicit TmuxSession(const std::string& command) {
    static int counter = 0;
    name_ = "inflations-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    tmux("new-session -d -s " + name_ + " -x 80 -y 30 " + quoted(command));
  }
  ~TmuxSession() { tmux("kill-server"); }

  void sendKeys(const std::string& keys) { tmux("send-keys -t " + name_ + " " + keys); }
  // Types the line as it is, then Enter.
  void typeLine(const std::string& line) {
    tmux("send-keys -t " + name_ + " -l " + quoted(line));
    sendKeys("Enter");
  }
  std::string screen() { return shellOutput(base() + "capture-pane -p -t " + name_ + " 2>/dev/null"); }

  // Polls the screen until it holds `text`, for at most ten seconds.
  bool waitFor(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      if (screen().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

 private:
  static std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  }
  std::string base() const { return "tmux -L " + name_ + " -f /dev/null "; }
  void tmux(const std::string& arguments) {
    std::system((base() + arguments + " >/dev/null 2>&1").c_str());
  }
  std::string name_;
};

// Every test drives a terminal of its own through tmux, and is skipped without it.
class Terminal : public testing::Test {
 protected:
  void SetUp() override {
    if (!tmuxInstalled()) GTEST_SKIP() << "tmux is not installed";
  }
};

// After the program, the shell prints its status and whether canonical mode and echo are on.
std::string programThenModeReport(const std::string& arguments) {
  return std::string("trap : INT; stty sane; ") + INFLATIONS_PROGRAM + " " + arguments +
         "; s=$?; echo; echo \"status=$s\"; "
         "stty -a | tr ' ' '\\n' | grep -x -e icanon -e -icanon -e echo -e -echo | tr '\\n' ' ';"
         " echo '<mode'; sleep 600";
}

TEST_F(Terminal, ClearsWaitsForOneKeyWithoutEchoAndRestoresTheMode) {
  TmuxSession session(programThenModeReport("--Nakayama 4 2"));

  ASSERT_TRUE(session.waitFor("Press any key to start automatic inflations..."));
  const std::string first = session.screen();
  EXPECT_EQ(first.rfind(" 1 -1  1 -1", 0), 0u) << "the screen starts with the matrix:\n" << first;
  EXPECT_EQ(first.find("stty"), std::string::npos);

  session.sendKeys("x");  // one key, no Enter
  ASSERT_TRUE(session.waitFor("Press any key to display the list of performed inflations..."));
  const std::string afterRun = session.screen();
  // Cleared before the last display: the first matrix and its prompt are gone.
  EXPECT_EQ(afterRun.rfind(" 1 -1 -1", 0), 0u) << afterRun;
  EXPECT_EQ(afterRun.find("Press any key to start"), std::string::npos) << afterRun;
  EXPECT_NE(afterRun.find("Inflation no.: 2"), std::string::npos) << afterRun;
  EXPECT_NE(afterRun.find("Runtime: "), std::string::npos) << afterRun;
  EXPECT_EQ(afterRun.find("[1, 3]"), std::string::npos) << "the second wait holds the list back";
  EXPECT_EQ(afterRun.find('x'), std::string::npos) << "the key was echoed:\n" << afterRun;

  session.sendKeys("q");
  ASSERT_TRUE(session.waitFor("<mode"));
  const std::string end = session.screen();
  EXPECT_NE(end.find("\n[1, 3], [2, 4]\n"), std::string::npos) << end;
  EXPECT_EQ(end.find('q'), std::string::npos) << "the key was echoed:\n" << end;
  EXPECT_NE(end.find("status=0"), std::string::npos) << end;
  EXPECT_NE(end.find("icanon echo <mode"), std::string::npos) << end;
}

TEST_F(Terminal, InterruptDuringAWaitRestoresTheMode) {
  TmuxSession session(programThenModeReport("--Nakayama 4 2"));
  ASSERT_TRUE(session.waitFor("Press any key to start automatic inflations..."));
  session.sendKeys("C-c");
  ASSERT_TRUE(session.waitFor("<mode"));
  const std::string end = session.screen();
  EXPECT_NE(end.find("status=130"), std::string::npos) << end;
  EXPECT_NE(end.find("icanon echo <mode"), std::string::npos) << end;
}

TEST_F(Terminal, EscapeSequenceKeyCountsAsOneKey) {
  TmuxSession session(programThenModeReport("--Nakayama 4 2"));
  ASSERT_TRUE(session.waitFor("Press any key to start automatic inflations..."));
  session.sendKeys("Up");  // three bytes: ESC [ A
  ASSERT_TRUE(session.waitFor("Press any key to display the list of performed inflations..."));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(session.screen().find("[1, 3]"), std::string::npos) << "the key's tail ended the next wait";
  session.sendKeys("Enter");
  EXPECT_TRUE(session.waitFor("<mode"));
}

TEST_F(Terminal, DialogueTypedAtTheTerminalShowsEachPromptBeforeReading) {
  TmuxSession session(programThenModeReport(""));
  const std::pair<const char*, const char*> steps[] = {
      {"Number of vertices:", "2"}, {"Upper triangular Gram matrix:", "'1 1'"},
      {"Upper triangular Gram matrix:", "'0 1'"}, {"k =", "0"}, {"m =", "0"},
      {"(see \"--help\" for details).", "3"}};
  for (const auto& [prompt, answer] : steps) {
    ASSERT_TRUE(session.waitFor(prompt)) << prompt;
    session.sendKeys(std::string(answer) + " Enter");
  }
  ASSERT_TRUE(session.waitFor("Press any key to start automatic inflations..."));
  session.sendKeys("a");
  ASSERT_TRUE(session.waitFor("Press any key to display the list of performed inflations..."));
  session.sendKeys("b");
  ASSERT_TRUE(session.waitFor("<mode"));
  const std::string end = session.screen();
  EXPECT_NE(end.find("\n[1, 2]\n"), std::string::npos) << end;
  // Had the Enter after the last answer ended the first wait, "b" would arrive after the
  // program and be echoed.
  EXPECT_EQ(end.find('b'), std::string::npos) << end;
  EXPECT_NE(end.find("status=0"), std::string::npos) << end;
  EXPECT_NE(end.find("icanon echo <mode"), std::string::npos) << end;
}

// An interactive shell with job control, where Ctrl-Z and `fg` work as for a user.
const char kJobShell[] = "env PS1='$ ' bash --norc --noprofile -i";

// Has the shell print whether canonical mode and echo are on, ended by "mode-<mark>" (typed
// as an expression, so that the typed line does not match), and returns that printed line.
std::string terminalMode(TmuxSession& session, int mark) {
  session.typeLine(
      "stty -a | tr ' ' '\\n' | grep -x -e icanon -e -icanon -e echo -e -echo | tr '\\n' ' ';"
      " echo \"mode-$((" + std::to_string(mark) + "+0))\"");
  const std::string end = "mode-" + std::to_string(mark);
  if (!session.waitFor(end + "\n")) return "(no report)";
  const std::string screen = session.screen();
  const std::size_t at = screen.find(end + "\n");
  const std::size_t lineStart = screen.rfind('\n', at);
  return screen.substr(lineStart + 1, at + end.size() - lineStart - 1);
}

// The end of a resumed run: q at the list's wait shows the list, the program ends with status
// 0, and the shell has canonical mode and echo again (checked with `mark`).
void endsWithTheListAndStatusZero(TmuxSession& session, int mark) {
  session.sendKeys("q");
  ASSERT_TRUE(session.waitFor("[1, 3], [2, 4]"));
  session.typeLine("echo \"status=$?\"");
  ASSERT_TRUE(session.waitFor("status=0")) << session.screen();
  EXPECT_EQ(terminalMode(session, mark), "icanon echo mode-" + std::to_string(mark));
}

// The state letter of the program's process started with `arguments`, as ps shows it (T when
// stopped). The whole command line must match, as other tests may run the program meanwhile.
std::string programState(const std::string& arguments) {
  return shellOutput(std::string("ps -o stat=,args= -C inflations | grep -E -- '") +
                     INFLATIONS_PROGRAM + " " + arguments + "$' | cut -c1");
}

TEST_F(Terminal, CtrlZDuringAWaitStopsTheJobAndFgResumesTheWait) {
  TmuxSession session(kJobShell);
  EXPECT_EQ(terminalMode(session, 1), "icanon echo mode-1");
  const std::string arguments = "--Nakayama 4 2 1 0 0";  // the defaults, spelt out
  session.typeLine(std::string(INFLATIONS_PROGRAM) + " " + arguments);
  ASSERT_TRUE(session.waitFor("Press any key to start automatic inflations..."));

  session.sendKeys("C-z");
  ASSERT_TRUE(session.waitFor("Stopped")) << session.screen();
  EXPECT_EQ(programState(arguments), "T\n");
  EXPECT_EQ(terminalMode(session, 2), "icanon echo mode-2") << "the shell got its mode back";

  session.typeLine("fg");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  session.sendKeys("x");  // one key, no Enter: the wait has its mode again
  ASSERT_TRUE(session.waitFor("Press any key to display the list of performed inflations..."))
      << session.screen();
  endsWithTheListAndStatusZero(session, 3);
}

TEST_F(Terminal, CtrlZDuringARunStopsTheJobAndFgFinishesTheRun) {
  TmuxSession session(kJobShell);
  // k = 1 with a wait of 1.5 s after each display: the run is in its first wait when stopped.
  const std::string arguments = "--Nakayama 4 2 1 0 1500";
  session.typeLine(std::string(INFLATIONS_PROGRAM) + " " + arguments);
  ASSERT_TRUE(session.waitFor("Press any key to start automatic inflations..."));
  session.sendKeys("x");
  ASSERT_TRUE(session.waitFor("Inflation no.: 1"));
  session.sendKeys("C-z");
  ASSERT_TRUE(session.waitFor("Stopped")) << session.screen();
  EXPECT_EQ(programState(arguments), "T\n");
  EXPECT_EQ(terminalMode(session, 1), "icanon echo mode-1");

  session.typeLine("fg");
  ASSERT_TRUE(session.waitFor("Press any key to display the list of performed inflations..."))
      << session.screen();
  endsWithTheListAndStatusZero(session, 2);
}

}  // namespace
