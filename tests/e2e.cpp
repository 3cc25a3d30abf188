#include "e2e.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace {

std::string TemporaryFolder()
{
    std::string pattern = std::filesystem::temp_directory_path() / "rigosim-XXXXXX";  // honours TMPDIR
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error(pattern + ": " + strerror(errno));
    return pattern;
}

std::string ReadFile(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// Runs argv with stdin from /dev/null and stdout and stderr captured in files of `folder`.
RunResult Spawn(const std::vector<std::string>& argv, const std::string& folder)
{
    const std::string out = folder + "/stdout", err = folder + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error(argv[0] + ": " + strerror(error));
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), ReadFile(out), ReadFile(err)};
}

Lines Joined(Lines head, const Lines& tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

}  // namespace

SimBoard::SimBoard(const std::string& model) : folder_(TemporaryFolder()), board_(folder_ + "/board")
{
    RunResult created = Spawn({RIGOSIM_PATH, "create", board_.Path(), model}, folder_);
    if (created.status != 0) {
        std::filesystem::remove_all(folder_);
        throw std::runtime_error("rigosim create " + model + ": " + created.err);
    }
}

SimBoard::~SimBoard()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

RunResult SimBoard::Rigo(const std::vector<std::string>& args) { return Run(Joined({RIGO_PATH}, args)); }

std::string SimBoard::RigoOut(const std::vector<std::string>& args)
{
    RunResult result = Rigo(args);
    EXPECT_EQ(result.status, 0) << testing::PrintToString(args);
    EXPECT_EQ(result.err, "") << testing::PrintToString(args);
    return result.out;
}

RunResult SimBoard::Run(const std::vector<std::string>& argv)
{
    board_.ClearTrace();
    return Spawn(Joined({RIGOSIM_PATH, "run", board_.Path(), "--"}, argv), folder_);
}

// The lines of the last run that `keep` selects; "# " lines are run and process markers.
Lines SimBoard::TraceWhere(bool (*keep)(const std::string& line))
{
    Lines lines;
    for (const std::string& line : SplitLines(board_.Trace()))
        if (!line.starts_with("# ") && keep(line))
            lines.push_back(line);
    return lines;
}

static bool OnBus(const std::string& line) { return line.find("i2c") != std::string::npos; }

Lines SimBoard::Trace() { return TraceWhere([](const std::string&) { return true; }); }
Lines SimBoard::Transfers() { return TraceWhere([](const std::string& line) { return line.starts_with("i2c-"); }); }
Lines SimBoard::BusLines() { return TraceWhere(OnBus); }
Lines SimBoard::BusTrace()
{
    return TraceWhere([](const std::string& line) { return OnBus(line) || line.starts_with("usleep"); });
}

int SimBoard::Pauses(int microseconds)
{
    return static_cast<int>(std::ranges::count(Trace(), "usleep " + std::to_string(microseconds)));
}

RunResult RunCommand(const std::vector<std::string>& argv)
{
    struct Folder {
        std::string path = TemporaryFolder();
        ~Folder() { std::filesystem::remove_all(path); }
    } folder;
    return Spawn(argv, folder.path);
}

void PrintTo(const RunResult& result, std::ostream* os)
{
    *os << "{status " << result.status << ", out \"" << result.out << "\", err \"" << result.err << "\"}";
}

std::string HelpText()
{
    static const std::string help = SimBoard("belk").Rigo({}).err;
    return help;
}

RunResult Sim(const std::vector<std::string>& args) { return RunCommand(Joined({RIGOSIM_PATH}, args)); }

Lines SplitLines(const std::string& text)
{
    Lines lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

bool Installed([[maybe_unused]] const char* program)
{
#ifdef RIGO_CROSS_BUILD
    return false;
#else
    return access(program, X_OK) == 0;
#endif
}

std::string Beside(const SimBoard& board, const std::string& name, const std::string& content)
{
    std::string path = std::filesystem::path(board.Path()).parent_path() / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}
