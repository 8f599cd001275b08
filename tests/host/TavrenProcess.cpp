#include "tests/host/TavrenProcess.h"
#include "tests/support/TestFiles.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tavren::test {

std::filesystem::path TavrenBinary()
{
    const char* dir = std::getenv("TAVREN_BIN_DIR");
    return std::filesystem::path(dir && *dir ? dir : TAVREN_DEFAULT_BIN_DIR) / "tavren";
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env)
{
    std::map<std::string, std::string> vars;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const size_t eq = entry.find('=');
        if (eq != std::string::npos)
            vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const auto& [name, value] : env)
        vars[name] = value;
    std::vector<std::string> envText;
    for (const auto& [name, value] : vars)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp, args;
    for (std::string& s : envText)
        envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> argText(argv);
    for (std::string& s : argText)
        args.push_back(s.data());
    args.push_back(nullptr);

    char outName[] = "/tmp/tavren-process-XXXXXX";
    const int fd = mkstemp(outName);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fd, 1);
    posix_spawn_file_actions_adddup2(&actions, fd, 2);
    ProcessResult result;
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fd);
    std::ifstream in(outName);
    result.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    unlink(outName);
    return result;
}

ProcessResult RunTavren(const std::vector<std::string>& args, const std::map<std::string, std::string>& env)
{
    std::vector<std::string> argv{TavrenBinary().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, env);
}

} // namespace tavren::test
