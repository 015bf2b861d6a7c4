#include "host/dap/DapServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/i18n/SystemError.h"

namespace {

// A client that reads nothing while the program prints is dropped before
// its replies fill memory.
constexpr std::size_t kMaxPending = 16u << 20;
// Bytes read per poll: a flood waits for the next frame.
constexpr int kReadsPerPoll = 16;

bool NonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 && fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

// Writes what the socket takes now; false when it is broken.
bool SendSome(int fd, std::string& data) {
  while (!data.empty()) {
    const ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    data.erase(0, static_cast<std::size_t>(sent));
  }
  return true;
}

}  // namespace

DapServer::DapServer(Console& owner, Debugger& hooks, const SourceLines& source, std::string sourceFolder)
    : console(owner), debugger(hooks), lines(source), folder(std::move(sourceFolder)) {}

DapServer::~DapServer() {
  Drop();
  if (listener >= 0) close(listener);
}

Result DapServer::Listen(int wanted) {
  listener = socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) return LogReason("cannot open a socket: " + LoggedSystemError(errno));
  const int yes = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(wanted));
  socklen_t length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0 ||
      !NonBlocking(listener) || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const Reason why = LogReason("cannot listen on 127.0.0.1:" + std::to_string(wanted) + ": " + LoggedSystemError(errno));
    close(listener);
    listener = -1;
    return why;
  }
  port = ntohs(address.sin_port);
  return {};
}

void DapServer::Poll(int timeoutMs) {
  if (listener < 0) return;
  pollfd fds[2] = {{listener, POLLIN, 0}, {client, static_cast<short>(POLLIN | (sending.empty() ? 0 : POLLOUT)), 0}};
  const int count = poll(fds, client >= 0 ? 2 : 1, timeoutMs);
  if (count <= 0) return;
  if (fds[0].revents & POLLIN) Accept();
  if (client >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) Read();
  Flush();
}

void DapServer::Accept() {
  const int fd = accept(listener, nullptr, nullptr);
  if (fd < 0) return;
  if (client >= 0) {
    // One debugger at a time: the newcomer hears why, in the protocol's
    // own words, and is closed.
    std::string refusal = FrameMessage(
        R"({"seq":1,"type":"event","event":"output","body":{"category":"important","output":)"
        R"("tavrin: another debugger is already attached; only one client at a time\n"}})");
    refusal += FrameMessage(R"({"seq":2,"type":"event","event":"terminated"})");
    if (NonBlocking(fd)) SendSome(fd, refusal);
    close(fd);
    return;
  }
  if (!NonBlocking(fd)) {
    close(fd);
    return;
  }
  const int yes = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  client = fd;
  reader = DapReader();
  sending.clear();
  session = std::make_unique<DapSession>(console, debugger, lines, folder);
}

void DapServer::Read() {
  char buffer[65536];
  for (int i = 0; i < kReadsPerPoll && client >= 0; ++i) {
    const ssize_t got = recv(client, buffer, sizeof buffer, 0);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
      Drop();
      return;
    }
    if (got < 0) break;
    reader.Feed(std::string_view(buffer, static_cast<std::size_t>(got)));
    std::string body;
    std::string error;
    for (;;) {
      const DapReader::Result result = reader.Next(body, error);
      if (result == DapReader::Result::kNeedMore) break;
      if (result == DapReader::Result::kError) {
        std::fprintf(stderr, "tavrin: debugger client dropped: %s\n", error.c_str());
        Drop();
        return;
      }
      session->Receive(body);
      if (session->Configured()) started = true;
      if (session->Ended()) {
        Take();
        Flush();
        Drop();
        return;
      }
    }
    Take();
  }
}

void DapServer::Take() {
  if (!session) return;
  for (const std::string& message : session->TakeOutgoing()) sending += FrameMessage(message);
  if (sending.size() > kMaxPending) {
    std::fprintf(stderr, "tavrin: debugger client dropped: it reads nothing\n");
    Drop();
  }
}

void DapServer::Flush() {
  Take();
  if (client >= 0 && !SendSome(client, sending)) Drop();
}

void DapServer::Drop() {
  // A headless run that waited for a client does not wait again once one
  // has come and gone (a connection that never spoke the protocol does
  // not count).
  if (session && session->Attached()) started = true;
  if (session) session->Detach();
  session.reset();
  if (client >= 0) close(client);
  client = -1;
  sending.clear();
}

bool DapServer::NoteStop() {
  if (!session) return false;
  // A step on its way to the next line lets the console run on at once
  // (Holding() stays false); any other stop is the client's to look at.
  session->OnStop();
  Flush();
  return true;
}

void DapServer::Output(std::string_view text) {
  if (!session) return;
  session->Output(text);
  Flush();
}

void DapServer::Finish(int status) {
  if (!session) return;
  session->Exited(status);
  Take();
  // The last words are small; give the client a moment to take them.
  for (int i = 0; i < 20 && client >= 0 && !sending.empty(); ++i) {
    pollfd fd = {client, POLLOUT, 0};
    if (poll(&fd, 1, 50) > 0 && !SendSome(client, sending)) break;
  }
  Drop();
}
