#include "support/ServerProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string_view>
#include <thread>
#include <vector>

namespace orvane::test {

namespace fs = std::filesystem;

// A port below the ephemeral range: the stubs and simulators a test starts
// bind to port 0, and the kernel could hand one of them a port taken from its
// ephemeral range and closed again, before the server had bound it.
int FreePort() {
  thread_local std::mt19937 random(static_cast<unsigned>(getpid()) ^ std::random_device{}());
  for (;;) {
    const int port = std::uniform_int_distribution<int>(20000, 32000)(random);
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool free = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    if (free) return port;
  }
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

THttpAnswer RawHttp(int port, const std::string& request, const std::string& sourceIp) {
  THttpAnswer answer;
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in source{};
  source.sin_family = AF_INET;
  inet_pton(AF_INET, sourceIp.c_str(), &source.sin_addr);
  bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof source);
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(static_cast<uint16_t>(port));
  target.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{30, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (connect(fd, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
    close(fd);
    return answer;
  }
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string raw;
  char buffer[8192];
  ssize_t got;
  while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) raw.append(buffer, static_cast<size_t>(got));
  close(fd);
  const size_t headerEnd = raw.find("\r\n\r\n");
  if (headerEnd == std::string::npos) return answer;
  std::istringstream head(raw.substr(0, headerEnd));
  std::string line;
  std::getline(head, line);
  if (line.size() > 12) answer.Status = std::atoi(line.c_str() + 9);
  while (std::getline(head, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string name = line.substr(0, colon);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    answer.Headers[name] = answer.Headers.count(name) ? answer.Headers[name] + ", " + value : value;
  }
  answer.Body = raw.substr(headerEnd + 4);
  return answer;
}

THttpAnswer HttpGet(int port, const std::string& target, const std::string& extraHeaders) {
  return RawHttp(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" +
                           extraHeaders + "\r\n");
}

TConfig LayOutInstallation(const std::string& install, const sim::TEngineSimulator& simulator) {
  fs::create_directories(install + "Data");
  fs::copy(std::string(ORVANE_BINARY_DIR) + "/Resources", install + "Resources", fs::copy_options::recursive);
  fs::copy_file(std::string(ORVANE_BINARY_DIR) + "/Data/data.xml", install + "Data/data.xml");
  TConfig config{{"InstallationDir", install}, {"OrvaneURL", ""}};
  // Every engine the data file defines, so none reaches the web.
  for (int engine = 0; engine < sim::kEngineCount; ++engine)
    config[std::string(sim::EngineName(engine)) + "Host"] = simulator.HostOf(engine);
  return config;
}

void WriteConfigFile(const std::string& path, const TConfig& values) {
  std::string text = "[Software\\Orvane]\n";
  for (const auto& [key, value] : values) text += key + "=" + value + "\n";
  WriteFile(path, text);
}

TServerProcess::TServerProcess() {
  Root = folder_.Path().substr(0, folder_.Path().size() - 1);
  Install = Root + "/install/";
  ConfigFile = Root + "/orvane.ini";
  BrowserLog = Root + "/browser.log";
  WriteFile(Root + "/browser.sh", "#!/bin/sh\necho \"$1\" >> '" + BrowserLog + "'\n");
  fs::permissions(Root + "/browser.sh", fs::perms::owner_all);
  Port = FreePort();
  Simulator.Start();
  Config = LayOutInstallation(Install, Simulator);
  Config["Port"] = std::to_string(Port);
}

TServerProcess::~TServerProcess() {
  if (pid_ > 0) Stop();
}

void TServerProcess::WriteConfig() { WriteConfigFile(ConfigFile, Config); }

namespace {

// The test's environment without the keys the server gets its own of.
std::vector<std::string> ServerEnvironment(const std::string& root) {
  static const std::string kDropped[] = {
      "XDG_RUNTIME_DIR=", "HOME=",          "XDG_DATA_HOME=",
      "BROWSER=",         "ORVANE_CONFIG=", "DBUS_SESSION_BUS_ADDRESS="};  // no desktop notifications from tests
  std::vector<std::string> environment;
  for (char** entry = environ; *entry; ++entry) {
    const std::string_view line(*entry);
    const bool dropped = std::any_of(std::begin(kDropped), std::end(kDropped),
                                     [&](const std::string& key) { return line.starts_with(key); });
    if (!dropped) environment.emplace_back(line);
  }
  environment.push_back("XDG_RUNTIME_DIR=" + root);
  environment.push_back("HOME=" + root);
  environment.push_back("XDG_DATA_HOME=" + root + "/userdata");
  environment.push_back("BROWSER=" + root + "/browser.sh");
  return environment;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

pid_t TServerProcess::Spawn(const std::vector<std::string>& args, const std::string& errFile) {
  WriteConfig();
  // Everything is made before the fork: the child of a threaded process may
  // only make system calls (an allocation there can wait forever on a lock
  // another thread held at the fork, as the sanitizers' allocators do).
  std::vector<std::string> all = {std::string(ORVANE_BINARY_DIR) + "/orvane-server", "--config", ConfigFile};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<std::string> environment = ServerEnvironment(Root);
  const std::vector<char*> argv = Pointers(all), envp = Pointers(environment);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (err >= 0) dup2(err, 2);
  // Nothing of the test's own output may stay open in the server (a runner
  // waits for it to close), and the server goes when the test goes.
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    dup2(null, 0);
    dup2(null, 1);
  }
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);  // the test went before the signal was asked for
  execve(argv[0], argv.data(), envp.data());
  _exit(127);
}

bool TServerProcess::Start(const std::vector<std::string>& args) {
  pid_ = Spawn(args, Root + "/stderr.txt");
  return WaitFor([this] { return HttpGet(Port, "/spacer.htm").Status == 200; });
}

int TServerProcess::RunToEnd(const std::vector<std::string>& args, std::string* errorText) {
  const std::string errFile = Root + "/stderr-run.txt";
  const pid_t pid = Spawn(args, errFile);
  int status = 0;
  waitpid(pid, &status, 0);
  if (errorText) *errorText = ReadFile(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int TServerProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = 0;
  const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, std::chrono::seconds(15));
  if (!ended) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return -1;
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string TServerProcess::Log() const { return ReadFile(Install + "OrvaneServer.log"); }

}  // namespace orvane::test
