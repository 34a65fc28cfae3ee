#include "server/BenchSupport.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace orvane::bench {

namespace {

double MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TTimedAnswer TimedGet(int port, const std::string& target) {
  TTimedAnswer answer;
  const std::string request =
      "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
  const auto start = std::chrono::steady_clock::now();
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return answer;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{60, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    close(fd);
    return answer;
  }
  std::string raw;
  char buffer[16384];
  ssize_t got;
  while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0) {
    if (raw.empty()) answer.FirstByteMs = MsSince(start);
    raw.append(buffer, static_cast<size_t>(got));
  }
  answer.TotalMs = MsSince(start);
  close(fd);
  const size_t headerEnd = raw.find("\r\n\r\n");
  if (headerEnd == std::string::npos || raw.size() < 12) return answer;
  answer.Status = std::atoi(raw.c_str() + 9);
  answer.Body = raw.substr(headerEnd + 4);
  return answer;
}

double ResidentMB(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  const std::string name = field + ":";
  while (std::getline(status, line))
    if (line.rfind(name, 0) == 0) return std::atof(line.c_str() + name.size()) / 1024.0;  // given in kB
  return 0;
}

namespace {

// The fields of /proc/<pid>/stat, 1-based as proc(5) counts them; the
// calling process for pid 0.
std::vector<std::string> StatFields(pid_t pid) {
  std::ifstream stat(pid ? "/proc/" + std::to_string(pid) + "/stat" : std::string("/proc/self/stat"));
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The name in brackets may hold blanks; the fields count from its end.
  const size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return {};
  std::vector<std::string> fields = {"", "", ""};
  std::istringstream rest(text.substr(nameEnd + 2));
  for (std::string field; rest >> field;) fields.push_back(field);
  return fields;
}

}  // namespace

double ProcessCpuMs(pid_t pid) {
  const std::vector<std::string> fields = StatFields(pid);
  if (fields.size() <= 15) return 0;
  const double ticks = std::atof(fields[14].c_str()) + std::atof(fields[15].c_str());
  return ticks * 1000.0 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double MinorFaults(pid_t pid) {
  const std::vector<std::string> fields = StatFields(pid);
  return fields.size() > 10 ? std::atof(fields[10].c_str()) : 0;
}

std::vector<TLoggedTimes> LoggedTimes(const std::string& log, const std::string& module) {
  const std::string tag = "] [" + module + "] ";
  const std::string marker = "CPU ms:";
  std::vector<TLoggedTimes> found;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t at = line.find(tag);
    if (at == std::string::npos) continue;
    const size_t textStart = at + tag.size();
    const size_t cpu = line.find(marker, textStart);
    if (cpu == std::string::npos) continue;
    TLoggedTimes times;
    times.Document = line.substr(textStart, cpu - textStart);
    while (!times.Document.empty() && times.Document.back() == ' ') times.Document.pop_back();
    std::istringstream figures(line.substr(cpu + marker.size()));
    std::string name;
    double value;
    while (figures >> name >> value) times.Ms[name] = value;
    found.push_back(std::move(times));
  }
  return found;
}

int SessionIdOf(const std::string& body) {
  const size_t call = body.rfind("orvaneFillForm(");
  if (call == std::string::npos) return -1;
  const size_t close = body.find(')', call);
  if (close == std::string::npos) return -1;
  const size_t quoteEnd = body.rfind('\'', close);
  const size_t quoteStart = quoteEnd == std::string::npos || quoteEnd == 0 ? std::string::npos
                                                                             : body.rfind('\'', quoteEnd - 1);
  if (quoteStart == std::string::npos || quoteStart < call) return -1;
  const std::string text = body.substr(quoteStart + 1, quoteEnd - quoteStart - 1);
  char* end = nullptr;
  const long id = std::strtol(text.c_str(), &end, 10);
  return text.empty() || *end != '\0' ? -1 : static_cast<int>(id);
}

double Percentile(std::vector<double> values, double percent) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  // Linear between the closest ranks, so the median of an even count is the
  // mean of the middle two.
  const double rank = percent / 100.0 * static_cast<double>(values.size() - 1);
  const size_t below = static_cast<size_t>(std::floor(rank));
  const size_t above = std::min(below + 1, values.size() - 1);
  return values[below] + (values[above] - values[below]) * (rank - static_cast<double>(below));
}

}  // namespace orvane::bench
