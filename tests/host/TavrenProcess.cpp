#include "tests/host/TavrenProcess.h"

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace tavren::test {

std::filesystem::path TavrenBinary()
{
    const char* dir = std::getenv("TAVREN_BIN_DIR");
    return std::filesystem::path(dir && *dir ? dir : TAVREN_DEFAULT_BIN_DIR) / "tavren";
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env)
{
    ProcessResult result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    const pid_t pid = fork();
    if (pid == 0) { // the child: the variables given over this process's, its output into the pipe
        for (const auto& [name, value] : env)
            setenv(name.c_str(), value.c_str(), 1);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[0]);
        std::vector<char*> args;
        for (const std::string& s : argv)
            args.push_back(const_cast<char*>(s.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(fds[1]);
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        result.output.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid)
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

ProcessResult RunTavren(const std::vector<std::string>& args, const std::map<std::string, std::string>& env)
{
    std::vector<std::string> argv{TavrenBinary().string()};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProcess(argv, env);
}

std::set<std::string> FilesUnder(const std::filesystem::path& root)
{
    std::set<std::string> out;
    std::error_code ec;
    for (std::filesystem::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        out.insert(std::filesystem::relative(it->path(), root).generic_string());
    return out;
}

} // namespace tavren::test
