#include "KvAdoScriptRunner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace pelmora {

namespace {
namespace fs = std::filesystem;

struct PrivateFolder {
    fs::path path;
    PrivateFolder() {
        std::string tmpl = (fs::temp_directory_path() / "pelmora-sql-XXXXXX").string();
        if (::mkdtemp(tmpl.data())) path = tmpl; // mkdtemp makes it owner-only
    }
    ~PrivateFolder() {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
};

bool writePrivate(const fs::path& p, const std::string& text) {
    int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return done == text.size();
}

std::string joinedLines(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::string line, out;
    bool first = true;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out += (first ? "" : "\r\n") + line;
        first = false;
    }
    return out;
}
} // namespace

ScriptRun KvAdoScriptRunner::run(const std::string& host, int port, const std::string& user,
                                 const std::string& password, const std::string& script) const {
    ScriptRun r;
    PrivateFolder dir;
    if (dir.path.empty()) {
        r.error = std::strerror(errno);
        return r;
    }
    fs::path sqlFile = dir.path / "KVgoDbHdl.sql";
    fs::path outFile = dir.path / "KVgoDbHdl.TXT";
    if (!writePrivate(sqlFile, script) || !writePrivate(outFile, "")) {
        r.error = "cannot write the script";
        return r;
    }
    // A socket pair rather than a pipe: a client that ends early must not
    // kill us with SIGPIPE while we are still writing.
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) {
        r.error = std::strerror(errno);
        return r;
    }
    int out = ::open(outFile.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, sv[1], 0);
    posix_spawn_file_actions_adddup2(&fa, out, 1);
    posix_spawn_file_actions_adddup2(&fa, out, 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    std::string portText = std::to_string(port);
    std::vector<std::string> args = {client, "-H", host, "-p", portText, "-U", user, "-o", "q"};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, client.c_str(), &fa, &attr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    posix_spawnattr_destroy(&attr);
    ::close(sv[1]);
    ::close(out);
    if (rc != 0) {
        ::close(sv[0]);
        r.error = client + ": " + std::strerror(rc);
        return r;
    }
    std::string input = password + "\n" + script;
    if (input.back() != '\n') input += '\n';
    std::size_t sent = 0;
    while (sent < input.size()) {
        ssize_t n = ::send(sv[0], input.data() + sent, input.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    ::shutdown(sv[0], SHUT_WR);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    int status = 0;
    for (;;) {
        pid_t w = ::waitpid(pid, &status, WNOHANG);
        if (w == pid) break;
        if (w < 0 && errno != EINTR) break;
        if (std::chrono::steady_clock::now() >= deadline) {
            // The client leads its own session: stop it and anything it started.
            ::kill(-pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            r.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::close(sv[0]);
    r.output = joinedLines(outFile);
    if (!r.timedOut && WIFEXITED(status)) {
        r.finished = true;
        r.exitCode = WEXITSTATUS(status);
    } else if (!r.timedOut) {
        r.error = "the client was stopped";
    } else {
        r.error = "the client did not finish within " + std::to_string(timeoutSeconds) + " seconds";
    }
    return r;
}

} // namespace pelmora
