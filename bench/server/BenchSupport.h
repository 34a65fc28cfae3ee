// Helpers of the server benchmark: a timed HTTP exchange with 127.0.0.1, the
// child's resident size, the figures the server logs per search and page, and
// order statistics.
#pragma once

#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace orvane::bench {

struct TTimedAnswer {
  int Status = 0;
  std::string Body;
  double FirstByteMs = 0;  // from connecting to the first byte of the answer
  double TotalMs = 0;      // until the server closed the connection
};

// GET `target` from 127.0.0.1:`port`; Status stays 0 when nothing came back.
TTimedAnswer TimedGet(int port, const std::string& target);

// VmRSS of the process in MB (or another field of /proc/<pid>/status given in
// kB, e.g. "RssAnon"); 0 when it cannot be read.
double ResidentMB(pid_t pid, const std::string& field = "VmRSS");

// CPU time (user and system) the process has used so far, in ms; the calling
// process for pid 0.
double ProcessCpuMs(pid_t pid);
// The page faults the process has taken so far that read nothing from disk:
// mostly memory touched for the first time.
double MinorFaults(pid_t pid);

// Named CPU figures of one log line of the form
// "[date] [<module>] <document> CPU ms: name value name value ..."
// (the document may be missing).
struct TLoggedTimes {
  std::string Document;  // the text before "CPU ms:", trimmed
  std::map<std::string, double> Ms;
};

// Every such line of `module` in the log text, in order.
std::vector<TLoggedTimes> LoggedTimes(const std::string& log, const std::string& module);

// The session id of a search's answer (the last argument of orvaneFillForm);
// -1 when there is none.
int SessionIdOf(const std::string& body);

// Nearest-rank percentile (0..100) of the values; 0 for none.
double Percentile(std::vector<double> values, double percent);
inline double Median(const std::vector<double>& values) { return Percentile(values, 50); }

}  // namespace orvane::bench
