#pragma once
// Runs the ledgerintake program as a user would: in a folder, with arguments, standard
// input from a text (not a terminal), and its two outputs and exit status collected.
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace cli_test {

struct Run {
    int status = -1;
    std::string out, err;
};

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Another user the program can be run as (tests run as root, whom file permissions do not
// bind): its user and group ids.
struct OtherUser {
    uid_t uid = 0;
    gid_t gid = 0;
};

// `env` entries with an empty value are removed from the child's environment. With `user`,
// the program runs as that user (the caller must be allowed to switch: exit status 126
// when it is not); its outputs are still collected in files the caller owns.
// With `max_file_bytes`, no file may grow past that size and SIGXFSZ is ignored: a write
// past it fails (EFBIG) as a write to a full disk does.
inline Run run_program(const std::filesystem::path& folder, const std::vector<std::string>& args,
                       const std::string& input, const std::map<std::string, std::string>& env,
                       const std::optional<OtherUser>& user,
                       const std::optional<rlim_t>& max_file_bytes = std::nullopt) {
    const std::filesystem::path in = folder / ".stdin", out = folder / ".stdout", err = folder / ".stderr";
    write_file(in, input);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        ::unsetenv("LEDGERINTAKE_DB");
        for (const auto& [name, value] : env) {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        const int fd_in = ::open(in.c_str(), O_RDONLY);
        const int fd_out = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int fd_err = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd_in < 0 || fd_out < 0 || fd_err < 0) ::_exit(127);
        ::dup2(fd_in, 0);
        ::dup2(fd_out, 1);
        ::dup2(fd_err, 2);
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0))
            ::_exit(126);
        if (max_file_bytes) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{*max_file_bytes, *max_file_bytes};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
        }
        std::vector<char*> argv;
        std::string program = LEDGERINTAKE_BINARY;
        argv.push_back(program.data());
        std::vector<std::string> copies(args);
        for (auto& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    Run run;
    int wstatus = 0;
    if (pid > 0 && ::waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    run.out = read_file(out);
    run.err = read_file(err);
    return run;
}

inline Run run_ledgerintake(const std::filesystem::path& folder, const std::vector<std::string>& args,
                            const std::string& input = {},
                            const std::map<std::string, std::string>& env = {}) {
    return run_program(folder, args, input, env, std::nullopt);
}

// Runs the program as `user` (see run_program).
inline Run run_ledgerintake_as(const OtherUser& user, const std::filesystem::path& folder,
                               const std::vector<std::string>& args) {
    return run_program(folder, args, {}, {}, user);
}

// Runs the program with no file allowed to grow past `max_file_bytes` (see run_program).
inline Run run_ledgerintake_with_file_limit(const std::filesystem::path& folder,
                                            const std::vector<std::string>& args, rlim_t max_file_bytes) {
    return run_program(folder, args, {}, {}, std::nullopt, max_file_bytes);
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace cli_test
