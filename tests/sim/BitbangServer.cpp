#include "BitbangServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "Board.h"

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool SendAll(int socket, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

BitbangServer::~BitbangServer()
{
    if (m_listener >= 0)
        close(m_listener);
}

bool BitbangServer::Listen(std::string& error)
{
    m_listener = socket(AF_INET, SOCK_STREAM, 0);
    if (m_listener < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 1) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = std::string("bind/listen on 127.0.0.1: ") + std::strerror(errno);
        return false;
    }
    m_port = ntohs(address.sin_port);
    return true;
}

bool BitbangServer::Serve(Board& board, double seconds, std::string& error)
{
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    pollfd waiting{m_listener, POLLIN, 0};
    if (poll(&waiting, 1, MillisecondsLeft(deadline)) <= 0) {
        error = "no client connected in time";
        return false;
    }
    const int client = accept(m_listener, nullptr, nullptr);
    if (client < 0) {
        error = std::string("accept: ") + std::strerror(errno);
        return false;
    }
    const int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    bool done = false, ok = true;
    char buffer[4096];
    while (!done) {
        pollfd readable{client, POLLIN, 0};
        const int ready = poll(&readable, 1, MillisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            error = "the client did not finish in time";
            ok = false;
            break;
        }
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;   // the client closed the connection
        std::string answer;
        for (ssize_t i = 0; i < n && !done; ++i) {
            const char c = buffer[i];
            if (c >= '0' && c <= '7') {
                const int bits = c - '0';
                board.Write((bits >> 2) & 1, (bits >> 1) & 1, bits & 1);
            } else if (c == 'R') {
                answer += board.Tdo() ? '1' : '0';
            } else if (c >= 'r' && c <= 'u') {
                if (((c - 'r') >> 1) & 1)
                    board.Trst();
            } else if (c == 'Q') {
                done = true;
            }
        }
        if (!answer.empty() && !SendAll(client, answer))
            break;
    }
    close(client);
    return ok;
}
