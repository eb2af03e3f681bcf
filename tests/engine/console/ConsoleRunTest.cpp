// SPDX-License-Identifier: GPL-3.0-or-later
// The unattended run without a display, in process and as the program.
#ifdef _WIN32
#include "windows/WindowsApi.h"
#else
#include <sys/wait.h>
#include <locale.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <thread>

#include "text/ConfigLines.h"
#include "console/ConsoleHost.h"
#include "EngineFixture.h"
#include "FaultyFileSystem.h"
#include "fs/TemporaryCleanup.h"

namespace trasvex::test {
namespace {

class ConsoleRun : public EngineFixture {
 protected:
  int RunConsole(const std::vector<std::string>& arguments) {
    out_.str("");
    err_.str("");
    return ConsoleHost::RunUnattended(CommandLine::Parse(arguments), *fs_, out_, err_);
  }
  void WriteConfig(const std::vector<std::string>& lines) {
    std::vector<std::string> expanded;
    for (const std::string& line : lines)
      expanded.push_back(Expand(line));
    tree_.Write("lista.rtf", WriteConfigLines(expanded) + "\r\n");
  }
  std::ostringstream out_, err_;
};

TEST_F(ConsoleRun, ListsRowsToOutputAndTheSummaryLast) {
  tree_.Add("src/a.txt 2024-05-03 10:11:12 2048");
  WriteConfig({"@/dst = @/src"});
  EXPECT_EQ(RunConsole({P("lista.rtf"), "auto", "list"}), ConsoleHost::kClean);
  EXPECT_EQ(out_.str(), Dated("2024/05/03 10:11:12") + "\t" + P("src") + "\ta\t.TXT\t     2K\t  0\n");
  EXPECT_EQ(err_.str(), "Archs (1): 1 exitos, 0 fallos.\n");
  EXPECT_EQ(RunConsole({P("lista.rtf"), "AUTO", "LISTCOPY"}), ConsoleHost::kClean);
  EXPECT_EQ(out_.str(), "Copy\t" + P("src") + "/\ta.txt\t" + P("dst") + "\t\t\n");
}

TEST_F(ConsoleRun, MessagesGoToErrorsAndTheRunGoesOn) {
  tree_.Add("src/a.txt 2024-05-03 10:11:12");
  // Each rejected line becomes the extension list: the empty line clears it.
  WriteConfig({"@/x = @/x", "@/dst = @/falta/sub", "", "@/dst = @/src"});
  EXPECT_EQ(RunConsole({P("lista.rtf"), "AUTO"}), ConsoleHost::kMessagesShown);
  EXPECT_EQ(err_.str(), "ERROR: los directorios fuente y destino son iguales!\n"
                        "ERROR: el directorio " + P("falta/sub") + " no existe!\n"
                        "Archs (1): 1 copias, 0 fallos.\n");
  EXPECT_TRUE(tree_.Exists("dst/a.txt"));
}

TEST_F(ConsoleRun, SwitchesReachTheRun) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  tree_.Add("src/sub/b.txt 2020-01-01 00:00:00");
  tree_.Add("dst/a.txt 2022-01-01 00:00:00");
  WriteConfig({"@/dst = @/src"});
  EXPECT_EQ(RunConsole({P("lista.rtf"), "AUTO", "NODIRS", "NUEVOS"}), ConsoleHost::kMessagesShown);
  EXPECT_EQ(tree_.Read("dst/a.txt"), "dst/a.txt");
  EXPECT_FALSE(tree_.Exists("dst/sub"));
}

TEST_F(ConsoleRun, EveryEncodingOfTheConfigurationReachesTheSameFiles) {
  tree_.Add("a\xC3\xB1o/a.txt 2020-01-01 00:00:00");
  int row = 0;
  for (const ConfigEncoding encoding : {ConfigEncoding::kCodePage, ConfigEncoding::kUtf8Bom,
                                        ConfigEncoding::kUtf16Le, ConfigEncoding::kUtf16Be}) {
    SCOPED_TRACE(row);
    const std::string dst = "dst" + std::to_string(++row);
    tree_.Write("lista.rtf", WriteConfigLines({Expand("@/" + dst + " = @/a\xC3\xB1o")}, encoding));
    EXPECT_EQ(RunConsole({P("lista.rtf"), "AUTO"}), ConsoleHost::kClean);
    EXPECT_TRUE(tree_.Exists(dst + "/a.txt"));
  }
}

TEST_F(ConsoleRun, AMissingConfigurationDoesNotRun) {
  EXPECT_EQ(RunConsole({P("falta.rtf"), "AUTO"}), ConsoleHost::kNotRun);
  EXPECT_EQ(err_.str(), "Cannot open file " + P("falta.rtf") + ".\n");
  tree_.Add("carpeta.rtf/");
  EXPECT_EQ(RunConsole({P("carpeta.rtf"), "AUTO"}), ConsoleHost::kNotRun);
}

#ifndef _WIN32  // Windows names cannot hold these characters
TEST_F(ConsoleRun, CellsWithLineBreaksStayOnOneLine) {
  tree_.Add("src/");
  tree_.Write("src/a\tb\nc\r.txt", "x");
  WriteConfig({"@/dst = @/src"});
  EXPECT_EQ(RunConsole({P("lista.rtf"), "AUTO", "LIST"}), ConsoleHost::kClean);
  EXPECT_NE(out_.str().find("\ta\\tb\\nc\\r\t.TXT\t"), std::string::npos);
  const std::string output = out_.str();
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
  std::filesystem::create_directories(P("dst/a\tb\nc\r.txt"));  // the copy fails
  EXPECT_EQ(RunConsole({P("lista.rtf"), "AUTO"}), ConsoleHost::kMessagesShown);
  EXPECT_EQ(err_.str(), "ERROR: No se pudo copiar el archivo " + P("src") +
                            "/a\\tb\\nc\\r.txt (el destino es una carpeta)\n"
                            "Archs (1): 0 copias, 1 fallos.\n");
}
#endif

// The program itself, started without a display in the tree's root, with
// its output and errors read together.
class Program : public ConsoleRun {
 protected:
#ifdef _WIN32
  // A window station of its own has no visible display, as a scheduled
  // task's has not: a program built with the window runs there in the
  // console too.
  static wchar_t* HiddenDesktop() {
    static std::wstring desktop = [] {
      const HWINSTA own = ::GetProcessWindowStation();
      const HWINSTA hidden = ::CreateWindowStationW(L"TrasvexTests", 0, WINSTA_ALL_ACCESS, nullptr);
      if (hidden && ::SetProcessWindowStation(hidden)) {
        ::CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        ::SetProcessWindowStation(own);
      }
      return std::wstring(L"TrasvexTests\\Default");
    }();
    return desktop.data();
  }

  // A pipe whose writing end the program inherits.
  struct Pipe {
    Pipe() {
      SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
      if (::CreatePipe(&read, &write, &inherited, 0))
        ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    }
    ~Pipe() {
      ::CloseHandle(read);
      ::CloseHandle(write);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    // All that comes until every writer has closed it, CR LF read as LF.
    std::string ReadToEnd() {
      ::CloseHandle(write);
      write = nullptr;
      std::string text;
      char buffer[4096];
      for (DWORD got = 0; ::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got;)
        text.append(buffer, got);
      std::erase(text, '\r');
      return text;
    }
    HANDLE read = nullptr, write = nullptr;
  };

  // The program is found from the test's own folder, since the build's paths
  // may mean nothing here (Wine). With |errors| the errors are read apart
  // from the output, through a pipe of their own. |visible| starts it on
  // this process's desktop, which a user sees (under Wine, the stage's
  // virtual display), rather than on a hidden one.
  int Start(const std::string& arguments, std::string* output = nullptr,
            std::string* errors = nullptr, bool visible = false) {
    wchar_t self[MAX_PATH];
    const std::wstring tests(self, ::GetModuleFileNameW(nullptr, self, MAX_PATH));
    std::wstring command = L"\"" + tests.substr(0, tests.rfind(L'\\') + 1) +
                           WideText(TRASVEX_PROGRAM) + L"\" " + WideText(arguments);
    Pipe out, err;
    if (!out.read || !err.read)
      return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = visible ? nullptr : HiddenDesktop();
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.write;
    startup.hStdError = errors ? err.write : out.write;
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, WideText(tree_.Root()).c_str(), &startup,
                                          &process);
    std::string text, errorText;
    std::thread outputReader([&] { text = out.ReadToEnd(); });
    std::thread errorReader([&] { errorText = err.ReadToEnd(); });
    DWORD status = DWORD(-1);
    if (started) {
      // A program that waits for a user (a window, a message box) fails
      // the case rather than holding the suite.
      if (::WaitForSingleObject(process.hProcess, 60000) == WAIT_TIMEOUT)
        ::TerminateProcess(process.hProcess, DWORD(-1));
      ::WaitForSingleObject(process.hProcess, INFINITE);
      ::GetExitCodeProcess(process.hProcess, &status);
      ::CloseHandle(process.hProcess);
      ::CloseHandle(process.hThread);
    }
    outputReader.join();
    errorReader.join();
    if (output)
      *output = text;
    if (errors)
      *errors = errorText;
    return int(status);
  }
#else
  // With |errors| the errors are read apart from the output. |setting| is
  // put in the program's environment ("QT_QPA_PLATFORM=offscreen").
  int Start(const std::string& arguments, std::string* output = nullptr,
            std::string* errors = nullptr, const std::string& setting = "") {
    const std::string errorFile = tree_.Root() + ".errors";
    const std::string command = "cd '" + tree_.Root() + "' && env -u DISPLAY -u WAYLAND_DISPLAY "
                                "-u QT_QPA_PLATFORM " + setting + " '" TRASVEX_PROGRAM "' " +
                                arguments + (errors ? " 2>'" + errorFile + "'" : " 2>&1");
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    std::string text;
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
      text.append(buffer, got);
    const int status = ::pclose(pipe);
    if (output)
      *output = text;
    if (errors) {
      std::ifstream file(errorFile, std::ios::binary);
      *errors = std::string(std::istreambuf_iterator<char>(file), {});
      std::filesystem::remove(errorFile);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
#endif
};

TEST_F(Program, ExitStatusTellsHowTheRunWent) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  WriteConfig({"dst = src"});
  std::string output;
  EXPECT_EQ(Start("lista.rtf AUTO LIST", &output), 0);
  EXPECT_NE(output.find("Archs (1): 1 exitos, 0 fallos."), std::string::npos);
  EXPECT_EQ(Start("lista.rtf AUTO"), 0);
  EXPECT_EQ(tree_.Read("dst/a.txt"), "src/a.txt");
  WriteConfig({"dst = falta/sub"});
  EXPECT_EQ(Start("lista.rtf AUTO"), 1);
  EXPECT_EQ(Start("falta.rtf AUTO", &output), 2);
  EXPECT_EQ(output, "Cannot open file falta.rtf.\n");
}

#ifndef _WIN32
// A failure's reason is the system's own words, in the language of the
// environment's messages where that language is installed.
TEST_F(Program, TheSystemsReasonIsInWordsOfTheMessagesLanguage) {
  tree_.Add("src/a.txt");
  tree_.Add("dst/");
  std::filesystem::create_symlink("a.txt", P("dst/a.txt"));  // a link that loops
  WriteConfig({"dst = src"});
  const struct {
    const char* locale;
    const char* reason;
  } languages[] = {
      {"C", "(Too many levels of symbolic links)"},
      {"es_ES.UTF-8", "(Demasiados niveles de enlaces simb\xc3\xb3licos)"},
  };
  for (const auto& [locale, reason] : languages) {
    SCOPED_TRACE(locale);
    const locale_t installed = ::newlocale(LC_ALL_MASK, locale, locale_t(0));
    if (!installed)
      continue;  // scripts/test installs the Spanish one
    ::freelocale(installed);
    std::string errors;
    EXPECT_EQ(Start("lista.rtf AUTO", nullptr, &errors, std::string("LANGUAGE= LC_ALL=") + locale), 1);
    EXPECT_EQ(errors, "ERROR: No se pudo examinar el archivo dst/a.txt " + std::string(reason) +
                          "\nArchs (1): 0 copias, 1 fallos.\n");
  }
}
#endif

#ifndef _WIN32
// The program, started on lista.rtf in the tree's root with |jobs| workers,
// left to run; a signal |ignored| stays ignored in it.
pid_t StartUnattended(const std::string& root, const char* jobs, int ignored = 0) {
  const pid_t child = ::fork();
  if (child != 0)
    return child;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
    ::unsetenv(variable);
  ::setenv("TRASVEX_JOBS", jobs, 1);
  if (ignored)
    ::signal(ignored, SIG_IGN);
  if (::chdir(root.c_str()) == 0)
    ::execl(TRASVEX_PROGRAM, TRASVEX_PROGRAM, "lista.rtf", "AUTO", nullptr);
  ::_exit(127);
}

// Waits until |ready| holds, for at most ten seconds.
bool AwaitCondition(const std::function<bool()>& ready) {
  for (int wait = 0; wait < 20000; ++wait) {
    if (ready())
      return true;
    ::usleep(500);
  }
  return false;
}

// The names of the temporary files anywhere below |root|.
std::vector<std::string> TemporariesBelow(const std::string& root) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    if (entry.path().filename().string().starts_with(".trasvex-"))
      found.push_back(entry.path().string());
  return found;
}

void WriteBlocks(const std::string& path, int blocks, int blockSize) {
  std::ofstream file(path, std::ios::binary);
  const std::string block(std::size_t(blockSize), 'x');
  for (int i = 0; i < blocks; ++i)
    file.write(block.data(), std::streamsize(block.size()));
}

// A signal that ends the program while it copies a large file: the
// temporary file goes, and the program ends as that signal ends it.
TEST_F(Program, ASignalMidCopyLeavesNoTemporaryFile) {
#ifdef __SANITIZE_THREAD__
  GTEST_SKIP() << "ThreadSanitizer holds signals back and keeps its own record of ignored ones";
#endif
  tree_.Add("dst/");
  tree_.Add("src/");
  WriteBlocks(P("src/grande.bin"), 256, 1 << 20);
  WriteConfig({"dst = src"});
  // The last SIGHUP comes to a program started with it ignored, as under
  // nohup: the copy goes on to its end.
  for (const int signal : {SIGTERM, SIGINT, SIGHUP, -SIGHUP}) {
    SCOPED_TRACE(signal);
    const pid_t child = StartUnattended(tree_.Root(), "1", signal < 0 ? -signal : 0);
    const bool copying = AwaitCondition([&] { return !tree_.List("dst").empty(); });
    ::kill(child, std::abs(signal));
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(copying);
    if (signal < 0) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
      EXPECT_EQ(tree_.List("dst"), std::vector<std::string>{"grande.bin"});
      continue;
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_EQ(tree_.List("dst"), std::vector<std::string>());
  }
}

// Workers copying into many folders start new copies while the handler
// removes the temporary files: none may be made after it has looked.
TEST_F(Program, ASignalLeavesNoTemporaryFileOfAnyWorker) {
#ifdef __SANITIZE_THREAD__
  GTEST_SKIP() << "ThreadSanitizer holds signals back and keeps its own record of ignored ones";
#endif
  for (int folder = 0; folder < 16; ++folder) {
    tree_.Add("src/f" + std::to_string(folder) + "/");
    for (int file = 0; file < 60; ++file)
      WriteBlocks(P("src/f" + std::to_string(folder) + "/" + std::to_string(file) + ".bin"), 4,
                  16384);
  }
  WriteConfig({"dst = src"});
  for (int attempt = 0; attempt < 5; ++attempt) {
    SCOPED_TRACE(attempt);
    std::filesystem::remove_all(P("dst"));
    const pid_t child = StartUnattended(tree_.Root(), "8");
    AwaitCondition([&] { return tree_.Exists("dst/f3"); });
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(TemporariesBelow(P("dst")), std::vector<std::string>());
  }
}

// More threads than may copy at once have copied and ended, one after
// another: a new thread's temporary file is still removed by a signal.
TEST_F(ConsoleRun, ASignalRemovesTheTemporaryOfAThreadStartedAfterManyEnded) {
#ifdef __SANITIZE_THREAD__
  GTEST_SKIP() << "ThreadSanitizer holds signals back and keeps its own record of ignored ones";
#endif
  tree_.Add("src/a.txt");
  tree_.Add("dst/");
  const pid_t child = ::fork();
  if (child == 0) {
    TemporaryCleanup::Install();
    for (int copy = 0; copy < 65; ++copy)
      std::thread([&] { fs_->CopyFile(P("src/a.txt"), P("dst/" + std::to_string(copy))); }).join();
    FaultyFileSystem stalling(*fs_);
    stalling.beforeCall = [](FaultyFileSystem::Operation operation, const std::string&) {
      if (operation == FaultyFileSystem::Operation::kCopyContents)
        ::pause();
    };
    std::thread([&] { stalling.CopyFile(P("src/a.txt"), P("dst/last")); }).join();
    ::_exit(0);
  }
  const bool copying = AwaitCondition(
      [&] { return tree_.Exists("dst/64") && !TemporariesBelow(P("dst")).empty(); });
  ::kill(child, SIGTERM);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(copying);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  EXPECT_EQ(TemporariesBelow(P("dst")), std::vector<std::string>());
}
#endif

#ifdef _WIN32
// Started from a script on a desktop that a user sees, with the output and
// the errors sent to pipes: an AUTO run writes there, as it does without a
// display, and its exit status is the console run's.
TEST_F(Program, AnAutoRunWhoseOutputIsRedirectedRunsInTheConsole) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  WriteConfig({"dst = falta", "", "dst = src"});
  std::string output, errors;
  EXPECT_EQ(Start("lista.rtf AUTO LIST", &output, &errors, true), 1);
  EXPECT_EQ(output, Dated("2020/01/01 00:00:00") + "\tsrc\ta\t.TXT\t     0K\t  0\n");
  EXPECT_EQ(errors, "ERROR: el directorio falta no existe!\nArchs (1): 1 exitos, 0 fallos.\n");
}
#endif

TEST_F(Program, WithoutADisplayOnlyAnAutoRunStarts) {
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  WriteConfig({"dst = src"});
  // Six arguments, whatever they are, mean no run.
  for (const char* arguments : {"", "lista.rtf", "lista.rtf AUTO LIST NODIRS NUEVOS x",
                                "lista.rtf AUTO -style fusion x y"}) {
    SCOPED_TRACE(arguments);
    std::string output;
    EXPECT_EQ(Start(arguments, &output), 2);
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
    EXPECT_NE(output.find("; \"trasvex CONFIG AUTO\" runs without one\n"), std::string::npos);
  }
  EXPECT_FALSE(tree_.Exists("dst"));
}

TEST_F(Program, HelpAndVersionOnlyAsTheSoleArgument) {
  std::string output;
  EXPECT_EQ(Start("--help", &output), 0);
  EXPECT_EQ(output.rfind("Usage: trasvex [CONFIG [SWITCH...]]\n", 0), 0u);
  for (const char* part :
       {"LISTCOPY", "NUEVOS", "--version", "standard error", "  F5         Copiar", "Exit status:"})
    EXPECT_NE(output.find(part), std::string::npos) << part;
  EXPECT_EQ(Start("--version", &output), 0);
  EXPECT_EQ(output, "trasvex " TRASVEX_VERSION "\n");
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  WriteConfig({"dst = src"});
  tree_.Write("--help", tree_.Read("lista.rtf"));
#ifdef _WIN32
  EXPECT_EQ(Start(".\\--help auto list", &output), 0);
#else
  EXPECT_EQ(Start("./--help auto list", &output), 0);
#endif
  EXPECT_NE(output.find("Archs (1): 1 exitos"), std::string::npos);
  EXPECT_EQ(Start("--help AUTO"), 0);
  EXPECT_TRUE(tree_.Exists("dst/a.txt"));
}

#ifndef _WIN32
// "trasvex --help | less" shows the text.
TEST_F(Program, HelpAndVersionGoToTheOutput) {
  for (const char* argument : {"--help", "--version"}) {
    SCOPED_TRACE(argument);
    std::string output, errors;
    EXPECT_EQ(Start(argument, &output, &errors), 0);
    EXPECT_NE(output, "");
    EXPECT_EQ(errors, "");
  }
}

// The platform plug-in alone (offscreen, vnc) is a display: an AUTO run goes
// through the window, which writes no summary to the errors.
TEST_F(Program, APlatformPluginAloneIsADisplay) {
#ifndef TRASVEX_WINDOW_BUILT
  GTEST_SKIP() << "the program is built without the window";
#endif
  tree_.Add("src/a.txt 2020-01-01 00:00:00");
  WriteConfig({"dst = src"});
  std::string output, errors;
  EXPECT_EQ(Start("lista.rtf AUTO", &output, &errors, "QT_QPA_PLATFORM=offscreen"), 0);
  EXPECT_EQ(tree_.Read("dst/a.txt"), "src/a.txt");
  EXPECT_EQ(errors.find("Archs ("), std::string::npos) << errors;
}
#endif

// Output to a pipe is UTF-8, whatever the system's code page.
TEST_F(Program, AConfigurationNameWithBlanksAndAnyLetters) {
  tree_.Add("src/año.txt 2020-01-01 00:00:00");
  WriteConfig({"dst = src"});
  tree_.Write("mi lista ñ日本.rtf", tree_.Read("lista.rtf"));
  std::string output;
  EXPECT_EQ(Start("\"mi lista ñ日本.rtf\" auto list", &output), 0);
  EXPECT_EQ(output, Dated("2020/01/01 00:00:00") +
                        "\tsrc\taño\t.TXT\t     0K\t  0\nArchs (1): 1 exitos, 0 fallos.\n");
}

}  // namespace
}  // namespace trasvex::test
