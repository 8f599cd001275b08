#include "tests/host/TavrenProcess.h"

#include <cstdlib>
#include <cstring>
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
    std::map<std::string, std::string> vars(env); // the variables given win over this process's
    for (char** e = environ; *e; ++e)
        if (const char* eq = std::strchr(*e, '='))
            vars.emplace(std::string(*e, static_cast<size_t>(eq - *e)), eq + 1);
    std::vector<std::string> envText;
    for (const auto& [name, value] : vars)
        envText.push_back(name + "=" + value);
    std::vector<char*> envp, args;
    for (const std::string& s : envText)
        envp.push_back(const_cast<char*>(s.c_str()));
    for (const std::string& s : argv)
        args.push_back(const_cast<char*>(s.c_str()));
    envp.push_back(nullptr);
    args.push_back(nullptr);

    ProcessResult result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    const bool bStarted = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        result.output.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    if (bStarted && waitpid(pid, &status, 0) == pid)
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

ProcessResult RunTavren(const std::vector<std::string>& args, const std::map<std::string, std::string>& env)
{
    std::vector<std::string> argv{TavrenBinary().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, env);
}

} // namespace tavren::test
