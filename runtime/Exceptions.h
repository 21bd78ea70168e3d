#pragma once
// The exception kinds of the program. Every failure carries one message;
// some kinds carry a code as well. Only the message travels when a wrapper
// re-raises a failure as a general Exception.

#include <cstdint>
#include <exception>
#include <string>

#include "runtime/String.h"

namespace varnel {

class Exception : public std::exception {
 public:
  explicit Exception(String message);
  const String& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  String message_;
  std::string what_;  // UTF-8 copy for what()
};

// The silent abort: ends a handler without any message.
class EAbort : public Exception {
 public:
  EAbort() : Exception(u"Operation aborted") {}
};

// A failed operating-system call.
class EOSError : public Exception {
 public:
  EOSError(String message, std::uint32_t errorCode)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  std::uint32_t ErrorCode;
};

// A failed COM call.
class EOleSysError : public Exception {
 public:
  EOleSysError(String message, std::int32_t errorCode)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  std::int32_t ErrorCode;
};

// Text that does not convert.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// The message of an EOSError for `code`, given the system's text for it:
// "System Error.  Code: %d.\r\n%s%s" with the text stripped of trailing
// control characters, blanks and periods; "A call to an OS function failed"
// for code 0.
String OSErrorMessage(std::uint32_t code, StringView systemText);

// The message of the exception in flight (call it inside a catch block):
// Message() of ours, what() of the standard ones, "Unknown error" else.
String CurrentExceptionMessage();

// Appends "." to a message whose last UTF-16 unit lies above "." (0x2E), as
// the error presentation shows it.
String PresentableMessage(StringView message);

}  // namespace varnel
