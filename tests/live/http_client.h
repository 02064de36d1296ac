#pragma once
// A plain blocking HTTP client on POSIX sockets, for tests that must behave as badly as a
// real client can: open and say nothing, send endless headers, never read.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace kyomat::testing {

class RawClient {
  public:
    // recv_buffer > 0 shrinks the receive buffer before connecting (a viewer that reads
    // nothing fills it soon); from names another loopback address to come from (127.0.0.2).
    explicit RawClient(std::uint16_t port, int timeout_ms = 3000, int recv_buffer = 0,
                       const char* from = nullptr) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (from != nullptr) {
            sockaddr_in own{};
            own.sin_family = AF_INET;
            ::inet_pton(AF_INET, from, &own.sin_addr);
            ::bind(fd_, reinterpret_cast<const sockaddr*>(&own), sizeof own);
        }
        if (recv_buffer > 0) {
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &recv_buffer, sizeof recv_buffer);
        }
        timeval tv{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawClient() {
        if (fd_ >= 0) ::close(fd_);
    }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return connected_; }
    // Bytes sent, which may be fewer when the other side closed or stopped reading.
    std::size_t send(const std::string& data) {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::send(fd_, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }
    // What arrives until the other side closes, the timeout passes, or until holds.
    std::string receive(const std::string& until = "", std::size_t limit = 1 << 20) {
        char buffer[4096];
        while (received_.size() < limit) {
            if (!until.empty() && received_.find(until) != std::string::npos) break;
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                closed_ = n == 0;
                break;
            }
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        return received_;
    }
    // What has arrived by now, without waiting (for a thread that must not block).
    std::string& poll() {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n <= 0) {
                closed_ = closed_ || n == 0;
                break;
            }
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        return received_;
    }
    // True when the other side has closed the connection (waits up to the timeout).
    bool closed_by_peer() {
        receive("", 64 << 20);
        return closed_;
    }
    std::string& received() { return received_; }
    // Whether a receive or a poll has seen the other side close.
    bool closed() const { return closed_; }

  private:
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
    std::string received_;
};

// One whole request; the answer as it arrived until the server closed.
inline std::string http_get(std::uint16_t port, const std::string& path,
                            const std::string& method = "GET") {
    RawClient c(port);
    c.send(method + " " + path + " HTTP/1.1\r\nHost: localhost\r\n\r\n");
    return c.receive();
}

inline std::string body_of(const std::string& answer) {
    const std::size_t at = answer.find("\r\n\r\n");
    return at == std::string::npos ? std::string() : answer.substr(at + 4);
}

}  // namespace kyomat::testing
