// TOvException: Orvane's own error. The dispatcher turns it into a redirect to
// the start page and a balloon; UnitName and MethodName go into the remote
// exception record.
#pragma once

#include <stdexcept>
#include <string>

namespace orvane {

class TOvException : public std::runtime_error {
 public:
  TOvException(const std::string& message, std::string unitName, std::string methodName)
      : std::runtime_error(message), UnitName(std::move(unitName)), MethodName(std::move(methodName)) {}

  std::string Message() const { return what(); }

  std::string UnitName;
  std::string MethodName;
};

// A page or file that does not exist: answered with status 404.
class TNotFound : public TOvException {
 public:
  using TOvException::TOvException;
};

}  // namespace orvane
