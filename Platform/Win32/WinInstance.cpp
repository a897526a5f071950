// Single-instance claims: a window holds an exclusive lock on a file named from its
// class and caption and listens on a datagram socket beside it; another process that
// looks for the window tests the lock and sends its requests to the socket.
#include "Platform/Win32/WinUtf8.h"
#include "Platform/Win32/WindowRecord.h"
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <system_error>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

void SleepMs(long ms)
{
    timespec t{0, ms * 1000000L};
    nanosleep(&t, nullptr);
}

// "<runtime dir>/ge-<class>-<hash of class and caption>"; the user id is added in
// the shared /tmp. The hash keeps the socket path within its 108 bytes.
std::string BasePath(const std::wstring& className, const std::wstring& caption)
{
    std::string dir;
    bool shared = false;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
        struct stat st {};
        if (runtime[0] == '/' && stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
            dir = runtime;
    }
    if (dir.empty()) {
        dir = "/tmp";
        shared = true;
    }
    const std::string key = Win32_WideToUtf8(className) + '\x1f' + Win32_WideToUtf8(caption);
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : key) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    std::string name;
    for (wchar_t c : className) {
        if (name.size() >= 24)
            break;
        if ((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9'))
            name += static_cast<char>(c);
    }
    char tail[64];
    if (shared)
        std::snprintf(tail, sizeof(tail), "-%016llx-%u", static_cast<unsigned long long>(hash),
                      static_cast<unsigned>(getuid()));
    else
        std::snprintf(tail, sizeof(tail), "-%016llx", static_cast<unsigned long long>(hash));
    return dir + "/ge-" + name + tail;
}

bool FillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

namespace win32 {

// A thread that sleeps in the kernel until a datagram reaches the claim's socket and
// then raises a flag for the event pump.
class InstanceWatch {
public:
    explicit InstanceWatch(int socketFd)
    {
        epoll_ = epoll_create1(EPOLL_CLOEXEC);
        wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (epoll_ < 0 || wake_ < 0)
            return;
        // Edge-triggered: each arrival wakes the thread once, whether or not the pump
        // has read the datagrams before it.
        epoll_event socketEvent{};
        socketEvent.events = EPOLLIN | EPOLLET;
        socketEvent.data.fd = socketFd;
        epoll_event wakeEvent{};
        wakeEvent.events = EPOLLIN;
        wakeEvent.data.fd = wake_;
        if (epoll_ctl(epoll_, EPOLL_CTL_ADD, socketFd, &socketEvent) != 0 ||
            epoll_ctl(epoll_, EPOLL_CTL_ADD, wake_, &wakeEvent) != 0)
            return;
        // Signals stay with the program's own threads.
        sigset_t all, previous;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &previous);
        try {
            thread_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }

    ~InstanceWatch()
    {
        if (thread_.joinable()) {
            const std::uint64_t one = 1;
            if (write(wake_, &one, sizeof one) == sizeof one)
                thread_.join();
            else
                thread_.detach();
        }
        if (wake_ >= 0)
            close(wake_);
        if (epoll_ >= 0)
            close(epoll_);
    }

    InstanceWatch(const InstanceWatch&) = delete;
    InstanceWatch& operator=(const InstanceWatch&) = delete;

    bool Running() const { return thread_.joinable(); }
    // True once after one or more requests arrived.
    bool TakeArrival() { return arrived_.exchange(false, std::memory_order_acquire); }

private:
    void Run()
    {
        for (;;) {
            epoll_event events[2];
            const int n = epoll_wait(epoll_, events, 2, -1);
            if (n < 0 && errno != EINTR)
                return;
            for (int i = 0; i < n; ++i) {
                if (events[i].data.fd == wake_)
                    return;
                arrived_.store(true, std::memory_order_release);
            }
        }
    }

    int epoll_ = -1;
    int wake_ = -1;
    std::atomic<bool> arrived_{true}; // what came before the watch began is read too
    std::thread thread_;
};

bool ClaimInstance(const std::wstring& className, const std::wstring& caption, InstanceClaim& claim)
{
    const std::string base = BasePath(className, caption);
    claim.lockPath = base + ".lock";
    claim.socketPath = base + ".sock";
    // A prober holds the lock shared for a moment, and a releasing owner unlinks the
    // file before closing it: retry briefly, and make sure the locked file is the one
    // that stands at the path.
    for (int attempt = 0; attempt < 40 && claim.lockFd < 0; ++attempt) {
        const int fd = open(claim.lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            std::fprintf(stderr, "Win32: cannot open the instance lock %s: %s\n", claim.lockPath.c_str(),
                         std::strerror(errno));
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            if (errno != EWOULDBLOCK)
                return false;
            SleepMs(5);
            continue;
        }
        struct stat held {
        }, atPath{};
        if (fstat(fd, &held) != 0 || stat(claim.lockPath.c_str(), &atPath) != 0 ||
            held.st_ino != atPath.st_ino || held.st_dev != atPath.st_dev) {
            close(fd);
            continue;
        }
        claim.lockFd = fd;
    }
    if (claim.lockFd < 0)
        return false;

    sockaddr_un address{};
    if (!FillAddress(claim.socketPath, address))
        return true; // findable, but cannot be asked to come forward
    const int sock = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return true;
    unlink(claim.socketPath.c_str()); // left by an owner that died; we hold the lock
    if (bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        std::fprintf(stderr, "Win32: cannot listen on %s: %s\n", claim.socketPath.c_str(),
                     std::strerror(errno));
        close(sock);
        return true;
    }
    claim.socketFd = sock;
    auto watch = std::make_shared<InstanceWatch>(sock);
    if (watch->Running())
        claim.watch = std::move(watch); // else the pump reads the socket on every pass
    return true;
}

void ReleaseInstance(InstanceClaim& claim)
{
    claim.watch.reset();
    if (claim.socketFd >= 0) {
        close(claim.socketFd);
        unlink(claim.socketPath.c_str());
        claim.socketFd = -1;
    }
    if (claim.lockFd >= 0) {
        unlink(claim.lockPath.c_str()); // still held: no one can take the file meanwhile
        close(claim.lockFd);
        claim.lockFd = -1;
    }
}

bool FindClaimedInstance(const std::wstring& className, const std::wstring& caption, std::string& socketPath)
{
    const std::string base = BasePath(className, caption);
    const int fd = open((base + ".lock").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    bool held = false;
    if (flock(fd, LOCK_SH | LOCK_NB) == 0)
        flock(fd, LOCK_UN);
    else
        held = errno == EWOULDBLOCK;
    close(fd);
    if (held)
        socketPath = base + ".sock";
    return held;
}

bool SendInstanceRequest(const std::string& socketPath, const char* request)
{
    sockaddr_un address{};
    if (!FillAddress(socketPath, address))
        return false;
    const int sock = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return false;
    bool sent = false;
    // The owner binds its socket just after taking the lock: allow it that moment.
    for (int attempt = 0; attempt < 40 && !sent; ++attempt) {
        if (sendto(sock, request, std::strlen(request), 0, reinterpret_cast<const sockaddr*>(&address),
                   sizeof(address)) >= 0)
            sent = true;
        else if (errno == ENOENT || errno == ECONNREFUSED || errno == EAGAIN)
            SleepMs(5);
        else
            break;
    }
    close(sock);
    return sent;
}

std::vector<std::string> ReceiveInstanceRequests(InstanceClaim& claim)
{
    std::vector<std::string> requests;
    if (claim.socketFd < 0 || (claim.watch && !claim.watch->TakeArrival()))
        return requests;
    char buffer[64];
    for (;;) {
        const ssize_t n = recv(claim.socketFd, buffer, sizeof(buffer), MSG_DONTWAIT);
        if (n < 0)
            break;
        requests.emplace_back(buffer, static_cast<size_t>(n));
    }
    return requests;
}

} // namespace win32
