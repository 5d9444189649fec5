#include "crash_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

#include "trace_points.h"

namespace reliability {

namespace {

using Clock = std::chrono::steady_clock;

// The two ends of the FIFO, held by this process: the write end too, so that the reader
// never sees an end of file while the program opens and closes the trace.
class Fifo {
  public:
    explicit Fifo(const std::filesystem::path& path) : path_(path) {
        std::filesystem::remove(path_);
        if (::mkfifo(path_.c_str(), 0600) != 0)
            throw std::runtime_error("cannot make the FIFO " + path_.string());
        read_ = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        write_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        if (read_ < 0 || write_ < 0) throw std::runtime_error("cannot open the FIFO " + path_.string());
        // The smallest pipe: the program cannot run far ahead of what has been read.
        ::fcntl(read_, F_SETPIPE_SZ, 4096);
    }
    ~Fifo() {
        if (read_ >= 0) ::close(read_);
        if (write_ >= 0) ::close(write_);
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;
    int read_end() const { return read_; }

  private:
    std::filesystem::path path_;
    int read_ = -1, write_ = -1;
};

pid_t start_import(const std::filesystem::path& folder, const std::vector<std::string>& args) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    ::unsetenv("LEDGERINTAKE_DB");
    ::unsetenv("LEDGERINTAKE_TRACE");
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(".stdout", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::string program = LEDGERINTAKE_BINARY;
    std::vector<std::string> copies(args);
    std::vector<char*> argv{program.data()};
    for (auto& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

class TraceReader {
  public:
    TraceReader(int fd, TracedRun& run, bool keep, Clock::time_point start)
        : fd_(fd), run_(run), keep_(keep), start_(start) {}
    // Reads what is there; true when something was read.
    bool read_available() {
        char buffer[65536];
        bool any = false;
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, sizeof buffer);
            if (n <= 0) return any;
            any = true;
            const std::string_view piece(buffer, static_cast<std::size_t>(n));
            if (keep_) run_.trace.append(piece);
            const std::size_t ends = count_statement_ends(pending_, piece);
            const auto now = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start_);
            run_.statements += ends;
            if (keep_) run_.arrivals.insert(run_.arrivals.end(), ends, now);
        }
    }

  private:
    int fd_;
    TracedRun& run_;
    bool keep_;
    Clock::time_point start_;
    std::string pending_;
};

}  // namespace

TracedRun run_traced_import(const std::filesystem::path& folder, const std::string& file,
                            const std::string& db, const KillAt& kill_at, bool keep_trace) {
    Fifo fifo(folder / "trace.fifo");
    TracedRun run;
    const auto start = Clock::now();
    const pid_t pid =
        start_import(folder, {"import", file, "--db", db, "--yes", "--trace-sql", "trace.fifo"});
    if (pid < 0) throw std::runtime_error("cannot start the import");
    TraceReader reader(fifo.read_end(), run, keep_trace, start);
    int wstatus = 0;
    bool ended = false;
    while (!ended) {
        pollfd poll_fd{fifo.read_end(), POLLIN, 0};
        ::poll(&poll_fd, 1, 20);
        reader.read_available();
        if (kill_at.statement != 0 && run.statements >= kill_at.statement) {
            if (kill_at.delay.count() > 0) std::this_thread::sleep_for(kill_at.delay);
            ::kill(pid, SIGKILL);
            run.killed = true;
            ::waitpid(pid, &wstatus, 0);
            ended = true;
        } else if (::waitpid(pid, &wstatus, WNOHANG) == pid) {
            ended = true;
        }
    }
    reader.read_available();  // what the program wrote before it stopped
    if (WIFSIGNALED(wstatus) && WTERMSIG(wstatus) == SIGKILL) {
        run.killed = true;
    } else {
        run.killed = false;
        if (WIFEXITED(wstatus)) run.exit_status = WEXITSTATUS(wstatus);
    }
    return run;
}

}  // namespace reliability
