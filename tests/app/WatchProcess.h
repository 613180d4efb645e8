#pragma once

#include <QProcess>
#include <QProcessEnvironment>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

// A real `quillmark --watch` process in a home folder of its own, read line by line.
namespace watch_process {

// A loopback port that refuses every connection: bound, never listening.
class ClosedPort {
public:
    ClosedPort() : socket_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ >= 0 &&
            ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~ClosedPort() {
        if (socket_ >= 0) {
            ::close(socket_);
        }
    }
    ClosedPort(const ClosedPort&) = delete;
    ClosedPort& operator=(const ClosedPort&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int socket_;
    int port_ = 9;
};

// Points the program at `home` and keeps it off the desktop: no session bus (so no
// notifications), no screenshot tool settings, no model server.
inline QProcessEnvironment isolatedEnvironment(const std::filesystem::path& home,
                                               const std::filesystem::path& configHome,
                                               const std::optional<std::filesystem::path>& dataHome,
                                               const std::string& modelEndpoint) {
    std::filesystem::create_directories(configHome / "Quillmark");
    std::ofstream(configHome / "Quillmark" / "Quillmark.conf")
        << "[General]\nmodelEndpoint=" << modelEndpoint << "\n";

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", QString::fromStdString(home.string()));
    environment.insert("XDG_CONFIG_HOME", QString::fromStdString(configHome.string()));
    if (dataHome) {
        environment.insert("XDG_DATA_HOME", QString::fromStdString(dataHome->string()));
    } else {
        environment.remove("XDG_DATA_HOME");
    }
    environment.insert("DBUS_SESSION_BUS_ADDRESS",
                       QString::fromStdString("unix:path=" + (configHome / "no-bus").string()));
    for (const char* name : {"XDG_SCREENSHOTS_DIR", "XDG_CURRENT_DESKTOP", "QUILLMARK_MODEL_URL",
                             "QUILLMARK_MODEL", "DISPLAY", "WAYLAND_DISPLAY"}) {
        environment.remove(name);
    }
    return environment;
}

class WatchProcess {
public:
    using Clock = std::chrono::steady_clock;

    explicit WatchProcess(const QProcessEnvironment& environment,
                          const QString& executable = QStringLiteral(QUILLMARK_EXECUTABLE)) {
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start(executable, {QStringLiteral("--watch")});
    }
    ~WatchProcess() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(2000);
        }
    }
    WatchProcess(const WatchProcess&) = delete;
    WatchProcess& operator=(const WatchProcess&) = delete;

    qint64 pid() const { return process_.processId(); }

    // The next line printed on standard output, or nothing when none comes in time.
    std::optional<std::string> outputLine(std::chrono::milliseconds timeout) {
        return nextLine(output_, timeout);
    }
    std::optional<std::string> errorLine(std::chrono::milliseconds timeout) {
        return nextLine(errors_, timeout);
    }

    // Sends the signal and waits for the exit; the exit status when the process ended normally.
    std::optional<int> stop(int signal, std::chrono::milliseconds timeout) {
        // A process that never started has id 0, which would signal our own process group.
        const auto pid = static_cast<pid_t>(process_.processId());
        if (pid <= 0) {
            return std::nullopt;
        }
        ::kill(pid, signal);
        if (!process_.waitForFinished(static_cast<int>(timeout.count())) ||
            process_.exitStatus() != QProcess::NormalExit) {
            return std::nullopt;
        }
        return process_.exitCode();
    }

private:
    std::optional<std::string> nextLine(std::string& buffer, std::chrono::milliseconds timeout) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            output_ += process_.readAllStandardOutput().toStdString();
            errors_ += process_.readAllStandardError().toStdString();
            if (const auto end = buffer.find('\n'); end != std::string::npos) {
                std::string line = buffer.substr(0, end);
                buffer.erase(0, end + 1);
                return line;
            }
            if (Clock::now() >= deadline || process_.state() == QProcess::NotRunning) {
                return std::nullopt;
            }
            // Short waits: data on the other channel must not hold this one up.
            process_.waitForReadyRead(20);
        }
    }

    QProcess process_;
    std::string output_;
    std::string errors_;
};

} // namespace watch_process
