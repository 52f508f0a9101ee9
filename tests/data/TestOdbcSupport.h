#pragma once
// Connection strings and loopback sockets for the ODBC tests. Only 127.0.0.1
// is ever used: other addresses answer unpredictably on these machines.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace pelmora::test {

inline const char* kSqliteOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
inline const char* kTdsOdbcDriver = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so";

inline std::string sqliteOdbc(const std::string& file) {
    return std::string("DRIVER=") + kSqliteOdbcDriver + ";Database=" + file;
}

inline std::string tdsOdbc(int port) {
    return std::string("DRIVER=") + kTdsOdbcDriver + ";Server=127.0.0.1;Port=" + std::to_string(port) +
           ";Database=DB_WebTOLA;UID=sa;PWD=x;TDS_Version=7.4";
}

// A loopback socket bound to a port the kernel chose; listening when asked.
inline int loopbackSocket(bool listening, int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) throw std::runtime_error("bind");
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    port = ntohs(a.sin_port);
    if (listening && ::listen(fd, 8) != 0) throw std::runtime_error("listen");
    return fd;
}

// A port on 127.0.0.1 that nobody listens on.
inline int closedLoopbackPort() {
    int port = 0;
    ::close(loopbackSocket(false, port));
    return port;
}

// A server on 127.0.0.1 whose kernel completes the TCP handshake and which
// then never says a word: the login must give up after its time-out.
class SilentListener {
  public:
    SilentListener() : fd_(loopbackSocket(true, port_)) {}
    ~SilentListener() { ::close(fd_); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return port_; }

  private:
    int port_ = 0;
    int fd_;
};

} // namespace pelmora::test
